#include "platform/ado/tsql/builder.h"

#include "platform/ado/tsql/functions.h"
#include "platform/ado/tsql/translator.h"

#include <QFile>

#include <sqlite3.h>

#include <memory>

namespace tsql {

namespace {

void setError(QString* error, const QString& text) {
    if (error) *error = text;
}

sqlite3* open(const QString& filePath, int flags, QString* error) {
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(filePath.toUtf8().constData(), &db, flags, nullptr);
    if (rc == SQLITE_OK) {
        registerFunctions(db);
        return db;
    }
    setError(error, QStringLiteral("%1: %2").arg(filePath, QString::fromUtf8(sqlite3_errstr(rc))));
    sqlite3_close(db);
    return nullptr;
}

}  // namespace

bool runScript(sqlite3* db, const QString& script, QString* error) {
    const Translator translator(columnsIn(db));
    for (Statement statement : splitBatch(script)) {
        if (statement.kind == Statement::Kind::Plain) {
            statement.sql = translator.translate(statement.source);
        }
        char* message = nullptr;
        if (sqlite3_exec(db, statement.sql.toUtf8().constData(), nullptr, nullptr, &message) !=
            SQLITE_OK) {
            setError(
                error,
                QStringLiteral("%1 in: %2").arg(QString::fromUtf8(message), statement.source));
            sqlite3_free(message);
            return false;
        }
    }
    return true;
}

sqlite3* openDatabase(const QString& filePath, QString* error) {
    return open(filePath, SQLITE_OPEN_READWRITE, error);
}

bool buildDatabase(const QString& filePath, const QString& scriptPath, QString* error) {
    QFile file(scriptPath);
    if (!file.open(QIODevice::ReadOnly)) {
        setError(error, QStringLiteral("%1: %2").arg(scriptPath, file.errorString()));
        return false;
    }
    const QString script = QString::fromUtf8(file.readAll());
    if (QFile::exists(filePath) && !QFile::remove(filePath)) {
        setError(error, QStringLiteral("%1: cannot replace the file").arg(filePath));
        return false;
    }
    std::unique_ptr<sqlite3, int (*)(sqlite3*)> db(
        open(filePath, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, error), sqlite3_close);
    if (!db) return false;
    // One transaction: a half-built database is never left behind as a whole one.
    sqlite3_exec(db.get(), "BEGIN", nullptr, nullptr, nullptr);
    if (!runScript(db.get(), script, error)) {
        sqlite3_exec(db.get(), "ROLLBACK", nullptr, nullptr, nullptr);
        db.reset();
        QFile::remove(filePath);
        return false;
    }
    return sqlite3_exec(db.get(), "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
}

}  // namespace tsql
