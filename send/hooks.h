#pragma once

#include <QString>

#include <cstdint>
#include <functional>

// What the send dialog uses of the subsystems above it; each installs its part at start-up.
namespace sendhooks {

// The timed message box: shows `Mensaje` under `Titulo` and returns when it closes, by
// itself after `Espera` seconds or by its button.
using AvisoTemporizado =
    std::function<void(const QString& Titulo, const QString& Mensaje, std::int16_t Espera)>;

// Installs it; returns the one it replaces.
AvisoTemporizado setAvisoTemporizado(AvisoTemporizado aviso);

// Shows the notice through the installed box; without one, as a plain message box.
void MuestraAviso(const QString& Titulo, const QString& Mensaje, std::int16_t Espera);

}  // namespace sendhooks
