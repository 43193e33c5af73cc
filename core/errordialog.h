#pragma once

#include "platform/vb/steps.h"
#include "platform/vb/vberror.h"

#include <QString>

#include <optional>

namespace core {

// The temporary folder of the shared procedures, with a trailing separator: the value of
// "tmp" when "temp" is not empty, else (or when that is blank) the utility library's folder.
QString temporaryFolder();

}  // namespace core

namespace ModGlobal {

// The one run-time error dialog: shows the error with the routine's name, appends the answer
// to "KQERR.LOG" in the temporary folder and returns it (vb::Answer). `Botones` defaults to
// Abort/Retry/Ignore with the critical icon. An error numbered 0 shows nothing and gives 0.
// Never raises.
int ManejaError(const vb::VbError& Err, std::optional<int> Botones = std::nullopt,
                const std::optional<QString>& Rutina = std::nullopt);

// A step-runner handler that asks ManejaError for `rutina` (Retry/Ignore convention).
vb::ErrorHandler manejaError(const QString& rutina);

}  // namespace ModGlobal
