#pragma once

#include <QString>

namespace sendtest {

// Writes a small saved report (the error-log form's kind, two rows) at `path`, as the report
// printer writes one for the mail output.
void writeSavedReport(const QString& path);

}  // namespace sendtest
