#include "platform/ado/tsql/builder.h"

#include "tests/support/fixtures.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {

void write(const QString& path, const QByteArray& text) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
}

TEST(BuildDatabase, RunsASqlServerScriptIntoANewFile) {
    QTemporaryDir dir;
    write(dir.filePath("s.sql"),
          "CREATE TABLE dbo.T (ID int IDENTITY(1,1) NOT NULL, Nombre varchar(10))\nGO\n"
          "INSERT INTO T VALUES ('Ana')\nINSERT INTO T VALUES ('Luis')\nGO\n");
    const QString file = dir.filePath("X.db");
    write(file, "an old file that is replaced");
    QString error;
    ASSERT_TRUE(tsql::buildDatabase(file, dir.filePath("s.sql"), &error)) << error.toStdString();

    sqlite3* db = tsql::openDatabase(file);
    ASSERT_NE(db, nullptr);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, "SELECT ID FROM T WHERE Nombre = 'LUIS'", -1, &stmt, nullptr);
    ASSERT_EQ(sqlite3_step(stmt), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(stmt, 0), 2);
    sqlite3_finalize(stmt);
    sqlite3_close(db);
}

TEST(BuildDatabase, StopsAtAFailingStatementAndLeavesNoFile) {
    QTemporaryDir dir;
    write(dir.filePath("s.sql"), "CREATE TABLE T (a int)\nINSERT INTO NADA VALUES (1)\n");
    const QString file = dir.filePath("X.db");
    QString error;
    EXPECT_FALSE(tsql::buildDatabase(file, dir.filePath("s.sql"), &error));
    EXPECT_EQ(error, QStringLiteral("no such table: NADA in: INSERT INTO NADA VALUES (1)"));
    EXPECT_FALSE(QFile::exists(file));
}

TEST(BuildDatabase, ReportsAMissingScriptOrDatabase) {
    QTemporaryDir dir;
    QString error;
    EXPECT_FALSE(tsql::buildDatabase(dir.filePath("X.db"), dir.filePath("none.sql"), &error));
    EXPECT_TRUE(error.startsWith(dir.filePath("none.sql"))) << error.toStdString();
    // Opening never creates a database that is not there.
    EXPECT_EQ(tsql::openDatabase(dir.filePath("none.db"), &error), nullptr);
    EXPECT_FALSE(QFile::exists(dir.filePath("none.db")));
}

}  // namespace
