#include "tests/support/fixtures.h"

#include "platform/vb/conversions.h"

#include <QFile>

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace vb {
void PrintTo(const Variant& v, std::ostream* os) {
    *os << v.debugString().toStdString();
}
}  // namespace vb

QT_BEGIN_NAMESPACE
void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
QT_END_NAMESPACE

namespace zxtest {

FixedClock::FixedClock(QDateTime now) : now_(std::move(now)), previous_(ui::setClock(this)) {}
FixedClock::~FixedClock() {
    ui::setClock(previous_);
}

FixedStation::FixedStation(QString computer, QString user)
    : computer_(std::move(computer)), user_(std::move(user)), previous_(ui::setStation(this)) {}
FixedStation::~FixedStation() {
    ui::setStation(previous_);
}

ScopedLocale::ScopedLocale(const QLocale& locale) : previous_(vb::locale()) {
    vb::setLocale(locale);
}
ScopedLocale::~ScopedLocale() {
    vb::setLocale(previous_);
}

ProgramFolder::ProgramFolder() : previous_(vb::App()) {
    vb::App().Path = dir_.path();
    vb::App().EXEName = QStringLiteral("Zentrik");
    vb::App().Title = QStringLiteral("Zentrik");
    previousEnd_ = vb::setEndHandler([this](int status) {
        ++endCount_;
        lastStatus_ = status;
        throw vb::ProgramEnded{status};
    });
}

ProgramFolder::~ProgramFolder() {
    vb::App() = previous_;
    vb::setEndHandler(previousEnd_);
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QString sourcePath(const QString& relative) {
    return QStringLiteral(ZX_SUPPORT_SOURCE_DIR "/") + relative;
}

std::optional<vb::VbError> raised(const std::function<void()>& f) {
    try {
        f();
    } catch (const vb::VbError& e) {
        return e;
    }
    return std::nullopt;
}

long raisedNumber(const std::function<void()>& f) {
    const std::optional<vb::VbError> e = raised(f);
    return e ? e->Number : 0;
}

std::optional<bool> underFileSizeLimit(qint64 maxBytes, const std::function<bool()>& f) {
    const pid_t child = fork();
    if (child < 0) return std::nullopt;
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);  // a write past the limit then fails instead of killing
        const rlimit limit{static_cast<rlim_t>(maxBytes), static_cast<rlim_t>(maxBytes)};
        setrlimit(RLIMIT_FSIZE, &limit);
        alarm(20);
        _exit(f() ? 0 : 1);
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) return std::nullopt;
    return WEXITSTATUS(status) == 0;
}

}  // namespace zxtest
