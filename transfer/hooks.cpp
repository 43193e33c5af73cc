#include "transfer/hooks.h"

#include "platform/ui/operator.h"
#include "send/hooks.h"
#include "transfer/frmmsgbox.h"
#include "transfer/ventanasqt.h"

namespace transfer {

void instalaEnEnvio() {
    sendhooks::setAvisoTemporizado(
        [](const QString& Titulo, const QString& Mensaje, std::int16_t Espera) {
            FrmMsgBox box;
            box.Mensaje = Mensaje;
            box.Titulo = Titulo;
            box.Espera = Espera;
            ui::op().showModal(box);
        });
}

void instalaVentanas() {
    // One set for the whole run; it is never destroyed, as the program's windows live to
    // its end.
    static auto* ventanas = new VentanasQt;
    setVentanas(ventanas);
}

}  // namespace transfer
