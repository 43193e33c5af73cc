#include "platform/ado/sqlitedialect.h"

#include "platform/ado/tsql/functions.h"
#include "platform/ado/tsql/translator.h"

namespace ado {

void prepareSqliteConnection(sqlite3* db) {
    tsql::registerFunctions(db);
}

QStringList sqliteStatements(const QString& batch, sqlite3* db) {
    QStringList out;
    for (const tsql::Statement& s : tsql::translateBatch(batch, db)) {
        switch (s.kind) {
            case tsql::Statement::Kind::BeginTransaction:
                out << QStringLiteral("BEGIN TRANSACTION");
                break;
            case tsql::Statement::Kind::CommitTransaction:
                out << QStringLiteral("COMMIT TRANSACTION");
                break;
            case tsql::Statement::Kind::RollbackTransaction:
                out << QStringLiteral("ROLLBACK TRANSACTION");
                break;
            case tsql::Statement::Kind::Plain:
                out << s.sql;
                break;
        }
    }
    return out;
}

}  // namespace ado
