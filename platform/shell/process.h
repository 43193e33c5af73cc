#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// Starting other programs: waiting for one while the interface stays alive, or leaving it
// to run beside this one.
namespace shell {

// Runs `program` with `arguments` and waits for it to end, letting the interface process its
// events between polls. Its exit status; -1 when it was killed by a signal; nothing when it
// could not be started (missing or not executable).
std::optional<int> runAndWait(const QString& program, const QStringList& arguments);
// The same for a command line ("/bin/sh -c 'exit 3'"), split as a shell splits words.
std::optional<int> runAndWait(const QString& commandLine);

// What became of a program waited for at most a while.
enum class BoundedRun {
    NotStarted,    // missing or not executable
    Succeeded,     // ended in time with status 0
    Failed,        // ended in time with another status, or killed by a signal
    StillRunning,  // still running when the wait ended; it goes on alone, neither waited for
                   // nor stopped
};
// Starts `program` and waits at most `milliseconds` for it to end, the hourglass on and the
// windows repainted meanwhile (the operator's input waits, so the same work is not started
// twice).
BoundedRun runAndWaitAtMost(const QString& program, const QStringList& arguments,
                            int milliseconds);

// Starts `program` and returns at once; the program runs on its own. Its process id, 0 when it
// could not be started. An empty `workingFolder` keeps the current one.
qint64 startDetached(const QString& program, const QStringList& arguments,
                     const QString& workingFolder = {});

}  // namespace shell
