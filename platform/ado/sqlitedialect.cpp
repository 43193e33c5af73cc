#include "platform/ado/sqlitedialect.h"

#include "platform/ado/tsql/functions.h"
#include "platform/ado/tsql/translator.h"

#include <sqlite3.h>

namespace ado {

namespace {

// What a transaction statement runs as; a null text for a plain one.
QString transactionText(const tsql::Statement& s) {
    switch (s.kind) {
        case tsql::Statement::Kind::BeginTransaction:
            return QStringLiteral("BEGIN TRANSACTION");
        case tsql::Statement::Kind::CommitTransaction:
            return QStringLiteral("COMMIT TRANSACTION");
        case tsql::Statement::Kind::RollbackTransaction:
            return QStringLiteral("ROLLBACK TRANSACTION");
        case tsql::Statement::Kind::Plain:
            break;
    }
    return {};
}

}  // namespace

void prepareSqliteConnection(sqlite3* db) {
    tsql::registerFunctions(db);
}

QList<tsql::Statement> sqliteStatements(const QString& batch, sqlite3* db) {
    QList<tsql::Statement> out = tsql::translateBatch(batch, db);
    for (tsql::Statement& s : out) {
        if (const QString tx = transactionText(s); !tx.isNull()) s.sql = tx;
    }
    return out;
}

QString sqliteStatement(const tsql::Statement& statement, sqlite3* db) {
    if (statement.kind != tsql::Statement::Kind::Plain) return statement.sql;
    return tsql::Translator::of(db).translate(statement.source);
}

int schemaVersion(sqlite3* db) {
    sqlite3_stmt* stmt = nullptr;
    int version = -1;
    if (sqlite3_prepare_v2(db, "PRAGMA schema_version", -1, &stmt, nullptr) == SQLITE_OK &&
        sqlite3_step(stmt) == SQLITE_ROW)
        version = sqlite3_column_int(stmt, 0);
    sqlite3_finalize(stmt);
    return version;
}

}  // namespace ado
