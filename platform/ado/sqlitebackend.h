#pragma once

#include "platform/ado/backend.h"
#include "platform/ado/sqlitelogin.h"
#include "platform/ado/sqlitetimeout.h"

#include <QString>
#include <QStringList>

#include <memory>

struct sqlite3;
struct sqlite3_stmt;

namespace ado {

// The embedded engine: an SQLite database file opened through Qt's QSQLITE driver, whose
// statements run on the driver's sqlite3 handle. SQL Server's text goes through the
// translator first; SQL Server's transaction nesting count is kept across calls.
class SqliteBackend : public Backend {
public:
    SqliteBackend();
    ~SqliteBackend() override;

    void open(const ConnectionSettings& settings) override;
    void close() override;
    bool isOpen() const override { return db_ != nullptr; }

    QString defaultDatabase() const override { return database_; }
    void setDefaultDatabase(const QString& name) override;
    void setCommandTimeout(long seconds) override;

    std::unique_ptr<Cursor> start(const QString& batch,
                                  const QList<vb::Variant>& parameters) override;
    ResultSet query(const QString& text, bool editable) override;

    long beginTransaction() override;
    void commitTransaction() override;
    void rollbackTransaction() override;

    ResultSet schema(long schema, const QList<vb::Variant>& criteria) override;
    RowRead writeRow(const RowWrite& write) override;

    // The open database's handle (nullptr when closed).
    sqlite3* handle() const { return db_; }

private:
    enum class Tx { None, Begin, Commit, Rollback };
    // The reader of batches (sqlitereader.h), with the reading of their text below.
    class Reader;

    void openFile(const QString& path);
    void closeFile();
    // The transaction statement SQL Server reads at `p`, whatever its spelling; `after` gets
    // its end. Tx::None when the text there is another statement.
    static Tx transactionAt(const char* p, const char* end, const char** after);
    // Refuses the batch with its first syntax error, before any of it runs, as SQL Server
    // refuses a batch it cannot compile. Names are left for each statement to resolve as it
    // runs, so that one may use a table an earlier one creates.
    bool refuseSyntaxErrors(const QStringList& statements, BatchOutcome& out);
    void applyTransaction(Tx tx, BatchOutcome& out);
    bool exec(const char* sql, BatchOutcome& out);
    void describeEditing(sqlite3_stmt* stmt, bool rowidFirst, ResultSet& rs);
    QString findDatabaseFile(const QString& name) const;

    QString connectionName_;
    sqlite3* db_ = nullptr;
    bool jet_ = false;
    QString folder_;
    QString database_;
    QString user_, password_;  // the login, checked again when the database changes
    long trancount_ = 0;
    CommandClock clock_;  // CommandTimeout
};

}  // namespace ado
