#include "tests/demo/demo_files.h"

#include "platform/ado/ado.h"
#include "platform/ado/tsql/builder.h"
#include "platform/vb/vberror.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <sqlite3.h>

namespace demotest {

Run run(const QString& program, const QStringList& arguments, const QByteArray& input,
        const QString& folder) {
    QProcess tool;
    if (!folder.isEmpty()) tool.setWorkingDirectory(folder);
    tool.start(program, arguments);
    Run r;
    if (!tool.waitForStarted(30000)) return r;
    tool.write(input);
    tool.closeWriteChannel();
    if (!tool.waitForFinished(120000)) {
        tool.kill();
        tool.waitForFinished();
        return r;
    }
    r.out = QString::fromUtf8(tool.readAllStandardOutput());
    r.err = QString::fromUtf8(tool.readAllStandardError());
    if (tool.exitStatus() == QProcess::NormalExit) r.status = tool.exitCode();
    return r;
}

QStringList values(const QString& file, const char* query) {
    QStringList out;
    sqlite3* db = tsql::openDatabase(file);
    if (!db) return {QStringLiteral("cannot open ") + file};
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, query, -1, &stmt, nullptr) == SQLITE_OK) {
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            out.append(
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0))));
        }
    } else {
        out.append(QString::fromUtf8(sqlite3_errmsg(db)));
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return out;
}

QString exec(const QString& file, const char* statements) {
    sqlite3* db = tsql::openDatabase(file);
    if (!db) return QStringLiteral("cannot open ") + file;
    char* message = nullptr;
    QString error;
    if (sqlite3_exec(db, statements, nullptr, nullptr, &message) != SQLITE_OK)
        error = QString::fromUtf8(message ? message : "failed");
    sqlite3_free(message);
    sqlite3_close(db);
    return error;
}

Snapshot snapshot(const QString& folder) {
    Snapshot out;
    const QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden)) {
        QFile f(dir.filePath(name));
        f.open(QIODevice::ReadOnly);
        out.insert(name, {f.readAll(), static_cast<int>(f.permissions())});
    }
    return out;
}

QString refusal(const QString& folder, const QString& base, const QString& user,
                const QString& password, const QString& table) {
    try {
        ado::Connection cn;
        cn.Open(QStringLiteral("Provider=SQLOLEDB;Server=sqlite:%1;Database=%2;UId=%3;Pwd=%4;")
                    .arg(QDir(folder).absolutePath(), base, user, password));
        cn.Execute(QStringLiteral("SELECT COUNT(*) FROM ") + table);
        cn.Close();
        return {};
    } catch (const vb::VbError& e) {
        return e.Description.isEmpty() ? QStringLiteral("error %1").arg(e.Number) : e.Description;
    }
}

}  // namespace demotest
