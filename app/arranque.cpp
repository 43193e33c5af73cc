#include "app/arranque.h"

#include "core/startup.h"
#include "db/frmacceso.h"
#include "db/origen_reportes.h"
#include "lookup/formularios_qt.h"
#include "lookup/lib_clscons3.h"
#include "send/informe.h"
#include "transfer/hooks.h"

namespace arranque {

void instalaServicios() {
    frmAcceso::Instala();
    core::installDatabaseHooks();
    lookup::instalaFormularios();
    core::startupHooks().PreparaConsultas = lookup::PreparaConsultas;
    core::startupHooks().CreaMascarasSiFaltan = lookup::CreaMascarasSiFaltan;
    send::instalaEnInforme();
    transfer::instalaEnEnvio();
    transfer::instalaVentanas();
    dbreportes::instala();
}

}  // namespace arranque
