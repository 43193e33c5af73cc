// The embedded engine's values: a stored value read as its column's declared type asks, and a
// value bound to a marker as SQLite stores it.
#include "platform/ado/cells.h"
#include "platform/ado/datatype.h"
#include "platform/ado/sqlitevalues.h"
#include "platform/vb/currency.h"
#include "platform/vb/datetime.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {

using vb::Variant;

class SqliteValuesTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK); }
    void TearDown() override { sqlite3_close(db); }

    // The value `stored` (SQLite's literal) takes in a column declared `declared`.
    Variant read(const char* declared, const char* stored) {
        sqlite3_exec(db, "DROP TABLE IF EXISTS T", nullptr, nullptr, nullptr);
        const QByteArray create = QByteArray("CREATE TABLE T (V ") + declared + ")";
        EXPECT_EQ(sqlite3_exec(db, create.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
        const QByteArray insert = QByteArray("INSERT INTO T VALUES (") + stored + ")";
        EXPECT_EQ(sqlite3_exec(db, insert.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
        return readOne("SELECT V FROM T", ado::declaredType(QString::fromUtf8(declared)));
    }

    Variant readOne(const char* sql, const ado::DeclaredType& type) {
        sqlite3_stmt* stmt = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr), SQLITE_OK);
        EXPECT_EQ(sqlite3_step(stmt), SQLITE_ROW);
        ado::Cells cells;
        ado::appendCell(cells, stmt, 0, ado::readFor(type));
        sqlite3_finalize(stmt);
        return cells.value(0);
    }

    // `v` bound to a marker: SQLite's storage class and its text.
    std::pair<QByteArray, QByteArray> bound(const Variant& v) {
        sqlite3_stmt* stmt = nullptr;
        EXPECT_EQ(
            sqlite3_prepare_v2(db, "SELECT typeof(?1), CAST(?1 AS TEXT)", -1, &stmt, nullptr),
            SQLITE_OK);
        ado::bindValue(stmt, 1, v);
        EXPECT_EQ(sqlite3_step(stmt), SQLITE_ROW);
        const std::pair<QByteArray, QByteArray> out{
            QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0))),
            sqlite3_column_type(stmt, 1) == SQLITE_NULL
                ? QByteArray()
                : QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1)))};
        sqlite3_finalize(stmt);
        return out;
    }

    sqlite3* db = nullptr;
};

// Each declared type reads its stored values as the system's values; a value stored in
// another storage class than the column's is read as it is.
TEST_F(SqliteValuesTest, AStoredValueIsReadAsItsColumnsDeclaredTypeAsks) {
    const vb::DateTime marzo = vb::wallClock(QDate(2026, 3, 29), QTime(10, 0));
    const struct {
        const char* declared;
        const char* stored;
        Variant expected;
    } cases[] = {
        {"VARCHAR(50)", "'Ñandú'", Variant(QStringLiteral("Ñandú"))},
        {"VARCHAR(50)", "NULL", Variant::null()},
        {"VARCHAR(50)", "12", Variant(QStringLiteral("12"))},
        {"INTEGER", "7", Variant(7)},
        {"INTEGER", "9000000000", Variant(9000000000LL)},
        {"INTEGER", "2.5", Variant(2.5)},
        {"SMALLINT", "3", Variant(static_cast<std::int16_t>(3))},
        {"SMALLINT", "40000", Variant(40000)},
        {"BIGINT", "5", Variant(5LL)},
        {"NUMERIC(18,2)", "10.456", Variant(10.46)},
        {"NUMERIC", "1.234567", Variant(1.2346)},
        {"MONEY", "1234", Variant(vb::Currency::fromScaled(12340000))},
        {"MONEY", "1234.5", Variant(vb::Currency::fromScaled(12345000))},
        {"MONEY", "'12.3456'", Variant(vb::Currency::fromScaled(123456))},
        {"MONEY", "'doce'", Variant(QStringLiteral("doce"))},
        {"REAL", "0.21", Variant(0.21)},
        {"BIT", "5", Variant(1)},
        {"BIT", "0", Variant(0)},
        {"DATETIME", "'2026-03-29 10:00:00'", Variant(marzo)},
        {"DATETIME", "20260329", Variant(vb::wallClock(QDate(2026, 3, 29)))},
        {"DATETIME", "12", Variant(12)},
        {"BLOB", "x'0102'", Variant(QByteArray("\x01\x02", 2))},
        {"BLOB", "'ab'", Variant(QByteArray("ab"))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.declared) + " " + c.stored);
        const Variant v = read(c.declared, c.stored);
        EXPECT_EQ(v.type(), c.expected.type());
        EXPECT_EQ(v, c.expected);
    }
}

// An expression's value (no declared type) is read as it comes, a text shaped as a date being
// a date; its column then takes the type of its first value that is not Null.
TEST_F(SqliteValuesTest, AnExpressionIsReadAsItComesAndTypedByItsFirstValue) {
    const ado::DeclaredType none;
    EXPECT_EQ(readOne("SELECT '2026-03-29 10:00:00'", none),
              Variant(vb::wallClock(QDate(2026, 3, 29), QTime(10, 0))));
    EXPECT_EQ(readOne("SELECT '2026-13-45'", none), Variant(QStringLiteral("2026-13-45")));
    EXPECT_EQ(readOne("SELECT 'texto'", none), Variant(QStringLiteral("texto")));
    EXPECT_EQ(readOne("SELECT 3", none), Variant(3));
    EXPECT_EQ(readOne("SELECT 1.5", none), Variant(1.5));

    const struct {
        Variant first;
        long type;
    } cases[] = {
        {Variant(static_cast<std::int16_t>(1)), ado::adSmallInt},
        {Variant(1), ado::adInteger},
        {Variant(1LL), ado::adBigInt},
        {Variant(1.5), ado::adDouble},
        {Variant(vb::Currency::fromScaled(10000)), ado::adCurrency},
        {Variant(vb::wallClock(QDate(2026, 3, 29))), ado::adDBTimeStamp},
        {Variant(QByteArray("x")), ado::adLongVarBinary},
        {Variant(QStringLiteral("x")), ado::adVarChar},
        {Variant::null(), ado::adVarChar},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.first.type()));
        ado::ResultSet rs;
        rs.columns << ado::Column{QStringLiteral("E"), ado::adEmpty, 0, {}};
        rs.appendRow({Variant::null()});
        rs.appendRow({c.first});
        ado::inferExpressionType(rs, 0);
        EXPECT_EQ(rs.columns[0].type, c.type);
    }
}

// A bound value is stored as a stored value of its kind would be: whole amounts as whole
// numbers, a date as the text of a stored date, Empty and Null as NULL.
TEST_F(SqliteValuesTest, ABoundValueIsStoredAsAStoredValueOfItsKind) {
    const struct {
        const char* name;
        Variant value;
        const char* storage;
        const char* text;
    } cases[] = {
        {"Empty", Variant(), "null", ""},
        {"Null", Variant::null(), "null", ""},
        {"True", Variant(true), "integer", "1"},
        {"Long", Variant(42), "integer", "42"},
        {"LongLong", Variant(9000000000LL), "integer", "9000000000"},
        {"whole money", Variant(vb::Currency::fromScaled(120000)), "integer", "12"},
        {"money", Variant(vb::Currency::fromScaled(125000)), "real", "12.5"},
        {"Double", Variant(0.25), "real", "0.25"},
        {"Date", Variant(vb::wallClock(QDate(2026, 3, 29), QTime(10, 0))), "text",
         "2026-03-29 10:00:00"},
        {"Bytes", Variant(QByteArray("ab")), "blob", "ab"},
        {"String", Variant(QStringLiteral("Ñandú")), "text", "Ñandú"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::pair<QByteArray, QByteArray> b = bound(c.value);
        EXPECT_EQ(b.first, QByteArray(c.storage));
        EXPECT_EQ(b.second, QByteArray(c.text));
    }
}

}  // namespace
