#pragma once

#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace mail {

// How the connection to the mail server is protected.
enum class Security {
    ImplicitTls,        // TLS from the first byte
    StartTlsRequired,   // STARTTLS, or no mail at all
    StartTlsIfOffered,  // STARTTLS when the server offers it
};

// The protection each port gets: 465 implicit TLS, 587 STARTTLS required, any other port
// STARTTLS when offered. Certificates are checked in every case. Whatever the port, a login is
// never sent in clear: Conectar with a login requires STARTTLS where it would only take it
// when offered.
Security securityForPort(int port);

// Why the last Conectar failed.
enum class ConnectFailure {
    None,
    NoTls,         // a login was to be sent and the server offered no encryption
    LoginRefused,  // the server refused the account
    Cancelled,     // the cancel check stopped it
    Failed,        // the server could not be reached or answered otherwise
};

// Limits and trust of the mail connection.
struct Settings {
    // Bounds so the program never waits on the network for ever.
    std::chrono::milliseconds connectTimeout = std::chrono::seconds(20);
    std::chrono::milliseconds totalTimeout = std::chrono::minutes(5);  // per call
    // A PEM file of the certificates to trust instead of the system's; empty: the system's.
    QString caFile;
    // Taken instead of securityForPort, for servers on unusual ports.
    std::optional<Security> security;
};

// Numbers of the errors Enviar raises, as the callers test them.
namespace err {
constexpr long NoConnection = -2147220973;  // the server cannot be reached
constexpr long MissingData = -2147220979;   // no mail started, no sender or no recipient
constexpr long LoginRefused = -2147220975;  // the server refused the account on reconnecting
constexpr long Cancelled = 18;              // the cancel check stopped the mail (user interrupt)
}  // namespace err

// The mail component: one SMTP connection opened by Conectar and kept for every mail of a
// send; each mail is started by Crear, filled through its properties and sent by Enviar as
// text and HTML alternatives with the attached files.
class PyEmail {
public:
    explicit PyEmail(Settings settings = {});
    ~PyEmail();
    PyEmail(const PyEmail&) = delete;
    PyEmail& operator=(const PyEmail&) = delete;

    // Connects and logs in (no login when `login` is empty). False on any failure, whose
    // reason lastConnectFailure() then tells.
    bool Conectar(const QString& host, const QString& login, const QString& password, int port);
    ConnectFailure lastConnectFailure() const;
    // Asked while the component waits on the server, after the interface has had its events:
    // true stops the exchange at whatever stage it is (Conectar gives false, Enviar raises
    // err::Cancelled). A mail stopped once all of it has gone may still be the server's: a
    // cancelled mail is one whose acceptance the server never confirmed.
    void setCancelCheck(std::function<bool()> cancelled);
    // Starts a new empty mail; False when there is no connection.
    bool Crear();
    void Remitente(const QString& address);
    void ResponderA(const QString& address);
    // False when the text is not one plausible address; the address is then not added.
    bool AgregarDestinatario(const QString& address);
    void Motivo(const QString& subject);
    void MensajeTexto(const QString& text);
    void MensajeHTML(const QString& html);
    // Reads the file now; False when it cannot be read (nothing is attached then).
    bool Adjuntar(const QString& path);
    // True when the server took the mail, False when it refused it (a sender, recipient or
    // message it would not accept). Raises vb::VbError with an err:: number when the mail is
    // incomplete, the server cannot be reached or the cancel check stopped it.
    bool Enviar();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

}  // namespace mail
