#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

// What the demo tests look at: a tool run as a user runs it, the rows and files it leaves.
namespace demotest {

struct Run {
    int status = -1;  // the exit status; -1 when it did not end normally
    QString out, err;
};
// Runs `program` with `arguments`, `input` on its standard input, in `folder` when given.
Run run(const QString& program, const QStringList& arguments, const QByteArray& input = {},
        const QString& folder = {});

// The first column of each row of a query on a database file, as text.
QStringList values(const QString& file, const char* query);
// Runs statements on a database file; SQLite's message when they fail, else empty.
QString exec(const QString& file, const char* statements);

// Every file of a folder: its bytes and permissions by its name. Equal snapshots of a folder
// taken before and after mean nothing in it changed.
using Snapshot = QMap<QString, QPair<QByteArray, int>>;
Snapshot snapshot(const QString& folder);

// Opens database `base` in `folder` with this login through the program's ADO connection and
// reads a count of `table`: empty when it does, else why not.
QString refusal(const QString& folder, const QString& base, const QString& user,
                const QString& password, const QString& table);

}  // namespace demotest
