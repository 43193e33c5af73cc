#pragma once

struct sqlite3;

namespace tsql {

// Registers on `db` what translated text calls for:
// - the collation SSCI: tsql::compareText, SQL Server's default comparison of text;
// - len(x): characters of x without its trailing blanks; getdate(): the clock's local date-time
//   as "YYYY-MM-DD HH:MM:SS"; charindex(needle, text[, start]); fn_solo_fecha(x): the date
//   part "YYYY-MM-DD"; tsql_convert('type', x[, style]) for CONVERT and CAST (date styles 23,
//   101-105, 108, 111, 112, 120, 121, 126, into text and into datetime, a time after the date;
//   any other is an error naming it; a date-time into a number counts days from 1900-01-01, a
//   whole number rounded to the nearest day); tsql_datetime(x): x in the one stored form of a
//   date-time, rounded as datetime is; tsql_datevalue(x): a date x as the date functions read
//   it (a date SQLite keeps as the number 20260329 is that date); tsql_reading(x): a date that
//   is not a value of the statement, in the stored form, Null for a text that reads as none;
//   tsql_dateadd(d, n),
//   tsql_datesub(d, n): d plus or minus n days; tsql_store('type', x): x as a column of that
//   declared type takes it (tsql::storeFunction), what the translator writes into every column but
//   a date's;
// - dateadd('part', n, d), datediff('part', a, b), datepart('part', d), year(d), month(d),
//   day(d) with SQL Server's date parts and their abbreviations (the translator quotes the
//   part); weeks and week days counted from Sunday; a last argument the translator adds marks
//   the dates given as texts (bit 0 the first date), read as datetime2, without datetime's
//   rounding;
// - tsql_lowkey(x), tsql_nextdaykey(x), tsql_ceildaykey(x), tsql_datecmp(c, x): what the
//   translator compares a date column with, so that the column's index serves every ISO shape
//   of a stored date-time;
// - tsql_sortkey(x): what the translator orders a date by (Null first, then the readings in
//   the order of time, then what reads as no date-time); the aggregates tsql_maxdate(x) and
//   tsql_mindate(x): MAX and MIN of a date in that order, a date-time in the stored form;
//   tsql_readingorder('table', 'column') (readingorder.h): whether the column's own order is
//   already that;
// - like(pattern, text[, escape]) with SQL Server's wildcards (% _ [a-z] [^a]), case folded for
//   every letter, ranges in the collation's order of text, the text's trailing blanks ignored.
// Returns SQLite's result code (SQLITE_OK when all went in).
int registerFunctions(sqlite3* db);

}  // namespace tsql
