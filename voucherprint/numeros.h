#pragma once

#include <QString>
#include <QStringView>

namespace ModGlobal {

// A whole number written with digits only, a leading minus sign or not: the only text that
// may stand bare in a selection formula.
inline bool EsNumeroEntero(const QString& texto) {
    const QStringView cifras = texto.startsWith(u'-') ? QStringView(texto).mid(1) : texto;
    if (cifras.isEmpty()) return false;
    for (const QChar c : cifras)
        if (c < u'0' || c > u'9') return false;
    return true;
}

}  // namespace ModGlobal
