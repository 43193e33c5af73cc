#include "platform/ado/row.h"

#include "platform/ado/backend.h"

namespace ado {

long Row::count() const {
    return cursor_.columnCount();
}

vb::Variant Row::value(long column) const {
    return cursor_.value(column);
}

}  // namespace ado
