#include "platform/ado/recordset.h"

#include "platform/ado/command.h"
#include "platform/ado/connection.h"
#include "platform/ado/connectioncore.h"
#include "platform/ado/field.h"
#include "platform/ado/recordsetimpl.h"
#include "platform/vb/vberror.h"

namespace ado {

namespace {

const QString kSource = QStringLiteral("ADODB.Recordset");

}  // namespace

void Recordset::Impl::raiseClosed() {
    raiseAdo(err::ObjectClosed, kSource);
}

long Recordset::Impl::indexOf(const QString& name) const {
    requireOpen();
    const auto it = names.constFind(name.toCaseFolded());
    if (it == names.constEnd()) raiseAdo(err::ItemNotFound, kSource);
    return it.value();
}

void Recordset::Impl::beginEdit() {
    if (editMode != adEditNone) return;
    if (eof() || bof()) raiseAdo(err::NoCurrentRecord, kSource);
    const long n = data.columnCount();
    buffer.clear();
    for (long i = 0; i < n; ++i) buffer.push_back(data.at(position, i));
    changed.assign(static_cast<size_t>(n), false);
    editMode = adEditInProgress;
}

void Recordset::Impl::update() {
    if (editMode == adEditNone) return;
    const auto core = connection.lock();
    if (!core) raiseAdo(err::NoConnection, kSource);
    const long n = data.columnCount();
    RowWrite write;
    write.table = data.table;
    write.keyColumns = data.keyColumns;
    for (long i = 0; i < n; ++i) {
        write.readBack << data.columns[i].baseColumn;
        if (changed[i]) {
            write.columns << data.columns[i].baseColumn;
            write.values << buffer[i];
        }
    }
    if (editMode == adEditInProgress) {
        if (write.columns.isEmpty()) {
            cancel();
            return;
        }
        if (data.keyColumns.isEmpty()) {
            throw vb::VbError(err::ProviderFailure,
                              QStringLiteral("Insufficient key column information for updating "
                                             "or refreshing."),
                              QStringLiteral("Microsoft Cursor Engine"));
        }
        const long k = static_cast<long>(data.keyColumns.size());
        for (long i = 0; i < k; ++i) write.keyValues << data.keys[position * k + i];
    }
    const RowRead read = core->call([&](Backend& b) { return b.writeRow(write); });
    std::vector<vb::Variant> row(static_cast<size_t>(n));
    for (long i = 0; i < n; ++i)
        row[i] = data.columns[i].baseColumn.isEmpty() ? buffer[i] : read.values.value(i);
    const long k = static_cast<long>(data.keyColumns.size());
    if (editMode == adEditAdd) {
        data.appendRow(row);
        for (long i = 0; i < k; ++i) data.keys.push_back(read.keyValues.value(i));
        position = rowCount() - 1;
    } else {
        data.setRow(position, row);
        for (long i = 0; i < k; ++i) data.keys[position * k + i] = read.keyValues.value(i);
    }
    cancel();
}

void Recordset::Impl::cancel() {
    editMode = adEditNone;
    buffer.clear();
    changed.clear();
}

Recordset::Recordset() : d_(std::make_shared<Impl>()) {}

void Recordset::Open(const QString& source, Connection& connection, long cursorType, long lockType,
                     long options) {
    if (d_->open) raiseAdo(err::ObjectOpen, kSource);
    const auto& core = connection.core();
    if (!core->open) raiseAdo(err::NoConnection, kSource);
    const QString text = commandTextFor(source, options, true);
    const bool editable = lockType >= adLockPessimistic;
    ResultSet rows = core->call([&](Backend& b) { return b.query(text, editable); });
    // A statement that gives no rows leaves the recordset closed, as in ADO.
    if (rows.hasColumns()) openOn(std::move(rows), core, cursorType, lockType);
}

void Recordset::openOn(ResultSet rows, const std::shared_ptr<ConnectionCore>& connection,
                       long cursorType, long lockType) {
    Impl& d = *d_;
    d.data = std::move(rows);
    d.connection = connection;
    d.cursorType = cursorType;
    d.lockType = lockType;
    d.position = 0;
    d.cancel();
    d.names.clear();
    for (long i = d.data.columnCount() - 1; i >= 0; --i)
        d.names.insert(d.data.columns[i].name.toCaseFolded(), i);
    d.open = true;
}

void Recordset::Close() {
    d_->requireOpen();
    if (d_->editMode != adEditNone) raiseAdo(err::NotAllowedNow, kSource);
    d_->open = false;
    d_->data = ResultSet();
    d_->names.clear();
    d_->position = 0;
}

long Recordset::State() const {
    return d_->open ? adStateOpen : adStateClosed;
}

bool Recordset::Eof() const {
    d_->requireOpen();
    return d_->eof();
}

bool Recordset::Bof() const {
    d_->requireOpen();
    return d_->bof();
}

void Recordset::MoveFirst() {
    d_->requireOpen();
    d_->update();
    if (d_->rowCount() == 0) raiseAdo(err::NoCurrentRecord, kSource);
    d_->position = 0;
}

void Recordset::MoveNext() {
    d_->requireOpen();
    d_->update();
    if (d_->eof()) raiseAdo(err::NoCurrentRecord, kSource);
    ++d_->position;
}

void Recordset::MovePrevious() {
    d_->requireOpen();
    d_->update();
    if (d_->bof()) raiseAdo(err::NoCurrentRecord, kSource);
    --d_->position;
}

void Recordset::MoveLast() {
    d_->requireOpen();
    d_->update();
    if (d_->rowCount() == 0) raiseAdo(err::NoCurrentRecord, kSource);
    d_->position = d_->rowCount() - 1;
}

long Recordset::RecordCount() const {
    d_->requireOpen();
    return d_->rowCount();
}

long Recordset::CursorType() const {
    return d_->cursorType;
}

long Recordset::LockType() const {
    return d_->lockType;
}

long Recordset::FieldCount() const {
    d_->requireOpen();
    return d_->data.columnCount();
}

Field Recordset::Fields(const QString& name) const {
    return Field(d_, d_->indexOf(name));
}

Field Recordset::Fields(long index) const {
    d_->requireOpen();
    if (index < 0 || index >= d_->data.columnCount()) raiseAdo(err::ItemNotFound, kSource);
    return Field(d_, index);
}

vb::Variant Recordset::operator[](const QString& name) const {
    return Fields(name).Value();
}

void Recordset::AddNew() {
    d_->requireOpen();
    if (!d_->writable()) raiseAdo(err::UpdateNotSupported, kSource);
    d_->update();
    const size_t n = static_cast<size_t>(d_->data.columnCount());
    d_->buffer.assign(n, vb::Variant::null());
    d_->changed.assign(n, false);
    d_->editMode = adEditAdd;
}

void Recordset::Update() {
    d_->requireOpen();
    d_->update();
}

void Recordset::CancelUpdate() {
    d_->requireOpen();
    d_->cancel();
}

long Recordset::EditMode() const {
    d_->requireOpen();
    return d_->editMode;
}

}  // namespace ado
