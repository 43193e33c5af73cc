#pragma once

#include "report/formula.h"

#include <QList>
#include <QString>

namespace ModGlobal {

// The temporary report file of the last mail output.
extern QString gArchivoInformeMail;

}  // namespace ModGlobal

namespace report {

// The eight range fields of the error-log report, trimmed.
struct RangosInforme {
    QString UsuarioDesde, UsuarioHasta;
    QString FechaDesde, FechaHasta;
    QString PcDesde, PcHasta;
    QString ErrorDesde, ErrorHasta;
};

// The four ranges over AUX_ERR: user and workstation as text, date, error number.
QList<FiltroRango> FiltrosInforme(const RangosInforme& rangos);

// Runs the error-log report with those ranges to the report printer's current destination.
// An invalid range is told to the operator ("Atención") and runs nothing; a failure of the
// run goes to the error dialog. When the destination is the file, the file written goes to
// the send dialog with `asunto` as its subject, and is deleted once the dialog closes.
void GeneraInforme(const RangosInforme& rangos, const QString& asunto);

}  // namespace report
