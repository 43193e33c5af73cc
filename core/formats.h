#pragma once

#include "platform/vb/variant.h"

#include <QString>

#include <cstdint>

// Number, money, date and amount-in-words texts that vouchers and receipts print. Number texts
// follow the program's locale (vb::locale()).
namespace ModGlobal {

// The format texts of stored and shown dates: "dd/mm/yy hh:mm", "dd/mm/yy" and "hh:mm".
QString FormatoFechaHora();
QString FormatoFecha();
QString FormatoHora();

// The amount text with a decimals code: -3 the text unchanged, -2 no decimals, -1 the
// configured number (gCantidadDecimales), 0 the locale's, n that many. `Miles` groups the
// thousands.
vb::Variant FmtMoneda(const QString& Importe, const vb::Variant& Decimales, bool Miles);

// The locale's decimal separator: "," or ".".
QString SeparadorDecimal();

// Minutes as hours text ("01:30"; with the configured separator "." decimal hours "1.50").
// `Horas` and `MinutosResto` receive the parts (not for decimal hours); `DosPuntos` forces
// ":".
vb::Variant FormatoHoras(const vb::Variant& Minutos, std::int32_t* Horas = nullptr,
                         std::int32_t* MinutosResto = nullptr, bool DosPuntos = false);

// The amount in Spanish words, then the cents as "con NN/100". `Ancho` other than 0 pads or
// cuts the text to that width. `Centavos` is accepted and not used. Raises Overflow (6) for
// a whole part of more than twelve digits.
QString ImporteEnLetras(const QString& Importe, std::int16_t Ancho = 0, const QString& Moneda = {},
                        const QString& Centavos = {});

// A whole number in Spanish words ("dos mil quinientos"); below one gives "cero"; from one
// million millions up raises Overflow (6).
QString NumeroEnLetras(const QString& Numero);

// Fills the word tables NumeroEnLetras uses.
void InicializaPalabrasNumeros();

}  // namespace ModGlobal
