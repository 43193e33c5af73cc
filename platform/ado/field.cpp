#include "platform/ado/field.h"

#include "platform/ado/datatype.h"
#include "platform/ado/errors.h"
#include "platform/ado/recordsetimpl.h"

namespace ado {

namespace {
const QString kSource = QStringLiteral("ADODB.Field");
}

QString Field::Name() const {
    rs_->requireOpen();
    return rs_->data.columns[index_].name;
}

long Field::Type() const {
    rs_->requireOpen();
    return rs_->data.columns[index_].type;
}

long Field::DefinedSize() const {
    rs_->requireOpen();
    return rs_->data.columns[index_].definedSize;
}

vb::Variant Field::Value() const {
    const Recordset::Impl& d = *rs_;
    d.requireOpen();
    if (d.editMode != adEditNone) return d.buffer[index_];
    if (d.eof() || d.bof()) raiseAdo(err::NoCurrentRecord, kSource);
    return d.data.at(d.position, index_);
}

void Field::setValue(const vb::Variant& value) {
    Recordset::Impl& d = *rs_;
    d.requireOpen();
    if (!d.writable()) raiseAdo(err::UpdateNotSupported, kSource);
    const Column& column = d.data.columns[index_];
    if (column.baseColumn.isEmpty()) raiseAdo(err::MultipleStepErrors, kSource);
    const vb::Variant converted = convertForColumn(value, column.type);
    d.beginEdit();
    d.buffer[index_] = converted;
    d.changed[index_] = true;
}

}  // namespace ado
