#include "bench/error_log_database.h"

#include "platform/ado/ado.h"
#include "platform/ado/sqlitebackend.h"
#include "platform/ado/tsql/builder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>

namespace zxbench {

namespace {

constexpr int kRows = 1000000;

void build(const QString& file, const QString& table, const QString& columns, int first, int last,
           const QString& values) {
    QDir().mkpath(folder());
    // Built aside and renamed when whole, so that a run cut short builds it again.
    const QString partial = file + QStringLiteral(".part");
    QString error;
    if (!tsql::buildDatabase(partial, QStringLiteral(ZX_SOURCE_DIR "/schema/main.sql"), &error)) {
        std::fprintf(stderr, "schema: %s\n", qPrintable(error));
        std::exit(1);
    }
    sqlite3* db = tsql::openDatabase(partial, &error);
    const QByteArray fill =
        QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT %1 UNION ALL SELECT i + 1 FROM n WHERE i < %2) "
            "INSERT INTO %3 (%4) SELECT %5 FROM n")
            .arg(first)
            .arg(last)
            .arg(table, columns, values)
            .toUtf8();
    char* message = nullptr;
    if (sqlite3_exec(db, fill.constData(), nullptr, nullptr, &message) != SQLITE_OK) {
        std::fprintf(stderr, "rows: %s\n", message);
        std::exit(1);
    }
    sqlite3_close(db);
    QFile::rename(partial, file);
}

}  // namespace

QString folder() {
    const QByteArray env = qgetenv("ZX_BENCH_DIR");
    return env.isEmpty() ? QDir::temp().filePath(QStringLiteral("zentrik-bench"))
                         : QString::fromLocal8Bit(env);
}

QString databaseFile(const QString& name) {
    return QDir(folder()).filePath(name + QStringLiteral(".db"));
}

void ensureErrorLog(const QString& name, int first, const QString& values) {
    ensureRows(name, QStringLiteral("AUX_ERR"),
               QStringLiteral("Proceso, fecha, Error, Descripcion, sql, PC, Usuario"), first,
               first + kRows - 1, values);
}

void ensureRows(const QString& name, const QString& table, const QString& columns, int first,
                int last, const QString& values) {
    const QString file = databaseFile(name);
    if (!QFileInfo::exists(file)) build(file, table, columns, first, last, values);
    // The benchmarks' login, also on a database kept from before the engine asked for one.
    QString error;
    if (!QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner) ||
        !ado::recordEmbeddedLogin(file, QStringLiteral("sa"), QString(), &error)) {
        std::fprintf(stderr, "login: %s %s\n", qPrintable(file), qPrintable(error));
        std::exit(1);
    }
}

long readEveryValue(ado::Recordset& rs) {
    const long fields = rs.FieldCount();
    long rows = 0;
    while (!rs.Eof()) {
        for (long i = 0; i < fields; ++i) benchmark::DoNotOptimize(rs.Fields(i).Value());
        rs.MoveNext();
        ++rows;
    }
    rs.Close();
    return rows;
}

}  // namespace zxbench
