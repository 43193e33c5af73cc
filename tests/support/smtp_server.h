#pragma once

#include "tests/support/python_server.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace zxtest {

// One leaf part of a received message, decoded.
struct ReceivedPart {
    QString contentType;  // "text/plain", "application/pdf"…
    QString charset;
    QString transferEncoding;
    QString disposition;  // "attachment", "inline" or empty
    QString fileName;     // decoded
    QByteArray content;   // after the transfer encoding is undone
};

// A message as the server received it, parsed back by an independent parser.
struct ReceivedMail {
    QString mailFrom;        // the envelope sender
    QStringList recipients;  // the envelope recipients
    bool tls = false;        // arrived over an encrypted connection
    QString login;           // the account that authenticated, empty when none
    QString structure;       // "multipart/mixed[multipart/alternative[text/plain,text/html]]"
    QList<ReceivedPart> parts;
    QStringList defects;  // what the parser found malformed; empty for a sound message
    QByteArray raw;       // the bytes as received

    // A top-level header decoded ("Subject" with its accents), empty when missing.
    QString header(const QString& name) const;
    // A top-level header as it was written on the wire.
    QString rawHeader(const QString& name) const;
    // How many top-level headers carry this name.
    int headerCount(const QString& name) const;

    QList<QPair<QString, QString>> headers, rawHeaders;
};

// A real SMTP server (python3-aiosmtpd) on 127.0.0.1 and a free port, for the life of the
// object: it accepts `login`/`password` and answers 535 to any other login, answers 550 to
// the recipients in `refuse` and to every login after the first `logins` (0: no limit), and
// keeps every message it accepts and every byte its clients send. Like a submission server it
// offers STARTTLS (with a certificate of its own, certificateFile()) unless told otherwise; it
// offers AUTH with or without TLS, so a client that sends a login in clear is caught.
class SmtpServer {
public:
    enum class Tls { None, StartTls, Implicit };
    // A reply the server keeps back until release(): the greeting, the answer to EHLO, or the
    // answer to a message it has received (and kept); Trickle keeps that answer back while it
    // sends a "250-" continuation line every `trickleMs`; Body stops reading the message after
    // its "354", so that the client's upload stalls.
    enum class Hold { None, Greeting, Ehlo, Data, Trickle, Body };
    struct Options {
        QString login = QStringLiteral("ventas@empresa.com.ar");
        QString password = QStringLiteral("clave-secreta");
        QStringList refuse;
        int logins = 0;
        Tls tls = Tls::StartTls;
        Hold hold = Hold::None;
        int holdLimitMs = 20000;  // a held reply goes after this even without release()
        int trickleMs = 200;
    };

    SmtpServer();
    explicit SmtpServer(Options options);
    ~SmtpServer();

    int port() const { return server_.port(); }
    // The server's self-signed certificate (PEM), to be trusted by the client.
    QString certificateFile() const;
    // The accepted messages, in the order they arrived.
    QList<ReceivedMail> messages() const;
    // How many connections greeted the server (EHLO/HELO).
    int connections() const;
    // The lines of the server's event log ("auth ok 4711", "rcpt refused x@y", "hold
    // greeting 4711"…).
    QStringList events() const;
    // Whether a reply is being held now (held and not yet released).
    bool holding() const;
    // Waits until a reply is held, processing no events; false after `limitMs`.
    bool waitUntilHolding(int limitMs = 10000) const;
    // Lets the held replies go, and every later one at once.
    void release();
    // What the clients sent in clear, and what they sent inside TLS, each in arrival order.
    QByteArray receivedInClear() const;
    QByteArray receivedOverTls() const;
    // Stops the server now (the destructor does it otherwise).
    void stop();

private:
    QTemporaryDir dir_;
    PythonServer server_;
};

// A port that accepts connections and never says a word: the server that hangs.
class SilentServer {
public:
    SilentServer();
    ~SilentServer();
    int port() const { return port_; }

private:
    int fd_ = -1;
    int port_ = 0;
};

// A port on 127.0.0.1 where nothing listens.
int closedPort();

}  // namespace zxtest
