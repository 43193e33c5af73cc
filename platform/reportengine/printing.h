#pragma once

#include "platform/reportengine/layout.h"

#include <QString>

class QPrinter;

namespace reportengine {

// Prints a report on the printer of that name, or on the default printer when the name is
// empty. Raises err::Printer when there is no such printer or it refuses the job.
void printReport(const LaidOutReport& report, const QString& printerName);
// The same on a printer the caller set up (the preview's print dialog).
void printReport(const LaidOutReport& report, QPrinter& printer);

}  // namespace reportengine
