#include "core/access.h"

#include "core/errortable.h"
#include "core/formats.h"
#include "core/globals.h"
#include "db/column_fit.h"
#include "db/db_dll.h"
#include "db/sql_builders.h"
#include "db/sql_text.h"
#include "platform/ui/operator.h"
#include "platform/vb/app.h"
#include "platform/vb/conversions.h"
#include "platform/vb/steps.h"
#include "platform/vb/strings.h"
#include "platform/vendrix/clssistema.h"
#include "platform/vendrix/clsutil.h"

#include <QHash>
#include <QSet>

namespace ModGlobal {

namespace {

// The suite's other programs, by executable name: a second edition logs under the first
// one's name; utilities log without a task; the unattended monitor logs nothing.
const QHash<QString, QString>& variantes() {
    static const QHash<QString, QString> tabla = {
        {QStringLiteral("ZXVENTAS2"), QStringLiteral("ZXVENTAS")},
        {QStringLiteral("ZXPOSTOUCH"), QStringLiteral("ZXPOS")},
        {QStringLiteral("ZXCOMANDAS2"), QStringLiteral("ZXCOMANDAS")},
        {QStringLiteral("ZXMOZOS2"), QStringLiteral("ZXMOZOS")},
        {QStringLiteral("ZXCOMPRAS2"), QStringLiteral("ZXCOMPRAS")},
        {QStringLiteral("ZXSTOCK2"), QStringLiteral("ZXSTOCK")},
        {QStringLiteral("ZXCONTABLE2"), QStringLiteral("ZXCONTABLE")},
        {QStringLiteral("ZXTESORERIA2"), QStringLiteral("ZXTESORERIA")},
        {QStringLiteral("ZXCTACTE2"), QStringLiteral("ZXCTACTE")},
        {QStringLiteral("ZXOTTALLER"), QStringLiteral("ZXORDENTRABAJO")},
        {QStringLiteral("ZXFACTURAE2"), QStringLiteral("ZXFACTURAE")},
        {QStringLiteral("ZXCOBRANZAS2"), QStringLiteral("ZXCOBRANZAS")},
    };
    return tabla;
}

const QSet<QString>& sinTarea() {
    static const QSet<QString> nombres = {
        QStringLiteral("ZXPLANILLAARTICULOS"),
        QStringLiteral("ZXPLANILLAPRECIOS"),
        QStringLiteral("ZXFISCAL"),
        QStringLiteral("ZXFISCALUTIL"),
        QStringLiteral("ZXCONSULTASCONT"),
        QStringLiteral("ZXBACKUP"),
        QStringLiteral("ZXRESTORE"),
        QStringLiteral("ZXINTERFAZ"),
        QStringLiteral("ZXIMPORTADATOS"),
        QStringLiteral("ZXEXPORTADATOS"),
        QStringLiteral("ZXIMPDIFERIDA"),
    };
    return nombres;
}

const QString kSinFila = QStringLiteral("ZXMONITOR");

// The suite's supervisor login; compared, never shown or stored.
const QString kSupervisor = QStringLiteral("SUPERVISOR GENERAL ZX");

QString literal(const QString& texto) {
    return vb::CStr(gDB().SQLValue(texto, "'"));
}

}  // namespace

void ControlAcceso(const QString& Proceso) {
    // Nothing here may stop the start: each failing step is skipped.
    vb::Steps paso(vb::silentHandler());
    QString proceso = Proceso.isEmpty() ? vb::App().EXEName : Proceso;
    QString tarea;
    bool buscaTarea = true;
    paso([&] { gUsuarioLogeado = gDB().gUsuario; });
    paso([&] {
        const QString nombre = vb::UCase(proceso);
        if (nombre == kSinFila) throw vb::ExitProcedure{};
        if (variantes().contains(nombre))
            proceso = variantes().value(nombre);
        else if (sinTarea().contains(nombre))
            buscaTarea = false;
    });
    if (paso.left()) return;

    if (buscaTarea) {
        ado::Recordset rs;
        paso([&] {
            const QString like = sqltext::comillas(proceso);
            gDB().AbrirRecordset(
                QStringLiteral("SELECT TA_TAREAS.USUARIO, TA_MENU.Proceso, TA_MENU.Clave , "
                               "TA_MENU.Nombre  FROM TA_TAREAS  with(nolock) INNER JOIN TA_MENU "
                               "ON TA_TAREAS.TAREA = TA_MENU.Clave  WHERE (TA_TAREAS.USUARIO = ") +
                    literal(gUsuarioLogeado) + QStringLiteral(") AND (TA_MENU.Proceso LIKE '%") +
                    like + QStringLiteral("%')"),
                rs, nullptr, ado::adOpenForwardOnly, ado::adLockReadOnly, -1, true);
        });
        paso([&] {
            if (!rs.Eof()) {
                rs.MoveFirst();
                tarea = gUtil().NuloAVacio(rs[QStringLiteral("Nombre")]);
            } else if (vb::UCase(vb::App().EXEName) == QLatin1String("ZX900PR")) {
                tarea = QStringLiteral("Menu Principal");
            } else if (gUsuarioLogeado.compare(gDB().gDBName, Qt::CaseInsensitive) == 0 ||
                       gUsuarioLogeado.compare(kSupervisor, Qt::CaseInsensitive) == 0) {
                tarea = vb::App().EXEName;
            }
        });
        paso([&] { gDB().CierraRecordset(rs); });
    }

    QStringList sentencias{QString()};
    paso([&] {
        // Each text cut to its column as the database defines it (a host name may have 64
        // characters, a domain login more): the start is logged all the same.
        const auto cabe = [](const char* campo, const QString& valor) {
            return columnfit::ajusta(gDB().gCnn, QStringLiteral("Control_Acceso"),
                                     QString::fromLatin1(campo), valor);
        };
        QString maquina = cabe("Maquina", vb::UCase(vb::Trim(gSistema().NombreMaquina())));
        QString usuario = cabe("Usuario", vb::UCase(vb::Trim(gUsuarioLogeado)));
        QString formulario = cabe("Formulario", vb::UCase(vb::Trim(proceso)));
        QString tareaSql = cabe("Tarea", vb::UCase(vb::Trim(tarea)));
        QString ingreso = cabe("Ingreso", vb::Format(ui::clock().now(), FormatoFechaHora()));
        QString nombre = cabe("NombreUsuario", gUsuarioLogeado);
        AgregaCampoSQL(QStringLiteral("Maquina"), maquina, QStringLiteral("'"), true);
        AgregaCampoSQL(QStringLiteral("Usuario"), usuario, QStringLiteral("'"), false);
        AgregaCampoSQL(QStringLiteral("Formulario"), formulario, QStringLiteral("'"), false);
        AgregaCampoSQL(QStringLiteral("Tarea"), tareaSql, QStringLiteral("'"), false);
        AgregaCampoSQL(QStringLiteral("Ingreso"), ingreso, QStringLiteral("'"), false);
        AgregaCampoSQL(QStringLiteral("NombreUsuario"), nombre, QStringLiteral("'"), false);
    });
    paso([&] {
        QString condicion;
        ArmaSentenciaSQL(ParesSQL(), sentencias, QStringLiteral("Control_Acceso"), false,
                         condicion, false);
    });
    bool huboError = true;
    paso([&] {
        std::int32_t nroError = 0;
        QString sentencia, textoError;
        GActualizarDatoScript(sentencias, huboError, nroError, false, false, sentencia, textoError,
                              true);
    });
    paso([&] {
        if (huboError) return;
        // The identity of the row just inserted, on the same connection.
        ado::Recordset rs;
        gDB().AbrirRecordset(QStringLiteral("SELECT @@IDENTITY AS ID"), rs, nullptr,
                             ado::adOpenForwardOnly, ado::adLockReadOnly, -1, true);
        if (!rs.Eof()) gIdControlAcceso = vb::CLng(rs[QStringLiteral("ID")]);
        gDB().CierraRecordset(rs);
    });
}

}  // namespace ModGlobal
