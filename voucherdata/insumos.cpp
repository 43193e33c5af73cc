#include "voucherdata/work_table_build.h"

#include "core/config.h"
#include "core/formats.h"
#include "core/globals.h"
#include "db/db_dll.h"
#include "platform/vb/conversions.h"
#include "platform/vb/strings.h"
#include "platform/vendrix/clsutil.h"
#include "voucherdata/series_lotes.h"

namespace voucherdata {

namespace {

// Voucher types are held padded to four characters; they are compared trimmed.
bool esTipo(const QString& TC, const char* tipo) {
    return vb::Trim(TC).compare(QLatin1String(tipo), Qt::CaseInsensitive) == 0;
}

QString monto(const QString& valor) {
    return vb::CStr(ModGlobal::FmtMoneda(valor, -1, false));
}

}  // namespace

void WorkTableBuild::supplies() {
    if (!IdTarea.isEmpty()) return;
    vb::Steps paso(stageHandler());
    ado::Recordset rs;
    QString listaLotes;
    bool robaIva = false;
    paso([&] {
        openRead(QStringLiteral("SELECT * FROM V_MV_CPTEINSUMOS ") + filtro +
                     QStringLiteral(" ORDER BY ID"),
                 rs);
    });
    paso([&] {
        robaIva = vb::Trim(ModGlobal::Cfg(QStringLiteral("RobaIvaProforma")))
                      .compare(QLatin1String("SI"), Qt::CaseInsensitive) == 0;
    });
    if (!atEnd(rs) && !paso.left()) {
        titleBlock(typeIs("PR") || typeIs("OT")
                       ? QStringLiteral("Insumos - Materiales a Utilizar - Productos")
                       : QStringLiteral("Insumos - Materiales Utilizados - Productos"));
    }
    while (!atEnd(rs) && !paso.left()) {
        QString lote;
        // The tax goes back on a pro-forma line whose amounts hold none yet.
        bool conIva = false;
        paso([&] {
            const vb::Currency importe = gUtil().ValorNumerico(rs[QStringLiteral("Importe")]);
            conIva = robaIva &&
                     (esTipo(field(rs, "TC"), "FP") || esTipo(field(rs, "TC"), "NCFP")) &&
                     vb::Trim(field(comprobante, "condicionIVA")) == u"1" &&
                     gUtil().ValorNumerico(rs[QStringLiteral("AlicIVA")]) > vb::Currency() &&
                     importe == gUtil().ValorNumerico(rs[QStringLiteral("Importe_S_IVA")]);
        });
        const auto masIva = [&](const char* campo) {
            const double valor = gUtil().ValorNumerico(rs[QString::fromLatin1(campo)]).toDouble();
            const double alicuota =
                gUtil().ValorNumerico(rs[QStringLiteral("AlicIVA")]).toDouble();
            return vb::CStr(vb::Currency::fromDouble(valor + valor * alicuota / 100));
        };
        paso([&] { startRow(QStringLiteral("IN")); });
        pair(paso, QStringLiteral("Columna1"),
             [&] { return quoted(vb::Trim(field(rs, "IdArticulo"))); });
        pair(paso, QStringLiteral("Columna2"), [&] {
            return quoted(
                gUtil().QuitaCaracter(vb::Trim(field(rs, "Descripcion")), QStringLiteral("'")));
        });
        pair(paso, QStringLiteral("Columna3"), [&] { return quoted(field(rs, "idUnidad")); });
        pair(paso, QStringLiteral("Columna4"), [&] { return quoted(field(rs, "Cantidad")); });
        pair(paso, QStringLiteral("Columna5"),
             [&] { return quoted(monto(conIva ? masIva("Importe") : field(rs, "Importe"))); });
        pair(paso, QStringLiteral("Columna6"),
             [&] { return quoted(monto(conIva ? masIva("Total") : field(rs, "Total"))); });
        pair(paso, QStringLiteral("Columna7"),
             [&] { return quoted(monto(field(rs, "Importe_S_IVA"))); });
        pair(paso, QStringLiteral("Columna8"), [&] {
            QString lotes = field(rs, "Nro_Lote");
            QString series = field(rs, "Nro_Serie");
            lote = ModGlobal::Cuenta_Series_Lotes(lotes, series);
            QString pieza = lote;
            // A credit note lists every batch of the line, selected or not.
            if (typeIs("nc"))
                pieza = gUtil().QuitaCaracter(field(rs, "Nro_Lote"), QString(QChar(0xFF)),
                                              QStringLiteral("|"));
            if (vb::Trim(pieza).size() > 50) pieza = gUtil().AjustaTexto(vb::Trim(pieza), 50);
            if (!vb::Trim(lote).isEmpty())
                dispatchSuffix(lote);
            else
                lote = field(rs, "Nro_Lote");
            listaLotes += u' ' + vb::Trim(pieza);
            return quoted(gUtil().AjustaTexto(vb::Trim(lote), 50));
        });
        pair(paso, QStringLiteral("Columna9"), [&] {
            return quoted(gUtil().LimpiaTexto(
                gUtil().QuitaCaracter(field(rs, "Nro_Serie"), QStringLiteral("|"))));
        });
        pair(paso, QStringLiteral("Columna10"), [&] { return quoted(field(rs, "PorcDto")); });
        pair(paso, QStringLiteral("Columna11"), [&] { return quoted(field(rs, "Impuestos")); });
        pair(paso, QStringLiteral("Columna12"),
             [&] { return quoted(vb::CStr(gUtil().ValorNumerico(field(rs, "ControladoPor")))); });
        pair(paso, QStringLiteral("Columna13"), [&] { return quoted(field(rs, "CantidadUd")); });
        pair(paso, QStringLiteral("Columna14"), [&] { return quoted(field(rs, "IdUnidadBase")); });
        pair(paso, QStringLiteral("Columna15"), [&] { return quoted(field(rs, "Equiv_UDBase")); });
        pair(paso, QStringLiteral("CANTIDAD_ORIGEN"), [&] {
            return vb::CStr(gDB().SQLValue(field(rs, "CANTIDAD_ORIGEN"), QStringLiteral("@")));
        });
        if (ModGlobal::gMaderera) {
            pair(paso, QStringLiteral("COLUMNA16"), [&] {
                return vb::CStr(gDB().SQLValue(field(rs, "Ud_Pr"), QStringLiteral("'")));
            });
            pair(paso, QStringLiteral("COLUMNA17"), [&] {
                return vb::CStr(gDB().SQLValue(field(rs, "Importe_Ud"), QStringLiteral("@")));
            });
        } else {
            pair(paso, QStringLiteral("COLUMNA17"), [&] {
                return vb::CStr(gDB().SQLValue(field(rs, "AlicIVA"), QStringLiteral("@")));
            });
            pair(paso, QStringLiteral("Columna16"), [&] {
                const QString d =
                    gUtil().QuitaCaracter(vb::Trim(field(rs, "Descripcion")), QStringLiteral("'"));
                return quoted(gUtil().AjustaTexto(d, 50));
            });
            pair(paso, QStringLiteral("PiedePagina"), [&] {
                return quoted(vb::Trim(gUtil().NuloAVacio(
                    gDB().DatosTabla(QStringLiteral("V_MA_ARTICULOS"), field(rs, "IdArticulo"),
                                     QStringLiteral("CodigoArtProveedor"),
                                     QStringLiteral("idarticulo"), 8, QString(), true, false))));
            });
        }
        // Only this statement's errors are reported after it.
        paso([&] { gDB().gCnn.errors().Clear(); });
        paso([&] { insertPairs(); });
        paso([&] { showInsertError(); });
        paso([&] {
            if (vb::Trim(lote) == u"|") lote.clear();
            if (!vb::Trim(lote).isEmpty()) dispatchNote(lote);
        });
        paso([&] { rs.MoveNext(); });
    }
    gDB().CierraRecordset(rs);
    paso([&] {
        if (!vb::Trim(listaLotes).isEmpty()) batchesRow(vb::Trim(listaLotes));
    });
}

}  // namespace voucherdata
