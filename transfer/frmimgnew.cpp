#include "transfer/frmimgnew.h"

#include "core/ui/formsetup.h"
#include "platform/reportengine/picturereader.h"
#include "platform/ui/screenfit.h"
#include "platform/vb/steps.h"
#include "platform/vb/vberror.h"
#include "platform/vendrix/clsutil.h"
#include "transfer/rt_imgthumbs.h"

#include <QFileInfo>
#include <QLabel>
#include <QPainter>

namespace {

constexpr double kTwips = 15;

// The picture of a file; raises File not found (53) or Invalid picture (481), as the
// platform's picture loader does, 481 naming the file for a picture too large to decode.
QPixmap CargaImagen(const QString& ruta) {
    if (ruta.isEmpty() || !QFileInfo(ruta).isFile())
        vb::raise(vb::err::FileNotFound, QStringLiteral("FrmImgNew"));
    QImage imagen;
    try {
        imagen = reportengine::readPicture(ruta, true);
    } catch (vb::VbError& e) {
        e.Source = QStringLiteral("FrmImgNew");
        throw;
    }
    if (imagen.isNull())
        throw vb::VbError(481, QStringLiteral("Invalid picture"), QStringLiteral("FrmImgNew"));
    return QPixmap::fromImage(imagen);
}

}  // namespace

LienzoImagen::LienzoImagen(QWidget* parent) : QWidget(parent) {}

void LienzoImagen::Cls() {
    imagen_ = QPixmap();
    destino_ = QRectF();
    update();
}

void LienzoImagen::PaintPicture(const QPixmap& imagen, const QRectF& destino) {
    imagen_ = imagen;
    destino_ = destino;
    update();
}

void LienzoImagen::paintEvent(QPaintEvent*) {
    if (imagen_.isNull()) return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF enPixeles(destino_.x() / kTwips, destino_.y() / kTwips, destino_.width() / kTwips,
                           destino_.height() / kTwips);
    painter.drawPixmap(enPixeles, imagen_, QRectF(imagen_.rect()));
}

FrmImgNew::FrmImgNew(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FrmImgNew"));
    setWindowTitle(QStringLiteral("Ver imagen"));
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setVisible(false);
    Picture1 = new LienzoImagen(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    resize(640, 480);
    // On a screen with less room the picture is fitted to what the screen leaves the window.
    ui::keepWithinScreen(*this);
}

void FrmImgNew::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (loaded_) return;
    loaded_ = true;
    Form_Load();
}

void FrmImgNew::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    Form_Resize();
}

void FrmImgNew::Form_Load() {
    vb::Steps pasos([](const vb::VbError& e) { return gUtil().MuestraError(e); });
    pasos([&] { ModGlobal::ConfiguraFormulario(*this); });
    pasos([&] { setWindowTitle(pImagen); });
    pasos([&] { Image1->setPixmap(CargaImagen(Rt_ImgThumbs::RutaCompletaImagen(pImagen))); });
    pasos([&] { Escalar_Imagen(Image1->pixmap(), *Picture1); });
}

void FrmImgNew::Form_Resize() {
    Image1->setGeometry(rect());
    Picture1->setGeometry(rect());
    Escalar_Imagen(Image1->pixmap(), *Picture1);
}

void FrmImgNew::Escalar_Imagen(const QPixmap& img, LienzoImagen& destino) {
    if (img.isNull()) return;
    destino.Cls();
    // A bitmap's own size in twips, and the box's.
    const QSizeF imagen(img.width() * kTwips, img.height() * kTwips);
    const QSizeF caja(destino.width() * kTwips, destino.height() * kTwips);
    destino.PaintPicture(img, Rt_ImgThumbs::RectanguloCentrado(imagen, caja));
}
