#pragma once

#include "platform/ado/tsql/parsed.h"

// The passes that rewrite a parsed statement into SQLite's text, each a function of its own,
// in the order the translator runs them (translator.cpp): each reads what those before it
// wrote. The date-times' are in daterewrites.cpp, the table definitions' in
// tabledefinitions.cpp, the rest in translator.cpp. Internal to the translator.
namespace tsql {

// Each "?" becomes "?N", its place among the statement's parameters, so a rewrite may use
// a parameter twice and still bind one value.
void numberParameters(ParsedStatement& s);

// N'text' is a plain literal; dbo. names the only schema there is.
void dropPrefixes(ParsedStatement& s);

// IF [NOT] EXISTS (q) INSERT ... becomes one guarded INSERT ... SELECT ... WHERE [NOT] EXISTS
// (q), so the test and the insert run as one statement.
void rewriteIfExists(ParsedStatement& s);

// WITH (NOLOCK) and its kin: the engine reads one connection's data either way.
void dropTableHints(ParsedStatement& s);

// INNER HASH JOIN and its kin: how to join is the engine's own choice.
void dropJoinHints(ParsedStatement& s);

// INSERT [INTO] t SELECT/VALUES without a column list: as on SQL Server the values go to the
// columns after the identity, in order.
void completeInsert(ParsedStatement& s);

// DELETE t WHERE ...: SQLite wants the FROM.
void completeDelete(ParsedStatement& s);

// Values written into a column (INSERT ... VALUES, INSERT ... SELECT, UPDATE ... SET) go
// through its storing call: a date's in the stored form of a date-time; any other as SQL
// Server converts it, or refused.
// The column's declared type is read from the database at hand, whoever made it.
void storeValues(ParsedStatement& s);

// SQL Server adds days to a date-time with "+" and "-"; SQLite would add numbers to the
// year. A date on the left of "+" or "-", or a number plus a date, makes the operation a
// date's. Its left side is all that "+" and "-" have joined before it (they join from the
// left), its right side one term: products and signs bind first.
void dateArithmetic(ParsedStatement& s);

// MAX and MIN of a date take the reading that sorts last or first as ORDER BY the date
// sorts them (tsql_maxdate, tsql_mindate), not the text that does; a window's are left.
void extremesOfReadings(ParsedStatement& s);

// Every comparison of a date with a date compares their readings, as SQL Server's does:
// =, <>, <, <=, >, >=, BETWEEN and IN, with a value, a parameter, an expression, a
// subquery or another date column. A date column's are made on its keys
// (keyedComparison), so that its index serves; two expressions compare the stored forms
// of their readings, which sort as time does.
void compareDates(ParsedStatement& s);

// SQL Server joins texts with "+"; SQLite would add them as numbers.
void joinTexts(ParsedStatement& s);

// A literal (or parameter) compared with text compares as SQL Server's default collation
// does, even when the other side is an expression that carries no collation of its own.
void collateLiterals(ParsedStatement& s);

// @@IDENTITY, ISNULL(, CONVERT(type, ...) and CAST(... AS type) in the forms SQLite can
// run.
void rewriteFunctions(ParsedStatement& s);

// ORDER BY a date, in any SELECT or window: by its reading (tsql_sortkey), Null first, then
// as the engine orders the values themselves, which keeps rows of one reading in the order
// they had; left to the column's own order (and its index) where that already is the
// readings' (the order lookup). A compound SELECT's order, which SQLite takes only by the
// names of its columns, is left as it is.
void orderByReadings(ParsedStatement& s);

// SELECT TOP n: LIMIT n at the end of that SELECT's own scope (the parenthesis that closes
// it, or the end of the statement), where SQLite wants it, after ORDER BY.
void rewriteTop(ParsedStatement& s);

// SQLite neither nests block comments nor ends a line comment at a lone carriage return:
// such a comment goes as a blank, so that nothing SQL Server reads as comment runs.
void plainComments(ParsedStatement& s);

// CREATE TABLE and ALTER TABLE ... ADD: SQL Server column types made SQLite's.
void rewriteTableDefinition(Tokens& t);

}  // namespace tsql
