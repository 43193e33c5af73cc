#pragma once

#include <QString>
#include <QStringList>

// The suite's command line: items "@" key "=" value, separated by ";" (the form MenuExes
// writes for the sibling programs).
namespace core {

// The value of the item whose name is `key` ("@Usuario"), compared without regard to case and
// as a whole name, so "@Usuario" never matches "@UsuarioLogeado". Only the "=" between name
// and value and the blanks around the value go; a last item without ";" runs to the end.
// `fallback` when no item has that name.
QString commandLineValue(const QString& text, const QString& key, const QString& fallback = {});

// The keys among `keys` that no item of `text` names, in the order given.
QStringList commandLineMissing(const QString& text, const QStringList& keys);

// The program's own command line: its arguments joined by blanks.
QString programCommandLine();

}  // namespace core

namespace ModGlobal {

// The server name the database class keeps: what follows the first "/" (an instance), cut at
// its first ":" (a port). An embedded-engine server ("sqlite:" and a folder) stays whole.
QString ExtraeServidor(const QString& Servidor);

}  // namespace ModGlobal
