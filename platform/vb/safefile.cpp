#include "platform/vb/safefile.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace vb {

namespace {

QFileDevice::Permissions asPermissions(int mode) {
    return QFileDevice::Permissions(
        (mode & 0400 ? QFileDevice::ReadOwner | QFileDevice::ReadUser : 0) |
        (mode & 0200 ? QFileDevice::WriteOwner | QFileDevice::WriteUser : 0) |
        (mode & 0100 ? QFileDevice::ExeOwner | QFileDevice::ExeUser : 0) |
        (mode & 0040 ? QFileDevice::ReadGroup : 0) | (mode & 0020 ? QFileDevice::WriteGroup : 0) |
        (mode & 0010 ? QFileDevice::ExeGroup : 0) | (mode & 0004 ? QFileDevice::ReadOther : 0) |
        (mode & 0002 ? QFileDevice::WriteOther : 0) | (mode & 0001 ? QFileDevice::ExeOther : 0));
}

}  // namespace

ReplacementFile::ReplacementFile(const QString& path) : file_(path) {}

ReplacementFile::~ReplacementFile() {
    if (file_.isOpen()) file_.cancelWriting();
}

bool ReplacementFile::open(int permissions) {
    if (!file_.open(QIODevice::WriteOnly)) {
        error_ = file_.errorString();
        return false;
    }
    if (permissions != 0 && !file_.setPermissions(asPermissions(permissions))) {
        error_ = file_.errorString();
        file_.cancelWriting();
        file_.commit();
        return false;
    }
    return true;
}

bool ReplacementFile::write(const QByteArray& bytes) {
    if (file_.write(bytes) == bytes.size()) return true;
    error_ = file_.errorString();
    return false;
}

bool ReplacementFile::commit() {
    if (!file_.isOpen()) return false;
    // QSaveFile::commit() flushes its buffer without looking at the result, and ignores the
    // sync: a full disk would put an empty or short file in place of the old one.
    bool whole = file_.flush() && file_.error() == QFileDevice::NoError;
    if (!whole) error_ = file_.errorString();
    if (whole && ::fsync(file_.handle()) != 0 && errno != EINVAL && errno != EROFS) {
        whole = false;
        error_ = QString::fromLocal8Bit(std::strerror(errno));
    }
    if (!whole) {
        file_.cancelWriting();
        file_.commit();  // throws the new content away
        return false;
    }
    if (!file_.commit()) {
        error_ = file_.errorString();
        return false;
    }
    return true;
}

QString ReplacementFile::errorString() const {
    return error_;
}

bool replaceFile(const QString& path, const QByteArray& bytes, int permissions, QString* error) {
    ReplacementFile file(path);
    const bool ok = file.open(permissions) && file.write(bytes) && file.commit();
    if (!ok && error) *error = file.errorString();
    return ok;
}

bool appendToFile(const QString& path, const QByteArray& bytes, int permissions) {
    // Unbuffered: a write that does not fit fails here, not later at a flush nobody checks.
    // A file made here is private from its first byte unless other permissions are given:
    // what is appended (logs above all) tells what the program was doing, data included.
    QFile f(path);
    const bool existed = f.exists();
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered,
                asPermissions(permissions != 0 ? permissions : 0600)))
        return false;
    if (permissions != 0) f.setPermissions(asPermissions(permissions));
    const qint64 before = f.size();
    if (f.write(bytes) == bytes.size()) return true;
    if (existed)
        f.resize(before);
    else
        f.remove();
    return false;
}

}  // namespace vb
