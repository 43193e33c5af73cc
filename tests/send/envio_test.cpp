#include "send/envio.h"

#include "core/config.h"
#include "platform/vb/app.h"
#include "platform/vb/steps.h"
#include "send/cuentaenvio.h"
#include "tests/send/send_fixture.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <functional>

namespace {

using sendtest::ComponentOnServer;
using sendtest::Dialog;
using zxtest::SmtpServer;

const QString kSinConexion = QStringLiteral(
    "No se ha podido autenticar en el server SMTP con los parametros indicados, verifiquelo y "
    "vuelva a intentarlo");
const QString kSinAdjunto = QStringLiteral(
    "No se ha podido Adjuntar al correo con los parametros indicados, verifiquelo y vuelva a "
    "intentarlo");
const QString kRechazado =
    QStringLiteral("No se pudo enviar el correo, verifique la configuracion de la cuenta");
const QString kSinCifrado = QStringLiteral(
    "El server SMTP no ofrece una conexión cifrada (TLS) y la cuenta no se envía sin cifrar, "
    "verifique la configuración del servidor y vuelva a intentarlo");

// A server that offers no encryption, as one behind a man in the middle who strips it.
SmtpServer::Options withoutTls() {
    SmtpServer::Options options;
    options.tls = SmtpServer::Tls::None;
    return options;
}

class EnviarPyMailTest : public sendtest::SendTest {
protected:
    EnviarPyMailTest() {
        vb::App().EXEName = QStringLiteral("Zentrik");
        userAccount();
        dialog.MostrarAntes = true;
        dialog.fields = {{"De", "ana@empresa.com.ar"},
                         {"Para", "juan@cliente.com.ar;"},
                         {"Asunto", "Informe de errores"},
                         {"Mensaje", "Hola\r\nVa el informe"}};
    }

    // Loads the account as the dialog's load does, then sends.
    void send() {
        send::CargaCuentaEnvio(dialog.CuentaEnvio);
        send::EnviarPyMail(dialog);
    }

    Dialog dialog;
};

TEST_F(EnviarPyMailTest, OneMailPerRecipientOverOneConnectionWithTheReportAttached) {
    SmtpServer server;
    ComponentOnServer component(server);
    QByteArray pdf("%PDF-1.4\n");
    for (int i = 0; i < 300; ++i) pdf.append(char(i % 256));
    dialog.attachments = writeFile("153012.PDF", pdf);
    dialog.fields["Para"] = "juan@cliente.com.ar; maria@cliente.com.ar;";
    dialog.fields["Asunto"] = "Informe de errores de junio: señal ñandú";

    send();

    const QList<zxtest::ReceivedMail> mails = server.messages();
    ASSERT_EQ(mails.size(), 2);
    EXPECT_EQ(server.connections(), 1);
    EXPECT_EQ(mails[0].recipients, QStringList{"juan@cliente.com.ar"});
    EXPECT_EQ(mails[1].recipients, QStringList{"maria@cliente.com.ar"});
    for (const zxtest::ReceivedMail& m : mails) {
        SCOPED_TRACE(m.recipients.join(",").toStdString());
        EXPECT_EQ(m.login, SmtpServer::Options{}.login);
        EXPECT_EQ(m.header("From"), QString("ana@empresa.com.ar"));
        EXPECT_EQ(m.header("Reply-To"), QString("ana@empresa.com.ar"));
        EXPECT_EQ(m.header("Subject"), QString("Informe de errores de junio: señal ñandú"));
        EXPECT_TRUE(m.rawHeader("Subject").startsWith("=?"));
        EXPECT_EQ(m.structure,
                  QString("multipart/mixed[multipart/alternative[text/plain,text/html],"
                          "application/pdf]"));
        EXPECT_TRUE(m.defects.isEmpty()) << m.defects.join("; ").toStdString();
        ASSERT_EQ(m.parts.size(), 3);
        EXPECT_EQ(QString::fromUtf8(m.parts[0].content), QString("Hola\r\nVa el informe"));
        EXPECT_EQ(QString::fromUtf8(m.parts[1].content),
                  QString("<HTML><BODY>Hola<BR>\r\nVa el informe</BODY></HTML>"));
        EXPECT_EQ(m.parts[2].fileName, QString("153012.PDF"));
        EXPECT_EQ(m.parts[2].content, pdf);
    }
    // The account: the user's own, kind "Otro" on port 25.
    EXPECT_EQ(component.log().host, QString("mail.empresa.com.ar"));
    EXPECT_EQ(component.log().port, 25);
    EXPECT_EQ(component.log().created, 1);

    const QList<QStringList> log = sendLog();
    ASSERT_EQ(log.size(), 2);
    EXPECT_EQ(log[0].mid(0, 12),
              (QStringList{"ana@empresa.com.ar", "juan@cliente.com.ar",
                           "Informe de errores de junio: señal ñandú", "Hola\r\nVa el informe",
                           tmp.file("153012.PDF"), "ana", "", "", "OK", "",
                           SmtpServer::Options{}.login, "E"}));
    EXPECT_EQ(log[1][1], QString(" maria@cliente.com.ar"));
    EXPECT_EQ(log[1][8], QString("OK"));

    ASSERT_EQ(notices.size(), 2);
    EXPECT_EQ(notices[0].title, QString("Aviso del mail"));
    EXPECT_EQ(notices[0].text, QString("Mensaje Enviado correctamente"));
    EXPECT_EQ(notices[0].wait, 3);
    EXPECT_EQ(dialog.unloads, 1);
    EXPECT_TRUE(dialog.pSalir);
    EXPECT_TRUE(dialog.sendEnabled);
    EXPECT_EQ(op.busyDepth(), 0);
    EXPECT_TRUE(op.prompts().isEmpty());
}

TEST_F(EnviarPyMailTest, TheMessageAndTheSenderAreRemembered) {
    SmtpServer server;
    ComponentOnServer component(server);
    send();
    ASSERT_EQ(server.messages().size(), 1);
    QString ultimo;
    ModGlobal::Cfg("UM_saZentrik", &ultimo);
    EXPECT_EQ(ultimo, QString("Hola\r\nVa el informe"));
    EXPECT_EQ(ModGlobal::Cfg("email_de"), QString("ana@empresa.com.ar"));
}

TEST_F(EnviarPyMailTest, ARefusedLoginSendsNothing) {
    SmtpServer::Options options;
    options.password = "otra";
    SmtpServer server(options);
    ComponentOnServer component(server);
    op.answer(vb::vbOK);
    send();
    EXPECT_TRUE(server.messages().isEmpty());
    ASSERT_EQ(op.messages().size(), 1);
    EXPECT_EQ(op.messages()[0].text, kSinConexion);
    EXPECT_EQ(op.messages()[0].title, QString("Aviso al operador"));
    EXPECT_EQ(op.messages()[0].icon, int(vb::vbCritical));
    EXPECT_TRUE(sendLog().isEmpty());
    EXPECT_EQ(dialog.unloads, 0);
    EXPECT_FALSE(dialog.pSalir);
    EXPECT_TRUE(dialog.sendEnabled);
    EXPECT_EQ(op.busyDepth(), 0);
}

TEST_F(EnviarPyMailTest, ARefusedRecipientIsLoggedAndTheOthersGo) {
    SmtpServer::Options options;
    options.refuse = QStringList{"juan@cliente.com.ar"};
    SmtpServer server(options);
    ComponentOnServer component(server);
    dialog.fields["Para"] = "juan@cliente.com.ar;maria@cliente.com.ar";
    op.answer(vb::vbOK);
    send();

    ASSERT_EQ(server.messages().size(), 1);
    EXPECT_EQ(server.messages()[0].recipients, QStringList{"maria@cliente.com.ar"});
    ASSERT_EQ(op.messages().size(), 1);
    EXPECT_EQ(
        op.messages()[0].text,
        QStringLiteral("El envío del Email falló por las posibles razones:: \r\n") + kRechazado);
    const QList<QStringList> log = sendLog();
    ASSERT_EQ(log.size(), 2);
    EXPECT_EQ(log[0][1], QString("juan@cliente.com.ar"));
    EXPECT_EQ(log[0][8], kRechazado);
    EXPECT_EQ(log[1][1], QString("maria@cliente.com.ar"));
    EXPECT_EQ(log[1][8], QString("OK"));
    // Something failed: the dialog stays open with the recipients the operator typed.
    EXPECT_EQ(dialog.unloads, 0);
    EXPECT_EQ(dialog.Texto("Para"), QString("juan@cliente.com.ar;maria@cliente.com.ar"));
    EXPECT_TRUE(dialog.sendEnabled);
    EXPECT_EQ(op.busyDepth(), 0);
}

TEST_F(EnviarPyMailTest, AMissingAttachmentIsNotSent) {
    SmtpServer server;
    ComponentOnServer component(server);
    const QString pdf = writeFile("a.PDF", "%PDF-1.4\n");
    const QString missing = tmp.file("no-existe.PDF");
    dialog.attachments = pdf + ";" + missing + ";";
    op.answer(vb::vbOK);
    send();

    EXPECT_TRUE(server.messages().isEmpty());
    // Empty pieces of the list are not attached.
    EXPECT_EQ(component.log().attachments, (QStringList{pdf, missing}));
    ASSERT_EQ(op.messages().size(), 1);
    EXPECT_EQ(op.messages()[0].text, kSinAdjunto);
    const QList<QStringList> log = sendLog();
    ASSERT_EQ(log.size(), 1);
    EXPECT_EQ(log[0][8], kSinAdjunto);
    EXPECT_EQ(dialog.unloads, 0);
    EXPECT_TRUE(notices.isEmpty());
}

TEST_F(EnviarPyMailTest, WithoutTheComponentNothingIsTried) {
    sendtest::NoComponent none;
    op.answer(vb::vbOK);
    send();
    ASSERT_EQ(op.messages().size(), 1);
    EXPECT_EQ(op.messages()[0].text,
              QString("No se encuentra la biblioteca PyEmail.DLL o la misma no esta registrada "
                      "correctamente, verifiquelo y vuelva a intentarlo"));
    EXPECT_TRUE(sendLog().isEmpty());
    EXPECT_EQ(dialog.unloads, 0);
}

TEST_F(EnviarPyMailTest, TheMultiSelectListSendsOneMailEach) {
    struct Case {
        const char* name;
        QStringList chosen;
        int notices;
    };
    const Case cases[] = {
        {"three chosen: no notices", {"", "a@x.com", "b@x.com", "c@x.com"}, 0},
        {"one chosen: the notice", {"", "a@x.com"}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SmtpServer server;
        ComponentOnServer component(server);
        notices.clear();
        send::gSeleccionMultiple = c.chosen;
        dialog.MostrarAntes = false;
        dialog.fields["Para"] = "Seleccion Multiple";
        send();
        EXPECT_EQ(server.messages().size(), c.chosen.size() - 1);
        EXPECT_EQ(notices.size(), c.notices);
    }
}

TEST_F(EnviarPyMailTest, AnUnattendedSendHidesTheDialogSilently) {
    SmtpServer server;
    ComponentOnServer component(server);
    dialog.IdEvento = "42";
    dialog.MostrarAntes = false;
    send();
    EXPECT_EQ(server.messages().size(), 1);
    EXPECT_EQ(dialog.hides, 1);
    EXPECT_TRUE(notices.isEmpty());
    EXPECT_EQ(dialog.unloads, 0);
}

TEST_F(EnviarPyMailTest, ALostServerEndsTheSendWithItsMessage) {
    SmtpServer server;
    ComponentOnServer component(server);
    component.beforeSend([&] { server.stop(); });
    op.answer(vb::vbOK);
    send();
    ASSERT_EQ(op.messages().size(), 1);
    EXPECT_EQ(op.messages()[0].title, QString("Error al enviar correo"));
    EXPECT_EQ(op.messages()[0].text, QString(" No hay conexión a internet. Proceso cancelado."));
    EXPECT_EQ(dialog.unloads, 0);
    EXPECT_TRUE(dialog.sendEnabled);
    EXPECT_EQ(op.busyDepth(), 0);
}

TEST_F(EnviarPyMailTest, HeaderValuesCannotCarryLineBreaks) {
    SmtpServer server;
    ComponentOnServer component(server);
    dialog.fields["Asunto"] = "Informe\r\nBcc: espia@otro.com";
    send();
    ASSERT_EQ(server.messages().size(), 1);
    EXPECT_EQ(server.messages()[0].headerCount("Bcc"), 0);
    EXPECT_EQ(server.messages()[0].recipients, QStringList{"juan@cliente.com.ar"});
}

TEST_F(EnviarPyMailTest, ALoginNeverTravelsToAServerWithoutTls) {
    SmtpServer server(withoutTls());
    ComponentOnServer component(server);
    op.answer(vb::vbOK);
    send();

    EXPECT_TRUE(server.messages().isEmpty());
    const QByteArray clear = server.receivedInClear();
    EXPECT_TRUE(clear.contains("EHLO"));
    EXPECT_FALSE(clear.contains("AUTH"));
    EXPECT_FALSE(clear.contains(SmtpServer::Options{}.password.toUtf8()));
    ASSERT_EQ(op.messages().size(), 1);
    EXPECT_EQ(op.messages()[0].text, kSinCifrado);
    EXPECT_EQ(op.messages()[0].title, QString("Aviso al operador"));
    EXPECT_EQ(op.messages()[0].icon, int(vb::vbCritical));
    EXPECT_TRUE(sendLog().isEmpty());
    EXPECT_EQ(dialog.unloads, 0);
    EXPECT_TRUE(dialog.sendEnabled);
    EXPECT_EQ(op.busyDepth(), 0);
}

TEST_F(EnviarPyMailTest, ASendWithoutLoginMayGoInClear) {
    SmtpServer server(withoutTls());
    ComponentOnServer component(server);
    dialog.CuentaEnvio.Servidor = "Otro";
    dialog.CuentaEnvio.ServidorOtro = "mail.empresa.com.ar";
    send::EnviarPyMail(dialog);

    ASSERT_EQ(server.messages().size(), 1);
    EXPECT_FALSE(server.messages()[0].tls);
    EXPECT_EQ(server.messages()[0].login, QString());
    EXPECT_FALSE(server.receivedInClear().contains("AUTH"));
    ASSERT_EQ(sendLog().size(), 1);
    EXPECT_EQ(sendLog()[0][8], QString("OK"));
}

TEST_F(EnviarPyMailTest, TheHtmlCopyShowsTheOperatorsSignsAsText) {
    SmtpServer server;
    ComponentOnServer component(server);
    dialog.fields["Mensaje"] = "Adjunto <factura 15> & recibo\r\n<b>no</b>";
    send();
    ASSERT_EQ(server.messages().size(), 1);
    const zxtest::ReceivedMail mail = server.messages()[0];
    ASSERT_EQ(mail.parts.size(), 2);
    EXPECT_EQ(QString::fromUtf8(mail.parts[0].content),
              QString("Adjunto <factura 15> & recibo\r\n<b>no</b>"));
    EXPECT_EQ(QString::fromUtf8(mail.parts[1].content),
              QString("<HTML><BODY>Adjunto &lt;factura 15&gt; &amp; recibo<BR>\r\n"
                      "&lt;b&gt;no&lt;/b&gt;</BODY></HTML>"));
}

TEST_F(EnviarPyMailTest, ASecondSendWhileTheServerIsSlowIsRefused) {
    SmtpServer::Options options;
    options.hold = SmtpServer::Hold::Greeting;
    SmtpServer server(options);
    ComponentOnServer component(server);
    // The operator presses F2 again while the first send waits for the server's greeting.
    bool tried = false;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [&] {
            tried = true;
            EXPECT_TRUE(server.waitUntilHolding());
            server.release();
            send::EnviarPyMail(dialog);
        },
        Qt::QueuedConnection);
    send();

    EXPECT_TRUE(tried);
    EXPECT_EQ(server.messages().size(), 1);
    EXPECT_EQ(component.log().created, 1);
    ASSERT_EQ(sendLog().size(), 1);
    EXPECT_EQ(sendLog()[0][8], QString("OK"));
    EXPECT_EQ(notices.size(), 1);
    EXPECT_EQ(dialog.unloads, 1);
    EXPECT_TRUE(op.prompts().isEmpty());
    EXPECT_EQ(op.busyDepth(), 0);
}

// A server that trickles "250-" lines after the message holds its answer back for as long
// as it likes: the operator's cancel still ends the send at once, as cancelled, with nothing
// told or logged as sent and no further mail tried.
TEST_F(EnviarPyMailTest, ACancelWhileTheServerTricklesItsAnswerEndsTheSendAtOnce) {
    SmtpServer::Options options;
    options.hold = SmtpServer::Hold::Trickle;
    options.holdLimitMs = 15000;
    SmtpServer server(options);
    ComponentOnServer component(server);
    dialog.fields["Para"] = "juan@cliente.com.ar;ana@cliente.com.ar";
    QElapsedTimer sinceCancel;
    std::function<void()> look = [&] {
        if (!server.holding()) {
            QTimer::singleShot(5, look);
            return;
        }
        EXPECT_TRUE(send::CancelaEnvio(dialog));
        sinceCancel.start();
    };
    QTimer::singleShot(0, look);
    send();

    ASSERT_TRUE(sinceCancel.isValid());
    EXPECT_LT(sinceCancel.elapsed(), 3000);
    EXPECT_EQ(component.log().created, 1);
    ASSERT_EQ(sendLog().size(), 1);
    EXPECT_EQ(sendLog()[0][8], QString("Envío cancelado por el operador"));
    EXPECT_TRUE(notices.isEmpty());
    EXPECT_TRUE(op.prompts().isEmpty());
    EXPECT_EQ(dialog.unloads, 0);
    EXPECT_FALSE(dialog.EnvioEnCurso);
    EXPECT_EQ(op.busyDepth(), 0);
}

}  // namespace
