#pragma once

#include "platform/ado/backend.h"
#include "platform/ado/recordset.h"

#include <QHash>
#include <QString>

#include <memory>
#include <vector>

namespace ado {

// The one object behind every copy of a Recordset handle.
struct Recordset::Impl {
    bool open = false;
    std::weak_ptr<ConnectionCore> connection;
    ResultSet data;
    long position = 0;  // -1 before the first row, rowCount() after the last
    long cursorType = adOpenForwardOnly;
    long lockType = adLockReadOnly;
    long editMode = adEditNone;
    std::vector<vb::Variant> buffer;  // the row being edited or added
    std::vector<bool> changed;
    QHash<QString, long> names;  // case-folded name -> first column of that name

    long rowCount() const { return data.rowCount(); }
    bool eof() const { return position >= rowCount(); }
    bool bof() const { return position < 0 || rowCount() == 0; }
    bool writable() const { return lockType >= adLockPessimistic && !data.table.isEmpty(); }

    // Raises 3704 on a closed recordset; asked on every value read, so the test is inline.
    void requireOpen() const {
        if (!open) raiseClosed();
    }
    [[noreturn]] static void raiseClosed();
    long indexOf(const QString& name) const;
    // Starts editing the current row (no-op when an edit is pending).
    void beginEdit();
    // Writes a pending edit or new row; nothing when none is pending.
    void update();
    void cancel();
};

}  // namespace ado
