#include "send/hooks.h"

#include "platform/ui/operator.h"
#include "platform/vb/steps.h"

namespace sendhooks {

namespace {

AvisoTemporizado& aviso() {
    static AvisoTemporizado a;
    return a;
}

}  // namespace

AvisoTemporizado setAvisoTemporizado(AvisoTemporizado a) {
    AvisoTemporizado previous = std::move(aviso());
    aviso() = std::move(a);
    return previous;
}

void MuestraAviso(const QString& Titulo, const QString& Mensaje, std::int16_t Espera) {
    if (aviso())
        aviso()(Titulo, Mensaje, Espera);
    else
        ui::op().msgBox(Mensaje, vb::vbOKOnly, Titulo);
}

Servicios& servicios() {
    static Servicios s;
    return s;
}

}  // namespace sendhooks
