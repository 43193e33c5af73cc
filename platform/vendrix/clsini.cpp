#include "platform/vendrix/clsini.h"

#include "platform/vendrix/paths.h"
#include "platform/vb/textfile.h"

QString clsIni::LeeIni(const QString& archivo, const QString& seccion, const QString& clave,
                       const QString& defecto) const {
    const auto lineas = vb::readTextLines(vendrix::programFile(archivo));
    if (!lineas) return defecto;
    const QString buscada = seccion.trimmed();
    const QString claveBuscada = clave.trimmed();
    bool enSeccion = false;
    for (const QString& linea : *lineas) {
        const QString t = linea.trimmed();
        if (t.startsWith(u'[')) {
            const qsizetype cierre = t.lastIndexOf(u']');
            const QString nombre = t.mid(1, cierre < 0 ? -1 : cierre - 1).trimmed();
            enSeccion = nombre.compare(buscada, Qt::CaseInsensitive) == 0;
            continue;
        }
        if (!enSeccion || t.startsWith(u';')) continue;
        const qsizetype igual = t.indexOf(u'=');
        if (igual < 0) continue;
        if (t.left(igual).trimmed().compare(claveBuscada, Qt::CaseInsensitive) != 0) continue;
        QString valor = t.mid(igual + 1).trimmed();
        if (valor.size() >= 2 && valor.startsWith(u'"') && valor.endsWith(u'"'))
            valor = valor.mid(1, valor.size() - 2);
        return valor;
    }
    return defecto;
}

QString clsIni::LeeIni(const QString& archivo, const QString& seccion, const QString& clave,
                       const QString& defecto, QString& valor) const {
    valor = LeeIni(archivo, seccion, clave, defecto);
    return valor;
}

clsIni& gIni() {
    static clsIni instancia;
    return instancia;
}
