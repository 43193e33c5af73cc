#pragma once

#include "platform/vb/variant.h"

#include <QString>

#include <cstdint>

namespace ModGlobal {

// Rebuilds this station's rows of the print work tables (AUX_MV_CPTE, and AUX_MV_CPTEQR per
// voucher) for the vouchers of V_MV_CPTE chosen by the lists, when given, or by the range.
// `TC` receives the voucher type as the tables hold it (four characters; for "Todo" the type
// of the listed voucher). `Agregar` True keeps the station's rows already there. Failing
// statements are passed over; nothing is reported to the caller.
void GeneraAuxiliarComprobantes(QString& TC, const QString& SucursalDesde,
                                const QString& NumeroDesde, const QString& LetraDesde,
                                const QString& IdComplementoDesde, std::int16_t LineasTitulo,
                                const QString& SucursalHasta, const QString& NumeroHasta,
                                const QString& LetraHasta, const QString& IdComplementoHasta,
                                const QString& ListaID, const QString& ListaIdComprobante,
                                const QString& IdTarea, const vb::Variant& Agregar);

}  // namespace ModGlobal
