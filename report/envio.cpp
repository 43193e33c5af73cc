#include "report/envio.h"

#include "platform/vb/vberror.h"

namespace {

[[noreturn]] void sinEnvio() {
    throw vb::VbError(vb::err::ObjectVariableNotSet,
                      QStringLiteral("El envío de informes no está disponible"));
}

}  // namespace

namespace report {

Envio& envio() {
    static Envio instalado;
    return instalado;
}

QString NombreArchivoTemporal(QString& Nombre, QString& Extension) {
    if (!envio().NombreArchivoTemporal) sinEnvio();
    return envio().NombreArchivoTemporal(Nombre, Extension);
}

void MuestraEnviar(const QString& archAdjunto, const QString& asunto) {
    if (!envio().MuestraEnviar) sinEnvio();
    envio().MuestraEnviar(archAdjunto, asunto);
}

}  // namespace report
