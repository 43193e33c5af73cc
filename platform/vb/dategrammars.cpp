#include "platform/vb/dategrammars.h"

#include "platform/vb/conversions.h"

#include <QRegularExpression>
#include <QStringList>

namespace vb::dates {

namespace {

const QDate kSqlServerDayZero(1900, 1, 1);

std::optional<DateTime> iso(const char* p, int n) {
    const auto digits = [p](int at, int count) {
        int v = 0;
        for (int i = at; i < at + count; ++i) {
            const char c = p[i];
            if (c < '0' || c > '9') return -1;
            v = v * 10 + (c - '0');
        }
        return v;
    };
    if (n != 10 && n != 16 && n < 19) return std::nullopt;
    if (p[4] != '-' || p[7] != '-') return std::nullopt;
    const int y = digits(0, 4), mo = digits(5, 2), d = digits(8, 2);
    if (y < 0 || mo < 0 || d < 0) return std::nullopt;
    const QDate date(y, mo, d);
    if (!date.isValid()) return std::nullopt;
    if (n == 10) return wallClock(date);
    if ((p[10] != ' ' && p[10] != 'T') || p[13] != ':') return std::nullopt;
    const int h = digits(11, 2), mi = digits(14, 2);
    int s = 0, ms = 0;
    if (n >= 19) {
        if (p[16] != ':') return std::nullopt;
        s = digits(17, 2);
        if (n > 19) {
            if (p[19] != '.' || n == 20) return std::nullopt;
            // Past the milliseconds, digits only count for rounding.
            int scale = 100;
            for (int i = 20; i < n; ++i) {
                if (p[i] < '0' || p[i] > '9') return std::nullopt;
                if (i < 23) ms += (p[i] - '0') * scale;
                scale /= 10;
            }
            if (n > 23 && p[23] >= '5') ++ms;
        }
    }
    if (h < 0 || h > 23 || mi < 0 || mi > 59 || s < 0 || s > 59) return std::nullopt;
    const int sinceMidnight = ((h * 60 + mi) * 60 + s) * 1000 + ms;
    if (sinceMidnight == 86400000) return wallClock(date.addDays(1));
    return wallClock(date, QTime::fromMSecsSinceStartOfDay(sinceMidnight));
}

std::optional<DateTime> isoText(QStringView text) {
    // Only ASCII can be of the shape; a short text is read from the stack.
    char buffer[64];
    QByteArray longer;
    char* bytes = buffer;
    if (text.size() > qsizetype(sizeof buffer)) {
        longer.resize(text.size());
        bytes = longer.data();
    }
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].unicode() >= 0x80) return std::nullopt;
        bytes[i] = static_cast<char>(text[i].unicode());
    }
    return iso(bytes, static_cast<int>(text.size()));
}

// A time of hours, minutes and seconds as written; an empty hour is midnight.
std::optional<QTime> writtenTime(const QString& h, const QString& m, const QString& s) {
    if (h.isEmpty()) return QTime(0, 0);
    const QTime t(h.toInt(), m.toInt(), s.isEmpty() ? 0 : s.toInt());
    if (!t.isValid()) return std::nullopt;
    return t;
}

std::optional<DateTime> sqlServerIso(QStringView text) {
    static const QRegularExpression form(
        QStringLiteral("^(\\d{4})(-?)(\\d{2})\\2(\\d{2})(?:[ T](\\d{1,2}):(\\d{2})(?::(\\d{2})"
                       "(?:\\.(\\d+))?)?)?$"));
    const auto m = form.match(text.toString());
    if (!m.hasMatch()) return std::nullopt;
    const QDate date(m.capturedView(1).toInt(), m.capturedView(3).toInt(),
                     m.capturedView(4).toInt());
    const QTime time(m.capturedView(5).toInt(), m.capturedView(6).toInt(),
                     m.capturedView(7).toInt());
    if (!date.isValid() || !time.isValid()) return std::nullopt;
    // Milliseconds, the next digit rounding them.
    const QString fraction = (m.captured(8) + QStringLiteral("0000")).left(4);
    const int ms = (fraction.left(3).toInt() * 10 + fraction.right(1).toInt() + 5) / 10;
    return wallClock(date, time).addMSecs(ms);
}

std::optional<DateTime> looseIso(QStringView text) {
    static const QRegularExpression form(QStringLiteral(
        R"(^(\d{4})-(\d{1,2})-(\d{1,2})(?:[ T](\d{1,2}):(\d{2})(?::(\d{2})(?:\.\d+)?)?)?$)"));
    const auto m = form.match(text.toString());
    if (!m.hasMatch()) return std::nullopt;
    const QDate d(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    const auto t = writtenTime(m.captured(4), m.captured(5), m.captured(6));
    if (!d.isValid() || !t) return std::nullopt;
    return wallClock(d, *t);
}

std::optional<DateTime> dayFirst(QStringView text, bool withTime) {
    static const QRegularExpression form(QStringLiteral(
        R"(^(\d{1,2})([/.-])(\d{1,2})\2(\d{2}|\d{4})(?:\s+(\d{1,2}):(\d{1,2})(?::(\d{1,2}))?)?$)"));
    const auto m = form.match(text.toString());
    if (!m.hasMatch() || (!withTime && m.capturedLength(5) > 0)) return std::nullopt;
    int year = m.captured(4).toInt();
    if (m.captured(4).size() == 2) year += year <= 29 ? 2000 : 1900;
    const QDate d(year, m.captured(3).toInt(), m.captured(1).toInt());
    const auto t = writtenTime(m.captured(5), m.captured(6), m.captured(7));
    if (!d.isValid() || !t) return std::nullopt;
    return wallClock(d, *t);
}

std::optional<DateTime> vbTimeOfDay(QStringView text) {
    static const QRegularExpression form(
        QStringLiteral(R"(^(\d{1,2}):(\d{1,2})(?::(\d{1,2}))?$)"));
    const auto m = form.match(text.toString());
    if (!m.hasMatch()) return std::nullopt;
    const auto t = writtenTime(m.captured(1), m.captured(2), m.captured(3));
    if (!t) return std::nullopt;
    return wallClock(zeroDate().date(), *t);
}

std::optional<QTime> sqlServerTime(QStringView text) {
    static const QRegularExpression form(
        QStringLiteral("^(\\d{1,2})(?::(\\d{1,2})(?::(\\d{1,2})(?:([.:])(\\d{1,3}))?)?)?\\s*"
                       "([AaPp][Mm])?$"));
    const auto m = form.match(text.toString());
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

// CONVERT's numeric styles: the order of day, month and year ('m' month first, 'd' day
// first, 'y' year first) and their separator.
std::optional<DateTime> numericStyle(QStringView text, char order, char separator) {
    const qsizetype blank = text.indexOf(u' ');
    const QStringList parts =
        text.left(blank).toString().split(QLatin1Char(separator), Qt::KeepEmptyParts);
    if (parts.size() != 3) return std::nullopt;
    for (const QString& p : parts) {
        if (p.isEmpty() || p.size() > 4) return std::nullopt;
        for (QChar c : p) {
            if (!c.isDigit()) return std::nullopt;
        }
    }
    const int a = parts[0].toInt(), b = parts[1].toInt(), c = parts[2].toInt();
    if ((order == 'y') != (parts[0].size() == 4) || (order != 'y' && parts[2].size() != 4))
        return std::nullopt;
    const QDate date = order == 'y'   ? QDate(a, b, c)
                       : order == 'm' ? QDate(c, a, b)
                                      : QDate(c, b, a);
    if (!date.isValid()) return std::nullopt;
    QTime time(0, 0);
    if (blank >= 0) {
        const auto t = sqlServerTime(text.mid(blank + 1).trimmed());
        if (!t) return std::nullopt;
        time = *t;
    }
    return wallClock(date, time);
}

}  // namespace

std::optional<DateTime> read(Grammar grammar, QStringView text) {
    switch (grammar) {
        case Grammar::Iso:
            return isoText(text);
        case Grammar::SqlServerIso:
            return sqlServerIso(text);
        case Grammar::LooseIso:
            return looseIso(text);
        case Grammar::DayFirst:
            return dayFirst(text, true);
        case Grammar::DayFirstDate:
            return dayFirst(text, false);
        case Grammar::VbTimeOfDay:
            return vbTimeOfDay(text);
        case Grammar::SqlServerTimeOfDay: {
            const auto t = sqlServerTime(text);
            if (!t) return std::nullopt;
            return wallClock(kSqlServerDayZero, *t);
        }
        case Grammar::MonthDayYearSlash:
            return numericStyle(text, 'm', '/');
        case Grammar::YearMonthDayDot:
            return numericStyle(text, 'y', '.');
        case Grammar::DayMonthYearSlash:
            return numericStyle(text, 'd', '/');
        case Grammar::DayMonthYearDot:
            return numericStyle(text, 'd', '.');
        case Grammar::DayMonthYearDash:
            return numericStyle(text, 'd', '-');
        case Grammar::YearMonthDaySlash:
            return numericStyle(text, 'y', '/');
    }
    return std::nullopt;
}

std::optional<DateTime> read(std::span<const Grammar> grammars, QStringView text) {
    const QStringView trimmed = text.trimmed();
    for (const Grammar g : grammars) {
        if (auto d = read(g, trimmed)) return d;
    }
    return std::nullopt;
}

std::optional<DateTime> readIso(const char* text, int length) {
    return iso(text, length);
}

}  // namespace vb::dates
