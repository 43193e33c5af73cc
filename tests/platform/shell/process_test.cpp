#include "platform/shell/process.h"

#include "tests/support/desktop_openers.h"
#include "tests/support/fixtures.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

TEST(ProcessTest, WaitingForACommandLineGivesItsExitStatus) {
    EXPECT_EQ(shell::runAndWait("/bin/sh -c 'exit 3'"), std::optional<int>(3));
    EXPECT_EQ(shell::runAndWait("/bin/sh -c \"exit \\\"4\\\"\""), std::optional<int>(4));
    EXPECT_EQ(shell::runAndWait("/bin/sh", {"-c", "exit 0"}), std::optional<int>(0));
}

TEST(ProcessTest, AProgramThatCannotStartGivesNothing) {
    QTemporaryDir dir;
    EXPECT_EQ(shell::runAndWait(dir.filePath("no-such-program"), {}), std::nullopt);
    EXPECT_EQ(shell::runAndWait(QString()), std::nullopt);
}

TEST(ProcessTest, AProgramKilledByASignalGivesMinusOne) {
    EXPECT_EQ(shell::runAndWait("/bin/sh -c 'kill -9 $$'"), std::optional<int>(-1));
}

// The started program waits for a file that only an event of this program's loop creates:
// it ends with 7 only if the interface kept processing its events during the wait.
TEST(ProcessTest, TheInterfaceProcessesItsEventsWhileWaiting) {
    QTemporaryDir dir;
    const QString flag = dir.filePath("flag");
    QTimer::singleShot(0, [&] {
        QFile f(flag);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    });
    const QString script = QStringLiteral(
        "i=0; while [ ! -e \"$1\" ]; do i=$((i+1)); [ $i -gt 500 ] && exit 1; sleep 0.01; done; "
        "exit 7");
    EXPECT_EQ(shell::runAndWait("/bin/sh", {"-c", script, "sh", flag}), std::optional<int>(7));
}

// A bounded wait tells how the program ended, and leaves one still running to run on.
TEST(ProcessTest, ABoundedWaitGivesHowTheProgramStood) {
    using shell::BoundedRun;
    using zxtest::StandInOpener;
    const std::pair<StandInOpener::Kind, BoundedRun> cases[] = {
        {StandInOpener::Fails, BoundedRun::Failed},
        {StandInOpener::Succeeds, BoundedRun::Succeeded},
        {StandInOpener::KeepsRunning, BoundedRun::StillRunning},
    };
    for (const auto& [kind, expected] : cases) {
        SCOPED_TRACE(int(kind));
        StandInOpener program(kind);
        const QString path = QStandardPaths::findExecutable("xdg-open");
        EXPECT_EQ(shell::runAndWaitAtMost(path, {"a b"}, 2000), expected);
        EXPECT_EQ(program.calls(), QList<QStringList>{QStringList{"a b"}});
        EXPECT_EQ(program.running(), expected == BoundedRun::StillRunning);
    }
    EXPECT_EQ(shell::runAndWaitAtMost("/bin/sh", {"-c", "kill -9 $$"}, 2000), BoundedRun::Failed);
    QTemporaryDir dir;
    EXPECT_EQ(shell::runAndWaitAtMost(dir.filePath("no-such-program"), {}, 2000),
              BoundedRun::NotStarted);
}

TEST(ProcessTest, ADetachedProgramRunsOnItsOwn) {
    QTemporaryDir dir;
    const QString out = dir.filePath("started");
    const qint64 pid = shell::startDetached(
        "/bin/sh", {"-c", "pwd > \"$1.part\" && mv \"$1.part\" \"$1\"", "sh", out}, dir.path());
    EXPECT_GT(pid, 0);
    QDeadlineTimer deadline(10000);
    while (!QFile::exists(out) && !deadline.hasExpired()) QThread::msleep(10);
    EXPECT_EQ(zxtest::readFile(out).trimmed(), QDir(dir.path()).canonicalPath().toUtf8());
    EXPECT_EQ(shell::startDetached(dir.filePath("no-such-program"), {}), 0);
}

}  // namespace
