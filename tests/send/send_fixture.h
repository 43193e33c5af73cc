#pragma once

#include "send/dialogoenvio.h"
#include "send/hooks.h"
#include "tests/core/core_fixture.h"
#include "tests/send/mail_component.h"

#include <QMap>
#include <QStringList>

namespace sendtest {

// A timed notice the send showed.
struct Notice {
    QString title, text;
    int wait = 0;
};

// The send dialog as the send procedures see it, without a window.
class Dialog : public send::DialogoEnvio {
public:
    QMap<QString, QString> fields;  // by data field
    QString attachments;
    QString whatsappTo, whatsappText;
    bool sendEnabled = true;
    int unloads = 0, hides = 0, statusClears = 0;
    QStringList toSeen;  // every text set into "Para"

    QString Texto(const QString& campo) const override { return fields.value(campo); }
    void SetTexto(const QString& campo, const QString& texto) override;
    QString Adjuntos() const override { return attachments; }
    QString ParaWhatsapp() const override { return whatsappTo; }
    QString MensajeWhatsapp() const override { return whatsappText; }
    void HabilitaEnvio(bool habilitado) override { sendEnabled = habilitado; }
    void LimpiaEstado() override { ++statusClears; }
    void LimpiaProgreso() override {}
    void Oculta() override { ++hides; }
    void Descarga() override;
};

// A send test: the common services' fixture with gDB() open, the user "ana" logged in, an
// SMTP account for the server's login in the user's row, and the timed notices recorded.
class SendTest : public coretest::CoreTest {
protected:
    SendTest();
    ~SendTest() override;

    // The user's row of ta_usuarios with the kind "Otro" and the server's account.
    void userAccount(const QString& kind = QStringLiteral("Otro"));
    // The rows of the send log, oldest first: De, Para, Asunto, Mensaje, adjunto, Usuario,
    // TC, IdComprobante, Status, Cuenta, CuentaEmail, Tipo, FechaHora.
    QList<QStringList> sendLog() const;
    // A file of the test with these bytes.
    QString writeFile(const QString& name, const QByteArray& bytes) const;

    QList<Notice> notices;

private:
    sendhooks::AvisoTemporizado previousNotice_;
};

}  // namespace sendtest
