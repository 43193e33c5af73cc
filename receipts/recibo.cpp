#include "receipts/recibo.h"

#include "core/config.h"
#include "core/errordialog.h"
#include "core/formats.h"
#include "core/globals.h"
#include "db/db_dll.h"
#include "db/sql_text.h"
#include "platform/vb/conversions.h"
#include "platform/vb/strings.h"
#include "platform/vendrix/clsutil.h"
#include "receipts/ast.h"
#include "receipts/comparacion.h"
#include "receipts/imp_recibos.h"

namespace IMP_Recibos {

using ModGlobal::FmtMoneda;
using ModGlobal::gSeccionIni;

namespace {

// "Can't show non-modal form when modal form is displayed": harmless here.
constexpr long kFormularioNoModal = 401;

QString monto(const vb::Variant& importe) {
    return gUtil().NuloAVacio(FmtMoneda(gUtil().NuloAVacio(importe), -1, false));
}

}  // namespace

void GeneraAuxiliarRecibo_PagoCobranza(const QString& TC, const QString& Sucursal,
                                       const QString& Numero, const QString& Letra,
                                       const QString& Cuenta, QStringList& Formulas,
                                       std::int32_t CopiasPorPagina, std::int32_t ItemsPorPagina) {
    ReciboPagoCobranza(TC, Sucursal, Numero, Letra, Cuenta, Formulas, CopiasPorPagina,
                       ItemsPorPagina)
        .Genera();
}

ReciboPagoCobranza::ReciboPagoCobranza(const QString& TC, const QString& Sucursal,
                                       const QString& Numero, const QString& Letra,
                                       const QString& Cuenta, QStringList& Formulas,
                                       std::int32_t CopiasPorPagina, std::int32_t ItemsPorPagina)
    : TC(TC),
      Sucursal(Sucursal),
      Numero(Numero),
      Letra(Letra),
      Cuenta(Cuenta),
      Formulas(Formulas),
      CopiasPorPagina(CopiasPorPagina),
      ItemsPorPagina(ItemsPorPagina),
      step([this](const vb::VbError& e) { return TrataError(e); }) {}

int ReciboPagoCobranza::TrataError(const vb::VbError& e) {
    // A statement the database refuses is skipped, so one bad filler or copy row does not
    // stop the receipt.
    if (e.Number == kFormularioNoModal || e.Number == ado::err::CommandTextError)
        return vb::vbIgnore;
    return ModGlobal::ManejaError(e, std::nullopt,
                                  QStringLiteral("GeneraAuxiliarRecibo_PagoCobranza"));
}

void ReciboPagoCobranza::Genera() {
    step([&] {
        IncluirCuitLibrador = iguales(
            vb::Trim(ModGlobal::Cfg(QStringLiteral("IncluirCuitLibrador"))), QStringLiteral("SI"));
    });
    step([&] {
        // A type padded to four characters is still a collection.
        const bool cobranza = vb::IsOneOf(vb::Trim(TC), {"CB", "CBFP", "CBCT"});
        QString iva, ibrutos, ganancias;
        ast::CuentaIVADF(iva, ibrutos, ganancias, CtaDescuento, cobranza);
    });
    step([&] {
        gDB().EjecutaConsultaSQL(QStringLiteral("DELETE AUX_MV_CPTE WHERE USUARIO = '") +
                                 sqltext::comillas(gSeccionIni) + u'\'');
    });
    step([&] {
        gDB().AbrirRecordset(QStringLiteral("SELECT TOP 1 * FROM AUX_MV_CPTE "), rsAux, nullptr,
                             ado::adOpenDynamic, ado::adLockOptimistic, -1, true);
    });
    AbreListas();
    step([&] {
        TotalCpte = TotalAplicado = TotalSaldo = {};
        TotalMediosPago = TotalRetIVA = TotalRetOtras = TotalRetIBrutos = TotalRetGanancias =
            TotalRetSUSS = TotalDescuentos = {};
        ConceptoRecibo.clear();
    });
    for (ado::Recordset* rs : {&rsAplicados, &rsAsiento}) {
        bool bof = true;
        step([&] { bof = rs->Bof(); });
        if (!bof) step([&] { rs->MoveFirst(); });
    }
    if (step.left() || (CantAplicados == 0 && CantAsiento == 0)) return;

    // The longer list decides the number of rows; a tie goes to the applied vouchers.
    const bool guianAplicados = CantAplicados >= CantAsiento;
    rsGuia = guianAplicados ? &rsAplicados : &rsAsiento;
    rsOtra = guianAplicados ? &rsAsiento : &rsAplicados;
    while (!step.left() && hayFila(*rsGuia)) {
        FilaDelRecibo();
        if (hayFila(*rsGuia)) {
            step([&] { rsGuia->MoveNext(); });
            if (hayFila(*rsGuia) && hayFila(*rsOtra)) step([&] { rsOtra->MoveNext(); });
        }
    }

    OtrasAplicaciones();
    FilasDeRelleno();
    Copias();
    TotalesDeRespaldo();
    AgregaFormulas();
}

void ReciboPagoCobranza::AbreListas() {
    const QString TC4 = this->TC4();
    step([&] {
        gDB().AbrirRecordset(
            QStringLiteral("SELECT CUENTA,TCO_ORIGEN, IDCOMPROBANTE_ORIGEN, SUM(IMPORTE) AS "
                           "IMPORTE, TC_PRINT, IDCOMPROBANTE_PRINT, SUCURSAL_ORIGEN, "
                           "NUMERO_ORIGEN, LETRA_ORIGEN From MV_APLICACION  WHERE TC_PRINT = '") +
                sqltext::comillas(TC4) + QStringLiteral("' AND IDCOMPROBANTE_PRINT = '") +
                sqltext::comillas(IdComprobante()) +
                QStringLiteral("' GROUP BY CUENTA, TCO_ORIGEN, IDCOMPROBANTE_ORIGEN, TC_PRINT, "
                               "IDCOMPROBANTE_PRINT, SUCURSAL_ORIGEN, NUMERO_ORIGEN, "
                               "LETRA_ORIGEN ORDER BY TCO_ORIGEN, IDCOMPROBANTE_ORIGEN"),
            rsAplicados, nullptr, ado::adOpenForwardOnly, ado::adLockReadOnly, -1, true);
    });
    CuentaFilas(rsAplicados, CantAplicados);
    step([&] {
        gDB().AbrirRecordset(
            QStringLiteral("SELECT * FROM MV_ASIENTOS WHERE TC = '") + sqltext::comillas(TC4) +
                QStringLiteral("' AND SUCURSAL = '") + sqltext::comillas(Sucursal) +
                QStringLiteral("' AND NUMERO = '") + sqltext::comillas(Numero) +
                QStringLiteral("' AND LETRA = '") + sqltext::comillas(Letra) + u'\'',
            rsAsiento, nullptr, ado::adOpenForwardOnly, ado::adLockReadOnly, -1, true);
    });
    CuentaFilas(rsAsiento, CantAsiento);
}

void ReciboPagoCobranza::CuentaFilas(ado::Recordset& rs, std::int32_t& cantidad) {
    step([&] { cantidad = 0; });
    bool bof = true;
    step([&] { bof = rs.Bof(); });
    if (bof) return;
    step([&] { rs.MoveFirst(); });
    step([&] { rs.MoveLast(); });
    step([&] { cantidad = static_cast<std::int32_t>(rs.RecordCount()); });
    step([&] { rs.MoveFirst(); });
}

void ReciboPagoCobranza::FilaDelRecibo() {
    step([&] { rsAux.AddNew(); });
    asigna(QStringLiteral("USUARIO"), gSeccionIni);
    asigna(QStringLiteral("TC"), TC);
    asigna(QStringLiteral("IDCOMPROBANTE"), IdComprobante());
    asigna(QStringLiteral("IDCOMPLEMENTO"), QStringLiteral("0"));
    asigna(QStringLiteral("TIPO"), QStringLiteral("1"));
    if (hayFila(rsAplicados)) ColumnasAplicado();
    if (hayFila(rsAplicados)) {
        step([&] { asigna(QStringLiteral("COLUMNA3"), monto(rsAplicados["Importe"])); });
    }
    const auto suma = [&](vb::Currency& total, const char* columna) {
        step([&] {
            total = total +
                    gUtil().ValorNumerico(gUtil().NuloAVacio(rsAux[QString::fromLatin1(columna)]));
        });
    };
    suma(TotalCpte, "COLUMNA9");
    suma(TotalAplicado, "COLUMNA3");
    suma(TotalSaldo, "COLUMNA11");
    if (hayFila(rsAsiento)) ColumnasMedioPago();
    step([&] { rsAux.Update(); });
}

void ReciboPagoCobranza::ColumnasAplicado() {
    QString tco, sucursal, numero, letra;
    step([&] {
        tco = gUtil().NuloAVacio(rsAplicados["Tco_Origen"]);
        sucursal = gUtil().NuloAVacio(rsAplicados["SUCURSAL_ORIGEN"]);
        numero = gUtil().NuloAVacio(rsAplicados["numero_Origen"]);
        letra = gUtil().NuloAVacio(rsAplicados["LETRA_ORIGEN"]);
    });
    asigna(QStringLiteral("COLUMNA2"), tco + u'-' + sucursal + numero + letra);
    const QString TCO4 = gUtil().Rellena(tco, 4);
    const QString IDO = sucursal + numero + letra;
    const QString F = CondicionCuenta();
    if (rsGuia == &rsAplicados)
        OrigenSegunAplicados(TCO4, IDO, F);
    else
        OrigenSegunAsiento(TCO4, sucursal, numero, letra, F);

    step([&] {
        rsOrigen = gDB().gCnn.Execute(
            QStringLiteral("SELECT SALDO FROM VE_SALDOAPLICACION WHERE TCO_ORIGEN = '") +
                sqltext::comillas(TCO4) + QStringLiteral("' AND SUCURSAL_ORIGEN = '") +
                sqltext::comillas(sucursal) + QStringLiteral("' AND NUMERO_ORIGEN = '") +
                sqltext::comillas(numero) + QStringLiteral("' AND LETRA_ORIGEN = '") +
                sqltext::comillas(letra) + QStringLiteral("' ") + F,
            nullptr, -1);
    });
    if (hallado(rsOrigen)) {
        step([&] {
            asigna(QStringLiteral("COLUMNA11"),
                   FmtMoneda(vb::CStr(rsOrigen[QStringLiteral("Saldo")]), -1, false));
        });
    } else {
        asigna(QStringLiteral("COLUMNA11"), QStringLiteral("0"));
    }
}

void ReciboPagoCobranza::OrigenSegunAplicados(const QString& TCO4, const QString& IDO,
                                              const QString& F) {
    QString SISTEMA;
    step([&] {
        SISTEMA = vb::Trim(gUtil().NuloAVacio(gDB().DatosTabla(
            QStringLiteral("V_TA_CPTE"), gUtil().NuloAVacio(rsAplicados["Tco_Origen"]),
            QStringLiteral("SISTEMA"), QStringLiteral("Codigo"), 8, QString(), true, false)));
    });
    const QString vista = iguales(SISTEMA, QStringLiteral("COMPRAS"))
                              ? QStringLiteral("C_MV_CPTE")
                              : QStringLiteral("V_MV_CPTE");
    step([&] {
        rsOrigen =
            gDB().gCnn.Execute(QStringLiteral("SELECT FECHA,IMPORTE FROM ") + vista +
                                   QStringLiteral(" WHERE TC = '") + sqltext::comillas(TCO4) +
                                   QStringLiteral("' AND IDCOMPROBANTE = '") +
                                   sqltext::comillas(IDO) + QStringLiteral("' ") + F,
                               nullptr, -1);
    });
    if (!hallado(rsOrigen)) {
        step([&] {
            rsOrigen = gDB().gCnn.Execute(
                QStringLiteral("SELECT FECHA,IMPORTE FROM MV_ASIENTOS WHERE TC = '") +
                    sqltext::comillas(TCO4) +
                    QStringLiteral("' AND SUCURSAL + NUMERO + LETRA = '") +
                    sqltext::comillas(IDO) + QStringLiteral("' ") + F,
                nullptr, -1);
        });
    }
    // A voucher found nowhere leaves its date and amount empty instead of failing the row.
    if (!hallado(rsOrigen)) return;
    step([&] { asigna(QStringLiteral("COLUMNA1"), gUtil().NuloAVacio(rsOrigen["fecha"])); });
    step([&] { asigna(QStringLiteral("COLUMNA9"), monto(rsOrigen["Importe"])); });
}

void ReciboPagoCobranza::OrigenSegunAsiento(const QString& TCO4, const QString& sucursal,
                                            const QString& numero, const QString& letra,
                                            const QString& F) {
    step([&] {
        rsOrigen = gDB().gCnn.Execute(
            QStringLiteral("SELECT FECHA,IMPORTE FROM V_MV_CPTE WHERE TC = '") +
                sqltext::comillas(TCO4) + QStringLiteral("' AND IDCOMPROBANTE = '") +
                sqltext::comillas(sucursal + numero + letra) + QStringLiteral("' ") + F,
            nullptr, -1);
    });
    if (hallado(rsOrigen)) {
        step([&] { asigna(QStringLiteral("COLUMNA1"), gUtil().NuloAVacio(rsOrigen["fecha"])); });
        step([&] { asigna(QStringLiteral("COLUMNA9"), monto(rsOrigen["Importe"])); });
        return;
    }
    step([&] {
        rsOrigen = gDB().gCnn.Execute(
            QStringLiteral(
                "SELECT FECHA,CABIMPORTE, FECHASUBDIARIO FROM MV_ASIENTOS WHERE TC = '") +
                sqltext::comillas(TCO4) + QStringLiteral("' AND SUCURSAL = '") +
                sqltext::comillas(sucursal) + QStringLiteral("' AND NUMERO = '") +
                sqltext::comillas(numero) + QStringLiteral("' AND LETRA = '") +
                sqltext::comillas(letra) + QStringLiteral("' ") + F,
            nullptr, -1);
    });
    // A voucher found nowhere leaves its date and amount empty instead of failing the row.
    if (!hallado(rsOrigen)) return;
    step([&] {
        const vb::Variant subdiario = rsOrigen[QStringLiteral("FechaSUBDIARIO")];
        asigna(QStringLiteral("COLUMNA1"),
               gUtil().NuloAVacio(subdiario.isNull() ? rsOrigen["fecha"] : subdiario));
    });
    step([&] { asigna(QStringLiteral("COLUMNA9"), monto(rsOrigen["CabImporte"])); });
}

void ReciboPagoCobranza::asigna(const QString& columna, const vb::Variant& valor) {
    step([&] { rsAux.Fields(columna).setValue(valor); });
}

bool ReciboPagoCobranza::hayFila(const ado::Recordset& rs) {
    bool fila = false;
    step([&] { fila = !rs.Eof(); });
    return fila;
}

bool ReciboPagoCobranza::hallado(const ado::Recordset& rs) {
    bool fila = false;
    step([&] { fila = !rs.Bof() && !rs.Eof(); });
    return fila;
}

QString ReciboPagoCobranza::CondicionCuenta() const {
    const QString cuenta = vb::Trim(Cuenta);
    if (cuenta.isEmpty()) return {};
    return QStringLiteral(" AND CUENTA = '") + sqltext::comillas(cuenta) + QStringLiteral("' ");
}

QString ReciboPagoCobranza::TC4() const {
    return gUtil().Rellena(vb::Trim(TC), 4);
}

}  // namespace IMP_Recibos
