#include "receipts/recibo.h"

#include "core/formats.h"
#include "core/globals.h"
#include "db/db_dll.h"
#include "db/sql_text.h"
#include "platform/vb/conversions.h"
#include "platform/vb/strings.h"
#include "platform/vendrix/clsutil.h"

namespace IMP_Recibos {

using ModGlobal::gSeccionIni;

void ReciboPagoCobranza::OtrasAplicaciones() {
    const QString ID = IdComprobante();
    // Keeps the receipt's own application rows out. Type and number are compared apart: the
    // server's comparison of texts ignores the blanks a stored type is padded with, which a
    // joined text would keep.
    const QString X = QStringLiteral(" AND NOT (TC = '") + sqltext::comillas(vb::Trim(TC)) +
                      QStringLiteral("' AND IDCOMPROBANTE = '") + sqltext::comillas(ID) +
                      QStringLiteral("')");
    const QString F = CondicionCuenta();
    QString K;
    const QString tipo = vb::Trim(TC);
    if (vb::IsOneOf(tipo, {"CB", "CBCT", "CBFP"})) {
        K = QStringLiteral("' AND (TC = 'NC' OR TC = 'CB' OR TC = 'CBCT' OR TC = 'CBFP') ");
    } else if (vb::IsOneOf(tipo, {"PG", "OPG", "PGFP"})) {
        K = QStringLiteral(
            "' AND (TC = 'NCC' OR TC = 'NCCP' OR TC = 'ND' OR TC = 'FC'  OR TC = 'PG' OR "
            "TC = 'OPG' OR TC = 'CJA' OR TC = 'CC' OR TC = 'RC') ");
    }
    if (!K.isEmpty()) {
        step([&] {
            gDB().AbrirRecordset(QStringLiteral("SELECT * FROM MV_APLICACION WHERE TC_PRINT = '") +
                                     sqltext::comillas(TC4()) +
                                     QStringLiteral("' AND IDCOMPROBANTE_PRINT = '") +
                                     sqltext::comillas(ID) + K + F + X +
                                     QStringLiteral(" ORDER BY IDCOMPROBANTE_PRINT"),
                                 rsOtrasAplicaciones, nullptr, ado::adOpenForwardOnly,
                                 ado::adLockReadOnly, -1, true);
        });
        bool bof = true;
        step([&] { bof = rsOtrasAplicaciones.Bof(); });
        if (!bof) step([&] { rsOtrasAplicaciones.MoveFirst(); });
        while (!bof && !step.left() && hayFila(rsOtrasAplicaciones)) {
            step([&] { rsAux.AddNew(); });
            asigna(QStringLiteral("USUARIO"), gSeccionIni);
            asigna(QStringLiteral("TC"), TC);
            asigna(QStringLiteral("IDCOMPROBANTE"), ID);
            asigna(QStringLiteral("IDCOMPLEMENTO"), QStringLiteral("0"));
            asigna(QStringLiteral("TIPO"), QStringLiteral("1"));
            step([&] {
                asigna(QStringLiteral("COLUMNA4"), rsOtrasAplicaciones[QStringLiteral("TC")]);
            });
            step([&] {
                asigna(
                    QStringLiteral("COLUMNA6"),
                    gUtil().NuloAVacio(rsOtrasAplicaciones[QStringLiteral("TC")]) + u' ' +
                        gUtil().NuloAVacio(rsOtrasAplicaciones[QStringLiteral("IdComprobante")]));
            });
            step([&] {
                // The stored amount, so a Null amount is an error here.
                const vb::Currency importe = gUtil().ValorNumerico(
                    vb::CStr(rsOtrasAplicaciones[QStringLiteral("Importe")]));
                asigna(QStringLiteral("COLUMNA8"),
                       ModGlobal::FmtMoneda(vb::CStr(importe), -1, false));
            });
            step([&] {
                TotalMediosPago =
                    TotalMediosPago + gUtil().ValorNumerico(gUtil().NuloAVacio(
                                          rsOtrasAplicaciones[QStringLiteral("Importe")]));
            });
            asigna(QStringLiteral("COLUMNA10"), QStringLiteral("   1"));
            step([&] { rsAux.Update(); });
            step([&] { rsOtrasAplicaciones.MoveNext(); });
        }
    }
    gDB().CierraRecordset(rsOtrasAplicaciones);
}

void ReciboPagoCobranza::FilasDeRelleno() {
    if (ItemsPorPagina == -1 || step.left()) return;
    const QString ID = IdComprobante();
    std::int32_t R = 0;
    step([&] {
        gDB().AbrirRecordset(
            QStringLiteral("SELECT COUNT(*) FROM AUX_MV_CPTE WHERE TC = '") +
                sqltext::comillas(TC) + QStringLiteral("' AND IDCOMPROBANTE = '") +
                sqltext::comillas(ID) + QStringLiteral("' AND USUARIO = '") +
                sqltext::comillas(gSeccionIni) + u'\'',
            rsCantidad, nullptr, ado::adOpenForwardOnly, ado::adLockReadOnly, -1, true);
    });
    step([&] { R = vb::CLng(rsCantidad.Fields(0L).Value()); });
    gDB().CierraRecordset(rsCantidad);
    if (R >= ItemsPorPagina || R == 0) return;
    const QString fila = QStringLiteral(
                             " INSERT INTO AUX_MV_CPTE (TC,IDCOMPROBANTE,IDCOMPLEMENTO, "
                             "USUARIO,COLUMNA4,TIPO) VALUES ('") +
                         sqltext::comillas(TC) + QStringLiteral("','") + sqltext::comillas(ID) +
                         QStringLiteral("',0,'") + sqltext::comillas(gSeccionIni) +
                         QStringLiteral("','  ','1')");
    for (std::int32_t i = 1; i <= ItemsPorPagina - R && !step.left(); ++i)
        step([&] { gDB().gCnn.Execute(fila, nullptr, -1); });
}

void ReciboPagoCobranza::Copias() {
    if (CopiasPorPagina <= 1 || step.left()) return;
    // The copy number goes into TIPO; the first copy's rows are the ones of TIPO "1", so a
    // later copy never repeats an earlier copy's rows.
    const QString desde = QStringLiteral(" FROM AUX_MV_CPTE WHERE IDCOMPROBANTE = '") +
                          sqltext::comillas(IdComprobante()) + QStringLiteral("' AND TC = '") +
                          sqltext::comillas(TC) + QStringLiteral("' AND USUARIO = '") +
                          sqltext::comillas(gSeccionIni) + QStringLiteral("' AND TIPO = '1' ");
    for (std::int32_t n = 2; n <= CopiasPorPagina && !step.left(); ++n) {
        step([&] {
            gDB().gCnn.Execute(
                QStringLiteral(
                    " INSERT INTO AUX_MV_CPTE (TC, USUARIO, TIPO, SECCION, IDCOMPROBANTE, "
                    "IDCOMPLEMENTO, COLUMNA1, COLUMNA2, COLUMNA3, COLUMNA4, COLUMNA5, COLUMNA6, "
                    "COLUMNA7, COLUMNA8, ENCABEZADO, PIEDEPAGINA, COLUMNA9, COLUMNA10, COLUMNA11)"
                    " SELECT TC, USUARIO, '") +
                    QString::number(n) +
                    QStringLiteral("', Seccion, IDCOMPROBANTE, IDCOMPLEMENTO, COLUMNA1, COLUMNA2, "
                                   "COLUMNA3,  COLUMNA4, COLUMNA5, COLUMNA6, COLUMNA7,  COLUMNA8, "
                                   "Encabezado, PieDePagina, COLUMNA9,  COLUMNA10, COLUMNA11") +
                    desde,
                nullptr, -1);
        });
    }
}

}  // namespace IMP_Recibos
