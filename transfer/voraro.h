#pragma once

#include "platform/vb/steps.h"

#include <QString>

#include <cstdint>

// The unattended FTP job: uploads the files named in a list file, uploads or downloads a
// whole folder, or moves or deletes one file, with the notification popup as its only sign.
namespace VORARo {

// The server tried when SERVER refuses the connection: a machine of the local network,
// set at start-up. Empty: there is none, and SERVER is tried alone.
extern QString gServidorFTPAlternativo;

// The values of a job's parameter string.
struct ParametrosFTP {
    QString DOWNLOAD, SERVER, USUARIO, PASSWORD, PUERTO, ARCHIVO, DIRWEB, DIRDESTINO, PROXY,
        PROXYPASS;
};

// The value of `clave` in a parameter string of entries KEY=value;: the text after the
// first entry of that key (the key whole, at the string's start or after a ";", found
// without regard to case) and the one character after it, up to the next ";". Empty when
// the key is not there; raises vb::err::InvalidProcedureCall when no ";" closes the value.
QString BuscaValor(const QString& parametros, const QString& clave);

// Looks the ten keys up in order, each lookup one of `pasos` (so a failing one can be
// retried or left empty); an empty or blank PUERTO becomes "21".
void LeeParametros(const QString& parametros, ParametrosFTP& p, vb::Steps& pasos);

// Runs the job that `parametros` describes; with a blank string it only shows the FTP
// client window. Downloading every file, a listed name that would leave the local folder
// (see modFTP::NombreLocalValido) or repeats another in a different case is told in the
// error box, and the others are downloaded. `hayError` ends at 0 when at least one file of a list
// job was uploaded, else at -1. A run-time error asks the operator (Abort, Retry, Ignore): Abort
// leaves the job at once.
void EjecutaFTP(const QString& parametros, std::int16_t& hayError);

}  // namespace VORARo
