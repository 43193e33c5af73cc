#include "lookup/formularios_qt.h"

#include "lookup/datos.h"
#include "lookup/lib_frmcons3.h"
#include "lookup/lib_frmcons3tree.h"
#include "platform/ui/operator.h"

namespace lookup {

void instalaFormularios() {
    formularios().muestraGrilla = [](SearchGrid& grid) {
        Lib_FrmCons3 form(grid);
        ui::op().showModal(form);
    };
    formularios().muestraArbol = [](CodeTree& tree) {
        Lib_FrmCons3Tree form(tree);
        ui::op().showModal(form);
    };
}

}  // namespace lookup
