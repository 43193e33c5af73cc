#include "send/informe.h"

#include "platform/ui/operator.h"
#include "report/envio.h"
#include "send/emailaux.h"
#include "send/frmenviar.h"

namespace send {

void instalaEnInforme() {
    report::envio().NombreArchivoTemporal = [](QString& nombre, QString& extension) {
        return eMailAux::NombreArchivoTemporal(nombre, extension);
    };
    report::envio().MuestraEnviar = [](const QString& adjunto, const QString& asunto) {
        FrmEnviar& dialogo = FrmEnviar::Default();
        dialogo.archAdjunto = adjunto;
        dialogo.SetTexto(QStringLiteral("Asunto"), asunto);
        dialogo.MostrarAntes = true;
        ui::op().showModal(dialogo);
    };
}

}  // namespace send
