#pragma once

#include "platform/vb/vberror.h"

#include <QString>

// Errors of the report engine: each failure is raised as a vb::VbError with one of these numbers,
// a description the operator can act on and the engine as its source.
namespace reportengine {

namespace err {
constexpr long FormNotFound = 20504;     // the report form is missing or unreadable
constexpr long FormInvalid = 20505;      // the report form is not a valid form
constexpr long Formula = 20515;          // a selection formula, sort field or assignment is wrong
constexpr long Field = 20516;            // a field the report names is not in its data
constexpr long Printer = 20520;          // no printer, or the printer refused the job
constexpr long NotSupported = 20536;     // a destination, file type or format we do not write
constexpr long WriteFailed = 20545;      // an output file could not be written
constexpr long DocumentInvalid = 20550;  // a saved report document that cannot be read
constexpr long Data = 20599;             // the data could not be read
}  // namespace err

// The Source of every error the engine raises.
QString errorSource();

[[noreturn]] void fail(long number, const QString& description);

}  // namespace reportengine
