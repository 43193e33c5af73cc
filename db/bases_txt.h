#pragma once

#include <QList>
#include <QString>

#include <optional>

// "BASES.TXT" in the program folder: the workstation's registered database connections, one
// line each, five comma-separated fields, Windows-1252 with CRLF ends.

// One entry as it reads back; the password already turned back into plain text.
struct ConexionRegistrada {
    QString Nombre;
    QString Database;
    QString Usuario;
    QString Password;
    QString Servidor;
};

namespace TXR_Common {

// Appends one entry (the password scrambled). A value holding a line break, a comma, a
// double quote, another control character or a character Windows-1252 lacks would not read
// back as itself: the operator is told why ("Atención") and nothing is written. False when
// nothing was written.
bool AgregaConexionBases(const QString& Nombre, const QString& Database, const QString& Usuario,
                         const QString& Password, const QString& Servidor,
                         const QString& Sufijo = {}, bool Oracle = false);
// The same test alone, for a caller that checks before it tries the connection.
bool ConexionRegistrable(const QString& Nombre, const QString& Database, const QString& Usuario,
                         const QString& Password, const QString& Servidor,
                         const QString& Sufijo = {}, bool Oracle = false);

}  // namespace TXR_Common

namespace bases {

// The file's path in the program folder (its name matched without regard to case).
QString ruta();
// Every entry, line by line; nothing when the file is missing. Raises when it cannot be read.
std::optional<QList<ConexionRegistrada>> lee();
// The first entry whose name equals `nombre` (trimmed, with case); nothing when none does.
std::optional<ConexionRegistrada> busca(const QString& nombre);

}  // namespace bases
