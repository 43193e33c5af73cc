#include "platform/reportengine/picturereader.h"

#include "platform/vb/vberror.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QMimeData>

#include <zlib.h>

#include <algorithm>
#include <optional>

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

// A picture's header says how many bytes its compressed data must inflate to; a PNG's data may
// hold far more (its decoder inflates it all), which costs as a picture of that many bytes.
// Beyond this many bytes over what the header's size takes, a picture is refused.
constexpr std::uint64_t kInflationSlack = 64 * 1024;

constexpr char kPngSignature[] = "\x89PNG\r\n\x1a\n";

std::uint32_t bigEndian32(const QByteArray& b, qsizetype at) {
    return static_cast<std::uint32_t>(static_cast<uchar>(b[at])) << 24 |
           static_cast<std::uint32_t>(static_cast<uchar>(b[at + 1])) << 16 |
           static_cast<std::uint32_t>(static_cast<uchar>(b[at + 2])) << 8 |
           static_cast<std::uint32_t>(static_cast<uchar>(b[at + 3]));
}

std::uint32_t littleEndian32(const QByteArray& b, qsizetype at) {
    return static_cast<std::uint32_t>(static_cast<uchar>(b[at])) |
           static_cast<std::uint32_t>(static_cast<uchar>(b[at + 1])) << 8 |
           static_cast<std::uint32_t>(static_cast<uchar>(b[at + 2])) << 16 |
           static_cast<std::uint32_t>(static_cast<uchar>(b[at + 3])) << 24;
}

// The bytes the image data of a PNG of this header inflates to: for each row (of each of the
// seven passes of an interlaced one) a filter byte and the row's pixels. Nothing for a header
// that is none or whose size is beyond the limit (refused by its size already).
std::optional<std::uint64_t> pngDataSize(const QByteArray& ihdr) {
    if (ihdr.size() < 13) return std::nullopt;
    const std::uint64_t width = bigEndian32(ihdr, 0), height = bigEndian32(ihdr, 4);
    if (width == 0 || height == 0 ||
        width * height > static_cast<std::uint64_t>(kMostPicturePixels))
        return std::nullopt;
    const int depth = static_cast<uchar>(ihdr[8]);
    int channels = 0;
    switch (static_cast<uchar>(ihdr[9])) {
        case 0:
            channels = 1;
            break;  // grey
        case 2:
            channels = 3;
            break;  // red, green, blue
        case 3:
            channels = 1;
            break;  // palette
        case 4:
            channels = 2;
            break;  // grey and alpha
        case 6:
            channels = 4;
            break;  // red, green, blue and alpha
        default:
            return std::nullopt;
    }
    const std::uint64_t bits = static_cast<std::uint64_t>(depth) * channels;
    const auto rows = [&](std::uint64_t w, std::uint64_t h) {
        return h * (1 + (w * bits + 7) / 8);
    };
    if (ihdr[12] == 0) return rows(width, height);
    // Adam7: where each pass starts and how far apart its pixels are, across and down.
    static const int passes[7][4] = {{0, 8, 0, 8}, {4, 8, 0, 8}, {0, 4, 4, 8}, {2, 4, 0, 4},
                                     {0, 2, 2, 4}, {1, 2, 0, 2}, {0, 1, 1, 2}};
    std::uint64_t total = 0;
    for (const auto& p : passes) {
        if (width <= static_cast<std::uint64_t>(p[0]) ||
            height <= static_cast<std::uint64_t>(p[2]))
            continue;
        total += rows((width - p[0] + p[1] - 1) / p[1], (height - p[2] + p[3] - 1) / p[3]);
    }
    return total;
}

// Whether the PNG at `at` of `bytes` holds image data that inflates beyond its header's size
// (by more than the slack). Its data is inflated only that far, so a bomb costs no more than a
// picture of the size it announces.
bool pngInflatesBeyond(const QByteArray& bytes, qsizetype at) {
    if (bytes.mid(at, 8) != QByteArray(kPngSignature, 8)) return false;
    qsizetype pos = at + 8;
    std::optional<std::uint64_t> allowed;
    z_stream z{};
    if (inflateInit(&z) != Z_OK) return false;
    std::uint64_t inflated = 0;
    bool beyond = false, ended = false;
    char scratch[1 << 16];
    while (!beyond && !ended && pos + 8 <= bytes.size()) {
        const std::uint64_t length = bigEndian32(bytes, pos);
        const QByteArray type = bytes.mid(pos + 4, 4);
        const qsizetype data = pos + 8;
        const qsizetype size =
            static_cast<qsizetype>(std::min<std::uint64_t>(length, bytes.size() - data));
        if (type == "IHDR") {
            allowed = pngDataSize(bytes.mid(data, size));
            if (!allowed) break;
        } else if (type == "IDAT" && allowed) {
            z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.constData() + data));
            z.avail_in = static_cast<uInt>(size);
            while (z.avail_in > 0 && !beyond && !ended) {
                z.next_out = reinterpret_cast<Bytef*>(scratch);
                z.avail_out = sizeof scratch;
                const int r = inflate(&z, Z_NO_FLUSH);
                inflated += sizeof scratch - z.avail_out;
                beyond = inflated > *allowed + kInflationSlack;
                // The end of the data, or data the decoder will refuse on its own.
                if (r != Z_OK) ended = true;
            }
        } else if (type == "IEND") {
            break;
        }
        pos = data + size + 4;
    }
    inflateEnd(&z);
    return beyond;
}

// The same for a picture that holds PNGs: an icon's images may each be one.
bool inflatesBeyond(QIODevice& device) {
    const QByteArray head = device.peek(8);
    const bool png = head == QByteArray(kPngSignature, 8);
    const bool icon = head.size() >= 6 && head.startsWith(QByteArray("\0\0", 2)) &&
                      (head[2] == 1 || head[2] == 2) && head[3] == 0;
    if (!png && !icon) return false;
    const qint64 at = device.pos();
    const QByteArray bytes = device.readAll();
    device.seek(at);
    if (png) return pngInflatesBeyond(bytes, 0);
    const int images = static_cast<uchar>(bytes[4]) | static_cast<uchar>(bytes[5]) << 8;
    for (int i = 0; i < images && 6 + 16 * (i + 1) <= bytes.size(); ++i) {
        const std::uint32_t offset = littleEndian32(bytes, 6 + 16 * i + 12);
        if (offset < static_cast<std::uint64_t>(bytes.size()) && pngInflatesBeyond(bytes, offset))
            return true;
    }
    return false;
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

PictureMeasure measurePicture(QIODevice& device) {
    PictureMeasure measure;
    measure.size = announcedPictureSize(device);
    // One refused by its size is not inflated at all.
    if (pictureRefusal(QString(), measure.size).isEmpty())
        measure.inflatesBeyondSize = inflatesBeyond(device);
    return measure;
}

QString pictureRefusal(const QString& name, const PictureMeasure& measure) {
    const QString bySize = pictureRefusal(name, measure.size);
    if (!bySize.isEmpty() || !measure.inflatesBeyondSize) return bySize;
    return QStringLiteral(
               "La imagen %1 es demasiado grande: sus datos descomprimidos exceden lo que "
               "ocupan %2 × %3 píxeles")
        .arg(name)
        .arg(measure.size.width())
        .arg(measure.size.height());
}

QImage decodePicture(QIODevice& device, bool autoTransform) {
    if (!pictureRefusal(QString(), measurePicture(device)).isEmpty()) return {};
    return decoded(device, autoTransform);
}

QImage readPicture(QIODevice& device, const QString& name, bool autoTransform) {
    const QString refusal = pictureRefusal(name, measurePicture(device));
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
