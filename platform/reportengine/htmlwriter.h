#pragma once

#include "platform/reportengine/layout.h"

#include <QString>

namespace reportengine {

// Writes a report as one HTML page: its pages one under the other, each item where the renderer
// would paint it, laid out and written one page at a time. The file appears whole or not at
// all. Raises err::WriteFailed.
void writeHtml(PagedReport& report, const QString& path);

}  // namespace reportengine
