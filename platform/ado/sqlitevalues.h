#pragma once

#include "platform/ado/backend.h"
#include "platform/ado/cells.h"
#include "platform/ado/datatype.h"
#include "platform/vb/variant.h"

#include <QString>

struct sqlite3_stmt;

namespace ado {

// The making of values between SQLite's storage and the system's: a column's value read as
// its declared type asks (a date stored as text or as a number, money, a bit), and a value
// bound to a statement's marker as SQLite stores it.

// How a column's values are read.
enum class Read { Text, Int32, Int16, Int64, Numeric, Currency, Double, Date, Bit, Blob, Expr };

struct ReadColumn {
    Read kind = Read::Expr;
    int scale = -1;
};

// How the values of a column of this declared type are read; an expression's (no type) are
// taken as they come.
ReadColumn readFor(const DeclaredType& t);
// The text of column `i` of the current row.
QString textOf(sqlite3_stmt* stmt, int i);
// Appends the value of column `i` of the current row, read as the column's type asks.
void appendCell(Cells& cells, sqlite3_stmt* stmt, int i, const ReadColumn& c);
// The type of an expression column, from its first value that is not Null.
void inferExpressionType(ResultSet& rs, long column);
// Binds `v` to marker `index` (1-based): a date as the text a stored date has.
void bindValue(sqlite3_stmt* stmt, int index, const vb::Variant& v);

}  // namespace ado
