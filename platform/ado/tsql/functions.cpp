#include "platform/ado/tsql/functions.h"

#include "platform/ado/tsql/collation.h"
#include "platform/ui/operator.h"
#include "platform/vb/conversions.h"

#include <QRegularExpression>
#include <QString>

#include <sqlite3.h>

#include <optional>
#include <cmath>

namespace tsql {

namespace {

int trimmedLength(const void* p, int n) {
    const auto* s = static_cast<const unsigned char*>(p);
    while (n > 0 && s[n - 1] == ' ') --n;
    return n;
}

int compareSsci(void*, int n1, const void* p1, int n2, const void* p2) {
    return compareTextUtf8(p1, n1, p2, n2);
}

// ---- helpers for the functions ------------------------------------------------------------

QString textArg(sqlite3_value* v) {
    const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(v));
    return QString::fromUtf8(p, sqlite3_value_bytes(v));
}

bool anyNull(int argc, sqlite3_value** argv) {
    for (int i = 0; i < argc; ++i) {
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL) return true;
    }
    return false;
}

void resultText(sqlite3_context* ctx, const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    sqlite3_result_text(ctx, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
}

void resultError(sqlite3_context* ctx, const QString& message) {
    const QByteArray utf8 = message.toUtf8();
    sqlite3_result_error(ctx, utf8.constData(), static_cast<int>(utf8.size()));
}

const QString isoDateTime = QStringLiteral("yyyy-MM-dd HH:mm:ss");
const QString isoDate = QStringLiteral("yyyy-MM-dd");

// The engine's date-times are wall-clock readings, as SQL Server's datetime is: kept without a
// time zone, so a local clock change (a missing or a repeated hour) never moves one, nor the
// days added to it.
QDateTime wallClock(const QDate& date, const QTime& time) {
    return QDateTime(date, time, Qt::UTC);
}

std::optional<QDateTime> wallClock(const std::optional<QDateTime>& local) {
    if (!local || !local->isValid()) return std::nullopt;
    return wallClock(local->date(), local->time());
}

// A date-time value as the engine holds it (ISO text) or as people write it: ISO with a "T" or
// fractions of a second, unseparated ("20210305"), or day first ("05/03/2021 10:30").
std::optional<QDateTime> dateOfText(const QString& raw) {
    const QString text = raw.trimmed();
    static const QRegularExpression iso(
        QStringLiteral("^(\\d{4})-?(\\d{2})-?(\\d{2})(?:[ "
                       "T](\\d{1,2}):(\\d{2})(?::(\\d{2})(?:\\.(\\d{1,3})\\d*)?)?)?$"));
    const auto m = iso.match(text);
    if (m.hasMatch()) {
        // "2021-0305" is no date: separators go in pairs.
        if (text.indexOf(u'-') == 4 && text.indexOf(u'-', 5) != 7) return std::nullopt;
        const QDate date(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
        const QString ms = m.captured(7);
        const QTime time(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt(),
                         ms.isEmpty() ? 0 : ms.leftJustified(3, u'0').toInt());
        if (!date.isValid() || !time.isValid()) return std::nullopt;
        return wallClock(date, time);
    }
    return wallClock(vb::parseDate(text));
}

std::optional<QDateTime> dateOf(sqlite3_value* v) {
    if (sqlite3_value_type(v) != SQLITE_TEXT) return std::nullopt;
    return dateOfText(textArg(v));
}

// SQL Server's day zero: a number converted to a date-time counts days from it.
const QDateTime dayZero = wallClock(QDate(1900, 1, 1), QTime(0, 0));

// The stored form of a date-time: ISO to the second, with the milliseconds when there are
// any, so that equal instants are equal texts and texts sort in time order.
QString storedText(const QDateTime& d) {
    return d.time().msec() == 0 ? d.toString(isoDateTime)
                                : d.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
}

QDateTime plusDays(const QDateTime& d, double days) {
    return d.addMSecs(static_cast<qint64>(std::llround(days * 86400000.0)));
}

// A value converted to a date-time as SQL Server converts to datetime: a number counts days
// from 1900-01-01, an empty text is that day.
std::optional<QDateTime> toDateTime(sqlite3_value* v) {
    switch (sqlite3_value_type(v)) {
        case SQLITE_INTEGER:
        case SQLITE_FLOAT:
            return plusDays(dayZero, sqlite3_value_double(v));
        case SQLITE_TEXT: {
            const QString text = textArg(v);
            if (text.trimmed().isEmpty()) return dayZero;
            return dateOfText(text);
        }
        default:
            return std::nullopt;
    }
}

const QString kNoDate =
    QStringLiteral("Conversion failed when converting date and/or time from character string.");

// ---- the functions ------------------------------------------------------------------------

// SQL Server's LEN does not count trailing blanks.
void lenFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    const auto* s = sqlite3_value_text(argv[0]);
    const int n = trimmedLength(s, sqlite3_value_bytes(argv[0]));
    int count = 0;
    for (int i = 0; i < n; ++i) {
        if ((s[i] & 0xC0) != 0x80) ++count;
    }
    sqlite3_result_int(ctx, count);
}

void getdateFunction(sqlite3_context* ctx, int, sqlite3_value**) {
    resultText(ctx, ui::clock().now().toString(isoDateTime));
}

// CHARINDEX(needle, text[, start]): 1-based, 0 when absent; compares as the collation does.
void charindexFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (anyNull(argc, argv)) return sqlite3_result_null(ctx);
    const QString needle = textArg(argv[0]);
    const QString text = textArg(argv[1]);
    const qsizetype start = argc > 2 ? qMax<sqlite3_int64>(1, sqlite3_value_int64(argv[2])) : 1;
    if (needle.isEmpty() || start > text.size()) return sqlite3_result_int(ctx, 0);
    sqlite3_result_int64(ctx, text.indexOf(needle, start - 1, Qt::CaseInsensitive) + 1);
}

void fnSoloFechaFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    const auto date = dateOf(argv[0]);
    if (!date) return sqlite3_result_null(ctx);
    resultText(ctx, date->toString(isoDate));
}

// tsql_datetime(x): x as a stored date-time; the translator wraps with it every value written
// into, or compared with, a date column, so equality, ranges and order hold whatever shape the
// value was written in.
void datetimeFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    const auto date = toDateTime(argv[0]);
    if (!date) return resultError(ctx, kNoDate);
    resultText(ctx, storedText(*date));
}

// tsql_dateadd(d, n) and tsql_datesub(d, n): d plus or minus n days (a fraction is part of a
// day), as SQL Server's "+" and "-" on a datetime. A date less a date is the difference
// counted from day zero.
void dateArithmetic(sqlite3_context* ctx, sqlite3_value** argv, int sign) {
    if (anyNull(2, argv)) return sqlite3_result_null(ctx);
    const auto date = toDateTime(argv[0]);
    if (!date) return resultError(ctx, kNoDate);
    const int type = sqlite3_value_type(argv[1]);
    double days = 0;
    if (type == SQLITE_INTEGER || type == SQLITE_FLOAT) {
        days = sqlite3_value_double(argv[1]);
    } else {
        const auto other = toDateTime(argv[1]);
        if (!other) return resultError(ctx, kNoDate);
        days = dayZero.msecsTo(*other) / 86400000.0;
    }
    resultText(ctx, storedText(plusDays(*date, sign * days)));
}

void dateaddFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    dateArithmetic(ctx, argv, 1);
}

void datesubFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    dateArithmetic(ctx, argv, -1);
}

// The text of a date-time in one of CONVERT's styles; nothing for a style we do not write.
std::optional<QString> dateInStyle(const QDateTime& d, int style) {
    switch (style) {
        case 101:
            return d.toString(QStringLiteral("MM/dd/yyyy"));
        case 103:
            return d.toString(QStringLiteral("dd/MM/yyyy"));
        case 104:
            return d.toString(QStringLiteral("dd.MM.yyyy"));
        case 105:
            return d.toString(QStringLiteral("dd-MM-yyyy"));
        case 108:
            return d.toString(QStringLiteral("HH:mm:ss"));
        case 112:
            return d.toString(QStringLiteral("yyyyMMdd"));
        case 120:
            return d.toString(isoDateTime);
        case 121:
            return d.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
        case 23:
            return d.toString(isoDate);
        case 102:
            return d.toString(QStringLiteral("yyyy.MM.dd"));
        case 111:
            return d.toString(QStringLiteral("yyyy/MM/dd"));
        case 126:
            return d.time().msec() == 0 ? d.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"))
                                        : d.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz"));
        default:
            return std::nullopt;
    }
}

// A text in one of CONVERT's styles read back as a date-time.
std::optional<QDateTime> dateFromStyle(const QString& raw, int style) {
    const QString text = raw.trimmed();
    auto read = [&](const char* format) -> std::optional<QDateTime> {
        const QDate d = QDate::fromString(text, QString::fromLatin1(format));
        if (!d.isValid()) return std::nullopt;
        return wallClock(d, QTime(0, 0));
    };
    switch (style) {
        case 101:
            return read("MM/dd/yyyy");
        case 104:
            return read("dd.MM.yyyy");
        case 105:
            return read("dd-MM-yyyy");
        case 102:
            return read("yyyy.MM.dd");
        case 111:
            return read("yyyy/MM/dd");
        case 23:
        case 103:
        case 112:
        case 120:
        case 121:
        case 126:
            return dateOfText(text);
        default:
            return std::nullopt;
    }
}

QString styleNotSupported(int style, const QString& from, const QString& to) {
    return QStringLiteral("%1 is not a valid style number when converting from %2 to %3.")
        .arg(style)
        .arg(from, to);
}

// CONVERT(type, value[, style]) for the types and the style the suite's texts use.
void convertFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    sqlite3_value* value = argv[1];
    if (sqlite3_value_type(value) == SQLITE_NULL) return sqlite3_result_null(ctx);
    const QString type = textArg(argv[0]).toUpper();
    const qsizetype paren = type.indexOf(u'(');
    const QString base = type.left(paren).trimmed();
    const QStringList args =
        paren < 0 ? QStringList() : type.mid(paren + 1).remove(u')').split(u',');
    const int style = argc > 2 ? sqlite3_value_int(argv[2]) : 0;
    const int valueType = sqlite3_value_type(value);

    if (base == u"INT" || base == u"INTEGER" || base == u"BIGINT" || base == u"SMALLINT" ||
        base == u"TINYINT" || base == u"BIT") {
        sqlite3_int64 n = 0;
        if (valueType == SQLITE_INTEGER) {
            n = sqlite3_value_int64(value);
        } else if (valueType == SQLITE_FLOAT) {
            n = static_cast<sqlite3_int64>(std::trunc(sqlite3_value_double(value)));
        } else {
            bool ok = false;
            n = textArg(value).trimmed().toLongLong(&ok);
            if (!ok) {
                return resultError(ctx, QStringLiteral("Conversion failed when converting the "
                                                       "varchar value '%1' to data type %2.")
                                            .arg(textArg(value), base.toLower()));
            }
        }
        if (base == u"BIT") n = n != 0;
        return sqlite3_result_int64(ctx, n);
    }
    if (base == u"NUMERIC" || base == u"DECIMAL" || base == u"MONEY" || base == u"SMALLMONEY" ||
        base == u"FLOAT" || base == u"REAL") {
        double d = 0;
        if (valueType == SQLITE_INTEGER || valueType == SQLITE_FLOAT) {
            d = sqlite3_value_double(value);
        } else {
            bool ok = false;
            d = textArg(value).trimmed().toDouble(&ok);
            if (!ok) {
                return resultError(ctx, QStringLiteral("Error converting data type varchar to %1.")
                                            .arg(base.toLower()));
            }
        }
        int scale = -1;
        if (base == u"NUMERIC" || base == u"DECIMAL")
            scale = args.size() > 1 ? args[1].toInt() : 0;
        if (base.endsWith(u"MONEY")) scale = 4;
        if (scale >= 0) d = std::round(d * std::pow(10.0, scale)) / std::pow(10.0, scale);
        return sqlite3_result_double(ctx, d);
    }
    if (base.endsWith(u"CHAR") || base.endsWith(u"TEXT")) {
        QString text = textArg(value);
        // A style applies to a date-time; any other value is written as it is.
        if (argc > 2 && style != 0) {
            if (const auto date = dateOf(value)) {
                const auto styled = dateInStyle(*date, style);
                if (!styled)
                    return resultError(
                        ctx, styleNotSupported(style, QStringLiteral("datetime"), base.toLower()));
                text = *styled;
            }
        }
        if (!args.isEmpty() && args[0].trimmed() != u"MAX") {
            const int size = args[0].toInt();
            text = text.left(size);
            // CHAR and NCHAR are fixed width.
            if (base == u"CHAR" || base == u"NCHAR") text = text.leftJustified(size, u' ');
        }
        return resultText(ctx, text);
    }
    if (base.contains(u"DATE")) {
        std::optional<QDateTime> date;
        if (argc > 2 && style != 0 && valueType == SQLITE_TEXT) {
            if (!dateInStyle(QDateTime(), style))
                return resultError(
                    ctx, styleNotSupported(style, QStringLiteral("varchar"), base.toLower()));
            date = dateFromStyle(textArg(value), style);
        } else {
            date = toDateTime(value);
        }
        if (!date) return resultError(ctx, kNoDate);
        return resultText(ctx, base == u"DATE" ? date->toString(isoDate) : storedText(*date));
    }
    sqlite3_result_value(ctx, value);
}

// SQL Server's LIKE: % any run, _ one character, [abc] [a-z] [^abc] a class; letters compared
// after case folding, so "ñ" matches "Ñ".
// The "]" that closes a character class opened at `i`; 0 when `i` opens none.
qsizetype classEnd(QStringView p, qsizetype i) {
    if (p[i] != u'[') return 0;
    qsizetype k = i + 1;
    if (k < p.size() && p[k] == u'^') ++k;
    const qsizetype end = p.indexOf(u']', k + 1);  // a class holds at least one character
    return end > 0 ? end : 0;
}

bool likeMatch(QStringView p, QStringView s, QChar escape) {
    qsizetype pi = 0, si = 0;
    qsizetype starP = -1, starS = 0;
    while (si < s.size()) {
        if (pi < p.size()) {
            const QChar c = p[pi];
            if (!escape.isNull() && c == escape && pi + 1 < p.size()) {
                if (p[pi + 1] == s[si]) {
                    pi += 2;
                    ++si;
                    continue;
                }
            } else if (c == u'%') {
                starP = ++pi;
                starS = si;
                continue;
            } else if (c == u'_') {
                ++pi;
                ++si;
                continue;
            } else if (const qsizetype end = classEnd(p, pi); end > 0) {
                qsizetype k = pi + 1;
                const bool negated = p[k] == u'^';
                if (negated) ++k;
                bool in = false;
                for (; k < end; ++k) {
                    if (k + 2 < end && p[k + 1] == u'-') {
                        in = in || (s[si] >= p[k] && s[si] <= p[k + 2]);
                        k += 2;
                    } else {
                        in = in || s[si] == p[k];
                    }
                }
                if (in != negated) {
                    pi = end + 1;
                    ++si;
                    continue;
                }
            } else if (c == s[si]) {
                ++pi;
                ++si;
                continue;
            }
        }
        if (starP < 0) return false;
        pi = starP;
        si = ++starS;
    }
    while (pi < p.size() && p[pi] == u'%') ++pi;
    return pi == p.size();
}

void likeFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (anyNull(argc, argv)) return sqlite3_result_null(ctx);
    const QString pattern = textArg(argv[0]).toCaseFolded();
    const QString text = textArg(argv[1]).toCaseFolded();
    QChar escape;
    if (argc > 2) {
        const QString e = textArg(argv[2]);
        if (e.size() != 1)
            return resultError(ctx, QStringLiteral("ESCAPE expression must be a "
                                                   "single character"));
        escape = e.toCaseFolded().at(0);
    }
    sqlite3_result_int(ctx, likeMatch(pattern, text, escape) ? 1 : 0);
}

}  // namespace

int registerFunctions(sqlite3* db) {
    const int utf8 = SQLITE_UTF8;
    const int pure = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    struct Entry {
        const char* name;
        int args;
        int flags;
        void (*fn)(sqlite3_context*, int, sqlite3_value**);
    };
    const Entry entries[] = {
        {"len", 1, pure, lenFunction},
        {"getdate", 0, utf8, getdateFunction},
        {"charindex", 2, pure, charindexFunction},
        {"charindex", 3, pure, charindexFunction},
        {"fn_solo_fecha", 1, pure, fnSoloFechaFunction},
        {"tsql_datetime", 1, pure, datetimeFunction},
        {"tsql_dateadd", 2, pure, dateaddFunction},
        {"tsql_datesub", 2, pure, datesubFunction},
        {"tsql_convert", 2, pure, convertFunction},
        {"tsql_convert", 3, pure, convertFunction},
        {"like", 2, pure, likeFunction},
        {"like", 3, pure, likeFunction},
    };
    int rc = sqlite3_create_collation_v2(db, "SSCI", SQLITE_UTF8, nullptr, compareSsci, nullptr);
    for (const Entry& e : entries) {
        if (rc != SQLITE_OK) break;
        rc = sqlite3_create_function_v2(db, e.name, e.args, e.flags, nullptr, e.fn, nullptr,
                                        nullptr, nullptr);
    }
    return rc;
}

}  // namespace tsql
