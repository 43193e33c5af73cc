#include "platform/reportengine/picturereader.h"

#include "platform/vb/vberror.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QMimeData>

namespace reportengine {

namespace {

// What decoding the largest picture allowed takes at four bytes a pixel, in whole megabytes: a
// header that tells less than its decoding makes (an icon holding a large PNG) stops there.
constexpr int kAllocationLimitMb =
    static_cast<int>((kMostPicturePixels * 4 + (1 << 20) - 1) >> 20);

QImage decoded(QIODevice& device, bool autoTransform) {
    // Qt's limit is the process's own: every reading of a picture is bounded by it.
    QImageReader::setAllocationLimit(kAllocationLimitMb);
    QImageReader reader(&device);
    reader.setAutoTransform(autoTransform);
    return reader.read();
}

// The logical screen of a GIF, which Qt decodes every frame onto; empty for any other picture.
QSize gifCanvas(QIODevice& device) {
    const QByteArray head = device.peek(10);
    if (head.size() < 10 || !(head.startsWith("GIF87a") || head.startsWith("GIF89a"))) return {};
    const auto word = [&](int at) {
        return static_cast<uchar>(head[at]) | static_cast<uchar>(head[at + 1]) << 8;
    };
    return QSize(word(6), word(8));
}

}  // namespace

QSize announcedPictureSize(QIODevice& device) {
    const qint64 at = device.pos();
    QSize size;
    {
        QImageReader reader(&device);
        size = reader.size();
    }
    device.seek(at);
    const QSize canvas = gifCanvas(device);
    if (canvas.isValid()) size = size.isValid() ? size.expandedTo(canvas) : canvas;
    return size;
}

QString pictureRefusal(const QString& name, const QSize& size) {
    if (!size.isValid() ||
        static_cast<std::int64_t>(size.width()) * size.height() <= kMostPicturePixels)
        return {};
    return QStringLiteral(
               "La imagen %1 es demasiado grande: %2 × %3 píxeles (se admiten hasta "
               "%4 millones)")
        .arg(name)
        .arg(size.width())
        .arg(size.height())
        .arg(kMostPicturePixels / 1000000);
}

QImage decodePicture(QIODevice& device, bool autoTransform) {
    if (!pictureRefusal(QString(), announcedPictureSize(device)).isEmpty()) return {};
    return decoded(device, autoTransform);
}

QImage readPicture(QIODevice& device, const QString& name, bool autoTransform) {
    const QString refusal = pictureRefusal(name, announcedPictureSize(device));
    if (!refusal.isEmpty()) throw vb::VbError(kInvalidPicture, refusal);
    return decoded(device, autoTransform);
}

QImage readPicture(const QString& path, bool autoTransform) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return readPicture(file, path, autoTransform);
}

QImage readPicture(const QMimeData& clipboard) {
    const QList<QByteArray> readable = QImageReader::supportedMimeTypes();
    for (const QString& format : clipboard.formats()) {
        if (!readable.contains(format.toLatin1())) continue;
        QByteArray bytes = clipboard.data(format);
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        const QImage image = readPicture(buffer, QStringLiteral("del portapapeles"));
        if (!image.isNull()) return image;
    }
    // A picture this program put there is held already decoded.
    QImageReader::setAllocationLimit(kAllocationLimitMb);
    if (clipboard.hasImage()) return qvariant_cast<QImage>(clipboard.imageData());
    return {};
}

}  // namespace reportengine
