#include "tests/support/desktop_openers.h"

#include "tests/support/child_test.h"
#include "tests/support/fixtures.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>

namespace zxtest {

namespace {

constexpr int kStartMs = 15000;

// The state letter of /proc/<pid>/stat: a process that has ended but is not yet reaped is "Z".
QByteArray processState(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) return {};
    const QByteArray text = stat.readAll();
    const qsizetype end = text.lastIndexOf(')');
    return end < 0 ? QByteArray() : text.mid(end + 2, 1);
}

const char* const kScripts[] = {
    // Fails
    "sleep 0.3\nexit 3\n",
    // Succeeds
    "exit 0\n",
    // KeepsRunning: its process id noted, then a sleep in the same process.
    "echo $$ > \"$dir/pid.part\" && mv \"$dir/pid.part\" \"$dir/pid\"\nexec sleep 300\n",
};

}  // namespace

bool ranOnXServer() {
    if (inChildTest()) return false;
    // -displayfd: the server takes the first free display number and writes it out.
    QProcess server;
    server.start(QStringLiteral("Xvfb"),
                 {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                  QStringLiteral("0"), QStringLiteral("1280x800x24"), QStringLiteral("-nolisten"),
                  QStringLiteral("tcp")});
    if (!server.waitForStarted(kStartMs)) {
        ADD_FAILURE() << "Xvfb does not start: " << server.errorString().toStdString();
        return true;
    }
    QByteArray number;
    const QDeadlineTimer deadline(kStartMs);
    while (!number.contains('\n') && server.state() == QProcess::Running &&
           !deadline.hasExpired()) {
        server.waitForReadyRead(100);
        number += server.readAllStandardOutput();
    }
    if (number.contains('\n')) {
        QProcessEnvironment env;
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("DISPLAY"), u':' + QString::fromLatin1(number.trimmed()));
        // libxkbcommon-x11 hands strndup atom names that end at their length, not at a NUL:
        // the sanitizer's strict string checks take that for an overflow.
        const QString sanitizer = qEnvironmentVariable("ASAN_OPTIONS");
        if (!sanitizer.isEmpty())
            env.insert(QStringLiteral("ASAN_OPTIONS"),
                       sanitizer + QStringLiteral(":strict_string_checks=0"));
        QString output;
        EXPECT_TRUE(runTestInChild(env, &output)) << output.toStdString();
    } else {
        ADD_FAILURE() << "Xvfb gives no display: "
                      << QString::fromLocal8Bit(server.readAllStandardError()).toStdString();
    }
    server.terminate();
    if (!server.waitForFinished(5000)) {
        server.kill();
        server.waitForFinished(5000);
    }
    return true;
}

StandInOpener::StandInOpener(Kind kind) : previousPath_(qgetenv("PATH")) {
    const QDir dir(folder_.path());
    dir.mkpath(QStringLiteral("calls"));
    const QString script = QStringLiteral(
                               "#!/bin/sh\n"
                               "dir='%1'\n"
                               "n=$(ls \"$dir/calls\" | wc -l)\n"
                               "printf '%s\\n' \"$@\" > \"$dir/calls/$n.part\"\n"
                               "mv \"$dir/calls/$n.part\" \"$dir/calls/$n\"\n")
                               .arg(folder_.path()) +
                           QString::fromLatin1(kScripts[kind]);
    const QString opener = dir.filePath(QStringLiteral("xdg-open"));
    writeFile(opener, script.toUtf8());
    QFile::setPermissions(opener, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("PATH", QFile::encodeName(folder_.path()) + ':' + previousPath_);
}

StandInOpener::~StandInOpener() {
    qputenv("PATH", previousPath_);
    const qint64 opener = pid();
    if (opener <= 0) return;
    ::kill(pid_t(opener), SIGKILL);
    // Whoever started it reaps it from its event loop; the test leaves no process behind.
    const QDeadlineTimer deadline(10000);
    while (!processState(opener).isEmpty() && !deadline.hasExpired()) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QThread::msleep(10);
    }
    EXPECT_TRUE(processState(opener).isEmpty()) << "the opener " << opener << " was not reaped";
}

QList<QStringList> StandInOpener::calls() const {
    QList<QStringList> calls;
    const QDir dir(folder_.filePath(QStringLiteral("calls")));
    for (int n = 0; QFile::exists(dir.filePath(QString::number(n))); ++n) {
        QString text = QString::fromLocal8Bit(readFile(dir.filePath(QString::number(n))));
        if (text.endsWith(u'\n')) text.chop(1);
        calls.append(text.split(u'\n'));
    }
    return calls;
}

bool StandInOpener::running() const {
    const qint64 opener = pid();
    if (opener <= 0) return false;
    const QByteArray state = processState(opener);
    return !state.isEmpty() && state != "Z";
}

qint64 StandInOpener::pid() const {
    return readFile(folder_.filePath(QStringLiteral("pid"))).trimmed().toLongLong();
}

}  // namespace zxtest
