#include "transfer/ventanasqt.h"

#include "transfer/frmmainftp.h"
#include "transfer/frmmsg.h"
#include "transfer/frmnotificacionrecepcioon.h"
#include "transfer/popupqt.h"

namespace transfer {

VentanasQt::VentanasQt() = default;

VentanasQt::~VentanasQt() {
    DescargaFrmMainFTP();
}

::frmMainFTP* VentanasQt::ventana() const {
    return ventana_.data();
}

FrmMsgVista& VentanasQt::FrmMsg() {
    if (!msg_) msg_ = std::make_unique<::FrmMsg>();
    return *msg_;
}

::FrmNotificacionRecepcioon& VentanasQt::cargaPopup() {
    if (!popup_) popup_ = std::make_unique<::FrmNotificacionRecepcioon>();
    return *popup_;
}

NotificacionVista& VentanasQt::FrmNotificacionRecepcioon() {
    return cargaPopup();
}

void VentanasQt::MuestraNotificacion(std::int32_t ocultar, std::uint8_t opacidad,
                                     std::int16_t paso, std::int16_t ancho, std::int16_t alto) {
    ModNotificacion::MuestraNotificacion(cargaPopup(), ocultar, opacidad, paso, ancho, alto,
                                         [this] { popup_.reset(); });
}

void VentanasQt::MuestraFrmMainFTP() {
    if (!ventana_) {
        ventana_ = new ::frmMainFTP;
        ventana_->setAttribute(Qt::WA_DeleteOnClose);
    }
    ventana_->show();
    ventana_->raise();
}

void VentanasQt::DescargaFrmMainFTP() {
    // Closing it unloads it: the window deletes itself on close.
    if (ventana_) ventana_->close();
    delete ventana_.data();
}

}  // namespace transfer
