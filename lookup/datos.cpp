#include "lookup/datos.h"

#include "core/launcher.h"
#include "db/db_dll.h"
#include "db/hooks.h"
#include "platform/ado/backend.h"
#include "platform/ado/tsql/statement.h"
#include "platform/ui/operator.h"
#include "platform/vb/vberror.h"
#include "platform/vendrix/clsutil.h"

DB_Dll& gDBUDBC() {
    static DB_Dll instancia;
    return instancia;
}

namespace lookup {

namespace {

QList<CampoConsulta> camposDe(const QList<ado::Column>& columnas) {
    QList<CampoConsulta> campos;
    for (const ado::Column& c : columnas) campos.append({c.name, c.type, c.definedSize});
    return campos;
}

bool recorreEn(DB_Dll& db, QString& sql,
               const std::function<void(const QList<CampoConsulta>&)>& campos,
               const std::function<void(const QList<vb::Variant>&)>& fila,
               QList<CampoConsulta>& descritos) {
    // A lookup reads: a text that would also write or run a second statement is not sent.
    if (!tsql::isSingleRead(sql)) {
        ui::op().msgBox(QStringLiteral("La consulta no es una sola sentencia de lectura y no se "
                                       "ejecuta:\r\n") +
                            sql,
                        vb::vbCritical, QStringLiteral("Aviso al Operador"));
        return false;
    }
    QList<vb::Variant> valores;
    QList<ado::Column> columnas;
    const bool leida = db.RecorreConsulta(
        sql,
        [&](const QList<ado::Column>& c) {
            if (!c.isEmpty()) campos(camposDe(c));
        },
        [&](const ado::Row& row) {
            valores.resize(row.count());
            for (long i = 0; i < row.count(); ++i) valores[i] = row.value(i);
            fila(valores);
        },
        columnas);
    if (!leida) return false;
    descritos = camposDe(columnas);
    return true;
}

std::optional<ResultadoConsulta> consultaEn(DB_Dll& db, QString& sql) {
    ResultadoConsulta r;
    const bool leida = recorreEn(
        db, sql, [&](const QList<CampoConsulta>&) { r.filas.clear(); },
        [&](const QList<vb::Variant>& valores) {
            // A copy of its own, not a share of the list filled again for the next row.
            r.filas.append(QList<vb::Variant>(valores.begin(), valores.end()));
        },
        r.campos);
    if (!leida) return std::nullopt;
    return r;
}

Datos porDefecto() {
    Datos d;
    d.Cfg = [](const QString& clave) { return dbhooks::Cfg(clave); };
    d.consulta = [](QString& sql, bool udbc) { return consultaEn(udbc ? gDBUDBC() : gDB(), sql); };
    d.recorre = [](QString& sql, bool udbc, const auto& campos, const auto& fila,
                   QList<CampoConsulta>& descritos) {
        return recorreEn(udbc ? gDBUDBC() : gDB(), sql, campos, fila, descritos);
    };
    d.ejecuta = [](const QString& sql) -> QString {
        ado::Errors& errores = gDB().gCnn.errors();
        errores.Clear();
        gDB().EjecutaConsultaSQL(sql);
        return errores.Count() > 0 ? errores.Item(0).Description : QString();
    };
    d.cadenaConexion = [] { return gDB().gConnString; };
    d.usuario = [] { return gDB().gUsuario; };
    d.valorEnTabla = [](const QString& tabla, const QString& codigo, const QString& campo,
                        const QString& campoDevuelto) -> std::optional<QString> {
        ado::Recordset rs;
        if (!gDB().ExisteEnTabla(tabla, codigo, campo, &rs, 8, QString(), true)) {
            if (rs.State() == ado::adStateOpen) gDB().CierraRecordset(rs);
            return std::nullopt;
        }
        const QString valor = gUtil().NuloAVacio(rs[campoDevuelto]);
        gDB().CierraRecordset(rs);
        return valor;
    };
    d.MenuExes = [](const QString& ejecutable, const QString& parametro) {
        QString p = parametro;
        std::int32_t idTarea = 0;
        ModGlobal::MenuExes(ejecutable, p, idTarea);
    };
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
