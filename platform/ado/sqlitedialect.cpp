#include "platform/ado/sqlitedialect.h"

namespace ado {

void prepareSqliteConnection(sqlite3*) {}

QStringList sqliteStatements(const QString& batch, sqlite3*) {
    return {batch};
}

}  // namespace ado
