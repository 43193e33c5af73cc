#pragma once

#include <QString>

#include <cstdint>

namespace FmtNroAS400 {

// A number as fixed-width digits without a decimal separator: `Enteros` whole digits at
// least (a leading "-" for a negative number) and exactly `Decimales` decimals, cut without
// rounding. The decimal separator in `Valor` is the locale's.
QString FormatoNumeroAS400(const QString& Valor, std::int16_t Enteros, std::int16_t Decimales);

}  // namespace FmtNroAS400
