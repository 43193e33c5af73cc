#include "send/emailaux.h"

#include "core/errordialog.h"
#include "core/files.h"
#include "platform/reportengine/engine.h"
#include "platform/ui/operator.h"
#include "platform/vb/conversions.h"
#include "platform/vb/steps.h"
#include "platform/vb/strings.h"
#include "platform/vendrix/clssistema.h"
#include "platform/vendrix/clsutil.h"

#include <QFile>
#include <QFileInfo>

namespace eMailAux {

QString NombreArchivoTemporal(QString& Nombre, QString& Extension) {
    QString carpeta;
    QString archivo;
    vb::runSteps(
        vb::silentHandler(),
        {[&] {
             if (!Extension.startsWith(u'.')) Extension.prepend(u'.');
         },
         [&] {
             // A name made of the time is guessable: it goes only in a folder that
             // belongs to this user alone.
             carpeta = Nombre.isEmpty() ? gSistema().CarpetaTemporal() : core::temporaryFolder();
             carpeta = gUtil().BarraFinal(carpeta);
         },
         [&] {
             archivo = Nombre;
             if (archivo.isEmpty()) {
                 const QString hora = ui::clock().now().toString(QStringLiteral("HH:mm:ss"));
                 archivo = vb::Trim(vb::Mid(hora, 1, 2)) + vb::Trim(vb::Mid(hora, 4, 2)) +
                           vb::Trim(vb::Mid(hora, 7, 2));
             }
         },
         [&] {
             const QString ruta = carpeta + archivo + Extension;
             if (ModGlobal::ExisteArchivo(ruta)) QFile::remove(ruta);
         }});
    return carpeta + archivo + Extension;
}

QString NombreArchivoTemporal(const QString& Nombre, const QString& Extension) {
    QString nombre = Nombre;
    QString extension = Extension;
    return NombreArchivoTemporal(nombre, extension);
}

bool ExportaReporte(const QString& Reporte, const QString& Archivo, long Formato,
                    QString* Motivo) {
    if (Motivo) Motivo->clear();
    if (!QFileInfo(Reporte).isFile()) {
        ui::op().msgBox(QStringLiteral("No se encontró el Reporte: \r\n") + Reporte,
                        vb::vbInformation, QStringLiteral("Aviso al Operador!!!"));
        return false;
    }
    try {
        reportengine::exportReport(Reporte, Archivo, Formato);
    } catch (const vb::VbError& e) {
        if (Motivo) *Motivo = e.Description;
        return false;
    }
    return QFileInfo(Archivo).isFile();
}

QString TextoAHTML(QString& Texto) {
    Texto.replace(u'\r', QStringLiteral("<BR>"));
    return QStringLiteral("<HTML><BODY>") + Texto + QStringLiteral("</BODY></HTML>");
}

QString ColorHTML(const QString& Color) {
    const std::int32_t numero = vb::CLng(vb::Variant(Color));
    const QString hex = QString::number(static_cast<quint32>(numero), 16).toUpper();
    const QString h = vb::Right(QStringLiteral("00000") + hex, 6);
    return u'#' + h.mid(4, 2) + h.mid(2, 2) + h.mid(0, 2);
}

}  // namespace eMailAux
