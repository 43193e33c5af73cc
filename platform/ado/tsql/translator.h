#pragma once

#include "platform/ado/tsql/statement.h"

#include <QList>
#include <QString>

#include <functional>

struct sqlite3;

namespace tsql {

// A column of a table or view, as the translator needs to know it.
struct Column {
    QString name;
    QString declaredType;
    bool identity = false;  // filled by the engine on insert (SQLite's INTEGER PRIMARY KEY)
};

// The columns of a table or view in their order; empty when there is no such object.
using ColumnLookup = std::function<QList<Column>(const QString& table)>;

// Looks columns up in an open SQLite database.
ColumnLookup columnsIn(sqlite3* db);

// Whether ordering the rows of a table by its date column itself gives them in the order of
// the column's readings, through an index that begins with it; false when unknown.
using OrderLookup = std::function<bool(const QString& table, const QString& column)>;

// Asks an open SQLite database that has the functions registered (tsql_readingorder).
OrderLookup readingOrderIn(sqlite3* db);

// Whether a table's date column holds a text that reads as a date-time but sorts apart from
// its day ("29/03/2026", "20260329 07:00", " 2026-03-29"), which the keys of a day's range do
// not reach; false when unknown.
using ApartLookup = std::function<bool(const QString& table, const QString& column)>;

// Asks an open SQLite database that has the functions registered (tsql_datesapart); true
// when the column could not be read.
ApartLookup datesApartIn(sqlite3* db);

// Turns the system's SQL Server text into SQLite text, on tokens: quoted literals, bracketed
// names and comments are never changed. What it rewrites: table hints, TOP, "+" between texts,
// "+" and "-" of a date and a number, @@IDENTITY, INSERT without a column list into a table with
// an identity, DELETE without FROM, the dbo. prefix, ISNULL, CONVERT and CAST, the date part of
// DATEADD, DATEDIFF and DATEPART (and which of their dates, or YEAR's, MONTH's and DAY's, are
// texts given as they are, read as datetime2), IF [NOT] EXISTS (...) INSERT, the collation of
// literals compared with text, every comparison of a date with a date by their readings (a
// date column on the keys of the other side's day, so the column's index serves, unless it
// holds texts apart from their day), ORDER BY a date (by its reading, unless the column's own
// order already is that), and SQL Server column types in CREATE/ALTER TABLE.
// Parameters come out numbered ("?1", "?2", ...), one value each, bound in order. The functions
// and the collation the result calls for come from registerFunctions().
class Translator {
public:
    // Without a lookup, INSERT keeps its text and every name next to "+" counts as text;
    // without an order lookup, every date is ordered by its reading; without an apart lookup,
    // a date column's texts are taken to sort by their day.
    explicit Translator(ColumnLookup columns = {}, OrderLookup order = {}, ApartLookup apart = {});
    // With the lookups of an open SQLite database.
    static Translator of(sqlite3* db);

    // One statement.
    QString translate(const QString& statement) const;
    // A batch split into statements, each translated.
    QList<Statement> translateBatch(const QString& batch) const;

private:
    ColumnLookup columns_;
    OrderLookup order_;
    ApartLookup apart_;
};

// Which items of a translated SELECT's list are texts by the expression that makes them (a
// CONVERT or CAST to a text type, a quoted literal), in order, up to the first "*". SQLite
// names the types of table columns only, and a text of a date's shape would read as a date.
QList<bool> textResultColumns(const QString& sqliteText);

// The marker of a value bound into a column of `declaredType` by a statement the layer writes
// itself: "?", through the call the translator writes a value for such a column through.
QString storedParameter(const QString& declaredType);

// Splits and translates a batch at once, looking columns up in `db`. An INSERT into a table
// that the same batch creates does not see its columns yet: run such a batch statement by
// statement with Translator::translate instead.
QList<Statement> translateBatch(const QString& batch, sqlite3* db);

}  // namespace tsql
