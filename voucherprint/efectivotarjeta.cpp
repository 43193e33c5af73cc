#include "voucherprint/efectivotarjeta.h"

#include "db/db_dll.h"
#include "db/sql_text.h"
#include "platform/ado/ado.h"
#include "platform/vb/conversions.h"
#include "platform/vb/strings.h"
#include "platform/vendrix/clsutil.h"

namespace ModGlobal {

namespace {

bool igual(const QString& a, const char* b) {
    return vb::StrComp(a, QString::fromLatin1(b), vb::Compare::Text) == 0;
}

// One means of payment's running total and description.
struct Medio {
    vb::Currency total;
    QString primera;  // the first line's account name

    void suma(const vb::Variant& importe, const QString& debeHaber, const QString& descripcion,
              QString& Desc, const char* general) {
        if (primera.isEmpty()) primera = descripcion;
        Desc = descripcion;
        if (vb::StrComp(descripcion, primera, vb::Compare::Text) != 0)
            Desc = QString::fromLatin1(general);
        const vb::Currency monto =
            importe.isNull() || importe.isEmpty() ? vb::Currency() : vb::CCur(importe);
        total = igual(debeHaber, "D") ? total + monto : total - monto;
    }
};

}  // namespace

void ObtieneEfectivoTarjeta(const QString& TC, const QString& IdComprobante,
                            vb::Currency& Efectivo, vb::Currency& Tarjeta, QString& DescEfectivo,
                            QString& DescTarjeta) {
    const QString TCRecibo = igual(TC, "FP") ? QStringLiteral("CBFP") : QStringLiteral("CBCT");
    Efectivo = {};
    Tarjeta = {};
    DescEfectivo.clear();
    DescTarjeta.clear();
    const auto q = [](const QString& v) { return sqltext::comillas(v); };

    ado::Recordset aplicacion;
    gDB().AbrirRecordset(
        QStringLiteral("select * from mv_aplicacion where (tc = '") + TCRecibo +
            QStringLiteral("' ) and sucursal_origen = '") + q(vb::Mid(IdComprobante, 1, 4)) +
            QStringLiteral("' and numero_origen = '") + q(vb::Mid(IdComprobante, 5, 8)) +
            QStringLiteral("' and letra_origen = '") + q(vb::Mid(IdComprobante, 13, 1)) + u'\'',
        aplicacion, nullptr, ado::adOpenForwardOnly, ado::adLockReadOnly, -1, true);
    if (aplicacion.Bof()) return;
    const QString sucursal = gUtil().NuloAVacio(aplicacion[QStringLiteral("Sucursal")]);
    const QString numero = gUtil().NuloAVacio(aplicacion[QStringLiteral("Numero")]);
    const QString letra = gUtil().NuloAVacio(aplicacion[QStringLiteral("letra")]);

    ado::Recordset lineas;
    gDB().AbrirRecordset(
        QStringLiteral("Select cuenta,importe, mediodepago, [DEBE-HABER], DESCRIPCION  from "
                       "mv_asientos INNER JOIN ma_cuentas on cuenta = codigo where tc = '") +
            TCRecibo + QStringLiteral("' and sucursal = '") + q(sucursal) +
            QStringLiteral("' and numero = '") + q(numero) + QStringLiteral("' and letra = '") +
            q(letra) + QStringLiteral("'  and not MedioDePago is null"),
        lineas, nullptr, ado::adOpenForwardOnly, ado::adLockReadOnly, -1, true);
    Medio efectivo;
    Medio tarjeta;
    if (!lineas.Bof()) {
        while (!lineas.Eof()) {
            const QString medio = gUtil().NuloAVacio(lineas[QStringLiteral("mediodepago")]);
            const vb::Variant importe = lineas[QStringLiteral("importe")];
            const QString debeHaber = gUtil().NuloAVacio(lineas[QStringLiteral("Debe-Haber")]);
            const QString descripcion = gUtil().NuloAVacio(lineas[QStringLiteral("Descripcion")]);
            if (igual(medio, "EF"))
                efectivo.suma(importe, debeHaber, descripcion, DescEfectivo, "EFECTIVO");
            else if (igual(medio, "TJ"))
                tarjeta.suma(importe, debeHaber, descripcion, DescTarjeta, "TARJETA");
            lineas.MoveNext();
        }
    }
    Efectivo = efectivo.total;
    Tarjeta = tarjeta.total;
}

}  // namespace ModGlobal
