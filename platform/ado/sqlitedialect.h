#pragma once

#include <QString>
#include <QStringList>

struct sqlite3;

namespace ado {

// Readies a fresh SQLite connection for SQL Server's text (functions and the collation that
// compares text as SQL Server does).
void prepareSqliteConnection(sqlite3* db);

// A batch of SQL Server text as the statements SQLite runs, in order. Transaction statements
// come back as "BEGIN TRANSACTION", "COMMIT TRANSACTION" or "ROLLBACK TRANSACTION".
QStringList sqliteStatements(const QString& batch, sqlite3* db);

}  // namespace ado
