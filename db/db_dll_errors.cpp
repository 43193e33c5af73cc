#include "db/db_dll.h"
#include "db/error_log.h"

#include "platform/ui/operator.h"
#include "platform/vb/app.h"
#include "platform/vb/conversions.h"
#include "platform/vb/strings.h"

using vb::Trim;

void DB_Dll::setArchivoErrores(const vb::Variant& valor) {
    gLogErr = valor.isNull() ? QString() : vb::CStr(valor);
}

std::int16_t DB_Dll::TratamientoErrores(const vb::VbError& Err, const std::optional<int>& Botones,
                                        const std::optional<QString>& Rutina) {
    QString archivo = vb::App().Path;
    if (!archivo.endsWith(u'/')) archivo += u'/';
    archivo += QStringLiteral("KQERR.LOG");
    if (!gLogErr.isEmpty()) archivo = gLogErr;

    const QString mensaje = QStringLiteral("Ha ocurrido el Siguiente Error (") +
                            QString::number(Err.Number) + QStringLiteral(") ") +
                            Trim(Err.Description);
    const QString rutina = Rutina ? QStringLiteral(" - ") + *Rutina : QString();
    const QString titulo = Err.Source + rutina + QStringLiteral(" Aviso al operador!!! - 5 ");
    if (Err.Number == 0) return 0;

    int respuesta = 0;
    try {
        respuesta = ui::op().msgBox(
            mensaje, Botones.value_or(vb::vbAbortRetryIgnore + vb::vbCritical), titulo);
    } catch (const vb::VbError&) {
        // Nothing could be shown: the line is still written, with no answer word.
    }
    // A log that cannot be written loses the line; the answer still counts.
    appendErrorLogLine(archivo, errorLogLine(ui::clock().now(), rutina, mensaje, respuesta));
    return static_cast<std::int16_t>(respuesta);
}
