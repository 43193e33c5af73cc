#include "tests/send/send_fixture.h"

#include "core/globals.h"

#include <QFile>

namespace sendtest {

void Dialog::SetTexto(const QString& campo, const QString& texto) {
    fields[campo] = texto;
    if (campo == QStringLiteral("Para")) toSeen.append(texto);
}

void Dialog::VistaPrevia(const QString& pagina) {
    preview = pagina;
    previews.append(pagina);
}

void Dialog::cmdSend_Click() {
    ++sends;
    if (onSend) onSend(*this);
}

void Dialog::MuestraSinEsperar() {
    ++shows;
    if (onShow) onShow(*this);
    // A dialog nobody plays is left at once, so a test never waits for ever.
    else
        pSalir = true;
}

void Dialog::Descarga() {
    ++unloads;
    static_cast<send::EstadoEnvio&>(*this) = send::EstadoEnvio{};
    pSalir = true;
    fields.clear();
    attachments.clear();
}

SendTest::SendTest() {
    abre();
    ModGlobal::gUsuarioLogeado = QStringLiteral("ana");
    send::gSeleccionMultiple = QStringList{QString()};
    previousNotice_ = sendhooks::setAvisoTemporizado(
        [this](const QString& titulo, const QString& texto, std::int16_t espera) {
            notices.append({titulo, texto, espera});
        });
}

SendTest::~SendTest() {
    sendhooks::setAvisoTemporizado(std::move(previousNotice_));
    ModGlobal::gUsuarioLogeado.clear();
}

void SendTest::userAccount(const QString& kind) {
    const zxtest::SmtpServer::Options cuenta;
    data.exec(QStringLiteral("INSERT INTO TA_USUARIOS (Nombre, eMail_Server, email_usuario, "
                             "email_Password, email_ServerOtro, email_De) VALUES ('ana', '%1', "
                             "'%2', '%3', 'mail.empresa.com.ar', 'ana@empresa.com.ar')")
                  .arg(kind, cuenta.login, cuenta.password));
}

QList<QStringList> SendTest::sendLog() const {
    return data.rows(QStringLiteral(
        "SELECT De, Para, Asunto, Mensaje, adjunto, Usuario, TC, IdComprobante, Status, Cuenta, "
        "CuentaEmail, Tipo, FechaHora FROM V_MA_EMAILMOV ORDER BY ID"));
}

QString SendTest::writeFile(const QString& name, const QByteArray& bytes) const {
    const QString path = tmp.file(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
}

}  // namespace sendtest
