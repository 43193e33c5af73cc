#include "platform/ado/tsql/storage.h"

#include <QChar>
#include <QString>
#include <QStringList>

#include <sqlite3.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace tsql {

namespace {

// How SQL Server reads a text (UTF-8) as a number of a form.
struct NumberText {
    enum class Outcome { Number, NotANumber, Overflow };
    Outcome outcome = Outcome::NotANumber;
    double value = 0;
    long long whole = 0;  // the value of a whole number; of a decimal, its digits before the point
};

using Kind = StorageType::Kind;
using Outcome = NumberText::Outcome;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// SQL Server takes blanks around a number, and only blanks.
std::string_view trimmed(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

NumberText numberOf(double v) {
    return {Outcome::Number, v, 0};
}

const NumberText kNotANumber{Outcome::NotANumber, 0, 0};
const NumberText kOverflow{Outcome::Overflow, 0, 0};

// Takes an optional sign off the front; true for a minus.
bool takeSign(std::string_view& s) {
    if (s.empty() || (s.front() != '+' && s.front() != '-')) return false;
    const bool minus = s.front() == '-';
    s.remove_prefix(1);
    return minus;
}

// The length of the digits, with an optional point among or after them, at the start of `s`;
// 0 when they hold no digit. `whole` gets how many digits come before the point.
size_t decimalDigits(std::string_view s, size_t* whole) {
    size_t i = 0, digits = 0;
    while (i < s.size() && isDigit(s[i])) ++i;
    *whole = digits = i;
    if (i < s.size() && s[i] == '.') {
        for (++i; i < s.size() && isDigit(s[i]); ++i) ++digits;
    }
    return digits == 0 ? 0 : i;
}

// The value of unsigned digits already checked (no locale: the point is always ".").
double valueOf(std::string_view digits, bool minus) {
    double v = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), v);
    return minus ? -v : v;
}

// A currency symbol at the start of `s` (one character of Unicode's currency symbols); its
// length in bytes, 0 when there is none.
size_t currencySymbol(std::string_view s) {
    if (s.empty()) return 0;
    const auto lead = static_cast<unsigned char>(s.front());
    const size_t n = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    if (n > s.size()) return 0;
    const QString c = QString::fromUtf8(s.data(), static_cast<qsizetype>(n));
    return !c.isEmpty() && QChar::category(c.toUcs4().value(0)) == QChar::Symbol_Currency ? n : 0;
}

const char* nameOf(const StorageType& t) {
    switch (t.kind) {
        case Kind::TinyInt:
            return "tinyint";
        case Kind::SmallInt:
            return "smallint";
        case Kind::Int:
            return "int";
        case Kind::BigInt:
            return "bigint";
        case Kind::Numeric:
            return "numeric";
        case Kind::Money:
            return "money";
        case Kind::SmallMoney:
            return "smallmoney";
        case Kind::Float:
            return "float";
        case Kind::Real:
            return "real";
        case Kind::Bit:
            return "bit";
        case Kind::Text:
            return t.national ? "nvarchar" : "varchar";
        case Kind::Unchecked:
            break;
    }
    return "";
}

void resultError(sqlite3_context* ctx, const QString& message) {
    const QByteArray utf8 = message.toUtf8();
    sqlite3_result_error(ctx, utf8.constData(), static_cast<int>(utf8.size()));
}

QString textOf(sqlite3_value* v) {
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(v)),
                             sqlite3_value_bytes(v));
}

std::string_view utf8Of(sqlite3_value* v) {
    const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(v));
    return {p ? p : "", static_cast<size_t>(sqlite3_value_bytes(v))};
}

QString overflow(const char* from, const StorageType& t) {
    return QStringLiteral("Arithmetic overflow error converting %1 to data type %2.")
        .arg(QLatin1String(from), QLatin1String(nameOf(t)));
}

// What a text that spells no number of the type gives.
QString notANumber(sqlite3_value* v, const StorageType& t) {
    switch (t.kind) {
        case Kind::TinyInt:
        case Kind::SmallInt:
        case Kind::Int:
        case Kind::BigInt:
        case Kind::Bit:
            return QStringLiteral(
                       "Conversion failed when converting the varchar value '%1' to "
                       "data type %2.")
                .arg(textOf(v), QLatin1String(nameOf(t)));
        case Kind::Money:
        case Kind::SmallMoney:
            return QStringLiteral(
                "Cannot convert a char value to money. The char value has incorrect syntax.");
        default:
            return QStringLiteral("Error converting data type varchar to %1.")
                .arg(QLatin1String(nameOf(t)));
    }
}

// What a text whose number is past the type's range gives.
QString textOverflow(sqlite3_value* v, const StorageType& t) {
    switch (t.kind) {
        case Kind::Int:
            return QStringLiteral(
                       "The conversion of the varchar value '%1' overflowed an int "
                       "column.")
                .arg(textOf(v));
        case Kind::TinyInt:
        case Kind::SmallInt:
            return QStringLiteral(
                       "The conversion of the varchar value '%1' overflowed an %2 "
                       "column. Use a larger integer column.")
                .arg(textOf(v), QLatin1String(t.kind == Kind::TinyInt ? "INT1" : "INT2"));
        case Kind::BigInt:
            return QStringLiteral("Error converting data type varchar to bigint.");
        default:
            return overflow("varchar", t);
    }
}

// The range of a whole number type.
std::pair<long long, long long> rangeOf(Kind k) {
    switch (k) {
        case Kind::TinyInt:
            return {0, 255};
        case Kind::SmallInt:
            return {-32768, 32767};
        case Kind::Int:
            return {std::numeric_limits<std::int32_t>::min(),
                    std::numeric_limits<std::int32_t>::max()};
        default:
            return {std::numeric_limits<long long>::min(), std::numeric_limits<long long>::max()};
    }
}

double powerOfTen(int n) {
    static const double powers[] = {1,    1e1,  1e2,  1e3,  1e4,  1e5,  1e6,
                                    1e7,  1e8,  1e9,  1e10, 1e11, 1e12, 1e13,
                                    1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20};
    return n >= 0 && n <= 20 ? powers[n] : std::pow(10.0, n);
}

double rounded(double v, int scale) {
    const double f = powerOfTen(scale);
    return std::round(v * f) / f;
}

// The largest amount a money type holds.
double moneyLimit(Kind k) {
    return k == Kind::SmallMoney ? 214748.3647 : 922337203685477.5807;
}

// A whole number type from a number: a fraction is cut off, as SQL Server cuts it.
void resultWhole(sqlite3_context* ctx, sqlite3_value* v, const StorageType& t) {
    const auto [low, high] = rangeOf(t.kind);
    long long n = 0;
    if (sqlite3_value_type(v) == SQLITE_INTEGER) {
        n = sqlite3_value_int64(v);
    } else {
        const double d = std::trunc(sqlite3_value_double(v));
        // 2^63 itself does not fit.
        if (!(d >= -9223372036854775808.0 && d < 9223372036854775808.0))
            return resultError(ctx, overflow("expression", t));
        n = static_cast<long long>(d);
    }
    if (n < low || n > high) return resultError(ctx, overflow("expression", t));
    sqlite3_result_int64(ctx, n);
}

// A decimal type (numeric, money) from a number: rounded to its decimals, within its digits.
void resultDecimal(sqlite3_context* ctx, double d, const char* from, const StorageType& t) {
    const bool money = t.kind == Kind::Money || t.kind == Kind::SmallMoney;
    const int scale = money ? 4 : t.scale;
    const double r = rounded(d, scale);
    const bool fits = money ? std::fabs(r) <= moneyLimit(t.kind)
                            : std::fabs(r) < powerOfTen(t.precision - t.scale);
    if (!std::isfinite(r) || !fits) return resultError(ctx, overflow(from, t));
    sqlite3_result_double(ctx, r);
}

// A text past `t`'s length, or the number whose text it is: refused, unless only blanks are
// past the length, which are cut. The length counts UTF-16 code units: an nvarchar's, and a
// varchar's bytes in the database's single-byte code page too, where a character it lacks
// becomes a "?" for each of its code units.
void resultText(sqlite3_context* ctx, sqlite3_value* v, const StorageType& t) {
    const int storage = sqlite3_value_type(v);
    const std::string_view s = utf8Of(v);
    // A UTF-8 text is never longer in code units than in bytes.
    if (t.length <= 0 || static_cast<long long>(s.size()) <= t.length)
        return sqlite3_result_value(ctx, v);
    if (storage == SQLITE_INTEGER || storage == SQLITE_FLOAT)
        return resultError(ctx, overflow(storage == SQLITE_INTEGER ? "expression" : "numeric", t));
    long long units = 0;
    size_t cut = s.size();
    for (size_t i = 0; i < s.size(); ++i) {
        const auto lead = static_cast<unsigned char>(s[i]);
        if ((lead & 0xC0) == 0x80) continue;
        // Four bytes of UTF-8 are a character past the first 65536: two code units.
        const int n = lead >= 0xF0 ? 2 : 1;
        if (units + n > t.length) cut = std::min(cut, i);
        units += n;
    }
    if (units <= t.length) return sqlite3_result_value(ctx, v);
    for (size_t i = cut; i < s.size(); ++i) {
        if (s[i] != ' ')
            return resultError(ctx, QStringLiteral("String or binary data would be truncated."));
    }
    sqlite3_result_text(ctx, s.data(), static_cast<int>(cut), SQLITE_TRANSIENT);
}

}  // namespace

StorageType storageType(QStringView declared) {
    const QString decl = declared.trimmed().toString().toUpper();
    qsizetype end = 0;
    while (end < decl.size() && (decl[end].isLetterOrNumber() || decl[end] == u'_')) ++end;
    const QStringView name = QStringView(decl).left(end);
    // The numbers between the parentheses after the name, when there are any.
    long first = -1, second = -1;
    bool max = false;
    const qsizetype open = decl.indexOf(u'(', end);
    const qsizetype close = decl.indexOf(u')', open + 1);
    if (open >= 0 && close > open && decl.mid(end, open - end).trimmed().isEmpty()) {
        const QStringList parts = decl.mid(open + 1, close - open - 1).split(u',');
        bool ok = false;
        const QString a = parts.value(0).trimmed();
        max = a == u"MAX";
        if (const long v = a.toLong(&ok); ok) first = v;
        if (parts.size() > 1) {
            if (const long w = parts[1].trimmed().toLong(&ok); ok) second = w;
        }
    }
    StorageType t;
    const auto text = [&](bool national) {
        t.kind = Kind::Text;
        t.national = national;
        // MAX is the size SQL Server reports for one, as a table definition may spell it.
        t.length = max || first <= 0 || first >= 2147483647 ? 0 : first;
        return t;
    };
    if (name == u"VARCHAR" || name == u"CHAR" || name == u"CHARACTER" || name == u"TEXT" ||
        name == u"CLOB")
        return text(false);
    if (name == u"NVARCHAR" || name == u"NCHAR" || name == u"NTEXT") return text(true);
    if (name == u"SYSNAME") {
        text(true);
        t.length = 128;
    } else if (name == u"TINYINT") {
        t.kind = Kind::TinyInt;
    } else if (name == u"SMALLINT") {
        t.kind = Kind::SmallInt;
    } else if (name == u"INT" || name == u"INTEGER") {
        t.kind = Kind::Int;
    } else if (name == u"BIGINT") {
        t.kind = Kind::BigInt;
    } else if (name == u"MONEY") {
        t.kind = Kind::Money;
    } else if (name == u"SMALLMONEY") {
        t.kind = Kind::SmallMoney;
    } else if (name == u"REAL") {
        t.kind = Kind::Real;
    } else if (name == u"FLOAT") {
        t.kind = first > 0 && first <= 24 ? Kind::Real : Kind::Float;
    } else if (name == u"DOUBLE") {
        t.kind = Kind::Float;
    } else if (name == u"BIT") {
        t.kind = Kind::Bit;
    } else if (name == u"NUMERIC" || name == u"DECIMAL" || name == u"DEC") {
        t.kind = Kind::Numeric;
        if (first > 0) t.precision = static_cast<int>(std::min(first, 38L));
        t.scale = second > 0 ? static_cast<int>(std::min<long>(second, t.precision)) : 0;
    }
    return t;
}

namespace {

// Blanks around, an optional sign, digits; a blank text is 0.
NumberText wholeText(std::string_view text) {
    std::string_view s = trimmed(text);
    if (s.empty()) return numberOf(0);
    const bool minus = takeSign(s);
    if (s.empty()) return kNotANumber;
    unsigned long long v = 0;
    bool past = false;
    for (char c : s) {
        if (!isDigit(c)) return kNotANumber;
        if (v > (std::numeric_limits<unsigned long long>::max() - 9) / 10) past = true;
        if (!past) v = v * 10 + static_cast<unsigned>(c - '0');
    }
    const unsigned long long limit =
        static_cast<unsigned long long>(std::numeric_limits<long long>::max()) + (minus ? 1 : 0);
    if (past || v > limit) return kOverflow;
    NumberText out = numberOf(0);
    out.whole = minus ? static_cast<long long>(0 - v) : static_cast<long long>(v);
    out.value = static_cast<double>(out.whole);
    return out;
}

// Blanks around, an optional sign, digits with an optional point; nothing else, not even
// blanks alone.
NumberText decimalText(std::string_view text) {
    std::string_view s = trimmed(text);
    const bool minus = takeSign(s);
    size_t whole = 0;
    const size_t n = decimalDigits(s, &whole);
    if (n == 0 || n != s.size()) return kNotANumber;
    NumberText out = numberOf(valueOf(s, minus));
    // The digits before the point, leading zeros apart, decide whether it fits a precision.
    size_t zeros = 0;
    while (zeros < whole && s[zeros] == '0') ++zeros;
    out.whole = static_cast<long long>(whole - zeros);
    return out;
}

// A decimal number with an optional exponent; a blank text is 0.
NumberText floatText(std::string_view text) {
    std::string_view s = trimmed(text);
    if (s.empty()) return numberOf(0);
    const bool minus = takeSign(s);
    size_t whole = 0;
    size_t n = decimalDigits(s, &whole);
    if (n == 0) return kNotANumber;
    if (n < s.size() && (s[n] == 'e' || s[n] == 'E')) {
        size_t k = n + 1;
        if (k < s.size() && (s[k] == '+' || s[k] == '-')) ++k;
        const size_t digits = k;
        while (k < s.size() && isDigit(s[k])) ++k;
        if (k == digits) return kNotANumber;
        n = k;
    }
    if (n != s.size()) return kNotANumber;
    const double v = valueOf(s, minus);
    return std::isfinite(v) ? numberOf(v) : kOverflow;
}

// A decimal number with an optional currency symbol before it and commas among its digits,
// which count for nothing; a blank text is 0.
NumberText moneyText(std::string_view text) {
    std::string_view s = trimmed(text);
    if (s.empty()) return numberOf(0);
    // One sign, before the currency symbol or after it.
    const bool signFirst = s.front() == '+' || s.front() == '-';
    bool minus = takeSign(s);
    if (const size_t symbol = currencySymbol(s); symbol > 0) {
        s = trimmed(s.substr(symbol));
        if (!signFirst) minus = takeSign(s);
    }
    // Commas among the digits before the point count for nothing.
    std::string digits;
    digits.reserve(s.size());
    size_t i = 0;
    for (; i < s.size() && (isDigit(s[i]) || (s[i] == ',' && !digits.empty())); ++i) {
        if (s[i] != ',') digits += s[i];
    }
    if (i < s.size() && s[i] == '.') {
        digits += '.';
        for (++i; i < s.size() && isDigit(s[i]); ++i) digits += s[i];
    }
    size_t whole = 0;
    if (i != s.size() || decimalDigits(digits, &whole) == 0) return kNotANumber;
    return numberOf(valueOf(digits, minus));
}

}  // namespace

void resultNumber(sqlite3_context* ctx, sqlite3_value* v, const StorageType& t) {
    const int storage = sqlite3_value_type(v);
    if (storage == SQLITE_NULL) return sqlite3_result_null(ctx);
    if (storage == SQLITE_BLOB) return sqlite3_result_value(ctx, v);
    const bool text = storage == SQLITE_TEXT;
    switch (t.kind) {
        case Kind::TinyInt:
        case Kind::SmallInt:
        case Kind::Int:
        case Kind::BigInt: {
            if (!text) return resultWhole(ctx, v, t);
            const NumberText n = wholeText(utf8Of(v));
            if (n.outcome == Outcome::NotANumber) return resultError(ctx, notANumber(v, t));
            const auto [low, high] = rangeOf(t.kind);
            if (n.outcome == Outcome::Overflow || n.whole < low || n.whole > high)
                return resultError(ctx, textOverflow(v, t));
            return sqlite3_result_int64(ctx, n.whole);
        }
        case Kind::Bit: {
            if (!text) return sqlite3_result_int(ctx, sqlite3_value_double(v) != 0 ? 1 : 0);
            const QString word = textOf(v).trimmed();
            if (word.compare(u"TRUE", Qt::CaseInsensitive) == 0) return sqlite3_result_int(ctx, 1);
            if (word.compare(u"FALSE", Qt::CaseInsensitive) == 0)
                return sqlite3_result_int(ctx, 0);
            const NumberText n = wholeText(utf8Of(v));
            if (n.outcome == Outcome::NotANumber) return resultError(ctx, notANumber(v, t));
            return sqlite3_result_int(ctx, n.outcome == Outcome::Overflow || n.whole != 0);
        }
        case Kind::Numeric:
        case Kind::Money:
        case Kind::SmallMoney: {
            if (!text)
                return resultDecimal(ctx, sqlite3_value_double(v),
                                     storage == SQLITE_INTEGER ? "int" : "numeric", t);
            const NumberText n =
                t.kind == Kind::Numeric ? decimalText(utf8Of(v)) : moneyText(utf8Of(v));
            if (n.outcome == Outcome::NotANumber) return resultError(ctx, notANumber(v, t));
            if (t.kind == Kind::Numeric && n.whole > t.precision - t.scale)
                return resultError(ctx, textOverflow(v, t));
            return resultDecimal(ctx, n.value, "varchar", t);
        }
        case Kind::Float:
        case Kind::Real: {
            if (!text) return sqlite3_result_double(ctx, sqlite3_value_double(v));
            const NumberText n = floatText(utf8Of(v));
            if (n.outcome != Outcome::Number) return resultError(ctx, notANumber(v, t));
            return sqlite3_result_double(ctx, n.value);
        }
        case Kind::Text:
        case Kind::Unchecked:
            break;
    }
    sqlite3_result_value(ctx, v);
}

void storeFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    // A statement runs once for each row it writes, and SQLite keeps nothing of a function's
    // between runs: the few declared types a program writes into are read once and kept.
    struct Known {
        std::string declared;
        StorageType type;
    };
    thread_local std::vector<Known> known;
    const std::string_view declared = utf8Of(argv[0]);
    auto found = std::find_if(known.cbegin(), known.cend(),
                              [&](const Known& k) { return k.declared == declared; });
    if (found == known.cend()) {
        if (known.size() >= 64) known.clear();
        known.push_back({std::string(declared), storageType(textOf(argv[0]))});
        found = known.cend() - 1;
    }
    const StorageType type = found->type;
    sqlite3_value* v = argv[1];
    if (sqlite3_value_type(v) == SQLITE_NULL) return sqlite3_result_null(ctx);
    if (type.kind == Kind::Text) return resultText(ctx, v, type);
    if (type.isNumber()) return resultNumber(ctx, v, type);
    sqlite3_result_value(ctx, v);
}

}  // namespace tsql
