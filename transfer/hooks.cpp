#include "transfer/hooks.h"

#include "platform/ui/operator.h"
#include "send/hooks.h"
#include "transfer/frmmsgbox.h"

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

}  // namespace transfer
