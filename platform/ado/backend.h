#pragma once

#include "platform/ado/cells.h"
#include "platform/ado/connectionstring.h"
#include "platform/ado/errors.h"
#include "platform/ado/types.h"
#include "platform/vb/variant.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <memory>
#include <vector>

namespace ado {

// A column of a result as the engine describes it.
struct Column {
    QString name;
    long type = adVarChar;  // DataType
    long definedSize = 0;
    QString baseColumn;  // the table column it shows; empty for an expression
};

// The rows of one result, held in memory (a client cursor).
struct ResultSet {
    bool hasColumns() const { return !columns.isEmpty(); }
    long columnCount() const { return static_cast<long>(columns.size()); }
    // Asked for every value read (the current row's bounds), so the division is made only when
    // the cells have changed.
    long rowCount() const {
        if (cells.size() != countedCells_ || columns.size() != countedColumns_) {
            countedCells_ = cells.size();
            countedColumns_ = columns.size();
            rows_ = columns.isEmpty() ? 0 : static_cast<long>(cells.size() / columns.size());
        }
        return rows_;
    }
    vb::Variant at(long row, long column) const { return cells.value(index(row, column)); }
    void appendRow(const std::vector<vb::Variant>& values) {
        for (const vb::Variant& v : values) cells.append(v);
    }
    void setRow(long row, const std::vector<vb::Variant>& values) {
        for (size_t i = 0; i < values.size(); ++i) cells.set(index(row, 0) + i, values[i]);
    }
    size_t index(long row, long column) const {
        return static_cast<size_t>(row) * static_cast<size_t>(columns.size()) +
               static_cast<size_t>(column);
    }

    QList<Column> columns;
    Cells cells;  // row after row

    // For editing: the one table every column comes from (empty: not updatable), the
    // columns that find a row again, and their values, row after row.
    QString table;
    QStringList keyColumns;
    std::vector<vb::Variant> keys;

private:
    mutable size_t countedCells_ = 0;
    mutable qsizetype countedColumns_ = 0;
    mutable long rows_ = 0;
};

// The outcome of a batch: SQL Server runs every statement, and one that fails records its
// error while the next still runs.
struct BatchOutcome {
    ResultSet result;           // the first result that has columns
    long recordsAffected = -1;  // rows of INSERT, UPDATE and DELETE summed; -1 when none ran
    QList<Error> errors;        // errors and notices, in order
    bool failed = false;        // some statement failed (else the entries are notices)
    long raised = 0;            // the number raised when failed; the first entry's when 0

    void addAffected(long rows) { recordsAffected = std::max(recordsAffected, 0L) + rows; }
};

// One row written through an updatable recordset.
struct RowWrite {
    QString table;
    QStringList keyColumns;
    QList<vb::Variant> keyValues;  // the row to update; empty to insert a new row
    QStringList columns;           // assigned columns
    QList<vb::Variant> values;
    QStringList readBack;  // the base columns to read back (empty names give Null)
};

// The row as stored after the write (defaults and identity included).
struct RowRead {
    QList<vb::Variant> values;     // one per RowWrite::readBack
    QList<vb::Variant> keyValues;  // one per RowWrite::keyColumns
};

// The rows of a batch's first result with columns, read one at a time as the engine reads
// them. The statements before that result have run when the engine gives the cursor; those
// after it run when it finishes. Not copyable: it stands for the engine's running statement.
class Cursor {
public:
    virtual ~Cursor();
    Cursor(const Cursor&) = delete;
    Cursor& operator=(const Cursor&) = delete;

    // The result's columns; none when no statement of the batch gives one.
    const QList<Column>& columns() const { return row_.columns; }
    long columnCount() const { return row_.columnCount(); }
    // Reads the next row in place of the one before: false after the last one, and when the
    // engine failed to read it (finish() gives the error).
    bool next();
    // The value of `column` (0-based) in the row next() read; raises 3021 when it read none and
    // 3265 when the result has no such column.
    vb::Variant value(long column) const {
        if (column < 0 || column >= row_.columnCount()) raiseNoSuchColumn();
        if (row_.cells.size() != static_cast<size_t>(row_.columnCount())) raiseNoRow();
        return row_.cells.value(static_cast<size_t>(column));
    }
    // Reads every row left and holds them, as a client cursor does.
    ResultSet readAll();
    // From now on notes, of each column, the first value not Null that next() reads, so that
    // describedColumns() can tell what the rows told of the columns.
    void watchValues();
    // The columns as a result held whole gives them once its rows are read (an expression's
    // type told by its values), from the rows read since watchValues(). Before finish().
    QList<Column> describedColumns();
    // Runs what follows the result in the batch, letting go of the rows not read, and gives the
    // outcome of the whole batch: its result has the columns and no rows. Once only.
    virtual BatchOutcome finish() = 0;

protected:
    Cursor() = default;
    // Appends the values of the next row to `rows` (and its key, when the engine finds rows
    // again by one); false at the end of the rows or when reading failed.
    virtual bool fetch(ResultSet& rows) = 0;
    // Appends every row left to `rows`.
    virtual void fetchAll(ResultSet& rows);
    // Completes a result held whole, once its last row is read (what the values tell about the
    // columns, what an update needs).
    virtual void complete(ResultSet& rows);

    ResultSet row_;  // the columns, and the values of the row next() read

private:
    [[noreturn]] static void raiseNoRow();
    [[noreturn]] static void raiseNoSuchColumn();
    void noteValues();
    bool ended_ = false;
    bool watching_ = false;
    bool readAny_ = false;                  // a row was read while watching
    long unseen_ = 0;                       // columns whose values were all Null so far
    std::vector<vb::Variant> firstValues_;  // of each column, the first not Null (or Null)
};

// The engine behind an open connection. Failures are thrown as ProviderFailure.
class Backend {
public:
    virtual ~Backend();

    virtual void open(const ConnectionSettings& settings) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    virtual QString defaultDatabase() const = 0;
    virtual void setDefaultDatabase(const QString& name) = 0;
    virtual void setCommandTimeout(long seconds);
    virtual void setIsolationLevel(long level);

    // Starts a batch of SQL Server text with `parameters` bound in order to its "?" markers: runs
    // it up to its first result with columns, whose rows the cursor reads as the engine reads
    // them. Calls made while the cursor is open run statements of their own (an engine that
    // serves one statement at a time refuses them until the rows are read).
    virtual std::unique_ptr<Cursor> start(const QString& batch,
                                          const QList<vb::Variant>& parameters) = 0;
    // Runs a batch and holds the rows of its first result.
    virtual BatchOutcome execute(const QString& batch, const QList<vb::Variant>& parameters = {});
    // Runs a query for a recordset; any failure throws. With `editable`, fills the editing
    // members of the result when the rows come from one table.
    virtual ResultSet query(const QString& text, bool editable) = 0;

    // Returns the nesting level after the begin.
    virtual long beginTransaction() = 0;
    virtual void commitTransaction() = 0;
    virtual void rollbackTransaction() = 0;

    virtual ResultSet schema(long schema, const QList<vb::Variant>& criteria) = 0;
    virtual RowRead writeRow(const RowWrite& write) = 0;
};

// The columns of the two schema lists, as every engine gives them: adSchemaTables
// (TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME, TABLE_TYPE, TABLE_GUID, DESCRIPTION) and
// adSchemaColumns (TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME, COLUMN_NAME, ORDINAL_POSITION,
// COLUMN_HASDEFAULT, COLUMN_DEFAULT, IS_NULLABLE, DATA_TYPE, CHARACTER_MAXIMUM_LENGTH,
// NUMERIC_PRECISION, NUMERIC_SCALE); no rows.
ResultSet schemaShape(long schema);
// A NUL character would end the text early inside a C library, so part of it would run, or
// none while an engine waits for the rest: such a text is refused whole as a syntax error.
// Returns false and records the error in `out` when `text` holds one.
bool refuseNul(const QString& text, BatchOutcome& out);
// Whether OpenSchema's criterion at `index` restricts (neither Empty, Null nor empty text).
bool restricts(const QList<vb::Variant>& criteria, int index);

}  // namespace ado
