#pragma once

#include <QString>

#include <cstdint>

// What the file-transfer logic shows through the window layer: the two progress forms, the
// popup's show and hide, and the FTP client window. The window layer installs the real
// ones at start-up; until then nothing is shown.
namespace transfer {

// A progress bar as the FTP class and the window set it.
class BarraProgreso {
public:
    virtual ~BarraProgreso() = default;
    virtual void setMin(int value) = 0;
    virtual void setMax(int value) = 0;
    virtual void setValue(int value) = 0;
};

// The hidden progress form FrmMsg: Label1 shows the server's reply, pb the transfer.
class FrmMsgVista {
public:
    virtual ~FrmMsgVista() = default;
    // Shown at once (the form is repainted).
    virtual void setLabel1(const QString& text) = 0;
    virtual BarraProgreso& pb() = 0;
};

// The notification popup FrmNotificacionRecepcioon.
class NotificacionVista {
public:
    virtual ~NotificacionVista() = default;
    virtual void setCaption(const QString& text) = 0;
    // Each label is repainted as soon as it is set.
    virtual void setLblTitulo(const QString& text) = 0;
    virtual void setLblInfo(const QString& text) = 0;
    virtual BarraProgreso& pb() = 0;
};

class Ventanas {
public:
    virtual ~Ventanas() = default;
    // The forms, loaded on first use.
    virtual FrmMsgVista& FrmMsg() = 0;
    virtual NotificacionVista& FrmNotificacionRecepcioon() = 0;
    // MuestraNotificacion on the popup: `ocultar` 0 places and shows it, any other value
    // shrinks and unloads it.
    virtual void MuestraNotificacion(std::int32_t ocultar, std::uint8_t opacidad,
                                     std::int16_t paso, std::int16_t ancho, std::int16_t alto) = 0;
    // The FTP client window: shown modeless; unloaded when it is loaded.
    virtual void MuestraFrmMainFTP() = 0;
    virtual void DescargaFrmMainFTP() = 0;
};

// The installed windows.
Ventanas& ventanas();
// Installs them (not owned; they must outlive their use); returns the previous ones.
// nullptr puts back the windows that show nothing.
Ventanas* setVentanas(Ventanas* v);

}  // namespace transfer
