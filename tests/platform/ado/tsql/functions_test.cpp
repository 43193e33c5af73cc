#include "platform/ado/tsql/functions.h"

#include "tests/support/fixtures.h"

#include <QDateTime>

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {

// An in-memory database with the functions registered; values read back as text.
class Engine {
public:
    Engine() {
        sqlite3_open(":memory:", &db_);
        EXPECT_EQ(tsql::registerFunctions(db_), SQLITE_OK);
    }
    ~Engine() { sqlite3_close(db_); }

    void exec(const char* sql) {
        char* message = nullptr;
        ASSERT_EQ(sqlite3_exec(db_, sql, nullptr, nullptr, &message), SQLITE_OK) << message;
    }

    // The first column of every row ("NULL" for null); "error: ..." when the query fails.
    QStringList column(const QString& sql) {
        QStringList out;
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db_, sql.toUtf8().constData(), -1, &stmt, nullptr) != SQLITE_OK) {
            return {QStringLiteral("error: ") + QString::fromUtf8(sqlite3_errmsg(db_))};
        }
        int rc;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            out.append(sqlite3_column_type(stmt, 0) == SQLITE_NULL
                           ? QStringLiteral("NULL")
                           : QString::fromUtf8(
                                 reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0))));
        }
        if (rc != SQLITE_DONE) out = {QStringLiteral("error: ") + sqlite3_errmsg(db_)};
        sqlite3_finalize(stmt);
        return out;
    }

    QString scalar(const QString& sql) {
        const QStringList values = column(sql);
        return values.isEmpty() ? QStringLiteral("(no row)") : values.first();
    }

private:
    sqlite3* db_ = nullptr;
};

TEST(Ssci, ComparesWithoutCaseAndTrailingBlanks) {
    Engine e;
    e.exec("CREATE TABLE t (k TEXT COLLATE SSCI)");
    e.exec("INSERT INTO t VALUES ('Nombre '), ('l1  '), ('Ñandú'), ('nandu'), ('EMAIL_Server')");
    const struct {
        const char* where;
        const char* found;
    } cases[] = {
        {"k = 'NOMBRE'", "Nombre "},     {"k = 'L1'", "l1  "},
        {"k = 'ñANDÚ'", "Ñandú"},        {"k = 'email_server'", "EMAIL_Server"},
        {"k = 'NANDU'", "nandu"},         // ñ and n stay apart, as do accents
        {"k = 'Nombre  x'", "(no row)"},  // only trailing blanks are ignored
        {"k = ' Nombre'", "(no row)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.where);
        EXPECT_EQ(e.scalar(QStringLiteral("SELECT k FROM t WHERE ") + c.where),
                  QString::fromUtf8(c.found));
    }
}

TEST(Ssci, GroupsEqualKeysAndSortsLettersInSpanishOrder) {
    Engine e;
    e.exec("CREATE TABLE t (k TEXT COLLATE SSCI)");
    e.exec(
        "INSERT INTO t VALUES ('zeta'), ('Ñandu'), ('nube'), ('oso'), ('Árbol'), ('abeto'), "
        "('L1'), ('l1  ')");
    EXPECT_EQ(e.column("SELECT k FROM t WHERE k <> 'l1' ORDER BY k"),
              (QStringList{"abeto", "Árbol", "nube", "Ñandu", "oso", "zeta"}));
    EXPECT_EQ(e.scalar("SELECT COUNT(*) FROM (SELECT k FROM t GROUP BY k)"), QStringLiteral("7"));
    // A unique key built on the collation refuses a key that differs only in case or blanks.
    e.exec("CREATE TABLE u (k TEXT COLLATE SSCI PRIMARY KEY)");
    e.exec("INSERT INTO u VALUES ('Clave')");
    EXPECT_EQ(e.scalar("INSERT INTO u VALUES ('CLAVE  ') RETURNING k"),
              QStringLiteral("error: UNIQUE constraint failed: u.k"));
}

TEST(Functions, LenCountsCharactersWithoutTrailingBlanks) {
    Engine e;
    EXPECT_EQ(e.scalar("SELECT len('abc  ')"), QStringLiteral("3"));
    EXPECT_EQ(e.scalar("SELECT len('  ñu ')"), QStringLiteral("4"));
    EXPECT_EQ(e.scalar("SELECT len('')"), QStringLiteral("0"));
    EXPECT_EQ(e.scalar("SELECT len(NULL)"), QStringLiteral("NULL"));
    EXPECT_EQ(e.scalar("SELECT len(1234)"), QStringLiteral("4"));
}

TEST(Functions, GetdateReadsTheInjectedClock) {
    zxtest::FixedClock clock(QDateTime(QDate(2024, 3, 5), QTime(9, 7, 3)));
    Engine e;
    EXPECT_EQ(e.scalar("select  getDate() as fecha"), QStringLiteral("2024-03-05 09:07:03"));
}

TEST(Functions, CharindexFindsWithoutRegardToCase) {
    Engine e;
    const struct {
        const char* call;
        const char* result;
    } cases[] = {
        {"charindex('b', 'abcb')", "2"},    {"charindex('B', 'abcb')", "2"},
        {"charindex('b', 'abcb', 3)", "4"}, {"charindex('z', 'abc')", "0"},
        {"charindex('', 'abc')", "0"},      {"charindex('a', NULL)", "NULL"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.call);
        EXPECT_EQ(e.scalar(QStringLiteral("SELECT ") + c.call), QString::fromUtf8(c.result));
    }
}

TEST(Functions, DatePartAndConvert) {
    Engine e;
    const struct {
        const char* call;
        const char* result;
    } cases[] = {
        {"fn_solo_fecha('2024-03-05 10:20:30')", "2024-03-05"},
        {"fn_solo_fecha('2024-03-05T10:20:30.250')", "2024-03-05"},
        {"fn_solo_fecha('05/03/24 10:20')", "2024-03-05"},
        {"fn_solo_fecha('no es fecha')", "NULL"},
        {"fn_solo_fecha(NULL)", "NULL"},
        {"tsql_convert('NVARCHAR', '2024-03-05 10:20:30', 103)", "05/03/2024"},
        {"tsql_convert('VARCHAR(3)', 'abcdef')", "abc"},
        {"tsql_convert('CHAR(4)', 'FC')", "FC  "},
        {"tsql_convert('INT', ' 12 ')", "12"},
        {"tsql_convert('INT', 12.9)", "12"},
        {"tsql_convert('BIT', 5)", "1"},
        {"tsql_convert('NUMERIC(18,2)', '2.345')", "2.35"},
        {"tsql_convert('MONEY', 1)", "1.0"},
        {"tsql_convert('DATETIME', '05/03/2024', 103)", "2024-03-05 00:00:00"},
        {"tsql_convert('DATE', '2024-03-05 10:20:30')", "2024-03-05"},
        {"tsql_convert('INT', NULL)", "NULL"},
        {"tsql_convert('INT', 'x1')",
         "error: Conversion failed when converting the varchar value 'x1' to data type int."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.call);
        EXPECT_EQ(e.scalar(QStringLiteral("SELECT ") + c.call), QString::fromUtf8(c.result));
    }
}

TEST(Functions, LikeFoldsEveryLetterAndKnowsCharacterClasses) {
    Engine e;
    const struct {
        const char* test;
        bool match;
    } cases[] = {
        {"'ÑANDÚ DEL SUR' LIKE '%ñandú%'", true},
        {"'Menu Principal' LIKE '%PRINCIPAL'", true},
        {"'NPS_IMPRESION_FC' LIKE 'NPS_IMPRESION_%'", true},
        {"'abc' LIKE 'a_c'", true},
        {"'abc' LIKE 'a_'", false},
        {"'b12' LIKE '[a-c]%'", true},
        {"'d12' LIKE '[a-c]%'", false},
        {"'x' LIKE '[^x]'", false},
        {"'y' LIKE '[^x]'", true},
        {"'50%' LIKE '50!%' ESCAPE '!'", true},
        {"'500' LIKE '50!%' ESCAPE '!'", false},
        {"'a[b' LIKE 'a[b'", true},
        {"'a]' LIKE '[^]'", false},
        {"'^' LIKE '[^]'", false},
        {"'' LIKE '%'", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.test);
        EXPECT_EQ(e.scalar(QStringLiteral("SELECT ") + c.test),
                  c.match ? QStringLiteral("1") : QStringLiteral("0"));
    }
    EXPECT_EQ(e.scalar("SELECT NULL LIKE 'a'"), QStringLiteral("NULL"));
}

// A date's sort key orders Null first, then the readings whatever their shape, then what reads
// as no date-time, in the order of text.
TEST(Functions, TheSortKeyOfADateOrdersItsReadings) {
    Engine e;
    e.exec("CREATE TABLE t (f DATETIME, n INT)");
    e.exec(
        "INSERT INTO t VALUES ('sin fecha', 1), ('2026-03-29 9:05', 2), (NULL, 3), "
        "('2026-03-29T01:00', 4), ('20260329', 5), ('Anterior', 6), ('2026-03-28 23:59:59.999', "
        "7), "
        "('29/03/2026 10:00', 8)");
    EXPECT_EQ(e.column("SELECT n FROM t ORDER BY tsql_sortkey(f) COLLATE SSCI, f"),
              (QStringList{"3", "5", "7", "4", "2", "8", "6", "1"}));
}

// Whether a date column's own order already is its readings': an index begins with it and
// every value it holds is Null or in an ISO shape that sorts as its reading, with a blank
// before the time. The answer follows what the column holds.
TEST(Functions, ReadingOrderTellsWhereTheColumnsOwnOrderIsItsReadings) {
    const struct {
        const char* name;
        const char* index;
        const char* values;
        bool holds;
    } cases[] = {
        {"IsoShapes", "CREATE INDEX i ON t (f)",
         "('2026-03-29'), ('2026-03-29 00:00'), ('2026-03-29 10:30:15.5'), (NULL), "
         "('2026-03-28 23:59:59.999')",
         true},
        {"Empty", "CREATE INDEX i ON t (f)", "", true},
        {"FirstOfAnIndex", "CREATE INDEX i ON t (f, n)", "('2026-03-29 10:00:00')", true},
        {"NoIndex", "", "('2026-03-29 10:00:00')", false},
        {"SecondOfAnIndex", "CREATE INDEX i ON t (n, f)", "('2026-03-29 10:00:00')", false},
        {"PartialIndex", "CREATE INDEX i ON t (f) WHERE n > 0", "('2026-03-29 10:00:00')", false},
        {"ATAfterTheDate", "CREATE INDEX i ON t (f)", "('2026-03-29T01:00')", false},
        {"AnHourOfOneDigit", "CREATE INDEX i ON t (f)", "('2026-03-29 9:05')", false},
        {"DayFirst", "CREATE INDEX i ON t (f)", "('29/03/2026')", false},
        {"AsANumber", "CREATE INDEX i ON t (f)", "(20260329)", false},
        {"NoDate", "CREATE INDEX i ON t (f)", "('sin fecha')", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Engine e;
        e.exec("CREATE TABLE t (f DATETIME, n INT)");
        if (*c.index) e.exec(c.index);
        if (*c.values) e.exec(("INSERT INTO t (f) VALUES " + QByteArray(c.values)).constData());
        EXPECT_EQ(e.scalar("SELECT tsql_readingorder('t', 'F')"),
                  c.holds ? QStringLiteral("1") : QStringLiteral("0"));
        // Asked again after a write, it reads the column again.
        e.exec("INSERT INTO t (f) VALUES ('2026-03-29T02:00')");
        EXPECT_EQ(e.scalar("SELECT tsql_readingorder('t', 'f')"), QStringLiteral("0"));
    }
    Engine e;
    EXPECT_EQ(e.scalar("SELECT tsql_readingorder('no_existe', 'f')"), QStringLiteral("0"));
}

// Whether a date column holds a text that reads as a date-time but sorts apart from its day,
// with an index (looked at day by day) and without one (read whole); the answer follows what
// the column holds.
TEST(Functions, DatesApartTellsWhereAColumnHoldsTextsApartFromTheirDay) {
    const struct {
        const char* name;
        const char* values;
        bool apart;
    } cases[] = {
        {"IsoShapes",
         "('2026-03-29'), ('2026-03-29 00:00'), ('2026-03-29T10:30:15.5'), (NULL), "
         "('2026-03-28 23:59:59.999'), ('2026-03-29 9:05'), ('2026-03-30 10:00:00')",
         false},
        {"Empty", "", false},
        {"AsANumber", "(20260329), ('2026-03-29')", false},
        {"NoDate", "('sin fecha'), ('2026-03-29'), ('zzz')", false},
        {"DayFirst", "('2026-03-28'), ('29/03/2026')", true},
        {"DayFirstAfterManyDays",
         "('2026-03-01'), ('2026-03-02'), ('2026-03-03'), ('2026-03-04'), ('31/03/2026')", true},
        {"NoSeparatorsWithATime", "('2026-03-29'), ('20260329 07:00')", true},
        {"ABlankFirst", "(' 2026-03-29 03:00')", true},
        {"AMonthOfOneDigit", "('2026-3-29 04:00')", true},
        {"TheDashesOfADateWithoutItsDigits", "('abcd-ef-g1')", true},
        {"AfterATextThatReadsAsNone", "('2026-03-29'), ('sin fecha'), ('zz 29/03/2026')", false},
    };
    for (const bool indexed : {true, false}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (indexed ? " indexed" : " not indexed"));
            Engine e;
            e.exec("CREATE TABLE t (f DATETIME, n INT)");
            if (indexed) e.exec("CREATE INDEX i ON t (f)");
            if (*c.values)
                e.exec(("INSERT INTO t (f) VALUES " + QByteArray(c.values)).constData());
            EXPECT_EQ(e.scalar("SELECT tsql_datesapart('t', 'F')"),
                      c.apart ? QStringLiteral("1") : QStringLiteral("0"));
            // Asked again after a write, it reads the column again.
            e.exec("INSERT INTO t (f) VALUES ('29/03/2026 10:00')");
            EXPECT_EQ(e.scalar("SELECT tsql_datesapart('t', 'f')"), QStringLiteral("1"));
        }
    }
}

// The reading of a date that is not written in the statement: the stored form of what a date
// column holds, a number as SQL Server converts one, and Null (never an error) for a text that
// reads as no date-time.
TEST(Functions, TheReadingOfADateIsItsStoredFormOrNull) {
    Engine e;
    const struct {
        const char* value;
        const char* reading;
    } cases[] = {
        {"'2026-03-29'", "2026-03-29 00:00:00"},
        {"'2026-03-28 23:59:59.999'", "2026-03-29 00:00:00"},
        {"'29/03/2026 10:00'", "2026-03-29 10:00:00"},
        {"20260329", "2026-03-29 00:00:00"},
        {"1", "1900-01-02 00:00:00"},
        {"0.5", "1900-01-01 12:00:00"},
        {"'sin fecha'", "NULL"},
        {"NULL", "NULL"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(e.scalar(QStringLiteral("SELECT tsql_reading(%1)").arg(c.value)),
                  QString::fromUtf8(c.reading));
    }
}

}  // namespace
