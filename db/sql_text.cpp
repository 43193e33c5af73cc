#include "db/sql_text.h"

#include "platform/vb/conversions.h"

namespace sqltext {

QString numero(double valor) {
    QString texto = vb::CStr(vb::Variant(valor));
    texto.replace(vb::locale().decimalPoint(), QStringLiteral("."));
    return texto;
}

QString comillas(const QString& texto) {
    QString out = texto;
    out.replace(QStringLiteral("'"), QStringLiteral("''"));
    return out;
}

double numeroDe(const vb::Variant& valor) {
    if (valor.isNumber() || valor.isBoolean()) return valor.number();
    if (valor.isString()) return vb::Val(valor.string());
    if (valor.isNull() || valor.isEmpty()) return 0;
    return vb::Val(vb::CStr(valor));
}

long codigo(const vb::Variant& valor) {
    if (valor.isNumber()) return static_cast<long>(valor.number());
    if (valor.isString() && vb::IsNumeric(valor)) return static_cast<long>(vb::CDbl(valor));
    return -1;
}

}  // namespace sqltext
