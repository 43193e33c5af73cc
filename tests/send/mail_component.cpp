#include "tests/send/mail_component.h"

#include "platform/mail/pyemail.h"

namespace sendtest {

namespace {

using namespace std::chrono_literals;

class RedirectedComponent : public send::MailComponent {
public:
    RedirectedComponent(int port, const QString& caFile, std::shared_ptr<ComponentLog> log,
                        std::shared_ptr<std::function<void()>> beforeSend)
        : mail_(settings(caFile)),
          port_(port),
          log_(std::move(log)),
          before_(std::move(beforeSend)) {}

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
    mail::ConnectFailure lastConnectFailure() const override { return mail_.lastConnectFailure(); }
    void setCancelCheck(std::function<bool()> cancelled) override {
        mail_.setCancelCheck(std::move(cancelled));
    }

private:
    // Short bounds: the server is local, so anything slower is a fault. The server's own
    // certificate is trusted, as a real server's would be.
    static mail::Settings settings(const QString& caFile) {
        mail::Settings s;
        s.connectTimeout = 2s;
        s.totalTimeout = 10s;
        s.caFile = caFile;
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
    const QString caFile = server.certificateFile();
    previous_ = send::setMailComponentFactory([port, caFile, log = log_, before = beforeSend_] {
        ++log->created;
        return std::make_unique<RedirectedComponent>(port, caFile, log, before);
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

}  // namespace sendtest
