#include "platform/vendrix/clsdialogo.h"

#include "platform/ui/operator.h"

#include <QFileInfo>

bool clsDialogo::Mostrar() {
    const QString carpeta = Archivo.isEmpty() ? QString() : QFileInfo(Archivo).absolutePath();
    const auto elegido = ui::op().openFile(Titulo, Filtro, carpeta);
    Cancelado = !elegido.has_value();
    if (elegido) Archivo = *elegido;
    return !Cancelado;
}
