#pragma once

#include <QString>

namespace ModGlobal {

// Writes this start's row of the access log (Control_Acceso): station, user, program and the
// menu task under which the user reaches it. `Proceso` empty means the running program.
// Sets gUsuarioLogeado to the login user and gIdControlAcceso to the new row's ID. Never
// stops the start.
void ControlAcceso(const QString& Proceso);

}  // namespace ModGlobal
