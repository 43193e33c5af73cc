#pragma once

#include <QString>

#include <cstdint>

namespace ModGlobal {

// The command line a sibling program gets: this program's connection, user and cash box in
// the "@key=value;" form that InicioConexion reads.
QString LineaComandoHermano(const QString& Parametro);

// Starts another program of the suite with the current connection on its command line and
// returns at once. `Ejecutable`: a full path, "SHELL:" and a name, or a bare name (both taken
// from the program folder). `Parametro` loses what stands before its first blank. `IdTarea`
// receives the started program's process id, 0 when nothing started ("Opcion no
// Implementada!" is shown then).
void MenuExes(const QString& Ejecutable, QString& Parametro, std::int32_t& IdTarea);

}  // namespace ModGlobal
