#pragma once

#include "platform/ado/errors.h"
#include "platform/ado/row.h"
#include "platform/ado/types.h"
#include "platform/vb/variant.h"

#include <QList>
#include <QString>

#include <functional>
#include <memory>

namespace ado {

class Backend;
class Recordset;
struct Column;
struct ConnectionCore;

// An ADO connection. Not copyable: callers share it by reference. The provider named by the
// connection string picks the engine (embedded SQLite, SQL Server or Oracle over ODBC, a Jet
// file as SQLite).
class Connection {
public:
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Opens with `connectionString` (or the ConnectionString property when empty). Raises
    // 3705 when already open; a provider failure fills Errors and raises.
    void Open(const QString& connectionString = {}, const QString& userId = {},
              const QString& password = {}, long options = -1);
    // Raises 3704 when already closed.
    void Close();
    long State() const;

    QString ConnectionString() const;
    void setConnectionString(const QString& text);
    long CursorLocation() const;
    void setCursorLocation(long location);
    long ConnectionTimeout() const;  // seconds the next Open may wait for the login; 15
    void setConnectionTimeout(long seconds);
    long CommandTimeout() const;  // seconds; 30 by default
    void setCommandTimeout(long seconds);
    long IsolationLevel() const;
    void setIsolationLevel(long level);
    QString DefaultDatabase() const;
    // On an open connection switches the database (SQL Server's USE; on the embedded engine
    // the file `<folder>/<name>.db`).
    void setDefaultDatabase(const QString& name);

    // Runs a batch of SQL Server text. Returns the first result that has columns (a closed
    // recordset when none has); `recordsAffected` receives the sum of rows affected. Every
    // statement runs; when some failed, their errors fill Errors and the first is raised.
    Recordset Execute(const QString& commandText, long* recordsAffected = nullptr,
                      long options = -1);

    // The same with values bound in order to the "?" markers of the text, never pasted into it
    // (Null, numbers, Currency, dates, texts, bytes); -2147217904 when a marker has no value.
    Recordset Execute(const QString& commandText, const QList<vb::Variant>& parameters,
                      long* recordsAffected = nullptr);

    // Runs a query and hands each row of its result to `onRow` as the engine reads it, holding
    // none of them: a forward-only read for results too long to keep, such as a report's. The
    // reader may run other statements on the connection meanwhile, but neither close it nor
    // change its database (3219). Errors as Execute, once the rest of the batch has run; what
    // `onRow` raises stops the read and is raised here.
    void ExecuteEach(const QString& commandText, const QList<vb::Variant>& parameters,
                     const std::function<void(const Row& row)>& onRow);
    // The same, handing `onColumns` the result's columns before its first row (none when the
    // batch gives no result), and filling `described` once the rows are read with the columns
    // as a recordset holding those rows gives them (an expression's type told by its values).
    void ExecuteEach(const QString& commandText, const QList<vb::Variant>& parameters,
                     const std::function<void(const QList<Column>& columns)>& onColumns,
                     const std::function<void(const Row& row)>& onRow, QList<Column>& described);

    // Returns the nesting level after the begin.
    long BeginTrans();
    void CommitTrans();
    void RollbackTrans();

    // adSchemaTables (TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME, TABLE_TYPE) and
    // adSchemaColumns (TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME, COLUMN_NAME, ORDINAL_POSITION,
    // COLUMN_HASDEFAULT, COLUMN_DEFAULT, IS_NULLABLE, DATA_TYPE, CHARACTER_MAXIMUM_LENGTH,
    // NUMERIC_PRECISION, NUMERIC_SCALE). `criteria` restrict by position (catalog, schema,
    // table, then type or column); an Empty or empty-text criterion does not restrict.
    Recordset OpenSchema(long schema, const QList<vb::Variant>& criteria = {});

    Errors& errors();
    const Errors& errors() const;

    // The engine behind an open connection (nullptr when there is none).
    Backend* backend() const;
    // Installs an engine in place of the one the connection string would pick; it stays for
    // later opens (the test scripting backend uses it).
    void attachBackend(std::unique_ptr<Backend> backend);

    // The state shared with the recordsets opened on this connection.
    const std::shared_ptr<ConnectionCore>& core() const { return d_; }

private:
    void each(const QString& commandText, const QList<vb::Variant>& parameters,
              const std::function<void(const QList<Column>& columns)>* onColumns,
              const std::function<void(const Row& row)>& onRow, QList<Column>* described);
    Recordset run(const QString& text, const QList<vb::Variant>& parameters,
                  long* recordsAffected);

    std::shared_ptr<ConnectionCore> d_;
};

}  // namespace ado
