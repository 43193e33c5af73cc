#include "platform/vendrix/clsini.h"

#include "platform/vendrix/paths.h"
#include "platform/vb/textfile.h"

#include <QFile>
#include <QStringDecoder>

#include <optional>

namespace {

// The lines of an INI file. The suite writes Windows-1252; a file an editor saved with a
// byte-order mark (UTF-8, UTF-16 either way round) is read in that encoding, mark left out.
std::optional<QStringList> lineasIni(const QString& ruta) {
    QFile f(ruta);
    if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
    const QByteArray bytes = f.readAll();
    const std::optional<QStringConverter::Encoding> codificacion =
        QStringConverter::encodingForData(bytes);
    if (!codificacion || *codificacion == QStringConverter::Latin1) {
        return vb::readTextLines(ruta);
    }
    QStringDecoder decodificador(*codificacion, QStringConverter::Flag::ConvertInitialBom);
    QString texto = decodificador.decode(bytes);
    if (texto.startsWith(QChar(0xFEFF))) texto.remove(0, 1);
    texto.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    return texto.split(u'\n');
}

}  // namespace

QString clsIni::LeeIni(const QString& archivo, const QString& seccion, const QString& clave,
                       const QString& defecto) const {
    const auto lineas = lineasIni(vendrix::programFile(archivo));
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
        // The suite's programs get the value as a C string: a NUL byte ends it as the end of
        // the line would, before its blanks are taken off, and ends a quoted value too.
        QString valor = t.mid(igual + 1);
        const qsizetype nulo = valor.indexOf(QChar(0));
        if (nulo >= 0) valor.truncate(nulo);
        valor = valor.trimmed();
        if (valor.size() >= 2 && valor.startsWith(u'"') && valor.endsWith(u'"'))
            valor = valor.mid(1, valor.size() - 2);
        else if (nulo >= 0 && valor.startsWith(u'"'))
            valor.remove(0, 1);
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
