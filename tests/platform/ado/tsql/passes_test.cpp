// Each rewriting pass of the translator on its own, over a parsed statement: what it changes
// and what it leaves for the passes after it.
#include "platform/ado/tsql/passes.h"

#include <gtest/gtest.h>

namespace {

using Pass = void (*)(tsql::ParsedStatement&);

// The columns of the tables the cases name.
QList<tsql::Column> catalogue(const QString& table) {
    if (table.compare(u"AUX_ERR", Qt::CaseInsensitive) == 0)
        return {{"ID", "INTEGER", true},
                {"fecha", "DATETIME"},
                {"Usuario", "VARCHAR(50)"},
                {"Error", "INT"}};
    if (table.compare(u"V_MV_FALTANTES", Qt::CaseInsensitive) == 0)
        return {{"FechaHora", "DATETIME"}, {"IdArticulo", "VARCHAR(20)"}};
    return {};
}

struct Case {
    const char* text;
    const char* after;  // the text once the pass ran
};

template <size_t N>
void checkPass(Pass pass, const Case (&cases)[N]) {
    const tsql::ColumnLookup columns = catalogue;
    const tsql::OrderLookup order;
    const tsql::ApartLookup apart;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        tsql::ParsedStatement s(QString::fromUtf8(c.text), columns, order, apart);
        pass(s);
        EXPECT_EQ(tsql::join(s.t), QString::fromUtf8(c.after));
    }
}

TEST(Passes, NumberParametersCountsTheMarkersOutsideLiteralsAndComments) {
    const Case cases[] = {
        {"SELECT ? , ?", "SELECT ?1 , ?2"},
        {"SELECT '?' WHERE a = ?", "SELECT '?' WHERE a = ?1"},
        {"-- ?\nSELECT ? /* ? */", "-- ?\nSELECT ?1 /* ? */"},
        {"SELECT 1", "SELECT 1"},
    };
    checkPass(tsql::numberParameters, cases);
}

TEST(Passes, DropPrefixesTakesOffNationalMarksAndTheOnlySchema) {
    const Case cases[] = {
        {"SELECT N'x' FROM dbo.T", "SELECT 'x' FROM T"},
        {"SELECT * FROM [dbo].[T]", "SELECT * FROM [T]"},
        {"SELECT dbo FROM T", "SELECT dbo FROM T"},
        {"SELECT 'dbo.T', N FROM T", "SELECT 'dbo.T', N FROM T"},
    };
    checkPass(tsql::dropPrefixes, cases);
}

TEST(Passes, DropTableHintsLeavesOtherUsesOfWith) {
    const Case cases[] = {
        {"SELECT * FROM T with(nolock) WHERE a = 1", "SELECT * FROM T WHERE a = 1"},
        {"SELECT * FROM T WITH (NOLOCK, ROWLOCK)", "SELECT * FROM T"},
        {"WITH c (a) AS (SELECT 1) SELECT a FROM c", "WITH c (a) AS (SELECT 1) SELECT a FROM c"},
        {"SELECT * FROM T WITH ()", "SELECT * FROM T WITH ()"},
    };
    checkPass(tsql::dropTableHints, cases);
}

TEST(Passes, DropJoinHintsLeavesTheJoinAndItsType) {
    const Case cases[] = {
        {"SELECT * FROM A INNER HASH JOIN B ON A.x = B.x",
         "SELECT * FROM A INNER JOIN B ON A.x = B.x"},
        {"SELECT * FROM A LEFT OUTER MERGE JOIN B ON 1 = 1",
         "SELECT * FROM A LEFT OUTER JOIN B ON 1 = 1"},
        {"SELECT * FROM A FULL LOOP JOIN B ON 1 = 1", "SELECT * FROM A FULL JOIN B ON 1 = 1"},
        {"SELECT Hash FROM A JOIN B ON 1 = 1", "SELECT Hash FROM A JOIN B ON 1 = 1"},
        {"SELECT 'INNER HASH JOIN' FROM A", "SELECT 'INNER HASH JOIN' FROM A"},
    };
    checkPass(tsql::dropJoinHints, cases);
}

TEST(Passes, CompleteDeleteAddsTheFromSqliteWants) {
    const Case cases[] = {
        {"DELETE AUX_ERR WHERE ID = 1", "DELETE FROM AUX_ERR WHERE ID = 1"},
        {"DELETE FROM AUX_ERR", "DELETE FROM AUX_ERR"},
        {"DELETE TOP (1) FROM AUX_ERR", "DELETE TOP (1) FROM AUX_ERR"},
        {"SELECT 1", "SELECT 1"},
    };
    checkPass(tsql::completeDelete, cases);
}

TEST(Passes, JoinTextsJoinsWithTextsAndAddsNumbersAndDates) {
    const Case cases[] = {
        {"SELECT 'a' + Usuario FROM AUX_ERR", "SELECT 'a' || Usuario FROM AUX_ERR"},
        {"SELECT Error + 1 FROM AUX_ERR", "SELECT Error + 1 FROM AUX_ERR"},
        {"SELECT Usuario + Usuario FROM AUX_ERR", "SELECT Usuario || Usuario FROM AUX_ERR"},
        {"SELECT fecha + 'x' FROM AUX_ERR", "SELECT fecha + 'x' FROM AUX_ERR"},
    };
    checkPass(tsql::joinTexts, cases);
}

TEST(Passes, ExtremesOfReadingsTakesMaxAndMinOfADateOutsideWindows) {
    const Case cases[] = {
        {"SELECT MAX(fecha) FROM AUX_ERR", "SELECT tsql_maxdate(fecha) FROM AUX_ERR"},
        {"SELECT MIN(fecha), MAX(Error) FROM AUX_ERR",
         "SELECT tsql_mindate(fecha), MAX(Error) FROM AUX_ERR"},
        {"SELECT MAX(fecha) OVER () FROM AUX_ERR", "SELECT MAX(fecha) OVER () FROM AUX_ERR"},
    };
    checkPass(tsql::extremesOfReadings, cases);
}

// Two dates that are no bare column compare the stored forms of their readings; a bare column
// is compared on its keys (its cases are the translator's own).
TEST(Passes, CompareDatesPutsBothSidesInTheStoredFormOfTheirReadings) {
    const Case cases[] = {
        {"SELECT 1 FROM AUX_ERR WHERE getdate() > ?",
         "SELECT 1 FROM AUX_ERR WHERE getdate() > tsql_datetime(?)"},
        {"SELECT 1 FROM AUX_ERR WHERE ISNULL(fecha, getdate()) >= getdate()",
         "SELECT 1 FROM AUX_ERR WHERE tsql_reading(ISNULL(fecha, getdate())) >= getdate()"},
        {"SELECT 1 FROM AUX_ERR WHERE getdate() BETWEEN '2026-03-29' AND fecha",
         "SELECT 1 FROM AUX_ERR WHERE getdate() BETWEEN tsql_datetime('2026-03-29') AND "
         "tsql_reading(fecha)"},
        {"SELECT 1 FROM AUX_ERR WHERE Usuario = 'ana' AND Error > 1",
         "SELECT 1 FROM AUX_ERR WHERE Usuario = 'ana' AND Error > 1"},
        {"UPDATE AUX_ERR SET fecha = getdate()", "UPDATE AUX_ERR SET fecha = getdate()"},
        {"SELECT 1 FROM AUX_ERR WHERE fecha IS NULL", "SELECT 1 FROM AUX_ERR WHERE fecha IS NULL"},
    };
    checkPass(tsql::compareDates, cases);
}

TEST(Passes, RewriteTopEndsEachSelectsOwnScopeWithItsLimit) {
    const Case cases[] = {
        {"SELECT TOP 5 a FROM T ORDER BY a", "SELECT a FROM T ORDER BY a LIMIT 5"},
        {"SELECT DISTINCT TOP (2) a FROM T;", "SELECT DISTINCT a FROM T LIMIT (2);"},
        {"SELECT a FROM (SELECT TOP 1 a FROM T) x", "SELECT a FROM (SELECT a FROM T LIMIT 1) x"},
        {"SELECT TOP 100 PERCENT a FROM T", "SELECT a FROM T"},
        {"SELECT TOP 50 PERCENT a FROM T", "SELECT TOP 50 PERCENT a FROM T"},
    };
    checkPass(tsql::rewriteTop, cases);
}

TEST(Passes, PlainCommentsBlanksOnlyWhatAnotherReaderReadsOtherwise) {
    const Case cases[] = {
        {"SELECT 1 -- note\n", "SELECT 1 -- note\n"},
        {"SELECT 1 /* a */", "SELECT 1 /* a */"},
        {"SELECT 1 /* a /* b */ c */", "SELECT 1  "},
    };
    checkPass(tsql::plainComments, cases);
}

// A date plus or minus a number of days, or a number plus a date, is a date's arithmetic; a
// date column is read first, as it may hold the number SQLite made of a date.
TEST(Passes, DateArithmeticAddsAndSubtractsDays) {
    const Case cases[] = {
        {"SELECT fecha + 1 FROM AUX_ERR",
         "SELECT tsql_dateadd(tsql_datevalue(fecha), 1) FROM AUX_ERR"},
        {"SELECT 1 + fecha FROM AUX_ERR",
         "SELECT tsql_dateadd(tsql_datevalue(fecha), 1) FROM AUX_ERR"},
        {"SELECT getdate() - 1 FROM AUX_ERR", "SELECT tsql_datesub(getdate(), 1) FROM AUX_ERR"},
        {"SELECT fecha - fecha FROM AUX_ERR",
         "SELECT tsql_datesub(tsql_datevalue(fecha), tsql_datevalue(fecha)) FROM AUX_ERR"},
        {"SELECT Error + 1 FROM AUX_ERR", "SELECT Error + 1 FROM AUX_ERR"},
    };
    checkPass(tsql::dateArithmetic, cases);
}

TEST(Passes, CollateLiteralsComparesTextsAsTheServersCollation) {
    const Case cases[] = {
        {"SELECT * FROM AUX_ERR WHERE Usuario = 'ana'",
         "SELECT * FROM AUX_ERR WHERE Usuario = 'ana' COLLATE SSCI"},
        {"SELECT * FROM AUX_ERR WHERE Error = '5'", "SELECT * FROM AUX_ERR WHERE Error = '5'"},
        {"UPDATE AUX_ERR SET Usuario = 'x' WHERE Usuario = 'y'",
         "UPDATE AUX_ERR SET Usuario = 'x' WHERE Usuario = 'y' COLLATE SSCI"},
        {"SELECT * FROM AUX_ERR WHERE Usuario = 'a' COLLATE BINARY",
         "SELECT * FROM AUX_ERR WHERE Usuario = 'a' COLLATE BINARY"},
    };
    checkPass(tsql::collateLiterals, cases);
}

TEST(Passes, RewriteFunctionsWritesCallsAsSqliteRunsThem) {
    const Case cases[] = {
        {"SELECT @@IDENTITY", "SELECT last_insert_rowid()"},
        {"SELECT ISNULL(a, 0) FROM T", "SELECT ifnull(a, 0) FROM T"},
        {"SELECT DATEADD(day, 1, x) FROM T", "SELECT DATEADD('day', 1, x) FROM T"},
        {"SELECT CONVERT(NVARCHAR, F, 103) FROM t",
         "SELECT tsql_convert('NVARCHAR', F, 103) FROM t"},
    };
    checkPass(tsql::rewriteFunctions, cases);
}

// Without an order lookup every date is ordered by its reading; a compound SELECT's order is
// left to the names of its columns.
TEST(Passes, OrderByReadingsOrdersDatesByTheirReadings) {
    const Case cases[] = {
        {"SELECT ID FROM AUX_ERR ORDER BY fecha",
         "SELECT ID FROM AUX_ERR ORDER BY tsql_sortkey(fecha) COLLATE SSCI, fecha"},
        {"SELECT ID FROM AUX_ERR ORDER BY fecha DESC",
         "SELECT ID FROM AUX_ERR ORDER BY tsql_sortkey(fecha) COLLATE SSCI DESC, fecha DESC"},
        {"SELECT ID FROM AUX_ERR ORDER BY Usuario", "SELECT ID FROM AUX_ERR ORDER BY Usuario"},
        {"SELECT fecha FROM AUX_ERR UNION SELECT fecha FROM AUX_ERR ORDER BY 1",
         "SELECT fecha FROM AUX_ERR UNION SELECT fecha FROM AUX_ERR ORDER BY 1"},
    };
    checkPass(tsql::orderByReadings, cases);
}

// IF [NOT] EXISTS (q) INSERT becomes one INSERT guarded by the test; any other statement after
// the test is left as it is.
TEST(Passes, RewriteIfExistsGuardsTheInsertWithItsTest) {
    const Case cases[] = {
        {"IF NOT EXISTS (SELECT 1 FROM t WHERE a = 1) INSERT INTO t (a) VALUES (1)",
         "INSERT INTO t (a) SELECT 1 WHERE NOT EXISTS (SELECT 1 FROM t WHERE a = 1)"},
        {"IF EXISTS (SELECT 1 FROM u) INSERT INTO t (a) SELECT b FROM u",
         "INSERT INTO t (a) SELECT * FROM (SELECT b FROM u) WHERE EXISTS (SELECT 1 FROM u)"},
        {"IF NOT EXISTS (SELECT 1) UPDATE t SET a = 1",
         "IF NOT EXISTS (SELECT 1) UPDATE t SET a = 1"},
        {"INSERT INTO t (a) VALUES (1)", "INSERT INTO t (a) VALUES (1)"},
    };
    checkPass(tsql::rewriteIfExists, cases);
}

// An INSERT without a column list names the columns after the identity, as many as it gives.
TEST(Passes, CompleteInsertNamesTheColumnsAfterTheIdentity) {
    const Case cases[] = {
        {"INSERT AUX_ERR VALUES ('2026-03-29', 'ana', 1)",
         "INSERT INTO AUX_ERR ([fecha], [Usuario], [Error]) VALUES ('2026-03-29', 'ana', 1)"},
        {"INSERT INTO AUX_ERR VALUES ('2026-03-29')",
         "INSERT INTO AUX_ERR ([fecha]) VALUES ('2026-03-29')"},
        {"INSERT INTO AUX_ERR (Usuario) VALUES ('a')",
         "INSERT INTO AUX_ERR (Usuario) VALUES ('a')"},
        {"INSERT INTO V_MV_FALTANTES VALUES (NULL, 'A')",
         "INSERT INTO V_MV_FALTANTES VALUES (NULL, 'A')"},
    };
    checkPass(tsql::completeInsert, cases);
}

// Each value written into a column goes through that column's storing call; Null as it is.
TEST(Passes, StoreValuesWritesEachValueAsItsColumnTakesIt) {
    const Case cases[] = {
        {"INSERT INTO AUX_ERR (fecha, Usuario, Error) VALUES ('20260329', 'ana', 1)",
         "INSERT INTO AUX_ERR (fecha, Usuario, Error) VALUES (tsql_datetime('20260329'), "
         "tsql_store('VARCHAR(50)', 'ana'), tsql_store('INT', 1))"},
        {"UPDATE AUX_ERR SET fecha = NULL WHERE ID = 1",
         "UPDATE AUX_ERR SET fecha = NULL WHERE ID = 1"},
        {"UPDATE AUX_ERR SET Usuario = 'x' WHERE ID = 1",
         "UPDATE AUX_ERR SET Usuario = tsql_store('VARCHAR(50)', 'x') WHERE ID = 1"},
        {"SELECT 1", "SELECT 1"},
    };
    checkPass(tsql::storeValues, cases);
}

}  // namespace
