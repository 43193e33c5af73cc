#include "tests/support/test_database.h"

#include "platform/ado/sqlitebackend.h"
#include "platform/ado/tsql/builder.h"
#include "platform/ado/tsql/translator.h"
#include "tests/support/fixtures.h"

#include <QFile>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <memory>

namespace zxtest {

namespace {

using Handle = std::unique_ptr<sqlite3, int (*)(sqlite3*)>;

// The databases are built once per test program and copied for every fixture.
const QTemporaryDir& templates() {
    static const auto dir = [] {
        auto d = std::make_unique<QTemporaryDir>();
        const struct {
            const QString& name;
            const char* script;
        } builds[] = {{TestDatabase::mainName, "schema/main.sql"},
                      {TestDatabase::statisticsName, "schema/statistics.sql"}};
        for (const auto& b : builds) {
            QString error;
            if (!tsql::buildDatabase(d->filePath(b.name + QStringLiteral(".db")),
                                     sourcePath(QString::fromUtf8(b.script)), &error)) {
                ADD_FAILURE() << error.toStdString();
            }
        }
        return d;
    }();
    return *dir;
}

Handle open(const QString& file) {
    QString error;
    Handle db(tsql::openDatabase(file, &error), sqlite3_close);
    if (!db) ADD_FAILURE() << error.toStdString();
    // Test data need not survive a power cut; waiting for the disk would only slow the tests.
    if (db) sqlite3_exec(db.get(), "PRAGMA synchronous = OFF", nullptr, nullptr, nullptr);
    return db;
}

}  // namespace

TestDatabase::TestDatabase() {
    for (const QString& name : {mainName, statisticsName}) {
        const QString target = file(name);
        if (!QFile::copy(templates().filePath(name + QStringLiteral(".db")), target)) {
            ADD_FAILURE() << "cannot copy the database " << name.toStdString();
        }
        QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
    }
    // The logins of connectionString() and statisticsConnectionString().
    addLogin(QStringLiteral("sa"), QStringLiteral("sa"));
    addLogin(statisticsName, statisticsName, statisticsName);
}

void TestDatabase::addLogin(const QString& user, const QString& password,
                            const QString& database) const {
    QString error;
    if (!ado::addEmbeddedLogin(file(database), user, password, &error))
        ADD_FAILURE() << error.toStdString();
}

QString TestDatabase::file(const QString& database) const {
    return dir_.filePath(database + QStringLiteral(".db"));
}

QString TestDatabase::connectionString(const QString& user, const QString& password) const {
    return QStringLiteral("Provider=SQLOLEDB;Server=sqlite:%1;Database=%2;UId=%3;Pwd=%4;")
        .arg(folder(), mainName, user, password);
}

QString TestDatabase::statisticsConnectionString() const {
    return QStringLiteral("Provider=SQLOLEDB;Server=sqlite:%1;Database=%2;UId=%2;Pwd=%2;")
        .arg(folder(), statisticsName);
}

void TestDatabase::exec(const QString& batch, const QString& database) const {
    const Handle db = open(file(database));
    QString error;
    if (db && !tsql::runScript(db.get(), batch, &error)) ADD_FAILURE() << error.toStdString();
}

void TestDatabase::writeAsAnotherProgram(const QString& sql, const QString& database) const {
    sqlite3* raw = nullptr;
    const int opened = sqlite3_open(file(database).toUtf8().constData(), &raw);
    const Handle db(raw, sqlite3_close);
    char* error = nullptr;
    if (opened != SQLITE_OK ||
        sqlite3_exec(db.get(), sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK)
        ADD_FAILURE() << (error ? error : sqlite3_errmsg(db.get()))
                      << " in: " << sql.toStdString();
    sqlite3_free(error);
}

QList<QStringList> TestDatabase::rows(const QString& query, const QString& database) const {
    QList<QStringList> out;
    const Handle db = open(file(database));
    if (!db) return out;
    const QString sql = tsql::Translator(tsql::columnsIn(db.get())).translate(query);
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db.get(), sql.toUtf8().constData(), -1, &stmt, nullptr) != SQLITE_OK) {
        ADD_FAILURE() << sqlite3_errmsg(db.get()) << " in: " << sql.toStdString();
        return out;
    }
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        QStringList row;
        for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
            row.append(sqlite3_column_type(stmt, c) == SQLITE_NULL
                           ? QString()
                           : QString::fromUtf8(
                                 reinterpret_cast<const char*>(sqlite3_column_text(stmt, c)),
                                 sqlite3_column_bytes(stmt, c)));
        }
        out.append(row);
    }
    if (rc != SQLITE_DONE)
        ADD_FAILURE() << sqlite3_errmsg(db.get()) << " in: " << sql.toStdString();
    sqlite3_finalize(stmt);
    return out;
}

}  // namespace zxtest
