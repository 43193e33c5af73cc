#include "platform/ado/tsql/functions.h"

#include "platform/ado/tsql/collation.h"
#include "platform/ado/tsql/datetime.h"
#include "platform/ado/tsql/readingorder.h"
#include "platform/ado/tsql/storage.h"
#include "platform/ui/operator.h"
#include "platform/vb/conversions.h"

#include <QByteArray>
#include <QString>

#include <sqlite3.h>

#include <cmath>
#include <limits>
#include <optional>

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

// A value as a date column holds it: a text in a shape SQL Server reads as a datetime, or the
// number SQLite made of one without separators.
std::optional<vb::DateTime> dateOf(sqlite3_value* v) {
    if (sqlite3_value_type(v) == SQLITE_INTEGER) return readCompactDate(sqlite3_value_int64(v));
    if (sqlite3_value_type(v) != SQLITE_TEXT) return std::nullopt;
    return readDateTime(reinterpret_cast<const char*>(sqlite3_value_text(v)),
                        sqlite3_value_bytes(v));
}

// SQL Server's day zero: a number converted to a date-time counts days from it.
const vb::DateTime dayZero = vb::wallClock(QDate(1900, 1, 1));

// The years a datetime holds.
bool inDatetimeRange(const vb::DateTime& d) {
    return d.isValid() && d.date().year() >= 1753 && d.date().year() <= 9999;
}

// d plus a number of days; nothing when that leaves the years a datetime holds.
std::optional<vb::DateTime> plusDays(const vb::DateTime& d, double days) {
    const double ms = std::round(days * 86400000.0);
    // Past ±10,000 years the sum cannot be a datetime, and the cast below would overflow.
    if (!std::isfinite(ms) || std::fabs(ms) > 3.2e14) return std::nullopt;
    const vb::DateTime out = datetimePrecision(d.addMSecs(static_cast<qint64>(ms)));
    if (!inDatetimeRange(out)) return std::nullopt;
    return out;
}

// A value converted to a date-time as SQL Server converts to datetime: a number counts days
// from 1900-01-01, an empty text is that day. Nothing for a text that spells no date-time or a
// number past the years a datetime holds (notADate says which).
std::optional<vb::DateTime> toDateTime(sqlite3_value* v) {
    switch (sqlite3_value_type(v)) {
        case SQLITE_INTEGER:
        case SQLITE_FLOAT:
            return plusDays(dayZero, sqlite3_value_double(v));
        case SQLITE_TEXT: {
            const QString text = textArg(v);
            if (text.trimmed().isEmpty()) return dayZero;
            return readDateTime(text);
        }
        default:
            return std::nullopt;
    }
}

// A date argument of DATEDIFF, DATEPART and the like: a text given there as it is (`literal`,
// as the translator marks it) is read as SQL Server reads one there, into a datetime2, so not
// rounded to a datetime's precision; any other value as toDateTime converts it.
std::optional<vb::DateTime> dateArgument(sqlite3_value* v, bool literal) {
    if (!literal || sqlite3_value_type(v) != SQLITE_TEXT) return toDateTime(v);
    const QString text = textArg(v);
    if (text.trimmed().isEmpty()) return dayZero;
    return readDateTime2(text);
}

// Which date arguments the translator marked as texts given as they are: bit 0 the first.
int literalArguments(int argc, sqlite3_value** argv, int marks) {
    return argc > marks ? sqlite3_value_int(argv[marks]) : 0;
}

// A text that holds a date-time and no number, as the days from day zero it stands for (a
// fraction is part of a day), as SQL Server converts a datetime to a number.
std::optional<double> daysOf(sqlite3_value* v) {
    if (sqlite3_value_type(v) != SQLITE_TEXT) return std::nullopt;
    bool number = false;
    textArg(v).trimmed().toDouble(&number);
    if (number) return std::nullopt;
    const auto date = dateOf(v);
    if (!date) return std::nullopt;
    return dayZero.msecsTo(*date) / 86400000.0;
}

const QString kNoDate =
    QStringLiteral("Conversion failed when converting date and/or time from character string.");
const QString kDatetimeOverflow =
    QStringLiteral("Arithmetic overflow error converting expression to data type datetime.");

// Why toDateTime made nothing of v: a number is past the years of a datetime, a text is none.
const QString& notADate(sqlite3_value* v) {
    const int type = sqlite3_value_type(v);
    return type == SQLITE_INTEGER || type == SQLITE_FLOAT ? kDatetimeOverflow : kNoDate;
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

// tsql_datetime(x): x as a stored date-time; the translator wraps with it every value written
// into, or compared with, a date column, so equality, ranges and order hold whatever shape the
// value was written in.
void datetimeFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    const auto date = toDateTime(argv[0]);
    if (!date) return resultError(ctx, notADate(argv[0]));
    resultText(ctx, storedText(*date));
}

// tsql_datevalue(x): a date-time x as the date functions read it. SQLite keeps a date another
// program wrote without separators as the number 20260329, which they would count as days:
// that number is the date it spells, in the stored form; anything else is as it is.
void datevalueFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_INTEGER) {
        if (const auto date = readCompactDate(sqlite3_value_int64(argv[0])))
            return resultText(ctx, storedText(*date));
    }
    sqlite3_result_value(ctx, argv[0]);
}

// tsql_reading(x): the reading of a date that is not written in the statement (another column,
// a subquery, an expression), in the stored form: a date-time as the column holds it, or a
// number as SQL Server converts one; Null, never an error, for a text that reads as none, so
// that it compares with nothing, as a stored text that reads as no date does.
void readingFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (const auto date = dateOf(argv[0])) return resultText(ctx, storedText(*date));
    const int type = sqlite3_value_type(argv[0]);
    if (type == SQLITE_NULL || type == SQLITE_BLOB) return sqlite3_result_null(ctx);
    if (const auto date = toDateTime(argv[0])) return resultText(ctx, storedText(*date));
    sqlite3_result_null(ctx);
}

// tsql_dateadd(d, n) and tsql_datesub(d, n): d plus or minus n days (a fraction is part of a
// day), as SQL Server's "+" and "-" on a datetime. A date less a date is the difference
// counted from day zero.
void dateArithmetic(sqlite3_context* ctx, sqlite3_value** argv, int sign) {
    if (anyNull(2, argv)) return sqlite3_result_null(ctx);
    const auto date = toDateTime(argv[0]);
    if (!date) return resultError(ctx, notADate(argv[0]));
    const int type = sqlite3_value_type(argv[1]);
    double days = 0;
    if (type == SQLITE_INTEGER || type == SQLITE_FLOAT) {
        days = sqlite3_value_double(argv[1]);
    } else {
        const auto other = toDateTime(argv[1]);
        if (!other) return resultError(ctx, notADate(argv[1]));
        days = dayZero.msecsTo(*other) / 86400000.0;
    }
    const auto out = plusDays(*date, sign * days);
    if (!out) return resultError(ctx, kDatetimeOverflow);
    resultText(ctx, storedText(*out));
}

void dateaddFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    dateArithmetic(ctx, argv, 1);
}

void datesubFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    dateArithmetic(ctx, argv, -1);
}

// ---- DATEADD, DATEDIFF, DATEPART ----------------------------------------------------------

enum class Part { Year, Quarter, Month, DayOfYear, Day, Week, Weekday, Hour, Minute, Second, Ms };

// SQL Server's date parts by their names and abbreviations.
std::optional<Part> datePart(const QString& name) {
    static const struct {
        const char16_t* name;
        Part part;
    } parts[] = {
        {u"year", Part::Year},       {u"yy", Part::Year},
        {u"yyyy", Part::Year},       {u"quarter", Part::Quarter},
        {u"qq", Part::Quarter},      {u"q", Part::Quarter},
        {u"month", Part::Month},     {u"mm", Part::Month},
        {u"m", Part::Month},         {u"dayofyear", Part::DayOfYear},
        {u"dy", Part::DayOfYear},    {u"y", Part::DayOfYear},
        {u"day", Part::Day},         {u"dd", Part::Day},
        {u"d", Part::Day},           {u"week", Part::Week},
        {u"wk", Part::Week},         {u"ww", Part::Week},
        {u"weekday", Part::Weekday}, {u"dw", Part::Weekday},
        {u"w", Part::Weekday},       {u"hour", Part::Hour},
        {u"hh", Part::Hour},         {u"minute", Part::Minute},
        {u"mi", Part::Minute},       {u"n", Part::Minute},
        {u"second", Part::Second},   {u"ss", Part::Second},
        {u"s", Part::Second},        {u"millisecond", Part::Ms},
        {u"ms", Part::Ms},
    };
    const QString wanted = name.trimmed();
    for (const auto& p : parts) {
        if (wanted.compare(QStringView(p.name), Qt::CaseInsensitive) == 0) return p.part;
    }
    return std::nullopt;
}

QString unknownPart(const QString& name, const char* function) {
    return QStringLiteral("'%1' is not a recognized %2 option.")
        .arg(name.trimmed(), QLatin1String(function));
}

// Weeks counted from Sunday, as DATEDIFF counts them whatever the first day of the week.
qint64 weekNumber(const QDate& d) {
    return static_cast<qint64>(std::floor((d.toJulianDay() + 1) / 7.0));
}

const QString kDateOverflow =
    QStringLiteral("Adding a value to a 'datetime' column caused an overflow.");

// DATEADD(part, number, date): the number is cut to a whole one; months and years that land
// past the end of a month land on its last day.
void dateaddPartFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    const auto part = datePart(textArg(argv[0]));
    if (!part) return resultError(ctx, unknownPart(textArg(argv[0]), "dateadd"));
    if (anyNull(2, argv + 1)) return sqlite3_result_null(ctx);
    const auto date = toDateTime(argv[2]);
    if (!date) return resultError(ctx, notADate(argv[2]));
    const double number = std::trunc(sqlite3_value_double(argv[1]));
    if (number < std::numeric_limits<std::int32_t>::min() ||
        number > std::numeric_limits<std::int32_t>::max())
        return resultError(
            ctx,
            QStringLiteral("Arithmetic overflow error converting expression to data type int."));
    const int n = static_cast<int>(number);
    vb::DateTime out;
    switch (*part) {
        case Part::Year:
            out = vb::wallClock(date->date().addYears(n), date->time());
            break;
        case Part::Quarter:
            out = vb::wallClock(date->date().addMonths(3 * n), date->time());
            break;
        case Part::Month:
            out = vb::wallClock(date->date().addMonths(n), date->time());
            break;
        case Part::DayOfYear:
        case Part::Day:
        case Part::Weekday:
            out = date->addDays(n);
            break;
        case Part::Week:
            out = date->addDays(7LL * n);
            break;
        case Part::Hour:
            out = date->addMSecs(3600000LL * n);
            break;
        case Part::Minute:
            out = date->addMSecs(60000LL * n);
            break;
        case Part::Second:
            out = date->addMSecs(1000LL * n);
            break;
        case Part::Ms:
            out = date->addMSecs(n);
            break;
    }
    out = datetimePrecision(out);
    if (!inDatetimeRange(out)) return resultError(ctx, kDateOverflow);
    resultText(ctx, storedText(out));
}

// DATEDIFF(part, start, end): the boundaries of that part crossed going from start to end.
void datediffFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    const auto part = datePart(textArg(argv[0]));
    if (!part) return resultError(ctx, unknownPart(textArg(argv[0]), "datediff"));
    if (anyNull(2, argv + 1)) return sqlite3_result_null(ctx);
    const int literals = literalArguments(argc, argv, 3);
    const auto a = dateArgument(argv[1], literals & 1);
    const auto b = dateArgument(argv[2], literals & 2);
    if (!a) return resultError(ctx, notADate(argv[1]));
    if (!b) return resultError(ctx, notADate(argv[2]));
    const QDate da = a->date(), db = b->date();
    const qint64 days = da.daysTo(db);
    const qint64 ms =
        days * 86400000 + b->time().msecsSinceStartOfDay() - a->time().msecsSinceStartOfDay();
    qint64 n = 0;
    switch (*part) {
        case Part::Year:
            n = db.year() - da.year();
            break;
        case Part::Quarter:
            n = (db.year() * 4 + (db.month() - 1) / 3) - (da.year() * 4 + (da.month() - 1) / 3);
            break;
        case Part::Month:
            n = (db.year() * 12 + db.month()) - (da.year() * 12 + da.month());
            break;
        case Part::DayOfYear:
        case Part::Day:
        case Part::Weekday:
            n = days;
            break;
        case Part::Week:
            n = weekNumber(db) - weekNumber(da);
            break;
        case Part::Hour:
            n = days * 24 + b->time().hour() - a->time().hour();
            break;
        case Part::Minute:
            n = (days * 24 + b->time().hour() - a->time().hour()) * 60 + b->time().minute() -
                a->time().minute();
            break;
        case Part::Second:
            n = days * 86400 + b->time().msecsSinceStartOfDay() / 1000 -
                a->time().msecsSinceStartOfDay() / 1000;
            break;
        case Part::Ms:
            n = ms;
            break;
    }
    if (n < std::numeric_limits<std::int32_t>::min() ||
        n > std::numeric_limits<std::int32_t>::max())
        return resultError(
            ctx, QStringLiteral("The datediff function resulted in an overflow. The number "
                                "of dateparts separating two date/time instances is too "
                                "large. Try to use datediff with a less precise datepart."));
    sqlite3_result_int64(ctx, n);
}

// The value of one part of a date, weeks and week days counted from Sunday (SQL Server's
// default first day of the week).
qint64 partOf(Part part, const vb::DateTime& d) {
    const QDate day = d.date();
    const QTime t = d.time();
    switch (part) {
        case Part::Year:
            return day.year();
        case Part::Quarter:
            return (day.month() - 1) / 3 + 1;
        case Part::Month:
            return day.month();
        case Part::DayOfYear:
            return day.dayOfYear();
        case Part::Day:
            return day.day();
        case Part::Week:
            return weekNumber(day) - weekNumber(QDate(day.year(), 1, 1)) + 1;
        case Part::Weekday:
            return day.dayOfWeek() % 7 + 1;
        case Part::Hour:
            return t.hour();
        case Part::Minute:
            return t.minute();
        case Part::Second:
            return t.second();
        case Part::Ms:
            return t.msec();
    }
    return 0;
}

void datepartFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    const auto part = datePart(textArg(argv[0]));
    if (!part) return resultError(ctx, unknownPart(textArg(argv[0]), "datepart"));
    if (sqlite3_value_type(argv[1]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    const auto date = dateArgument(argv[1], literalArguments(argc, argv, 2) & 1);
    if (!date) return resultError(ctx, notADate(argv[1]));
    sqlite3_result_int64(ctx, partOf(*part, *date));
}

// YEAR(d), MONTH(d), DAY(d): DATEPART of that part.
template <Part P>
void partFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    const auto date = dateArgument(argv[0], literalArguments(argc, argv, 1) & 1);
    if (!date) return resultError(ctx, notADate(argv[0]));
    sqlite3_result_int64(ctx, partOf(P, *date));
}

// ---- comparisons with a date column -------------------------------------------------------

// The translator compares a date column c with a value x on the column's index: stored texts
// of the ISO shapes ("2026-03-29", "2026-03-29 00:00", "2026-03-29T10:30:15.5", the stored
// form) sort by their day whatever their shape, so the texts that may read as x's day lie
// between the low key of that day and the key "yyyy-MM-dd" of the next; only those rows need
// their reading compared with x's (tsql_datecmp).

// tsql_lowkey(x), tsql_nextdaykey(x), tsql_ceildaykey(x): the lowest text that may read as x's
// day (the day before from "23:59:59.998", which datetime rounds up to midnight; its texts
// with a "T" sort there too), the key of the next day, and the key of the first day that
// starts at or after x.
template <int Which>
void daykeyFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    const auto date = toDateTime(argv[0]);
    if (!date) return resultError(ctx, notADate(argv[0]));
    if (Which == 0)
        return resultText(
            ctx, date->date().addDays(-1).toString(isoDate) + QStringLiteral(" 23:59:59.998"));
    const bool next = Which == 1 || date->time() != QTime(0, 0);
    const QDate day = next ? date->date().addDays(1) : date->date();
    // The day after the last a datetime holds is none: its key only has to sort after every
    // text of that last day, as "10000-01-01" does not.
    resultText(ctx, day.year() > 9999 ? QStringLiteral("9999-12-32") : day.toString(isoDate));
}

// tsql_datecmp(c, x): -1, 0 or 1 as c's reading is before, at or after x's; Null when c holds
// no date-time.
void datecmpFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (anyNull(2, argv)) return sqlite3_result_null(ctx);
    const auto stored = dateOf(argv[0]);
    const auto value = toDateTime(argv[1]);
    if (!value) return resultError(ctx, notADate(argv[1]));
    if (!stored) return sqlite3_result_null(ctx);
    sqlite3_result_int(ctx, *stored < *value ? -1 : (*value < *stored ? 1 : 0));
}

// Where a date sorts: a date-time's reading as a number, in the order of time; any other
// value (a text that reads as no date, in the collation's order of text) after every number,
// and a blob after every text.
struct SortKey {
    enum class Kind { Reading, Text, Blob };
    Kind kind = Kind::Reading;
    qint64 reading = 0;
    QByteArray bytes;  // of a text or a blob

    static SortKey of(sqlite3_value* v) {
        if (const auto date = dateOf(v)) return {Kind::Reading, date->toMSecsSinceEpoch(), {}};
        const bool blob = sqlite3_value_type(v) == SQLITE_BLOB;
        const auto* p = static_cast<const char*>(
            blob ? sqlite3_value_blob(v) : static_cast<const void*>(sqlite3_value_text(v)));
        return {blob ? Kind::Blob : Kind::Text, 0, QByteArray(p, sqlite3_value_bytes(v))};
    }
    // -1, 0 or 1 as this sorts before, with or after `o`.
    int compare(const SortKey& o) const {
        if (kind != o.kind) return kind < o.kind ? -1 : 1;
        switch (kind) {
            case Kind::Reading:
                return reading < o.reading ? -1 : (o.reading < reading ? 1 : 0);
            case Kind::Text:
                return compareTextUtf8(bytes.constData(), int(bytes.size()), o.bytes.constData(),
                                       int(o.bytes.size()));
            case Kind::Blob:
                break;
        }
        return bytes < o.bytes ? -1 : (o.bytes < bytes ? 1 : 0);
    }
};

// tsql_sortkey(x): what the translator orders a date by, Null first: its SortKey, which SQLite
// orders (texts in the collation SSCI) as SortKey::compare does.
void sortkeyFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    const SortKey key = SortKey::of(argv[0]);
    switch (key.kind) {
        case SortKey::Kind::Reading:
            return sqlite3_result_int64(ctx, key.reading);
        case SortKey::Kind::Text:
            return sqlite3_result_text(ctx, key.bytes.constData(), int(key.bytes.size()),
                                       SQLITE_TRANSIENT);
        case SortKey::Kind::Blob:
            break;
    }
    sqlite3_result_blob(ctx, key.bytes.constData(), int(key.bytes.size()), SQLITE_TRANSIENT);
}

// tsql_maxdate(x) and tsql_mindate(x): MAX and MIN of a date, the value that sorts last or
// first as ORDER BY the date sorts it (SortKey), Nulls left out. A date-time comes back in
// the stored form, so that it compares with other dates; any other value as it is.
struct Extreme {
    SortKey key;
    QByteArray value;  // the value's text, or its bytes when a blob
    bool blob = false;
};

template <int Sign>
void extremeStep(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return;
    auto** state = static_cast<Extreme**>(sqlite3_aggregate_context(ctx, sizeof(Extreme*)));
    if (!state) return sqlite3_result_error_nomem(ctx);
    SortKey key = SortKey::of(argv[0]);
    if (*state && key.compare((*state)->key) * Sign <= 0) return;
    if (!*state) *state = new Extreme;
    Extreme& e = **state;
    e.blob = key.kind == SortKey::Kind::Blob;
    e.value = key.kind == SortKey::Kind::Reading
                  ? storedText(vb::DateTime::fromMSecsSinceEpoch(key.reading)).toUtf8()
                  : key.bytes;
    e.key = std::move(key);
}

void extremeFinal(sqlite3_context* ctx) {
    auto** state = static_cast<Extreme**>(sqlite3_aggregate_context(ctx, 0));
    if (!state || !*state) return sqlite3_result_null(ctx);
    const Extreme& e = **state;
    if (e.blob)
        sqlite3_result_blob(ctx, e.value.constData(), int(e.value.size()), SQLITE_TRANSIENT);
    else
        sqlite3_result_text(ctx, e.value.constData(), int(e.value.size()), SQLITE_TRANSIENT);
    delete *state;
    *state = nullptr;
}

// The text of a date-time in one of CONVERT's styles; nothing for a style we do not write.
std::optional<QString> dateInStyle(const vb::DateTime& d, int style) {
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

    if (const StorageType number = storageType(type); number.isNumber()) {
        // A date-time counts days from day zero, and a whole number rounds to the nearest day.
        if (const auto days = daysOf(value)) {
            switch (number.kind) {
                case StorageType::Kind::Numeric:
                case StorageType::Kind::Money:
                case StorageType::Kind::SmallMoney:
                case StorageType::Kind::Float:
                case StorageType::Kind::Real:
                    return sqlite3_result_double(ctx, *days);
                case StorageType::Kind::Bit:
                    return sqlite3_result_int(ctx, std::llround(*days) != 0);
                default:
                    return sqlite3_result_int64(ctx, std::llround(*days));
            }
        }
        return resultNumber(ctx, value, number);
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
        std::optional<vb::DateTime> date;
        if (argc > 2 && style != 0 && valueType == SQLITE_TEXT) {
            if (!dateInStyle(vb::DateTime(), style))
                return resultError(
                    ctx, styleNotSupported(style, QStringLiteral("varchar"), base.toLower()));
            date = readInStyle(textArg(value), style);
        } else {
            date = toDateTime(value);
        }
        if (!date) return resultError(ctx, notADate(value));
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
                        // A range holds the characters between its ends in the order of text.
                        const QStringView c = s.mid(si, 1);
                        in = in || (compareText(p.mid(k, 1), c) <= 0 &&
                                    compareText(c, p.mid(k + 2, 1)) <= 0);
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
    // Blanks at the end of the value are ignored, those of the pattern are not.
    QStringView trimmed(text);
    while (trimmed.endsWith(u' ')) trimmed.chop(1);
    const bool matches = likeMatch(pattern, text, escape) ||
                         (trimmed.size() < text.size() && likeMatch(pattern, trimmed, escape));
    sqlite3_result_int(ctx, matches ? 1 : 0);
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
        {"tsql_datevalue", 1, pure, datevalueFunction},
        {"tsql_reading", 1, pure, readingFunction},
        {"tsql_dateadd", 2, pure, dateaddFunction},
        {"tsql_datesub", 2, pure, datesubFunction},
        {"dateadd", 3, pure, dateaddPartFunction},
        {"datediff", 3, pure, datediffFunction},
        {"datediff", 4, pure, datediffFunction},
        {"datepart", 2, pure, datepartFunction},
        {"datepart", 3, pure, datepartFunction},
        {"year", 1, pure, partFunction<Part::Year>},
        {"year", 2, pure, partFunction<Part::Year>},
        {"month", 1, pure, partFunction<Part::Month>},
        {"month", 2, pure, partFunction<Part::Month>},
        {"day", 1, pure, partFunction<Part::Day>},
        {"day", 2, pure, partFunction<Part::Day>},
        {"tsql_lowkey", 1, pure, daykeyFunction<0>},
        {"tsql_nextdaykey", 1, pure, daykeyFunction<1>},
        {"tsql_ceildaykey", 1, pure, daykeyFunction<2>},
        {"tsql_datecmp", 2, pure, datecmpFunction},
        {"tsql_sortkey", 1, pure, sortkeyFunction},
        {"tsql_convert", 2, pure, convertFunction},
        {"tsql_convert", 3, pure, convertFunction},
        {"tsql_store", 2, pure, storeFunction},
        {"like", 2, pure, likeFunction},
        {"like", 3, pure, likeFunction},
    };
    int rc = sqlite3_create_collation_v2(db, "SSCI", SQLITE_UTF8, nullptr, compareSsci, nullptr);
    for (const Entry& e : entries) {
        if (rc != SQLITE_OK) break;
        rc = sqlite3_create_function_v2(db, e.name, e.args, e.flags, nullptr, e.fn, nullptr,
                                        nullptr, nullptr);
    }
    const Entry aggregates[] = {
        {"tsql_maxdate", 1, pure, extremeStep<1>},
        {"tsql_mindate", 1, pure, extremeStep<-1>},
    };
    for (const Entry& e : aggregates) {
        if (rc != SQLITE_OK) break;
        rc = sqlite3_create_function_v2(db, e.name, e.args, e.flags, nullptr, nullptr, e.fn,
                                        extremeFinal, nullptr);
    }
    if (rc == SQLITE_OK) rc = registerReadingOrder(db);
    return rc;
}

}  // namespace tsql
