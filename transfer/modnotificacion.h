#pragma once

#include <QSize>

#include <cstdint>
#include <optional>

// The notification popup's placement next to the taskbar, its translucency, and its grow
// and shrink animation.
namespace ModNotificacion {

// A rectangle in screen pixels; right and bottom lie just past the last pixel.
struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
};

// The popup as MuestraNotificacion handles it. Sizes and places are in twips, 15 to a pixel.
class Popup {
public:
    virtual ~Popup() = default;
    virtual int Height() const = 0;
    virtual void setHeight(int twips) = 0;
    virtual int Width() const = 0;
    virtual void setWidth(int twips) = 0;
    virtual int Top() const = 0;
    virtual void setTop(int twips) = 0;
    virtual void Move(int left, int top) = 0;
    // 0 transparent to 255 opaque.
    virtual void setOpacidad(std::uint8_t opacidad) = 0;
    // Shown above every other window, without taking the focus, neither moved nor resized.
    virtual void MuestraEncima() = 0;
    virtual void Descarga() = 0;
    // The screen's size in twips.
    virtual QSize Pantalla() const = 0;
    // The taskbar's rectangle; nothing when there is no taskbar.
    virtual std::optional<Rect> BarraDeTareas() const = 0;
};

// `ocultar` 0: sizes the popup to `ancho` by `alto` (when there is a taskbar), places it in
// the screen's corner beside the taskbar, makes it translucent and shows it on top, growing
// by `paso` up to its height; any other value: shrinks it by `paso` and unloads it. The
// interface processes its events at every step.
void MuestraNotificacion(Popup& form, std::int32_t ocultar, std::uint8_t opacidad,
                         std::int16_t paso, std::int16_t ancho, std::int16_t alto);

}  // namespace ModNotificacion
