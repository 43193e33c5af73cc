#pragma once

#include <QString>

#include <functional>

// The send dialog as the error-log report uses it. The send folder lives above this one, so
// the program installs these at start-up; until then a mail output raises an error.
namespace report {

struct Envio {
    // A path in the temporary folder for a file of that name and extension (an empty name
    // gives the time as HHMMSS); the extension gets its leading ".". An old file there goes.
    std::function<QString(QString& Nombre, QString& Extension)> NombreArchivoTemporal;
    // Shows the send dialog modally with the file as its attachment, the subject in its
    // "Asunto" field and the dialog opened for the operator before anything is sent.
    std::function<void(const QString& archAdjunto, const QString& asunto)> MuestraEnviar;
};

// The installed services.
Envio& envio();

// Calls through the installed services; each raises a VbError when none is installed.
QString NombreArchivoTemporal(QString& Nombre, QString& Extension);
void MuestraEnviar(const QString& archAdjunto, const QString& asunto);

}  // namespace report
