#pragma once

#include "platform/vb/variant.h"

#include <QList>
#include <QString>

#include <cstdint>

namespace core {

// The blocks CopiaArchivo moves, in order: the length modulo 32768 first (when not 0), then
// blocks of 16384 bytes.
QList<qint64> copyBlockSizes(qint64 length);

// A temporary file name (without extension) made of the time as HHMMSS, then "_" and a part
// that tells this process and this call apart: two runs, or two calls, in the same second
// never share a file.
QString timeNamedTemporary(const vb::DateTime& when);

}  // namespace core

namespace ModGlobal {

// Whether the file opens for reading, double quotes removed from the path first. A folder
// is not a file.
bool ExisteArchivo(const QString& Ruta);
// The same test on the path unchanged (a quoted path counts as missing).
bool ArchivoExiste(const QString& Ruta);

// Copies a file in blocks; false when the source is missing or anything fails. The
// destination is replaced only once the copy is complete; a destination that is the source
// itself (another spelling, a link) is left as it is, with true.
bool CopiaArchivo(const QString& Origen, const QString& Destino);

// The one temporary export file: mode 1 opens it (at `NombreArchivo`, or a name made of the
// time in the temporary folder, see timeNamedTemporary) and writes `Linea` when not blank,
// 2 writes a line, 3 closes it and opens it with its program, 4 closes and deletes it.
// `Extension` gets its leading "."; `NombreArchivo` receives the path.
void ArchivoTemporal(std::int16_t Modo, const QString& Linea, QString& Extension,
                     QString& NombreArchivo);

// Opens the file with the program the desktop associates with it; a path with blanks goes
// between double quotes. Failures reach the caller.
void AbreArchivo(const QString& Ruta, const vb::Variant& Mostrar);

// A path relative to the program folder made absolute; a folder gets a trailing separator.
// Two characters or fewer give the empty text.
QString RutaCompleta(const QString& Ruta);

}  // namespace ModGlobal
