#include "core/errordialog.h"

#include "db/error_log.h"
#include "platform/ui/operator.h"
#include "platform/vb/strings.h"
#include "platform/vendrix/paths.h"

namespace core {

QString temporaryFolder() {
    return vendrix::temporaryFolder();
}

}  // namespace core

namespace ModGlobal {

int ManejaError(const vb::VbError& Err, std::optional<int> Botones,
                const std::optional<QString>& Rutina) {
    // A copy: whatever fails in here must not change what the dialog reports.
    const vb::VbError error = Err;
    QString archivo;
    try {
        archivo = core::temporaryFolder() + QStringLiteral("KQERR.LOG");
        // Opened for appending first, as the log is made even when nothing is shown.
        if (!openErrorLog(archivo)) archivo.clear();
    } catch (...) {
        archivo.clear();
    }

    const QString mensaje = QStringLiteral("Ha ocurrido el Siguiente Error (%1) %2")
                                .arg(error.Number)
                                .arg(vb::Trim(error.Description));
    const QString rutina = Rutina ? QStringLiteral(" - ") + *Rutina : QString();
    const QString titulo = error.Source + rutina + QStringLiteral(" Aviso al operador!!! - 2 ");
    const int botones = Botones.value_or(vb::vbAbortRetryIgnore + vb::vbCritical);
    if (error.Number == 0) return 0;

    int respuesta = 0;
    try {
        respuesta = ui::op().msgBox(mensaje, botones, titulo);
    } catch (const vb::VbError&) {
        return 0;
    }
    if (!archivo.isEmpty()) {
        appendErrorLogLine(archivo, errorLogLine(ui::clock().now(), rutina, mensaje, respuesta));
    }
    return respuesta;
}

vb::ErrorHandler manejaError(const QString& rutina) {
    return [rutina](const vb::VbError& e) { return ManejaError(e, std::nullopt, rutina); };
}

}  // namespace ModGlobal
