#include "tests/platform/reportengine/sqlite_source.h"

#include "platform/vb/strings.h"
#include "platform/vb/vberror.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace zxtest {

namespace {

int compareSsci(void*, int lengthA, const void* a, int lengthB, const void* b) {
    const QString x = vb::RTrim(QString::fromUtf8(static_cast<const char*>(a), lengthA));
    const QString y = vb::RTrim(QString::fromUtf8(static_cast<const char*>(b), lengthB));
    return QString::compare(x, y, Qt::CaseInsensitive);
}

QVariant bound(const vb::Variant& v) {
    if (v.isNull() || v.isEmpty()) return QVariant();
    if (v.isString()) return v.string();
    if (v.isDate()) return v.date().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    return v.number();
}

}  // namespace

SqliteSource::SqliteSource() : name_(QUuid::createUuid().toString()) {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
    db.setDatabaseName(dir_.filePath(QStringLiteral("report.db")));
    if (!db.open()) ADD_FAILURE() << db.lastError().text().toStdString();
    const QVariant handle = db.driver()->handle();
    auto* sqlite = *static_cast<sqlite3* const*>(handle.data());
    sqlite3_create_collation(sqlite, "SSCI", SQLITE_UTF8, nullptr, compareSsci);
}

SqliteSource::~SqliteSource() {
    QSqlDatabase::database(name_).close();
    QSqlDatabase::removeDatabase(name_);
}

void SqliteSource::exec(const QString& sql) {
    QSqlQuery q(QSqlDatabase::database(name_));
    if (!q.exec(sql))
        ADD_FAILURE() << q.lastError().text().toStdString() << " in " << sql.toStdString();
}

QList<reportengine::Column> SqliteSource::describe(const QString& table) {
    QSqlQuery q(QSqlDatabase::database(name_));
    q.prepare(QStringLiteral("SELECT name, type FROM pragma_table_info(?)"));
    q.addBindValue(table);
    if (!q.exec()) throw vb::VbError(-2147217865, q.lastError().text(), QStringLiteral("sqlite"));
    QList<reportengine::Column> columns;
    while (q.next()) {
        const QString type = q.value(1).toString().toUpper();
        auto kind = reportengine::ColumnKind::Other;
        if (type.contains(u"CHAR") || type.contains(u"TEXT"))
            kind = reportengine::ColumnKind::Text;
        if (type.contains(u"INT") || type.contains(u"NUM") || type.contains(u"REAL")) {
            kind = reportengine::ColumnKind::Number;
        }
        if (type.contains(u"DATE")) kind = reportengine::ColumnKind::Date;
        columns.append({q.value(0).toString(), kind});
    }
    if (columns.isEmpty()) {
        throw vb::VbError(-2147217865, QStringLiteral("Invalid object name '%1'.").arg(table),
                          QStringLiteral("sqlite"));
    }
    return columns;
}

void SqliteSource::select(const QString& sql, const QList<vb::Variant>& parameters,
                          const std::function<void(const QList<vb::Variant>&)>& onRow) {
    statements_.append(sql);
    parameters_.append(parameters);
    QSqlQuery q(QSqlDatabase::database(name_));
    q.setForwardOnly(true);
    if (!q.prepare(sql))
        throw vb::VbError(-2147217900, q.lastError().text(), QStringLiteral("sqlite"));
    for (const vb::Variant& p : parameters) q.addBindValue(bound(p));
    if (!q.exec()) throw vb::VbError(-2147217900, q.lastError().text(), QStringLiteral("sqlite"));
    while (q.next()) {
        QList<vb::Variant> row;
        const QSqlRecord record = q.record();
        for (int i = 0; i < record.count(); ++i) {
            const QVariant v = q.value(i);
            if (v.isNull()) {
                row.append(vb::Variant::null());
            } else if (v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Int) {
                row.append(vb::Variant(static_cast<long long>(v.toLongLong())));
            } else if (v.typeId() == QMetaType::Double) {
                row.append(vb::Variant(v.toDouble()));
            } else {
                const QString text = v.toString();
                const QDateTime when =
                    QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
                row.append(when.isValid() ? vb::Variant(when) : vb::Variant(text));
            }
        }
        onRow(row);
    }
}

void createAuxErr(SqliteSource& db) {
    db.exec(QStringLiteral(
        "CREATE TABLE AUX_ERR (ID INTEGER PRIMARY KEY, Proceso VARCHAR(100) COLLATE SSCI, "
        "fecha DATETIME, Error INTEGER, Descripcion VARCHAR(250) COLLATE SSCI, "
        "sql TEXT COLLATE SSCI, PC VARCHAR(50) COLLATE SSCI, Usuario VARCHAR(50) COLLATE SSCI)"));
}

}  // namespace zxtest
