// The layer running the system's own texts, as its callers write them, on databases built from
// the schema scripts.
#include "platform/ado/ado.h"
#include "platform/vb/conversions.h"
#include "tests/support/fixtures.h"
#include "tests/support/test_database.h"

#include <gtest/gtest.h>

namespace {

using ado::Connection;
using ado::Recordset;
using vb::Variant;

const QString CR = QStringLiteral("\r");

class SystemTextsTest : public ::testing::Test {
protected:
    void SetUp() override { cn.Open(db.connectionString()); }
    zxtest::TestDatabase db;
    Connection cn;
};

// The error-table writer's script: statements joined by carriage returns, no ";".
QString script(const QStringList& lines) {
    QString text = QStringLiteral("BEGIN TRANSACTION ") + CR + CR;
    for (const QString& line : lines) text += CR + line;
    return text + CR;
}

TEST_F(SystemTextsTest, ScriptGoesPastADuplicateKeyThenRollsBack) {
    db.exec(QStringLiteral("INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES ('NOMBRE', 'x')"));
    const QString text = script({
        QStringLiteral("INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES ('B', '1')"),
        QStringLiteral("INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES ('NOMBRE', '2')"),
        QStringLiteral("INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES ('C', '3')"),
    });
    EXPECT_EQ(zxtest::raisedNumber([&] { cn.Execute(text); }), -2147217873);
    ASSERT_EQ(cn.errors().Count(), 1);
    EXPECT_EQ(cn.errors().Item(0).NativeError, 2627);
    // The statements after the failing one ran inside the transaction.
    EXPECT_EQ(
        cn.Execute(QStringLiteral("SELECT COUNT(*) FROM TA_CONFIGURACION")).Fields(0L).Value(),
        Variant(3));
    cn.Execute(QStringLiteral("ROLLBACK TRANSACTION"));
    EXPECT_EQ(db.rows(QStringLiteral("SELECT CLAVE FROM TA_CONFIGURACION")),
              QList<QStringList>({{"NOMBRE"}}));
}

TEST_F(SystemTextsTest, BeginInOneCallAndRollbackInALaterOneUndoTheInserts) {
    cn.Execute(script({
        QStringLiteral("INSERT INTO Control_Acceso (Maquina, Usuario, Formulario, Tarea, "
                       "Ingreso, NombreUsuario) VALUES ('CAJA01', 'ANA', 'frmZentrik', '', "
                       "'09/12/26 21:47', 'ANA')"),
        QStringLiteral("INSERT INTO Control_Acceso (Maquina) VALUES ('CAJA02')"),
    }));
    EXPECT_EQ(cn.Execute(QStringLiteral("Select TOP 1 * from Control_Acceso  with(nolock) "))
                  .Fields(QStringLiteral("Maquina"))
                  .Value(),
              Variant("CAJA01"));
    cn.Execute(QStringLiteral("ROLLBACK TRANSACTION"));
    EXPECT_EQ(db.rows(QStringLiteral("SELECT COUNT(*) FROM Control_Acceso")),
              QList<QStringList>({{"0"}}));

    cn.Execute(script({QStringLiteral("INSERT INTO Control_Acceso (Maquina) VALUES ('CAJA03')")}));
    cn.Execute(QStringLiteral("COMMIT TRANSACTION"));
    EXPECT_EQ(db.rows(QStringLiteral("SELECT Maquina FROM Control_Acceso")),
              QList<QStringList>({{"CAJA03"}}));
}

TEST_F(SystemTextsTest, SchemaListsFindTheUsersTableAndItsColumns) {
    Recordset tables = cn.OpenSchema(ado::adSchemaTables);
    bool found = false;
    while (!tables.Eof()) {
        if (vb::CStr(tables[QStringLiteral("TABLE_NAME")])
                .trimmed()
                .compare(QStringLiteral("ta_usuarios"), Qt::CaseInsensitive) == 0) {
            found = true;
            EXPECT_EQ(tables[QStringLiteral("TABLE_TYPE")], Variant("TABLE"));
        }
        tables.MoveNext();
    }
    EXPECT_TRUE(found);
    Recordset columns = cn.OpenSchema(ado::adSchemaColumns, {Variant("ZENTRIK"), Variant(""),
                                                             Variant("TA_USUARIOS"), Variant()});
    QStringList names;
    while (!columns.Eof()) {
        names << vb::CStr(columns[QStringLiteral("COLUMN_NAME")]);
        columns.MoveNext();
    }
    EXPECT_TRUE(names.contains(QStringLiteral("Administrador")));
    EXPECT_EQ(names.first(), QStringLiteral("ID"));
}

TEST_F(SystemTextsTest, ErrorRowIsAddedThroughTheTopOneRecordset) {
    zxtest::ScopedLocale locale(QLocale(QLocale::Spanish, QLocale::Argentina));
    Recordset rs;
    rs.Open(QStringLiteral("select  top 1 * from AUX_ERR  with(nolock) "), cn, ado::adOpenDynamic,
            ado::adLockOptimistic);
    rs.AddNew();
    rs.Fields(QStringLiteral("Proceso")).setValue(Variant("GrabaError"));
    rs.Fields(QStringLiteral("fecha")).setValue(Variant("09/12/26 21:47"));
    rs.Fields(QStringLiteral("Error")).setValue(Variant(2627));
    rs.Fields(QStringLiteral("Descripcion")).setValue(Variant("Violation of PRIMARY KEY"));
    rs.Fields(QStringLiteral("sql")).setValue(Variant("INSERT INTO X VALUES ('O''Brien')"));
    rs.Fields(QStringLiteral("PC")).setValue(Variant("CAJA01|ANA"));
    rs.Fields(QStringLiteral("Usuario")).setValue(Variant("ana"));
    rs.Update();
    const Variant id = rs[QStringLiteral("ID")];
    EXPECT_EQ(id, Variant(1));
    rs.Close();

    Recordset report;
    report.Open(QStringLiteral("SELECT * FROM AUX_ERR WHERE fecha >= '2026-12-01' AND "
                               "USUARIO = 'ANA'"),
                cn);
    ASSERT_EQ(report.RecordCount(), 1);
    EXPECT_EQ(report[QStringLiteral("fecha")],
              Variant(vb::wallClock(QDate(2026, 12, 9), QTime(21, 47))));
    EXPECT_EQ(report.Fields(QStringLiteral("fecha")).Type(), ado::adDBTimeStamp);
    EXPECT_EQ(report[QStringLiteral("sql")], Variant("INSERT INTO X VALUES ('O''Brien')"));
    EXPECT_EQ(report.Fields(QStringLiteral("Descripcion")).DefinedSize(), 250);
}

TEST_F(SystemTextsTest, ConfigurationKeyIsEditedInPlaceAndFoundWithoutRegardToCase) {
    db.exec(
        QStringLiteral("INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES ('EMAIL_SERVER ', "
                       "'smtp.viejo')"));
    Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM TA_CONFIGURACION with(nolock)  WHERE CLAVE = "
                           "'email_server'"),
            cn, ado::adOpenDynamic, ado::adLockOptimistic);
    ASSERT_FALSE(rs.Eof());
    rs.Fields(QStringLiteral("VALOR")).setValue(Variant("smtp.nuevo"));
    EXPECT_EQ(zxtest::raisedNumber([&] { rs.Close(); }), ado::err::NotAllowedNow);
    rs.Update();
    rs.Close();
    EXPECT_EQ(cn.Execute(QStringLiteral("SELECT VALOR, valoraux FROM TA_CONFIGURACION "
                                        "with(nolock)  WHERE CLAVE = 'EMAIL_SERVER'"))
                  .Fields(QStringLiteral("Valor"))
                  .Value(),
              Variant("smtp.nuevo"));
}

TEST_F(SystemTextsTest, TopZeroGivesAnEmptyRecordsetThatTakesImages) {
    Recordset rs;
    rs.Open(QStringLiteral("SELECT TOP 0 * FROM AUX_MV_CPTEQR"), cn, ado::adOpenDynamic,
            ado::adLockOptimistic);
    EXPECT_TRUE(rs.Eof());
    EXPECT_EQ(rs.Fields(QStringLiteral("QR_AFIP")).Type(), ado::adLongVarBinary);
    const QByteArray png("\x89PNG\r\n\x1a\n\0\x01", 10);
    rs.AddNew();
    rs.Fields(QStringLiteral("TC")).setValue(Variant("FA"));
    rs.Fields(QStringLiteral("IdComprobante")).setValue(Variant("000100000012A"));
    rs.Fields(QStringLiteral("QR_AFIP")).setValue(Variant(png));
    rs.Update();
    rs.Close();
    Recordset back =
        cn.Execute(QStringLiteral("SELECT QR_AFIP FROM AUX_MV_CPTEQR WHERE TC = 'fa'"));
    EXPECT_EQ(back.Fields(0L).Value(), Variant(png));
}

TEST_F(SystemTextsTest, IdentityOfAnAddedRowIsReadBackThroughAtAtIdentity) {
    Recordset rs;
    rs.Open(QStringLiteral("SELECT TOP 1 * FROM AUX_MV_CPTE "), cn, ado::adOpenDynamic,
            ado::adLockOptimistic);
    rs.AddNew();
    rs.Fields(QStringLiteral("TC")).setValue(Variant("RC"));
    rs.Update();
    const Variant id = rs[QStringLiteral("ID")];
    Recordset identity = cn.Execute(QStringLiteral("SELECT @@IDENTITY AS ID FROM AUX_MV_CPTE"));
    EXPECT_EQ(vb::CLng(identity[QStringLiteral("ID")]), vb::CLng(id));
}

}  // namespace
