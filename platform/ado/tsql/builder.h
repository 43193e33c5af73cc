#pragma once

#include <QString>

struct sqlite3;

namespace tsql {

// Runs a SQL Server script on `db` (which has the functions registered): statement by statement,
// each translated just before it runs, so that an INSERT sees the tables the script created.
// Stops at the first failing statement; `error` receives SQLite's message and the statement.
bool runScript(sqlite3* db, const QString& script, QString* error = nullptr);

// Creates the SQLite database file `filePath` (replacing one that exists) from the SQL Server
// script in `scriptPath` (a file or a Qt resource path).
bool buildDatabase(const QString& filePath, const QString& scriptPath, QString* error = nullptr);

// Opens an existing database file with the functions registered; nullptr (and `error`) when it
// cannot. The caller closes it with sqlite3_close.
sqlite3* openDatabase(const QString& filePath, QString* error = nullptr);

}  // namespace tsql
