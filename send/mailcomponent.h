#pragma once

#include "platform/mail/pyemail.h"

#include <QString>

#include <functional>
#include <memory>

// The mail component as the send dialog reaches it: created by name for each send, like the
// component it stands for, so the program can run without it and tests can place it.
namespace send {

// The calls of the mail component "PyEmail", in the form the send uses them.
class MailComponent {
public:
    virtual ~MailComponent() = default;
    virtual bool Conectar(const QString& host, const QString& login, const QString& password,
                          int port) = 0;
    virtual bool Crear() = 0;
    virtual void Remitente(const QString& address) = 0;
    virtual void ResponderA(const QString& address) = 0;
    virtual bool AgregarDestinatario(const QString& address) = 0;
    virtual void Motivo(const QString& subject) = 0;
    virtual void MensajeTexto(const QString& text) = 0;
    virtual void MensajeHTML(const QString& html) = 0;
    virtual bool Adjuntar(const QString& path) = 0;
    // Raises vb::VbError (mail::err numbers) when the mail is incomplete, the server is out
    // of reach or the cancel check stopped it.
    virtual bool Enviar() = 0;

    // Why the last Conectar failed.
    virtual mail::ConnectFailure lastConnectFailure() const {
        return mail::ConnectFailure::Failed;
    }
    // Asked while the component waits on the server: true stops the exchange at whatever
    // stage it is.
    virtual void setCancelCheck(std::function<bool()> cancelled) { (void)cancelled; }
};

// Makes a component; may give nullptr (the component is not available).
using MailComponentFactory = std::function<std::unique_ptr<MailComponent>()>;

// The factory in use; by default the real component over SMTP. Returns the one it replaces.
MailComponentFactory setMailComponentFactory(MailComponentFactory factory);

// A new component from the factory; nullptr when there is none. Never raises.
std::unique_ptr<MailComponent> createMailComponent();

}  // namespace send
