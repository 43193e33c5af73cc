#include "send/registro.h"

#include "send/emailaux.h"
#include "tests/send/send_fixture.h"

#include "platform/vb/textfile.h"

#include <QDir>

namespace {

using sendtest::Dialog;

class RegistrarEnvioTest : public sendtest::SendTest {
protected:
    RegistrarEnvioTest() {
        dialog.fields = {{"De", "ana@empresa.com.ar"},
                         {"Para", "juan@cliente.com.ar"},
                         {"Asunto", "Factura"},
                         {"Mensaje", "Adjunto la factura"}};
        dialog.attachments = "/tmp/FA.pdf";
        dialog.TC = "FA";
        dialog.IdComprobante = "0001000001234";
        dialog.Cuenta = "C001";
        dialog.CuentaEnvio.Usuario = "ventas@empresa.com.ar";
        dialog.CuentaEnvio.Password = "clave-secreta";
        dialog.whatsappTo = "+54 9 11-5555/1234";
        dialog.whatsappText = "Hola, te paso el link";
    }
    Dialog dialog;
};

TEST_F(RegistrarEnvioTest, OneRowPerCallFromTheFieldsOfItsMode) {
    send::RegistrarEnvio(dialog, false, QString(), QString(), false);
    send::RegistrarEnvio(dialog, true, "No se pudo enviar el correo", QString(), false);
    send::RegistrarEnvio(dialog, false, QString(), QString(), true);
    const QList<QStringList> log = sendLog();
    ASSERT_EQ(log.size(), 3);
    const QString ahora = clock.now().toString("yyyy-MM-dd HH:mm:ss");
    EXPECT_EQ(log[0],
              (QStringList{"ana@empresa.com.ar", "juan@cliente.com.ar", "Factura",
                           "Adjunto la factura", "/tmp/FA.pdf", "ana", "FA", "0001000001234", "OK",
                           "C001", "ventas@empresa.com.ar", "E", ahora}));
    EXPECT_EQ(log[1][8], QString("No se pudo enviar el correo"));
    // WhatsApp: the number without blanks, dashes and slashes, no prefix added.
    EXPECT_EQ(log[2], (QStringList{"ana", "+5491155551234", "Enviado Via Whatsapp",
                                   "Hola, te paso el link", "", "ana", "FA", "0001000001234", "OK",
                                   "C001", "Whatsapp", "E", ahora}));
    // The account's password is nowhere in the log.
    for (const QStringList& row : log) EXPECT_FALSE(row.join("|").contains("clave-secreta"));
}

TEST_F(RegistrarEnvioTest, AReportSendLogsNoVoucher) {
    Dialog report;
    report.fields = {{"De", "ana@empresa.com.ar"}, {"Para", "soporte@vendrix.com.ar"}};
    send::RegistrarEnvio(report, false, QString(), QString(), false);
    const QList<QStringList> log = sendLog();
    ASSERT_EQ(log.size(), 1);
    EXPECT_EQ(log[0][6], QString(""));
    EXPECT_EQ(log[0][7], QString(""));
    EXPECT_EQ(log[0][9], QString(""));
}

TEST_F(RegistrarEnvioTest, ActualizaContestadoMarksOnlyThatMail) {
    data.exec("INSERT INTO V_MA_EMAILMOV (uidl, Status) VALUES ('a1', 'OK'), ('b2', 'OK')");
    // Texts that would change the statement's meaning if they were pasted into it.
    send::ActualizaContestado("O'Brien", "x' or '1'='1", "");
    send::ActualizaContestado("ana", "   ", "");
    send::ActualizaContestado(" O'Brien ", "a1", "");
    EXPECT_EQ(data.rows("SELECT uidl, Status, contestadopor FROM V_MA_EMAILMOV ORDER BY ID"),
              (QList<QStringList>{{"a1", "HTML", "O'Brien"}, {"b2", "OK", QString()}}));
}

TEST_F(RegistrarEnvioTest, TheStyleSheetHasARowClassPerColouredClassification) {
    data.exec(
        "INSERT INTO TA_CLASIFICACIONES (Codigo, Color) VALUES ('MOR', '16711680'), "
        "('SIN', NULL), ('VIP ', '255')");
    eMailAux::GeneraEstiloCSS(tmp.path());
    const std::optional<QStringList> lines =
        vb::readTextLines(QDir(tmp.path()).filePath("Style_Quastel.css"));
    ASSERT_TRUE(lines.has_value());
    ASSERT_EQ(lines->size(), 35);
    EXPECT_EQ(lines->at(0), QString("/* Quastel: style sheet */"));
    EXPECT_EQ(lines->at(2), QString("/* Background de página */"));
    EXPECT_EQ(lines->at(22), QString(".TableRowClasificacionMOR{ background: #0000FF; font-size: "
                                     "10; FONT-FAMILY: Verdana; font-color: black;}"));
    EXPECT_EQ(lines->at(23), QString(".TableRowClasificacionVIP{ background: #FF0000; font-size: "
                                     "10; FONT-FAMILY: Verdana; font-color: black;}"));
    EXPECT_EQ(
        lines->at(24),
        QString(".TableRowAbierto{  font-size: 10; FONT-FAMILY: Verdana; font-color: black;}"));
    EXPECT_EQ(lines->at(34), QString(".BotonDisabled {background-color:#CCCCFF; color:#000000;}"));
}

TEST_F(RegistrarEnvioTest, AnEmptyClassificationTableGivesNoRowClasses) {
    eMailAux::GeneraEstiloCSS(tmp.path() + "/");
    const std::optional<QStringList> lines =
        vb::readTextLines(QDir(tmp.path()).filePath("Style_Quastel.css"));
    ASSERT_TRUE(lines.has_value());
    EXPECT_EQ(lines->size(), 33);
}

}  // namespace
