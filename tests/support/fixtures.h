#pragma once

#include "platform/ui/operator.h"
#include "platform/vb/app.h"
#include "platform/vb/vberror.h"
#include "platform/vb/variant.h"

#include <QDateTime>
#include <QLocale>
#include <QMap>
#include <QString>
#include <QTemporaryDir>

#include <functional>
#include <optional>
#include <ostream>

namespace vb {
// Lets GoogleTest print variants in failure messages.
void PrintTo(const Variant& v, std::ostream* os);
void PrintTo(const DateTime& d, std::ostream* os);
}  // namespace vb

QT_BEGIN_NAMESPACE
void PrintTo(const QString& s, std::ostream* os);
QT_END_NAMESPACE

namespace zxtest {

// A variant's type and value, as failure messages show it: "String(\"ANA\")".
QString debugString(const vb::Variant& v);

// A clock that stands still unless the test moves it; installed while it lives. It shows the
// reading of the instant it is given, in that instant's own zone.
class FixedClock : public ui::Clock {
public:
    explicit FixedClock(QDateTime now);
    ~FixedClock() override;
    QDateTime instant() const override { return now_; }
    void set(QDateTime now) { now_ = std::move(now); }

private:
    QDateTime now_;
    ui::Clock* previous_;
};

// A workstation identity chosen by the test; installed while it lives.
class FixedStation : public ui::Station {
public:
    FixedStation(QString computer, QString user);
    ~FixedStation() override;
    QString computerName() const override { return computer_; }
    QString userName() const override { return user_; }

private:
    QString computer_, user_;
    ui::Station* previous_;
};

// The program's locale for number and date texts; restored when it goes out of scope.
class ScopedLocale {
public:
    explicit ScopedLocale(const QLocale& locale);
    ~ScopedLocale();

private:
    QLocale previous_;
};

// The days on which the time zones the date tests run under (ZX_TEST_ZONES) change their
// clocks: an hour or half an hour skipped or repeated at night, a midnight skipped or
// repeated, a whole day skipped (Apia on 30 December 2011, Kiritimati on 31 December 1994).
QList<QDate> clockChangeDays();

// The machine's time zone (TZ) for the local clock; restored when it goes out of scope.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone);
    ~ScopedTimeZone();

private:
    QByteArray previous_;
};

// A private program folder (App.Path) for the test, with `vb::End` turned into an exception
// (vb::ProgramEnded) so a test can see the program end. Both restored when it goes away.
class ProgramFolder {
public:
    ProgramFolder();
    ~ProgramFolder();
    QString path() const { return dir_.path(); }
    // A path inside the folder.
    QString file(const QString& name) const { return dir_.filePath(name); }
    // How many times the program was ended, and the last status.
    int endCount() const { return endCount_; }
    int lastStatus() const { return lastStatus_; }

private:
    QTemporaryDir dir_;
    vb::AppInfo previous_;
    std::function<void(int)> previousEnd_;
    int endCount_ = 0;
    int lastStatus_ = 0;
};

// Bytes of a file (empty when it does not exist).
QByteArray readFile(const QString& path);
// Writes the bytes as the whole file; false when it cannot be written.
bool writeFile(const QString& path, const QByteArray& bytes);
// The project's source folder, for schema and data files.
QString sourcePath(const QString& relative);

// The process's file-creation mask while it lives, for tests of the mode a new file gets.
class ScopedUmask {
public:
    explicit ScopedUmask(int mask);
    ~ScopedUmask();

private:
    int previous_;
};
// The permission bits of a file (0644…); -1 when there is none.
int fileMode(const QString& path);

// The VbError `f` raises; none when it returns.
std::optional<vb::VbError> raised(const std::function<void()>& f);
// The number of the VbError `f` raises; 0 when it raises none.
long raisedNumber(const std::function<void()>& f);

// Runs `f` in a child process where no file may grow beyond `maxBytes` (writes past it fail
// with EFBIG), the way a full disk stops a write part-way. The child's answer; nothing when
// it died or ran longer than a few seconds.
std::optional<bool> underFileSizeLimit(qint64 maxBytes, const std::function<bool()>& f);

// What code run on a small file system of its own left behind: its answer, and the bytes of
// every file there by its path inside the file system.
struct SmallDiskRun {
    bool answer = false;
    QMap<QString, QByteArray> files;
};

// Runs `f` in a child process on a file system of `bytes` bytes (a tmpfs in a private user and
// mount namespace: no root needed) mounted on a fresh folder, whose path `f` gets; a write that
// does not fit fails there as on a full disk (ENOSPC). The file system goes away with the
// child, so what it held comes back with the answer. Fails the calling test, and gives
// nothing, when the namespaces or the mount cannot be had, or when the child dies or runs
// longer than a few seconds.
std::optional<SmallDiskRun> onSmallDisk(const std::function<bool(const QString& folder)>& f,
                                        qint64 bytes = 12 * 1024);
// Fills the file system that holds `folder` with the file `name` until nothing more fits.
// False when it ends for any other reason.
bool fillDisk(const QString& folder, const QString& name = QStringLiteral("relleno"));
// A writer on a full disk: on a small disk whose file `name` holds `old` and where nothing
// more fits (the filler is "relleno"), `write` gets that file's path. A writer that raises
// answers False. With `freeBytes` (a whole number of 4 KiB pages) the filler leaves exactly
// that much room, as a disk nearly full does.
std::optional<SmallDiskRun> onFullDisk(const QString& name, const QByteArray& old,
                                       const std::function<bool(const QString& path)>& write,
                                       qint64 freeBytes = 0);

}  // namespace zxtest
