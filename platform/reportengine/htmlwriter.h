#pragma once

#include "platform/reportengine/layout.h"

#include <QByteArray>
#include <QString>

namespace reportengine {

// A report as one HTML page: its pages one under the other, each item where the renderer
// would paint it.
QByteArray reportHtml(const LaidOutReport& report);
// Writes it; the file appears whole or not at all. Raises err::WriteFailed.
void writeHtml(const LaidOutReport& report, const QString& path);

}  // namespace reportengine
