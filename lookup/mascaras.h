#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// One lookup definition of "consultas.kqv": which columns, search column and filter a lookup
// of a bare table or view uses.
struct MascaraConsulta {
    QString TituloConsulta;
    QString TablaMascara;  // the record's key
    QString Columnas;      // "|NOMBRE|IDVENDEDOR|"
    QString Filtro;        // condition without the word WHERE; blank for none
};

namespace mascaras {

// Records are 1202 bytes, Windows-1252, fields padded with blanks and closed by CR LF; kept
// byte for byte because the suite's other programs write the same file.
constexpr int kLargoRegistro = 1202;

// A field longer than its width is cut, never spilled into the next field.
QByteArray encode(const MascaraConsulta& registro);
// The fields as stored, padding included.
MascaraConsulta decode(const QByteArray& registro);

// A stored field without its padding: the characters of code 0 and 255 taken out, then
// trimmed of blanks.
QString limpia(const QString& campo);

// The first record whose key matches `tabla` (trimmed, without regard to case); nothing when
// there is none or the file cannot be read.
std::optional<MascaraConsulta> buscar(const QString& ruta, const QString& tabla);

// The eleven definitions written when the file is missing.
QList<MascaraConsulta> registrosPorDefecto();

// Writes the default records after the last whole record of the file at `ruta` (creating
// it). Raises a VbError when the file cannot be written.
void escribePorDefecto(const QString& ruta);

}  // namespace mascaras
