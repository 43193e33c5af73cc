#pragma once

#include <QByteArray>
#include <QSaveFile>
#include <QString>

// Writing files so that a full disk or any other failure never leaves a short or empty file
// where a good one stood: every writer of the program that replaces or appends to a file goes
// through here.
namespace vb {

// A file written beside `path` and put in its place only when whole. Until commit() succeeds
// the old file, if any, stays as it was; a replaced file keeps its permissions unless others
// are given. Unlike QSaveFile::commit() alone, the last flush of the buffer and the sync to
// disk are checked too: that is where a full disk shows up.
class ReplacementFile {
public:
    explicit ReplacementFile(const QString& path);
    // Anything written and not committed is thrown away.
    ~ReplacementFile();

    // `permissions` other than 0 set the file's mode (e.g. 0600 for files holding
    // credentials). False when the file cannot be created.
    bool open(int permissions = 0);
    // Where the content goes, for writers that take a device (XML, PDF, images).
    QIODevice* device() { return &file_; }
    bool write(const QByteArray& bytes);
    // Puts the new file in place. False, with the old file untouched, when anything written
    // since open() failed or the content cannot be flushed and synced.
    bool commit();
    // Why the last step failed.
    QString errorString() const;

private:
    QSaveFile file_;
    QString error_;
};

// The whole of `bytes` as the file's new content (see ReplacementFile).
bool replaceFile(const QString& path, const QByteArray& bytes, int permissions = 0,
                 QString* error = nullptr);

// Adds `bytes` at the end of the file (made when missing) in place, all or nothing: what a
// full disk lets through of it is taken back, so a log never ends in half a line. A file made
// here gets mode 0600 unless `permissions` other than 0 are given, which are then set on a
// file already there too; otherwise a file already there keeps its mode.
bool appendToFile(const QString& path, const QByteArray& bytes, int permissions = 0);

}  // namespace vb
