#include "db/lookup_sql.h"

#include "tests/support/fixtures.h"

#include <gtest/gtest.h>

namespace {

using vb::Variant;

struct Case {
    const char* name;
    QString actual;
    const char* expected;
};

void check(const std::initializer_list<Case>& cases) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.actual, QString::fromUtf8(c.expected));
    }
}

TEST(LookupSqlTest, ExisteEnTablaStatements) {
    using lookupsql::ExisteEnTabla;
    const QString T = QStringLiteral("T"), C = QStringLiteral("Codigo");
    check({
        {"text trimmed", ExisteEnTabla(T, " 12 ", C, 8, {}),
         "SELECT TOP 1  * FROM T with(nolock)  WHERE LTRIM(RTRIM(Codigo)) ='12'"},
        {"kind as text", ExisteEnTabla(T, "12", C, "8", {}),
         "SELECT TOP 1  * FROM T with(nolock)  WHERE LTRIM(RTRIM(Codigo)) ='12'"},
        {"apostrophe doubled", ExisteEnTabla(T, "O'Brien", C, 8, {}),
         "SELECT TOP 1  * FROM T with(nolock)  WHERE LTRIM(RTRIM(Codigo)) ='O''Brien'"},
        {"condition", ExisteEnTabla(T, "x", C, 8, "Activo = 1"),
         "SELECT TOP 1 * FROM T with(nolock)  WHERE Activo = 1"},
        {"condition with where", ExisteEnTabla(T, "x", C, 8, "x where Activo = 1"),
         "SELECT TOP 1 * FROM T with(nolock)  x where Activo = 1"},
        {"blank condition counts", ExisteEnTabla(T, "x", C, 8, "  "),
         "SELECT TOP 1 * FROM T with(nolock)  WHERE   "},
        {"date", ExisteEnTabla(T, " '2021-01-31' ", C, 7, {}),
         "SELECT TOP 1 * FROM T with(nolock)  WHERE Codigo = '2021-01-31' "},
        {"number prefix", ExisteEnTabla(T, "12abc", C, 5, {}),
         "SELECT TOP 1 * FROM T with(nolock)  WHERE Codigo = 12"},
        {"no number", ExisteEnTabla(T, "abc", C, 3, {}),
         "SELECT TOP 1 * FROM T with(nolock)  WHERE Codigo = 0"},
        {"other kind", ExisteEnTabla(T, " raw ", C, 11, {}),
         "SELECT TOP 1 * FROM T with(nolock)  WHERE Codigo =  raw "},
    });
}

TEST(LookupSqlTest, ExisteEnTablaSTStatements) {
    using lookupsql::ExisteEnTablaST;
    const QString T = QStringLiteral("T"), C = QStringLiteral("Codigo");
    check({
        {"text untrimmed", ExisteEnTablaST(T, " a'b ", C, 8, {}),
         "SELECT * FROM T with(nolock)   WHERE Codigo =' a''b '"},
        {"condition", ExisteEnTablaST(T, "x", C, 8, "Activo = 1"),
         "SELECT * FROM T with(nolock)   WHERE Activo = 1"},
        {"condition with where", ExisteEnTablaST(T, "x", C, 8, " WHERE Activo = 1"),
         "SELECT * FROM T with(nolock)    WHERE Activo = 1"},
        {"date", ExisteEnTablaST(T, " 20210131 ", C, 7, {}),
         "SELECT * FROM T with(nolock)   WHERE Codigo = 20210131 "},
        {"number", ExisteEnTablaST(T, "4.5x", C, 4, {}),
         "SELECT * FROM T with(nolock)   WHERE Codigo = 4.5"},
        {"other kind", ExisteEnTablaST(T, "7", C, 2, {}),
         "SELECT * FROM T with(nolock)   WHERE Codigo = 7"},
    });
}

TEST(LookupSqlTest, DatosTablaStatements) {
    using lookupsql::DatosTabla;
    const QString T = QStringLiteral("T"), C = QStringLiteral("Codigo");
    check({
        {"trimmed text", DatosTabla(T, " 12 ", C, 8, {}, true, false),
         "SELECT TOP 1 * FROM T with(nolock)  WHERE LTRIM(RTRIM(Codigo)) ='12' "},
        {"trimmed text and condition", DatosTabla(T, "12", C, 8, "B = 1", true, false),
         "SELECT TOP 1 * FROM T with(nolock)  WHERE LTRIM(RTRIM(Codigo)) ='12'  AND B = 1"},
        {"blank condition adds no AND", DatosTabla(T, "12", C, 8, "  ", true, false),
         "SELECT TOP 1 * FROM T with(nolock)  WHERE LTRIM(RTRIM(Codigo)) ='12'   "},
        {"untrimmed text", DatosTabla(T, " O'B ", C, 8, {}, false, false),
         "SELECT TOP 1 * FROM T with(nolock)  WHERE Codigo =' O''B ' "},
        {"date on Jet", DatosTabla(T, " 2021-01-31 ", C, 7, {}, true, true),
         "SELECT TOP 1 * FROM T with(nolock)  WHERE Codigo = #2021-01-31# "},
        {"date elsewhere", DatosTabla(T, " 2021-01-31 ", C, 7, {}, true, false),
         "SELECT TOP 1 * FROM T with(nolock)  WHERE Codigo = '2021-01-31' "},
        {"number and condition", DatosTabla(T, "3", C, 3, "B = 1", true, false),
         "SELECT TOP 1 * FROM T with(nolock)  WHERE Codigo = 3 AND B = 1"},
        {"other kind", DatosTabla(T, "X", C, 0, {}, true, false),
         "SELECT TOP 1 * FROM T with(nolock)  WHERE Codigo = X"},
    });
}

TEST(LookupSqlTest, NumbersUseAPointInAnyLocale) {
    zxtest::ScopedLocale es(QLocale(QLocale::Spanish, QLocale::Argentina));
    EXPECT_EQ(lookupsql::ExisteEnTabla("T", "12.5", "C", 5, {}),
              QStringLiteral("SELECT TOP 1 * FROM T with(nolock)  WHERE C = 12.5"));
    EXPECT_EQ(
        lookupsql::AddField("T", "P", "float", true, Variant(0.5)),
        QStringLiteral("ALTER TABLE dbo.T ADD P float Null  CONSTRAINT DF_T_P DEFAULT (0.5)"));
}

TEST(LookupSqlTest, AggregateStatements) {
    using namespace lookupsql;
    const QString A = QStringLiteral("V_MA_ARTICULOS"), c = QStringLiteral("idarticulo");
    check({
        {"max", BuscaMaximo(A, c, std::nullopt),
         "SELECT MAX(idarticulo) AS MAYOR FROM V_MA_ARTICULOS"},
        {"max with condition", BuscaMaximo(A, c, QStringLiteral(" A = 1 ")),
         "SELECT MAX(idarticulo) AS MAYOR FROM V_MA_ARTICULOS WHERE A = 1"},
        {"max with empty condition", BuscaMaximo(A, c, QString()),
         "SELECT MAX(idarticulo) AS MAYOR FROM V_MA_ARTICULOS"},
        {"min", BuscaMinimo(A, c, std::nullopt),
         "SELECT MIN(idarticulo) AS MENOR FROM V_MA_ARTICULOS  with(nolock) "},
        {"min with condition", BuscaMinimo(A, c, QStringLiteral(" A = 1")),
         "SELECT MIN(idarticulo) AS MENOR FROM V_MA_ARTICULOS  with(nolock)  WHERE A = 1"},
        {"min with blank condition", BuscaMinimo(A, c, QStringLiteral("  ")),
         "SELECT MIN(idarticulo) AS MENOR FROM V_MA_ARTICULOS  with(nolock) "},
        {"last code", BuscaUltimoCodigo(A, c, QStringLiteral(" A = 1")),
         "SELECT MAX(idarticulo) AS MAYOR FROM V_MA_ARTICULOS WHERE  A = 1"},
        {"last code blank condition", BuscaUltimoCodigo(A, c, QStringLiteral("   ")),
         "SELECT MAX(idarticulo) AS MAYOR FROM V_MA_ARTICULOS"},
    });
}

TEST(LookupSqlTest, AddFieldText) {
    using lookupsql::AddField;
    check({
        {"default", AddField("TA_USUARIOS", "COD", "int", false, Variant(0)),
         "ALTER TABLE dbo.TA_USUARIOS ADD COD int Not Null  CONSTRAINT DF_TA_USUARIOS_COD "
         "DEFAULT (0)"},
        {"nullable without default", AddField("TA_USUARIOS", "OBS", "varchar(50)", true, {}),
         "ALTER TABLE dbo.TA_USUARIOS ADD OBS varchar(50) Null "},
        {"text default as given", AddField(" T ", " F ", "char(1)", false, Variant("'N'")),
         "ALTER TABLE dbo. T  ADD  F  char(1) Not Null  CONSTRAINT DF_T_F DEFAULT ('N')"},
    });
}

}  // namespace
