#include "platform/vb/textfile.h"

#include "platform/vb/safefile.h"

#include <QFile>

namespace vb {

namespace {
// Windows-1252 bytes 0x80-0x9F; 0 where the code page leaves the byte undefined.
constexpr char16_t kHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};
}  // namespace

QByteArray toCp1252(const QString& text) {
    QByteArray out;
    out.reserve(text.size());
    for (const QChar qc : text) {
        const char16_t c = qc.unicode();
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            out.append(static_cast<char>(c));
            continue;
        }
        char mapped = '?';
        for (int i = 0; i < 32; ++i)
            if (kHigh[i] != 0 && kHigh[i] == c) {
                mapped = static_cast<char>(0x80 + i);
                break;
            }
        out.append(mapped);
    }
    return out;
}

QString fromCp1252(const QByteArray& bytes) {
    QString out;
    out.reserve(bytes.size());
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (b >= 0x80 && b < 0xA0)
            out.append(QChar(kHigh[b - 0x80] != 0 ? kHigh[b - 0x80] : b));
        else
            out.append(QChar(b));
    }
    return out;
}

std::optional<QStringList> readTextLines(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
    const QString text = fromCp1252(f.readAll());
    QStringList lines;
    QString cur;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r' || c == u'\n') {
            lines.append(cur);
            cur.clear();
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
        } else {
            cur += c;
        }
    }
    if (!cur.isEmpty()) lines.append(cur);
    return lines;
}

bool writeTextLines(const QString& path, const QStringList& lines, bool append, int permissions) {
    QByteArray data;
    for (const QString& line : lines) {
        data += toCp1252(line);
        data += "\r\n";
    }
    return append ? appendToFile(path, data, permissions) : replaceFile(path, data, permissions);
}

bool appendTextLine(const QString& path, const QString& line) {
    return writeTextLines(path, {line}, true);
}

QStringList inputFields(const QString& texto) {
    QStringList out;
    qsizetype i = 0;
    const qsizetype n = texto.size();
    while (i < n) {
        while (i < n && (texto[i] == ' ' || texto[i] == '\t')) ++i;
        if (i >= n) break;
        QString campo;
        if (texto[i] == '"') {
            const qsizetype fin = texto.indexOf('"', i + 1);
            const qsizetype hasta = fin < 0 ? n : fin;
            campo = texto.mid(i + 1, hasta - i - 1);
            i = fin < 0 ? n : fin + 1;
            while (i < n && texto[i] != ',' && texto[i] != '\r' && texto[i] != '\n') ++i;
        } else {
            qsizetype j = i;
            while (j < n && texto[j] != ',' && texto[j] != '\r' && texto[j] != '\n') ++j;
            campo = texto.mid(i, j - i).trimmed();
            i = j;
        }
        out.append(campo);
        if (i < n && texto[i] == ',') {
            ++i;
        } else {
            while (i < n && (texto[i] == '\r' || texto[i] == '\n')) ++i;
        }
    }
    return out;
}

FixedRecord::FixedRecord(QList<int> widths) : widths_(std::move(widths)) {
    for (int w : widths_) size_ += w;
}

QByteArray FixedRecord::encode(const QStringList& fields) const {
    QByteArray out;
    out.reserve(size_);
    for (int i = 0; i < widths_.size(); ++i) {
        QByteArray b = toCp1252(i < fields.size() ? fields[i] : QString());
        b = b.left(widths_[i]);
        b.append(QByteArray(widths_[i] - b.size(), ' '));
        out += b;
    }
    return out;
}

QStringList FixedRecord::decode(const QByteArray& bytes) const {
    QStringList out;
    int pos = 0;
    for (int w : widths_) {
        QByteArray b = bytes.mid(pos, w);
        if (b.size() < w) b.append(QByteArray(w - b.size(), ' '));
        out.append(fromCp1252(b));
        pos += w;
    }
    return out;
}

}  // namespace vb
