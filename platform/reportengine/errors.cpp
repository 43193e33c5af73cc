#include "platform/reportengine/errors.h"

namespace reportengine {

QString errorSource() {
    return QStringLiteral("Motor de Reportes");
}

void fail(long number, const QString& description) {
    throw vb::VbError(number, description, errorSource());
}

}  // namespace reportengine
