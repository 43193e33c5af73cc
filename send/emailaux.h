#pragma once

#include <QString>

// The mail module's procedures: temporary file names, the export of a report file for
// mailing, and the HTML of a mail.
namespace eMailAux {

// A path in the temporary folder: `Nombre` and `Extension`, or, for an empty name, the time
// of day as HHMMSS and a part of its own (core::timeNamedTemporary) in the program's private
// temporary folder. `Extension` gets a leading "."
// when it lacks one. A file already at that path is deleted. Never raises.
QString NombreArchivoTemporal(QString& Nombre, QString& Extension);
QString NombreArchivoTemporal(const QString& Nombre, const QString& Extension);

// Exports the saved report at `Reporte` to `Archivo` in the export format `Formato` (31 is
// PDF), asking nothing. A missing report is told to the operator and gives false with an
// empty `Motivo`; any other failure gives false with its description in `Motivo`. True when
// the file was written.
bool ExportaReporte(const QString& Reporte, const QString& Archivo, long Formato,
                    QString* Motivo = nullptr);

// The same export for a document the program printed to a file: a missing report is told;
// an export that fails asks the operator (Abort, Retry, Ignore) and Retry runs it again.
void ExportarArchivo(const QString& Reporte, const QString& Archivo, long Formato);

// The text as an HTML page. The caller's text gets "&", "<" and ">" written as "&amp;", "&lt;"
// and "&gt;", and every carriage return as "<BR>" (line feeds stay); the page is
// "<HTML><BODY>", that text and "</BODY></HTML>".
QString TextoAHTML(QString& Texto);

// Writes the style sheet "Style_Quastel.css" of HTML mails into `Carpeta`: the fixed classes
// and one row class per classification of ta_clasificaciones that has a colour. Failures
// (the table, the file, a colour that is no number) reach the caller.
void GeneraEstiloCSS(const QString& Carpeta);

// "#" and the six hexadecimal digits of a colour number stored blue-green-red, in the order
// red, green, blue ("255" gives "#FF0000"). Type mismatch (13) when it is not a number.
QString ColorHTML(const QString& Color);

}  // namespace eMailAux
