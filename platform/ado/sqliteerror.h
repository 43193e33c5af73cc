#pragma once

#include "platform/ado/errors.h"

#include <QString>

struct sqlite3;

namespace ado {

// The error SQL Server's provider would report for what SQLite reported on `db` (its last
// error) while running `statement`: a duplicate key is native 2627, a missing table 208, a
// missing column 207, a syntax error 102, a broken reference or check 547, and so on, each
// with its ADO number and SQLState and a description in SQL Server's words.
Error sqliteError(sqlite3* db, const QString& statement);

// The same from a result code and message already taken from SQLite.
Error sqliteError(int extendedCode, const QString& message, const QString& statement);

}  // namespace ado
