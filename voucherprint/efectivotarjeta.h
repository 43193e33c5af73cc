#pragma once

#include "platform/vb/currency.h"

#include <QString>

namespace ModGlobal {

// What the receipt that settled an invoice paid in cash and by card: the first receipt ("CBFP"
// for an "FP" invoice, "CBCT" for others) applied to the 13-character `IdComprobante`, and the
// net of its entry's cash ("EF") and card ("TJ") lines. Each description is the account's
// name, or "EFECTIVO" / "TARJETA" when the lines use more than one account. Without a receipt
// everything is 0 and empty. Errors reach the caller; the amounts are then 0.
void ObtieneEfectivoTarjeta(const QString& TC, const QString& IdComprobante,
                            vb::Currency& Efectivo, vb::Currency& Tarjeta, QString& DescEfectivo,
                            QString& DescTarjeta);

}  // namespace ModGlobal
