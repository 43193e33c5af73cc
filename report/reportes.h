#pragma once

#include <QString>

#include <array>

namespace ModGlobal {

// The report files of copies 1 to 4, at [0] to [3].
using CopiasReporte = std::array<QString, 4>;

// The report file a report name stands for on this workstation: its own TA_REPORTES row
// (unless `dato` is given), the general row, the payment-order rows for "LiqOpg", else the
// name's own file in the program folder; then the business unit's delivery-note form and the
// electronic-voucher form of `idComprobante`. `copias`, when given, receives the files of the
// four copies. Failures go to the error dialog; the path as far as it was found is returned.
QString NombreReporte(const QString& nombre, const QString& dato = {},
                      CopiasReporte* copias = nullptr, const QString& idComprobante = {});

// A checked report file for the candidate `archivo` of the report `nombre`: the default file
// (with the voucher-type fallbacks) for an empty candidate, ".rpt" added to a name without it,
// and the default file, after telling the operator, when the file does not exist. Files are
// found without regard to the case of their names.
QString VerificaReporte(const QString& archivo, const QString& nombre);

}  // namespace ModGlobal
