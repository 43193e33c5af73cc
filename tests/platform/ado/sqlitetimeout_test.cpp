// The embedded engine's command time-out on a handle of its own: which statements it
// interrupts, by the deadline of the command running them.
#include "platform/ado/sqlitetimeout.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>

namespace {

using ado::CommandClock;

// Work of some hundred thousand steps of SQLite's machine: many looks at the clock.
const char* const kWork =
    "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 200000) "
    "SELECT count(*) FROM c";

class CommandClockTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
        clock.watch(db);
    }
    void TearDown() override { sqlite3_close(db); }

    // SQLite's primary code for the work, run to its end.
    int run() {
        sqlite3_stmt* stmt = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(db, kWork, -1, &stmt, nullptr), SQLITE_OK);
        int rc;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        }
        sqlite3_finalize(stmt);
        return rc & 0xff;
    }

    static CommandClock::Deadline passedSecondsAgo(int seconds) {
        return CommandClock::Deadline{CommandClock::Clock::now() - std::chrono::seconds(seconds)};
    }

    sqlite3* db = nullptr;
    CommandClock clock;
};

// A command past its deadline is interrupted unless it has begun to answer; outside any
// command nothing is; a call of its own made inside another runs on its own time, and the
// other's applies again once it ends.
TEST_F(CommandClockTest, OnlyACommandPastItsTimeThatHasNotBegunToAnswerIsInterrupted) {
    clock.setSeconds(30);
    EXPECT_EQ(run(), SQLITE_DONE);
    CommandClock::Deadline late = passedSecondsAgo(1);
    {
        const CommandClock::Scope command(clock, late);
        EXPECT_EQ(run(), SQLITE_INTERRUPT);
        EXPECT_TRUE(late.passed);
    }
    const struct {
        const char* name;
        bool answering;
        int expected;
    } cases[] = {
        {"not answering", false, SQLITE_INTERRUPT},
        {"answering", true, SQLITE_DONE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CommandClock::Deadline d = passedSecondsAgo(5);
        d.answering = c.answering;
        const CommandClock::Scope command(clock, d);
        EXPECT_EQ(run(), c.expected);
        EXPECT_EQ(d.passed, !c.answering);
    }
    CommandClock::Deadline outer = passedSecondsAgo(1);
    outer.answering = true;
    const CommandClock::Scope reading(clock, outer);
    {
        const CommandClock::Scope inner(clock);
        EXPECT_EQ(run(), SQLITE_DONE);
    }
    outer.answering = false;
    EXPECT_EQ(run(), SQLITE_INTERRUPT);
}

// ADO's 0 waits without limit, as a negative time does; a time is counted from now.
TEST_F(CommandClockTest, NoTimeWaitsWithoutLimitAndATimeCountsFromNow) {
    for (long seconds : {0L, -5L}) {
        SCOPED_TRACE(seconds);
        clock.setSeconds(seconds);
        EXPECT_EQ(clock.seconds(), 0);
        CommandClock::Deadline late = passedSecondsAgo(1);
        const CommandClock::Scope command(clock, late);
        EXPECT_EQ(run(), SQLITE_DONE);
    }
    clock.setSeconds(90);
    const auto before = CommandClock::Clock::now();
    const CommandClock::Deadline d = clock.fromNow();
    EXPECT_GE(d.at, before + std::chrono::seconds(90));
    EXPECT_LE(d.at, CommandClock::Clock::now() + std::chrono::seconds(90));
    EXPECT_FALSE(d.passed);
    EXPECT_FALSE(d.answering);
}

// A command past its time waits no more for another program's lock.
TEST_F(CommandClockTest, ACommandPastItsTimeWaitsNoMoreForALock) {
    const QTemporaryDir dir;
    const QByteArray path = QDir(dir.path()).filePath(QStringLiteral("lock.db")).toUtf8();
    sqlite3* own = nullptr;
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(path.constData(), &own), SQLITE_OK);
    ASSERT_EQ(sqlite3_open(path.constData(), &other), SQLITE_OK);
    CommandClock fileClock;
    fileClock.setSeconds(30);
    fileClock.watch(own);
    ASSERT_EQ(sqlite3_exec(own, "CREATE TABLE T (A INT)", nullptr, nullptr, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    {
        CommandClock::Deadline late = passedSecondsAgo(1);
        const CommandClock::Scope command(fileClock, late);
        EXPECT_EQ(sqlite3_exec(own, "INSERT INTO T VALUES (1)", nullptr, nullptr, nullptr) & 0xff,
                  SQLITE_BUSY);
    }
    sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
    {
        const CommandClock::Scope command(fileClock);
        EXPECT_EQ(sqlite3_exec(own, "INSERT INTO T VALUES (1)", nullptr, nullptr, nullptr),
                  SQLITE_OK);
    }
    sqlite3_close(other);
    sqlite3_close(own);
}

}  // namespace
