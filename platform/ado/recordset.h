#pragma once

#include "platform/ado/types.h"
#include "platform/vb/variant.h"

#include <QString>

#include <memory>

namespace ado {

class Connection;
class Field;
struct ConnectionCore;
struct ResultSet;

// An ADO recordset. Copies share one recordset object, as VB object references do; a
// default-constructed Recordset is a new, closed one ("New ADODB.Recordset"). Rows are held
// in memory, so every cursor type can move both ways and RecordCount is always known.
class Recordset {
public:
    Recordset();

    // Opens `source` (SQL Server text or a table name) on `connection`. Raises 3705 when
    // open, 3709 when the connection is closed; provider failures fill the connection's
    // Errors and raise.
    void Open(const QString& source, Connection& connection, long cursorType = adOpenForwardOnly,
              long lockType = adLockReadOnly, long options = -1);
    // Raises 3704 when closed, 3219 when an edit is pending.
    void Close();
    long State() const;

    // ADO's EOF and BOF (EOF itself is a C macro).
    bool Eof() const;
    bool Bof() const;
    // Each raises 3021 when there is no row to move to; a pending edit is saved first.
    void MoveFirst();
    void MoveNext();
    void MovePrevious();
    void MoveLast();
    long RecordCount() const;
    // The cursor and lock types it was opened with (those of the last Open while closed).
    long CursorType() const;
    long LockType() const;

    long FieldCount() const;
    // By name without regard to case, or by 0-based index; raises 3265 when there is none.
    Field Fields(const QString& name) const;
    Field Fields(long index) const;
    // Shorthand for Fields(name).Value().
    vb::Variant operator[](const QString& name) const;

    // Editing on a single-table recordset opened with a writable lock type (else 3251).
    void AddNew();
    void Update();
    void CancelUpdate();
    // adEditNone 0, adEditInProgress 1, adEditAdd 2.
    long EditMode() const;

    // Same recordset object.
    bool sameAs(const Recordset& other) const { return d_ == other.d_; }

    struct Impl;
    explicit Recordset(std::shared_ptr<Impl> impl) : d_(std::move(impl)) {}
    const std::shared_ptr<Impl>& impl() const { return d_; }

    // Opens this recordset on rows the connection already produced (Execute, OpenSchema).
    void openOn(ResultSet rows, const std::shared_ptr<ConnectionCore>& connection, long cursorType,
                long lockType);

private:
    std::shared_ptr<Impl> d_;
};

}  // namespace ado
