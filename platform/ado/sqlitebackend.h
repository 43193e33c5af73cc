#pragma once

#include "platform/ado/backend.h"

#include <QString>
#include <QStringList>

#include <chrono>
#include <memory>
#include <optional>

struct sqlite3;
struct sqlite3_stmt;

namespace ado {

// The embedded engine's logins: a database records the logins it lets in, in the file
// "<Database>.login" beside it (a line for each: user, salt and the password's SHA-256; mode
// 0600). Any other login is refused as SQL Server refuses one (18456), and so is every login
// to a database without that file, or whose file or login file others may read or change. The
// user compares without regard to case, the password exactly.
//
// Records the one login the database lets in, in place of those it recorded.
bool recordEmbeddedLogin(const QString& databaseFile, const QString& user, const QString& password,
                         QString* error = nullptr);
// Adds a login beside those the database records, or gives one recorded under that name the
// new password.
bool addEmbeddedLogin(const QString& databaseFile, const QString& user, const QString& password,
                      QString* error = nullptr);

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
    using Clock = std::chrono::steady_clock;
    // When a command's time ends, and whether it has. Its time stands still while it answers:
    // from its first row until those rows are read, however long their reading takes.
    struct Deadline {
        Clock::time_point at;
        bool passed = false;
        bool answering = false;
    };
    class Command;
    class Reader;

    // SQLite's callbacks: the one that interrupts a statement past the command's deadline, and
    // the one that waits for another program's lock until that deadline.
    static int onProgress(void* self);
    static int onBusy(void* self, int count);
    Deadline deadlineFromNow() const;
    // The limit of the running command (or of a lock wait outside one, or while it answers);
    // none for no limit.
    std::optional<Clock::time_point> limit() const;
    bool pastLimit();

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
    long timeoutSeconds_ = 30;        // CommandTimeout; 0 waits without limit
    Deadline* command_ = nullptr;     // of the running command; none between commands
    Clock::time_point waitingSince_;  // of a lock wait outside a command
};

}  // namespace ado
