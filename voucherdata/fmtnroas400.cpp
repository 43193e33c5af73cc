#include "voucherdata/fmtnroas400.h"

#include "core/formats.h"
#include "platform/vb/conversions.h"
#include "platform/vb/strings.h"

namespace FmtNroAS400 {

QString FormatoNumeroAS400(const QString& Valor, std::int16_t Enteros, std::int16_t Decimales) {
    const QString separador = ModGlobal::SeparadorDecimal() == QLatin1String(",")
                                  ? QStringLiteral(",")
                                  : QStringLiteral(".");
    const QString ceros(std::max<int>(Enteros, 0), u'0');
    const int p = vb::InStr(Valor, separador);
    QString entero;
    QString decimales;
    if (p > 0) {
        entero = vb::Format(vb::Val(vb::Left(Valor, p - 1)), ceros);
        decimales = vb::Mid(Valor, p + 1);
        const int largo = static_cast<int>(vb::Trim(decimales).size());
        if (largo >= Decimales)
            decimales = vb::Left(decimales, Decimales);
        else
            decimales += QString(Decimales - largo, u'0');
    } else {
        entero = vb::Format(vb::Val(Valor), ceros);
        decimales = Decimales == 0 ? QString() : QString(Decimales, u'0');
    }
    // A whole part of zero has no sign of its own: "-0,5" keeps its "-" from the text.
    if (vb::Trim(Valor).startsWith(u'-') && !entero.startsWith(u'-')) entero.prepend(u'-');
    return entero + vb::Trim(decimales);
}

}  // namespace FmtNroAS400
