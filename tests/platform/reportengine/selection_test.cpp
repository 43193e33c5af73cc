#include "platform/ado/tsql/collation.h"
#include "platform/ado/tsql/functions.h"
#include "platform/ado/tsql/translator.h"
#include "platform/reportengine/adodatasource.h"
#include "platform/reportengine/errors.h"
#include "platform/reportengine/reportdata.h"
#include "platform/reportengine/selection.h"
#include "tests/support/test_database.h"
#include "tests/support/fixtures.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <functional>
#include <tuple>

namespace {

using reportengine::Selection;

// A small error log: users in several letter cases and with blanks, a whole day of 9 December,
// an apostrophe, a row of Nulls and a non-ASCII name.
void fillAuxErr(const zxtest::TestDatabase& db) {
    db.exec(
        QStringLiteral("INSERT INTO AUX_ERR (ID, Usuario, fecha, PC, Error, Proceso) VALUES "
                       "(1, 'ANA', '2026-12-01 08:00:00', 'CAJA1', 100, 'Ventas'),"
                       "(2, 'ana', '2026-12-09 23:59:00', 'CAJA2', 150, 'Ventas'),"
                       "(3, 'JUAN', '2026-12-09 00:00:00', 'ADMIN', 200, 'Compras'),"
                       "(4, 'JUANA', '2026-12-10 00:00:00', 'A1', 250, 'Compras'),"
                       "(5, 'O''Brien', '2026-11-30 12:00:00', 'B2', 99, 'Stock'),"
                       "(6, 'PEDRO', NULL, NULL, NULL, NULL),"
                       "(7, ' ANA ', '2026-12-05 10:30:00', 'CAJA10', 120, 'Ventas'),"
                       "(8, 'Zoe', '2026-12-15 09:00:00', 'C3', 300, 'Caja'),"
                       "(9, 'MARIA', '2026-12-08 17:45:00', 'BX', 100, 'Caja'),"
                       "(10, 'muñoz', '2026-12-02 11:00:00', 'CAJA3', 180, 'Ventas')"));
}

const char* const kIdForm = R"(<report version="1"><data table="AUX_ERR"/>
    <detail height="5"><field x="0" y="0" width="20" height="5" source="{AUX_ERR.ID}"/></detail>
    </report>)";

struct Case {
    const char* name;
    const char* formula;
    QList<int> ids;
    bool wholeInSql = true;  // false: part of the formula is left to the memory filter
};

// The shapes the selection builder writes (double blanks and trailing blanks included), and the
// rest of the language.
const Case kCases[] = {
    {"UserRange",
     "TrimLeft(TrimRight({AUX_ERR.USUARIO})) >= 'ANA'  AND "
     "TrimLeft(TrimRight({AUX_ERR.USUARIO})) <= 'JUAN' ",
     {1, 2, 3, 7}},
    {"ErrorRangeThroughToNumber",
     "tonumber({AUX_ERR.ERROR}) >= 100  AND tonumber({AUX_ERR.ERROR}) <= 200 ",
     {1, 2, 3, 7, 9, 10}},
    {"UserAndErrorRanges",
     "TrimLeft(TrimRight({AUX_ERR.USUARIO})) >= 'ANA'  AND "
     "TrimLeft(TrimRight({AUX_ERR.USUARIO})) <= 'JUAN'  AND tonumber({AUX_ERR.ERROR}) >= 100  "
     "AND tonumber({AUX_ERR.ERROR}) <= 120 ",
     {1, 7}},
    {"DateRangeHoldsTheWholeLastDay",
     "{AUX_ERR.fecha} >= Date(2026,12,01)  AND {AUX_ERR.fecha} <= Date(2026,12,09) ",
     {1, 2, 3, 7, 9, 10}},
    {"WildcardBound", " (TrimLeft(TrimRight({AUX_ERR.PC})) LIKE 'CAJA*' )", {1, 2, 7, 10}},
    {"TwoWildcardBounds",
     " (TrimLeft(TrimRight({AUX_ERR.PC})) LIKE 'A*'  OR TrimLeft(TrimRight({AUX_ERR.PC})) LIKE "
     "'B*' )",
     {3, 4, 5, 9}},
    {"BoundThenWildcard",
     "TrimLeft(TrimRight({AUX_ERR.PC})) >= 'A'  AND TrimLeft(TrimRight({AUX_ERR.PC})) LIKE 'C*' ",
     {1, 2, 7, 8, 10}},
    {"UpperBoundOnly", "TrimLeft(TrimRight({AUX_ERR.USUARIO})) <= 'JUAN' ", {1, 2, 3, 7}},
    {"WithoutTrimmingLeadingBlanksCount",
     "{AUX_ERR.USUARIO} >= 'ANA' ",
     {1, 2, 3, 4, 5, 6, 8, 9, 10}},
    {"DoubledApostrophe", "TrimLeft(TrimRight({AUX_ERR.USUARIO})) = 'O''Brien' ", {5}},
    {"QuestionMarkIsOneCharacter", "{AUX_ERR.PC} LIKE 'CAJA?'", {1, 2, 10}},
    {"LikeMatchesTheWholeValue", "{AUX_ERR.PC} LIKE 'AJA'", {}},
    {"AndBindsTighterThanOr",
     "{AUX_ERR.USUARIO} = 'ZOE' OR {AUX_ERR.ERROR} = 100 AND {AUX_ERR.PC} = 'BX'",
     {8, 9}},
    {"ParenthesesOverridePrecedence",
     "({AUX_ERR.USUARIO} = 'ZOE' OR {AUX_ERR.ERROR} = 100) AND {AUX_ERR.PC} = 'BX'",
     {9}},
    {"NotOfANullComparisonIsTrue", "NOT ({AUX_ERR.ERROR} >= 150)", {1, 5, 6, 7, 9}},
    {"NullNeverCompares", "{AUX_ERR.fecha} <> Date(2026,12,09)", {1, 4, 5, 7, 8, 9, 10}},
    {"DateEqualsTheWholeDay", "{AUX_ERR.fecha} = Date(2026,12,09)", {2, 3}},
    {"DateAfterADay", "{AUX_ERR.fecha} > Date(2026,12,09)", {4, 8}},
    {"KeywordsAndNamesInAnyCase",
     "({aux_err.pc} = 'caja1') and ({Aux_Err.ERROR} = 100) or Not {AUX_ERR.ID} >= 2",
     {1}},
    {"NonAsciiWithoutRegardToCase", "{AUX_ERR.USUARIO} = 'MUÑOZ'", {10}},
    {"TrailingBlanksIgnored", "{AUX_ERR.USUARIO} = 'ZOE   '", {8}},
    {"LiteralOnTheLeft", "100 = {AUX_ERR.ERROR}", {1, 9}},
    {"NegativeAndDecimalNumbers", "{AUX_ERR.ERROR} > -1.5 AND {AUX_ERR.ERROR} < 99.5", {5}},
    {"AnyRunOfBlanks", "\t{AUX_ERR.ERROR}\n>=\n  300  ", {8}},
    // Terms SQL cannot express: evaluated after the query.
    {"TextFunctionOnANumberFiltersInMemory", "TrimLeft({AUX_ERR.ERROR}) = '100'", {1, 9}, false},
    {"MixedTermsPushOnlyTheirSqlPart",
     "{AUX_ERR.ERROR} >= 100 AND TrimLeft({AUX_ERR.ERROR}) = '100'",
     {1, 9},
     false},
    {"ToNumberOfTextFiltersInMemory", "tonumber({AUX_ERR.PROCESO}) > 0", {}, false},
    {"NonAsciiPatternGoesToSqlToo", "{AUX_ERR.USUARIO} LIKE 'MUÑ*'", {10}},
    {"EmptyFormulaSelectsEveryRow", "   ", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
};

class SelectionTest : public ::testing::Test {
protected:
    void SetUp() override { fillAuxErr(database_); }

    QList<int> selectedThroughTheQuery(const QString& formula) {
        const auto form = reportengine::parseForm(kIdForm);
        const auto data = reportengine::fetchRows(form, Selection::parse(formula), {}, db_);
        QList<int> ids;
        for (const auto& row : data.rows) ids.append(static_cast<int>(row[0].number()));
        std::sort(ids.begin(), ids.end());
        return ids;
    }

    // The memory filter alone, over every row.
    QList<int> selectedInMemory(const QString& formula) {
        const QStringList names = {"ID", "Usuario", "fecha", "PC", "Error", "Proceso"};
        Selection selection = Selection::parse(formula);
        selection.bind([&](const reportengine::FieldRef& f) {
            for (int i = 0; i < names.size(); ++i) {
                if (names[i].compare(f.column, Qt::CaseInsensitive) == 0) return i;
            }
            return -1;
        });
        QList<int> ids;
        db_.select(QStringLiteral("SELECT ID, Usuario, fecha, PC, Error, Proceso FROM AUX_ERR"),
                   {}, [&](const QList<vb::Variant>& row) {
                       if (selection.matches(row)) ids.append(static_cast<int>(row[0].number()));
                   });
        std::sort(ids.begin(), ids.end());
        return ids;
    }

    zxtest::TestDatabase database_;
    reportengine::AdoDataSource db_{database_.connectionString()};
};

TEST_F(SelectionTest, FormulasSelectTheRightRowsInSqlAndInMemory) {
    zxtest::ScopedLocale locale(QLocale(QLocale::Spanish, QLocale::Argentina));
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(selectedThroughTheQuery(QString::fromUtf8(c.formula)), c.ids);
        EXPECT_EQ(selectedInMemory(QString::fromUtf8(c.formula)), c.ids);
        const auto query =
            reportengine::buildQuery(reportengine::parseForm(kIdForm),
                                     Selection::parse(QString::fromUtf8(c.formula)), {}, db_);
        EXPECT_EQ(query.filterInMemory, !c.wholeInSql);
    }
}

// Rows on the days the zones of the date tests change their clocks (these tests run under each
// of them), at midnight and at the times some zone skips, written by the layer and, in shapes
// of its own, by another program: a day selects the rows written on it, in SQL and in memory.
TEST_F(SelectionTest, ADaySelectsTheRowsWrittenOnItInEveryZone) {
    database_.exec(QStringLiteral("DELETE FROM AUX_ERR"));
    const QList<QDate> cambios = zxtest::clockChangeDays();
    struct Fila {
        int id;
        vb::DateTime cuando;  // the wall-clock reading, as a date and a time of day
    };
    QList<Fila> filas;
    for (const QDate& cambio : cambios) {
        const vb::DateTime momentos[] = {vb::wallClock(cambio.addDays(-1), QTime(23, 30)),
                                         vb::wallClock(cambio, QTime(0, 0)),
                                         vb::wallClock(cambio, QTime(0, 30)),
                                         vb::wallClock(cambio, QTime(2, 15)),
                                         vb::wallClock(cambio, QTime(2, 30)),
                                         vb::wallClock(cambio, QTime(12, 0)),
                                         vb::wallClock(cambio, QTime(23, 59, 59)),
                                         vb::wallClock(cambio.addDays(1), QTime(0, 0))};
        for (const vb::DateTime& cuando : momentos) {
            const Fila f{static_cast<int>(filas.size()) + 1, cuando};
            filas.append(f);
            const bool medianoche = cuando.time() == QTime(0, 0);
            if (f.id % 2 == 0) {
                database_.exec(QStringLiteral("INSERT INTO AUX_ERR (ID, fecha) VALUES (%1, '%2')")
                                   .arg(f.id)
                                   .arg(cuando.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))));
                continue;
            }
            const QString forma = medianoche      ? QStringLiteral("yyyy-MM-dd")
                                  : f.id % 4 == 1 ? QStringLiteral("yyyy-MM-dd HH:mm")
                                                  : QStringLiteral("yyyy-MM-ddTHH:mm:ss");
            database_.writeAsAnotherProgram(
                QStringLiteral("INSERT INTO AUX_ERR (ID, fecha) VALUES (%1, '%2')")
                    .arg(f.id)
                    .arg(cuando.toString(forma)));
        }
    }

    const auto literal = [](const QDate& d) {
        return QStringLiteral("Date(%1,%2,%3)").arg(d.year()).arg(d.month()).arg(d.day());
    };
    for (const QDate& cambio : cambios) {
        const QDate antes = cambio.addDays(-1), despues = cambio.addDays(1);
        const struct {
            QString formula;
            std::function<bool(const QDate&)> elige;
        } casos[] = {
            {"{AUX_ERR.fecha} = " + literal(cambio), [&](const QDate& d) { return d == cambio; }},
            {"{AUX_ERR.fecha} >= " + literal(cambio) +
                 "  AND {AUX_ERR.fecha} <= " + literal(cambio),
             [&](const QDate& d) { return d == cambio; }},
            {"{AUX_ERR.fecha} >= " + literal(antes) +
                 "  AND {AUX_ERR.fecha} <= " + literal(cambio),
             [&](const QDate& d) { return d == antes || d == cambio; }},
            {"{AUX_ERR.fecha} < " + literal(cambio), [&](const QDate& d) { return d < cambio; }},
            {"{AUX_ERR.fecha} > " + literal(cambio), [&](const QDate& d) { return d > cambio; }},
            {"{AUX_ERR.fecha} <> " + literal(despues),
             [&](const QDate& d) { return d != despues; }},
        };
        for (const auto& c : casos) {
            SCOPED_TRACE(c.formula.toStdString());
            QList<int> elegidas;
            for (const Fila& f : filas) {
                if (c.elige(f.cuando.date())) elegidas.append(f.id);
            }
            EXPECT_EQ(selectedThroughTheQuery(c.formula), elegidas);
            EXPECT_EQ(selectedInMemory(c.formula), elegidas);
        }
    }
}

// The report's day range, as the embedded engine runs it, still reads the rows through the index
// on fecha and in its order.
TEST_F(SelectionTest, ADayRangeUsesTheIndexOnTheDate) {
    const auto form = reportengine::parseForm(QByteArray(R"(<report version="1">
        <data table="AUX_ERR"><sort field="{AUX_ERR.fecha}"/></data>
        <detail height="5"><field x="0" y="0" width="20" height="5" source="{AUX_ERR.ID}"/>
        </detail></report>)"));
    const auto query = reportengine::buildQuery(
        form,
        Selection::parse(QStringLiteral(
            "{AUX_ERR.fecha} >= Date(2026,3,29)  AND {AUX_ERR.fecha} <= Date(2026,3,29) ")),
        {}, db_);
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(database_.file().toUtf8().constData(), &db), SQLITE_OK);
    ASSERT_EQ(tsql::registerFunctions(db), SQLITE_OK);
    const QList<tsql::Statement> statements = tsql::translateBatch(query.sql, db);
    ASSERT_EQ(statements.size(), 1);
    sqlite3_stmt* plan = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, ("EXPLAIN QUERY PLAN " + statements[0].sql).toUtf8(), -1,
                                 &plan, nullptr),
              SQLITE_OK)
        << sqlite3_errmsg(db);
    QStringList steps;
    while (sqlite3_step(plan) == SQLITE_ROW)
        steps << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(plan, 3)));
    sqlite3_finalize(plan);
    sqlite3_close(db);
    // One search of the index's range, and no sort of its own for the order; the look for
    // dates stored as numbers, done once, is one search of the index too.
    ASSERT_EQ(steps.size(), 3) << steps.join(u'\n').toStdString();
    EXPECT_TRUE(steps[0].startsWith(u"SEARCH AUX_ERR USING ")) << steps[0].toStdString();
    EXPECT_TRUE(steps[0].endsWith(u"INDEX IX_AUX_ERR_fecha (fecha>? AND fecha<?)"))
        << steps[0].toStdString();
    EXPECT_EQ(steps[1], QStringLiteral("SCALAR SUBQUERY 1"));
    EXPECT_EQ(steps[2],
              QStringLiteral("SEARCH AUX_ERR USING COVERING INDEX IX_AUX_ERR_fecha (fecha>? AND "
                             "fecha<?)"));
}

// A report sorted by a date lists its rows in the order of their readings, as SQL Server's
// datetime sorts them, whatever shape another program stored each in ("T" after the date, an
// hour of one digit, the date alone, fractions); Nulls first, downwards last. Texts that read as
// no date at all come after the dates. Sorted by user, then date, the dates sort within each
// user. The order of rows already in order is the database's.
TEST_F(SelectionTest, RowsSortedByADateComeInTheOrderOfTheirReadings) {
    database_.exec(QStringLiteral("DELETE FROM AUX_ERR"));
    const struct {
        const char* usuario;
        const char* fecha;     // as stored; NULL for Null
        vb::DateTime reading;  // invalid for Null or no reading
    } stored[] = {
        {"ANA", "2026-03-29 10:00:00", vb::wallClock({2026, 3, 29}, {10, 0})},
        {"ana", "2026-03-29T01:00:00", vb::wallClock({2026, 3, 29}, {1, 0})},
        {"BETO", "2026-03-29 9:05", vb::wallClock({2026, 3, 29}, {9, 5})},
        {"ANA", "2026-03-29 00:00", vb::wallClock({2026, 3, 29})},
        {"BETO", "2026-03-29", vb::wallClock({2026, 3, 29})},
        {"ANA", "2026-03-29 10:00:00.5", vb::wallClock({2026, 3, 29}, {10, 0, 0, 500})},
        {"BETO", "2026-03-29 10:00:00.250", vb::wallClock({2026, 3, 29}, {10, 0, 0, 250})},
        {"ana", "2026-03-28 23:59:59.999", vb::wallClock({2026, 3, 29})},
        {"BETO", "2026-03-28T23:30", vb::wallClock({2026, 3, 28}, {23, 30})},
        {"ANA", "2026-03-30 08:00:00", vb::wallClock({2026, 3, 30}, {8, 0})},
        {"BETO", nullptr, {}},
        {"ANA", "sin fecha", {}},
    };
    for (size_t i = 0; i < std::size(stored); ++i) {
        const QString fecha = stored[i].fecha ? u'\'' + QString::fromUtf8(stored[i].fecha) + u'\''
                                              : QStringLiteral("NULL");
        database_.writeAsAnotherProgram(
            QStringLiteral("INSERT INTO AUX_ERR (ID, Usuario, fecha) VALUES (%1, '%2', %3)")
                .arg(i + 1)
                .arg(QString::fromUtf8(stored[i].usuario), fecha));
    }

    // Where a row goes: Null, then the readings, then the texts of no reading.
    const auto rank = [&](int id) {
        const auto& s = stored[id - 1];
        return std::tuple(s.fecha ? (s.reading.isValid() ? 1 : 2) : 0, s.reading);
    };
    const auto form = [](const char* sort) {
        return reportengine::parseForm(QStringLiteral(R"(<report version="1">
            <data table="AUX_ERR">%1</data><detail height="5">
            <field x="0" y="0" width="20" height="5" source="{AUX_ERR.ID}"/></detail></report>)")
                                           .arg(QString::fromUtf8(sort))
                                           .toUtf8());
    };
    const struct {
        const char* name;
        const char* sort;
        std::function<bool(int, int)> before;  // whether one id must come before another
    } cases[] = {
        {"ByDate", R"(<sort field="{AUX_ERR.fecha}"/>)",
         [&](int a, int b) { return rank(a) < rank(b); }},
        {"ByDateDownwards", R"(<sort field="{AUX_ERR.fecha}" order="descending"/>)",
         [&](int a, int b) { return rank(b) < rank(a); }},
        {"ByUserThenDate", R"(<sort field="{AUX_ERR.Usuario}"/><sort field="{AUX_ERR.fecha}"/>)",
         [&](int a, int b) {
             const int users = tsql::compareText(QString::fromUtf8(stored[a - 1].usuario),
                                                 QString::fromUtf8(stored[b - 1].usuario));
             return users < 0 || (users == 0 && rank(a) < rank(b));
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto data = reportengine::fetchRows(form(c.sort), Selection(), {}, db_);
        ASSERT_EQ(data.rows.size(), qsizetype(std::size(stored)));
        ASSERT_EQ(data.columns.size(), 1);  // the sort reads no column the form does not show
        QList<int> ids;
        for (const auto& row : data.rows) ids.append(static_cast<int>(row[0].number()));
        for (qsizetype i = 0; i < ids.size(); ++i) {
            for (qsizetype k = i + 1; k < ids.size(); ++k)
                EXPECT_FALSE(c.before(ids[k], ids[i])) << ids[k] << " after " << ids[i];
        }
    }
}

// Names as people type them: accents, ñ, padding, apostrophes, wildcard characters and Nulls.
// Both paths compare text as the database does, so a formula selects the same rows whether
// SQL or the memory filter decides.
class NameOrderTest : public SelectionTest {
protected:
    void SetUp() override {
        database_.exec(
            QStringLiteral("INSERT INTO AUX_ERR (ID, Usuario, fecha, PC, Error) VALUES "
                           "(1, 'Ángel', '2026-12-09 08:00:00', 'Ñoño-PC', 1),"
                           "(2, 'angel', '2026-12-09 08:00:00', 'ñoño-pc  ', 2),"
                           "(3, 'Beto', '2026-12-09 08:00:00', 'Ñoño-PC', 3),"
                           "(4, 'Núñez', '2026-12-09 08:00:00', 'NOÑO', 4),"
                           "(5, 'Nora', '2026-12-09 08:00:00', 'Ñoño-PC', 5),"
                           "(6, 'Ñandú', '2026-12-09 08:00:00', 'CAJA_1', 6),"
                           "(7, 'Óscar', '2026-12-09 08:00:00', 'CAJA1', 7),"
                           "(8, 'oscar   ', '2026-12-09 08:00:00', 'CAJA%2', 8),"
                           "(9, 'Oscarito', '2026-12-09 08:00:00', NULL, 9),"
                           "(10, NULL, '2026-12-09 08:00:00', 'Ñoño-PC', 10),"
                           "(11, '  Zoe', '2026-12-09 08:00:00', 'Ñoño-PC', 11),"
                           "(12, 'A%B', '2026-12-09 08:00:00', 'CAJA[1]', 12),"
                           "(13, 'A_B', '2026-12-09 08:00:00', 'Ñoño-PC', 13),"
                           "(14, 'O''Brien', '2026-12-09 08:00:00', 'Ñoño-PC', 14),"
                           "(15, 'Pérez', '2026-12-09 08:00:00', 'Ñoño-PC', 15),"
                           "(16, 'ñoño', '2026-12-09 08:00:00', 'Ñoño-PC', 16),"
                           "(17, 'Omar', '2026-12-09 08:00:00', 'Ñoño-PC', 17),"
                           "(18, 'Ana*', '2026-12-09 08:00:00', 'Ñoño-PC', 18),"
                           "(19, 'Ángela', '2026-12-09 08:00:00', 'Ñoño-PC', 19),"
                           "(20, 'NUÑEZ', '2026-12-09 08:00:00', 'Ñoño-PC', 20)"));
    }
};

TEST_F(NameOrderTest, AccentedPaddedNullAndWildcardNamesSelectTheSameRowsOnBothPaths) {
    const QString users =
        "TrimLeft(TrimRight({AUX_ERR.USUARIO})) >= 'Ángel'  AND "
        "TrimLeft(TrimRight({AUX_ERR.USUARIO})) <= 'Óscar' ";
    const QList<int> inUserRange = {1, 3, 4, 5, 6, 7, 8, 14, 16, 17, 19, 20};
    const Case cases[] = {
        // Accents sort next to their letter, ñ between n and o; an unaccented letter sorts
        // before its accented form and after the letters below it.
        {"AccentedUserRange", "", inUserRange},
        {"AccentedUserRangeWithAPattern", "", {1, 3, 5, 14, 16, 17, 19, 20}},
        {"EnyeBetweenNAndO",
         "TrimLeft(TrimRight({AUX_ERR.USUARIO})) > 'nz'  AND "
         "TrimLeft(TrimRight({AUX_ERR.USUARIO})) < 'o' ",
         {6, 16}},
        {"AccentsStillTellNamesApart", "{AUX_ERR.USUARIO} = 'ANGEL'", {2}},
        {"PaddedNameEqualsItsTrimmedForm", "{AUX_ERR.USUARIO} = 'OSCAR'", {8}},
        {"LeadingBlanksCountWithoutTrim", "{AUX_ERR.USUARIO} = 'zoe'", {}},
        {"LeadingBlanksGoWithTrim", "TrimLeft(TrimRight({AUX_ERR.USUARIO})) = 'zoe'", {11}},
        {"Apostrophe", "TrimLeft(TrimRight({AUX_ERR.USUARIO})) = 'o''brien' ", {14}},
        {"NullIsOutsideAnUpperBound",
         "TrimLeft(TrimRight({AUX_ERR.USUARIO})) <= 'b' ",
         {1, 2, 12, 13, 18, 19}},
        {"NullIsOutsideStar",
         " (TrimLeft(TrimRight({AUX_ERR.USUARIO})) LIKE '*' )",
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20}},
        {"NonAsciiPatternWithoutRegardToCase",
         " (TrimLeft(TrimRight({AUX_ERR.PC})) LIKE 'ñ*' )",
         {1, 2, 3, 5, 10, 11, 13, 14, 15, 16, 17, 18, 19, 20}},
        {"UnderscoreInAPatternIsNoWildcard", "{AUX_ERR.PC} LIKE 'CAJA_*'", {6}},
        {"PercentInAPatternIsNoWildcard", "{AUX_ERR.PC} LIKE 'caja%*'", {8}},
        {"BracketInAPatternIsNoClass", "{AUX_ERR.PC} LIKE 'CAJA[1]'", {12}},
        {"WildcardCharactersInTextBounds",
         "TrimLeft(TrimRight({AUX_ERR.USUARIO})) >= 'A%B'  AND "
         "TrimLeft(TrimRight({AUX_ERR.USUARIO})) <= 'Ana*' ",
         {12, 13, 18}},
        {"WildcardCharactersCompareAsText", "{AUX_ERR.USUARIO} = 'a_b'", {13}},
        // LIKE keeps accents apart as "=" does; NOT of a Null's false is true on both paths.
        {"NotOfAPatternWithAccents",
         "NOT ({AUX_ERR.USUARIO} LIKE '*a*')",
         {1, 3, 4, 10, 11, 14, 15, 16, 20}},
    };
    zxtest::ScopedLocale locale(QLocale(QLocale::Spanish, QLocale::Argentina));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QString formula = QString::fromUtf8(c.formula);
        if (formula.isEmpty()) formula = users;
        if (QByteArray(c.name) == "AccentedUserRangeWithAPattern")
            formula += " AND  (TrimLeft(TrimRight({AUX_ERR.PC})) LIKE 'Ñ*' )";
        EXPECT_EQ(selectedThroughTheQuery(formula), c.ids);
        EXPECT_EQ(selectedInMemory(formula), c.ids);
        const auto query = reportengine::buildQuery(reportengine::parseForm(kIdForm),
                                                    Selection::parse(formula), {}, db_);
        EXPECT_FALSE(query.filterInMemory);
    }
}

// Half of the formula in SQL and half in memory gives the rows of either alone.
TEST_F(NameOrderTest, TheMemoryFilterAgreesWithSqlWhenItTakesPartOfTheFormula) {
    const QString formula =
        "TrimLeft(TrimRight({AUX_ERR.USUARIO})) >= 'Ángel'  AND "
        "TrimLeft(TrimRight({AUX_ERR.USUARIO})) <= 'Óscar'  AND "
        "TrimLeft({AUX_ERR.ERROR}) <> 'x'";
    const auto query = reportengine::buildQuery(reportengine::parseForm(kIdForm),
                                                Selection::parse(formula), {}, db_);
    EXPECT_TRUE(query.filterInMemory);
    const QList<int> expected = {1, 3, 4, 5, 6, 7, 8, 14, 16, 17, 19, 20};
    EXPECT_EQ(selectedThroughTheQuery(formula), expected);
    EXPECT_EQ(selectedInMemory(formula), expected);
}

TEST_F(SelectionTest, ValuesAreBoundNeverWrittenIntoTheQuery) {
    const QString hostile = QStringLiteral("x'; DROP TABLE AUX_ERR; --");
    const QString formula =
        QStringLiteral(
            "TrimLeft(TrimRight({AUX_ERR.USUARIO})) >= '%1'  AND "
            "{AUX_ERR.fecha} <= Date(2026,12,09) AND {AUX_ERR.ERROR} <> 150 AND "
            "{AUX_ERR.PC} LIKE 'C_%*'")
            .arg(QString(hostile).replace(QStringLiteral("'"), QStringLiteral("''")));
    const auto form = reportengine::parseForm(kIdForm);
    const auto query = reportengine::buildQuery(form, Selection::parse(formula), {}, db_);

    EXPECT_FALSE(query.filterInMemory);
    EXPECT_FALSE(query.sql.contains(QStringLiteral("DROP")));
    EXPECT_FALSE(query.sql.contains(QStringLiteral("2026")));
    EXPECT_FALSE(query.sql.contains(QStringLiteral("150")));
    EXPECT_EQ(query.sql.count(u'?'), 4);
    const QList<vb::Variant> expected = {
        vb::Variant(hostile), vb::Variant(vb::wallClock(QDate(2026, 12, 10), QTime(0, 0))),
        vb::Variant(150.0), vb::Variant(QStringLiteral("C\\_\\%%"))};
    EXPECT_EQ(query.parameters, expected);

    EXPECT_EQ(selectedThroughTheQuery(formula), QList<int>{});
    EXPECT_EQ(selectedThroughTheQuery(QString()).size(), 10);  // the table is still there
}

// The first and the last day a datetime holds, and days beyond them, in every comparison: no
// value a datetime cannot hold is bound (SQL Server refuses one, and the day after the last is
// none), and the query selects what the memory filter does.
TEST_F(SelectionTest, DaysAtAndBeyondWhatADatetimeHoldsSelectAsInMemory) {
    database_.exec(QStringLiteral(
        "INSERT INTO AUX_ERR (ID, Usuario, fecha) VALUES (11, 'X', '1753-01-01 00:00:00'), "
        "(12, 'X', '1753-01-01 18:00:00'), (13, 'X', '9999-12-31 00:00:00'), "
        "(14, 'X', '9999-12-31 23:59:59.997')"));
    const QDate first(1753, 1, 1), last(9999, 12, 31);
    for (const QDate& day :
         {QDate(1, 1, 1), QDate(1752, 12, 31), first, QDate(2026, 12, 9), last}) {
        for (const char* op : {"=", "<>", "<", "<=", ">", ">="}) {
            const QString term = QStringLiteral("{AUX_ERR.fecha} %1 Date(%2,%3,%4)")
                                     .arg(QLatin1String(op))
                                     .arg(day.year())
                                     .arg(day.month())
                                     .arg(day.day());
            for (const QString& formula : {term, QStringLiteral("NOT (%1)").arg(term)}) {
                SCOPED_TRACE(formula.toStdString());
                const auto query = reportengine::buildQuery(reportengine::parseForm(kIdForm),
                                                            Selection::parse(formula), {}, db_);
                EXPECT_FALSE(query.filterInMemory);
                for (const vb::Variant& p : query.parameters) {
                    ASSERT_TRUE(p.isDate());
                    EXPECT_GE(p.date().date(), first);
                    EXPECT_LE(p.date().date(), last);
                }
                EXPECT_EQ(selectedThroughTheQuery(formula), selectedInMemory(formula));
            }
        }
    }
    EXPECT_EQ(selectedThroughTheQuery("{AUX_ERR.fecha} <= Date(9999,12,31)"),
              (QList<int>{1, 2, 3, 4, 5, 7, 8, 9, 10, 11, 12, 13, 14}));
    EXPECT_EQ(selectedThroughTheQuery("{AUX_ERR.fecha} = Date(9999,12,31)"), (QList<int>{13, 14}));
    EXPECT_EQ(selectedThroughTheQuery("{AUX_ERR.fecha} > Date(9999,12,31)"), QList<int>{});
    EXPECT_EQ(selectedThroughTheQuery("{AUX_ERR.fecha} < Date(1753,1,1)"), QList<int>{});
    EXPECT_EQ(selectedThroughTheQuery("{AUX_ERR.fecha} = Date(1753,1,1)"), (QList<int>{11, 12}));
}

TEST_F(SelectionTest, SyntaxErrorsRaiseInsteadOfSelectingEverything) {
    const char* const broken[] = {
        "{AUX_ERR.USUARIO} >= ",
        "{AUX_ERR.USUARIO} = 'abc",
        "AND {AUX_ERR.PC} = 'A'",
        "{AUX_ERR.PC} = 'A' OR",
        "({AUX_ERR.PC} = 'A'",
        "{AUX_ERR.PC}",
        "'A'",
        "Foo({AUX_ERR.PC}) = 'A'",
        "{AUX_ERR} = 1",
        "{AUX_ERR.fecha} = Date(2026,13,01)",
        "{AUX_ERR.PC} = 'A' {AUX_ERR.PC} = 'B'",
        "{AUX_ERR.PC} = 'A' AND 1",
        "{AUX_ERR.PC} == 'A'",
        "{@Nombreempresa} = 'A'",
        "NOT",
        "{AUX_ERR.PC} = \"A\"",
    };
    for (const char* formula : broken) {
        SCOPED_TRACE(formula);
        try {
            Selection::parse(QString::fromUtf8(formula));
            ADD_FAILURE() << "no error";
        } catch (const vb::VbError& e) {
            EXPECT_EQ(e.Number, reportengine::err::Formula);
            EXPECT_EQ(e.Source, reportengine::errorSource());
            EXPECT_TRUE(e.Description.contains(QString::fromUtf8(formula)));
        }
    }
}

// Nesting deeper than the parser allows is a formula error, never a stack overflow.
TEST(SelectionNestingTest, TooDeepANestingIsAFormulaError) {
    const QString comparison = QStringLiteral("{AUX_ERR.PC} = 'A'");
    const QString deep[] = {
        QString(3000, u'(') + comparison + QString(3000, u')'),
        QStringLiteral("NOT ").repeated(10000) + comparison,
        QStringLiteral("TrimLeft(").repeated(10000) + QStringLiteral("{AUX_ERR.PC}") +
            QString(10000, u')') + QStringLiteral(" = 'A'"),
        QStringLiteral("{AUX_ERR.PC} = ") + QStringLiteral("tonumber(").repeated(5000) +
            QStringLiteral("'1'") + QString(5000, u')'),
    };
    for (const QString& formula : deep) {
        SCOPED_TRACE(formula.left(40).toStdString());
        const std::optional<vb::VbError> e = zxtest::raised([&] { Selection::parse(formula); });
        ASSERT_TRUE(e.has_value());
        EXPECT_EQ(e->Number, reportengine::err::Formula);
    }
    // A long chain of terms is no nesting: it reads and selects.
    const QString chain = QStringList(50000, comparison).join(QStringLiteral(" OR "));
    Selection longChain = Selection::parse(chain);
    longChain.bind([](const reportengine::FieldRef&) { return 0; });
    EXPECT_TRUE(longChain.matches({vb::Variant(QStringLiteral("a"))}));
    EXPECT_FALSE(longChain.matches({vb::Variant(QStringLiteral("b"))}));
    // Ordinary nesting still reads.
    EXPECT_FALSE(zxtest::raised([&] {
                     Selection::parse(QString(20, u'(') +
                                      QStringLiteral("NOT NOT TrimLeft(TrimRight(") +
                                      QStringLiteral("{AUX_ERR.PC})) = 'A'") + QString(20, u')'));
                 }).has_value());
}

TEST_F(SelectionTest, FieldsOutsideTheReportTableRaise) {
    const auto form = reportengine::parseForm(kIdForm);
    for (const char* formula : {"{V_MV_CPTE.TC} = 'FC'", "{AUX_ERR.NOPE} = 1"}) {
        SCOPED_TRACE(formula);
        try {
            reportengine::fetchRows(form, Selection::parse(formula), {}, db_);
            ADD_FAILURE() << "no error";
        } catch (const vb::VbError& e) {
            EXPECT_EQ(e.Number, reportengine::err::Field);
        }
    }
}

TEST_F(SelectionTest, AFormAnswersForTheTablesItNamesAsAliases) {
    const auto form = reportengine::parseForm(R"(<report version="1">
        <data table="AUX_ERR" aliases="ERRORES, Log"/>
        <detail height="5"><field x="0" y="0" width="20" height="5" source="{log.ID}"/></detail>
        </report>)");
    EXPECT_EQ(form.aliases, QStringList({"ERRORES", "Log"}));
    const auto data = reportengine::fetchRows(
        form, Selection::parse("{errores.PC} LIKE 'CAJA*' AND {AUX_ERR.ERROR} = 100"), {}, db_);
    ASSERT_EQ(data.rows.size(), 1);
    EXPECT_EQ(data.rows[0][0].number(), 1);
    // A saved report keeps them.
    EXPECT_EQ(reportengine::parseForm(reportengine::formToXml(form)).aliases, form.aliases);
    try {
        reportengine::fetchRows(form, Selection::parse("{V_MV_CPTE.TC} = 'FC'"), {}, db_);
        ADD_FAILURE() << "no error";
    } catch (const vb::VbError& e) {
        EXPECT_EQ(e.Number, reportengine::err::Field);
    }
}

TEST(LikeTest, StarAndQuestionMarkMatchTheWholeValueWithoutRegardToCase) {
    struct {
        const char* value;
        const char* pattern;
        bool matches;
    } const cases[] = {
        {"CAJA1", "caja*", true},   {"CAJA1", "*1", true},   {"CAJA1", "C?JA?", true},
        {"CAJA10", "CAJA?", false}, {"CAJA", "CAJA*", true}, {"XCAJA", "CAJA*", false},
        {"a*b", "a*b", true},       {"", "*", true},         {"", "?", false},
        {"AXBXC", "*X*X*", true},   {"ñandú", "Ñ*Ú", true},  {"abc", "abd", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.value) + " LIKE " + c.pattern);
        EXPECT_EQ(
            reportengine::likeMatches(QString::fromUtf8(c.value), QString::fromUtf8(c.pattern)),
            c.matches);
    }
}

}  // namespace
