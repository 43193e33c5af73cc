#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace zxtest {

// A temporary folder holding the main database ("ZENTRIK.db") and the statistics database
// ("KQ_ESTADISTICAS.db"), both built from schema/, as the embedded engine opens them: each
// its owner's alone, with the login of its connection string on record. Each instance has its
// own files; they go away with it.
class TestDatabase {
public:
    static inline const QString mainName = QStringLiteral("ZENTRIK");
    static inline const QString statisticsName = QStringLiteral("KQ_ESTADISTICAS");

    TestDatabase();

    QString folder() const { return dir_.path(); }
    // The file of a database (the main one by default).
    QString file(const QString& database = mainName) const;
    // "Provider=SQLOLEDB;Server=sqlite:<folder>;Database=ZENTRIK;UId=<user>;Pwd=<password>;"
    QString connectionString(const QString& user = QStringLiteral("sa"),
                             const QString& password = QStringLiteral("sa")) const;
    // The same for the statistics database, with its own login.
    QString statisticsConnectionString() const;
    // Lets one more login into a database (the main one by default), as a server that knows
    // several; a failure fails the test.
    void addLogin(const QString& user, const QString& password,
                  const QString& database = mainName) const;

    // Runs SQL Server text through the translator on a database (the main one by default);
    // a failing statement fails the test.
    void exec(const QString& batch, const QString& database = mainName) const;
    // Runs SQLite's own text straight on a database file, as another program that writes it
    // would: no translation, none of the layer's functions. A failing statement fails the test.
    void writeAsAnotherProgram(const QString& sql, const QString& database = mainName) const;
    // The rows of a query in SQL Server text, every value as text (a null QString for Null).
    QList<QStringList> rows(const QString& query, const QString& database = mainName) const;

private:
    QTemporaryDir dir_;
};

}  // namespace zxtest
