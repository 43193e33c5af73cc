#include "platform/mail/headers.h"

#include <QByteArrayList>
#include <QRegularExpression>

namespace mail {

namespace {

// Bytes of UTF-8 in one encoded word: 60 base64 characters plus "=?UTF-8?B?" and "?=" keep
// each word within the 75 characters the encoding allows.
constexpr qsizetype kWordBytes = 45;
// Longer plain texts are encoded too, so that they can be folded.
constexpr qsizetype kPlainLimit = 900;

bool isPlain(const QByteArray& bytes) {
    for (char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u > 0x7e) return false;
    }
    return true;
}

QByteArray encodedWords(const QString& text) {
    QByteArrayList words;
    QByteArray chunk;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype len = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QByteArray piece = text.mid(i, len).toUtf8();
        if (chunk.size() + piece.size() > kWordBytes) {
            words << chunk;
            chunk.clear();
        }
        chunk += piece;
        i += len;
    }
    if (!chunk.isEmpty()) words << chunk;
    for (QByteArray& w : words) w = "=?UTF-8?B?" + w.toBase64() + "?=";
    return words.join("\r\n ");
}

QByteArray quoted(const QString& text) {
    QByteArray out = text.toUtf8();
    out.replace('\\', "\\\\").replace('"', "\\\"");
    return '"' + out + '"';
}

// A header parameter: name="value", or name*=UTF-8''value percent-encoded when not ASCII.
QByteArray parameter(const QByteArray& name, const QString& value) {
    const QString clean = withoutLineBreaks(value);
    const QByteArray utf8 = clean.toUtf8();
    if (isPlain(utf8)) return name + '=' + quoted(clean);
    return name + "*=UTF-8''" + utf8.toPercentEncoding("!#$&+^`|");
}

}  // namespace

QString withoutLineBreaks(const QString& value) {
    QString out = value;
    out.remove(QLatin1Char('\r')).remove(QLatin1Char('\n'));
    return out;
}

std::optional<Address> parseAddress(const QString& text) {
    const QString clean = withoutLineBreaks(text).trimmed();
    Address result;
    QString address = clean;
    const qsizetype open = clean.lastIndexOf(QLatin1Char('<'));
    if (open >= 0) {
        if (!clean.endsWith(QLatin1Char('>'))) return std::nullopt;
        address = clean.mid(open + 1, clean.size() - open - 2).trimmed();
        result.name = clean.left(open).trimmed();
        if (result.name.size() >= 2 && result.name.startsWith(QLatin1Char('"')) &&
            result.name.endsWith(QLatin1Char('"')))
            result.name = result.name.mid(1, result.name.size() - 2);
    }
    // One "@" between a local part and a domain, and nothing that would break the envelope.
    static const QRegularExpression plausible(
        QStringLiteral(R"(^[^\s@<>(),;:"\\]+@[^\s@<>(),;:"\\]+$)"));
    if (!plausible.match(address).hasMatch()) return std::nullopt;
    if (address.endsWith(QLatin1Char('.')) || address.contains(QLatin1String("@.")))
        return std::nullopt;
    result.address = address;
    return result;
}

QByteArray headerText(const QString& text) {
    const QString clean = withoutLineBreaks(text);
    const QByteArray utf8 = clean.toUtf8();
    if (isPlain(utf8) && !utf8.contains("=?") && utf8.size() <= kPlainLimit) return utf8;
    return encodedWords(clean);
}

QByteArray headerAddress(const Address& address) {
    const QByteArray addr = withoutLineBreaks(address.address).toUtf8();
    const QString name = withoutLineBreaks(address.name).trimmed();
    if (name.isEmpty()) return addr;
    const QByteArray utf8 = name.toUtf8();
    const QByteArray shown =
        isPlain(utf8) && !utf8.contains("=?") ? quoted(name) : encodedWords(name);
    return shown + " <" + addr + '>';
}

QByteArray headerDate(const QDateTime& when) {
    static const char* const kDays[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const QDate d = when.date();
    const QTime t = when.time();
    const int offset = when.offsetFromUtc() / 60;
    const int magnitude = offset < 0 ? -offset : offset;
    return QStringLiteral("%1, %2 %3 %4 %5:%6:%7 %8%9%10")
        .arg(QLatin1String(kDays[d.dayOfWeek() - 1]))
        .arg(d.day(), 2, 10, QLatin1Char('0'))
        .arg(QLatin1String(kMonths[d.month() - 1]))
        .arg(d.year(), 4, 10, QLatin1Char('0'))
        .arg(t.hour(), 2, 10, QLatin1Char('0'))
        .arg(t.minute(), 2, 10, QLatin1Char('0'))
        .arg(t.second(), 2, 10, QLatin1Char('0'))
        .arg(QLatin1Char(offset < 0 ? '-' : '+'))
        .arg(magnitude / 60, 2, 10, QLatin1Char('0'))
        .arg(magnitude % 60, 2, 10, QLatin1Char('0'))
        .toLatin1();
}

QByteArray attachmentDisposition(const QString& fileName) {
    return "attachment; " + parameter("filename", fileName);
}

QByteArray attachmentType(const QString& mimeType, const QString& fileName) {
    return withoutLineBreaks(mimeType).toLatin1() + "; " + parameter("name", fileName);
}

QByteArray crlfText(const QString& text) {
    QString out = text;
    out.replace(QLatin1String("\r\n"), QLatin1String("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'));
    out.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return out.toUtf8();
}

}  // namespace mail
