#pragma once

#include <QDateTime>
#include <QString>
#include <QStringView>

#include <optional>

// The embedded engine's date-times: wall-clock readings (vb::wallClock), kept as SQL Server's
// datetime keeps them.
namespace tsql {

// SQL Server's datetime counts time in three-hundredths of a second: the reading rounded to
// that (.998 gives .997, .999 the next second).
QDateTime datetimePrecision(const QDateTime& reading);

// A text in a shape SQL Server takes for a datetime, read as one (to its precision): ISO with
// or without separators ("2026-03-29", "20260329 10:30", "2026-03-29T10:30:15.997", any
// fraction), day first as the program writes dates ("29/03/2026 10:30"), or a time alone
// (readTimeAlone). Nothing otherwise.
std::optional<QDateTime> readDateTime(QStringView text);
// The same for UTF-8 text, as the engine stores it; the stored form is read without a copy.
std::optional<QDateTime> readDateTime(const char* utf8, int length);
// A text in the same shapes read as SQL Server reads a datetime2 from it: to the millisecond,
// a longer fraction cut, and not rounded to a datetime's precision.
std::optional<QDateTime> readDateTime2(QStringView text);

// A time of day as SQL Server reads one: "hh:mi[:ss[.f]]" (a fraction of a second after a
// point, thousandths after a colon), optionally with AM or PM, or an hour with AM or PM alone
// ("4 PM"). Nothing otherwise.
std::optional<QTime> timeOfDay(QStringView text);
// A time alone read as a datetime holds it: on SQL Server's day zero, 1900-01-01.
std::optional<QDateTime> readTimeAlone(QStringView text);

// A whole number stored in a date column: SQLite's affinity makes one of a date written
// without separators ("20260329"), which is read as that date. Nothing for any other number.
std::optional<QDateTime> readCompactDate(long long number);

// The one stored form of a date-time: "yyyy-MM-dd HH:mm:ss", with ".zzz" when the
// milliseconds are not zero, so that equal readings are equal texts and texts sort in time
// order.
QString storedText(const QDateTime& reading);

}  // namespace tsql
