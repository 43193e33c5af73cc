#include "send/imagenes.h"

#include "core/files.h"
#include "platform/reportengine/picturereader.h"
#include "platform/ui/operator.h"
#include "platform/vb/app.h"
#include "platform/vb/safefile.h"
#include "platform/vb/steps.h"
#include "platform/vb/strings.h"
#include "platform/vendrix/clsutil.h"
#include "send/hooks.h"
#include "send/subidaweb.h"

#include <QDir>
#include <QFile>

namespace send {

namespace {

// VB's error for a clipboard that holds no picture.
constexpr long kSinImagen = 380;
constexpr long kImagenInvalida = 481;

void avisoFallo() {
    ui::op().msgBox(QStringLiteral("Error al subir la imagen. Intente nuevamente."),
                    vb::vbInformation, QStringLiteral("Aviso"));
}

void agregaLink(DialogoEnvio& d) {
    if (!d.LinkDocumento.isEmpty())
        d.SetMensajeWhatsapp(d.MensajeWhatsapp() + QStringLiteral("\r\nLink del documento : ") +
                             d.LinkDocumento);
}

QString imagenTemporal(const QString& estampa) {
    return CarpetaImagenes() + QStringLiteral("TMP_") + estampa + QStringLiteral(".jpg");
}

// Saves the picture as the temporary picture and shows what was saved.
void guardaTemporal(DialogoEnvio& d, const QImage& imagen, const QString& ruta) {
    // The folder may not be there before the first picture.
    QDir().mkpath(CarpetaImagenes());
    vb::ReplacementFile archivo(ruta);
    if (!archivo.open() || !imagen.save(archivo.device(), "JPG") || !archivo.commit())
        vb::raise(75);
    const QImage guardada = reportengine::readPicture(ruta);
    if (guardada.isNull()) throw vb::VbError(kImagenInvalida, QStringLiteral("Invalid picture"));
    d.MuestraImagen(guardada);
}

// GeneraThumb; false when no thumbnail was made, so LinkDocumento is not this picture's.
bool generaThumb(DialogoEnvio& d, QString& Tmp, const QString& ID) {
    d.MuestraEspera(true);
    QString destino;
    const auto& genera = sendhooks::servicios().GeneraThumbnail;
    if (!genera || !genera(QStringLiteral("IMAGENES/"), Tmp, ID, 0, destino, 1100, 950)) {
        d.MuestraEspera(false);
        avisoFallo();
        return false;
    }
    d.LinkDocumento.clear();
    Tmp = CarpetaImagenes() + QStringLiteral("thumbs5/") + ID + QStringLiteral(".bmp");
    if (!ModGlobal::ExisteArchivo(Tmp)) {
        d.MuestraEspera(false);
        avisoFallo();
        return true;
    }
    QString nombre = QStringLiteral("DOCUMENTO_IMAGEN");
    QString ext = QStringLiteral("bmp");
    uploadAdjuntoWeb(d, Tmp, nombre, ext, false);
    d.SetTexto(QStringLiteral("RutaImagen"), Tmp);
    QFile::remove(imagenTemporal(ID));
    d.MuestraEspera(false);
    return true;
}

}  // namespace

QString CarpetaImagenes() {
    return gUtil().BarraFinal(vb::App().Path) + QStringLiteral("IMAGENES/");
}

void GeneraThumb(DialogoEnvio& d, QString& Tmp, const QString& ID) {
    generaThumb(d, Tmp, ID);
}

void AsignarFoto(DialogoEnvio& d, const QString& Imagen) {
    try {
        if (!ModGlobal::ArchivoExiste(Imagen)) {
            d.SetDescripcionImagen(QStringLiteral("No existe el archivo..."));
            return;
        }
        const QImage imagen = reportengine::readPicture(Imagen);
        if (imagen.isNull()) throw vb::VbError(kImagenInvalida, QStringLiteral("Invalid picture"));
        d.MuestraImagen(imagen);
        d.SetDescripcionImagen(Imagen);
    } catch (const vb::VbError& e) {
        ui::op().msgBox(e.Description, vb::vbCritical, QStringLiteral("Aviso al operador!!!"));
        d.MuestraImagen(QImage());
    }
}

void PegaImagen(DialogoEnvio& d, const std::optional<QImage>& portapapeles) {
    QString estampa;
    QString temporal;
    vb::Steps paso([&](const vb::VbError& e) {
        d.MuestraEspera(false);
        if (e.Number == kSinImagen) {
            ui::op().msgBox(QStringLiteral("Imagen no válida"), vb::vbCritical,
                            QStringLiteral("Aviso"));
            return static_cast<int>(vb::vbCancel);
        }
        return gUtil().MuestraError(e);
    });
    paso([&] { d.MuestraEspera(true); });
    paso([&] { estampa = EstampaServidor(); });
    paso([&] {
        if (!portapapeles || portapapeles->isNull())
            throw vb::VbError(kSinImagen, QStringLiteral("Invalid property value"));
    });
    paso([&] {
        temporal = imagenTemporal(estampa);
        guardaTemporal(d, *portapapeles, temporal);
    });
    bool subida = false;
    paso([&] { subida = generaThumb(d, temporal, estampa); });
    // A picture without a thumbnail brings no link: not even the last picture's.
    paso([&] {
        if (subida) agregaLink(d);
    });
    paso([&] { d.MuestraEspera(false); });
}

void BuscaImagen(DialogoEnvio& d) {
    try {
        const QString ruta =
            ui::op()
                .openFile(QStringLiteral("Buscar Archivos"),
                          QStringLiteral("Archivos de Imagenes|*.Bmp;*.Wmf;*.Jpg;*.Gif;*.ico"))
                .value_or(QString());
        if (ruta.isEmpty()) return;
        d.SetTexto(QStringLiteral("RutaImagen"), vb::Trim(ruta));
        AsignarFoto(d, ruta);
        const QString estampa = EstampaServidor();
        QString temporal = imagenTemporal(estampa);
        guardaTemporal(d, d.Imagen(), temporal);
        if (generaThumb(d, temporal, estampa)) agregaLink(d);
        AsignarFoto(d, ruta);
    } catch (const vb::VbError&) {
        // The pick leaves quietly: the picture box tells what it holds.
    }
}

}  // namespace send
