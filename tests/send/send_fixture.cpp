#include "tests/send/send_fixture.h"

#include "core/globals.h"
#include "platform/mail/pyemail.h"

#include <QFile>

namespace sendtest {

namespace {

using namespace std::chrono_literals;

class RedirectedComponent : public send::MailComponent {
public:
    RedirectedComponent(int port, std::shared_ptr<ComponentLog> log,
                        std::shared_ptr<std::function<void()>> beforeSend)
        : mail_(settings()), port_(port), log_(std::move(log)), before_(std::move(beforeSend)) {}

    bool Conectar(const QString& host, const QString& login, const QString& password,
                  int port) override {
        log_->host = host;
        log_->port = port;
        log_->login = login;
        return mail_.Conectar(QStringLiteral("127.0.0.1"), login, password, port_);
    }
    bool Crear() override { return mail_.Crear(); }
    void Remitente(const QString& a) override { mail_.Remitente(a); }
    void ResponderA(const QString& a) override { mail_.ResponderA(a); }
    bool AgregarDestinatario(const QString& a) override {
        log_->recipients.append(a);
        return mail_.AgregarDestinatario(a);
    }
    void Motivo(const QString& s) override { mail_.Motivo(s); }
    void MensajeTexto(const QString& t) override { mail_.MensajeTexto(t); }
    void MensajeHTML(const QString& h) override { mail_.MensajeHTML(h); }
    bool Adjuntar(const QString& p) override {
        log_->attachments.append(p);
        return mail_.Adjuntar(p);
    }
    bool Enviar() override {
        if (*before_) (*before_)();
        return mail_.Enviar();
    }

private:
    // Short bounds: the server is local, so anything slower is a fault.
    static mail::Settings settings() {
        mail::Settings s;
        s.connectTimeout = 2s;
        s.totalTimeout = 10s;
        return s;
    }

    mail::PyEmail mail_;
    int port_;
    std::shared_ptr<ComponentLog> log_;
    std::shared_ptr<std::function<void()>> before_;
};

}  // namespace

ComponentOnServer::ComponentOnServer(const zxtest::SmtpServer& server)
    : log_(std::make_shared<ComponentLog>()),
      beforeSend_(std::make_shared<std::function<void()>>()) {
    const int port = server.port();
    previous_ = send::setMailComponentFactory([port, log = log_, before = beforeSend_] {
        ++log->created;
        return std::make_unique<RedirectedComponent>(port, log, before);
    });
}

ComponentOnServer::~ComponentOnServer() {
    send::setMailComponentFactory(std::move(previous_));
}

NoComponent::NoComponent() {
    previous_ = send::setMailComponentFactory([] { return nullptr; });
}

NoComponent::~NoComponent() {
    send::setMailComponentFactory(std::move(previous_));
}

void Dialog::SetTexto(const QString& campo, const QString& texto) {
    fields[campo] = texto;
    if (campo == QStringLiteral("Para")) toSeen.append(texto);
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
