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

// A date-time value as the engine holds it (ISO text) or as an operator writes it (day first).
std::optional<QDateTime> dateOf(sqlite3_value* v) {
    if (sqlite3_value_type(v) != SQLITE_TEXT) return std::nullopt;
    const QString text = textArg(v).trimmed();
    // ISO with a "T" or fractions of a second, as other writers may leave it.
    static const QRegularExpression iso(QStringLiteral(
        "^(\\d{4}-\\d{2}-\\d{2})(?:[ T](\\d{2}:\\d{2}(?::\\d{2})?)(?:\\.\\d+)?)?$"));
    const auto m = iso.match(text);
    if (m.hasMatch()) {
        return vb::parseDate(m.captured(2).isEmpty() ? m.captured(1)
                                                     : m.captured(1) + u' ' + m.captured(2));
    }
    return vb::parseDate(text);
}

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
        if (style == 103) {
            if (const auto date = dateOf(value))
                text = date->toString(QStringLiteral("dd/MM/yyyy"));
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
        const auto date = dateOf(value);
        if (!date) {
            return resultError(ctx, QStringLiteral("Conversion failed when converting date "
                                                   "and/or time from character string."));
        }
        return resultText(ctx, date->toString(base == u"DATE" ? isoDate : isoDateTime));
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
