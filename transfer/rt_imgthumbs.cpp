#include "transfer/rt_imgthumbs.h"

#include "core/files.h"
#include "platform/reportengine/picturereader.h"
#include "platform/ui/operator.h"
#include "platform/vb/app.h"
#include "platform/vb/safefile.h"
#include "platform/vb/steps.h"
#include "platform/vb/strings.h"
#include "platform/vendrix/clsutil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>

#include <cmath>

namespace Rt_ImgThumbs {

namespace {

// Takes `exceso` off `lado` and moves `otro` in proportion.
void ReducirProporcional(float& lado, float& otro, float exceso) {
    const float pct = lado > 0 ? otro * 100.0f / lado : 0.0f;
    lado = lado - exceso;
    otro = lado * pct / 100.0f;
}

int entero(float valor) {
    return static_cast<int>(std::nearbyint(valor));
}

QString carpetaDelPrograma() {
    return gUtil().BarraFinal(vb::App().Path);
}

}  // namespace

void AjustarProporcion(float ancho, float alto, float maxAncho, float maxAlto, float& outAncho,
                       float& outAlto) {
    float a = ancho;
    float b = alto;
    for (;;) {
        if (a > maxAncho && b > maxAlto) {
            if (a >= b)
                ReducirProporcional(a, b, a - maxAncho);
            else
                ReducirProporcional(b, a, b - maxAlto);
        } else if (a > maxAncho) {
            ReducirProporcional(a, b, a - maxAncho);
        } else if (b > maxAlto) {
            ReducirProporcional(b, a, b - maxAlto);
        } else {
            break;
        }
    }
    outAncho = a;
    outAlto = b;
}

QSize TamanoAjustado(double ancho, double alto, double maxAncho, double maxAlto) {
    float a = 0;
    float b = 0;
    AjustarProporcion(static_cast<float>(ancho), static_cast<float>(alto),
                      static_cast<float>(maxAncho), static_cast<float>(maxAlto), a, b);
    return QSize(entero(a), entero(b));
}

QRectF RectanguloCentrado(const QSizeF& imagen, const QSizeF& caja) {
    float ancho = 0;
    float alto = 0;
    AjustarProporcion(static_cast<float>(imagen.width()), static_cast<float>(imagen.height()),
                      static_cast<float>(caja.width()), static_cast<float>(caja.height()), ancho,
                      alto);
    return QRectF((caja.width() - ancho) / 2, (caja.height() - alto) / 2, ancho, alto);
}

bool ExisteCarpeta(const QString& carpeta) {
    return QFileInfo(carpeta).isDir();
}

bool CreaCarpeta(const QString& carpeta) {
    return QDir().mkdir(carpeta);
}

bool GeneraThumbnail(const QString& carpeta, const QString& origen, const QString& nombre,
                     std::int16_t indice, QString& destino, std::int16_t maxAncho,
                     std::int16_t maxAlto) {
    QString carpetaOrigen, nombreOrigen, ext, archivo;
    gUtil().PartesRuta(origen, carpetaOrigen, nombreOrigen, ext, archivo);
    const QString base = carpetaDelPrograma();
    const QString relativa = QString(carpeta).replace(u'\\', u'/');
    destino = relativa + vb::Trim(nombre) +
              (indice == 0 ? QString() : u'_' + QString::number(indice)) + u'.' + ext;
    const bool enSuLugar = destino == origen || base + destino == origen;

    if (!ExisteCarpeta(base + relativa)) CreaCarpeta(base + relativa);
    if (!ExisteCarpeta(base + relativa + QStringLiteral("thumbs5")))
        CreaCarpeta(base + relativa + QStringLiteral("thumbs5"));

    if (!enSuLugar && !ModGlobal::CopiaArchivo(origen, base + destino)) {
        ui::op().msgBox(QStringLiteral("No se pudo cargar la imagen ") + origen +
                            QStringLiteral("\r\nen ") + destino,
                        vb::vbOKOnly);
        return false;
    }

    QImage imagen;
    QFile copia(base + destino);
    try {
        if (copia.open(QIODevice::ReadOnly)) imagen = reportengine::readPicture(copia, origen);
    } catch (const vb::VbError& e) {
        // Too large to decode: told, and no thumbnail is made, as for a file that is no picture.
        ui::op().msgBox(e.Description, vb::vbOKOnly);
        return true;
    }
    if (imagen.isNull()) return true;
    const QSize tamano = TamanoAjustado(imagen.width(), imagen.height(), maxAncho, maxAlto);
    if (tamano.isEmpty()) return true;
    // Averaged down, as a halftone stretch does, onto an opaque screen-like bitmap.
    const QImage miniatura = imagen.convertToFormat(QImage::Format_RGB32)
                                 .scaled(tamano, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    // A thumbnail that cannot be written whole is not left behind: the caller looks for the
    // file to know whether there is one.
    vb::ReplacementFile miniaturaBmp(base +
                                     gUtil().BarraFinal(carpeta + QStringLiteral("thumbs5")) +
                                     nombre + QStringLiteral(".bmp"));
    if (miniaturaBmp.open() && miniatura.save(miniaturaBmp.device(), "BMP")) miniaturaBmp.commit();
    return true;
}

QString RutaCompletaImagen(const QString& ruta) {
    if (ruta.size() <= 2) return {};
    const QString r = QString(ruta).replace(u'\\', u'/');
    const bool absoluta = r.startsWith(u'/') || r[1] == u':';
    const bool archivo = r.indexOf(u'.') > 0;
    if (archivo) return absoluta ? ruta : carpetaDelPrograma() + r;
    return gUtil().BarraFinal(absoluta ? r : carpetaDelPrograma() + r);
}

}  // namespace Rt_ImgThumbs
