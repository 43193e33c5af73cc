#pragma once

#include <QString>
#include <QTemporaryDir>

// A temporary folder of SQLite database files made from SQL text, as the embedded engine's
// "server"; for tests of the layer that need only a few tables.
class SqliteFiles {
public:
    // Creates `<folder>/<name>.db` by running `sql` (several statements, ";"-separated), with
    // the login of connectionString() on record.
    QString create(const QString& name, const QString& sql);
    QString folder() const { return dir_.path(); }
    QString connectionString(const QString& database) const;

private:
    QTemporaryDir dir_;
};
