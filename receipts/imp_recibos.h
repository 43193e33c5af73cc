#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>

// The print data of collection receipts and payment orders.
namespace IMP_Recibos {

// Replaces this station's rows of AUX_MV_CPTE with the printable lines of the receipt or
// payment order TC, Sucursal & Numero & Letra (applied vouchers beside the means of payment,
// other applications, filler rows up to `ItemsPorPagina` (-1: none), copies 2 to
// `CopiasPorPagina`) and puts its eleven report formulas at indices 1 to 11 of `Formulas`.
// `Cuenta`, when not blank, keeps the look-ups to that customer's or supplier's account.
// A voucher with neither applied vouchers nor entry lines leaves no rows and no formulas.
// Errors go to the central error dialog.
void GeneraAuxiliarRecibo_PagoCobranza(const QString& TC, const QString& Sucursal,
                                       const QString& Numero, const QString& Letra,
                                       const QString& Cuenta, QStringList& Formulas,
                                       std::int32_t CopiasPorPagina, std::int32_t ItemsPorPagina);

// The account itself when the chart of accounts marks it as a retention of that kind, else
// the empty text (also for an empty account, without asking the database).
QString EsCuentaRetIVA(const QString& Cuenta);
QString EsCuentaRetGanancias(const QString& Cuenta);
QString EsCuentaRetIBrutos(const QString& Cuenta);
QString EsCuentaRetOtra(const QString& Cuenta);

}  // namespace IMP_Recibos
