#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace zxtest {

// Runs the current test again in a child process on an X server of its own (Xvfb), where
// Qt's desktop services hand files and links to the desktop's opener as on an operator's
// desktop; a failed child fails this test. True here; false in the child, where the test goes
// on to its checks.
bool ranOnXServer();

// A stand-in for the desktop's opener (xdg-open), first on PATH while it lives. It notes the
// arguments it was given; the one that keeps running is stopped when the object goes.
class StandInOpener {
public:
    enum Kind {
        Fails,         // ends with status 3 after a moment, as with no program to open with
        Succeeds,      // ends with status 0 at once
        KeepsRunning,  // runs on for far longer than anyone waits, as a browser does
    };
    explicit StandInOpener(Kind kind);
    ~StandInOpener();
    StandInOpener(const StandInOpener&) = delete;
    StandInOpener& operator=(const StandInOpener&) = delete;

    // The arguments of each time it was started, in order.
    QList<QStringList> calls() const;
    // Whether a started opener is running still.
    bool running() const;

private:
    qint64 pid() const;

    QTemporaryDir folder_;
    QByteArray previousPath_;
};

}  // namespace zxtest
