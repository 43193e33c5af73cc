#include "voucherdata/work_table_build.h"

#include "db/db_dll.h"
#include "platform/vb/strings.h"
#include "platform/vendrix/clsutil.h"

namespace voucherdata {

namespace {

// The dispatch record of one batch: the literal keeps its blank before the closing apostrophe,
// which the comparison ignores. A text of several batches finds none.
bool despacho(const QString& lote, ado::Recordset& rs) {
    WorkTableBuild::openRead(
        QStringLiteral(" select * from stk_despachos where ltrim(rtrim(NroLote)) = ") +
            WorkTableBuild::quoted(vb::Trim(lote) + u' '),
        rs);
    return !rs.Bof();
}

}  // namespace

void WorkTableBuild::dispatchSuffix(QString& lote) {
    vb::Steps paso(stageHandler());
    ado::Recordset rs;
    bool hay = false;
    paso([&] { hay = despacho(lote, rs); });
    if (hay) {
        paso([&] { lote = vb::Trim(lote); });
        paso([&] {
            const QString controlado =
                vb::Trim(gUtil().NuloAVacio(rs[QStringLiteral("ControladoPor")]));
            if (!controlado.isEmpty()) lote = vb::Trim(lote) + QStringLiteral(" /") + controlado;
        });
        paso([&] {
            const vb::Variant descripcion = rs[QStringLiteral("Descripcion")];
            if (!vb::Trim(gUtil().NuloAVacio(descripcion)).isEmpty())
                lote = vb::Trim(lote) + QStringLiteral("/Orig.") +
                       vb::Trim(gUtil().TransformaTexto(gUtil().NuloAVacio(descripcion)));
        });
        paso([&] { lote = gUtil().LimpiaTexto(lote); });
    }
    gDB().CierraRecordset(rs);
}

void WorkTableBuild::dispatchNote(const QString& lote) {
    vb::Steps paso(stageHandler());
    ado::Recordset rs;
    bool hay = false;
    QString nota;
    paso([&] { hay = despacho(lote, rs); });
    if (hay) {
        paso([&] {
            nota = lote + QStringLiteral(" - ") +
                   vb::Trim(gUtil().TransformaTexto(
                       gUtil().NuloAVacio(rs[QStringLiteral("ControladoPor")]))) +
                   QStringLiteral(" Orig.") +
                   vb::Trim(gUtil().NuloAVacio(rs[QStringLiteral("Descripcion")]));
        });
        paso([&] { nota = gUtil().LimpiaTexto(nota); });
        // One note per text and voucher on this station: the test and the insert go together.
        paso([&] {
            const QString clave = quoted(station());
            const QString id = quoted(idComprobante());
            const QString complemento = quoted(IdComplemento);
            gDB().gCnn.errors().Clear();
            execute(QStringLiteral("if not exists(select Usuario,TC,IdComprobante,IdComplemento,"
                                   "Tipo,SECCION from Aux_MV_Cpte where Usuario = ") +
                    clave + QStringLiteral(" and TC = ") + quoted(TC) +
                    QStringLiteral(" and IdComprobante = ") + id +
                    QStringLiteral(" and IdComplemento = ") + complemento +
                    QStringLiteral(" and Tipo = 'XX' and SECCION = ") + quoted(nota) +
                    QStringLiteral(") ") +
                    QStringLiteral(" INSERT INTO Aux_MV_Cpte(Usuario,TC,IdComprobante,"
                                   "IdComplemento,Tipo,SECCION) VALUES (") +
                    clave + u',' + quoted(TC) + u',' + id + u',' + complemento +
                    QStringLiteral(",'XX',") + quoted(nota) + u')');
        });
        paso([&] { showInsertError(); });
    }
    gDB().CierraRecordset(rs);
}

void WorkTableBuild::batchesRow(const QString& lista) {
    vb::Steps paso(stageHandler());
    paso([&] {
        execute(QStringLiteral("INSERT INTO Aux_MV_Cpte(Usuario,TC,IdComprobante,IdComplemento,"
                               "Tipo,SECCION) VALUES (") +
                quoted(station()) + u',' + quoted(TC) + u',' + quoted(idComprobante()) + u',' +
                quoted(IdComplemento) + QStringLiteral(",'ZZ',") + quoted(vb::Trim(lista)) + u')');
    });
}

}  // namespace voucherdata
