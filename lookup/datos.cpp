#include "lookup/datos.h"

#include "platform/vb/vberror.h"

namespace lookup {

namespace {

[[noreturn]] void sinBase() {
    throw vb::VbError(3709, QStringLiteral("No database is available to the lookup"));
}

Datos porDefecto() {
    Datos d;
    d.Cfg = [](const QString&) -> QString { return QStringLiteral(" "); };
    d.consulta = [](QString&, bool) -> std::optional<ResultadoConsulta> { sinBase(); };
    d.ejecuta = [](const QString&) -> QString { sinBase(); };
    d.cadenaConexion = []() -> QString { return {}; };
    d.usuario = []() -> QString { return {}; };
    d.valorEnTabla = [](const QString&, const QString&, const QString&,
                        const QString&) -> std::optional<QString> { sinBase(); };
    d.MenuExes = [](const QString&, const QString&) {};
    return d;
}

}  // namespace

Datos& datos() {
    static Datos instancia = porDefecto();
    return instancia;
}

Formularios& formularios() {
    static Formularios instancia{
        [](SearchGrid&) { throw vb::VbError(424, QStringLiteral("No lookup window installed")); },
        [](CodeTree&) { throw vb::VbError(424, QStringLiteral("No lookup window installed")); },
    };
    return instancia;
}

}  // namespace lookup
