#pragma once

#include "platform/reportengine/linkeddata.h"
#include "platform/reportengine/reportdata.h"
#include "platform/reportengine/reportform.h"
#include "platform/vb/datetime.h"

#include <QList>
#include <QString>

namespace reportengine {

// A report as of one run: its form, the values of its formulas and its selected rows. It is
// what the preview shows, the printer prints and a saved report file holds.
struct ReportDocument {
    ReportForm form;
    QList<Assignment> formulas;  // the form's formulas with their values
    ReportData data;
    QString selection;  // the selection formula of the run, for the record
    vb::DateTime created;
    QList<SubreportData> subreports;  // the subreports the run asked for, with their rows

    // The value of a formula (empty when it was not given).
    QString formula(const QString& name) const;
    // The rows of a subreport of the run, null when it did not run.
    const SubreportData* subreport(const QString& name) const;
};

// Writes a saved report file (self-contained: the form with its pictures, the formulas and the
// rows). The file appears whole or not at all; raises err::WriteFailed.
void saveDocument(const ReportDocument& document, const QString& path);
// Reads one back. Raises err::FormNotFound when the file cannot be read and
// err::DocumentInvalid when it is not a saved report (a bare form included) or of a version we
// do not read.
ReportDocument loadDocument(const QString& path);

}  // namespace reportengine
