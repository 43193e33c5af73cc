#pragma once

#include "platform/reportengine/layout.h"

#include <QString>

class QPrinter;

namespace reportengine {

// Prints a report, a page laid out at a time, on a printer the caller set up (the preview's
// print dialog): the page range, order, copies and collation set on it. Raises err::Printer
// when the range holds no page of the report, when the printer's queue is stopped or does not
// take jobs, or it refuses the job.
void printReport(PagedReport& report, QPrinter& printer);

// The printer destination of report runs (Services::print) through Qt's print support: the
// printer of the given name, or the default printer when the name is empty. Raises
// err::Printer when there is no such printer, and as above.
void printOnNamedPrinter(PagedReport& report, const QString& printerName);

}  // namespace reportengine
