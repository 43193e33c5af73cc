#pragma once

#include <QString>

#include <cstdint>

// The accounts that play a role in collections and payments, and the means-of-payment
// classes of the chart of accounts.
namespace ast {

// The IVA, Ingresos Brutos and Ganancias retention accounts and the discount account of
// collections (`EsCobranza` true) or payments, from the first row of TA_CUENTASIVA; the
// discount falls back to the setting "CuentaDesCuentosObtenidos". Errors go to the database
// class's error box; the accounts keep what was assigned before the operator left.
void CuentaIVADF(QString& CtaRetIVA, QString& CtaRetIBrutos, QString& CtaRetGanancias,
                 QString& CtaDescuento, std::int16_t EsCobranza);

// Each check finds the account by `Codigo` or by `CodigoOpcional` (see the order in each)
// and answers whether its means of payment is of the check's kind. `Descripcion` gets the
// account's name whenever the account exists, also when the answer is false.

// Cash or a retention (EF, RI, RG, RB, RO). `Descripcion` is cleared first.
bool ValidaCuentaEfectivoRetencion(const QString& CodigoOpcional, QString& Descripcion,
                                   const QString& Codigo);
// A bank account paid by cheque (TipoVista BC, CH). `Codigo` gets the account's code.
bool ValidaCuentaBancoCheque(const QString& CodigoOpcional, QString& Codigo,
                             const QString& NoUsado, QString& Descripcion);
// Debit (DB). `Codigo` gets the account's code.
bool ValidaCuentaDebito(const QString& CodigoOpcional, QString& Codigo, const QString& NoUsado,
                        QString& Descripcion);
// Cheque (CH), whatever the view type.
bool ValidaCuentaCheque(const QString& CodigoOpcional, QString& Descripcion,
                        const QString& Codigo);
// Card (TJ).
bool ValidaCuentaTarjeta(const QString& CodigoOpcional, QString& Descripcion,
                         const QString& Codigo);

}  // namespace ast
