#pragma once

#include "platform/vb/datetime.h"

#include <QString>
#include <QStringView>

#include <optional>

// The embedded engine's date-times: wall-clock readings, kept as SQL Server's datetime keeps
// them.
namespace tsql {

// SQL Server's datetime counts time in three-hundredths of a second: the reading rounded to
// that (.998 gives .997, .999 the next second).
vb::DateTime datetimePrecision(const vb::DateTime& reading);

// A text in a shape SQL Server takes for a datetime, read as one (to its precision), blanks
// around it allowed: in the grammars of vb::dates, the first of Iso, SqlServerIso ("20260329
// 10:30", any fraction), SqlServerTimeOfDay ("4 PM", on 1900-01-01), DayFirst as the program
// writes dates ("29/03/2026 10:30") and LooseIso ("2026-3-29") that reads it. Nothing
// otherwise.
std::optional<vb::DateTime> readDateTime(QStringView text);
// The same for UTF-8 text, as the engine stores it; the stored form is read without a copy.
std::optional<vb::DateTime> readDateTime(const char* utf8, int length);
// A text in the same grammars read as SQL Server reads a datetime2 from it: to the
// millisecond, a longer fraction cut, and not rounded to a datetime's precision.
std::optional<vb::DateTime> readDateTime2(QStringView text);

// A text in one of CONVERT's styles read as a datetime (to its precision): 108 a
// SqlServerTimeOfDay; 101, 102, 103, 104, 105 and 111 the style's numeric date
// (vb::dates::MonthDayYearSlash and the others), optionally with a time; 23, 112, 120, 121
// and 126 as readDateTime reads. Nothing for a text not of the style or for another style.
std::optional<vb::DateTime> readInStyle(QStringView text, int style);

// A whole number stored in a date column: SQLite's affinity makes one of a date written
// without separators ("20260329"), which is read as that date. Nothing for any other number.
std::optional<vb::DateTime> readCompactDate(long long number);

// The one stored form of a date-time: "yyyy-MM-dd HH:mm:ss", with ".zzz" when the
// milliseconds are not zero, so that equal readings are equal texts and texts sort in time
// order.
QString storedText(const vb::DateTime& reading);

}  // namespace tsql
