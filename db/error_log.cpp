#include "db/error_log.h"

#include "platform/vb/safefile.h"
#include "platform/vb/steps.h"
#include "platform/vb/strings.h"
#include "platform/vb/textfile.h"

#include <QFileInfo>

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

bool openErrorLog(const QString& path) {
    // The log tells the statements that failed, data included; a file another program (or an
    // older build) left readable by others must not go on taking them.
    if (!vb::appendToFile(path, QByteArray(), 0600)) return false;
    const QFileDevice::Permissions ajenos = QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                            QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                            QFileDevice::WriteOther | QFileDevice::ExeOther;
    return !(QFileInfo(path).permissions() & ajenos);
}

bool appendErrorLogLine(const QString& path, const QString& line) {
    return openErrorLog(path) && vb::appendTextLine(path, line);
}
