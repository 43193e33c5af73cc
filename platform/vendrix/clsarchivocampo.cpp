#include "platform/vendrix/clsarchivocampo.h"

#include "platform/vendrix/paths.h"
#include "platform/vb/vberror.h"

#include <QFile>

void clsArchivoCampo::CargaArchivo(ado::Field campo, const QString& ruta) {
    QFile archivo(vendrix::findFileIgnoringCase(ruta));
    if (ruta.isEmpty() || !archivo.open(QIODevice::ReadOnly))
        vb::raise(vb::err::FileNotFound, QStringLiteral("clsArchivoCampo"));
    campo.setValue(archivo.readAll());
}
