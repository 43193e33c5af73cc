#pragma once

#include "send/dialogoenvio.h"

#include <QString>
#include <QStringList>

// The web upload of the send dialog: a file published on the maker's document server by the
// unattended FTP job, and its public link.
namespace send {

// The document server a deployment uploads to: the section "ServidorDocumentos" of the INI
// file "ZX900pr.INI" with the keys "Servidor" (the public host, also named by the links),
// "ServidorInterno" and "EquiposInternos" (the in-house server, used from the computers
// listed, separated by ","), "Usuario", "Password" (plain or scrambled) and "Puerto" (21
// when blank).
struct ServidorDocumentos {
    QString Servidor;
    QString ServidorInterno;
    QStringList EquiposInternos;
    QString Usuario;
    QString Password;
    QString Puerto;
};
ServidorDocumentos LeeServidorDocumentos();

// The server date and time as one stamp for file names, yyyyMMddHHmmss.
QString EstampaServidor();

// Publishes `archivoOriginal` as `NombreArchivo` (empty: "DOCUMENTO_TMP"), "_", the server
// stamp (none when `MantenerNombre`) and "." + `ext` (its points removed) under the client's
// folder of the month, and leaves its link in the dialog's LinkDocumento; a failed transfer
// empties it. Without a client code or without the FTP client the operator is told and
// LinkDocumento is kept. Failing statements are passed over. The result is always empty.
QString uploadAdjuntoWeb(DialogoEnvio& dialogo, const QString& archivoOriginal,
                         QString& NombreArchivo, QString& ext, bool MantenerNombre);

// Writes `dato` as a line of the text file `Ruta`, replacing the file when `NoAgrega`, else
// appending to it. Failures are passed over.
void crearArchivo(const QString& Ruta, const QString& dato, bool NoAgrega);

}  // namespace send
