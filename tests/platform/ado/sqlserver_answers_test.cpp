// Statements whose answers SQL Server documents (date arithmetic, date parts, CONVERT styles,
// datetime rounding, LIKE ranges, numbers with an exponent), run through the layer on the
// embedded engine: each value must come back as SQL Server gives it, of the same kind.
#include "platform/ado/ado.h"
#include "platform/ado/tsql/builder.h"
#include "platform/ado/tsql/translator.h"
#include "platform/vb/conversions.h"
#include "tests/support/fixtures.h"
#include "tests/support/test_database.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <functional>

namespace {

// What a value is, as the program reads it: its kind and its text. Dates are written as SQL
// Server's style 121 writes them, so the milliseconds show.
QString answer(const vb::Variant& v) {
    switch (v.type()) {
        case vb::Variant::Type::Null:
            return QStringLiteral("null");
        case vb::Variant::Type::Date:
            return QStringLiteral("date ") +
                   v.date().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
        case vb::Variant::Type::String:
            return QStringLiteral("text ") + v.string();
        default:
            return QStringLiteral("number ") + QString::number(vb::CDbl(v), 'g', 15);
    }
}

struct Case {
    const char* expression;  // the value of SELECT <expression>
    const char* answer;
};

class SqlServerAnswers : public ::testing::Test {
protected:
    void SetUp() override { cn.Open(db.connectionString()); }

    template <size_t N>
    void check(const Case (&cases)[N]) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.expression);
            QString got;
            try {
                ado::Recordset rs =
                    cn.Execute(QStringLiteral("SELECT ") + QString::fromUtf8(c.expression));
                got = answer(rs.Fields(0L).Value());
            } catch (const vb::VbError& e) {
                got = QStringLiteral("error ") + e.Description;
            }
            EXPECT_EQ(got, QString::fromUtf8(c.answer));
        }
    }

    zxtest::TestDatabase db;
    ado::Connection cn;
};

TEST_F(SqlServerAnswers, DatePlusOrMinusANumberIsADate) {
    const Case cases[] = {
        {"CONVERT(datetime, '2026-03-29') + 1", "date 2026-03-30 00:00:00.000"},
        {"CONVERT(datetime, '2026-03-29 10:00') - 0.5", "date 2026-03-28 22:00:00.000"},
        {"CONVERT(datetime, '2026-03-29 10:00', 120) + 1.25", "date 2026-03-30 16:00:00.000"},
        {"1 + CONVERT(datetime, '2026-03-29')", "date 2026-03-30 00:00:00.000"},
        {"DATEADD(day, 1, '2026-03-29') - 2", "date 2026-03-28 00:00:00.000"},
        {"CONVERT(datetime, '2026-03-01') - 1", "date 2026-02-28 00:00:00.000"},
        {"CONVERT(datetime, '2026-03-29') + -1", "date 2026-03-28 00:00:00.000"},
        {"CONVERT(datetime, '2026-03-29') - -0.5", "date 2026-03-29 12:00:00.000"},
        {"CONVERT(datetime, '2026-03-29 10:00') + 0.000000001", "date 2026-03-29 10:00:00.000"},
        // The number is the whole term, signs and products included, by precedence.
        {"CONVERT(datetime, '2026-03-29 10:00') - 1.0/24", "date 2026-03-29 09:00:00.000"},
        {"2 * 3 + CONVERT(datetime, '2026-03-29')", "date 2026-04-04 00:00:00.000"},
        {"-1 + CONVERT(datetime, '2026-03-29')", "date 2026-03-28 00:00:00.000"},
        {"CONVERT(datetime, '2026-03-29') + 1 * 2", "date 2026-03-31 00:00:00.000"},
        {"CONVERT(datetime, '2026-03-29') - 1 - 1", "date 2026-03-27 00:00:00.000"},
        {"CONVERT(datetime, '2026-03-29') - 7 % 4 + 0.5", "date 2026-03-26 12:00:00.000"},
        {"CONVERT(datetime, '2026-03-29') + 3 * -0.5", "date 2026-03-27 12:00:00.000"},
        {"-0.5 * 4 + 1 + CONVERT(datetime, '2026-03-29')", "date 2026-03-28 00:00:00.000"},
        {"CONVERT(datetime, '2026-03-29') - -12 / 4 * 2", "date 2026-04-04 00:00:00.000"},
        {"(2 - 1) * 3 + CONVERT(datetime, '2026-03-29') - 1.0/24", "date 2026-03-31 23:00:00.000"},
        // The END of a CASE ends an operand: what follows it joins the term, never signs it.
        {"CASE WHEN 1 = 1 THEN 3 END - 1 + CONVERT(datetime, '2026-03-29')",
         "date 2026-03-31 00:00:00.000"},
        {"CASE WHEN 1 = 1 THEN 0.5 END * 2 + CONVERT(datetime, '2026-03-29')",
         "date 2026-03-30 00:00:00.000"},
        {"CONVERT(datetime, '2026-03-29') + CASE WHEN 1 = 1 THEN 2 END * 2",
         "date 2026-04-02 00:00:00.000"},
        {"CONVERT(datetime, '2026-03-29') - CASE WHEN 1 = 0 THEN 1 ELSE 2 END - 1",
         "date 2026-03-26 00:00:00.000"},
        {"CONVERT(datetime, '2026-03-29') + CASE WHEN 1 = 1 THEN 1 END + CASE 1 WHEN 1 THEN 1 "
         "END",
         "date 2026-03-31 00:00:00.000"},
        {"CONVERT(datetime, '2026-03-30') - CONVERT(datetime, '2026-03-29')",
         "date 1900-01-02 00:00:00.000"},
        {"CONVERT(datetime, '2026-03-29 06:00') - CONVERT(datetime, '2026-03-29 18:00')",
         "date 1899-12-31 12:00:00.000"},
        {"CONVERT(float, CONVERT(datetime, '2026-03-29 06:00') - "
         "CONVERT(datetime, '2026-03-29 18:00'))",
         "number -0.5"},
        // A date that comes out of an aggregate, ISNULL, COALESCE, CASE or parentheses.
        {"MAX(CONVERT(datetime, '2026-03-29')) + 1", "date 2026-03-30 00:00:00.000"},
        {"MIN(DATEADD(day, 1, '2026-03-29')) - 1", "date 2026-03-29 00:00:00.000"},
        {"1 + MAX(CONVERT(datetime, '2026-03-29'))", "date 2026-03-30 00:00:00.000"},
        {"ISNULL(NULL, CONVERT(datetime, '2026-03-29')) + 1", "date 2026-03-30 00:00:00.000"},
        {"COALESCE(NULL, CONVERT(datetime, '2026-03-29 10:00')) - 0.5",
         "date 2026-03-28 22:00:00.000"},
        {"CASE WHEN 1 = 1 THEN CONVERT(datetime, '2026-03-29') END + 1",
         "date 2026-03-30 00:00:00.000"},
        {"CASE WHEN 1 = 0 THEN NULL ELSE CASE 1 WHEN 1 THEN CONVERT(datetime, '2026-03-29') "
         "END END - 1",
         "date 2026-03-28 00:00:00.000"},
        {"(CONVERT(datetime, '2026-03-29')) + 1", "date 2026-03-30 00:00:00.000"},
        {"1 + CASE WHEN 1 = 1 THEN CONVERT(datetime, '2026-03-29') END",
         "date 2026-03-30 00:00:00.000"},
        {"1 + (CONVERT(datetime, '2026-03-29'))", "date 2026-03-30 00:00:00.000"},
        {"ISNULL(NULL, 'a') + 'b'", "text ab"},
        {"CASE WHEN 1 = 1 THEN 'a' END + 'b'", "text ab"},
        {"CONVERT(datetime, -1)", "date 1899-12-31 00:00:00.000"},
        {"CAST(-0.25 AS datetime)", "date 1899-12-31 18:00:00.000"},
        {"CONVERT(float, CONVERT(datetime, '1899-12-31 18:00'))", "number -0.25"},
        {"CONVERT(datetime, '9999-12-31') + 1",
         "error Arithmetic overflow error converting expression to data type datetime."},
        {"CONVERT(datetime, '1753-01-01') - 1",
         "error Arithmetic overflow error converting expression to data type datetime."},
        {"CONVERT(datetime, 3000000)",
         "error Arithmetic overflow error converting expression to data type datetime."},
    };
    check(cases);
}

TEST_F(SqlServerAnswers, DateaddTakesEveryDatePartAndItsAbbreviations) {
    const Case cases[] = {
        {"DATEADD(year, 1, '2024-02-29')", "date 2025-02-28 00:00:00.000"},
        {"DATEADD(yy, -2, '2026-03-29 10:30')", "date 2024-03-29 10:30:00.000"},
        {"DATEADD(yyyy, 1, '2026-03-29')", "date 2027-03-29 00:00:00.000"},
        {"DATEADD(quarter, 1, '2026-01-31')", "date 2026-04-30 00:00:00.000"},
        {"DATEADD(qq, -1, '2026-05-31')", "date 2026-02-28 00:00:00.000"},
        {"DATEADD(month, 1, '2026-01-31')", "date 2026-02-28 00:00:00.000"},
        {"DATEADD(mm, 1, '2024-01-31')", "date 2024-02-29 00:00:00.000"},
        {"DATEADD(m, 13, '2026-03-29')", "date 2027-04-29 00:00:00.000"},
        {"DATEADD(day, 1, '2026-03-29')", "date 2026-03-30 00:00:00.000"},
        {"DATEADD(dd, -29, '2026-03-29')", "date 2026-02-28 00:00:00.000"},
        {"DATEADD(d, 1, '2026-12-31 23:00')", "date 2027-01-01 23:00:00.000"},
        {"DATEADD(dayofyear, 2, '2026-03-29')", "date 2026-03-31 00:00:00.000"},
        {"DATEADD(dy, 1, '2026-03-29')", "date 2026-03-30 00:00:00.000"},
        {"DATEADD(week, 1, '2026-03-29')", "date 2026-04-05 00:00:00.000"},
        {"DATEADD(wk, -1, '2026-03-29')", "date 2026-03-22 00:00:00.000"},
        {"DATEADD(weekday, 1, '2026-03-29')", "date 2026-03-30 00:00:00.000"},
        {"DATEADD(hour, 5, '2026-03-29 22:00')", "date 2026-03-30 03:00:00.000"},
        {"DATEADD(hh, 1, '2026-03-29 01:30')", "date 2026-03-29 02:30:00.000"},
        {"DATEADD(minute, 90, '2026-03-29 23:00')", "date 2026-03-30 00:30:00.000"},
        {"DATEADD(mi, -1, '2026-03-29')", "date 2026-03-28 23:59:00.000"},
        {"DATEADD(n, 1, '2026-03-29')", "date 2026-03-29 00:01:00.000"},
        {"DATEADD(second, 30, '2026-03-29 23:59:45')", "date 2026-03-30 00:00:15.000"},
        {"DATEADD(ss, -1, '2026-03-29')", "date 2026-03-28 23:59:59.000"},
        {"DATEADD(s, 61, '2026-03-29')", "date 2026-03-29 00:01:01.000"},
        {"DATEADD(millisecond, 3, '2026-03-29 10:00:00')", "date 2026-03-29 10:00:00.003"},
        {"DATEADD(ms, 999, '2026-03-29 10:00:00')", "date 2026-03-29 10:00:01.000"},
        {"DATEADD(ms, 1, '2026-03-29 10:00:00')", "date 2026-03-29 10:00:00.000"},
        {"DATEADD(DAY, 1, CONVERT(datetime, '2026-03-29 10:30:15.997'))",
         "date 2026-03-30 10:30:15.997"},
        {"DATEADD(day, 1, NULL)", "null"},
        {"DATEADD(month, -1, '2026-03-31')", "date 2026-02-28 00:00:00.000"},
        {"DATEADD(month, 2, '2026-01-31')", "date 2026-03-31 00:00:00.000"},
        {"DATEADD(month, 1, '2024-02-29')", "date 2024-03-29 00:00:00.000"},
        {"DATEADD(month, 12, '2024-02-29')", "date 2025-02-28 00:00:00.000"},
        {"DATEADD(year, 4, '2024-02-29')", "date 2028-02-29 00:00:00.000"},
        {"DATEADD(mm, 1, '2026-01-31 23:59:59.997')", "date 2026-02-28 23:59:59.997"},
        {"DATEADD(day, 1.9, '2026-03-29')", "date 2026-03-30 00:00:00.000"},
        {"DATEADD(day, -1.9, '2026-03-29')", "date 2026-03-28 00:00:00.000"},
        {"DATEADD(day, -1, '2026-03-01')", "date 2026-02-28 00:00:00.000"},
        {"DATEADD(ms, -1, '2026-03-29')", "date 2026-03-29 00:00:00.000"},
        {"DATEADD(ms, -3, '2026-03-29')", "date 2026-03-28 23:59:59.997"},
        {"DATEADD(year, 1, '9999-01-01')",
         "error Adding a value to a 'datetime' column caused an overflow."},
    };
    check(cases);
}

TEST_F(SqlServerAnswers, DatediffCountsTheBoundariesCrossed) {
    const Case cases[] = {
        {"DATEDIFF(day, '2026-03-29 23:59', '2026-03-30 00:01')", "number 1"},
        {"DATEDIFF(dd, '2026-03-30 00:01', '2026-03-29 23:59')", "number -1"},
        {"DATEDIFF(day, '2026-03-29 00:00', '2026-03-29 23:59:59')", "number 0"},
        {"DATEDIFF(year, '2025-12-31 23:59:59', '2026-01-01')", "number 1"},
        {"DATEDIFF(yy, '2026-01-01', '2026-12-31')", "number 0"},
        {"DATEDIFF(quarter, '2026-03-31', '2026-04-01')", "number 1"},
        {"DATEDIFF(month, '2026-01-31', '2026-02-01')", "number 1"},
        {"DATEDIFF(mm, '2025-11-15', '2026-03-01')", "number 4"},
        {"DATEDIFF(dayofyear, '2026-03-28', '2026-03-30')", "number 2"},
        {"DATEDIFF(week, '2026-03-28', '2026-03-29')", "number 1"},
        {"DATEDIFF(wk, '2026-03-29', '2026-04-04')", "number 0"},
        {"DATEDIFF(hour, '2026-03-29 01:59', '2026-03-29 03:00')", "number 2"},
        {"DATEDIFF(hh, '2026-03-29 10:59:59', '2026-03-29 11:00:00')", "number 1"},
        {"DATEDIFF(minute, '2026-03-29 10:00:59', '2026-03-29 10:01:00')", "number 1"},
        {"DATEDIFF(mi, '2026-03-28 23:00', '2026-03-29 01:00')", "number 120"},
        {"DATEDIFF(second, '2026-03-29 10:00:00.997', '2026-03-29 10:00:01')", "number 1"},
        {"DATEDIFF(ss, '2026-03-28', '2026-03-29')", "number 86400"},
        {"DATEDIFF(millisecond, '2026-03-29 10:00:00', '2026-03-29 10:00:01.5')", "number 1500"},
        {"DATEDIFF(ms, '2026-03-29 10:00:00.003', '2026-03-29 10:00:00')", "number -3"},
        {"DATEDIFF(day, NULL, '2026-03-29')", "null"},
        {"DATEDIFF(year, '2026-12-31 23:59:59.997', '2027-01-01')", "number 1"},
        {"DATEDIFF(year, '2024-02-29', '2025-02-28')", "number 1"},
        {"DATEDIFF(quarter, '2025-12-31', '2026-01-01')", "number 1"},
        {"DATEDIFF(month, '2026-01-01', '2025-12-31')", "number -1"},
        {"DATEDIFF(week, '2025-12-31', '2026-01-01')", "number 0"},
        {"DATEDIFF(week, '2026-01-03', '2026-01-04')", "number 1"},
        {"DATEDIFF(wk, '2026-01-04', '2026-01-03')", "number -1"},
        {"DATEDIFF(week, '2025-12-27', '2026-01-10')", "number 2"},
        {"DATEDIFF(day, '2024-02-28', '2024-03-01')", "number 2"},
        {"DATEDIFF(day, '2026-03-29', '2026-02-27')", "number -30"},
        {"DATEDIFF(day, '2026-03-29', '2026-03-29 23:59:59.999')", "number 0"},
        {"DATEDIFF(hour, '2026-03-28 23:59:59', '2026-03-29')", "number 1"},
        {"DATEDIFF(ms, '2026-03-29 10:00:00', '2026-03-29 10:00:00.999')", "number 999"},
        {"DATEDIFF(ms, '2026-03-29 10:00:00.0001', '2026-03-29 10:00:00.9999')", "number 999"},
        {"DATEDIFF(second, '2026-03-29 10:00:59.999', '2026-03-29 10:01:00')", "number 1"},
        // A datetime, unlike a text given as it is, holds the reading rounded to 1/300 s.
        {"DATEDIFF(ms, '2026-03-29 10:00:00', CONVERT(datetime, '2026-03-29 10:00:00.999'))",
         "number 1000"},
        {"DATEDIFF(day, CAST('2026-03-29' AS datetime), CAST('2026-03-29 23:59:59.999' AS "
         "datetime))",
         "number 1"},
        {"DATEDIFF(ms, DATEADD(ms, 0, '2026-03-29 10:00:00.998'), '2026-03-29 10:00:00.998')",
         "number 1"},
    };
    check(cases);
}

// SQL Server's default first day of the week (Sunday, us_english) counts weeks and week days.
TEST_F(SqlServerAnswers, DatepartAndItsShortFunctionsGiveEachPart) {
    const Case cases[] = {
        {"DATEPART(year, '2026-03-29 10:30:15.997')", "number 2026"},
        {"DATEPART(yy, '2026-03-29')", "number 2026"},
        {"DATEPART(quarter, '2026-03-29')", "number 1"},
        {"DATEPART(qq, '2026-10-01')", "number 4"},
        {"DATEPART(month, '2026-03-29')", "number 3"},
        {"DATEPART(mm, '2026-12-01')", "number 12"},
        {"DATEPART(day, '2026-03-29')", "number 29"},
        {"DATEPART(dd, '2026-03-01')", "number 1"},
        {"DATEPART(dayofyear, '2026-03-29')", "number 88"},
        {"DATEPART(dy, '2024-12-31')", "number 366"},
        {"DATEPART(week, '2026-01-03')", "number 1"},
        {"DATEPART(wk, '2026-01-04')", "number 2"},
        {"DATEPART(wk, '2026-03-29')", "number 14"},
        {"DATEPART(weekday, '2026-03-29')", "number 1"},
        {"DATEPART(dw, '2026-03-28')", "number 7"},
        {"DATEPART(hour, '2026-03-29 10:30:15.997')", "number 10"},
        {"DATEPART(hh, '2026-03-29 23:00')", "number 23"},
        {"DATEPART(minute, '2026-03-29 10:30:15')", "number 30"},
        {"DATEPART(mi, '2026-03-29 10:05')", "number 5"},
        {"DATEPART(second, '2026-03-29 10:30:15')", "number 15"},
        {"DATEPART(ss, '2026-03-29 10:30:15.997')", "number 15"},
        {"DATEPART(millisecond, '2026-03-29 10:30:15.997')", "number 997"},
        {"DATEPART(ms, '2026-03-29 10:30:15.998')", "number 998"},
        {"YEAR('2026-03-29')", "number 2026"},
        {"MONTH('2026-03-29')", "number 3"},
        {"DAY('2026-03-29')", "number 29"},
        {"DATEPART(day, NULL)", "null"},
        {"DATEPART(week, '2026-12-31')", "number 53"},
        {"DATEPART(wk, '2027-01-01')", "number 1"},
        {"DATEPART(week, '2022-01-01')", "number 1"},
        {"DATEPART(week, '2022-01-02')", "number 2"},
        {"DATEPART(dw, '2026-03-30')", "number 2"},
        {"DATEPART(dy, '2026-12-31')", "number 365"},
        {"DATEPART(dy, '2026-01-01')", "number 1"},
        {"DATEPART(ms, '2026-03-29 10:30:15.999')", "number 999"},
        {"DATEPART(second, '2026-03-29 10:30:59.999')", "number 59"},
        {"DATEPART(day, '2026-03-29 23:59:59.999')", "number 29"},
        {"DATEPART(ms, '2026-03-29 10:30:15.9999')", "number 999"},
        {"DAY('2026-03-29 23:59:59.999')", "number 29"},
        {"MONTH('2026-03-31 23:59:59.999')", "number 3"},
        {"YEAR('2026-12-31 23:59:59.999')", "number 2026"},
        // A datetime, unlike a text given as it is, holds the reading rounded to 1/300 s.
        {"DATEPART(ms, CONVERT(datetime, '2026-03-29 10:30:15.998'))", "number 997"},
        {"DATEPART(day, CAST('2026-03-29 23:59:59.999' AS datetime))", "number 30"},
        {"DAY(CONVERT(datetime, '2026-03-29 23:59:59.999'))", "number 30"},
        {"DATEPART(ms, DATEADD(day, 0, '2026-03-29 10:30:15.999'))", "number 0"},
    };
    check(cases);
}

TEST_F(SqlServerAnswers, ConvertToTextWritesEachStyle) {
    const char* d = "CONVERT(datetime, '2026-03-29 10:30:15.997')";
    const QList<std::pair<QString, QString>> styles = {
        {"CONVERT(varchar(19), D, 120)", "text 2026-03-29 10:30:15"},
        {"CONVERT(varchar(23), D, 121)", "text 2026-03-29 10:30:15.997"},
        {"CONVERT(varchar(30), D, 126)", "text 2026-03-29T10:30:15.997"},
        {"CONVERT(varchar(10), D, 23)", "text 2026-03-29"},
        {"CONVERT(varchar(10), D, 120)", "text 2026-03-29"},
        {"CONVERT(varchar, D, 103)", "text 29/03/2026"},
        {"CONVERT(varchar(8), D, 108)", "text 10:30:15"},
        {"CONVERT(char(8), D, 112)", "text 20260329"},
        {"CONVERT(varchar(10), D, 101)", "text 03/29/2026"},
        {"CONVERT(nvarchar(30), CONVERT(datetime, '2026-03-29 10:30'), 126)",
         "text 2026-03-29T10:30:00"},
        {"CONVERT(varchar(30), CONVERT(datetime, '2026-03-29 10:30'), 121)",
         "text 2026-03-29 10:30:00.000"},
        // Milliseconds as the datetime holds them, after rounding.
        {"CONVERT(varchar(23), CONVERT(datetime, '2026-03-29 10:30:15.998'), 121)",
         "text 2026-03-29 10:30:15.997"},
        {"CONVERT(varchar(23), CONVERT(datetime, '2026-03-29 10:30:15.995'), 121)",
         "text 2026-03-29 10:30:15.997"},
        {"CONVERT(varchar(23), CONVERT(datetime, '2026-03-29 10:30:15.999'), 121)",
         "text 2026-03-29 10:30:16.000"},
        {"CONVERT(varchar(30), CONVERT(datetime, '2026-03-29 10:30:15.999'), 126)",
         "text 2026-03-29T10:30:16"},
        {"CONVERT(varchar(19), CONVERT(datetime, '2026-03-29 23:59:59.999'), 120)",
         "text 2026-03-30 00:00:00"},
        {"CONVERT(varchar(8), CONVERT(datetime, '2026-03-29 10:30:59.999'), 108)",
         "text 10:31:00"},
        {"CONVERT(varchar(10), CONVERT(datetime, '2026-03-29 23:59:59.999'), 23)",
         "text 2026-03-30"},
    };
    for (const auto& [expression, expected] : styles) {
        QString text = expression;
        text.replace(QStringLiteral("D,"), QString::fromUtf8(d) + u',');
        SCOPED_TRACE(text.toStdString());
        const vb::Variant v = cn.Execute(QStringLiteral("SELECT ") + text).Fields(0L).Value();
        EXPECT_EQ(answer(v), expected);
        // A text is read as the text it is, not as the date it spells.
        if (v.isString()) EXPECT_EQ(vb::CStr(v), v.string());
    }
}

TEST_F(SqlServerAnswers, ConvertIntoDatetimeReadsTheStylesAndRoundsToItsPrecision) {
    const Case cases[] = {
        {"CONVERT(datetime, '03/29/2026 10:30', 101)", "date 2026-03-29 10:30:00.000"},
        {"CONVERT(datetime, '03/29/2026', 101)", "date 2026-03-29 00:00:00.000"},
        {"CONVERT(datetime, '10:30:15', 108)", "date 1900-01-01 10:30:15.000"},
        {"CONVERT(datetime, '29/03/2026 10:30:15', 103)", "date 2026-03-29 10:30:15.000"},
        {"CONVERT(datetime, '2026-03-29T10:30:15.123', 126)", "date 2026-03-29 10:30:15.123"},
        {"CONVERT(datetime, '20260329', 112)", "date 2026-03-29 00:00:00.000"},
        {"CONVERT(datetime, '2026-03-29 10:30:15.998')", "date 2026-03-29 10:30:15.997"},
        {"CONVERT(datetime, '2026-03-29 10:30:15.999')", "date 2026-03-29 10:30:16.000"},
        {"CONVERT(datetime, '2026-03-29 23:59:59.999')", "date 2026-03-30 00:00:00.000"},
        {"CONVERT(datetime, '2026-03-29 10:30:15.995')", "date 2026-03-29 10:30:15.997"},
        {"CONVERT(datetime, '2026-03-29 10:30:15.994')", "date 2026-03-29 10:30:15.993"},
        {"CONVERT(datetime, '2026-03-29 10:30:15.992')", "date 2026-03-29 10:30:15.993"},
        {"CONVERT(datetime, '2026-03-29 10:30:15.991')", "date 2026-03-29 10:30:15.990"},
        {"CONVERT(datetime, '2026-03-29 10:30:15.002')", "date 2026-03-29 10:30:15.003"},
        {"CONVERT(datetime, '2026-03-29 10:30:15.001')", "date 2026-03-29 10:30:15.000"},
        {"CONVERT(datetime, '2026-03-29')", "date 2026-03-29 00:00:00.000"},
        {"CONVERT(datetime, '2026-03-29', 23)", "date 2026-03-29 00:00:00.000"},
        {"CONVERT(datetime, '03/29/2026 10:30:15.999', 101)", "date 2026-03-29 10:30:16.000"},
        {"CONVERT(datetime, '29/03/2026 23:59:59.998', 103)", "date 2026-03-29 23:59:59.997"},
        // A time alone is on day zero, with or without a style; after a colon the fraction
        // counts thousandths, after a point tenths.
        {"CONVERT(datetime, '10:30')", "date 1900-01-01 10:30:00.000"},
        {"CAST(' 10:30:15 ' AS datetime)", "date 1900-01-01 10:30:15.000"},
        {"CONVERT(datetime, '10:30:15:500')", "date 1900-01-01 10:30:15.500"},
        {"CONVERT(datetime, '10:30:15:5')", "date 1900-01-01 10:30:15.007"},
        {"CONVERT(datetime, '10:30:15.5')", "date 1900-01-01 10:30:15.500"},
        {"CONVERT(datetime, '2:05 PM')", "date 1900-01-01 14:05:00.000"},
        {"CONVERT(datetime, '4am')", "date 1900-01-01 04:00:00.000"},
        {"CONVERT(datetime, '12 AM')", "date 1900-01-01 00:00:00.000"},
        {"CONVERT(datetime, '10:30:59.999', 108)", "date 1900-01-01 10:31:00.000"},
        {"CONVERT(datetime, '25:00')",
         "error Conversion failed when converting date and/or time from character string."},
    };
    check(cases);
}

// CAST converts as CONVERT does; a date-time made a number counts days from 1900-01-01 (a
// whole number rounds to the nearest day), so the difference of two dates reads as days.
TEST_F(SqlServerAnswers, CastAndConvertTurnDatesIntoDaysAndBack) {
    const Case cases[] = {
        {"CAST('2026-03-29' AS datetime)", "date 2026-03-29 00:00:00.000"},
        {"CAST('2026-03-29 10:30:15.999' AS DATETIME)", "date 2026-03-29 10:30:16.000"},
        {"CAST(45000.5 AS datetime)", "date 2023-03-17 12:00:00.000"},
        {"CAST(NULL AS datetime)", "null"},
        {"CAST(CONVERT(datetime, '2026-03-29') - CONVERT(datetime, '2026-03-28') AS int)",
         "number 1"},
        {"CONVERT(int, CONVERT(datetime, '2026-03-29 12:00') - CONVERT(datetime, '2026-03-28'))",
         "number 2"},
        {"CONVERT(int, CONVERT(datetime, '2026-03-29 11:59'))", "number 46108"},
        {"CONVERT(int, CONVERT(datetime, '2000-12-07 23:59:59.997'))", "number 36866"},
        {"CONVERT(float, CONVERT(datetime, '1900-01-01 12:00'))", "number 0.5"},
        {"CAST(CONVERT(datetime, '1900-12-31 06:00') AS float)", "number 364.25"},
        {"CAST(CAST('2026-03-29' AS datetime) + 1 AS datetime)", "date 2026-03-30 00:00:00.000"},
        {"CAST('12' AS int) + 1", "number 13"},
        {"CAST(2.7 AS int)", "number 2"},
        {"CAST(-2.7 AS int)", "number -2"},
        {"CAST(12.345 AS decimal(5, 2))", "number 12.35"},
        {"CAST(1.5 AS varchar(10))", "text 1.5"},
        {"CONVERT(varchar(10), -1.5e-1)", "text -0.15"},
        {"CAST('abc' AS int)",
         "error Conversion failed when converting the varchar value 'abc' to data type int."},
        // Numbers in text read as a column of the type reads them.
        {"CAST(' 12 ' AS int)", "number 12"},
        {"CAST('12.5' AS int)",
         "error Conversion failed when converting the varchar value '12.5' to data type int."},
        {"CAST(3000000000 AS int)",
         "error Arithmetic overflow error converting expression to data type int."},
        {"CAST('1e3' AS numeric(18, 2))", "error Error converting data type varchar to numeric."},
        {"CAST('1e3' AS float)", "number 1000"},
        {"CAST('$1,234.5' AS money)", "number 1234.5"},
        {"CAST('TRUE' AS bit)", "number 1"},
        {"CAST(123.456 AS numeric(4, 2))",
         "error Arithmetic overflow error converting numeric to data type numeric."},
    };
    check(cases);
}

// Two date-times compare by the values the datetime holds after rounding; a text on the other
// side is converted to a datetime first.
TEST_F(SqlServerAnswers, DatetimesCompareAfterRounding) {
    const char* d999 = "CONVERT(datetime, '2026-03-29 23:59:59.999')";
    const QList<std::pair<QString, int>> cases = {
        {"@d = CONVERT(datetime, '2026-03-30')", 1},
        {"@d > CONVERT(datetime, '2026-03-29 23:59:59.997')", 1},
        {"@d = '2026-03-30'", 1},
        {"@d >= '2026-03-30 00:00'", 1},
        {"@d < '2026-03-30 00:00:00.001'", 0},
        {"'2026-03-30' = @d", 1},
        {"CONVERT(datetime, '2026-03-29') = '2026-03-29'", 1},
        {"CONVERT(datetime, '2026-03-29 10:30:15.998') = '2026-03-29 10:30:15.997'", 1},
        {"CONVERT(datetime, '2026-03-29 10:30:15.995') > '2026-03-29 10:30:15.994'", 1},
        {"CONVERT(datetime, '2026-03-29 10:30') BETWEEN '2026-03-29' AND '2026-03-29 10:30'", 1},
        {"DATEADD(day, 1, '2026-03-29') = '2026-03-30'", 1},
        {"MAX(@d) = '2026-03-30'", 1},
        {"ISNULL(NULL, @d) > '2026-03-29 23:59:59.998'", 1},
        {"CASE WHEN 1 = 1 THEN CONVERT(datetime, '2026-03-29') END = '2026-03-29'", 1},
        {"'2026-03-29' = CASE WHEN 1 = 1 THEN CONVERT(datetime, '2026-03-29') END", 1},
    };
    for (const auto& [condition, expected] : cases) {
        QString text = condition;
        text.replace(QStringLiteral("@d"), QString::fromUtf8(d999));
        SCOPED_TRACE(text.toStdString());
        QString got;
        try {
            got = answer(cn.Execute(QStringLiteral("SELECT CASE WHEN ") + text +
                                    QStringLiteral(" THEN 1 ELSE 0 END"))
                             .Fields(0L)
                             .Value());
        } catch (const vb::VbError& e) {
            got = QStringLiteral("error ") + e.Description;
        }
        EXPECT_EQ(got, QStringLiteral("number %1").arg(expected));
    }
}

TEST_F(SqlServerAnswers, DatetimeColumnsStoreTheRoundedValue) {
    cn.Execute(QStringLiteral(
        "INSERT INTO AUX_ERR (fecha, Error) VALUES ('2026-03-29 10:30:15.999', 1)"));
    cn.Execute(QStringLiteral(
        "INSERT INTO AUX_ERR (fecha, Error) VALUES ('2026-03-29 10:30:15.998', 2)"));
    ado::Recordset rs = cn.Execute(QStringLiteral("SELECT fecha FROM AUX_ERR ORDER BY Error"));
    EXPECT_EQ(answer(rs.Fields(0L).Value()), QStringLiteral("date 2026-03-29 10:30:16.000"));
    rs.MoveNext();
    EXPECT_EQ(answer(rs.Fields(0L).Value()), QStringLiteral("date 2026-03-29 10:30:15.997"));
}

// A column built from the schema takes what SQL Server would store in it and refuses the rest
// with SQL Server's error, writing nothing: a sum then adds only numbers.
TEST_F(SqlServerAnswers, ColumnsRefuseTheValuesSqlServerRefuses) {
    const struct {
        const char* values;  // TC, IDCOMPROBANTE, CodCpteAfip, Importe
        const char* answer;
    } inserts[] = {
        {"'FA', '1', 1, '12,50'", "error Error converting data type varchar to numeric."},
        {"'FA', '2', 1, 'abc'", "error Error converting data type varchar to numeric."},
        {"'FA', '3', 'x', 1",
         "error Conversion failed when converting the varchar value 'x' "
         "to data type int."},
        {"'12345', '4', 1, 1", "error String or binary data would be truncated."},
        {"'FA', '5', 1, '12.50'", "ok"},
        {"12, '6', '7', ' 3 '", "ok"},
    };
    for (const auto& c : inserts) {
        SCOPED_TRACE(c.values);
        QString got = QStringLiteral("ok");
        try {
            cn.Execute(QStringLiteral("INSERT INTO V_MV_CPTE (TC, IDCOMPROBANTE, CodCpteAfip, "
                                      "Importe) VALUES (%1)")
                           .arg(QLatin1String(c.values)));
        } catch (const vb::VbError& e) {
            got = QStringLiteral("error ") + e.Description;
        }
        EXPECT_EQ(got, QString::fromUtf8(c.answer));
    }
    const Case cases[] = {
        {"COUNT(*) FROM V_MV_CPTE", "number 2"},
        {"SUM(Importe) FROM V_MV_CPTE", "number 15.5"},
        {"TC FROM V_MV_CPTE WHERE IDCOMPROBANTE = '6'", "text 12"},
        {"CodCpteAfip FROM V_MV_CPTE WHERE IDCOMPROBANTE = '6'", "number 7"},
    };
    check(cases);
}

// A datetime column's value is a datetime whatever text another program stored in it: its
// parts are those of the reading rounded to 1/300 s.
TEST_F(SqlServerAnswers, DatePartsOfAColumnAreThoseOfItsRoundedReading) {
    db.writeAsAnotherProgram(QStringLiteral(
        "INSERT INTO AUX_ERR (Error, fecha) VALUES (1, '2026-03-28 23:59:59.999')"));
    db.writeAsAnotherProgram(QStringLiteral(
        "INSERT INTO AUX_ERR (Error, fecha) VALUES (2, '2026-03-29 10:30:15.998')"));
    const Case cases[] = {
        {"DATEPART(day, fecha) FROM AUX_ERR WHERE Error = 1", "number 29"},
        {"DAY(fecha) FROM AUX_ERR WHERE Error = 1", "number 29"},
        {"DATEPART(ms, fecha) FROM AUX_ERR WHERE Error = 2", "number 997"},
        {"DATEDIFF(day, '2026-03-28', fecha) FROM AUX_ERR WHERE Error = 1", "number 1"},
        {"DATEDIFF(ms, fecha, '2026-03-29 10:30:15.998') FROM AUX_ERR WHERE Error = 2",
         "number 1"},
    };
    check(cases);
}

// A date another program wrote without separators is kept by SQLite as the number 20260329: in
// a datetime column that is the date it spells, for date arithmetic, DATEADD, DATEDIFF, the
// date parts and CONVERT alike. A number given as it is still counts days from 1900-01-01.
TEST_F(SqlServerAnswers, ADateStoredAsANumberIsTheDateItSpells) {
    db.writeAsAnotherProgram(
        QStringLiteral("INSERT INTO AUX_ERR (Error, fecha) VALUES (1, '20260329')"));
    db.writeAsAnotherProgram(
        QStringLiteral("INSERT INTO AUX_ERR (Error, fecha) VALUES (2, NULL)"));
    const Case cases[] = {
        {"fecha + 1 FROM AUX_ERR WHERE Error = 1", "date 2026-03-30 00:00:00.000"},
        {"1 + fecha FROM AUX_ERR WHERE Error = 1", "date 2026-03-30 00:00:00.000"},
        {"fecha - 0.5 FROM AUX_ERR WHERE Error = 1", "date 2026-03-28 12:00:00.000"},
        {"fecha - CONVERT(datetime, '2026-03-28') FROM AUX_ERR WHERE Error = 1",
         "date 1900-01-02 00:00:00.000"},
        {"CONVERT(datetime, '2026-03-30') - fecha FROM AUX_ERR WHERE Error = 1",
         "date 1900-01-02 00:00:00.000"},
        {"DATEADD(day, 1, fecha) FROM AUX_ERR WHERE Error = 1", "date 2026-03-30 00:00:00.000"},
        {"DATEADD(month, 1, fecha) FROM AUX_ERR WHERE Error = 1", "date 2026-04-29 00:00:00.000"},
        {"DATEADD(hour, -1, fecha) + 1 FROM AUX_ERR WHERE Error = 1",
         "date 2026-03-29 23:00:00.000"},
        {"DATEDIFF(day, fecha, '2026-04-01') FROM AUX_ERR WHERE Error = 1", "number 3"},
        {"DATEDIFF(day, '2026-03-01', fecha) FROM AUX_ERR WHERE Error = 1", "number 28"},
        {"DATEPART(weekday, fecha) FROM AUX_ERR WHERE Error = 1", "number 1"},
        {"YEAR(fecha) FROM AUX_ERR WHERE Error = 1", "number 2026"},
        {"MONTH(fecha) FROM AUX_ERR WHERE Error = 1", "number 3"},
        {"DAY(fecha) FROM AUX_ERR WHERE Error = 1", "number 29"},
        {"CONVERT(datetime, fecha) FROM AUX_ERR WHERE Error = 1", "date 2026-03-29 00:00:00.000"},
        {"CAST(fecha AS datetime) FROM AUX_ERR WHERE Error = 1", "date 2026-03-29 00:00:00.000"},
        {"CONVERT(float, fecha) FROM AUX_ERR WHERE Error = 1", "number 46108"},
        {"CONVERT(varchar(10), fecha, 103) FROM AUX_ERR WHERE Error = 1", "text 29/03/2026"},
        {"ISNULL(fecha, 0) + 1 FROM AUX_ERR WHERE Error = 2", "date 1900-01-02 00:00:00.000"},
        {"DATEADD(day, 1, 20260329)",
         "error Arithmetic overflow error converting expression to data type datetime."},
        {"CONVERT(datetime, 20260329)",
         "error Arithmetic overflow error converting expression to data type datetime."},
    };
    check(cases);
    EXPECT_EQ(db.rows(QStringLiteral("SELECT fecha, typeof(fecha) FROM AUX_ERR WHERE Error = 1")),
              (QList<QStringList>{{QStringLiteral("20260329"), QStringLiteral("integer")}}));
}

// MAX and MIN of a date take the latest and the earliest reading, whatever shape another
// program stored each in, as ORDER BY the date does.
TEST_F(SqlServerAnswers, MaxAndMinOfADateAreOfItsReadings) {
    const struct {
        int error;
        const char* user;
        const char* fecha;
    } rows[] = {
        {1, "ANA", "'20260329'"},
        {2, "ANA", "'29/03/2026 08:00'"},
        {3, "BETO", "'2026-03-28 10:00'"},
        {4, "BETO", "'06/04/2026 12:00'"},
        {5, "BETO", "NULL"},
        {6, "ANA", "' 2026-03-27 09:00'"},
    };
    for (const auto& r : rows) {
        db.writeAsAnotherProgram(
            QStringLiteral("INSERT INTO AUX_ERR (Error, Usuario, fecha) VALUES (%1, '%2', %3)")
                .arg(r.error)
                .arg(QLatin1String(r.user), QLatin1String(r.fecha)));
    }
    const Case cases[] = {
        {"MAX(fecha) FROM AUX_ERR", "date 2026-04-06 12:00:00.000"},
        {"MIN(fecha) FROM AUX_ERR", "date 2026-03-27 09:00:00.000"},
        {"MAX(fecha) FROM AUX_ERR WHERE Error IN (1, 3)", "date 2026-03-29 00:00:00.000"},
        {"MIN(fecha) FROM AUX_ERR WHERE Error IN (1, 2)", "date 2026-03-29 00:00:00.000"},
        {"MAX(fecha) FROM AUX_ERR WHERE Error IN (2, 6)", "date 2026-03-29 08:00:00.000"},
        {"MIN(fecha) FROM AUX_ERR WHERE Error = 5", "null"},
        {"MAX(fecha) FROM AUX_ERR WHERE Usuario = 'ANA' GROUP BY Usuario",
         "date 2026-03-29 08:00:00.000"},
        {"MAX(DISTINCT fecha) FROM AUX_ERR WHERE Error < 4", "date 2026-03-29 08:00:00.000"},
        {"MAX(fecha) + 1 FROM AUX_ERR", "date 2026-04-07 12:00:00.000"},
        {"DATEADD(day, 1, MIN(fecha)) FROM AUX_ERR", "date 2026-03-28 09:00:00.000"},
        {"COUNT(*) FROM AUX_ERR HAVING MAX(fecha) > '2026-04-01'", "number 6"},
        {"Usuario FROM AUX_ERR GROUP BY Usuario HAVING MIN(fecha) < '2026-03-28'", "text ANA"},
    };
    check(cases);
    // A text that reads as no date-time comes after every date, as in the order.
    db.writeAsAnotherProgram(
        QStringLiteral("INSERT INTO AUX_ERR (Error, fecha) VALUES (7, 'sin fecha')"));
    const Case junk[] = {
        {"MAX(fecha) FROM AUX_ERR", "text sin fecha"},
        {"MIN(fecha) FROM AUX_ERR", "date 2026-03-27 09:00:00.000"},
    };
    check(junk);
}

// A date column holds, besides the layer's own form, what another program may have written in
// an ISO shape (the date alone, no seconds, a "T", a fraction): each compares as its date-time.
TEST_F(SqlServerAnswers, DateColumnsCompareEveryIsoShapeTheyHoldAsItsDateTime) {
    for (const char* fecha : {"2026-03-28 23:59:59.997", "2026-03-29", "2026-03-29 00:00",
                              "2026-03-29T10:30:15.5", "2026-03-29 23:59", "2026-03-30"}) {
        db.writeAsAnotherProgram(
            QStringLiteral("INSERT INTO AUX_ERR (fecha) VALUES ('%1')").arg(fecha));
    }
    const Case cases[] = {
        {"COUNT(*) FROM AUX_ERR WHERE fecha = '2026-03-29'", "number 2"},
        {"COUNT(*) FROM AUX_ERR WHERE fecha >= '2026-03-29'", "number 5"},
        {"COUNT(*) FROM AUX_ERR WHERE fecha > '2026-03-29'", "number 3"},
        {"COUNT(*) FROM AUX_ERR WHERE fecha < '2026-03-29 00:00:01'", "number 3"},
        {"COUNT(*) FROM AUX_ERR WHERE fecha <= '20260329 10:30:15.500'", "number 4"},
        {"COUNT(*) FROM AUX_ERR WHERE '2026-03-29 10:30:15.5' < fecha", "number 2"},
        {"COUNT(*) FROM AUX_ERR WHERE fecha <> '2026-03-29 23:59'", "number 5"},
        {"COUNT(*) FROM AUX_ERR WHERE fecha BETWEEN '2026-03-29' AND '2026-03-29 23:59:59'",
         "number 4"},
        {"COUNT(*) FROM AUX_ERR WHERE fecha NOT BETWEEN '2026-03-29' AND '2026-03-29 23:59:59'",
         "number 2"},
        {"MAX(fecha) FROM AUX_ERR WHERE fecha < '2026-03-29 10:00'",
         "date 2026-03-29 00:00:00.000"},
    };
    check(cases);
}

// A range on a date column takes each stored text by the reading SQL Server's datetime makes of
// it: a time that rounds up to the next day's midnight is on that day, and a stored shape whose
// text sorts apart from its day (day first, no separators, a blank first) is taken by every
// range it is in and by none it is not in, as every ISO shape and the whole number SQLite makes
// of a date written without separators are.
TEST_F(SqlServerAnswers, DateRangesTakeEachStoredTextByItsRoundedReading) {
    const struct {
        const char* text;
        vb::DateTime reading;
        bool alwaysFound;
    } stored[] = {
        {"2026-03-28 23:59:59.997", vb::wallClock({2026, 3, 28}, {23, 59, 59, 997}), true},
        // From 23:59:59.998 of the day before: a text there is on the day only when its
        // reading rounds up to midnight.
        {"2026-03-28 23:59:59.998", vb::wallClock({2026, 3, 28}, {23, 59, 59, 997}), true},
        {"2026-03-28 23:59:59.9984", vb::wallClock({2026, 3, 28}, {23, 59, 59, 997}), true},
        {"2026-03-28 23:59:59.9985", vb::wallClock({2026, 3, 29}), true},
        {"2026-03-29 23:59:59.9985", vb::wallClock({2026, 3, 30}), true},
        {"2026-03-28 23:59:59.999", vb::wallClock({2026, 3, 29}), true},
        {"2026-03-28T23:59:59.9990", vb::wallClock({2026, 3, 29}), true},
        {"2026-03-29", vb::wallClock({2026, 3, 29}), true},
        {"2026-03-29 00:00", vb::wallClock({2026, 3, 29}), true},
        {"2026-03-29T01:00:00", vb::wallClock({2026, 3, 29}, {1, 0}), true},
        {"2026-03-29 9:05", vb::wallClock({2026, 3, 29}, {9, 5}), true},
        {"2026-03-29 10:30:15.5", vb::wallClock({2026, 3, 29}, {10, 30, 15, 500}), true},
        {"2026-03-29 23:59:59.999", vb::wallClock({2026, 3, 30}), true},
        {"2026-03-30", vb::wallClock({2026, 3, 30}), true},
        {"29/03/2026 08:00", vb::wallClock({2026, 3, 29}, {8, 0}), true},
        {"20260329 07:00", vb::wallClock({2026, 3, 29}, {7, 0}), true},
        {" 2026-03-29 03:00", vb::wallClock({2026, 3, 29}, {3, 0}), true},
        {"2026-3-29 04:00", vb::wallClock({2026, 3, 29}, {4, 0}), true},
        {"2026-03-9 10:00", vb::wallClock({2026, 3, 9}, {10, 0}), true},
        {"20260329", vb::wallClock({2026, 3, 29}), true},
        {"06/04/2026 12:00", vb::wallClock({2026, 4, 6}, {12, 0}), true},
    };
    for (size_t i = 0; i < std::size(stored); ++i) {
        db.writeAsAnotherProgram(
            QStringLiteral("INSERT INTO AUX_ERR (Error, fecha) VALUES (%1, '%2')")
                .arg(i)
                .arg(QString::fromUtf8(stored[i].text)));
    }
    // Each is read as its reading.
    ado::Recordset rs = cn.Execute(QStringLiteral("SELECT fecha FROM AUX_ERR ORDER BY Error"));
    for (const auto& row : stored) {
        SCOPED_TRACE(row.text);
        ASSERT_FALSE(rs.Eof());
        EXPECT_EQ(rs.Fields(0L).Value(), vb::Variant(row.reading));
        rs.MoveNext();
    }

    const vb::DateTime bounds[] = {vb::wallClock({2026, 3, 29}),
                                   vb::wallClock({2026, 3, 29}, {9, 0}),
                                   vb::wallClock({2026, 3, 30})};
    const struct {
        const char* op;
        std::function<bool(const vb::DateTime&, const vb::DateTime&)> holds;
    } ops[] = {
        {"=", [](auto& a, auto& b) { return a == b; }},
        {"<>", [](auto& a, auto& b) { return a != b; }},
        {"<", [](auto& a, auto& b) { return a < b; }},
        {"<=", [](auto& a, auto& b) { return a <= b; }},
        {">", [](auto& a, auto& b) { return a > b; }},
        {">=", [](auto& a, auto& b) { return a >= b; }},
    };
    for (const vb::DateTime& bound : bounds) {
        for (const auto& op : ops) {
            // As a literal in the text and as a bound value, on either side of the comparison.
            const QString literal = u'\'' + bound.toString("yyyy-MM-dd HH:mm") + u'\'';
            const QString o = QLatin1String(op.op);
            const struct {
                QString condition;
                QList<vb::Variant> parameters;
                bool valueFirst;
            } queries[] = {
                {QStringLiteral("fecha %1 %2").arg(o, literal), {}, false},
                {QStringLiteral("fecha %1 ?").arg(o), {vb::Variant(bound)}, false},
                {QStringLiteral("%2 %1 fecha").arg(o, literal), {}, true},
                {QStringLiteral("? %1 fecha").arg(o), {vb::Variant(bound)}, true},
            };
            for (const auto& [condition, parameters, valueFirst] : queries) {
                SCOPED_TRACE(condition.toStdString() + " " +
                             bound.toString("yyyy-MM-ddTHH:mm:ss.zzz").toStdString());
                QList<int> found;
                ado::Recordset rs =
                    cn.Execute("SELECT Error FROM AUX_ERR WHERE " + condition + " ORDER BY Error",
                               parameters);
                for (; !rs.Eof(); rs.MoveNext()) found << vb::CLng(rs.Fields(0L).Value());
                for (size_t i = 0; i < std::size(stored); ++i) {
                    SCOPED_TRACE(stored[i].text);
                    const bool in = valueFirst ? op.holds(bound, stored[i].reading)
                                               : op.holds(stored[i].reading, bound);
                    if (!in) EXPECT_FALSE(found.contains(int(i)));
                    if (in && stored[i].alwaysFound) EXPECT_TRUE(found.contains(int(i)));
                }
            }
        }
    }
}

// Rows ordered by a date come in the order of SQL Server's datetime, whatever shape another
// program stored each in: Null first (last downwards), then by the reading rounded to 1/300 s,
// rows of one reading in the order the engine keeps them (the order of what is stored), and a
// text that reads as no date after the dates. So in every SELECT, for the column and for
// expressions the translator knows are dates; nothing stored is rewritten.
class DateOrder : public SqlServerAnswers {
protected:
    // In the order SQL Server gives them, each as stored; Error is its place.
    static constexpr const char* kStored[] = {
        nullptr,
        "2026-03-28T23:30",
        "2026-03-28 23:59:59.997",
        "20260329",  // SQLite keeps this one as the number 20260329, before every text
        "2026-03-28 23:59:59.999",
        "2026-03-29",
        "2026-03-29 00:00",
        "2026-03-29T01:00:00",
        " 2026-03-29 03:00",
        "20260329 07:00",
        "29/03/2026 08:00",
        "2026-03-29 9:05",
        "2026-03-29 10:30:15.5",
        "2026-03-29 10:30:15.500",
        "2026-03-30 08:00:00",
        "06/04/2026 12:00",
        "sin fecha",
    };
    static constexpr int kCount = int(std::size(kStored));

    void SetUp() override {
        SqlServerAnswers::SetUp();
        // Written in another order than theirs, so that no order of writing gives theirs.
        for (int k = 0; k < kCount; ++k) {
            const int i = (k * 7) % kCount;
            const QString fecha = kStored[i] ? u'\'' + QString::fromUtf8(kStored[i]) + u'\''
                                             : QStringLiteral("NULL");
            db.writeAsAnotherProgram(
                QStringLiteral("INSERT INTO AUX_ERR (Error, Usuario, fecha) VALUES (%1, '%2', %3)")
                    .arg(i)
                    .arg(i % 2 ? QStringLiteral("ANA") : QStringLiteral("BETO"), fecha));
        }
    }
    // The first column of each row, as whole numbers.
    QList<int> column(const QString& query) {
        QList<int> out;
        ado::Recordset rs = cn.Execute(query);
        for (; !rs.Eof(); rs.MoveNext()) out << vb::CLng(rs.Fields(0L).Value());
        return out;
    }
    static QList<int> places(int from, int to) {
        QList<int> out;
        for (int i = from; i <= to; ++i) out << i;
        return out;
    }
    static QList<int> downwards(QList<int> order) {
        std::reverse(order.begin(), order.end());
        return order;
    }
};

TEST_F(DateOrder, RowsOrderedByADateComeInTheOrderOfTheirReadings) {
    const QList<int> all = places(0, kCount - 1);
    // Rows of distinct readings, for the expressions that make equal values of equal readings
    // (and none SQLite keeps as a number, which date arithmetic reads as a count of days).
    const QList<int> dates = {1, 2, 7, 8, 9, 10, 11, 12, 14, 15};
    QList<int> byUser;  // ANA (odd places) first, each user's rows by date
    for (int odd : {1, 0})
        for (int i : all)
            if (i % 2 == odd) byUser << i;
    const struct {
        const char* query;
        QList<int> order;
    } cases[] = {
        {"SELECT Error FROM AUX_ERR ORDER BY fecha", all},
        {"SELECT Error FROM AUX_ERR ORDER BY fecha ASC", all},
        {"SELECT Error FROM AUX_ERR ORDER BY fecha DESC", downwards(all)},
        {"SELECT Error FROM dbo.AUX_ERR a with(nolock) ORDER BY a.fecha", all},
        {"SELECT Error FROM AUX_ERR ORDER BY [fecha] desc, ID", downwards(all)},
        {"SELECT Error FROM AUX_ERR ORDER BY Usuario, fecha", byUser},
        {"SELECT Error FROM AUX_ERR WHERE fecha IS NOT NULL ORDER BY fecha", places(1, 16)},
        {"SELECT Error FROM AUX_ERR WHERE Usuario = 'ANA' ORDER BY fecha DESC",
         downwards(byUser.mid(0, kCount / 2))},
        {"SELECT TOP 3 Error FROM AUX_ERR ORDER BY fecha DESC", {16, 15, 14}},
        {"SELECT TOP 4 Error FROM AUX_ERR WHERE fecha IS NOT NULL ORDER BY fecha", {1, 2, 3, 4}},
        {"SELECT (SELECT TOP 1 Error FROM AUX_ERR WHERE Error < 16 ORDER BY fecha DESC)", {15}},
        {"SELECT Error, fecha FROM AUX_ERR ORDER BY 2", all},
        {"SELECT Error, fecha AS cuando FROM AUX_ERR ORDER BY cuando DESC", downwards(all)},
        {"SELECT Error FROM AUX_ERR ORDER BY ISNULL(fecha, '1753-01-01')", all},
        {"SELECT Error FROM AUX_ERR ORDER BY CASE WHEN Error >= 0 THEN fecha END", all},
        {"SELECT Error FROM AUX_ERR WHERE Error IN (1, 2, 7, 8, 9, 10, 11, 12, 14, 15) "
         "ORDER BY fecha + 1",
         dates},
        {"SELECT Error FROM AUX_ERR WHERE Error IN (1, 2, 7, 8, 9, 10, 11, 12, 14, 15) "
         "ORDER BY DATEADD(hour, 1, fecha) DESC",
         downwards(dates)},
        {"SELECT Error FROM (SELECT Error, ROW_NUMBER() OVER (ORDER BY fecha) AS n FROM "
         "AUX_ERR) t ORDER BY n",
         all},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.query);
        EXPECT_EQ(column(QString::fromUtf8(c.query)), c.order);
    }
    // A range on the date finds its rows through the column's index (some shapes apart from
    // their day may be missed there); those it finds come in order all the same.
    const QString range = QStringLiteral("fecha >= '2026-03-29' AND fecha < '2026-03-30'");
    EXPECT_EQ(column("SELECT Error FROM AUX_ERR WHERE " + range + " ORDER BY fecha"),
              column("SELECT Error FROM AUX_ERR WHERE " + range + " ORDER BY Error"));
    EXPECT_GE(column("SELECT Error FROM AUX_ERR WHERE " + range).size(), 8);
    // What another program stored is read, never rewritten.
    for (int i = 1; i < kCount; ++i) {
        EXPECT_EQ(db.rows(QStringLiteral("SELECT fecha FROM AUX_ERR WHERE Error = %1").arg(i)),
                  QList<QStringList>{{QString::fromUtf8(kStored[i])}});
    }
}

// Rows that the layer wrote, or that another program wrote in the layer's own form, are in the
// order of their readings in the column's own order: the order reads them through the column's
// index, without a sort of its own, until another shape is stored.
TEST_F(DateOrder, TheIndexGivesTheOrderWhereEveryTextSortsAsItsReading) {
    const auto plan = [&](const QString& query) {
        sqlite3* raw = tsql::openDatabase(db.file());
        const QList<tsql::Statement> statements = tsql::translateBatch(query, raw);
        QStringList steps;
        sqlite3_stmt* stmt = nullptr;
        if (statements.size() == 1 &&
            sqlite3_prepare_v2(raw, ("EXPLAIN QUERY PLAN " + statements[0].sql).toUtf8(), -1,
                               &stmt, nullptr) == SQLITE_OK) {
            while (sqlite3_step(stmt) == SQLITE_ROW)
                steps << QString::fromUtf8(
                    reinterpret_cast<const char*>(sqlite3_column_text(stmt, 3)));
        }
        sqlite3_finalize(stmt);
        sqlite3_close(raw);
        return steps.join(u'\n');
    };
    const QString query = QStringLiteral("SELECT TOP 2 Error FROM AUX_ERR ORDER BY fecha DESC");
    EXPECT_TRUE(plan(query).contains(QStringLiteral("TEMP B-TREE FOR ORDER BY")));

    db.writeAsAnotherProgram(QStringLiteral("DELETE FROM AUX_ERR"));
    cn.Execute(
        QStringLiteral("INSERT INTO AUX_ERR (Error, fecha) VALUES (1, '2026-03-29T01:00')"));
    cn.Execute(QStringLiteral("INSERT INTO AUX_ERR (Error, fecha) VALUES (2, '29/03/2026 9:05')"));
    cn.Execute(QStringLiteral("INSERT INTO AUX_ERR (Error, fecha) VALUES (3, NULL)"));
    db.writeAsAnotherProgram(
        QStringLiteral("INSERT INTO AUX_ERR (Error, fecha) VALUES (4, '2026-03-29 10:00:00')"));
    EXPECT_EQ(plan(query), QStringLiteral("SCAN AUX_ERR USING INDEX IX_AUX_ERR_fecha"));
    EXPECT_EQ(column(query), (QList<int>{4, 2}));

    db.writeAsAnotherProgram(
        QStringLiteral("INSERT INTO AUX_ERR (Error, fecha) VALUES (5, '2026-03-29 9:30')"));
    EXPECT_TRUE(plan(query).contains(QStringLiteral("TEMP B-TREE FOR ORDER BY")));
    EXPECT_EQ(column(query), (QList<int>{4, 5}));
}

// Ranges of a class follow the collation's order of letters, as every other comparison does;
// blanks at the end of the value do not keep it from matching.
TEST_F(SqlServerAnswers, LikeRangesFollowTheOrderOfText) {
    const struct {
        const char* text;
        const char* pattern;
        bool matches;
    } cases[] = {
        {"árbol", "[a-c]%", true},
        {"Árbol", "[a-c]%", true},
        {"Banco", "[a-c]%", true},
        {"cero", "[a-c]%", true},
        {"dedo", "[a-c]%", false},
        {"0123", "[0-9]%", true},
        {"9", "[0-9]", true},
        {"x9", "[0-9]%", false},
        {"ñandú", "[n-o]%", true},
        {"ñandú", "[a-n]%", false},
        {"Ñu", "[m-ñ]%", true},
        {"oso", "[a-ñ]%", false},
        {"é", "[d-f]", true},
        {"b", "[^a-c]", false},
        {"á", "[A-C]%", true},
        {"Á", "[^a-c]%", false},
        {"á", "[^A-C]", false},
        {"z", "[^A-C]", true},
        {"á", "[a]", false},
        {"Á", "[á]", true},
        {"Ñandú", "[N-O]%", true},
        {"Ñ", "[a-n]", false},
        {"ñ", "[^n-o]", false},
        {"Ö", "[n-p]", true},
        {"C", "[A-B]", false},
        {"4", "[0-4]", true},
        {"5", "[0-4]", false},
        {"0", "[1-9]", false},
        {"[x", "[[]x", true},
        // The value's trailing blanks are ignored; the pattern's count.
        {"abc ", "abc", true},
        {"abc   ", "[a-c]bc", true},
        {"abc ", "%c", true},
        {"abc", "abc ", false},
        {"abc ", "abc ", true},
        {" abc", "abc", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " LIKE " + c.pattern);
        const QString sql = QStringLiteral("SELECT CASE WHEN '%1' LIKE '%2' THEN 1 ELSE 0 END")
                                .arg(QString::fromUtf8(c.text), QString::fromUtf8(c.pattern));
        EXPECT_EQ(cn.Execute(sql).Fields(0L).Value(), vb::Variant(c.matches ? 1 : 0));
    }
}

// A number with an exponent is one token: what follows it is still read and translated.
TEST_F(SqlServerAnswers, NumbersWithAnExponentEndWhereTheNumberEnds) {
    const Case cases[] = {
        {"1e5 FROM TA_CONFIGURACION WITH (NOLOCK) UNION ALL SELECT 1e5", "number 100000"},
        {"1E-05 + ISNULL(NULL, 2)", "number 2.00001"},
        {"ISNULL(NULL, 1E-05) * 1e+2", "number 0.001"},
        {"2.5E3+ISNULL(NULL,1)", "number 2501"},
        {"CASE WHEN 1e2 = 100 THEN ISNULL(NULL, 1) ELSE 0 END", "number 1"},
        {"CASE WHEN 1e0 IN (1E0, 2e0) THEN ISNULL(NULL, 7) END", "number 7"},
        {"-1.5e-1 * ISNULL(NULL, 2)", "number -0.3"},
        {".5e1 + ISNULL(NULL, 0)", "number 5"},
        {"5.e1 + ISNULL(NULL, 0)", "number 50"},
        {"ISNULL(NULL, 1)+1e1", "number 11"},
        {"TOP 1 1E2 FROM TA_CONFIGURACION WITH (NOLOCK) UNION ALL SELECT ISNULL(NULL, 1E2)",
         "number 100"},
        {"DATEADD(day, 1e0, '2026-03-29') - ISNULL(NULL, 1E0)", "date 2026-03-29 00:00:00.000"},
    };
    check(cases);
}

// A date column compared with anything (a value, a CONVERT, CAST or DATEADD, the clock less a
// number of days, a subquery, another date column) compares readings, whatever shape another
// program stored either side in; a range keeps the column's index.
class DateComparisons : public SqlServerAnswers {
protected:
    void SetUp() override {
        SqlServerAnswers::SetUp();
        for (const char* row :
             {"(1, '2026-03-29')", "(2, '2026-03-29T10:00:00')", "(3, 20260329)",
              "(4, '2026-03-28 23:59:59.999')", "(5, '2026-03-30')", "(6, '2026-03-28 12:00')"})
            db.writeAsAnotherProgram(
                QStringLiteral("INSERT INTO AUX_ERR (Error, fecha) VALUES %1").arg(row));
        for (const char* row : {"('A', 20260329)", "('B', '29/03/2026 10:00')"})
            db.writeAsAnotherProgram(
                QStringLiteral("INSERT INTO V_MV_FALTANTES (IdArticulo, FechaHora) VALUES %1")
                    .arg(row));
    }
    QList<int> errors(const QString& query, const QList<vb::Variant>& parameters = {}) {
        QList<int> out;
        ado::Recordset rs = cn.Execute(query, parameters);
        for (; !rs.Eof(); rs.MoveNext()) out << vb::CLng(rs.Fields(0L).Value());
        std::sort(out.begin(), out.end());
        return out;
    }
    // SQLite's plan of a query, as the layer translates it.
    QString plan(const QString& query) {
        sqlite3* raw = tsql::openDatabase(db.file());
        const QList<tsql::Statement> statements = tsql::translateBatch(query, raw);
        QStringList steps;
        sqlite3_stmt* stmt = nullptr;
        if (statements.size() == 1 &&
            sqlite3_prepare_v2(raw, ("EXPLAIN QUERY PLAN " + statements[0].sql).toUtf8(), -1,
                               &stmt, nullptr) == SQLITE_OK) {
            while (sqlite3_step(stmt) == SQLITE_ROW)
                steps << QString::fromUtf8(
                    reinterpret_cast<const char*>(sqlite3_column_text(stmt, 3)));
        }
        sqlite3_finalize(stmt);
        sqlite3_close(raw);
        return steps.join(u'\n');
    }
};

TEST_F(DateComparisons, AColumnComparedWithAnExpressionOrAnotherColumnComparesReadings) {
    // The clock: two days after the day of rows 1 to 4.
    zxtest::FixedClock clock(QDateTime(QDate(2026, 3, 31), QTime(0, 0)));
    const QString day = QStringLiteral("CONVERT(datetime,'2026-03-29',120)");
    const struct {
        QString condition;
        QList<int> errors;
    } cases[] = {
        {"fecha >= " + day + " AND fecha < DATEADD(day,1," + day + ")", {1, 2, 3, 4}},
        {"fecha >= CAST('2026-03-29' AS datetime) AND fecha < CAST('2026-03-30' AS datetime)",
         {1, 2, 3, 4}},
        {"fecha = " + day, {1, 3, 4}},
        {"fecha = CONVERT(datetime, '2026-03-29 10:00', 120)", {2}},
        {"fecha <> " + day, {2, 5, 6}},
        {"fecha > " + day, {2, 5}},
        {"fecha <= CAST('2026-03-29' AS datetime)", {1, 3, 4, 6}},
        {day + " <= fecha AND DATEADD(day,1," + day + ") > fecha", {1, 2, 3, 4}},
        {"fecha >= GETDATE() - 2 AND fecha < GETDATE() - 1", {1, 2, 3, 4}},
        {"fecha < DATEADD(day, -1, GETDATE())", {1, 2, 3, 4, 6}},
        {"fecha BETWEEN " + day + " AND DATEADD(ms, -3, CONVERT(datetime,'2026-03-30',120))",
         {1, 2, 3, 4}},
        {"fecha NOT BETWEEN " + day + " AND DATEADD(ms, -3, CONVERT(datetime,'2026-03-30',120))",
         {5, 6}},
        {"fecha IN (" + day + ", CAST('2026-03-30' AS datetime))", {1, 3, 4, 5}},
        {"fecha = (SELECT MAX(FechaHora) FROM V_MV_FALTANTES)", {2}},
        {"fecha >= (SELECT MIN(FechaHora) FROM V_MV_FALTANTES)", {1, 2, 3, 4, 5}},
        {"fecha = (SELECT FechaHora FROM V_MV_FALTANTES WHERE IdArticulo = 'A')", {1, 3, 4}},
        {"fecha IN (SELECT FechaHora FROM V_MV_FALTANTES)", {1, 2, 3, 4}},
        {"fecha NOT IN (SELECT FechaHora FROM V_MV_FALTANTES)", {5, 6}},
        {"EXISTS (SELECT 1 FROM V_MV_FALTANTES f WHERE f.FechaHora = AUX_ERR.fecha)",
         {1, 2, 3, 4}},
        {"EXISTS (SELECT 1 FROM V_MV_FALTANTES f WHERE AUX_ERR.fecha > f.FechaHora)", {2, 5}},
        {"fecha >= ? AND fecha < ?", {1, 2, 3, 4}},
        // A date-time made a date is its day, compared with another date by their readings.
        {"CAST(fecha AS date) = '2026-03-29'", {1, 2, 3, 4}},
        {"CONVERT(date, fecha) < CAST('2026-03-29' AS datetime)", {6}},
        {"DATEADD(day, 1, fecha) = '2026-03-30'", {1, 3, 4}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.condition.toStdString());
        const QList<vb::Variant> parameters =
            c.condition.contains(u'?')
                ? QList<vb::Variant>{vb::Variant(vb::wallClock({2026, 3, 29})),
                                     vb::Variant(vb::wallClock({2026, 3, 30}))}
                : QList<vb::Variant>{};
        EXPECT_EQ(errors("SELECT Error FROM AUX_ERR WHERE " + c.condition, parameters), c.errors);
    }
    // A join on two date columns, either way round and as a condition of the WHERE.
    for (const char* join :
         {"SELECT a.Error FROM AUX_ERR a INNER JOIN V_MV_FALTANTES f ON a.fecha = f.FechaHora",
          "SELECT a.Error FROM AUX_ERR a INNER JOIN V_MV_FALTANTES f ON f.FechaHora = a.fecha",
          "SELECT a.Error FROM AUX_ERR a, V_MV_FALTANTES f WHERE a.fecha = f.FechaHora"}) {
        SCOPED_TRACE(join);
        EXPECT_EQ(errors(QString::fromUtf8(join)), (QList<int>{1, 2, 3, 4}));
    }
    EXPECT_EQ(errors("SELECT a.Error FROM AUX_ERR a INNER JOIN V_MV_FALTANTES f ON a.fecha < "
                     "f.FechaHora WHERE f.IdArticulo = 'B'"),
              (QList<int>{1, 3, 4, 6}));
    // The column's index still finds the range, and the rows of a join.
    EXPECT_TRUE(plan("SELECT Error FROM AUX_ERR WHERE fecha >= " + day +
                     " AND fecha < DATEADD(day,1," + day + ")")
                    .contains(QStringLiteral("SEARCH AUX_ERR USING INDEX IX_AUX_ERR_fecha")));
    EXPECT_TRUE(plan(QStringLiteral("SELECT a.Error FROM V_MV_FALTANTES f INNER JOIN AUX_ERR a "
                                    "ON a.fecha = f.FechaHora"))
                    .contains(QStringLiteral("SEARCH a USING INDEX IX_AUX_ERR_fecha")));
}

// Dates another program stored as day-first texts are found by every range they are in, over a
// table of 50,000 rows, and never by one they are not in.
TEST_F(DateComparisons, DatesStoredDayFirstAreFoundByEveryRangeTheyAreIn) {
    db.writeAsAnotherProgram(QStringLiteral("DELETE FROM AUX_ERR"));
    constexpr int kRows = 50000;
    const QDate first(2025, 1, 1);
    // Every tenth in the layer's own form, the rest day first; one day after another.
    db.writeAsAnotherProgram(
        QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i "
                       "< %1) INSERT INTO AUX_ERR (Error, fecha) SELECT i, CASE WHEN i % 10 = 0 "
                       "THEN strftime('%Y-%m-%d 00:00:00', '2025-01-01', '+' || (i % 730) || "
                       "' days') ELSE strftime('%d/%m/%Y', '2025-01-01', '+' || (i % 730) || "
                       "' days') END FROM n")
            .arg(kRows - 1));
    const auto dayOf = [&](int i) { return first.addDays(i % 730); };
    const QDate from(2026, 3, 1), to(2026, 3, 31);
    const struct {
        QString condition;
        QList<vb::Variant> parameters;
        std::function<bool(const QDate&)> in;
    } cases[] = {
        {"fecha <= '2026-03-31 23:59:59'", {}, [&](const QDate& d) { return d <= to; }},
        {"fecha <= ?",
         {vb::Variant(vb::wallClock({2026, 3, 31}))},
         [&](const QDate& d) { return d <= to; }},
        {"fecha >= '2026-03-01' AND fecha <= '2026-03-31 23:59:59'",
         {},
         [&](const QDate& d) { return d >= from && d <= to; }},
        {"fecha BETWEEN ? AND ?",
         {vb::Variant(vb::wallClock({2026, 3, 1})), vb::Variant(vb::wallClock({2026, 3, 31}))},
         [&](const QDate& d) { return d >= from && d <= to; }},
        {"fecha = '2026-03-25'", {}, [&](const QDate& d) { return d == QDate(2026, 3, 25); }},
        {"fecha > '2026-03-20'", {}, [&](const QDate& d) { return d > QDate(2026, 3, 20); }},
        {"fecha < CONVERT(datetime, '2026-03-25', 120)",
         {},
         [&](const QDate& d) { return d < QDate(2026, 3, 25); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.condition.toStdString());
        QList<int> expected;
        for (int i = 0; i < kRows; ++i)
            if (c.in(dayOf(i))) expected << i;
        EXPECT_EQ(errors("SELECT Error FROM AUX_ERR WHERE " + c.condition, c.parameters),
                  expected);
    }
}

}  // namespace
