#pragma once

#include <QString>

namespace ModGlobal {

// Loads the configuration table and the current user's row into the global settings
// (core/globals.h). `RutaPrograma` is the program folder with a trailing separator. Never
// reports a failure: a setting that cannot be read keeps its value.
void CargaConfiguracion(const QString& RutaPrograma);

}  // namespace ModGlobal
