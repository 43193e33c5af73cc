#pragma once

#include "transfer/ventanas.h"

#include <QPointer>

#include <memory>

class FrmMsg;
class FrmNotificacionRecepcioon;
class frmMainFTP;

namespace transfer {

// The file-transfer windows on Qt Widgets: the hidden progress form, the notification popup
// and the FTP client window, each loaded on first use; its destructor unloads them.
class VentanasQt : public Ventanas {
public:
    VentanasQt();
    ~VentanasQt() override;

    FrmMsgVista& FrmMsg() override;
    NotificacionVista& FrmNotificacionRecepcioon() override;
    void MuestraNotificacion(std::int32_t ocultar, std::uint8_t opacidad, std::int16_t paso,
                             std::int16_t ancho, std::int16_t alto) override;
    void MuestraFrmMainFTP() override;
    void DescargaFrmMainFTP() override;

    // The loaded forms, or nullptr.
    ::FrmNotificacionRecepcioon* popup() const { return popup_.get(); }
    ::frmMainFTP* ventana() const;

private:
    ::FrmNotificacionRecepcioon& cargaPopup();

    std::unique_ptr<::FrmMsg> msg_;
    std::unique_ptr<::FrmNotificacionRecepcioon> popup_;
    QPointer<::frmMainFTP> ventana_;
};

}  // namespace transfer
