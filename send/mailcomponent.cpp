#include "send/mailcomponent.h"

#include "platform/mail/pyemail.h"

namespace send {

namespace {

class SmtpComponent : public MailComponent {
public:
    bool Conectar(const QString& host, const QString& login, const QString& password,
                  int port) override {
        return mail_.Conectar(host, login, password, port);
    }
    bool Crear() override { return mail_.Crear(); }
    void Remitente(const QString& address) override { mail_.Remitente(address); }
    void ResponderA(const QString& address) override { mail_.ResponderA(address); }
    bool AgregarDestinatario(const QString& address) override {
        return mail_.AgregarDestinatario(address);
    }
    void Motivo(const QString& subject) override { mail_.Motivo(subject); }
    void MensajeTexto(const QString& text) override { mail_.MensajeTexto(text); }
    void MensajeHTML(const QString& html) override { mail_.MensajeHTML(html); }
    bool Adjuntar(const QString& path) override { return mail_.Adjuntar(path); }
    bool Enviar() override { return mail_.Enviar(); }
    mail::ConnectFailure lastConnectFailure() const override { return mail_.lastConnectFailure(); }
    void setCancelCheck(std::function<bool()> cancelled) override {
        mail_.setCancelCheck(std::move(cancelled));
    }

private:
    mail::PyEmail mail_;
};

MailComponentFactory& factory() {
    static MailComponentFactory f = [] { return std::make_unique<SmtpComponent>(); };
    return f;
}

}  // namespace

MailComponentFactory setMailComponentFactory(MailComponentFactory f) {
    MailComponentFactory previous = std::move(factory());
    factory() = std::move(f);
    return previous;
}

std::unique_ptr<MailComponent> createMailComponent() {
    try {
        return factory() ? factory()() : nullptr;
    } catch (...) {
        return nullptr;
    }
}

}  // namespace send
