#pragma once

#include "platform/vb/vberror.h"

#include <functional>

// The number of the VbError `f` raises; 0 when it raises none.
inline long raisedNumber(const std::function<void()>& f) {
    try {
        f();
    } catch (const vb::VbError& e) {
        return e.Number;
    }
    return 0;
}
