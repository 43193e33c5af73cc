#pragma once

#include "platform/vb/datetime.h"

#include <QStringView>

#include <optional>
#include <span>

// The shapes of date text that the program and its database read, each a grammar with a name,
// so that every reader lists the ones it takes and the order it tries them in. A grammar reads
// a text to the millisecond; it gives nothing for a text not of its shape or naming a date or
// a time that does not exist ("31/02/2024", "25:00").
namespace vb::dates {

enum class Grammar {
    // "yyyy-mm-dd", "yyyy-mm-dd hh:mm" or "yyyy-mm-dd hh:mm:ss[.f…]", with " " or "T": the
    // shapes a database writes. A fraction of a second rounds to the millisecond.
    Iso,
    // ISO as SQL Server reads it for a datetime: also without the date's separators
    // ("20260329 10:30"), with hours of one digit.
    SqlServerIso,
    // "yyyy-m-d[ h:mm[:ss]]" (also with "T"): months, days and hours of one or two digits. A
    // fraction of a second is passed over: the reading keeps whole seconds.
    LooseIso,
    // "d/m/yy" or "d/m/yyyy" (also with "-" or "."), optionally followed, after blanks, by
    // "h:m" or "h:m:s"; two-digit years 00-29 are 20xx, 30-99 19xx.
    DayFirst,
    // DayFirst's date without a time.
    DayFirstDate,
    // "h:m" or "h:m:s" alone, on VB's day zero (30/12/1899).
    VbTimeOfDay,
    // A time as SQL Server reads one, on its day zero (1900-01-01): "hh:mi[:ss[.f]]" (a
    // fraction after a point, thousandths after a colon), optionally with AM or PM, or an hour
    // with AM or PM alone ("4 PM").
    SqlServerTimeOfDay,
    // CONVERT's numeric styles: day, month and year in that order with that separator, the
    // year of four digits, then optionally a blank and a SQL Server time of day.
    MonthDayYearSlash,  // 101
    YearMonthDayDot,    // 102
    DayMonthYearSlash,  // 103
    DayMonthYearDot,    // 104
    DayMonthYearDash,   // 105
    YearMonthDaySlash,  // 111
};

// The text, exactly as it is, read by one grammar.
std::optional<DateTime> read(Grammar grammar, QStringView text);
// The text without the blanks around it, read by the first of the grammars that reads it.
std::optional<DateTime> read(std::span<const Grammar> grammars, QStringView text);

// Iso on Latin-1 or UTF-8 bytes, without a copy: for values read by the thousand.
std::optional<DateTime> readIso(const char* text, int length);

}  // namespace vb::dates
