#pragma once

#include "platform/vb/strings.h"

#include <QString>

// Texts of codes and settings compare without regard to letter case.
namespace IMP_Recibos {

inline bool iguales(const QString& a, const QString& b) {
    return vb::StrComp(a, b, vb::Compare::Text) == 0;
}

}  // namespace IMP_Recibos
