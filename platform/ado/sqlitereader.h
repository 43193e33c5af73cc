#pragma once

// The embedded engine's reader of batches, private to the engine.
#include "platform/ado/backend.h"
#include "platform/ado/sqlitebackend.h"
#include "platform/ado/sqlitetimeout.h"
#include "platform/ado/sqlitevalues.h"
#include "platform/ado/tsql/translator.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <vector>

struct sqlite3_stmt;

namespace ado {

// The cursor engine's error (a closed connection, a row not found again).
Error cursorEngineError(long number, const QString& text);

// A batch run statement by statement up to its first result with columns, whose rows are read
// as they are asked for; the rest of the batch runs when the reader finishes. Its time is one
// command's up to the result's first row and again from the reader's finish: the reading of
// the rows, the engine's and the caller's time alike, is not counted, as SQL Server's provider
// cancels only a command that has not begun to answer.
class SqliteBackend::Reader : public Cursor {
public:
    // Raises the closed connection's failure when the handle is gone.
    Reader(SqliteBackend& b, const QString& batch, const QList<vb::Variant>& parameters,
           bool editable);
    ~Reader() override;
    BatchOutcome finish() override;

protected:
    bool fetch(ResultSet& rows) override;
    void fetchAll(ResultSet& rows) override;
    void complete(ResultSet& rows) override;

private:
    // Runs the statements left up to the one that gives the result (none once it was given), or
    // to the end of the batch.
    void runUntilResult();
    // The statement that gives the result: its columns and how their values are read.
    void startResult(sqlite3_stmt* stmt, const QString& sql, bool rowidFirst);
    // Reads the next row of the result into `rows`, or every row left; false at the end of the
    // rows or on a failure.
    bool step(ResultSet& rows, bool toTheEnd);
    // A statement whose rows, if any, nobody reads.
    void runWhole(sqlite3_stmt* stmt, const QString& sql);
    void endStatement(sqlite3_stmt* stmt, int changesBefore);
    // After each statement: nothing more runs once the command's time is out.
    void ranOne();
    bool bindParameters(sqlite3_stmt* stmt);
    // The result gave its first row: the command's time stands still while its rows are read.
    void answer();
    // The rows were read: the command's time runs again, where it stood at the first row.
    void resume();
    void fail(const Error& e);

    SqliteBackend& b_;
    BatchOutcome out_;
    const QList<vb::Variant> parameters_;
    qsizetype nextParameter_ = 0;
    const bool editable_;
    CommandClock::Deadline deadline_;
    CommandClock::Clock::time_point answeredAt_;  // when the result gave its first row
    QList<tsql::Statement> statements_;
    qsizetype nextStatement_ = 0;
    // The schema the statements were translated against; -1 once an earlier statement changed
    // it, after which each is translated again as it comes to run.
    int schema_ = -1;
    QByteArray text_;  // the statement text being run, and how far
    const char* p_ = nullptr;
    const char* end_ = nullptr;
    bool stopped_ = false;  // nothing more of the batch runs
    bool finished_ = false;

    // The result's statement, while its rows are read.
    sqlite3_stmt* stmt_ = nullptr;
    bool haveResult_ = false;
    bool rowsDone_ = false;
    bool resultFailed_ = false;
    QString sql_;
    bool rowidFirst_ = false;
    int first_ = 0;
    int n_ = 0;
    std::vector<ReadColumn> reads_;
    int changesBefore_ = 0;
};

}  // namespace ado
