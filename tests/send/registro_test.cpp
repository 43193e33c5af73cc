#include "send/registro.h"

#include "send/emailaux.h"
#include "tests/db/db_fixture.h"
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

// A list of 45 recipients, a long subject, attachments or a server's error text longer than
// their columns: the send is logged with each text cut to its column, as the database defines
// it, and nothing is shown.
TEST_F(RegistrarEnvioTest, LongTextsAreLoggedCutToTheirColumns) {
    QStringList destinatarios;
    for (int i = 1; i <= 45; ++i)
        destinatarios << QString("cliente%1@empresa-cliente.com.ar").arg(i, 2, 10, QChar(u'0'));
    const QString para = destinatarios.join(";");
    const QString asunto = "Factura " + QString(280, u'A');
    QStringList rutas;
    for (int i = 0; i < 40; ++i) rutas << QString("/home/ana/comprobantes/FA-%1.pdf").arg(i);
    const QString adjuntos = rutas.join(";");
    const QString error =
        "554 5.7.1 " + QString(300, u'r') + " rechazado por la politica del servidor";
    ASSERT_GT(para.size(), 1000);
    ASSERT_GT(adjuntos.size(), 1000);
    dialog.fields["Para"] = para;
    dialog.fields["Asunto"] = asunto;
    dialog.attachments = adjuntos;
    const struct {
        const char* name;
        const char* definicion;  // "" keeps the schema's table
        int para, asunto, adjunto, status;
    } cases[] = {
        {"schema", "", 1000, 255, 1000, 255},
        {"other sizes",
         "CREATE TABLE V_MA_EMAILMOV (ID int IDENTITY(1,1) NOT NULL, De varchar(255) NULL, "
         "Para varchar(300) NULL, Asunto nvarchar(40) NULL, Mensaje varchar(MAX) NULL, "
         "adjunto varchar(120) NULL, CodigoActivador varchar(20) NULL, FechaHora datetime NULL, "
         "Usuario varchar(50) NULL, TC varchar(4) NULL, IdComprobante varchar(13) NULL, "
         "Status varchar(64) NULL, Cuenta varchar(20) NULL, CuentaEmail varchar(255) NULL, "
         "Tipo varchar(20) NULL, contestadopor varchar(50) NULL, uidl varchar(255) NULL)",
         300, 40, 120, 64},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (*c.definicion) {
            dbtest::reinicia(gDB());
            data.exec("DROP TABLE V_MA_EMAILMOV");
            data.exec(c.definicion);
            abre();
        }
        data.exec("DELETE FROM V_MA_EMAILMOV");
        send::RegistrarEnvio(dialog, false, QString(), QString(), false);
        send::RegistrarEnvio(dialog, true, error, QString(), false);
        const QList<QStringList> log = sendLog();
        ASSERT_EQ(log.size(), 2);
        for (const QStringList& row : log) {
            EXPECT_EQ(row[1], para.left(c.para));
            EXPECT_EQ(row[2], asunto.left(c.asunto));
            EXPECT_EQ(row[3], "Adjunto la factura");
            EXPECT_EQ(row[4], adjuntos.left(c.adjunto));
        }
        EXPECT_EQ(log[0][8], "OK");
        EXPECT_EQ(log[1][8], error.left(c.status));
        EXPECT_TRUE(op.prompts().isEmpty());
    }
}

}  // namespace
