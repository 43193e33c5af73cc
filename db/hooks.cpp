#include "db/hooks.h"

#include "db/db_dll.h"

namespace dbhooks {

Hooks& hooks() {
    static Hooks h;
    return h;
}

int ManejaError(const vb::VbError& err, const QString& rutina, int botones) {
    if (hooks().ManejaError) return hooks().ManejaError(err, rutina, botones);
    return gDB().TratamientoErrores(err, botones, rutina);
}

QString Cfg(const QString& clave) {
    if (hooks().Cfg) return hooks().Cfg(clave);
    return QStringLiteral(" ");
}

bool Confidencialidad() {
    return hooks().Confidencialidad && hooks().Confidencialidad();
}

bool UtilizarFechaDia() {
    return hooks().UtilizarFechaDia && hooks().UtilizarFechaDia();
}

void MuestraAcceso(DatosAcceso& datos) {
    if (!hooks().MuestraAcceso)
        throw vb::VbError(vb::err::InvalidProcedureCall,
                          QStringLiteral("No hay un diálogo de conexión instalado"),
                          QStringLiteral("DB_Dll"));
    hooks().MuestraAcceso(datos);
}

}  // namespace dbhooks
