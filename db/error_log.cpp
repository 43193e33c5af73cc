#include "db/error_log.h"

#include "platform/vb/steps.h"
#include "platform/vb/strings.h"

QString answerWord(int respuesta) {
    switch (respuesta) {
        case vb::vbRetry:
            return QStringLiteral("Reintentar");
        case vb::vbIgnore:
            return QStringLiteral("Ignorar");
        case vb::vbAbort:
            return QStringLiteral("Abortar");
        case vb::vbCancel:
            return QStringLiteral("Cancelar");
        case vb::vbYes:
            return QStringLiteral("Sí");
        case vb::vbNo:
            return QStringLiteral("No");
        default:
            return {};
    }
}

QString errorLogLine(const vb::DateTime& now, const QString& rutinaTexto, const QString& mensaje,
                     int respuesta) {
    return now.toString(QStringLiteral("MM-dd-yyyy")) + u' ' +
           now.toString(QStringLiteral("HH:mm:ss")) + QStringLiteral(" Rutina: ") +
           vb::Trim(rutinaTexto) + QStringLiteral(" Mensaje ") + vb::Trim(mensaje) +
           QStringLiteral(" Respondió : ") + answerWord(respuesta);
}
