#include "platform/ado/datatype.h"

#include "platform/ado/errors.h"
#include "platform/ado/types.h"
#include "platform/vb/conversions.h"
#include "platform/vb/vberror.h"

#include <cmath>
#include <cstdlib>
#include <string>

namespace ado {

namespace {

// The numbers between the parentheses of "NAME(a, b)".
void sizeArguments(const QString& decl, long* first, long* second) {
    const qsizetype open = decl.indexOf(QLatin1Char('('));
    const qsizetype close = decl.indexOf(QLatin1Char(')'), open + 1);
    if (open < 0 || close < 0) return;
    const QStringList parts = decl.mid(open + 1, close - open - 1).split(QLatin1Char(','));
    bool ok = false;
    const QString a = parts.value(0).trimmed();
    if (a.compare(QLatin1String("MAX"), Qt::CaseInsensitive) == 0) {
        *first = 2147483647;
    } else {
        const long v = a.toLong(&ok);
        if (ok) *first = v;
    }
    if (parts.size() > 1) {
        const long v = parts[1].trimmed().toLong(&ok);
        if (ok) *second = v;
    }
}

}  // namespace

DeclaredType declaredType(const QString& declaration) {
    const QString decl = declaration.trimmed().toUpper();
    if (decl.isEmpty()) return {adEmpty, 0, -1};
    long size = -1, scale = -1;
    sizeArguments(decl, &size, &scale);
    qsizetype end = 0;
    while (end < decl.size() && (decl[end].isLetterOrNumber() || decl[end] == QLatin1Char('_')))
        ++end;
    const QString name = decl.left(end);
    const auto text = [&](long type, long defaultSize) {
        return DeclaredType{type, size > 0 ? size : defaultSize, -1};
    };
    if (name == QLatin1String("VARCHAR")) return text(adVarChar, 1);
    if (name == QLatin1String("NVARCHAR")) return text(adVarWChar, 1);
    if (name == QLatin1String("CHAR") || name == QLatin1String("CHARACTER"))
        return text(adChar, 1);
    if (name == QLatin1String("NCHAR")) return text(adWChar, 1);
    if (name == QLatin1String("TEXT")) return text(adVarChar, 255);
    if (name == QLatin1String("NTEXT")) return text(adLongVarWChar, 1073741823);
    if (name == QLatin1String("INT") || name == QLatin1String("INTEGER"))
        return {adInteger, 4, -1};
    if (name == QLatin1String("SMALLINT")) return {adSmallInt, 2, -1};
    if (name == QLatin1String("TINYINT")) return {adUnsignedTinyInt, 1, -1};
    if (name == QLatin1String("BIGINT")) return {adBigInt, 8, -1};
    if (name == QLatin1String("NUMERIC") || name == QLatin1String("DECIMAL")) {
        return {adNumeric, 19, size > 0 ? static_cast<int>(std::max(0L, scale)) : -1};
    }
    if (name == QLatin1String("MONEY") || name == QLatin1String("SMALLMONEY"))
        return {adCurrency, 8, -1};
    if (name == QLatin1String("REAL") || name == QLatin1String("FLOAT") ||
        name == QLatin1String("DOUBLE"))
        return {adDouble, 8, -1};
    if (name == QLatin1String("DATE") || name == QLatin1String("DATETIME") ||
        name == QLatin1String("SMALLDATETIME") || name == QLatin1String("DATETIME2"))
        return {adDBTimeStamp, 16, -1};
    if (name == QLatin1String("TIME")) return {adDBTime, 6, -1};
    if (name == QLatin1String("BIT") || name == QLatin1String("BOOLEAN"))
        return {adBoolean, 2, -1};
    if (name == QLatin1String("BLOB") || name == QLatin1String("IMAGE"))
        return {adLongVarBinary, 2147483647, -1};
    if (name == QLatin1String("VARBINARY")) return {adVarBinary, size > 0 ? size : 1, -1};
    if (name == QLatin1String("BINARY")) return {adBinary, size > 0 ? size : 1, -1};
    // Anything else by SQLite's affinity rules.
    if (decl.contains(QLatin1String("INT"))) return {adInteger, 4, -1};
    if (decl.contains(QLatin1String("CHAR")) || decl.contains(QLatin1String("CLOB")) ||
        decl.contains(QLatin1String("TEXT")))
        return text(adVarChar, 255);
    if (decl.contains(QLatin1String("BLOB"))) return {adLongVarBinary, 2147483647, -1};
    if (decl.contains(QLatin1String("REAL")) || decl.contains(QLatin1String("FLOA")) ||
        decl.contains(QLatin1String("DOUB")))
        return {adDouble, 8, -1};
    return {adNumeric, 19, -1};
}

bool isTextType(long type) {
    switch (type) {
        case adBSTR:
        case adChar:
        case adWChar:
        case adVarChar:
        case adLongVarChar:
        case adVarWChar:
        case adLongVarWChar:
            return true;
        default:
            return false;
    }
}

bool isDateType(long type) {
    return type == adDate || type == adDBDate || type == adDBTime || type == adDBTimeStamp;
}

bool isIntegerType(long type) {
    switch (type) {
        case adSmallInt:
        case adInteger:
        case adTinyInt:
        case adUnsignedTinyInt:
        case adUnsignedSmallInt:
        case adBigInt:
            return true;
        default:
            return false;
    }
}

bool isNumberType(long type) {
    return isIntegerType(type) || type == adSingle || type == adDouble || type == adDecimal ||
           type == adNumeric;
}

bool isBinaryType(long type) {
    return type == adBinary || type == adVarBinary || type == adLongVarBinary;
}

namespace {

// A local date-time. Making one asks the C library for the zone's offset at that moment, the
// costly part of reading a stored date; rows of the same day mostly follow one another, so a
// day whose offset stays the same all day long is asked once (for the zone TZ names).
QDateTime localDateTime(const QDate& date, const QTime& time) {
    struct Day {
        QDate date;
        std::string zone;
        qint64 offsetMs = 0;
        bool steady = false;
    };
    static thread_local Day day;
    const char* zone = std::getenv("TZ");
    if (day.date != date || day.zone != (zone ? zone : "")) {
        const QDateTime start(date, QTime(0, 0)), noon(date, QTime(12, 0)),
            end(date, QTime(23, 59, 59, 999));
        day.date = date;
        day.zone = zone ? zone : "";
        day.steady = start.isValid() && noon.isValid() && end.isValid() &&
                     start.offsetFromUtc() == noon.offsetFromUtc() &&
                     start.offsetFromUtc() == end.offsetFromUtc();
        day.offsetMs = static_cast<qint64>(start.offsetFromUtc()) * 1000;
    }
    if (day.steady) {
        constexpr qint64 kUnixEpochDay = 2440588;  // Julian day of 1970-01-01
        const qint64 local =
            (date.toJulianDay() - kUnixEpochDay) * 86400000 + time.msecsSinceStartOfDay();
        QDateTime made = QDateTime::fromMSecsSinceEpoch(local - day.offsetMs, Qt::LocalTime);
        if (made.date() == date && made.time() == time) return made;
        day.date = QDate();
    }
    return QDateTime(date, time);
}

}  // namespace

std::optional<QDateTime> parseIsoDateTime(const char* p, int n) {
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
    if (n == 10) return localDateTime(date, QTime(0, 0));
    if ((p[10] != ' ' && p[10] != 'T') || p[13] != ':') return std::nullopt;
    const int h = digits(11, 2), mi = digits(14, 2);
    int s = 0, ms = 0;
    if (n >= 19) {
        if (p[16] != ':') return std::nullopt;
        s = digits(17, 2);
        if (n > 19) {
            if (p[19] != '.' || n == 20) return std::nullopt;
            int scale = 100;
            for (int i = 20; i < n; ++i) {
                if (p[i] < '0' || p[i] > '9') return std::nullopt;
                ms += (p[i] - '0') * scale;
                scale /= 10;
            }
        }
    }
    const QTime time(h, mi, s, ms);
    if (h < 0 || mi < 0 || s < 0 || !time.isValid()) return std::nullopt;
    return localDateTime(date, time);
}

QString isoText(const QDateTime& value) {
    return value.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

vb::Variant convertForColumn(const vb::Variant& value, long type) {
    if (value.isNull() || value.isEmpty()) return vb::Variant::null();
    const auto fail = []() -> vb::Variant {
        raiseAdo(err::MultipleStepErrors, QStringLiteral("Microsoft Cursor Engine"));
    };
    try {
        if (isDateType(type)) {
            if (value.isDate()) return value;
            if (value.isString()) {
                const QString text = value.string().trimmed();
                // SQL Server reads an empty text as its zero date.
                if (text.isEmpty()) return QDateTime(QDate(1900, 1, 1), QTime(0, 0));
                if (auto d = vb::parseDate(text)) return *d;
                return fail();
            }
            return vb::CDate(value);
        }
        if (type == adBoolean) return vb::Variant(static_cast<long>(vb::CBool(value) ? 1 : 0));
        if (type == adCurrency) return vb::CCur(value);
        if (isIntegerType(type)) {
            const double d = vb::CDbl(value);
            if (type == adBigInt) return vb::Variant(static_cast<long long>(std::llround(d)));
            if (type == adSmallInt || type == adUnsignedTinyInt) return vb::CInt(value);
            return vb::CLng(value);
        }
        if (isNumberType(type)) return vb::CDbl(value);
        if (isTextType(type)) return value.isString() ? value : vb::Variant(vb::CStr(value));
        return value;
    } catch (const vb::VbError& e) {
        if (e.Number == err::MultipleStepErrors) throw;
        return fail();
    }
}

}  // namespace ado
