#pragma once

#include "platform/vb/variant.h"

#include <QLocale>

#include <optional>

// VB's conversion functions with VB's semantics. Number and date texts follow the program's
// locale (injected; the system's by default).
namespace vb {

const QLocale& locale();
void setLocale(const QLocale& locale);

// Val: the leading number of a text, always with "." as decimal point ("12abc" gives 12,
// " 1 2" gives 12, "&H1F" gives 31); 0 when there is none.
double Val(const QString& text);

// Raise Invalid use of Null (94) on Null and Type mismatch (13) on texts that do not convert.
QString CStr(const Variant& v);
double CDbl(const Variant& v);
Currency CCur(const Variant& v);
// Banker's rounding; Overflow (6) outside 32 / 16 bits.
std::int32_t CLng(const Variant& v);
std::int16_t CInt(const Variant& v);
bool CBool(const Variant& v);
DateTime CDate(const Variant& v);

bool IsNumeric(const Variant& v);
bool IsDate(const Variant& v);

// The date text CDate and IsDate take, blanks around it allowed: in the grammars of
// vb::dates, Iso ("2026-03-29 10:30:15.5"), DayFirst ("29/03/26 10:30"), LooseIso
// ("2026-3-29 9:05") or VbTimeOfDay ("10:30", on 30/12/1899), the first that reads it.
// Impossible dates ("31/02/2024") give nothing.
std::optional<DateTime> parseDate(const QString& text);

// VB's zero date (30/12/1899 00:00), the date part of a time-only value.
DateTime zeroDate();

// Format(value, mask): number masks with 0 # . , and literals (";"-separated sections for
// positive, negative and zero), date masks (d dd ddd dddd m mm mmm mmmm yy yyyy h hh n nn
// s ss; m right after h is minutes) and the named formats "General Number", "Fixed",
// "Standard", "Percent", "Short Date", "Long Date", "Short Time", "Long Time",
// "General Date". "." and "," in a number mask stand for the locale's separators. Null gives
// "", an empty mask gives CStr.
QString Format(const Variant& value, const QString& mask = {});

}  // namespace vb
