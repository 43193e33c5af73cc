#include "voucherprint/asientos.h"

#include "core/config.h"
#include "core/globals.h"
#include "db/db_dll.h"
#include "db/sql_text.h"
#include "platform/ado/ado.h"
#include "platform/ui/operator.h"
#include "platform/vb/steps.h"
#include "platform/vb/conversions.h"
#include "platform/vb/strings.h"
#include "platform/vendrix/clsreporte.h"
#include "platform/vendrix/clsutil.h"
#include "voucherprint/numeros.h"

namespace ModGlobal {

void ImprimeAsientosComprobante(const QString& TC, const QString& IdComprobante,
                                const QString& Fecha, bool CentroCosto) {
    const QString sucursal = vb::Mid(IdComprobante, 1, 4);
    const QString numero = vb::Mid(IdComprobante, 5, 8);
    const QString letra = vb::Mid(IdComprobante, 13, 1);
    const auto q = [](const QString& v) { return sqltext::comillas(v); };
    // "@ADMIN_" reads the entries table itself, never a user's synonym of it.
    const QString sql =
        QStringLiteral(
            "SELECT TC, SUCURSAL, NUMERO, LETRA, [NUMERO ASIENTO],MES_OPERATIVO,"
            "PERIODO FROM @ADMIN_MV_ASIENTOS with(nolock) WHERE TC='") +
        q(TC) + QStringLiteral("' AND SUCURSAL='") + q(sucursal) +
        QStringLiteral("' AND NUMERO='") + q(numero) + QStringLiteral("' AND LETRA='") + q(letra) +
        QStringLiteral("' AND FECHA='") + q(Fecha) +
        QStringLiteral(
            "' GROUP BY TC, SUCURSAL, NUMERO, LETRA, [NUMERO ASIENTO],MES_OPERATIVO,"
            "PERIODO");
    ado::Recordset rs;
    gDB().AbrirRecordset(sql, rs, nullptr, ado::adOpenForwardOnly, ado::adLockReadOnly, -1, true);
    if (!rs.Bof()) {
        rs.MoveFirst();
        while (!rs.Eof()) {
            const QString mes = gUtil().NuloAVacio(rs[QStringLiteral("Mes_Operativo")]);
            const QString asiento = gUtil().NuloAVacio(rs[QStringLiteral("numero asiento")]);
            const QString periodo = gUtil().NuloAVacio(rs[QStringLiteral("Periodo")]);
            ast::ImprimeAsiento(TC, sucursal, numero, letra, mes, asiento, periodo, CentroCosto,
                                true, false);
            rs.MoveNext();
        }
    }
    gDB().CierraRecordset(rs);
}

}  // namespace ModGlobal

namespace ast {

namespace {

bool periodoCero(const vb::Variant& periodo) {
    return !vb::IsNumeric(periodo) || vb::CDbl(periodo) == 0;
}

}  // namespace

void ImprimeAsiento(const QString& TC, const QString& Sucursal, const QString& Numero,
                    const QString& Letra, const QString& MesOperativo,
                    const QString& NumeroAsiento, const vb::Variant& Periodo, bool CentroCosto,
                    bool EnPantalla, bool Ticket80mm) {
    const auto q = [](const vb::Variant& v) { return vb::CStr(gDB().SQLValue(v, "'")); };
    const QString clave = QStringLiteral("{MV_ASIENTOS.TC} = ") + q(vb::Trim(TC)) +
                          QStringLiteral(" AND {MV_ASIENTOS.SUCURSAL} = ") +
                          q(vb::Trim(Sucursal)) + QStringLiteral(" AND {MV_ASIENTOS.NUMERO} = ") +
                          q(vb::Trim(Numero)) + QStringLiteral(" AND {MV_ASIENTOS.LETRA} = ") +
                          q(vb::Trim(Letra));
    // The month and the entry number stand bare in the selection: without them (a Null read
    // as an empty text) the formula would be broken, so the entry is told and not printed.
    if (!periodoCero(Periodo) && (!ModGlobal::EsNumeroEntero(vb::Trim(MesOperativo)) ||
                                  !ModGlobal::EsNumeroEntero(vb::Trim(NumeroAsiento)))) {
        ui::op().msgBox(QStringLiteral("El asiento del comprobante ") + vb::Trim(TC) + u' ' +
                            vb::Trim(Sucursal) + u'-' + vb::Trim(Numero) + vb::Trim(Letra) +
                            QStringLiteral(" no tiene mes operativo o número de asiento válido "
                                           "(mes: '") +
                            MesOperativo + QStringLiteral("', número: '") + NumeroAsiento +
                            QStringLiteral("'); no se imprime."),
                        vb::vbOKOnly + vb::vbExclamation, QStringLiteral("Aviso al Operador"));
        return;
    }
    QString seleccion;
    if (periodoCero(Periodo)) {
        seleccion = clave;
    } else {
        // The month and the entry number are numbers and stand bare.
        seleccion =
            QStringLiteral("{MV_ASIENTOS.PERIODO} = ") + q(Periodo) + QStringLiteral(" AND ") +
            clave + QStringLiteral(" AND {MV_ASIENTOS.MES_OPERATIVO} = ") + MesOperativo +
            QStringLiteral(" AND {MV_ASIENTOS.NUMERO ASIENTO} = ") + vb::Trim(NumeroAsiento);
    }
    clsReporte& reporte = gReporte();
    reporte.Destino = EnPantalla ? reporte.DestinoPantalla() : reporte.DestinoImpresora();
    reporte.IndicadorPrevio = true;
    const QString empresa =
        QStringLiteral("EMPRESA = '") + ModGlobal::Cfg(QStringLiteral("NOMBRE")) + u'\'';
    QString formulario = QStringLiteral("Asientos");
    QString subreporte;
    if (CentroCosto) {
        formulario = QStringLiteral("AsientoCCosto");
        subreporte = QStringLiteral("AsientoSueldosCC");
    } else if (Ticket80mm) {
        formulario = QStringLiteral("Asientos_80mm");
    }
    reporte.EjecutaReporte(formulario, {QString()}, seleccion, ModGlobal::gConexionReporte,
                           {empresa, QStringLiteral("ENQUEMONEDA = '1'")}, subreporte, {}, {});
    reporte.FinReporte(10);
}

}  // namespace ast
