#include "send/verificaemail.h"

#include "app/arranque.h"
#include "core/globals.h"
#include "platform/reportengine/document.h"
#include "platform/vendrix/clsreporte.h"
#include "send/frmenviar.h"
#include "send/hooks.h"
#include "tests/core/temp_env.h"
#include "tests/send/mail_component.h"
#include "tests/send/send_fixture.h"
#include "tests/voucherprint/print_world.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

using sendtest::Dialog;

const QString kFactura = QStringLiteral("000100000123A");

// The automatic mailing of the invoice FC 0001-00000123A of the account C001, printed by the
// real voucher data and voucher printer into report forms of the test, on 05/03/2024 21:07:42
// at the station "pc-salon|mozo1".
class VerificaeMailTest : public ::testing::Test {
protected:
    VerificaeMailTest() {
        world.exec(QString::fromUtf8(zxtest::readFile(
            zxtest::sourcePath(QStringLiteral("tests/data/voucherdata/vouchers.sql")))));
        world.exec(
            "INSERT INTO MA_CONTACTOS (Nombre_y_Apellido, CuentaRel, email, mailPGCB) VALUES "
            "('Ana', 'C001', 'compras@c001.com', 1), ('Beto', 'C001', 'pagos@c001.com', 1);"
            "INSERT INTO VT_CLIENTES (CODIGO, fax) VALUES ('C001', ' 341 555-5555 ')");
        world.formulario("FC-A");
        previous_ = sendhooks::servicios();
        arranque::instalaDocumentosEnEnvio();
    }
    ~VerificaeMailTest() override { sendhooks::servicios() = previous_; }

    // A mail rule; `sinConfirmacion` as SQL ("1", "0" or "NULL").
    void regla(const QString& activador, const QString& sinConfirmacion, int baja = 0) {
        world.exec(
            QStringLiteral("INSERT INTO V_MA_EMAIL (codigoactivador, baja, SinConfirmacion, "
                           "De, Para, Asunto, Mensaje) VALUES ('%1', %2, %3, "
                           "'ventas@empresa.com', 'respaldo@c001.com', 'Su comprobante ', "
                           "'Adjuntamos su comprobante.')")
                .arg(activador)
                .arg(baja)
                .arg(sinConfirmacion));
    }
    void verifica(QString cuenta = QStringLiteral("C001"), QString tc = QStringLiteral("FC"),
                  bool porPantalla = false, bool forzar = false) {
        send::VerificaeMail(dialog, cuenta, tc, vb::Variant(kFactura), porPantalla, forzar);
        cuentaFinal = cuenta;
        porPantallaFinal = porPantalla;
    }
    // The export folder of a send at the world's moment.
    QString carpeta() const { return tmp.path() + "/E-MAILS/ENVIOS/05-03-2024/21.07.42/"; }

    vptest::PrintWorld world;
    coretest::TempFolder tmp;
    Dialog dialog;
    QString cuentaFinal;
    bool porPantallaFinal = true;

private:
    sendhooks::Servicios previous_;
};

TEST_F(VerificaeMailTest, ARuleWithoutConfirmationMailsTheInvoiceAtOnce) {
    regla("FC,NC", "1");
    bool paginaImpresa = false;
    Dialog enviado;
    dialog.onSend = [&](Dialog& d) {
        enviado = d;
        paginaImpresa = QFile::exists(carpeta() + "C001.htm");
    };
    verifica();
    ASSERT_EQ(dialog.sends, 1);
    EXPECT_EQ(enviado.fields["De"], QString("ventas@empresa.com"));
    EXPECT_EQ(enviado.fields["Para"], QString("compras@c001.com;pagos@c001.com"));
    // The rule's subject runs straight into the reference.
    EXPECT_EQ(enviado.fields["Asunto"], QString("Su comprobante (FC 000100000123A)"));
    EXPECT_EQ(enviado.fields["Mensaje"], QString("Adjuntamos su comprobante."));
    EXPECT_EQ(enviado.attachments, carpeta() + "C0011.PDF");
    EXPECT_EQ(enviado.archAdjunto, carpeta() + "C0011.PDF");
    EXPECT_EQ(enviado.TC, QString("FC"));
    EXPECT_EQ(enviado.IdComprobante, kFactura);
    EXPECT_EQ(enviado.Cuenta, QString("C001"));
    EXPECT_FALSE(enviado.MostrarAntes);
    EXPECT_EQ(enviado.whatsappTo, QString("341 555-5555"));
    EXPECT_EQ(enviado.whatsappLabel, QString("341 555-5555"));
    EXPECT_EQ(enviado.lastMessageLoads, 1);
    // The footer page was previewed, then hidden for the send.
    EXPECT_EQ(enviado.previews, (QStringList{tmp.path() + "/PiePag.htm", ""}));
    EXPECT_TRUE(paginaImpresa);

    // The attachment: the voucher's work-table rows of this station, exported to PDF.
    EXPECT_TRUE(zxtest::readFile(carpeta() + "C0011.PDF").startsWith("%PDF"));
    const QString impreso = vptest::describe(reportengine::loadDocument(carpeta() + "C0011.RPT"));
    EXPECT_TRUE(impreso.startsWith("FC-A | ")) << impreso.toStdString();
    EXPECT_TRUE(impreso.contains("A1; B2; ; C3; D4")) << impreso.toStdString();
    // The page goes; the files of the attachment stay.
    EXPECT_FALSE(QFile::exists(carpeta() + "C001.htm"));
    EXPECT_EQ(dialog.unloads, 2);
    EXPECT_EQ(dialog.shows, 0);
    EXPECT_TRUE(world.op.prompts().isEmpty());
}

TEST_F(VerificaeMailTest, ARuleThatAsksShowsTheDialogUntilTheOperatorIsDone) {
    for (const char* sin : {"NULL", "0"}) {
        SCOPED_TRACE(sin);
        world.exec("DELETE FROM V_MA_EMAIL");
        regla("FC", sin);
        Dialog d;
        d.onShow = [](Dialog& shown) {
            EXPECT_TRUE(shown.MostrarAntes);
            EXPECT_FALSE(shown.pSalir);
            // The operator leaves at the second look.
            if (++shown.hides == 2) shown.pSalir = true;
        };
        dialog = d;
        verifica();
        EXPECT_EQ(dialog.shows, 2);
        EXPECT_EQ(dialog.sends, 0);
        EXPECT_EQ(dialog.unloads, 1);
        EXPECT_FALSE(QFile::exists(carpeta() + "C001.htm"));
    }
}

TEST_F(VerificaeMailTest, OnlyAnActiveRuleHoldingTheTypeFires) {
    struct Case {
        const char* name;
        QString activador;
        int baja;
        int sends;
    };
    const Case cases[] = {
        {"another type", "NC,ND", 0, 0},
        {"a rule given up", "FC", 1, 0},
        // The types are matched as text: a rule of "FCC" holds "FC".
        {"a longer type", "FCC", 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        world.exec("DELETE FROM V_MA_EMAIL");
        regla(c.activador, "1", c.baja);
        dialog = Dialog();
        verifica();
        EXPECT_EQ(dialog.sends, c.sends);
        EXPECT_EQ(dialog.unloads, c.sends ? 2 : 1);
        EXPECT_EQ(QFile::exists(carpeta() + "C0011.PDF"), c.sends == 1);
        QDir(tmp.path() + "/E-MAILS").removeRecursively();
    }
}

TEST_F(VerificaeMailTest, AForcedSendNeedsNoRuleAndAlwaysAsks) {
    world.config("email_de", " cobranzas@empresa.com ");
    dialog.onShow = [](Dialog& d) {
        EXPECT_EQ(d.fields["De"], QString("cobranzas@empresa.com"));
        EXPECT_EQ(d.fields["Para"], QString("compras@c001.com;pagos@c001.com"));
        EXPECT_EQ(d.fields["Asunto"], QString("FC 000100000123A"));
        EXPECT_EQ(d.fields["Mensaje"], QString());
        EXPECT_EQ(d.attachments, d.archAdjunto);
        d.pSalir = true;
    };
    verifica("C001", "FC", true, true);
    EXPECT_EQ(dialog.shows, 1);
    EXPECT_EQ(dialog.sends, 0);
    EXPECT_FALSE(porPantallaFinal);
    EXPECT_TRUE(QFile::exists(carpeta() + "C0011.PDF"));
}

TEST_F(VerificaeMailTest, ABlankAccountIsTheVoucherNumber) {
    regla("FC", "1");
    dialog.onSend = [this](Dialog& d) {
        EXPECT_EQ(d.Cuenta, kFactura);
        EXPECT_EQ(d.attachments, carpeta() + kFactura + "1.PDF");
        // No customer has that code: no phone.
        EXPECT_EQ(d.whatsappTo, QString());
    };
    verifica("  ");
    EXPECT_EQ(cuentaFinal, kFactura);
    EXPECT_EQ(dialog.sends, 1);
}

TEST_F(VerificaeMailTest, TheAttachmentFormatComesFromTheConfiguration) {
    struct Case {
        const char* formato;
        QString adjunto;
        QString impreso;  // the file of the second print
    };
    const Case cases[] = {
        {"pdf", "C0011.pdf", "C0011.RPT"},
        {"HTML", "C0011.HTML", "C0011.HTML"},
        {"RPT", "C0011.RPT", "C0011.RPT"},
    };
    regla("FC", "1");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.formato);
        world.exec("DELETE FROM TA_CONFIGURACION WHERE CLAVE = 'eMail_formatoadjunto'");
        world.config("eMail_formatoadjunto", c.formato);
        QString adjunto;
        dialog = Dialog();
        dialog.onSend = [&](Dialog& d) { adjunto = d.attachments; };
        verifica();
        EXPECT_EQ(adjunto, carpeta() + c.adjunto);
        EXPECT_TRUE(QFile::exists(carpeta() + c.impreso));
        EXPECT_TRUE(QFile::exists(carpeta() + c.adjunto));
        QDir(tmp.path() + "/E-MAILS").removeRecursively();
    }
    EXPECT_TRUE(world.op.prompts().isEmpty());
}

// The mailing prints one copy whatever the type's printer settings or the electronic copies
// ask for: with a form per copy, the attachment is the first copy's form and heading.
TEST_F(VerificaeMailTest, TheAttachmentIsOneCopyWhateverTheCopiesConfigured) {
    for (const char* f : {"FC-A1", "FC-A2", "FC-A3"}) world.formulario(f);
    world.exec(
        "INSERT INTO TA_REPORTES (NOMBRE, Archivo, Archivo2, Archivo3) VALUES "
        "('FC-A', 'FC-A1.rpt', 'FC-A2.rpt', 'FC-A3.rpt')");
    regla("FC", "1");
    struct Case {
        const char* name;
        const char* copiasImpresora;  // CantCopias of the type's printer settings
        const char* copiasEfactura;   // null: no key
        bool electronico;
        const char* encabezado;  // where the copy heading travels
    };
    const Case cases[] = {
        {"printer settings of three copies", "3", nullptr, false, "Encabezado=ORIGINAL"},
        {"three electronic copies", "1", "3", true, "CodigoPostal=ORIGINAL"},
        {"both", "3", "2", true, "CodigoPostal=ORIGINAL"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        world.exec("DELETE FROM TA_CONFIG_IMP_CPTE");
        world.exec("DELETE FROM TA_CONFIGURACION WHERE CLAVE = 'copias_efactura'");
        world.exec("DELETE FROM V_MV_CPTE_ELECTRONICOS");
        world.impresion("FC", "A", "Impresora", c.copiasImpresora);
        if (c.copiasEfactura) world.config("copias_efactura", c.copiasEfactura);
        if (c.electronico)
            world.exec(
                "INSERT INTO V_MV_CPTE_ELECTRONICOS (TC, IDCOMPROBANTE, fecha_CPTE) VALUES "
                "('FC', '000100000123A', '2024-03-05')");
        dialog = Dialog();
        verifica();
        EXPECT_EQ(dialog.sends, 1);
        const QString impreso =
            vptest::describe(reportengine::loadDocument(carpeta() + "C0011.RPT"));
        EXPECT_TRUE(impreso.startsWith("FC-A1 | ")) << impreso.toStdString();
        EXPECT_TRUE(impreso.contains(c.encabezado)) << impreso.toStdString();
        EXPECT_FALSE(impreso.contains("DUPLICADO")) << impreso.toStdString();
        QDir(tmp.path() + "/E-MAILS").removeRecursively();
    }
    EXPECT_TRUE(world.op.prompts().isEmpty());
}

// A forced send fills only what is blank after trimming: "De" from the configuration (trimmed),
// "Para" from the contacts, "Asunto" with the type and the number.
TEST_F(VerificaeMailTest, AForcedSendFillsTheBlankFieldsOnly) {
    world.config("email_de", "  cobranzas@empresa.com ");
    struct Case {
        const char* name;
        QString de, para, asunto;  // as the dialog held them
        QString deFinal, paraFinal, asuntoFinal;
    };
    const Case cases[] = {
        {"empty", "", "", "", "cobranzas@empresa.com", "compras@c001.com;pagos@c001.com",
         "FC 000100000123A"},
        {"blanks", "   ", "  ", "  ", "cobranzas@empresa.com", "compras@c001.com;pagos@c001.com",
         "FC 000100000123A"},
        {"given", "yo@empresa.com", "otro@c001.com", "Mi asunto", "yo@empresa.com",
         "otro@c001.com", "Mi asunto"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dialog = Dialog();
        dialog.fields["De"] = c.de;
        dialog.fields["Para"] = c.para;
        dialog.fields["Asunto"] = c.asunto;
        dialog.fields["Mensaje"] = "de antes";
        Dialog visto;
        dialog.onShow = [&](Dialog& d) {
            visto = d;
            d.pSalir = true;
        };
        verifica("C001", "FC", false, true);
        EXPECT_EQ(dialog.shows, 1);
        EXPECT_EQ(visto.fields["De"], c.deFinal);
        EXPECT_EQ(visto.fields["Para"], c.paraFinal);
        EXPECT_EQ(visto.fields["Asunto"], c.asuntoFinal);
        EXPECT_EQ(visto.fields["Mensaje"], QString());
        QDir(tmp.path() + "/E-MAILS").removeRecursively();
    }
}

TEST_F(VerificaeMailTest, OnTheScreenTheInvoiceIsShownTwiceAndNothingIsMailed) {
    regla("FC", "1");
    world.expectPreviews(2);
    verifica("C001", "FC", true);
    ASSERT_EQ(world.previews.size(), 2);
    EXPECT_TRUE(world.previews[0].startsWith("FC-A | "));
    EXPECT_EQ(dialog.sends, 0);
    EXPECT_EQ(dialog.unloads, 0);
    EXPECT_FALSE(QFile::exists(carpeta() + "C0011.PDF"));
}

TEST_F(VerificaeMailTest, ACashClosingGoesWithoutAttachment) {
    regla("@CJA", "1");
    QString adjunto = "sin tocar";
    dialog.onSend = [&](Dialog& d) { adjunto = d.attachments; };
    QString cuenta = "C001";
    QString tc = "@CJA";
    bool porPantalla = false;
    bool forzar = false;
    send::VerificaeMail(dialog, cuenta, tc, vb::Variant(QStringLiteral("15")), porPantalla,
                        forzar);
    EXPECT_EQ(dialog.sends, 1);
    EXPECT_EQ(adjunto, QString());
    EXPECT_TRUE(world.op.prompts().isEmpty());
}

// The whole road on the real dialog: the rule sends at once and the customer gets the PDF.
TEST_F(VerificaeMailTest, TheCustomerReceivesTheInvoiceAsAPdf) {
    regla("FC", "1");
    zxtest::SmtpServer server;
    sendtest::ComponentOnServer component(server);
    ModGlobal::gUsuarioLogeado = "ana";
    const zxtest::SmtpServer::Options cuenta;
    world.exec(QStringLiteral("INSERT INTO TA_USUARIOS (Nombre, eMail_Server, email_usuario, "
                              "email_Password, email_ServerOtro) VALUES ('ana', 'Otro', '%1', "
                              "'%2', 'mail.empresa.com.ar')")
                   .arg(cuenta.login, cuenta.password));
    QList<sendtest::Notice> avisos;
    auto anterior =
        sendhooks::setAvisoTemporizado([&](const QString& t, const QString& m, std::int16_t e) {
            avisos.append({t, m, e});
        });
    FrmEnviar frm;
    QString c = "C001", tc = "FC";
    bool porPantalla = false, forzar = false;
    frm.VerificaeMail(c, tc, vb::Variant(kFactura), porPantalla, forzar);
    sendhooks::setAvisoTemporizado(std::move(anterior));
    ModGlobal::gUsuarioLogeado.clear();

    ASSERT_EQ(server.messages().size(), 2);
    for (const zxtest::ReceivedMail& mail : server.messages()) {
        EXPECT_EQ(mail.header("Subject"), QString("Su comprobante (FC 000100000123A)"));
        ASSERT_EQ(mail.parts.size(), 3);
        EXPECT_EQ(mail.parts[2].fileName, QString("C0011.PDF"));
        EXPECT_EQ(mail.parts[2].content, zxtest::readFile(carpeta() + "C0011.PDF"));
    }
    const QList<QStringList> log = world.data.rows(
        "SELECT Para, TC, IdComprobante, Cuenta, Status FROM V_MA_EMAILMOV ORDER BY ID");
    EXPECT_EQ(log, (QList<QStringList>{{"compras@c001.com", "FC", kFactura, "C001", "OK"},
                                       {"pagos@c001.com", "FC", kFactura, "C001", "OK"}}));
    EXPECT_EQ(avisos.size(), 2);
    EXPECT_FALSE(frm.isVisible());
    EXPECT_TRUE(frm.pSalir);
}

// An account is a value inside the selection formula, never a part of it: a crafted one selects
// no other account's purchase, and one with an apostrophe mails its own document.
TEST_F(VerificaeMailTest, TheAccountIsQuotedInTheSelectionOfAPurchase) {
    regla("FCC", "1");
    const QString forma =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<report version=\"1\" title=\"FCC-A\">\n"
        "<page size=\"A4\" left=\"10\" top=\"10\" right=\"10\" bottom=\"10\"/>\n"
        "<data table=\"C_MV_CPTE\"/>\n"
        "<detail height=\"4\">"
        "<field x=\"0\" y=\"0\" width=\"90\" height=\"4\" source=\"{C_MV_CPTE.IDCOMPROBANTE}\"/>"
        "<field x=\"90\" y=\"0\" width=\"90\" height=\"4\" source=\"{C_MV_CPTE.CUENTA}\"/>"
        "</detail>\n</report>\n";
    ASSERT_TRUE(zxtest::writeFile(world.folder.file("FCC-A.rpt"), forma.toUtf8()));
    const QString cuentas[] = {"X' OR 'A'='A", "D'ANGELO"};
    for (const QString& cuenta : cuentas) {
        SCOPED_TRACE(cuenta.toStdString());
        world.exec("DELETE FROM C_MV_CPTE; DELETE FROM V_MA_EMAILMOV");
        world.exec(QStringLiteral(
                       "INSERT INTO C_MV_CPTE (TC, IDCOMPROBANTE, CUENTA, IMPORTE) VALUES "
                       "('FCC', '%1', '%2', 100), ('FCC', '000100000999A', 'X', 900), "
                       "('FCC', '000100000998A', 'D', 800), ('FCC', '%1', 'OTRA', 700)")
                       .arg(kFactura, QString(cuenta).replace("'", "''")));
        QString adjunto;
        dialog.onSend = [&](Dialog& d) { adjunto = d.attachments; };
        dialog.sends = 0;
        verifica(cuenta, "FCC");
        ASSERT_EQ(dialog.sends, 1);
        EXPECT_EQ(adjunto, carpeta() + cuenta + "1.PDF");
        const reportengine::ReportDocument impreso =
            reportengine::loadDocument(carpeta() + cuenta + "1.RPT");
        ASSERT_EQ(impreso.data.rows.size(), 1) << vptest::describe(impreso).toStdString();
        EXPECT_EQ(impreso.data.rows[0][0], vb::Variant(kFactura));
        EXPECT_EQ(impreso.data.rows[0][1], vb::Variant(cuenta));
        EXPECT_TRUE(world.op.prompts().isEmpty());
    }
}

// The account names the files of the send: one with a folder part is refused before anything
// is written or mailed.
TEST_F(VerificaeMailTest, AnAccountWithAFolderPartIsRefused) {
    regla("FC", "1");
    const QString cuentas[] = {"../../fuera", "a/b", "..\\fuera", "/tmp/x"};
    for (const QString& cuenta : cuentas) {
        SCOPED_TRACE(cuenta.toStdString());
        const qsizetype antes = world.op.messages().size();
        world.op.answer(vb::vbAbort);
        verifica(cuenta);
        EXPECT_EQ(dialog.sends, 0);
        ASSERT_EQ(world.op.messages().size(), antes + 1);
        EXPECT_TRUE(world.op.messages().last().text.contains(cuenta))
            << world.op.messages().last().text.toStdString();
        EXPECT_TRUE(QDir(carpeta()).entryList(QDir::Files).isEmpty());
        EXPECT_FALSE(QFile::exists(tmp.path() + "/E-MAILS/fuera.htm"));
        EXPECT_FALSE(QFile::exists(tmp.path() + "/E-MAILS/ENVIOS/fuera.htm"));
    }
}

// A rule that asks: the real dialog stays on screen, usable, until the operator leaves it.
TEST_F(VerificaeMailTest, TheDialogWaitsForTheOperator) {
    regla("FC", "NULL");
    FrmEnviar frm;
    bool visto = false;
    QTimer::singleShot(0, &frm, [&] {
        visto = frm.isVisible();
        EXPECT_EQ(frm.Texto("Asunto"), QString("Su comprobante (FC 000100000123A)"));
        EXPECT_EQ(frm.txtAttach->text(), carpeta() + "C0011.PDF");
        EXPECT_EQ(frm.txtParaWhatsapp->text(), QString("341 555-5555"));
        EXPECT_FALSE(frm.pSalir);
        frm.cmdExit->click();
    });
    QString c = "C001", tc = "FC";
    bool porPantalla = false, forzar = false;
    frm.VerificaeMail(c, tc, vb::Variant(kFactura), porPantalla, forzar);
    EXPECT_TRUE(visto);
    EXPECT_TRUE(frm.pSalir);
    EXPECT_FALSE(frm.isVisible());
    EXPECT_TRUE(world.data.rows("SELECT ID FROM V_MA_EMAILMOV").isEmpty());
    EXPECT_FALSE(QFile::exists(carpeta() + "C001.htm"));
}

// The user "ana" with the account the test server accepts, for the sends of the real dialog.
void cuentaDeAna(vptest::PrintWorld& world) {
    ModGlobal::gUsuarioLogeado = "ana";
    const zxtest::SmtpServer::Options cuenta;
    world.exec(QStringLiteral("INSERT INTO TA_USUARIOS (Nombre, eMail_Server, email_usuario, "
                              "email_Password, email_ServerOtro) VALUES ('ana', 'Otro', '%1', "
                              "'%2', 'mail.empresa.com.ar')")
                   .arg(cuenta.login, cuenta.password));
}

constexpr int kF2 = 113;

// On the automatic mailing's road a failed mail keeps the dialog on screen with what the
// operator wrote, and the wait goes on until the operator leaves.
TEST_F(VerificaeMailTest, AFailedMailKeepsTheDialogOpen) {
    regla("FC", "NULL");
    zxtest::SmtpServer::Options opciones;
    opciones.refuse = QStringList{"pagos@c001.com"};
    zxtest::SmtpServer server(opciones);
    sendtest::ComponentOnServer component(server);
    cuentaDeAna(world);
    QList<sendtest::Notice> avisos;
    auto anterior =
        sendhooks::setAvisoTemporizado([&](const QString& t, const QString& m, std::int16_t e) {
            avisos.append({t, m, e});
        });
    world.op.answer(vb::vbOK);  // the failure is told
    FrmEnviar frm;
    bool abierto = false, hecho = true;
    QString mensaje;
    QTimer::singleShot(0, &frm, [&] {
        frm.SetTexto("Mensaje", "Va la factura de junio");
        frm.Form_KeyDown(kF2, 0);
        abierto = frm.isVisible();
        hecho = frm.pSalir;
        mensaje = frm.Texto("Mensaje");
        frm.cmdExit->click();
    });
    QString c = "C001", tc = "FC";
    bool porPantalla = false, forzar = false;
    frm.VerificaeMail(c, tc, vb::Variant(kFactura), porPantalla, forzar);
    sendhooks::setAvisoTemporizado(std::move(anterior));
    ModGlobal::gUsuarioLogeado.clear();

    EXPECT_TRUE(abierto);
    EXPECT_FALSE(hecho);
    EXPECT_EQ(mensaje, QString("Va la factura de junio"));
    ASSERT_EQ(server.messages().size(), 1);
    EXPECT_EQ(server.messages()[0].recipients, QStringList{"compras@c001.com"});
    const QList<QStringList> log =
        world.data.rows("SELECT Para, Status FROM V_MA_EMAILMOV ORDER BY ID");
    ASSERT_EQ(log.size(), 2);
    EXPECT_EQ(log[0], (QStringList{"compras@c001.com", "OK"}));
    EXPECT_EQ(log[1][0], QString("pagos@c001.com"));
    EXPECT_NE(log[1][1], QString("OK"));
    EXPECT_EQ(world.op.messages().size(), 1);
    EXPECT_FALSE(frm.isVisible());
    EXPECT_TRUE(frm.pSalir);
}

// On the automatic mailing's road too, F2 pressed again while the server is slow is refused.
TEST_F(VerificaeMailTest, ASecondF2WhileTheServerIsSlowSendsOnce) {
    regla("FC", "NULL");
    zxtest::SmtpServer::Options opciones;
    opciones.hold = zxtest::SmtpServer::Hold::Greeting;
    zxtest::SmtpServer server(opciones);
    sendtest::ComponentOnServer component(server);
    cuentaDeAna(world);
    auto anterior =
        sendhooks::setAvisoTemporizado([](const QString&, const QString&, std::int16_t) {});
    FrmEnviar frm;
    bool esperando = false;
    QTimer::singleShot(0, &frm, [&] {
        frm.SetTexto("Para", "compras@c001.com");
        QTimer::singleShot(0, &frm, [&] {
            esperando = server.waitUntilHolding();
            frm.Form_KeyDown(kF2, 0);
            server.release();
        });
        frm.Form_KeyDown(kF2, 0);
    });
    QString c = "C001", tc = "FC";
    bool porPantalla = false, forzar = false;
    frm.VerificaeMail(c, tc, vb::Variant(kFactura), porPantalla, forzar);
    sendhooks::setAvisoTemporizado(std::move(anterior));
    ModGlobal::gUsuarioLogeado.clear();

    EXPECT_TRUE(esperando);
    EXPECT_EQ(server.messages().size(), 1);
    EXPECT_EQ(world.data.rows("SELECT Para, Status FROM V_MA_EMAILMOV ORDER BY ID"),
              (QList<QStringList>{{"compras@c001.com", "OK"}}));
    EXPECT_TRUE(world.op.prompts().isEmpty());
    EXPECT_FALSE(frm.isVisible());
    EXPECT_TRUE(frm.pSalir);
}

// A collection receipt goes through the receipt print data: its rows and report formulas
// reach the printed attachment.
TEST(VerificaeMailReciboTest, AReceiptIsPrintedWithItsFormulas) {
    vptest::PrintWorld world;
    coretest::TempFolder tmp;
    world.exec(QString::fromUtf8(
        zxtest::readFile(zxtest::sourcePath(QStringLiteral("tests/data/receipts/receipts.sql")))));
    // Printed as a receipt, not as the accounting entry of a voucher of the ledger.
    world.exec("DELETE FROM V_TA_CPTE WHERE Codigo = 'CB'");
    // The form shows the receipt's amount formula.
    const QString forma = world.formulario("CB-X");
    QByteArray xml = zxtest::readFile(forma);
    xml.replace("{@Prm_Extra}", "{@Prm_ImporteCpte}");
    ASSERT_TRUE(zxtest::writeFile(forma, xml));
    world.exec(
        "INSERT INTO V_MA_EMAIL (codigoactivador, baja, SinConfirmacion, Asunto) VALUES "
        "('CB', 0, 1, 'Recibo ')");
    const sendhooks::Servicios previous = sendhooks::servicios();
    arranque::instalaDocumentosEnEnvio();
    ModGlobal::gCantidadDecimales = QStringLiteral("2");
    Dialog dialog;
    QString adjunto;
    dialog.onSend = [&](Dialog& d) { adjunto = d.attachments; };
    QString cuenta = "C0001", tc = "CB";
    bool porPantalla = false, forzar = false;
    send::VerificaeMail(dialog, cuenta, tc, vb::Variant(QStringLiteral("000100000010X")),
                        porPantalla, forzar);
    sendhooks::servicios() = previous;
    ModGlobal::gCantidadDecimales.clear();

    const QString carpeta = tmp.path() + "/E-MAILS/ENVIOS/05-03-2024/21.07.42/";
    EXPECT_EQ(adjunto, carpeta + "C00011.PDF");
    EXPECT_TRUE(zxtest::readFile(adjunto).startsWith("%PDF"));
    const QString impreso = vptest::describe(reportengine::loadDocument(carpeta + "C00011.RPT"));
    EXPECT_TRUE(impreso.startsWith("CB-X | ")) << impreso.toStdString();
    // The receipt's rows of this station and its formulas.
    EXPECT_TRUE(impreso.contains("Prm_ImporteCpte=1350,00")) << impreso.toStdString();
    EXPECT_TRUE(impreso.contains("| 02/11/2026; 15/11/2026; 05/10/2026")) << impreso.toStdString();
    EXPECT_TRUE(world.op.prompts().isEmpty());
}

}  // namespace
