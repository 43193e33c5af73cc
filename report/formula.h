#pragma once

#include <QList>
#include <QString>

#include <cstdint>

// One range of a report selection: the bounds as typed, the report field they apply to
// ("{TABLE.FIELD}"), its ADO type code (7 date; 2, 4, 5, 6, 20 numbers; any other text), and
// the operator that joins it to the ranges before it ("AND" or "OR"; blank is "AND").
struct FiltroRango {
    QString Desde;
    QString Hasta;
    QString Campo;
    std::int16_t Tipo = 0;
    bool SinRecorte = false;  // text compared without the report engine's trimming
    QString Operador;
};

namespace ModGlobal {

// Turns the ranges, in order, into one record-selection formula. A blank bound adds no test.
// At the first range that fails (unknown operator, a date or number that does not read as
// one, a reversed range) `Mensaje`, when given, receives why, and `Formula` is left as the
// caller had it; otherwise `Formula` receives the whole formula (empty when no range gave a
// test). Raises nothing.
void ArmaFormulaSeleccion(const QList<FiltroRango>& Filtros, QString& Formula,
                          QString* Mensaje = nullptr);

}  // namespace ModGlobal
