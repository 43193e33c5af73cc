#include "platform/ado/tsql/translator.h"

#include "tests/support/fixtures.h"

#include <gtest/gtest.h>

namespace {

// A small catalogue in place of a database.
tsql::ColumnLookup catalogue() {
    return [](const QString& table) -> QList<tsql::Column> {
        if (table.compare(u"T", Qt::CaseInsensitive) == 0) {
            return {
                {"ID", "INTEGER", true}, {"A", "VARCHAR(10)"}, {"B", "VARCHAR(10)"}, {"C", "INT"}};
        }
        if (table.compare(u"MV_ASIENTOS", Qt::CaseInsensitive) == 0) {
            return {{"TC", "VARCHAR(4)"},
                    {"SUCURSAL", "VARCHAR(4)"},
                    {"NUMERO", "VARCHAR(8)"},
                    {"LETRA", "CHAR(1)"},
                    {"IMPORTE", "NUMERIC(18,4)"}};
        }
        return {};
    };
}

struct Case {
    const char* tsql;
    const char* sqlite;
};

void check(const tsql::Translator& translator, std::initializer_list<Case> cases) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tsql);
        EXPECT_EQ(translator.translate(QString::fromUtf8(c.tsql)), QString::fromUtf8(c.sqlite));
    }
}

TEST(Translator, RemovesTableHintsInAnyCaseAndSpacing) {
    check(tsql::Translator(),
          {{"SELECT VALOR, valoraux FROM TA_CONFIGURACION with(nolock)  WHERE CLAVE = 'X'",
            "SELECT VALOR, valoraux FROM TA_CONFIGURACION  WHERE CLAVE = 'X' COLLATE SSCI"},
           {"SELECT * FROM T WITH ( NOLOCK ) WHERE A=1", "SELECT * FROM T WHERE A=1"},
           {"Select * from ta_usuarios  With(NoLock)", "Select * from ta_usuarios"},
           {"SELECT * FROM T WITH(NOLOCK)WHERE A=1", "SELECT * FROM T WHERE A=1"},
           {"SELECT 'with(nolock)' AS x", "SELECT 'with(nolock)' AS x"}});
}

TEST(Translator, TurnsTopIntoLimitAtTheEndOfItsOwnSelect) {
    check(tsql::Translator(),
          {{"SELECT TOP 1  * FROM AUX_ERR", "SELECT * FROM AUX_ERR LIMIT 1"},
           {"select  top 1 * from AUX_ERR  with(nolock) ", "select  * from AUX_ERR LIMIT 1 "},
           {"SELECT TOP     1000 a, b FROM t WHERE a like '%x%' ORDER BY a",
            "SELECT a, b FROM t WHERE a like '%x%' ORDER BY a LIMIT 1000"},
           {"SELECT TOP 0 * FROM AUX_MV_CPTEQR", "SELECT * FROM AUX_MV_CPTEQR LIMIT 0"},
           {"SELECT TOP (5) a FROM t;", "SELECT a FROM t LIMIT (5);"},
           {"SELECT DISTINCT TOP 2 a FROM t", "SELECT DISTINCT a FROM t LIMIT 2"},
           {"SELECT top 1 * FROM C WHERE ID = (SELECT MAX(ID) AS ELID FROM C WHERE X = 1)",
            "SELECT * FROM C WHERE ID = (SELECT MAX(ID) AS ELID FROM C WHERE X = 1) LIMIT 1"},
           {"SELECT TOP 100 PERCENT a, (SELECT TOP 1 b FROM u WHERE u.b < t.a ORDER BY b DESC) "
            "AS [relative] FROM t ORDER BY a",
            "SELECT a, (SELECT b FROM u WHERE u.b < t.a ORDER BY b DESC LIMIT 1) "
            "AS [relative] FROM t ORDER BY a"},
           // a share SQLite cannot say stays a syntax error, not a wrong result
           {"SELECT TOP 50 PERCENT a FROM t", "SELECT TOP 50 PERCENT a FROM t"}});
}

TEST(Translator, JoinsTextsWithConcatenationButAddsNumbers) {
    check(tsql::Translator(catalogue()),
          {{"SELECT FECHA,IMPORTE FROM MV_ASIENTOS WHERE TC = 'FC' AND SUCURSAL + NUMERO + LETRA"
            " = '000100000001A' ",
            "SELECT FECHA,IMPORTE FROM MV_ASIENTOS WHERE TC = 'FC' COLLATE SSCI AND SUCURSAL || "
            "NUMERO || LETRA = '000100000001A' COLLATE SSCI "},
           {"SELECT IMPORTE + 1 FROM MV_ASIENTOS", "SELECT IMPORTE + 1 FROM MV_ASIENTOS"},
           {"SELECT IMPORTE + IMPORTE FROM MV_ASIENTOS",
            "SELECT IMPORTE + IMPORTE FROM MV_ASIENTOS"},
           {"SELECT 'a' + LTRIM(TC) FROM MV_ASIENTOS", "SELECT 'a' || LTRIM(TC) FROM MV_ASIENTOS"},
           {"SELECT LEN(TC) + LEN(LETRA) FROM MV_ASIENTOS",
            "SELECT LEN(TC) + LEN(LETRA) FROM MV_ASIENTOS"},
           {"SELECT a.TC + a.NUMERO FROM MV_ASIENTOS a",
            "SELECT a.TC || a.NUMERO FROM MV_ASIENTOS a"},
           {"SELECT '+' + 'x'", "SELECT '+' || 'x'"}});
    // Without a catalogue, names beside "+" count as texts: the suite never adds numbers in SQL.
    check(tsql::Translator(),
          {{"SELECT X FROM Y WHERE (TC + IDCOMPROBANTE <> 'FC1')",
            "SELECT X FROM Y WHERE (TC || IDCOMPROBANTE <> 'FC1' COLLATE SSCI)"}});
}

TEST(Translator, RewritesIdentityPrefixesAndFunctions) {
    check(tsql::Translator(),
          {{"SELECT @@IDENTITY AS ID FROM AUX_MV_CPTE",
            "SELECT last_insert_rowid() AS ID FROM AUX_MV_CPTE"},
           {"DELETE Aux_MV_Cpte where USUARIO = 'PC|ANA' ",
            "DELETE FROM Aux_MV_Cpte where USUARIO = 'PC|ANA' COLLATE SSCI "},
           {"delete from t", "delete from t"},
           {"SELECT * FROM dbo.V_TA_FAMILIAS b JOIN [dbo].X ON DBO.X.a = b.a",
            "SELECT * FROM V_TA_FAMILIAS b JOIN X ON X.a = b.a"},
           {"SELECT * FROM T WHERE DBO.FN_SOLO_FECHA(FECHA_HORA) = '2024-03-05'",
            "SELECT * FROM T WHERE FN_SOLO_FECHA(FECHA_HORA) = '2024-03-05' COLLATE SSCI"},
           {"select * from t where isnull(A,'') = ''",
            "select * from t where ifnull(A,'') = '' COLLATE SSCI"},
           {"SELECT CONVERT(NVARCHAR, F, 103), convert( numeric (18, 2) , x) FROM t",
            "SELECT tsql_convert('NVARCHAR', F, 103), tsql_convert('NUMERIC(18,2)', x) FROM t"},
           {"SELECT N'ñandú'", "SELECT 'ñandú'"},
           {"INSERT T VALUES (1)", "INSERT INTO T VALUES (1)"}});
}

TEST(Translator, CollatesOnlyLiteralsThatAreCompared) {
    check(tsql::Translator(),
          {{"SELECT * FROM t WHERE ltrim(rtrim(NroLote)) = 'L1 '",
            "SELECT * FROM t WHERE ltrim(rtrim(NroLote)) = 'L1 ' COLLATE SSCI"},
           {"SELECT * FROM t WHERE 'a'<>b AND c LIKE 'x%'",
            "SELECT * FROM t WHERE 'a' COLLATE SSCI<>b AND c LIKE 'x%'"},
           {"SELECT * FROM t WHERE a = 'x' COLLATE BINARY",
            "SELECT * FROM t WHERE a = 'x' COLLATE BINARY"},
           {"Update V_MA_EMAILMOV set STATUS='HTML',contestadopor='ANA' where uidl='u1'",
            "Update V_MA_EMAILMOV set STATUS='HTML',contestadopor='ANA' where uidl='u1' COLLATE "
            "SSCI"},
           {"UPDATE t SET a = (SELECT b FROM u WHERE c = 'x') WHERE d >= 'y'",
            "UPDATE t SET a = (SELECT b FROM u WHERE c = 'x' COLLATE SSCI) WHERE d >= 'y' COLLATE "
            "SSCI"},
           {"INSERT INTO t (a) VALUES ('it''s')", "INSERT INTO t (a) VALUES ('it''s')"},
           {"UPDATE t SET a = ? WHERE LTRIM(b) >= ? AND c LIKE ?",
            "UPDATE t SET a = ?1 WHERE LTRIM(b) >= ?2 COLLATE SSCI AND c LIKE ?3"}});
}

// Whole days inside a date range are taken by their text when it starts with an ISO date.
#define ISO_DAY \
    "'????"     \
    "-??"       \
    "-?[0-9]*'"
// The least of the dates the column holds as the numbers SQLite made of them.
#define NUMBERS                                                                     \
    "(SELECT min(\"fecha\") FROM \"AUX_ERR\" WHERE \"fecha\" BETWEEN 17530101 AND " \
    "99991231)"

// A collation on a literal compared with a date or number column would stop SQLite from
// using that column's index (the report's date range would scan the whole table). A date
// column compares with the keys of the value's day, constants the index still serves, and
// only the rows that may read as that day compare their readings; a value compared with any
// other date expression becomes a stored date-time, and a date column there its reading.
TEST(Translator, LiteralsComparedWithDateAndNumberColumnsTakeNoCollation) {
    const tsql::Translator translator([](const QString& table) -> QList<tsql::Column> {
        if (table.compare(u"AUX_ERR", Qt::CaseInsensitive) != 0) return {};
        return {{"ID", "INTEGER", true}, {"fecha", "DATETIME"}, {"USUARIO", "VARCHAR(50)"}};
    });
    check(
        translator,
        {{"SELECT * FROM AUX_ERR WHERE fecha >= '2025-03-01' AND USUARIO = 'ana'",
          "SELECT * FROM AUX_ERR WHERE (fecha >= coalesce(" NUMBERS ", tsql_lowkey('2025-03-01')) "
          "AND ((fecha >= tsql_ceildaykey('2025-03-01') AND fecha GLOB " ISO_DAY ") OR "
          "tsql_datecmp(fecha, '2025-03-01') >= 0)) AND USUARIO = 'ana' COLLATE SSCI"},
         {"SELECT * FROM AUX_ERR WHERE ? <= AUX_ERR.fecha AND ID > ?",
          "SELECT * FROM AUX_ERR WHERE (AUX_ERR.fecha >= coalesce(" NUMBERS ", tsql_lowkey(?1)) "
          "AND ((AUX_ERR.fecha "
          ">= tsql_ceildaykey(?1) AND AUX_ERR.fecha GLOB " ISO_DAY ") OR "
          "tsql_datecmp(AUX_ERR.fecha, ?1) >= 0)) AND ID > ?2"},
         {"SELECT ID FROM AUX_ERR WHERE getdate() - 1 < ?",
          "SELECT ID FROM AUX_ERR WHERE tsql_datesub(getdate(), 1) < tsql_datetime(?1)"},
         {"SELECT ID FROM AUX_ERR WHERE getdate() - 1.0/24 < ?",
          "SELECT ID FROM AUX_ERR WHERE tsql_datesub(getdate(), 1.0/24) < tsql_datetime(?1)"},
         {"INSERT INTO AUX_ERR (fecha, USUARIO) VALUES ('20250301', 'ana'), (NULL, 'b')",
          "INSERT INTO AUX_ERR (fecha, USUARIO) VALUES (tsql_datetime('20250301'), "
          "tsql_store('VARCHAR(50)', 'ana')), (NULL, tsql_store('VARCHAR(50)', 'b'))"},
         {"UPDATE AUX_ERR SET fecha = getdate() - 1, USUARIO = 'x' WHERE fecha BETWEEN "
          "'2025-03-01' AND '2025-03-02'",
          "UPDATE AUX_ERR SET fecha = tsql_datetime(tsql_datesub(getdate(), 1)), USUARIO = "
          "tsql_store('VARCHAR(50)', 'x') WHERE ((fecha >= coalesce(" NUMBERS
          ", tsql_lowkey('2025-03-01')) AND ((fecha >= "
          "tsql_ceildaykey('2025-03-01') AND fecha GLOB " ISO_DAY ") OR tsql_datecmp(fecha, "
          "'2025-03-01') >= 0)) AND (fecha < tsql_nextdaykey('2025-03-02') AND ((fecha < "
          "tsql_lowkey('2025-03-02') AND fecha GLOB " ISO_DAY ") OR tsql_datecmp(fecha, "
          "'2025-03-02') <= 0)))"},
         {"SELECT ID FROM AUX_ERR WHERE getdate() NOT BETWEEN ? AND fecha",
          "SELECT ID FROM AUX_ERR WHERE getdate() NOT BETWEEN tsql_datetime(?1) AND "
          "tsql_reading(fecha)"}});
}

// A date column compared with an expression or another date column takes the reading of the
// other side; where the column holds texts apart from their day, every row compares its
// reading, as the keys of a day do not reach them.
TEST(Translator, DatesComparedWithExpressionsOrTextsApartCompareReadings) {
    const tsql::ColumnLookup columns = [](const QString& table) -> QList<tsql::Column> {
        if (table.compare(u"AUX_ERR", Qt::CaseInsensitive) == 0)
            return {{"ID", "INTEGER", true}, {"fecha", "DATETIME"}};
        if (table.compare(u"V_MV_FALTANTES", Qt::CaseInsensitive) == 0)
            return {{"FechaHora", "DATETIME"}, {"IdArticulo", "VARCHAR(20)"}};
        return {};
    };
    const tsql::ApartLookup apartInFaltantes = [](const QString& table, const QString&) {
        return table.compare(u"V_MV_FALTANTES", Qt::CaseInsensitive) == 0;
    };
    check(tsql::Translator(columns, {}, apartInFaltantes),
          {{"SELECT ID FROM AUX_ERR WHERE fecha <> (SELECT MAX(FechaHora) FROM V_MV_FALTANTES)",
            "SELECT ID FROM AUX_ERR WHERE (tsql_datecmp(fecha, tsql_reading((SELECT "
            "tsql_maxdate(FechaHora) FROM V_MV_FALTANTES))) <> 0)"},
           {"SELECT f.IdArticulo FROM V_MV_FALTANTES f WHERE f.FechaHora >= ?",
            "SELECT f.IdArticulo FROM V_MV_FALTANTES f WHERE (tsql_datecmp(f.FechaHora, ?1) >= "
            "0)"},
           {"SELECT f.IdArticulo FROM V_MV_FALTANTES f WHERE ? = f.FechaHora",
            "SELECT f.IdArticulo FROM V_MV_FALTANTES f WHERE (tsql_datecmp(f.FechaHora, ?1) = "
            "0)"},
           {"SELECT ID FROM AUX_ERR a JOIN V_MV_FALTANTES f ON f.FechaHora < a.fecha",
            "SELECT ID FROM AUX_ERR a JOIN V_MV_FALTANTES f ON (tsql_datecmp(f.FechaHora, "
            "tsql_reading(a.fecha)) < 0)"},
           {"SELECT ID FROM AUX_ERR WHERE fecha IN (SELECT FechaHora FROM V_MV_FALTANTES)",
            "SELECT ID FROM AUX_ERR WHERE tsql_reading(fecha) IN (SELECT tsql_reading(FechaHora) "
            "FROM V_MV_FALTANTES)"},
           {"SELECT ID FROM AUX_ERR WHERE DATEADD(day, 1, fecha) > ISNULL(fecha, getdate())",
            "SELECT ID FROM AUX_ERR WHERE DATEADD('day', 1, tsql_datevalue(fecha)) > "
            "tsql_reading(ifnull(fecha, getdate()))"}});
}
#undef ISO_DAY
#undef NUMBERS

// Each value also goes through its column's storing call: a query's columns are named for it.
#define INTO_A "tsql_store('VARCHAR(10)', c1)"
#define INTO_A_B_C INTO_A ", tsql_store('VARCHAR(10)', c2), tsql_store('INT', c3) FROM tsql_values"
TEST(Translator, InsertWithoutColumnListSkipsTheIdentity) {
    check(
        tsql::Translator(catalogue()),
        {{"INSERT INTO T SELECT A, B, C FROM T WHERE C = 1",
          "INSERT INTO T ([A], [B], [C]) WITH tsql_values(c1, c2, c3) AS (SELECT A, B, C FROM "
          "T WHERE C = 1) SELECT " INTO_A_B_C},
         {"INSERT INTO T SELECT TOP 1 A, (SELECT MAX(B) FROM T) FROM T",
          "INSERT INTO T ([A], [B]) WITH tsql_values(c1, c2) AS (SELECT A, (SELECT MAX(B) FROM "
          "T) FROM T LIMIT 1) SELECT " INTO_A ", tsql_store('VARCHAR(10)', c2) FROM tsql_values"},
         {"INSERT INTO T VALUES ('x', 'y', 3)",
          "INSERT INTO T ([A], [B], [C]) VALUES (tsql_store('VARCHAR(10)', 'x'), "
          "tsql_store('VARCHAR(10)', 'y'), tsql_store('INT', 3))"},
         {"INSERT INTO T SELECT * FROM U",
          "INSERT INTO T ([A], [B], [C]) WITH tsql_values(c1, c2, c3) AS (SELECT * FROM U) "
          "SELECT " INTO_A_B_C},
         {"INSERT INTO T (A) SELECT B FROM T",
          "INSERT INTO T (A) WITH tsql_values(c1) AS (SELECT B FROM T) SELECT " INTO_A
          " FROM tsql_values"},
         {"INSERT INTO MV_ASIENTOS SELECT * FROM X",
          "INSERT INTO MV_ASIENTOS WITH tsql_values(c1, c2, c3, c4, c5) AS (SELECT * FROM X) "
          "SELECT tsql_store('VARCHAR(4)', c1), tsql_store('VARCHAR(4)', c2), "
          "tsql_store('VARCHAR(8)', c3), tsql_store('CHAR(1)', c4), tsql_store('NUMERIC(18,4)', "
          "c5) FROM tsql_values"},
         {"INSERT INTO NADA SELECT 1", "INSERT INTO NADA SELECT 1"}});
}
#undef INTO_A_B_C
#undef INTO_A

TEST(Translator, GuardsTheInsertOfIfNotExists) {
    check(tsql::Translator(),
          {{"if not exists(select Usuario from Aux_MV_Cpte where Usuario = 'P' and Tipo = 'XX') "
            " INSERT INTO Aux_MV_Cpte(Usuario,Tipo) VALUES ('P','XX')",
            "INSERT INTO Aux_MV_Cpte(Usuario,Tipo) SELECT 'P','XX' WHERE NOT exists(select Usuario"
            " from Aux_MV_Cpte where Usuario = 'P' COLLATE SSCI and Tipo = 'XX' COLLATE SSCI)"},
           {"IF EXISTS (SELECT 1 FROM u) INSERT INTO t (a) SELECT TOP 1 b FROM u ORDER BY b",
            "INSERT INTO t (a) SELECT * FROM (SELECT b FROM u ORDER BY b LIMIT 1) WHERE EXISTS "
            "(SELECT 1 FROM u)"}});
}

TEST(Translator, MakesSqlServerTableDefinitionsSqlite) {
    check(tsql::Translator(),
          {{"CREATE TABLE dbo.AUX_ERR (ID int IDENTITY(1,1) NOT NULL PRIMARY KEY CLUSTERED, "
            "Proceso varchar(50) NULL, Descripcion nvarchar(250), sql varchar(MAX), "
            "Clave char(4) COLLATE SQL_Latin1_General_CP1_CI_AS, Bin varchar(4) COLLATE "
            "Latin1_General_BIN, Error int, CONSTRAINT PK_X UNIQUE NONCLUSTERED (Proceso))",
            "CREATE TABLE AUX_ERR (ID INTEGER PRIMARY KEY AUTOINCREMENT  NOT NULL  , "
            "Proceso varchar(50) COLLATE SSCI NULL, Descripcion nvarchar(250) COLLATE SSCI, "
            "sql varchar(2147483647) COLLATE SSCI, Clave char(4) COLLATE SSCI, Bin varchar(4) "
            "COLLATE "
            "BINARY, Error int, CONSTRAINT PK_X UNIQUE  (Proceso))"},
           {"ALTER TABLE dbo.TA_USUARIOS ADD COD int Not Null  CONSTRAINT DF_TA_USUARIOS_COD "
            "DEFAULT (0)",
            "ALTER TABLE TA_USUARIOS ADD COD int Not Null  CONSTRAINT DF_TA_USUARIOS_COD "
            "DEFAULT (0)"},
           {"ALTER TABLE T ADD Nota varchar(20) NULL",
            "ALTER TABLE T ADD Nota varchar(20) COLLATE SSCI NULL"}});
}

TEST(Translator, LeavesTextItCannotReadForTheEngineToReport) {
    const char* odd[] = {"SELECT TOP",
                         "SELECT TOP (1 a FROM t",
                         "IF NOT EXISTS(",
                         "CONVERT(",
                         "CONVERT(INT",
                         "INSERT INTO",
                         "x 'unterminated",
                         "[x",
                         "CREATE TABLE t (",
                         "DELETE",
                         "a WITH(",
                         "(((",
                         ")))",
                         "IF NOT EXISTS (SELECT 1) UPDATE t SET a = 1"};
    for (const char* text : odd) {
        SCOPED_TRACE(text);
        EXPECT_EQ(tsql::Translator().translate(QString::fromUtf8(text)), QString::fromUtf8(text));
    }
}

TEST(Translator, TranslatesABatchStatementByStatement) {
    const auto statements = tsql::Translator().translateBatch(
        QStringLiteral("BEGIN TRAN\nDELETE t WHERE a = 'x'\nSELECT TOP 1 * FROM t\nCOMMIT"));
    ASSERT_EQ(statements.size(), 4);
    EXPECT_EQ(statements[0].sql, QStringLiteral("BEGIN"));
    EXPECT_EQ(statements[1].sql, QStringLiteral("DELETE FROM t WHERE a = 'x' COLLATE SSCI"));
    EXPECT_EQ(statements[1].source, QStringLiteral("DELETE t WHERE a = 'x'"));
    EXPECT_EQ(statements[2].sql, QStringLiteral("SELECT * FROM t LIMIT 1"));
    EXPECT_EQ(statements[3].sql, QStringLiteral("COMMIT"));
}

// A date is ordered by its reading, then by itself (rows of one reading in the engine's
// order), in every SELECT and window; a column whose own order the database says is already
// its readings' is left to it, where the statement reads that table alone. SQLite takes the
// order of a compound SELECT only by its columns' names: that one is left as it is.
TEST(Translator, OrdersDatesByTheirReadings) {
    const tsql::ColumnLookup columns = [](const QString& table) -> QList<tsql::Column> {
        if (table.compare(u"E", Qt::CaseInsensitive) == 0)
            return {{"F", "DATETIME"}, {"N", "INT"}, {"X", "VARCHAR(10)"}};
        if (table.compare(u"G", Qt::CaseInsensitive) == 0) return {{"N", "INT"}};
        return {};
    };
    check(tsql::Translator(columns),
          {{"SELECT N FROM E ORDER BY F",
            "SELECT N FROM E ORDER BY tsql_sortkey(F) COLLATE SSCI, F"},
           {"SELECT N FROM E ORDER BY N, e.[F] desc",
            "SELECT N FROM E ORDER BY N, tsql_sortkey(e.[F]) COLLATE SSCI desc, e.[F] desc"},
           {"SELECT TOP 1 N FROM E ORDER BY F DESC",
            "SELECT N FROM E ORDER BY tsql_sortkey(F) COLLATE SSCI DESC, F DESC LIMIT 1"},
           {"SELECT N, F AS c FROM E ORDER BY c",
            "SELECT N, F AS c FROM E ORDER BY tsql_sortkey(F) COLLATE SSCI, c"},
           {"SELECT N, F FROM E ORDER BY 2 DESC",
            "SELECT N, F FROM E ORDER BY tsql_sortkey(F) COLLATE SSCI DESC, 2 DESC"},
           {"SELECT N FROM E ORDER BY ISNULL(F, X)",
            "SELECT N FROM E ORDER BY tsql_sortkey(ifnull(F, X)) COLLATE SSCI, ifnull(F, X)"},
           {"SELECT ROW_NUMBER() OVER (ORDER BY F) FROM E",
            "SELECT ROW_NUMBER() OVER (ORDER BY tsql_sortkey(F) COLLATE SSCI, F) FROM E"},
           {"SELECT (SELECT TOP 1 N FROM E ORDER BY F) FROM G",
            "SELECT (SELECT N FROM E ORDER BY tsql_sortkey(F) COLLATE SSCI, F LIMIT 1) FROM G"},
           {"SELECT N FROM E ORDER BY N, X, 1", "SELECT N FROM E ORDER BY N, X, 1"},
           {"SELECT N FROM E ORDER BY F COLLATE BINARY",
            "SELECT N FROM E ORDER BY F COLLATE BINARY"},
           {"SELECT F FROM E UNION SELECT F FROM E ORDER BY F",
            "SELECT F FROM E UNION SELECT F FROM E ORDER BY F"}});
    const tsql::OrderLookup readingsOfE = [](const QString& table, const QString& column) {
        return table.compare(u"E", Qt::CaseInsensitive) == 0 &&
               column.compare(u"F", Qt::CaseInsensitive) == 0;
    };
    check(tsql::Translator(columns, readingsOfE),
          {{"SELECT N FROM E WITH (NOLOCK) ORDER BY F DESC", "SELECT N FROM E ORDER BY F DESC"},
           {"SELECT N, F FROM E e ORDER BY 2", "SELECT N, F FROM E e ORDER BY 2"},
           {"SELECT N FROM E ORDER BY F + 1",
            "SELECT N FROM E ORDER BY tsql_sortkey(tsql_dateadd(tsql_datevalue(F), 1)) COLLATE "
            "SSCI, tsql_dateadd(tsql_datevalue(F), 1)"},
           {"SELECT E.N FROM E, G ORDER BY F",
            "SELECT E.N FROM E, G ORDER BY tsql_sortkey(F) COLLATE SSCI, F"},
           {"SELECT E.N FROM E JOIN G ON G.N = E.N ORDER BY F",
            "SELECT E.N FROM E JOIN G ON G.N = E.N ORDER BY tsql_sortkey(F) COLLATE SSCI, F"}});
    // A date that a query gives is ordered as it is: its text, and the order inside it, are
    // never written twice, however deep such orders nest.
    QString nested = QStringLiteral("GETDATE()");
    for (int depth = 0; depth < 100; ++depth)
        nested =
            QStringLiteral("ISNULL((SELECT TOP 1 F FROM E ORDER BY %1), GETDATE())").arg(nested);
    const QString text = QStringLiteral("SELECT N FROM E ORDER BY ") + nested;
    EXPECT_LT(tsql::Translator(columns).translate(text).size(), 2 * text.size());
}

}  // namespace

// Only "/*" opens a comment: a division or the "*" of COUNT(*) is text that the rewrites after
// it still see, and a comment nests as SQL Server's do. A nested comment, which SQLite would
// end at its first "*/", and a line comment a lone carriage return ends go as a blank.
TEST(Translator, OnlySlashStarOpensACommentAndCommentsNest) {
    check(tsql::Translator(),
          {{"SELECT COUNT(*) FROM t WITH (NOLOCK)", "SELECT COUNT(*) FROM t"},
           {"SELECT a / 2 FROM t WITH (NOLOCK)", "SELECT a / 2 FROM t"},
           {"SELECT a /2 FROM t WITH (NOLOCK) WHERE b = (a*2)/2",
            "SELECT a /2 FROM t WHERE b = (a*2)/2"},
           {"SELECT a /* with(nolock) */ FROM t WITH (NOLOCK)",
            "SELECT a /* with(nolock) */ FROM t"},
           {"SELECT a /* x /* with(nolock) */ TOP 1 */ FROM t WITH (NOLOCK)", "SELECT a   FROM t"},
           {"SELECT a -- with(nolock)\nFROM t WITH (NOLOCK)", "SELECT a -- with(nolock)\nFROM t"},
           {"SELECT a -- x\r\nFROM t", "SELECT a -- x\r\nFROM t"},
           {"SELECT a -- x\rFROM t", "SELECT a  \rFROM t"}});
}
