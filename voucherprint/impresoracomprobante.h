#pragma once

#include <QString>

#include <cstdint>

namespace ModGlobal {

// The print settings of a voucher type and letter on this workstation, from
// TA_CONFIG_IMP_CPTE: the workstation's own row first, else the row for every workstation.
// An empty or blank `Usuario` becomes the workstation key (computer name, "|", Windows user).
// Without a row `Impresora` is emptied and `CantCopias` is 0; `CantLineas` and
// `DestinoDefault` keep what they held. Errors go to the error dialog.
void ObtieneImpresoraComprobante(const QString& TC, const QString& Letra, QString& Impresora,
                                 std::int16_t& CantCopias, std::int16_t& CantLineas,
                                 QString& DestinoDefault, QString& Usuario);

}  // namespace ModGlobal
