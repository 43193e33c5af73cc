#include "tests/platform/ado/sqlite_files.h"

#include "platform/ado/sqlitebackend.h"

#include <QFile>

#include <gtest/gtest.h>

#include <sqlite3.h>

QString SqliteFiles::create(const QString& name, const QString& sql) {
    const QString path = dir_.filePath(name + QStringLiteral(".db"));
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
    char* message = nullptr;
    const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &message);
    EXPECT_EQ(rc, SQLITE_OK) << (message ? message : "");
    sqlite3_free(message);
    sqlite3_close(db);
    // The login of connectionString(), on a file its owner alone may read and change.
    EXPECT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
    QString error;
    EXPECT_TRUE(
        ado::recordEmbeddedLogin(path, QStringLiteral("ana"), QStringLiteral("secreta"), &error))
        << error.toStdString();
    return path;
}

QString SqliteFiles::connectionString(const QString& database) const {
    return QStringLiteral("PROVIDER=SQLOLEDB;Server=sqlite:%1;Database =%2;UId=ana;Pwd=secreta;")
        .arg(dir_.path(), database);
}
