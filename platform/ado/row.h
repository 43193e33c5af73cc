#pragma once

#include "platform/vb/variant.h"

namespace ado {

class Cursor;

// The row ExecuteEach hands its reader: a view of the row the engine has just read, valid
// during that call only. A value is made when it is asked for.
class Row {
public:
    explicit Row(const Cursor& cursor) : cursor_(cursor) {}

    // The columns of the select list.
    long count() const;
    // The value of `column` (0-based, in select-list order); raises 3265 when there is none.
    vb::Variant value(long column) const;

private:
    const Cursor& cursor_;
};

}  // namespace ado
