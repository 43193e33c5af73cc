#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// Text files shared with the suite's other programs: Windows-1252 with CRLF line ends, and
// fixed-length records laid out byte for byte.
namespace vb {

// Characters outside Windows-1252 become "?".
QByteArray toCp1252(const QString& text);
QString fromCp1252(const QByteArray& bytes);

// The lines of a Windows-1252 file (CRLF, LF or CR ends; no empty last line for a final end).
// Nothing when the file cannot be read.
std::optional<QStringList> readTextLines(const QString& path);
// Writes (or appends) lines, each ended by CRLF. False when the file cannot be written.
// A rewrite replaces the file only once the new content is complete (a failed one leaves the
// old file as it was); an append writes into the file itself, whole lines or nothing.
// `permissions` other than 0 set the file's mode (e.g. 0600 for files holding credentials);
// without them a rewrite keeps the old file's mode and a file an append makes gets 0600.
bool writeTextLines(const QString& path, const QStringList& lines, bool append = false,
                    int permissions = 0);
bool appendTextLine(const QString& path, const QString& line);

// The fields of a sequential file as VB's Input # reads them: quoted texts (commas kept inside)
// or bare texts with the blanks around them dropped, separated by commas or line ends.
QStringList inputFields(const QString& text);

// A record of fixed-length text fields: each field padded with blanks or cut to its width.
class FixedRecord {
public:
    explicit FixedRecord(QList<int> widths);

    int size() const { return size_; }
    const QList<int>& widths() const { return widths_; }
    QByteArray encode(const QStringList& fields) const;
    // The fields as stored (trailing blanks kept); missing bytes read as blanks.
    QStringList decode(const QByteArray& bytes) const;

private:
    QList<int> widths_;
    int size_ = 0;
};

}  // namespace vb
