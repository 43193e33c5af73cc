#pragma once

#include "platform/vb/variant.h"

#include <QString>

namespace ModGlobal {

// Previews every accounting entry that the voucher `TC` `IdComprobante` (point of sale 4,
// number 8, letter 1) produced on `Fecha`, one entry report each; `CentroCosto` picks the
// cost-centre form. Errors reach the caller.
void ImprimeAsientosComprobante(const QString& TC, const QString& IdComprobante,
                                const QString& Fecha, bool CentroCosto);

}  // namespace ModGlobal

namespace ast {

// Runs the entry report of one entry ("Asientos", "Asientos_80mm" or "AsientoCCosto" with its
// subreport) to the screen or the printer. A `Periodo` of 0 (or one that is no number)
// selects the voucher's lines by its key alone; with another period an entry whose month or
// number is not a whole number is told to the operator and not printed. Errors reach the
// caller.
void ImprimeAsiento(const QString& TC, const QString& Sucursal, const QString& Numero,
                    const QString& Letra, const QString& MesOperativo,
                    const QString& NumeroAsiento, const vb::Variant& Periodo, bool CentroCosto,
                    bool EnPantalla, bool Ticket80mm);

}  // namespace ast
