#pragma once

#include "platform/ado/recordset.h"

#include <QString>

namespace ModGlobal {

// Finds an account of the chart of accounts by its code or by its optional code, trying the
// other column when the first finds nothing. On success `Lrcs` is left on the row and
// `Cuenta` holds the account's code as stored (except after a first search by optional code
// that only the code found); a find by optional code after a search by code sets
// `PorCodigoOpcional`. `SoloLectura` false opens the recordset updatable.
bool BuscaCuenta(QString& Cuenta, ado::Recordset& Lrcs, bool SoloLectura, bool& PorCodigoOpcional);

}  // namespace ModGlobal
