#include "db/sql_builders.h"

#include "tests/db/db_fixture.h"

#include "platform/vb/conversions.h"

namespace {

using namespace ModGlobal;

TEST(SqlBuildersTest, InsertAndUpdateTexts) {
    AgregaCampoSQL("A", "1", "@", true);
    AgregaCampoSQL("B", "O'Brien", "'", false);
    AgregaCampoSQL("C", vb::Variant::null(), "'", false);
    AgregaCampoSQL("D", vb::Variant::null(), "@", false);
    AgregaCampoSQL("E", "12.5", "@", false);
    ASSERT_EQ(ParesSQL().size(), 5);
    EXPECT_EQ(ParesSQL()[1].ValorSQL, QStringLiteral("'O''Brien'"));
    EXPECT_EQ(ParesSQL()[2].ValorSQL, QStringLiteral("Null"));
    EXPECT_EQ(ParesSQL()[3].ValorSQL, QStringLiteral("Null"));

    QStringList sentencias{QString()};
    QString condicion = "ID = 3";
    ArmaSentenciaSQL(ParesSQL(), sentencias, "T", false, condicion, true);
    ArmaSentenciaSQL(ParesSQL(), sentencias, "T", true, condicion, false);
    EXPECT_EQ(
        sentencias,
        (QStringList{"", "INSERT INTO T (A,B,C,D,E) VALUES (1,'O''Brien',Null,Null,12.5)", "",
                     "UPDATE T SET A = 1,B = 'O''Brien',C = Null,D = Null,E = 12.5  WHERE ID = 3",
                     ""}));
    EXPECT_EQ(condicion, QStringLiteral(" WHERE ID = 3"));
    // The pairs are left as one empty pair.
    ASSERT_EQ(ParesSQL().size(), 1);
    EXPECT_EQ(ParesSQL()[0].CampoSQL, QString());

    QString conWhere = "x where ID = 3";
    AgregaCampoSQL("A", "1", "@", true);
    ArmaSentenciaSQL(ParesSQL(), sentencias, "T", true, conWhere, false);
    EXPECT_EQ(sentencias[5], QStringLiteral("UPDATE T SET A = 1 x where ID = 3"));
    EXPECT_EQ(conWhere, QStringLiteral("x where ID = 3"));
}

TEST(SqlBuildersTest, NumbersWithACommaDecimalLocale) {
    zxtest::ScopedLocale es(QLocale(QLocale::Spanish, QLocale::Argentina));
    AgregaCampoSQL("E", "12,5", "@", true);
    EXPECT_EQ(ParesSQL()[0].ValorSQL, QStringLiteral("12.5"));
}

class SqlBuildersDbTest : public dbtest::DbTest {};

// Values reach the table as typed: an apostrophe is doubled, never dropped (O'BRIEN would
// otherwise collide with OBRIEN), and the text "NULL" is a text; only a Null value is Null.
// The caller's variable is left as it was.
TEST_F(SqlBuildersDbTest, ValuesAreStoredAsTyped) {
    abre(gDB());
    const QString valores[] = {"O'BRIEN", "OBRIEN", "NULL", "null", "''", "a''b'", "--'; x"};
    QStringList sentencias{QString()};
    for (const QString& valor : valores) {
        QString usuario = valor;
        AgregaCampoSQL("Maquina", usuario, "'", true);
        AgregaCampoSQL("Usuario", vb::Variant::null(), "'", false);
        EXPECT_EQ(usuario, valor);
        QString condicion;
        ArmaSentenciaSQL(ParesSQL(), sentencias, "Control_Acceso", false, condicion, false);
    }
    for (const QString& s : sentencias) {
        if (s.isEmpty()) continue;
        QString texto = s;
        long afectados = 0;
        gDB().EjecutaConsultaSQL(texto, afectados);
        EXPECT_EQ(afectados, 1) << s.toStdString();
    }
    QList<QStringList> esperadas;
    for (const QString& valor : valores) esperadas.append({valor, QString()});
    EXPECT_EQ(data.rows("SELECT Maquina, Usuario FROM Control_Acceso ORDER BY ID"), esperadas);
}

TEST(SqlBuildersTest, ArmaInsertSQLAppendsToTheHeadAndLimpiarEmptiesThePairs) {
    AgregaCampoSQL("A", "1", "@", true);
    QString sentencia = "INSERT INTO T ";
    ArmaInsertSQL(sentencia, ParesSQL(), false);
    EXPECT_EQ(sentencia, QStringLiteral("INSERT INTO T (A) VALUES (1)"));
    EXPECT_EQ(ParesSQL().size(), 1);
    QString otra = "INSERT INTO U ";
    ArmaInsertSQL(otra, ParesSQL(), true);
    EXPECT_EQ(otra, QStringLiteral("INSERT INTO U (A) VALUES (1)"));
    EXPECT_TRUE(ParesSQL().isEmpty());
}

TEST(SqlBuildersTest, TieneApostrofo) {
    EXPECT_TRUE(TieneApostrofo("O'Brien"));
    EXPECT_FALSE(TieneApostrofo("OBrien"));
}

TEST(AdaptaSQLOracleTest, OnlyAnOracleConnectionChangesTheText) {
    dbtest::reinicia(gDB());
    gDB().gConnString = "PROVIDER=SQLOLEDB;Server=oracle;Database =X;";
    EXPECT_EQ(AdaptaSQLOracle("select top 10 * from T"), QStringLiteral("select top 10 * from T"));
    EXPECT_EQ(AdaptaSQLOracle("len"), QStringLiteral("len"));
    gDB().gConnString = "Provider=OraOLEDB.Oracle.1;Data Source=X;";
    const struct {
        const char* texto;
        const char* expected;
    } cases[] = {
        {"len", "LENGTH"},
        {"Len", "LENGTH"},
        {"Nombre", "Nombre"},
        {"select len(a) from T", "select len(a) from T"},
        {"select top 10 * from T", "select  *  from T WHERE ROWNUM <=  10 "},
        {"select top 10 a from T", "select top 10 a from T"},
        {"select laptop, a from T", "select laptop, a from T"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.texto);
        EXPECT_EQ(AdaptaSQLOracle(c.texto), QString::fromUtf8(c.expected));
    }
    dbtest::reinicia(gDB());
}

class FechaServidorTest : public dbtest::DbTest {
protected:
    zxtest::FixedClock clock{QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9))};
};

TEST_F(FechaServidorTest, TheServersClockToTheSecond) {
    abre(gDB());
    const vb::DateTime fecha = FechaServidor();
    const QList<QStringList> getdate = data.rows("select getdate()");
    ASSERT_EQ(getdate.size(), 1);
    EXPECT_EQ(fecha, vb::CDate(getdate[0][0]));
    EXPECT_EQ(fecha.time().msec(), 0);
    EXPECT_TRUE(op.prompts().isEmpty());
}

TEST_F(FechaServidorTest, AQueryThatCannotRunFallsBackToTheOperatingDateOrTheClock) {
    // gDB() is closed: the database class shows its error box, and the fallbacks answer.
    op.answer(vb::vbAbort);
    EXPECT_EQ(FechaServidor(), clock.now());

    auto& hooks = dbhooks::hooks();
    const auto cfg = hooks.Cfg;
    const auto fechaDia = hooks.UtilizarFechaDia;
    hooks.UtilizarFechaDia = [] { return true; };
    hooks.Cfg = [](const QString& clave) {
        return clave == "FECHAOPERHASTA" ? QStringLiteral("31/12/2023") : QString();
    };
    op.answer(vb::vbAbort);
    EXPECT_EQ(FechaServidor(), vb::wallClock(QDate(2023, 12, 31)));
    hooks.Cfg = [](const QString&) { return QStringLiteral(" "); };
    op.answer(vb::vbAbort);
    EXPECT_EQ(FechaServidor(), clock.now());
    hooks.Cfg = cfg;
    hooks.UtilizarFechaDia = fechaDia;
}

}  // namespace
