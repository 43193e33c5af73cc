#pragma once

#include "send/dialogoenvio.h"
#include "send/hooks.h"
#include "tests/core/core_fixture.h"
#include "tests/send/mail_component.h"

#include <QImage>
#include <QMap>
#include <QStringList>

#include <functional>

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
    QString whatsappTo, whatsappText, whatsappLabel;
    bool sendEnabled = true;
    int unloads = 0, hides = 0, statusClears = 0, sends = 0, lastMessageLoads = 0;
    QStringList toSeen;     // every text set into "Para"
    QList<bool> waitPanel;  // every show (true) and hide (false) of the wait panel
    QImage picture;
    QString pictureTip;
    QString preview;       // the page previewed, empty when hidden
    QStringList previews;  // every page asked for, "" for a hide
    // Plays the operator each time the dialog is shown without waiting; counted in `shows`.
    std::function<void(Dialog&)> onShow;
    int shows = 0;
    // Sees the dialog as the send button finds it; sends are counted in `sends`.
    std::function<void(Dialog&)> onSend;

    QString Texto(const QString& campo) const override { return fields.value(campo); }
    void SetTexto(const QString& campo, const QString& texto) override;
    QString Adjuntos() const override { return attachments; }
    void SetAdjuntos(const QString& texto) override { attachments = texto; }
    QString ParaWhatsapp() const override { return whatsappTo; }
    QString MensajeWhatsapp() const override { return whatsappText; }
    void SetParaWhatsapp(const QString& numero) override { whatsappTo = numero; }
    void SetMensajeWhatsapp(const QString& texto) override { whatsappText = texto; }
    void SetEtiquetaWhatsapp(const QString& texto) override { whatsappLabel = texto; }
    void MuestraEspera(bool visible) override { waitPanel.append(visible); }
    void MuestraImagen(const QImage& imagen) override { picture = imagen; }
    QImage Imagen() const override { return picture; }
    void SetDescripcionImagen(const QString& texto) override { pictureTip = texto; }
    void VistaPrevia(const QString& pagina) override;
    void CargaMensaje() override { ++lastMessageLoads; }
    void cmdSend_Click() override;
    void MuestraSinEsperar() override;
    void EsperaEventos() override {}
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
