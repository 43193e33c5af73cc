#include "voucherdata/work_table_build.h"

#include "core/formats.h"
#include "db/db_dll.h"
#include "platform/vb/conversions.h"
#include "platform/vb/strings.h"
#include "platform/vendrix/clsutil.h"

namespace voucherdata {

namespace {

QString monto(const ado::Recordset& rs, const char* campo) {
    return WorkTableBuild::quoted(
        vb::CStr(ModGlobal::FmtMoneda(WorkTableBuild::field(rs, campo), -1, false)));
}

}  // namespace

void WorkTableBuild::pendingSupplies() {
    vb::Steps paso(stageHandler());
    QString origen;
    bool desdePedido = false;
    paso([&] {
        const vb::Variant valor = comprobante[QStringLiteral("ComprobanteOrigen")];
        if (valor.isNull()) return;
        origen = gUtil().NuloAVacio(valor);
        // Types are held padded to four characters: compared trimmed.
        desdePedido = vb::Trim(field(comprobante, "TcOrigen"))
                          .compare(QLatin1String("NP"), Qt::CaseInsensitive) == 0;
    });
    if (!desdePedido) return;
    const QString pedido = quoted(gUtil().Rellena(QStringLiteral("NP"), 4));
    ado::Recordset rs;
    // Lines of every complement of the order identifier.
    paso([&] {
        openRead(QStringLiteral("SELECT * FROM V_MV_CPTEINSUMOS WHERE TC = ") + pedido +
                     QStringLiteral(" AND IDCOMPROBANTE =") + quoted(origen) +
                     QStringLiteral("  ORDER BY ID"),
                 rs);
    });
    if (atEnd(rs) || paso.left()) return gDB().CierraRecordset(rs);
    titleBlock(QStringLiteral("Insumos - Materiales Utilizados - Productos (Sin Preparación)"));
    while (!atEnd(rs) && !paso.left()) {
        bool pendiente = false;
        // By order and article only: the pending quantities are not read.
        paso([&] {
            ado::Recordset prueba;
            pendiente = gDB().ExisteEnTabla(
                QStringLiteral("VT_V_MV_Insumos_NPPendiente"), QStringLiteral("NP"),
                QStringLiteral("TC"), &prueba, 8,
                QStringLiteral(" TC = ") + pedido + QStringLiteral(" AND IDCOMPROBANTE = ") +
                    quoted(field(rs, "IdComprobante")) + QStringLiteral(" AND IDARTICULO = ") +
                    quoted(field(rs, "IdArticulo")),
                true);
            gDB().CierraRecordset(prueba);
        });
        if (pendiente) {
            paso([&] { startRow(QStringLiteral("IN")); });
            pair(paso, QStringLiteral("Columna1"),
                 [&] { return quoted(vb::Trim(field(rs, "IdArticulo"))); });
            pair(paso, QStringLiteral("Columna2"), [&] {
                return quoted(gUtil().QuitaCaracter(vb::Trim(field(rs, "Descripcion")),
                                                    QStringLiteral("'")));
            });
            pair(paso, QStringLiteral("Columna3"), [&] { return quoted(field(rs, "idUnidad")); });
            pair(QStringLiteral("Columna4"), QStringLiteral("'0'"));
            pair(paso, QStringLiteral("Columna5"), [&] { return monto(rs, "Importe"); });
            pair(paso, QStringLiteral("Columna6"), [&] { return monto(rs, "Total"); });
            pair(paso, QStringLiteral("Columna7"), [&] { return monto(rs, "Importe_S_IVA"); });
            pair(paso, QStringLiteral("Columna8"), [&] {
                const QString lotes =
                    gUtil().QuitaCaracter(field(rs, "Nro_Lote"), QStringLiteral("|"));
                return quoted(vb::Trim(gUtil().LimpiaTexto(lotes)));
            });
            pair(paso, QStringLiteral("Columna9"), [&] {
                const QString series =
                    gUtil().QuitaCaracter(field(rs, "Nro_Serie"), QStringLiteral("|"));
                return quoted(gUtil().LimpiaTexto(series));
            });
            pair(paso, QStringLiteral("Columna10"), [&] { return quoted(field(rs, "PorcDto")); });
            pair(paso, QStringLiteral("Columna11"),
                 [&] { return quoted(field(rs, "Impuestos")); });
            pair(paso, QStringLiteral("Columna12"), [&] {
                return quoted(vb::CStr(gUtil().ValorNumerico(field(rs, "ControladoPor"))));
            });
            pair(paso, QStringLiteral("Columna13"),
                 [&] { return quoted(field(rs, "CantidadUd")); });
            pair(paso, QStringLiteral("Columna14"),
                 [&] { return quoted(field(rs, "IdUnidadBase")); });
            pair(paso, QStringLiteral("Columna15"),
                 [&] { return quoted(field(rs, "Equiv_UDBase")); });
            pair(paso, QStringLiteral("CANTIDAD_ORIGEN"), [&] {
                return vb::CStr(gDB().SQLValue(field(rs, "Cantidad"), QStringLiteral("@")));
            });
            paso([&] { insertPairs(); });
        }
        paso([&] { rs.MoveNext(); });
    }
    gDB().CierraRecordset(rs);
}

}  // namespace voucherdata
