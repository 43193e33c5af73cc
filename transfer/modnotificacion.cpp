#include "transfer/modnotificacion.h"

#include "platform/ui/operator.h"

namespace ModNotificacion {

namespace {

constexpr int kTwipsPorPixel = 15;

enum class Borde { Ninguno, Abajo, Derecha, Izquierda, Arriba };

}  // namespace

void MuestraNotificacion(Popup& form, std::int32_t ocultar, std::uint8_t opacidad,
                         std::int16_t paso, std::int16_t ancho, std::int16_t alto) {
    Borde borde = Borde::Ninguno;
    int grosor = 0;
    if (const auto barra = form.BarraDeTareas()) {
        form.setHeight(alto);
        form.setWidth(ancho);
        const Rect& r = *barra;
        grosor = (r.bottom - r.top) * kTwipsPorPixel;
        if (r.left <= 0 && r.top > 0) {
            borde = Borde::Abajo;
        } else if (r.left > 0 && r.top <= 0) {
            borde = Borde::Derecha;
            grosor = (r.right - r.left) * kTwipsPorPixel;
        } else if (r.left <= 0 && r.top <= 0 && r.right < 600) {
            borde = Borde::Izquierda;
            grosor = r.right * kTwipsPorPixel;
        } else if (r.left <= 0 && r.top <= 0) {
            borde = Borde::Arriba;
        }
    } else {
        borde = Borde::Abajo;
    }
    form.setOpacidad(opacidad);

    if (ocultar == 0) {
        const int W = form.Pantalla().width();
        const int H = form.Pantalla().height();
        const int w = form.Width();
        const int h = form.Height();
        switch (borde) {
            case Borde::Abajo:
                form.Move(W - w, H - h - grosor);
                break;
            case Borde::Derecha:
                form.Move(W - w - grosor, H - h);
                break;
            case Borde::Izquierda:
                form.Move(grosor, H - h);
                break;
            case Borde::Arriba:
                form.Move(W - w, grosor);
                break;
            case Borde::Ninguno:
                break;
        }
        form.MuestraEncima();
        // A short popup grows up to its height with its bottom edge kept in place.
        for (int n = 0; n <= 1000 && form.Height() <= 1515; ++n) {
            ui::op().doEvents();
            form.setHeight(form.Height() + paso);
            if (borde != Borde::Arriba) form.setTop(form.Top() - paso);
        }
    } else {
        for (int n = 0; n <= 1000 && form.Height() >= 520; ++n) {
            ui::op().doEvents();
            form.setHeight(form.Height() - paso);
            if (borde != Borde::Arriba) form.setTop(form.Top() + paso);
        }
        form.Descarga();
    }
}

}  // namespace ModNotificacion
