#include "tests/support/qr_reader.h"

#include <QImage>

// Result::text() as UTF-8, the form this ZXing release moves to.
#define ZX_USE_UTF8
#include <ZXing/ReadBarcode.h>

namespace zxtest {

QString readQrCode(const QByteArray& bytes) {
    QImage image = QImage::fromData(bytes);
    if (image.isNull()) return QStringLiteral("<no image>");
    image = image.convertToFormat(QImage::Format_Grayscale8);
    const ZXing::ImageView view(image.constBits(), image.width(), image.height(),
                                ZXing::ImageFormat::Lum, static_cast<int>(image.bytesPerLine()));
    ZXing::DecodeHints hints;
    hints.setFormats(ZXing::BarcodeFormat::QRCode);
    const ZXing::Result result = ZXing::ReadBarcode(view, hints);
    if (!result.isValid()) return QStringLiteral("<unreadable>");
    return QString::fromStdString(result.text());
}

}  // namespace zxtest
