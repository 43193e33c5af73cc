#pragma once

#include "platform/serial/mscomm.h"
#include "platform/vb/currency.h"

#include <QString>

// The hidden sales form: it only carries the serial-port control of the kitchen printer.
// Created on first use and kept for the rest of the program's life.
class FrmMvVentas {
public:
    static FrmMvVentas& Default();

    MSComm MSComm1;  // 9600 baud, 8 data bits, no parity, one stop bit
};

namespace ModGlobal {

// One ticket line of `Ancho` characters: the text fitted to Ancho - 9, then "$ " and the
// amount right-aligned in 7 (a longer amount is kept whole).
QString RenglonImporte(const QString& Texto, vb::Currency Importe, int Ancho);

// Prints an order as an ESC/POS ticket on this station's kitchen printer named in `Destino`
// ("Comandera :" and the name): the full ticket, or with `Cocina` / `Barra` only what the
// kitchen or the bar still has to prepare. Tells the operator when no printer is configured
// or the port does not open; other failures go to the error dialog.
void ImprimeEnComandera(const QString& TC, const QString& IdComprobante, const QString& Destino,
                        bool Cocina, bool Barra);

}  // namespace ModGlobal
