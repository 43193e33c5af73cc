#pragma once

struct sqlite3;

namespace tsql {

// Registers on `db` what translated text calls for:
// - the collation SSCI: SQL Server's default comparison of text: without regard to case (for
//   every letter, Ñ and ñ included), accents kept apart, trailing blanks ignored;
// - len(x): characters of x without its trailing blanks; getdate(): the clock's local date-time
//   as "YYYY-MM-DD HH:MM:SS"; charindex(needle, text[, start]); fn_solo_fecha(x): the date
//   part "YYYY-MM-DD"; tsql_convert('type', x[, style]) for CONVERT (style 103: dd/mm/yyyy);
// - like(pattern, text[, escape]) with SQL Server's wildcards (% _ [a-z] [^a]) and case folded
//   for every letter.
// Returns SQLite's result code (SQLITE_OK when all went in).
int registerFunctions(sqlite3* db);

}  // namespace tsql
