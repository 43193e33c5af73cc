#include "tests/support/fixtures.h"

#include "platform/vb/conversions.h"

#include <QDataStream>
#include <QDir>
#include <QDirIterator>
#include <QFile>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace vb {
void PrintTo(const Variant& v, std::ostream* os) {
    *os << zxtest::debugString(v).toStdString();
}
void PrintTo(const DateTime& d, std::ostream* os) {
    *os << (d.isValid() ? d.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")).toStdString()
                        : std::string("no reading"));
}
}  // namespace vb

QT_BEGIN_NAMESPACE
void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
QT_END_NAMESPACE

namespace zxtest {

QString debugString(const vb::Variant& v) {
    using Type = vb::Variant::Type;
    switch (v.type()) {
        case Type::Empty:
            return QStringLiteral("Empty");
        case Type::Null:
            return QStringLiteral("Null");
        case Type::Boolean:
            return v.boolean() ? QStringLiteral("Boolean(True)")
                               : QStringLiteral("Boolean(False)");
        case Type::Integer:
            return QStringLiteral("Integer(%1)").arg(v.number());
        case Type::Long:
            return QStringLiteral("Long(%1)").arg(v.number());
        case Type::LongLong:
            return QStringLiteral("LongLong(%1)").arg(v.wholeNumber());
        case Type::Double:
            return QStringLiteral("Double(%1)").arg(v.number(), 0, 'g', 17);
        case Type::Currency:
            return QStringLiteral("Currency(%1)").arg(v.currency().toPlainString());
        case Type::Date:
            return QStringLiteral("Date(%1)")
                .arg(v.date().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")));
        case Type::String:
            return QStringLiteral("String(\"%1\")").arg(v.string());
        case Type::Bytes:
            return QStringLiteral("Bytes(%1)").arg(QString::fromLatin1(v.bytes().toHex()));
    }
    return {};
}

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

QList<QDate> clockChangeDays() {
    return {// Havana, Madrid and Beirut and the Azores, Santiago and Lord Howe
            QDate(2026, 3, 8), QDate(2026, 3, 29), QDate(2026, 4, 5),
            // Santiago, Lord Howe, Europe's end of summer time, Havana
            QDate(2026, 9, 6), QDate(2026, 10, 4), QDate(2026, 10, 25), QDate(2026, 11, 1),
            // Asunción (a midnight repeated, then one skipped)
            QDate(2024, 3, 24), QDate(2024, 10, 6),
            // São Paulo (a midnight skipped, then one repeated)
            QDate(2018, 11, 4), QDate(2019, 2, 17),
            // Apia and Kiritimati (a whole day skipped)
            QDate(2011, 12, 30), QDate(1994, 12, 31)};
}

ScopedTimeZone::ScopedTimeZone(const char* zone) : previous_(qgetenv("TZ")) {
    qputenv("TZ", zone);
    tzset();
}
ScopedTimeZone::~ScopedTimeZone() {
    if (previous_.isEmpty()) {
        qunsetenv("TZ");
    } else {
        qputenv("TZ", previous_);
    }
    tzset();
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

namespace {

bool writeAll(int fd, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += n;
    }
    return true;
}

bool writeProc(const char* path, const QByteArray& text) {
    const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = writeAll(fd, text);
    ::close(fd);
    return ok;
}

// In the child: a user namespace where this user is itself, and a mount namespace of its own
// with a tmpfs of `bytes` on `folder`. The reason when it cannot be had.
QString mountSmallDisk(const QString& folder, qint64 bytes) {
    const uid_t uid = getuid();
    const gid_t gid = getgid();
    if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
        return QStringLiteral("unshare(CLONE_NEWUSER | CLONE_NEWNS): %1").arg(strerror(errno));
    if (!writeProc("/proc/self/setgroups", "deny") ||
        !writeProc("/proc/self/uid_map",
                   QByteArray::number(uid) + ' ' + QByteArray::number(uid) + " 1") ||
        !writeProc("/proc/self/gid_map",
                   QByteArray::number(gid) + ' ' + QByteArray::number(gid) + " 1")) {
        return QStringLiteral("mapping the user into its namespace: %1").arg(strerror(errno));
    }
    // Nothing mounted here may reach the parent's namespace.
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return QStringLiteral("making the mounts private: %1").arg(strerror(errno));
    const QByteArray options = "size=" + QByteArray::number(bytes) + ",mode=0700";
    if (mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", MS_NOSUID | MS_NODEV,
              options.constData()) != 0) {
        return QStringLiteral("mounting a tmpfs of %1 bytes: %2").arg(bytes).arg(strerror(errno));
    }
    return {};
}

// Gives back `bytes` of the filler "relleno" of a full disk, and checks that the file
// system then has exactly that much room.
bool leaveFree(const QString& folder, qint64 bytes) {
    if (bytes == 0) return true;
    const QByteArray filler = QFile::encodeName(QDir(folder).filePath("relleno"));
    struct stat st {};
    if (::stat(filler.constData(), &st) != 0 || st.st_size < bytes ||
        ::truncate(filler.constData(), st.st_size - bytes) != 0)
        return false;
    struct statvfs fs {};
    return ::statvfs(QFile::encodeName(folder).constData(), &fs) == 0 &&
           static_cast<qint64>(fs.f_bavail) * static_cast<qint64>(fs.f_frsize) == bytes;
}

}  // namespace

std::optional<SmallDiskRun> onSmallDisk(const std::function<bool(const QString& folder)>& f,
                                        qint64 bytes) {
    QTemporaryDir parent;
    const QString folder = parent.filePath(QStringLiteral("disco"));
    if (!parent.isValid() || !QDir().mkpath(folder)) {
        ADD_FAILURE() << "no folder for the small disk";
        return std::nullopt;
    }
    int channel[2];
    if (pipe2(channel, O_CLOEXEC) != 0) {
        ADD_FAILURE() << "pipe: " << strerror(errno);
        return std::nullopt;
    }
    const pid_t child = fork();
    if (child < 0) {
        ADD_FAILURE() << "fork: " << strerror(errno);
        ::close(channel[0]);
        ::close(channel[1]);
        return std::nullopt;
    }
    if (child == 0) {
        ::close(channel[0]);
        alarm(20);
        QByteArray report;
        QDataStream out(&report, QIODevice::WriteOnly);
        const QString refused = mountSmallDisk(folder, bytes);
        if (!refused.isEmpty()) {
            out << false << refused;
        } else {
            bool answer = false;
            try {
                answer = f(folder);
            } catch (...) {
                _exit(3);  // never back into the parent's test from here
            }
            QMap<QString, QByteArray> files;
            QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System,
                            QDirIterator::Subdirectories);
            while (it.hasNext()) {
                const QString path = it.next();
                files.insert(QDir(folder).relativeFilePath(path), readFile(path));
            }
            out << true << answer << files;
        }
        _exit(writeAll(channel[1], report) ? 0 : 1);
    }
    ::close(channel[1]);
    QByteArray report;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(channel[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        report.append(buffer, n);
    }
    ::close(channel[0]);
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        ADD_FAILURE() << "the child on the small disk died or ran too long";
        return std::nullopt;
    }
    QDataStream in(report);
    bool mounted = false;
    in >> mounted;
    if (!mounted) {
        QString refused;
        in >> refused;
        ADD_FAILURE() << "no small disk to test on: " << refused.toStdString();
        return std::nullopt;
    }
    SmallDiskRun run;
    in >> run.answer >> run.files;
    return run;
}

std::optional<SmallDiskRun> onFullDisk(const QString& name, const QByteArray& old,
                                       const std::function<bool(const QString& path)>& write,
                                       qint64 freeBytes) {
    return onSmallDisk(
        [&](const QString& folder) {
            const QString path = QDir(folder).filePath(name);
            if (!writeFile(path, old) || !fillDisk(folder) || !leaveFree(folder, freeBytes)) {
                std::fprintf(stderr, "the full disk could not be prepared\n");
                _exit(4);
            }
            try {
                return write(path);
            } catch (...) {
                return false;
            }
        },
        12 * 1024 + freeBytes);
}

ScopedUmask::ScopedUmask(int mask) : previous_(static_cast<int>(::umask(mask))) {}

ScopedUmask::~ScopedUmask() {
    ::umask(previous_);
}

int fileMode(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) return -1;
    return static_cast<int>(st.st_mode & 07777);
}

bool fillDisk(const QString& folder, const QString& name) {
    const int fd = ::open(QFile::encodeName(QDir(folder).filePath(name)).constData(),
                          O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    const QByteArray block(512, 'r');
    for (;;) {
        const ssize_t n = ::write(fd, block.constData(), block.size());
        if (n > 0 || (n < 0 && errno == EINTR)) continue;
        const bool full = n < 0 && errno == ENOSPC;
        ::close(fd);
        return full;
    }
}

}  // namespace zxtest
