#pragma once

#include "platform/ado/recordset.h"
#include "platform/vb/currency.h"
#include "platform/vb/steps.h"
#include "platform/vb/variant.h"

#include <QString>
#include <QStringList>

#include <cstdint>

namespace IMP_Recibos {

// One call of GeneraAuxiliarRecibo_PagoCobranza: its arguments, the lists it walks, the row
// being added to AUX_MV_CPTE and the totals its formulas report. Every statement runs as a
// step under the procedure's one error handler.
class ReciboPagoCobranza {
public:
    ReciboPagoCobranza(const QString& TC, const QString& Sucursal, const QString& Numero,
                       const QString& Letra, const QString& Cuenta, QStringList& Formulas,
                       std::int32_t CopiasPorPagina, std::int32_t ItemsPorPagina);

    // The whole procedure.
    void Genera();

    // Arguments.
    const QString TC, Sucursal, Numero, Letra, Cuenta;
    QStringList& Formulas;
    const std::int32_t CopiasPorPagina, ItemsPorPagina;

    // Working state.
    bool IncluirCuitLibrador = false;
    QString CtaDescuento;
    ado::Recordset rsAux;
    ado::Recordset rsAplicados;
    std::int32_t CantAplicados = 0;
    ado::Recordset rsAsiento;
    std::int32_t CantAsiento = 0;
    ado::Recordset* rsGuia = nullptr;  // the list that drives the row loop
    ado::Recordset* rsOtra = nullptr;
    ado::Recordset rsOrigen;
    vb::Currency TotalCpte, TotalAplicado, TotalSaldo;
    vb::Currency TotalMediosPago, TotalRetIVA, TotalRetOtras, TotalRetIBrutos, TotalRetGanancias,
        TotalRetSUSS, TotalDescuentos;
    QString ConceptoRecibo;
    bool EsLineaCuenta = false;
    QString DescCuenta;
    ado::Recordset rsOtrasAplicaciones;
    ado::Recordset rsCantidad;
    ado::Recordset rsCpte;
    std::int16_t NroFormula = 0;

private:
    int TrataError(const vb::VbError& e);

    // The applied vouchers, the entry lines, and each list's count.
    void AbreListas();
    void CuentaFilas(ado::Recordset& rs, std::int32_t& cantidad);
    void FilaDelRecibo();
    // The left-hand columns: the applied voucher, its date, amount and balance.
    void ColumnasAplicado();
    void OrigenSegunAplicados(const QString& TCO4, const QString& IDO, const QString& F);
    void OrigenSegunAsiento(const QString& TCO4, const QString& sucursal, const QString& numero,
                            const QString& letra, const QString& F);
    // The right-hand columns: the entry line's means of payment, or its total.
    void ColumnasMedioPago();
    bool PruebaChequeBancoDebito(const QString& A);
    bool PruebaTarjeta(const QString& A);
    void CierraMedioPago();
    void SumaLinea(vb::Currency& total);

    void OtrasAplicaciones();
    void FilasDeRelleno();
    void Copias();
    void TotalesDeRespaldo();
    void AgregaFormulas();
    void AgregaFormula();

    // Helpers that keep each statement a step of its own.
    void asigna(const QString& columna, const vb::Variant& valor);
    bool hayFila(const ado::Recordset& rs);  // not at EOF; false when the test itself fails
    bool hallado(const ado::Recordset& rs);  // the last look-up gave a row
    QString CondicionCuenta() const;         // F: the account condition or empty
    QString IdComprobante() const { return Sucursal + Numero + Letra; }
    QString TC4() const;

    vb::Steps step;
};

}  // namespace IMP_Recibos
