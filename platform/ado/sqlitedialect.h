#pragma once

#include "platform/ado/tsql/statement.h"

#include <QList>
#include <QString>
#include <QStringList>

struct sqlite3;

namespace ado {

// Readies a fresh SQLite connection for SQL Server's text (functions and the collation that
// compares text as SQL Server does).
void prepareSqliteConnection(sqlite3* db);

// A batch of SQL Server text as the statements SQLite runs, in order, each `sql` translated
// against the tables as they are now. Transaction statements come back as "BEGIN TRANSACTION",
// "COMMIT TRANSACTION" or "ROLLBACK TRANSACTION".
QList<tsql::Statement> sqliteStatements(const QString& batch, sqlite3* db);

// The text SQLite runs for `statement`, one of those sqliteStatements gave, translated again
// against the tables as they are now: a statement after one that creates or alters a table
// sees its columns.
QString sqliteStatement(const tsql::Statement& statement, sqlite3* db);

// The version of the database's schema, which every CREATE, ALTER and DROP changes.
int schemaVersion(sqlite3* db);

}  // namespace ado
