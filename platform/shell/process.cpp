#include "platform/shell/process.h"

#include "platform/ui/operator.h"

#include <QDeadlineTimer>
#include <QProcess>

#include <algorithm>

namespace shell {

namespace {
// How long one poll blocks before the interface gets its turn again.
constexpr int kPollMilliseconds = 50;

// The words of a command line as a POSIX shell splits them: blanks separate words, single
// quotes keep everything, double quotes keep all but backslash escapes, a backslash outside
// quotes keeps the next character.
QStringList splitWords(const QString& commandLine) {
    QStringList words;
    QString word;
    bool inWord = false;
    enum { Plain, Single, Double } mode = Plain;
    for (qsizetype i = 0; i < commandLine.size(); ++i) {
        const QChar c = commandLine[i];
        if (mode == Single) {
            if (c == u'\'')
                mode = Plain;
            else
                word += c;
        } else if (mode == Double) {
            if (c == u'"') {
                mode = Plain;
            } else if (c == u'\\' && i + 1 < commandLine.size() &&
                       QStringLiteral("\"\\$`").contains(commandLine[i + 1])) {
                word += commandLine[++i];
            } else {
                word += c;
            }
        } else if (c == u' ' || c == u'\t' || c == u'\n') {
            if (inWord) words.append(word);
            word.clear();
            inWord = false;
        } else {
            inWord = true;
            if (c == u'\'')
                mode = Single;
            else if (c == u'"')
                mode = Double;
            else if (c == u'\\' && i + 1 < commandLine.size())
                word += commandLine[++i];
            else
                word += c;
        }
    }
    if (inWord) words.append(word);
    return words;
}

// Polls `process` until it ends or `deadline` passes, `between` running between polls. True
// when it has ended.
template <typename Between>
bool waitPolling(QProcess& process, const QDeadlineTimer& deadline, Between between) {
    while (process.state() != QProcess::NotRunning) {
        if (deadline.hasExpired()) return false;
        const qint64 poll = deadline.isForever() ? kPollMilliseconds
                                                 : std::clamp<qint64>(deadline.remainingTime(), 1,
                                                                      kPollMilliseconds);
        if (process.waitForFinished(int(poll))) break;
        between();
    }
    return true;
}

}  // namespace

std::optional<int> runAndWait(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.setInputChannelMode(QProcess::ForwardedInputChannel);
    process.start(program, arguments);
    if (!process.waitForStarted()) return std::nullopt;
    waitPolling(process, QDeadlineTimer(QDeadlineTimer::Forever), [] { ui::op().doEvents(); });
    if (process.exitStatus() == QProcess::CrashExit) return -1;
    return process.exitCode();
}

BoundedRun runAndWaitAtMost(const QString& program, const QStringList& arguments,
                            int milliseconds) {
    // Not owned by this call: a program still running when the wait ends keeps its process
    // object, which reaps it and goes once it ends.
    auto* process = new QProcess;
    // Nothing to read or write: a program that runs on must never block on a full pipe.
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->setStandardInputFile(QProcess::nullDevice());
    process->start(program, arguments);
    if (!process->waitForStarted()) {
        delete process;
        return BoundedRun::NotStarted;
    }
    const ui::BusyPointer busy;
    if (!waitPolling(*process, QDeadlineTimer(milliseconds), [] { ui::repaintNowAndThen(); })) {
        QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
        return BoundedRun::StillRunning;
    }
    const bool succeeded =
        process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0;
    delete process;
    return succeeded ? BoundedRun::Succeeded : BoundedRun::Failed;
}

std::optional<int> runAndWait(const QString& commandLine) {
    QStringList words = splitWords(commandLine);
    if (words.isEmpty()) return std::nullopt;
    const QString program = words.takeFirst();
    return runAndWait(program, words);
}

qint64 startDetached(const QString& program, const QStringList& arguments,
                     const QString& workingFolder) {
    qint64 pid = 0;
    if (!QProcess::startDetached(program, arguments, workingFolder, &pid)) return 0;
    return pid;
}

}  // namespace shell
