#include "platform/ado/ado.h"
#include "platform/vb/conversions.h"
#include "platform/vb/vberror.h"
#include "tests/platform/ado/fixture_schema.h"
#include "tests/platform/ado/sqlite_files.h"
#include "tests/support/fixtures.h"

#include <QDir>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

namespace {

using ado::Connection;
using ado::Recordset;

// Queries that never give their first row: an endless recursive common table, an eight-way
// cross join of 30 rows (6.5e11 rows), and endless rows to be sorted before the first.
const struct Endless {
    const char* name;
    const char* sql;
} kEndless[] = {
    {"endless recursion",
     "WITH c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) "
     "SELECT count(*) FROM c"},
    {"many-way cross join",
     "SELECT count(*) FROM AUX_ERR a, AUX_ERR b, AUX_ERR c, AUX_ERR d, AUX_ERR e, AUX_ERR f, "
     "AUX_ERR g, AUX_ERR h"},
    {"endless rows sorted",
     "WITH c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) SELECT x FROM c ORDER BY x DESC"},
};

// The ways a query reaches the engine: a recordset, Execute, and a forward-only read.
const struct Road {
    const char* name;
    std::function<void(Connection&, const QString&)> run;
} kRoads[] = {
    {"Recordset.Open",
     [](Connection& cn, const QString& sql) {
         Recordset rs;
         rs.Open(sql, cn, ado::adOpenStatic, ado::adLockReadOnly);
     }},
    {"Execute", [](Connection& cn, const QString& sql) { cn.Execute(sql); }},
    {"ExecuteEach",
     [](Connection& cn, const QString& sql) { cn.ExecuteEach(sql, {}, [](const ado::Row&) {}); }},
};

class CommandTimeoutTest : public ::testing::Test {
protected:
    void SetUp() override {
        files.create(
            QStringLiteral("ZENTRIK"),
            fixtureSchema() + QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i "
                                             "+ 1 FROM n WHERE i < 30) INSERT INTO AUX_ERR "
                                             "(Proceso) SELECT 'p' || i FROM n;"));
        cn.Open(files.connectionString(QStringLiteral("ZENTRIK")));
    }

    // SQL Server's provider's error for a command that ran out of time, alone in the list.
    void expectTimedOut(const std::function<void()>& f) {
        const std::optional<vb::VbError> e = zxtest::raised(f);
        ASSERT_TRUE(e.has_value());
        EXPECT_EQ(e->Number, -2147217871);
        EXPECT_EQ(e->Description, QStringLiteral("Query timeout expired"));
        ASSERT_EQ(cn.errors().Count(), 1);
        const ado::Error& first = cn.errors().Item(0);
        EXPECT_EQ(first.Number, -2147217871);
        EXPECT_EQ(first.Description, QStringLiteral("Query timeout expired"));
        EXPECT_EQ(first.Source, QStringLiteral("Microsoft OLE DB Provider for SQL Server"));
        EXPECT_EQ(first.SQLState, QStringLiteral("HYT00"));
        EXPECT_EQ(first.NativeError, 0);
    }

    QString valor(const QString& clave) {
        Recordset rs = cn.Execute(
            QStringLiteral("SELECT VALOR FROM TA_CONFIGURACION WHERE CLAVE = '%1'").arg(clave));
        return rs.Eof() ? QString() : vb::CStr(rs[QStringLiteral("VALOR")]);
    }

    // Another program holding the database's write lock until `release`.
    struct OtherWriter {
        explicit OtherWriter(const QString& file) {
            sqlite3_open(file.toUtf8().constData(), &db);
            EXPECT_EQ(sqlite3_exec(db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
        }
        void release() { sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr); }
        ~OtherWriter() {
            release();
            sqlite3_close(db);
        }
        sqlite3* db = nullptr;
    };

    SqliteFiles files;
    Connection cn;
};

// A statement still running at CommandTimeout is interrupted with SQL Server's time-out,
// whichever road it took, and the connection goes on running queries.
TEST_F(CommandTimeoutTest, AnEndlessQueryIsInterruptedAndTheConnectionStaysUsable) {
    cn.setCommandTimeout(1);
    for (const Endless& q : kEndless) {
        for (const Road& road : kRoads) {
            SCOPED_TRACE(std::string(q.name) + " through " + road.name);
            expectTimedOut([&] { road.run(cn, QString::fromUtf8(q.sql)); });
            EXPECT_EQ(cn.State(), ado::adStateOpen);
            EXPECT_EQ(valor(QStringLiteral("NOMBRE")), QStringLiteral("Comercial Norte"));
        }
    }
}

// SQL Server cancels the whole batch: nothing after the statement that ran out of time runs.
// A transaction stays open as it was, and commits what it held.
TEST_F(CommandTimeoutTest, TheRestOfTheBatchDoesNotRunAndTheTransactionStays) {
    cn.setCommandTimeout(1);
    cn.BeginTrans();
    cn.Execute(
        QStringLiteral("INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES ('ANTES', '1')"));
    expectTimedOut([&] {
        cn.Execute(QString::fromUtf8(kEndless[0].sql) +
                   QStringLiteral(";\nINSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES "
                                  "('DESPUES', '1')"));
    });
    cn.CommitTrans();
    EXPECT_EQ(valor(QStringLiteral("ANTES")), QStringLiteral("1"));
    EXPECT_EQ(valor(QStringLiteral("DESPUES")), QString());
}

// Waiting for another program's lock is part of the command's time: it ends at the same
// time-out, and 0 waits as long as the lock is held.
TEST_F(CommandTimeoutTest, AWaitForAnotherProgramsLockEndsAtTheCommandsTime) {
    const QString file = QDir(files.folder()).filePath(QStringLiteral("ZENTRIK.db"));
    const QString insert =
        QStringLiteral("INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES ('%1', '1')");
    {
        cn.setCommandTimeout(1);
        OtherWriter other(file);
        expectTimedOut([&] { cn.Execute(insert.arg(QStringLiteral("BLOQUEADA"))); });
    }
    EXPECT_EQ(valor(QStringLiteral("BLOQUEADA")), QString());
    for (long timeout : {0L, 30L}) {
        SCOPED_TRACE(timeout);
        cn.setCommandTimeout(timeout);
        OtherWriter other(file);
        std::thread releaser([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(1500));
            other.release();
        });
        const QString clave = QStringLiteral("ESPERA%1").arg(timeout);
        EXPECT_EQ(zxtest::raisedNumber([&] { cn.Execute(insert.arg(clave)); }), 0);
        releaser.join();
        EXPECT_EQ(valor(clave), QStringLiteral("1"));
    }
}

// The time a caller spends on the rows it is handed is its own, not the engine's: a slow
// reader of a quick query is not cut off.
TEST_F(CommandTimeoutTest, TheReadersTimeWithTheRowsIsNotTheCommands) {
    cn.setCommandTimeout(1);
    int rows = 0;
    EXPECT_EQ(zxtest::raisedNumber([&] {
                  cn.ExecuteEach(QStringLiteral("SELECT TOP 3 Proceso FROM AUX_ERR"), {},
                                 [&](const ado::Row&) {
                                     ++rows;
                                     std::this_thread::sleep_for(std::chrono::milliseconds(600));
                                 });
              }),
              0);
    EXPECT_EQ(rows, 3);
}

// A statement the reader of the rows runs meanwhile has a time of its own: it runs out of it
// alone, and the read goes on to its end.
TEST_F(CommandTimeoutTest, AStatementRunByTheReaderHasATimeOfItsOwn) {
    cn.setCommandTimeout(1);
    QStringList read;
    QList<long> inner;
    EXPECT_EQ(zxtest::raisedNumber([&] {
                  cn.ExecuteEach(QStringLiteral("SELECT TOP 3 Proceso FROM AUX_ERR ORDER BY ID"),
                                 {}, [&](const ado::Row& row) {
                                     read << vb::CStr(row.value(0));
                                     if (read.size() == 2)
                                         inner << zxtest::raisedNumber([&] {
                                             cn.Execute(QString::fromUtf8(kEndless[0].sql));
                                         });
                                 });
              }),
              0);
    EXPECT_EQ(read, (QStringList{"p1", "p2", "p3"}));
    EXPECT_EQ(inner, QList<long>{-2147217871});
}

// A result of many rows, each of which makes the engine count a cross join: its rows flow at
// once, and in all they take the engine several times the time-out to make. Sorted by the
// count, every row is made before the first one flows.
struct SlowRows {
    // The statement for `rows` rows, numbered from 1 in `i`; from the 30th on, each counts
    // all 900 pairs of the 30 rows of AUX_ERR.
    static QString sql(long rows, bool sorted) {
        return QStringLiteral(
                   "WITH n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                   "SELECT i, (SELECT COUNT(*) FROM AUX_ERR a, AUX_ERR b "
                   "WHERE a.ID + i > b.ID) AS Cuenta FROM n%2")
            .arg(rows)
            .arg(sorted ? QStringLiteral(" ORDER BY Cuenta, i DESC") : QString());
    }
    // As many rows as take the engine about `seconds` in all on this machine as it is now.
    static long sizedFor(Connection& cn, double seconds) {
        constexpr long kSample = 2000;
        const long kept = cn.CommandTimeout();
        cn.setCommandTimeout(0);
        const auto begin = std::chrono::steady_clock::now();
        cn.Execute(sql(kSample, false));
        const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - begin;
        cn.setCommandTimeout(kept);
        return std::clamp(static_cast<long>(seconds / std::max(spent.count(), 1e-6) * kSample),
                          kSample, 20000000L);
    }
};

// Once rows flow the time-out no longer counts: a result whose rows take the engine longer
// than the time-out in all is read whole by every road, also by a reader that takes its time
// between rows; the same rows sorted, made before the first one flows, still end at it.
TEST_F(CommandTimeoutTest, FlowingRowsAreReadWholePastTheTimeoutAndASortBeforeThemIsNot) {
    const long rows = SlowRows::sizedFor(cn, 2.5);
    cn.setCommandTimeout(1);
    const QString sql = SlowRows::sql(rows, false);
    const auto expectWhole = [&](long count, const vb::Variant& lastI, const vb::Variant& last) {
        EXPECT_EQ(count, rows);
        EXPECT_EQ(vb::CLng(lastI), rows);
        EXPECT_EQ(vb::CLng(last), 900);
    };
    {
        SCOPED_TRACE("Recordset.Open");
        Recordset rs;
        ASSERT_EQ(zxtest::raisedNumber(
                      [&] { rs.Open(sql, cn, ado::adOpenStatic, ado::adLockReadOnly); }),
                  0);
        const long count = rs.RecordCount();
        rs.MoveLast();
        expectWhole(count, rs[QStringLiteral("i")], rs[QStringLiteral("Cuenta")]);
    }
    {
        SCOPED_TRACE("Execute");
        Recordset rs;
        ASSERT_EQ(zxtest::raisedNumber([&] { rs = cn.Execute(sql); }), 0);
        long count = 0;
        vb::Variant lastI, last;
        for (; !rs.Eof(); rs.MoveNext(), ++count) {
            lastI = rs[QStringLiteral("i")];
            last = rs[QStringLiteral("Cuenta")];
        }
        expectWhole(count, lastI, last);
    }
    {
        SCOPED_TRACE("ExecuteEach, pausing between rows");
        long count = 0;
        vb::Variant lastI, last;
        EXPECT_EQ(zxtest::raisedNumber([&] {
                      cn.ExecuteEach(sql, {}, [&](const ado::Row& row) {
                          if (++count % (rows / 8 + 1) == 0)
                              std::this_thread::sleep_for(std::chrono::milliseconds(150));
                          lastI = row.value(0);
                          last = row.value(1);
                      });
                  }),
                  0);
        expectWhole(count, lastI, last);
    }
    // Many times the rows for the sorted text: the sample may have been timed on a busier
    // machine than the one that sorts, and the time-out cuts the sort at one second anyway.
    const QString sorted = SlowRows::sql(rows * 8, true);
    for (const Road& road : kRoads) {
        SCOPED_TRACE(std::string("sorted through ") + road.name);
        expectTimedOut([&] { road.run(cn, sorted); });
        EXPECT_EQ(valor(QStringLiteral("NOMBRE")), QStringLiteral("Comercial Norte"));
    }
}

// What a batch runs after its result, once the rows are read, is a command's work again: a
// statement there that would run for hours ends at the time-out, and nothing after it runs.
TEST_F(CommandTimeoutTest, AStatementAfterTheRowsEndsAtTheTimeout) {
    cn.setCommandTimeout(1);
    for (const Road& road : kRoads) {
        SCOPED_TRACE(road.name);
        expectTimedOut([&] {
            road.run(cn, QStringLiteral("SELECT TOP 3 Proceso FROM AUX_ERR;\n") +
                             QString::fromUtf8(kEndless[0].sql) +
                             QStringLiteral(";\nINSERT INTO TA_CONFIGURACION (CLAVE, VALOR) "
                                            "VALUES ('DESPUES', '1')"));
        });
        EXPECT_EQ(valor(QStringLiteral("DESPUES")), QString());
    }
}

}  // namespace
