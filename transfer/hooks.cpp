#include "transfer/hooks.h"

#include "platform/ui/operator.h"
#include "send/hooks.h"
#include "transfer/frmimgnew.h"
#include "transfer/frmmsgbox.h"
#include "transfer/rt_imgthumbs.h"
#include "transfer/ventanasqt.h"
#include "transfer/voraro.h"

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
    sendhooks::Servicios& servicios = sendhooks::servicios();
    servicios.EjecutaFTP = VORARo::EjecutaFTP;
    servicios.GeneraThumbnail = Rt_ImgThumbs::GeneraThumbnail;
    servicios.TamanoAjustado = Rt_ImgThumbs::TamanoAjustado;
    servicios.MuestraImagen = [](const QString& pImagen) {
        FrmImgNew visor;
        visor.pImagen = pImagen;
        ui::op().showModal(visor);
    };
}

void instalaVentanas() {
    // One set for the whole run; it is never destroyed, as the program's windows live to
    // its end.
    static auto* ventanas = new VentanasQt;
    setVentanas(ventanas);
}

}  // namespace transfer
