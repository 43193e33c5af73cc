#pragma once

#include "transfer/modnotificacion.h"

#include <QRect>

#include <cstdint>
#include <functional>
#include <optional>

class QWidget;

namespace ModNotificacion {

// MuestraNotificacion on a window of this interface: twips are its screen's pixels times 15,
// and the taskbar is the strip of the screen outside its available area. `descarga`
// unloads the window at the end of a hide (by default it is only hidden).
void MuestraNotificacion(QWidget& form, std::int32_t ocultar, std::uint8_t opacidad,
                         std::int16_t paso, std::int16_t ancho, std::int16_t alto,
                         const std::function<void()>& descarga = {});

// The strip of `pantalla` that `disponible` leaves out, relative to the screen's corner;
// nothing when the whole screen is available.
std::optional<Rect> BarraDeTareas(const QRect& pantalla, const QRect& disponible);

}  // namespace ModNotificacion
