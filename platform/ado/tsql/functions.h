#pragma once

struct sqlite3;

namespace tsql {

// Registers on `db` what translated text calls for:
// - the collation SSCI: tsql::compareText, SQL Server's default comparison of text;
// - len(x): characters of x without its trailing blanks; getdate(): the clock's local date-time
//   as "YYYY-MM-DD HH:MM:SS"; charindex(needle, text[, start]); fn_solo_fecha(x): the date
//   part "YYYY-MM-DD"; tsql_convert('type', x[, style]) for CONVERT (date styles 23, 101-105,
//   108, 111, 112, 120, 121, 126; any other is an error naming it); tsql_datetime(x): x in the
//   one stored form of a date-time; tsql_dateadd(d, n), tsql_datesub(d, n): d plus or minus
//   n days;
// - like(pattern, text[, escape]) with SQL Server's wildcards (% _ [a-z] [^a]) and case folded
//   for every letter.
// Returns SQLite's result code (SQLITE_OK when all went in).
int registerFunctions(sqlite3* db);

}  // namespace tsql
