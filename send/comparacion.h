#pragma once

#include "platform/vb/strings.h"

#include <QString>

#include <initializer_list>

namespace send {

// Whether a code (a voucher type, a format) is one of the list, without regard to case.
inline bool unoDe(const QString& valor, std::initializer_list<const char*> lista) {
    for (const char* item : lista)
        if (vb::StrComp(valor, QString::fromLatin1(item), vb::Compare::Text) == 0) return true;
    return false;
}

}  // namespace send
