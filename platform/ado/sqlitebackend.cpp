#include "platform/ado/sqlitebackend.h"

#include "platform/ado/datatype.h"
#include "platform/ado/qtconnections.h"
#include "platform/ado/sqlitedialect.h"
#include "platform/ado/sqliteerror.h"
#include "platform/ado/sqlitereader.h"
#include "platform/ado/sqlitevalues.h"
#include "platform/ado/tsql/translator.h"
#include "platform/vb/conversions.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QVariant>

#include <sqlite3.h>

#include <atomic>

namespace ado {

namespace {

std::atomic<int> connectionCounter{0};

QString quoted(const QString& name) {
    if (name.compare(QLatin1String("_rowid_"), Qt::CaseInsensitive) == 0) return name;
    QString n = name;
    return QLatin1Char('[') + n.replace(QLatin1Char(']'), QLatin1String("]]")) + QLatin1Char(']');
}

bool matches(const QList<vb::Variant>& criteria, int index, const QString& value) {
    if (!restricts(criteria, index)) return true;
    return vb::CStr(criteria[index]).compare(value, Qt::CaseInsensitive) == 0;
}

}  // namespace

SqliteBackend::SqliteBackend()
    : connectionName_(QStringLiteral("zentrik-ado-%1").arg(++connectionCounter)) {}

SqliteBackend::~SqliteBackend() {
    close();
}

QString SqliteBackend::findDatabaseFile(const QString& name) const {
    const QDir dir(folder_);
    const QString wanted = name + QStringLiteral(".db");
    if (QFileInfo(dir.filePath(wanted)).isFile()) return dir.filePath(wanted);
    // Database names are not case-sensitive on SQL Server; file names here are.
    const QStringList entries = dir.entryList(QDir::Files);
    for (const QString& entry : entries) {
        if (entry.compare(wanted, Qt::CaseInsensitive) == 0) return dir.filePath(entry);
    }
    return {};
}

void SqliteBackend::open(const ConnectionSettings& settings) {
    close();
    jet_ = settings.kind == ProviderKind::Jet;
    if (jet_) {
        folder_.clear();
        database_.clear();
        const QString path = settings.dataSource;
        if (!QFileInfo(path).isFile()) {
            throw ProviderFailure{
                {Error{err::ProviderFailure, QStringLiteral("Could not find file '%1'.").arg(path),
                       QStringLiteral("Microsoft JET Database Engine"), QStringLiteral("3024"),
                       -535032811}}};
        }
        openFile(path);
        return;
    }
    folder_ = settings.server;
    if (folder_.isEmpty() || !QFileInfo(folder_).isDir()) {
        throw ProviderFailure{
            {sqlServerError(17, QStringLiteral("[DBNETLIB][ConnectionOpen (Connect()).]SQL "
                                               "Server does not exist or access denied."))}};
    }
    database_ = settings.database.trimmed();
    // Kept for the database chosen later, whose login is checked then.
    user_ = settings.user;
    password_ = settings.password;
    if (database_.isEmpty()) {
        // No database named: the server's own, which holds none of the system's tables.
        openFile(QStringLiteral(":memory:"));
        return;
    }
    const QString file = findDatabaseFile(database_);
    if (file.isEmpty()) {
        throw ProviderFailure{{sqlServerError(
            4060, QStringLiteral("Cannot open database \"%1\" requested by the login. The "
                                 "login failed.")
                      .arg(database_))}};
    }
    checkEmbeddedLogin(file, settings.user, settings.password);
    openFile(file);
}

void SqliteBackend::openFile(const QString& path) {
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName_);
        qtConnectionAdded();
        db.setDatabaseName(path);
        if (!db.open()) {
            const QString text = db.lastError().text();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(connectionName_);
            throw ProviderFailure{{Error{err::ProviderFailure, text, sqlServerSource(),
                                         QStringLiteral("08001"), 0}}};
        }
        const QVariant handle = db.driver()->handle();
        if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0)
            db_ = *static_cast<sqlite3* const*>(handle.constData());
    }
    if (!db_) {
        closeFile();
        throw ProviderFailure{
            {Error{err::ProviderFailure, QStringLiteral("The SQLite driver gave no handle."),
                   sqlServerSource(), QStringLiteral("HY000"), 0}}};
    }
    sqlite3_extended_result_codes(db_, 1);
    clock_.watch(db_);
    // A file that is not a database fails here rather than at the first query.
    char* message = nullptr;
    if (sqlite3_exec(db_, "PRAGMA foreign_keys = ON; SELECT count(*) FROM sqlite_master;", nullptr,
                     nullptr, &message) != SQLITE_OK) {
        const QString text = QString::fromUtf8(message ? message : "");
        sqlite3_free(message);
        closeFile();
        if (jet_) {
            throw ProviderFailure{{Error{
                err::ProviderFailure,
                QStringLiteral("Unrecognized database format '%1'.").arg(path),
                QStringLiteral("Microsoft JET Database Engine"), QStringLiteral("3343"), 0}}};
        }
        throw ProviderFailure{
            {Error{err::ProviderFailure, text, sqlServerSource(), QStringLiteral("HY000"), 0}}};
    }
    prepareSqliteConnection(db_);
    trancount_ = 0;
}

void SqliteBackend::closeFile() {
    db_ = nullptr;
    if (!qtConnectionsUsable()) return;  // the process is ending
    if (QSqlDatabase::contains(connectionName_)) {
        {
            QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(connectionName_);
    }
}

void SqliteBackend::close() {
    closeFile();
    trancount_ = 0;
}

void SqliteBackend::setDefaultDatabase(const QString& name) {
    const QString wanted = name.trimmed();
    if (jet_ || wanted.compare(database_, Qt::CaseInsensitive) == 0) return;
    const QString file = findDatabaseFile(wanted);
    if (file.isEmpty()) {
        throw ProviderFailure{{Error{err::ProviderFailure,
                                     QStringLiteral("Database '%1' does not exist. Make sure "
                                                    "that the name is entered correctly.")
                                         .arg(wanted),
                                     sqlServerSource(), QStringLiteral("42000"), 911}}};
    }
    checkEmbeddedLogin(file, user_, password_);
    closeFile();
    openFile(file);
    database_ = wanted;
}

void SqliteBackend::setCommandTimeout(long seconds) {
    clock_.setSeconds(seconds);
}

std::unique_ptr<Cursor> SqliteBackend::start(const QString& batch,
                                             const QList<vb::Variant>& parameters) {
    return std::make_unique<Reader>(*this, batch, parameters, false);
}

ResultSet SqliteBackend::query(const QString& text, bool editable) {
    Reader reader(*this, text, {}, editable);
    ResultSet rows = reader.readAll();
    const BatchOutcome out = reader.finish();
    if (out.failed) throw ProviderFailure{out.errors};
    return rows;
}

void SqliteBackend::describeEditing(sqlite3_stmt* stmt, bool rowidFirst, ResultSet& rs) {
    const int n = sqlite3_column_count(stmt);
    QString table;
    for (int i = rowidFirst ? 1 : 0; i < n; ++i) {
        const char* t = sqlite3_column_table_name(stmt, i);
        if (!t) return;
        const QString name = QString::fromUtf8(t);
        if (table.isEmpty()) {
            table = name;
        } else if (name.compare(table, Qt::CaseInsensitive) != 0) {
            return;
        }
    }
    if (table.isEmpty()) return;
    rs.table = table;
    if (rowidFirst) {
        const char* t = sqlite3_column_table_name(stmt, 0);
        if (t && QString::fromUtf8(t).compare(table, Qt::CaseInsensitive) == 0) {
            rs.keyColumns = {QStringLiteral("_rowid_")};
            return;
        }
    }
    rs.keys.clear();
    // Without a rowid the primary key finds the row, when the result shows all of it.
    QStringList pk;
    sqlite3_stmt* info = nullptr;
    const QByteArray sql = "SELECT name FROM pragma_table_info(?) WHERE pk > 0 ORDER BY pk";
    if (sqlite3_prepare_v2(db_, sql.constData(), -1, &info, nullptr) != SQLITE_OK) return;
    const QByteArray name = table.toUtf8();
    sqlite3_bind_text(info, 1, name.constData(), -1, SQLITE_TRANSIENT);
    while (sqlite3_step(info) == SQLITE_ROW) pk << textOf(info, 0);
    sqlite3_finalize(info);
    if (pk.isEmpty()) return;
    QList<long> positions;
    for (const QString& key : pk) {
        long at = -1;
        for (long i = 0; i < rs.columnCount(); ++i) {
            if (rs.columns[i].baseColumn.compare(key, Qt::CaseInsensitive) == 0) {
                at = i;
                break;
            }
        }
        if (at < 0) return;
        positions << at;
    }
    rs.keyColumns = pk;
    for (long r = 0; r < rs.rowCount(); ++r) {
        for (long at : positions) rs.keys.push_back(rs.at(r, at));
    }
}

bool SqliteBackend::exec(const char* sql, BatchOutcome& out) {
    if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK) return true;
    out.errors << sqliteError(db_, QString::fromLatin1(sql));
    out.failed = true;
    return false;
}

void SqliteBackend::applyTransaction(Tx tx, BatchOutcome& out) {
    switch (tx) {
        case Tx::Begin:
            if (trancount_ == 0 && !exec("BEGIN", out)) return;
            ++trancount_;
            break;
        case Tx::Commit:
            if (trancount_ == 0) {
                out.errors << sqlServerError(3902,
                                             QStringLiteral("The COMMIT TRANSACTION request has "
                                                            "no corresponding BEGIN "
                                                            "TRANSACTION."));
                out.failed = true;
            } else if (trancount_ == 1) {
                if (exec("COMMIT", out) || sqlite3_get_autocommit(db_)) trancount_ = 0;
            } else {
                --trancount_;
            }
            break;
        case Tx::Rollback:
            // With no transaction there is nothing to undo; SQL Server's complaint is not needed.
            if (trancount_ > 0) exec("ROLLBACK", out);
            trancount_ = 0;
            break;
        case Tx::None:
            break;
    }
}

long SqliteBackend::beginTransaction() {
    const CommandClock::Scope command(clock_);
    BatchOutcome out;
    applyTransaction(Tx::Begin, out);
    if (out.failed) throw ProviderFailure{out.errors};
    return trancount_;
}

void SqliteBackend::commitTransaction() {
    if (trancount_ == 0) {
        throw ProviderFailure{
            {Error{err::NoTransaction, QStringLiteral("No transaction is active."),
                   sqlServerSource(), QStringLiteral("25000"), 0}}};
    }
    const CommandClock::Scope command(clock_);
    BatchOutcome out;
    applyTransaction(Tx::Commit, out);
    if (out.failed) throw ProviderFailure{out.errors};
}

void SqliteBackend::rollbackTransaction() {
    if (trancount_ == 0) {
        throw ProviderFailure{
            {Error{err::NoTransaction, QStringLiteral("No transaction is active."),
                   sqlServerSource(), QStringLiteral("25000"), 0}}};
    }
    const CommandClock::Scope command(clock_);
    BatchOutcome out;
    applyTransaction(Tx::Rollback, out);
    if (out.failed) throw ProviderFailure{out.errors};
}

ResultSet SqliteBackend::schema(long schema, const QList<vb::Variant>& criteria) {
    if (!db_)
        throw ProviderFailure{{cursorEngineError(err::ProviderFailure,
                                                 QStringLiteral("The connection is closed."))}};
    const CommandClock::Scope command(clock_);
    const vb::Variant catalog = jet_ ? vb::Variant::null() : vb::Variant(database_);
    const vb::Variant owner = jet_ ? vb::Variant::null() : vb::Variant("dbo");
    ResultSet rs = schemaShape(schema);
    const bool outside =
        !jet_ && (!matches(criteria, 0, database_) || !matches(criteria, 1, "dbo"));

    // Tables and views, by name.
    struct Object {
        QString name;
        QString type;
    };
    QList<Object> objects;
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db_,
                       "SELECT name, upper(type) FROM sqlite_master WHERE type IN ('table', "
                       "'view') AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY name",
                       -1, &stmt, nullptr);
    while (stmt && sqlite3_step(stmt) == SQLITE_ROW)
        objects.append({textOf(stmt, 0), textOf(stmt, 1)});
    sqlite3_finalize(stmt);

    if (schema == adSchemaTables) {
        if (outside) return rs;
        for (const Object& o : objects) {
            if (!matches(criteria, 2, o.name) || !matches(criteria, 3, o.type)) continue;
            rs.appendRow(
                {catalog, owner, o.name, o.type, vb::Variant::null(), vb::Variant::null()});
        }
        return rs;
    }

    if (outside) return rs;
    for (const Object& o : objects) {
        if (!matches(criteria, 2, o.name)) continue;
        sqlite3_prepare_v2(db_,
                           "SELECT cid, name, type, \"notnull\", dflt_value FROM "
                           "pragma_table_info(?) ORDER BY cid",
                           -1, &stmt, nullptr);
        const QByteArray table = o.name.toUtf8();
        sqlite3_bind_text(stmt, 1, table.constData(), -1, SQLITE_TRANSIENT);
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            const QString name = textOf(stmt, 1);
            if (!matches(criteria, 3, name)) continue;
            const DeclaredType t = declaredType(textOf(stmt, 2));
            const bool hasDefault = sqlite3_column_type(stmt, 4) != SQLITE_NULL;
            const bool text = isTextType(t.type);
            const bool number = isNumberType(t.type) || t.type == adCurrency;
            rs.appendRow(
                {catalog, owner, o.name, name, vb::Variant(sqlite3_column_int(stmt, 0) + 1),
                 vb::Variant(static_cast<long>(hasDefault ? 1 : 0)),
                 hasDefault ? vb::Variant(textOf(stmt, 4)) : vb::Variant::null(),
                 vb::Variant(static_cast<long>(sqlite3_column_int(stmt, 3) ? 0 : 1)),
                 vb::Variant(static_cast<std::int16_t>(t.type)),
                 text ? vb::Variant(t.definedSize) : vb::Variant::null(),
                 number ? vb::Variant(static_cast<std::int16_t>(t.type == adNumeric ? 18 : 0))
                        : vb::Variant::null(),
                 t.type == adNumeric ? vb::Variant(static_cast<std::int16_t>(
                                           t.scale < 0 ? kDefaultScale : t.scale))
                                     : vb::Variant::null()});
        }
        sqlite3_finalize(stmt);
    }
    return rs;
}

RowRead SqliteBackend::writeRow(const RowWrite& w) {
    if (!db_)
        throw ProviderFailure{{cursorEngineError(err::ProviderFailure,
                                                 QStringLiteral("The connection is closed."))}};
    const CommandClock::Scope command(clock_);
    const bool insert = w.keyValues.isEmpty();
    // Each value meets its column's declared type as a statement's value does.
    const QList<tsql::Column> declared = tsql::columnsIn(db_)(w.table);
    const auto marker = [&](const QString& column) {
        for (const tsql::Column& c : declared) {
            if (c.name.compare(column, Qt::CaseInsensitive) == 0)
                return tsql::storedParameter(c.declaredType);
        }
        return QStringLiteral("?");
    };
    QString sql;
    if (insert) {
        if (w.columns.isEmpty()) {
            sql = QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoted(w.table));
        } else {
            QStringList names, marks;
            for (const QString& c : w.columns) {
                names << quoted(c);
                marks << marker(c);
            }
            sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                      .arg(quoted(w.table), names.join(QStringLiteral(", ")),
                           marks.join(QStringLiteral(", ")));
        }
    } else {
        QStringList sets, where;
        for (const QString& c : w.columns) sets << quoted(c) + QStringLiteral(" = ") + marker(c);
        for (const QString& k : w.keyColumns) where << quoted(k) + QStringLiteral(" = ?");
        sql = QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                  .arg(quoted(w.table), sets.join(QStringLiteral(", ")),
                       where.join(QStringLiteral(" AND ")));
    }
    const auto fail = [&](const QString& statement) -> ProviderFailure {
        return ProviderFailure{{sqliteError(db_, statement)}};
    };
    sqlite3_stmt* stmt = nullptr;
    const QByteArray utf8 = sql.toUtf8();
    if (sqlite3_prepare_v2(db_, utf8.constData(), -1, &stmt, nullptr) != SQLITE_OK)
        throw fail(sql);
    int index = 1;
    for (const vb::Variant& v : w.values) bindValue(stmt, index++, v);
    if (!insert) {
        for (const vb::Variant& v : w.keyValues) bindValue(stmt, index++, v);
    }
    if (sqlite3_step(stmt) != SQLITE_DONE) {
        const ProviderFailure failure = fail(sql);
        sqlite3_finalize(stmt);
        throw failure;
    }
    sqlite3_finalize(stmt);
    if (trancount_ > 0 && sqlite3_get_autocommit(db_)) trancount_ = 0;
    if (!insert && sqlite3_changes(db_) == 0) {
        throw ProviderFailure{{cursorEngineError(
            err::RowNotFound, QStringLiteral("Row cannot be located for updating. "
                                             "Some values may have been changed "
                                             "since it was last read."))}};
    }

    // Read the row back as stored: defaults, identity, conversions.
    QStringList read;
    for (const QString& c : w.readBack) read << (c.isEmpty() ? QStringLiteral("NULL") : quoted(c));
    for (const QString& k : w.keyColumns) read << quoted(k);
    QString where;
    QList<vb::Variant> whereValues;
    const bool byRowid =
        insert || (w.keyColumns.size() == 1 &&
                   w.keyColumns[0].compare(QLatin1String("_rowid_"), Qt::CaseInsensitive) == 0);
    if (byRowid) {
        where = QStringLiteral("_rowid_ = ?");
        whereValues << (insert
                            ? vb::Variant(static_cast<long long>(sqlite3_last_insert_rowid(db_)))
                            : w.keyValues[0]);
    } else {
        QStringList parts;
        for (qsizetype i = 0; i < w.keyColumns.size(); ++i) {
            parts << quoted(w.keyColumns[i]) + QStringLiteral(" = ?");
            const qsizetype assigned = w.columns.indexOf(w.keyColumns[i]);
            whereValues << (assigned >= 0 ? w.values[assigned] : w.keyValues[i]);
        }
        where = parts.join(QStringLiteral(" AND "));
    }
    const QString select = QStringLiteral("SELECT %1 FROM %2 WHERE %3")
                               .arg(read.join(QStringLiteral(", ")), quoted(w.table), where);
    const QByteArray selectUtf8 = select.toUtf8();
    if (sqlite3_prepare_v2(db_, selectUtf8.constData(), -1, &stmt, nullptr) != SQLITE_OK)
        throw fail(select);
    index = 1;
    for (const vb::Variant& v : whereValues) bindValue(stmt, index++, v);
    RowRead out;
    if (sqlite3_step(stmt) == SQLITE_ROW) {
        const int n = sqlite3_column_count(stmt);
        for (int i = 0; i < n; ++i) {
            const ReadColumn how =
                readFor(declaredType(QString::fromUtf8(sqlite3_column_decltype(stmt, i))));
            Cells one;
            appendCell(one, stmt, i, how);
            const vb::Variant v = one.value(0);
            if (i < w.readBack.size())
                out.values << v;
            else
                out.keyValues << v;
        }
    }
    sqlite3_finalize(stmt);
    return out;
}

}  // namespace ado
