#pragma once

#include "platform/vb/strings.h"

#include <QString>

#include <initializer_list>

// Texts of codes and settings compare without regard to letter case.
namespace IMP_Recibos {

inline bool iguales(const QString& a, const QString& b) {
    return vb::StrComp(a, b, vb::Compare::Text) == 0;
}

inline bool unoDe(const QString& valor, std::initializer_list<const char*> lista) {
    for (const char* item : lista) {
        if (iguales(valor, QString::fromLatin1(item))) return true;
    }
    return false;
}

}  // namespace IMP_Recibos
