#include "platform/mail/pyemail.h"
#include "platform/vb/vberror.h"
#include "tests/support/fixtures.h"
#include "tests/support/smtp_server.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimeZone>

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;
using zxtest::SmtpServer;

const QString kHost = QStringLiteral("127.0.0.1");
const QString kSender = QStringLiteral("ventas@empresa.com.ar");

// Whether the server logged an event starting with `prefix` ("auth refused ").
bool logged(const SmtpServer& server, const QString& prefix) {
    for (const QString& line : server.events())
        if (line.startsWith(prefix)) return true;
    return false;
}

// The error Enviar raises; a failure (and number 0) when it raises none.
vb::VbError raisedBySend(mail::PyEmail& mail) {
    const std::optional<vb::VbError> e = zxtest::raised([&] { mail.Enviar(); });
    if (!e) ADD_FAILURE() << "Enviar did not raise";
    return e.value_or(vb::VbError{});
}

class PyEmailTest : public ::testing::Test {
protected:
    // Short bounds: every server here is local, so anything slower is a fault.
    static mail::Settings settings() {
        mail::Settings s;
        s.connectTimeout = 2s;
        s.totalTimeout = 10s;
        return s;
    }
    // The same, trusting the server's own certificate.
    static mail::Settings settings(const SmtpServer& server) {
        mail::Settings s = settings();
        s.caFile = server.certificateFile();
        return s;
    }

    static bool connect(mail::PyEmail& mail, const SmtpServer& server) {
        return mail.Conectar(kHost, SmtpServer::Options{}.login, SmtpServer::Options{}.password,
                             server.port());
    }

    // Starts a mail from kSender to `to` with a plain text.
    static void draft(mail::PyEmail& mail, const QString& to, const QString& subject = "Aviso") {
        ASSERT_TRUE(mail.Crear());
        mail.Remitente(kSender);
        ASSERT_TRUE(mail.AgregarDestinatario(to));
        mail.Motivo(subject);
        mail.MensajeTexto(QStringLiteral("Hola"));
    }

    QString writeFile(const QString& name, const QByteArray& bytes) {
        const QString path = files.filePath(name);
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return path;
    }

    zxtest::FixedClock clock{QDateTime(QDate(2024, 5, 7), QTime(14, 3, 0),
                                       QTimeZone("America/Argentina/Buenos_Aires"))};
    QTemporaryDir files;
};

TEST_F(PyEmailTest, SendsTextHtmlAndAttachmentsAsOneWellFormedMessage) {
    SmtpServer server;
    QByteArray pdf("%PDF-1.4\n");
    for (int round = 0; round < 40; ++round)
        for (int b = 0; b < 256; ++b) pdf.append(static_cast<char>(b));
    const QString report = writeFile("reporte.pdf", pdf);
    const QString table = writeFile(QString::fromUtf8("Informe año.csv"), "uno;dos\r\n1;2\r\n");
    const QString subject = QString::fromUtf8("Reporte de errores – año 2024, ñandú");

    mail::PyEmail mail(settings(server));
    ASSERT_TRUE(connect(mail, server));
    ASSERT_TRUE(mail.Crear());
    mail.Remitente(QString::fromUtf8("Ventas Peña <ventas@empresa.com.ar>"));
    mail.ResponderA(kSender);
    ASSERT_TRUE(mail.AgregarDestinatario("cliente@dominio.com"));
    mail.Motivo(subject);
    mail.MensajeTexto(QString::fromUtf8("Estimado cliente:\nSe adjunta el reporte del año.\n"));
    mail.MensajeHTML(
        QString::fromUtf8("<html><body><p>Se adjunta el reporte del año.</p>"
                          "</body></html>"));
    ASSERT_TRUE(mail.Adjuntar(report));
    ASSERT_TRUE(mail.Adjuntar(table));
    ASSERT_TRUE(mail.Enviar());

    const auto received = server.messages();
    ASSERT_EQ(received.size(), 1);
    const zxtest::ReceivedMail& m = received[0];
    EXPECT_EQ(m.defects, QStringList());
    EXPECT_EQ(m.structure, QStringLiteral("multipart/mixed[multipart/alternative[text/plain,"
                                          "text/html],application/pdf,text/csv]"));
    EXPECT_EQ(m.mailFrom, kSender);
    EXPECT_EQ(m.recipients, QStringList{"cliente@dominio.com"});
    EXPECT_EQ(m.login, SmtpServer::Options{}.login);
    EXPECT_EQ(m.header("From"), QString::fromUtf8("Ventas Peña <ventas@empresa.com.ar>"));
    EXPECT_EQ(m.header("Reply-To"), kSender);
    EXPECT_EQ(m.header("To"), QStringLiteral("cliente@dominio.com"));
    EXPECT_EQ(m.header("Subject"), subject);
    EXPECT_TRUE(m.rawHeader("Subject").startsWith("=?UTF-8?B?"))
        << m.rawHeader("Subject").toStdString();
    EXPECT_EQ(m.header("Date"), QStringLiteral("Tue, 07 May 2024 14:03:00 -0300"));
    EXPECT_TRUE(QRegularExpression(R"(^<[0-9a-f-]{36}@empresa\.com\.ar>$)")
                    .match(m.header("Message-ID"))
                    .hasMatch())
        << m.header("Message-ID").toStdString();

    ASSERT_EQ(m.parts.size(), 4);
    EXPECT_EQ(m.parts[0].charset, QStringLiteral("utf-8"));
    EXPECT_EQ(m.parts[0].transferEncoding, QStringLiteral("quoted-printable"));
    EXPECT_EQ(QString::fromUtf8(m.parts[0].content),
              QString::fromUtf8("Estimado cliente:\r\nSe adjunta el reporte del año.\r\n"));
    EXPECT_EQ(m.parts[1].charset, QStringLiteral("utf-8"));
    EXPECT_EQ(m.parts[1].transferEncoding, QStringLiteral("quoted-printable"));
    EXPECT_EQ(
        QString::fromUtf8(m.parts[1].content),
        QString::fromUtf8("<html><body><p>Se adjunta el reporte del año.</p></body></html>"));
    EXPECT_EQ(m.parts[2].transferEncoding, QStringLiteral("base64"));
    EXPECT_EQ(m.parts[2].disposition, QStringLiteral("attachment"));
    EXPECT_EQ(m.parts[2].fileName, QStringLiteral("reporte.pdf"));
    EXPECT_EQ(m.parts[2].content, pdf);
    EXPECT_EQ(m.parts[3].fileName, QString::fromUtf8("Informe año.csv"));
    EXPECT_EQ(m.parts[3].content, QByteArray("uno;dos\r\n1;2\r\n"));
}

TEST_F(PyEmailTest, AllTheMailsOfASendShareOneConnection) {
    SmtpServer server;
    mail::PyEmail mail(settings(server));
    ASSERT_TRUE(connect(mail, server));
    const QStringList to{"uno@dominio.com", "dos@dominio.com", "tres@dominio.com"};
    for (const QString& address : to) {
        draft(mail, address);
        EXPECT_TRUE(mail.Enviar()) << address.toStdString();
    }
    const auto received = server.messages();
    ASSERT_EQ(received.size(), 3);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(received[i].recipients, QStringList{to[i]});
    EXPECT_EQ(server.connections(), 1);
}

TEST_F(PyEmailTest, ARefusedLoginFailsToConnectAndNothingCanBeSent) {
    SmtpServer server;
    mail::PyEmail mail(settings(server));
    EXPECT_FALSE(mail.Conectar(kHost, SmtpServer::Options{}.login, "otra-clave", server.port()));
    EXPECT_FALSE(mail.Crear());
    EXPECT_TRUE(logged(server, "auth refused "));
    EXPECT_TRUE(server.messages().isEmpty());
}

TEST_F(PyEmailTest, ARefusedRecipientFailsOnlyItsOwnMail) {
    SmtpServer::Options options;
    options.refuse = QStringList{"rechazado@dominio.com"};
    SmtpServer server(options);
    mail::PyEmail mail(settings(server));
    ASSERT_TRUE(connect(mail, server));
    draft(mail, "rechazado@dominio.com");
    EXPECT_FALSE(mail.Enviar());
    draft(mail, "cliente@dominio.com");
    EXPECT_TRUE(mail.Enviar());
    const auto received = server.messages();
    ASSERT_EQ(received.size(), 1);
    EXPECT_EQ(received[0].recipients, QStringList{"cliente@dominio.com"});
}

TEST_F(PyEmailTest, AMailWithoutSenderOrRecipientRaisesMissingData) {
    SmtpServer server;
    mail::PyEmail mail(settings(server));
    ASSERT_TRUE(connect(mail, server));
    struct Case {
        const char* what;
        std::function<void()> prepare;
    };
    const Case cases[] = {
        {"no recipient",
         [&] {
             mail.Crear();
             mail.Remitente(kSender);
         }},
        {"no sender",
         [&] {
             mail.Crear();
             mail.AgregarDestinatario("cliente@dominio.com");
         }},
        {"a sender that is no address",
         [&] {
             mail.Crear();
             mail.Remitente("ventas");
             mail.AgregarDestinatario("cliente@dominio.com");
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.prepare();
        const vb::VbError e = raisedBySend(mail);
        EXPECT_EQ(e.Number, mail::err::MissingData);
        EXPECT_EQ(e.Source, QStringLiteral("PyEmail"));
    }
    EXPECT_TRUE(server.messages().isEmpty());
}

TEST_F(PyEmailTest, LineBreaksInHeaderValuesCannotAddHeadersOrRecipients) {
    SmtpServer server;
    mail::PyEmail mail(settings(server));
    ASSERT_TRUE(connect(mail, server));
    ASSERT_TRUE(mail.Crear());
    mail.Remitente(kSender);
    ASSERT_TRUE(mail.AgregarDestinatario("Cliente\r\nBcc: intruso@x.com <cliente@dominio.com>"));
    mail.Motivo("Reporte\r\nBcc: intruso@x.com");
    mail.MensajeTexto("Hola");
    ASSERT_TRUE(mail.Enviar());

    const auto received = server.messages();
    ASSERT_EQ(received.size(), 1);
    EXPECT_EQ(received[0].header("Subject"), QStringLiteral("ReporteBcc: intruso@x.com"));
    EXPECT_EQ(received[0].headerCount("Bcc"), 0);
    EXPECT_EQ(received[0].recipients, QStringList{"cliente@dominio.com"});
}

TEST_F(PyEmailTest, AFileThatCannotBeReadIsNotAttached) {
    SmtpServer server;
    mail::PyEmail mail(settings(server));
    ASSERT_TRUE(connect(mail, server));
    draft(mail, "cliente@dominio.com");
    EXPECT_FALSE(mail.Adjuntar(files.filePath("no-existe.pdf")));
    EXPECT_FALSE(mail.Adjuntar(files.path()));
    EXPECT_FALSE(mail.Adjuntar(QString()));
    ASSERT_TRUE(mail.Enviar());
    const auto received = server.messages();
    ASSERT_EQ(received.size(), 1);
    EXPECT_EQ(received[0].structure, QStringLiteral("multipart/mixed[text/plain]"));
}

TEST_F(PyEmailTest, AServerThatCannotBeReachedFailsToConnect) {
    zxtest::SilentServer silent;
    struct Case {
        const char* what;
        QString host;
        int port;
    };
    const Case cases[] = {
        {"nothing listens", kHost, zxtest::closedPort()},
        {"the server never greets", kHost, silent.port()},
        {"no host", QString(), 25},
        {"no port", kHost, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        mail::PyEmail mail(settings());
        EXPECT_FALSE(mail.Conectar(c.host, "u", "p", c.port));
        EXPECT_FALSE(mail.Crear());
    }
}

TEST_F(PyEmailTest, AServerLostBetweenMailsRaisesNoConnection) {
    SmtpServer server;
    mail::PyEmail mail(settings(server));
    ASSERT_TRUE(connect(mail, server));
    draft(mail, "uno@dominio.com");
    ASSERT_TRUE(mail.Enviar());
    server.stop();
    draft(mail, "dos@dominio.com");
    const vb::VbError e = raisedBySend(mail);
    EXPECT_EQ(e.Number, mail::err::NoConnection);
    EXPECT_FALSE(e.Description.contains(SmtpServer::Options{}.password));
}

TEST_F(PyEmailTest, ALoginRefusedOnReconnectingRaisesLoginRefused) {
    // A refused mail closes the connection, so the next mail logs in again, and that second
    // login is refused.
    SmtpServer::Options options;
    options.refuse = QStringList{"rechazado@dominio.com"};
    options.logins = 1;
    SmtpServer server(options);
    mail::PyEmail mail(settings(server));
    ASSERT_TRUE(connect(mail, server));
    draft(mail, "rechazado@dominio.com");
    ASSERT_FALSE(mail.Enviar());
    draft(mail, "cliente@dominio.com");
    const vb::VbError e = raisedBySend(mail);
    EXPECT_EQ(e.Number, mail::err::LoginRefused);
    EXPECT_FALSE(e.Description.contains(options.password));
    EXPECT_TRUE(server.messages().isEmpty());
}

TEST_F(PyEmailTest, TheInterfaceKeepsProcessingEventsWhileConnecting) {
    SmtpServer server;
    bool ran = false;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [&] { ran = true; }, Qt::QueuedConnection);
    mail::PyEmail mail(settings(server));
    ASSERT_TRUE(connect(mail, server));
    EXPECT_TRUE(ran);
}

TEST(MailSecurityTest, EachPortGetsItsProtection) {
    const std::pair<int, mail::Security> cases[] = {
        {465, mail::Security::ImplicitTls},
        {587, mail::Security::StartTlsRequired},
        {25, mail::Security::StartTlsIfOffered},
        {2525, mail::Security::StartTlsIfOffered},
    };
    for (const auto& [port, security] : cases) {
        SCOPED_TRACE(port);
        EXPECT_EQ(mail::securityForPort(port), security);
    }
}

TEST_F(PyEmailTest, LoginAndMailTravelEncryptedWhenTheServerSpeaksTls) {
    struct Case {
        const char* what;
        SmtpServer::Tls tls;
        std::optional<mail::Security> security;  // nothing: by port, STARTTLS when offered
    };
    const Case cases[] = {
        {"STARTTLS offered", SmtpServer::Tls::StartTls, std::nullopt},
        {"implicit TLS", SmtpServer::Tls::Implicit, mail::Security::ImplicitTls},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SmtpServer::Options options;
        options.tls = c.tls;
        SmtpServer server(options);
        mail::Settings s = settings();
        s.caFile = server.certificateFile();
        s.security = c.security;
        mail::PyEmail mail(s);
        ASSERT_TRUE(connect(mail, server));
        draft(mail, "cliente@dominio.com");
        ASSERT_TRUE(mail.Enviar());
        const auto received = server.messages();
        ASSERT_EQ(received.size(), 1);
        EXPECT_TRUE(received[0].tls);
        EXPECT_EQ(received[0].login, options.login);
        EXPECT_FALSE(server.receivedInClear().contains("AUTH"));
    }
}

TEST_F(PyEmailTest, ALoginIsNeverSentToAServerThatOffersNoTls) {
    // By port (25 and the like: encryption when offered) and by choice alike.
    const std::optional<mail::Security> cases[] = {std::nullopt,
                                                   mail::Security::StartTlsIfOffered};
    for (const std::optional<mail::Security>& security : cases) {
        SCOPED_TRACE(security ? "chosen" : "by port");
        SmtpServer::Options options;
        options.tls = SmtpServer::Tls::None;
        SmtpServer server(options);
        mail::Settings s = settings(server);
        s.security = security;
        mail::PyEmail mail(s);
        EXPECT_FALSE(connect(mail, server));
        EXPECT_FALSE(mail.Crear());
        const QByteArray clear = server.receivedInClear();
        EXPECT_TRUE(clear.contains("EHLO"));
        EXPECT_FALSE(clear.contains("AUTH"));
        EXPECT_FALSE(clear.contains(options.password.toUtf8()));
        EXPECT_FALSE(logged(server, "auth "));
    }
}

TEST_F(PyEmailTest, AFailedConnectionTellsWhy) {
    SmtpServer::Options clear;
    clear.tls = SmtpServer::Tls::None;
    SmtpServer withoutTls(clear);
    SmtpServer server;
    struct Case {
        const char* what;
        const SmtpServer* server;
        QString password;
        mail::ConnectFailure failure;
    };
    const Case cases[] = {
        {"connected", &server, SmtpServer::Options{}.password, mail::ConnectFailure::None},
        {"no TLS for the login", &withoutTls, SmtpServer::Options{}.password,
         mail::ConnectFailure::NoTls},
        {"wrong password", &server, "otra-clave", mail::ConnectFailure::LoginRefused},
        {"nothing listens", nullptr, SmtpServer::Options{}.password, mail::ConnectFailure::Failed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        mail::PyEmail mail(c.server ? settings(*c.server) : settings());
        const bool connected = mail.Conectar(kHost, SmtpServer::Options{}.login, c.password,
                                             c.server ? c.server->port() : zxtest::closedPort());
        EXPECT_EQ(connected, c.failure == mail::ConnectFailure::None);
        EXPECT_EQ(mail.lastConnectFailure(), c.failure);
    }
}

TEST_F(PyEmailTest, ACancelWhileTheServerIsSlowStopsBeforeTheLogin) {
    SmtpServer::Options options;
    options.hold = SmtpServer::Hold::Greeting;
    SmtpServer server(options);
    mail::PyEmail mail(settings(server));
    int asked = 0;
    mail.setCancelCheck([&] {
        ++asked;
        return server.holding();
    });
    EXPECT_FALSE(connect(mail, server));
    EXPECT_EQ(mail.lastConnectFailure(), mail::ConnectFailure::Cancelled);
    EXPECT_GT(asked, 0);
    EXPECT_FALSE(mail.Crear());
    EXPECT_FALSE(logged(server, "auth "));
}

TEST_F(PyEmailTest, ACancelBeforeTheMailGoesRaisesCancelledAndSendsNothing) {
    SmtpServer server;
    mail::PyEmail mail(settings(server));
    bool cancel = false;
    mail.setCancelCheck([&] { return cancel; });
    ASSERT_TRUE(connect(mail, server));
    draft(mail, "cliente@dominio.com");
    cancel = true;
    const vb::VbError e = raisedBySend(mail);
    EXPECT_EQ(e.Number, mail::err::Cancelled);
    EXPECT_EQ(e.Source, QStringLiteral("PyEmail"));
    EXPECT_TRUE(server.messages().isEmpty());
}

// The operator's cancel ends the exchange within a moment at every stage of a send: the
// TLS handshake, the greeting, the answer to EHLO (before the login), the upload of the
// message, the wait for its answer and a server that trickles continuation lines meanwhile.
// Nothing is reported as sent.
TEST_F(PyEmailTest, ACancelEndsTheExchangeAtOnceAtEveryStage) {
    using Hold = SmtpServer::Hold;
    struct Case {
        const char* stage;
        Hold hold;  // None: a server that never says a word, reached with TLS from the start
        bool whileConnecting;
        int attachment;  // bytes
    };
    const Case cases[] = {
        {"the TLS handshake", Hold::None, true, 0},
        {"the greeting", Hold::Greeting, true, 0},
        {"the answer to EHLO", Hold::Ehlo, true, 0},
        {"the upload of the message", Hold::Body, false, 16 * 1024 * 1024},
        {"the answer to the message", Hold::Data, false, 0},
        {"continuation lines after the message", Hold::Trickle, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stage);
        SmtpServer::Options options;
        options.hold = c.hold;
        options.holdLimitMs = 15000;
        SmtpServer server(options);
        zxtest::SilentServer silent;
        // Bounds far beyond the moment the test allows: only the cancel can end it in time.
        mail::Settings s = settings(server);
        s.connectTimeout = 60s;
        s.totalTimeout = 120s;
        if (c.hold == Hold::None) s.security = mail::Security::ImplicitTls;
        QElapsedTimer waiting, sinceCancel;
        waiting.start();
        bool cancel = false;
        {
            mail::PyEmail mail(s);
            mail.setCancelCheck([&] {
                const bool stuck =
                    c.hold == Hold::None ? waiting.elapsed() > 300 : server.holding();
                if (!cancel && stuck) {
                    cancel = true;
                    sinceCancel.start();
                }
                return cancel;
            });
            const int port = c.hold == Hold::None ? silent.port() : server.port();
            const bool connected = mail.Conectar(kHost, SmtpServer::Options{}.login,
                                                 SmtpServer::Options{}.password, port);
            if (c.whileConnecting) {
                EXPECT_FALSE(connected);
                EXPECT_EQ(mail.lastConnectFailure(), mail::ConnectFailure::Cancelled);
            } else {
                ASSERT_TRUE(connected);
                draft(mail, "cliente@dominio.com");
                if (c.attachment > 0)
                    ASSERT_TRUE(
                        mail.Adjuntar(writeFile("grande.bin", QByteArray(c.attachment, 'z'))));
                const vb::VbError e = raisedBySend(mail);
                EXPECT_EQ(e.Number, mail::err::Cancelled);
            }
        }
        ASSERT_TRUE(cancel);
        EXPECT_LT(sinceCancel.elapsed(), 3000);
    }
}

TEST_F(PyEmailTest, WithoutALoginAMailMayGoInClear) {
    SmtpServer::Options options;
    options.tls = SmtpServer::Tls::None;
    SmtpServer server(options);
    mail::PyEmail mail(settings(server));
    ASSERT_TRUE(mail.Conectar(kHost, QString(), QString(), server.port()));
    draft(mail, "cliente@dominio.com");
    ASSERT_TRUE(mail.Enviar());
    const auto received = server.messages();
    ASSERT_EQ(received.size(), 1);
    EXPECT_FALSE(received[0].tls);
    EXPECT_EQ(received[0].login, QString());
}

TEST_F(PyEmailTest, AnUntrustedCertificateStopsTheConnectionBeforeTheLogin) {
    SmtpServer::Options options;
    options.tls = SmtpServer::Tls::StartTls;
    SmtpServer server(options);
    mail::PyEmail mail(settings());  // trusts only the system's certificates
    EXPECT_FALSE(connect(mail, server));
    EXPECT_FALSE(logged(server, "auth "));
}

TEST_F(PyEmailTest, RequiredStartTlsRefusesAServerWithoutIt) {
    SmtpServer::Options options;
    options.tls = SmtpServer::Tls::None;
    SmtpServer server(options);
    mail::Settings s = settings();
    s.security = mail::Security::StartTlsRequired;
    mail::PyEmail mail(s);
    EXPECT_FALSE(connect(mail, server));
    // The password never travelled in clear.
    EXPECT_FALSE(logged(server, "auth "));
}

}  // namespace
