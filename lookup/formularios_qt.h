#pragma once

namespace lookup {

// Installs the lookup windows (Lib_FrmCons3, Lib_FrmCons3Tree), shown through the operator
// service, as the forms of the lookup service.
void instalaFormularios();

}  // namespace lookup
