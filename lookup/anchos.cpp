#include "lookup/anchos.h"

#include "platform/vb/strings.h"
#include "platform/vb/textfile.h"
#include "platform/vb/vberror.h"
#include "platform/vendrix/clsutil.h"
#include "platform/vendrix/paths.h"

#include <QFile>
#include <QDir>
#include <QFileInfo>

#include <cstdio>

namespace anchos {

namespace {

[[noreturn]] void falla(const QString& ruta) {
    throw vb::VbError(vb::err::PathFileAccess, vb::standardDescription(vb::err::PathFileAccess) +
                                                   QStringLiteral(": ") + ruta);
}

}  // namespace

QString rutaArchivo() {
    return vendrix::programFile(QStringLiteral("CONSULTASLEN.KQV"));
}

QString rutaAuxiliar() {
    return QFileInfo(rutaArchivo()).dir().filePath(QStringLiteral("CONSULTASLEN.AUX"));
}

QList<Par> leePares(const QString& ruta) {
    QFile file(ruta);
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QStringList f = vb::inputFields(vb::fromCp1252(file.readAll()));
    QList<Par> pares;
    for (int i = 0; i + 1 < f.size(); i += 2) pares.append({f[i], f[i + 1]});
    if (f.size() % 2 == 1) pares.append({f.last(), QString()});
    return pares;
}

void LeerAnchosColumnas(const QString& ruta, QString& tabla, QList<double>& anchos) {
    if (!QFileInfo(ruta).isFile()) return;
    if (vb::Trim(tabla).compare(QStringLiteral("Stk_ma_articulos"), Qt::CaseInsensitive) == 0) {
        tabla = QStringLiteral("VT_MA_ARTICULOS");
    }
    for (const Par& par : leePares(ruta)) {
        if (par.clave.compare(tabla, Qt::CaseInsensitive) != 0) continue;
        QString resto = par.anchos;
        for (double& ancho : anchos) {
            const int barra = resto.indexOf('|');
            if (barra < 0) return;  // a short line ends the reading, as it always has
            ancho = gUtil().ValorNumerico(resto.left(barra)).toDouble();
            resto = resto.mid(barra + 1);
        }
    }
}

QString textoAnchos(const QList<double>& anchos) {
    QString texto;
    for (double ancho : anchos) texto += QString::number(ancho, 'g', 7) + '|';
    return texto;
}

void GrabarAnchosColumnas(const QString& ruta, const QString& auxiliar, const QString& tabla,
                          const QList<double>& anchos) {
    QStringList lineas;
    for (const Par& par : leePares(ruta)) {
        if (par.clave.compare(tabla, Qt::CaseInsensitive) == 0) continue;
        lineas.append(QStringLiteral("\"%1\",\"%2\"").arg(par.clave, par.anchos));
    }
    lineas.append(QStringLiteral("\"%1\",\"%2\"").arg(tabla, textoAnchos(anchos)));

    if (!vb::writeTextLines(auxiliar, lineas)) {
        QFile::remove(auxiliar);
        falla(auxiliar);
    }
    // rename(2) replaces the old file in one step.
    if (std::rename(QFile::encodeName(auxiliar).constData(),
                    QFile::encodeName(ruta).constData()) != 0) {
        QFile::remove(auxiliar);
        falla(ruta);
    }
}

}  // namespace anchos
