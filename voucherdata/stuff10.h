#pragma once

#include <QString>

#include <cstdint>

// The tax agency's codes of a voucher type and of a buyer's document type, as the voucher QR
// carries them.
namespace Stuff10 {

// No code table is kept here: both give 0.
std::int16_t CodigoTipoComprobante(const QString& TC, const QString& Letra, bool EsFCE);
std::int16_t CodigoTipoDocumento(const QString& TipoDocumento);

}  // namespace Stuff10
