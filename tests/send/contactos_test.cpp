#include "send/contactos.h"

#include "platform/vb/textfile.h"
#include "tests/send/send_fixture.h"

#include <QDir>
#include <QFileInfo>
#include <QStringDecoder>

namespace {

class ObtieneMailsContactosTest : public sendtest::SendTest {
protected:
    ObtieneMailsContactosTest() {
        // Contacts of C001: each flag alone, one with every flag, one without an address.
        data.exec(
            "INSERT INTO MA_CONTACTOS (Nombre_y_Apellido, CuentaRel, email, mailPGCB, MAILOT, "
            "MAILOC) VALUES "
            "('Ana', 'C001', 'pagos@c001.com', 1, 0, 0),"
            "('Beto', 'C001', 'ot@c001.com', 0, 1, 0),"
            "('Caro', 'C001', 'todo@c001.com', 1, 1, 1),"
            "('Dani', 'C001', '', 1, 1, 1),"
            "('Eva', 'C001', 'oc@c001.com', 1, 0, NULL),"
            "('Fito', 'C002', 'otro@c002.com', 1, 1, 1);"
            "INSERT INTO MA_CUENTASADIC (Codigo, mail) VALUES ('C003', 'propia@c003.com;'),"
            "('O''HARA', 'ohara@cuenta.com')");
    }
};

TEST_F(ObtieneMailsContactosTest, TheContactsOfTheTypeOrTheAccountsOwnAddress) {
    struct Case {
        const char* tc;
        const char* cuenta;
        QString expected;
    };
    const Case cases[] = {
        // Payments and collections: the contacts flagged for them.
        {"CB", "C001", "pagos@c001.com;todo@c001.com;oc@c001.com"},
        {"pgfp", "C001", "pagos@c001.com;todo@c001.com;oc@c001.com"},
        // "OT": only a contact with both flags (the query keeps mailPGCB = 1 alone).
        {"OT", "C001", "todo@c001.com"},
        // "OC": a Null flag is no flag.
        {"OC", "C001", "todo@c001.com"},
        // Any other type: every contact of the account with an address.
        {"FA", "C001", "pagos@c001.com;todo@c001.com;oc@c001.com"},
        // No contact: the account's own address, its trailing ";" removed.
        {"FA", "C003", "propia@c003.com"},
        // No contact and no account row.
        {"FA", "C999", ""},
        // An apostrophe in the account is a value, not SQL.
        {"FA", "O'HARA", "ohara@cuenta.com"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QString("%1 %2").arg(c.tc, c.cuenta).toStdString());
        EXPECT_EQ(ModGlobal::ObtieneMailsContactos(c.tc, c.cuenta), c.expected);
    }
    EXPECT_TRUE(op.prompts().isEmpty());
}

class GeneraPiePaginaTest : public sendtest::SendTest {};

TEST_F(GeneraPiePaginaTest, TheFooterNamesTheCompanyInTheTemporaryFolder) {
    data.exec(
        "INSERT INTO TA_CONFIGURACION (Grupo, Clave, Valor) VALUES "
        "('DATOS', 'NOMBRE', 'Pérez & Hijos <SA>  ')");
    QString ruta = "sin tocar";
    ModGlobal::GeneraPiePagina(ruta);
    EXPECT_EQ(ruta, QDir(tmp.path()).filePath("PiePag.htm"));
    // The name goes in as it is stored, special characters and all, and a reader that takes
    // the charset from the page reads its accents right.
    const QByteArray pagina = zxtest::readFile(ruta);
    EXPECT_EQ(QString(QStringDecoder::decoderForHtml(pagina).decode(pagina)),
              QString("<HTML>\r\n<HEAD>\r\n"
                      "<META http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\r\n"
                      "</HEAD>\r\n<BODY>\r\n<BR>\r\n"
                      "<B>Pérez & Hijos <SA></B><BR>\r\n<BR>\r\n<BR>\r\n</BODY>\r\n"
                      "</HTML>\r\n"));
}

TEST_F(GeneraPiePaginaTest, AnOldFooterIsReplaced) {
    const QString viejo = writeFile("PiePag.htm", QByteArray(500, 'x'));
    QString ruta;
    ModGlobal::GeneraPiePagina(ruta);
    EXPECT_EQ(ruta, viejo);
    EXPECT_TRUE(zxtest::readFile(ruta).startsWith("<HTML>\r\n<HEAD>"));
    EXPECT_FALSE(zxtest::readFile(ruta).contains("xxx"));
}

// On a real full disk the old footer stays whole and the operator hears of it.
TEST_F(GeneraPiePaginaTest, AFooterOnAFullDiskKeepsTheOldOne) {
    op.setStrictAtEnd(false);  // the answer is taken in the child
    op.answer(vb::vbAbort);
    const auto run = zxtest::onFullDisk("PiePag.htm", "pie anterior", [&](const QString& path) {
        qputenv("tmp", QFileInfo(path).path().toLocal8Bit());
        QString ruta = "sin tocar";
        ModGlobal::GeneraPiePagina(ruta);
        return ruta == "sin tocar" && op.messages().size() == 1;
    });
    ASSERT_TRUE(run.has_value());
    EXPECT_TRUE(run->answer);
    EXPECT_EQ(run->files.value("PiePag.htm"), QByteArray("pie anterior"));
    // The error box's log line did not fit either: none of it is there.
    EXPECT_EQ(run->files.value("KQERR.LOG"), QByteArray());
    EXPECT_EQ(run->files.keys(), (QStringList{"KQERR.LOG", "PiePag.htm", "relleno"}));
}

TEST_F(GeneraPiePaginaTest, AFooterThatCannotBeWrittenAsksTheOperator) {
    // A folder in the way of the file.
    QDir(tmp.path()).mkdir("PiePag.htm");
    op.answer(vb::vbRetry).answer(vb::vbAbort);
    QString ruta = "sin tocar";
    ModGlobal::GeneraPiePagina(ruta);
    ASSERT_EQ(op.messages().size(), 2);
    EXPECT_TRUE(op.messages()[0].text.startsWith("Ha ocurrido el Siguiente Error ("));
    EXPECT_EQ(ruta, QString("sin tocar"));
}

}  // namespace
