#pragma once

#include "platform/ado/recordset.h"
#include "platform/vb/variant.h"

#include <QString>

#include <memory>

namespace ado {

// A column of a recordset's current row.
class Field {
public:
    Field(std::shared_ptr<Recordset::Impl> rs, long index) : rs_(std::move(rs)), index_(index) {}

    QString Name() const;
    long Type() const;         // DataType
    long DefinedSize() const;  // characters for text, bytes otherwise
    // Raises 3021 when there is no current row.
    vb::Variant Value() const;
    // Edits the current row (a pending edit until Update); the value is converted to the
    // column's type at once (-2147217887 when it does not convert). Raises 3251 on a
    // read-only recordset and 3021 without a current row.
    void setValue(const vb::Variant& value);

private:
    std::shared_ptr<Recordset::Impl> rs_;
    long index_;
};

}  // namespace ado
