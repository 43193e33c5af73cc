#include "app/arranque.h"

#include "core/startup.h"
#include "db/frmacceso.h"
#include "db/origen_reportes.h"
#include "lookup/formularios_qt.h"
#include "lookup/lib_clscons3.h"
#include "platform/ui/operator.h"
#include "platform/vendrix/clscampos.h"
#include "platform/vendrix/controlarray.h"
#include "report/envio.h"
#include "send/emailaux.h"
#include "send/frmenviar.h"

#include <QLineEdit>

namespace arranque {

namespace {

// The send dialog as the report form hands it a report file.
void instalaEnvio() {
    report::envio().NombreArchivoTemporal = [](QString& nombre, QString& extension) {
        return eMailAux::NombreArchivoTemporal(nombre, extension);
    };
    report::envio().MuestraEnviar = [](const QString& adjunto, const QString& asunto) {
        FrmEnviar& dialogo = FrmEnviar::Default();
        dialogo.archAdjunto = adjunto;
        const int indice = gCampos().Campo(dialogo, QStringLiteral("Asunto"));
        if (auto* caja = vendrix::controlElement<QLineEdit>(dialogo, "txtfields", indice))
            caja->setText(asunto);
        dialogo.MostrarAntes = true;
        ui::op().showModal(dialogo);
    };
}

}  // namespace

void instalaServicios() {
    frmAcceso::Instala();
    core::installDatabaseHooks();
    lookup::instalaFormularios();
    core::startupHooks().PreparaConsultas = lookup::PreparaConsultas;
    core::startupHooks().CreaMascarasSiFaltan = lookup::CreaMascarasSiFaltan;
    instalaEnvio();
    dbreportes::instala();
}

}  // namespace arranque
