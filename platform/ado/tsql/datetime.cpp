#include "platform/ado/tsql/datetime.h"

#include "platform/vb/conversions.h"

#include <QRegularExpression>

namespace tsql {

QDateTime datetimePrecision(const QDateTime& reading) {
    const int ms = reading.time().msec();
    if (ms == 0) return reading;
    const int ticks = (ms * 3 + 5) / 10;  // three-hundredths, a half rounded up
    const int rounded = (ticks * 10 + 1) / 3;
    return rounded == ms ? reading : reading.addMSecs(rounded - ms);
}

namespace {

// The shapes past plain ISO: without separators, hours of one digit, fractions of any length;
// then the day first, as the program writes dates. `precision` makes a reading a datetime's.
std::optional<QDateTime> readOtherShapes(QStringView raw,
                                         QDateTime (*precision)(const QDateTime&)) {
    const QStringView text = raw.trimmed();
    static const QRegularExpression iso(
        QStringLiteral("^(\\d{4})(-?)(\\d{2})\\2(\\d{2})(?:[ T](\\d{1,2}):(\\d{2})(?::(\\d{2})"
                       "(?:\\.(\\d+))?)?)?$"));
    const auto m = iso.match(text.toString());
    if (m.hasMatch()) {
        const QDate date(m.capturedView(1).toInt(), m.capturedView(3).toInt(),
                         m.capturedView(4).toInt());
        const QTime time(m.capturedView(5).toInt(), m.capturedView(6).toInt(),
                         m.capturedView(7).toInt());
        if (!date.isValid() || !time.isValid()) return std::nullopt;
        // Milliseconds, the next digit rounding them.
        const QString fraction = (m.captured(8) + QStringLiteral("0000")).left(4);
        const int ms = (fraction.left(3).toInt() * 10 + fraction.right(1).toInt() + 5) / 10;
        return precision(vb::wallClock(date, time).addMSecs(ms));
    }
    if (auto time = timeOfDay(text)) return precision(vb::wallClock(QDate(1900, 1, 1), *time));
    const auto written = vb::parseDate(text.toString());
    if (!written) return std::nullopt;
    return precision(*written);
}

QDateTime asRead(const QDateTime& reading) {
    return reading;
}

}  // namespace

std::optional<QTime> timeOfDay(QStringView raw) {
    static const QRegularExpression form(
        QStringLiteral("^(\\d{1,2})(?::(\\d{1,2})(?::(\\d{1,2})(?:([.:])(\\d{1,3}))?)?)?\\s*"
                       "([AaPp][Mm])?$"));
    const auto m = form.match(raw.trimmed().toString());
    if (!m.hasMatch()) return std::nullopt;
    const QString half = m.captured(6).toUpper();
    // An hour alone is a time only with its AM or PM.
    if (m.capturedLength(2) == 0 && half.isEmpty()) return std::nullopt;
    int hour = m.captured(1).toInt();
    if (!half.isEmpty()) {
        if (hour < 1 || hour > 12) return std::nullopt;
        hour = hour % 12 + (half == u"PM" ? 12 : 0);
    }
    const QString fraction = m.captured(5);
    const int ms =
        m.captured(4) == u":" ? fraction.toInt() : fraction.leftJustified(3, u'0').toInt();
    const QTime t(hour, m.captured(2).toInt(), m.captured(3).toInt(), ms);
    if (!t.isValid()) return std::nullopt;
    return t;
}

std::optional<QDateTime> readTimeAlone(QStringView text) {
    const auto t = timeOfDay(text);
    if (!t) return std::nullopt;
    return datetimePrecision(vb::wallClock(QDate(1900, 1, 1), *t));
}

std::optional<QDateTime> readDateTime(QStringView raw) {
    const QStringView text = raw.trimmed();
    if (text.size() <= 32) {
        char latin[32];
        bool ascii = true;
        for (qsizetype i = 0; i < text.size() && ascii; ++i) {
            ascii = text[i].unicode() < 0x80;
            latin[i] = static_cast<char>(text[i].unicode());
        }
        if (ascii) {
            if (auto iso = vb::parseIsoDateTime(latin, static_cast<int>(text.size())))
                return datetimePrecision(*iso);
        }
    }
    return readOtherShapes(text, datetimePrecision);
}

std::optional<QDateTime> readDateTime(const char* utf8, int length) {
    if (auto iso = vb::parseIsoDateTime(utf8, length)) return datetimePrecision(*iso);
    return readOtherShapes(QString::fromUtf8(utf8, length), datetimePrecision);
}

std::optional<QDateTime> readDateTime2(QStringView text) {
    // Digits past the thousandths of a second are below what a reading holds: they are cut,
    // never rounded up.
    static const QRegularExpression longFraction(QStringLiteral("(:\\d{1,2}\\.\\d{3})\\d+"));
    const QString cut = text.trimmed().toString().replace(longFraction, QStringLiteral("\\1"));
    return readOtherShapes(cut, asRead);
}

std::optional<QDateTime> readCompactDate(long long number) {
    if (number < 17530101 || number > 99991231) return std::nullopt;
    const QDate date(static_cast<int>(number / 10000), static_cast<int>(number / 100 % 100),
                     static_cast<int>(number % 100));
    if (!date.isValid()) return std::nullopt;
    return vb::wallClock(date);
}

QString storedText(const QDateTime& reading) {
    const QDate d = reading.date();
    const QTime t = reading.time();
    char16_t text[23];
    const auto put = [&text](int at, int value, int width) {
        for (int k = width - 1; k >= 0; --k, value /= 10)
            text[at + k] = static_cast<char16_t>(u'0' + value % 10);
    };
    put(0, d.year(), 4);
    text[4] = u'-';
    put(5, d.month(), 2);
    text[7] = u'-';
    put(8, d.day(), 2);
    text[10] = u' ';
    put(11, t.hour(), 2);
    text[13] = u':';
    put(14, t.minute(), 2);
    text[16] = u':';
    put(17, t.second(), 2);
    if (t.msec() == 0) return QString(reinterpret_cast<const QChar*>(text), 19);
    text[19] = u'.';
    put(20, t.msec(), 3);
    return QString(reinterpret_cast<const QChar*>(text), 23);
}

}  // namespace tsql
