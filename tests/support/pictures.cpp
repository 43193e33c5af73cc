#include "tests/support/pictures.h"

#include <QBuffer>
#include <QImage>

namespace zxtest {

namespace {

void littleEndian(QByteArray& out, quint32 value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.append(static_cast<char>((value >> (8 * i)) & 0xff));
}

}  // namespace

QByteArray gifAnnouncing(const QSize& canvas, const QSize& frame) {
    QByteArray gif("GIF89a");
    littleEndian(gif, canvas.width(), 2);
    littleEndian(gif, canvas.height(), 2);
    gif.append("\x80\x00\x00", 3);                      // a global table of two colours
    gif.append("\x00\x00\x00\xff\xff\xff", 6);          // black, white
    gif.append("\x21\xf9\x04\x00\x00\x00\x00\x00", 8);  // graphic control
    gif.append(',');
    littleEndian(gif, 0, 4);  // the frame at the canvas's corner
    littleEndian(gif, frame.width(), 2);
    littleEndian(gif, frame.height(), 2);
    gif.append('\0');
    gif.append("\x02\x02\x4c\x01\x00", 5);  // LZW data: a clear code and a pixel
    gif.append(';');
    return gif;
}

QByteArray pngOf(const QSize& size) {
    QImage image(size, QImage::Format_Mono);
    image.fill(0);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QByteArray iconHolding(const QSize& size) {
    const QByteArray png = pngOf(size);
    QByteArray icon;
    littleEndian(icon, 0, 2);
    littleEndian(icon, 1, 2);            // an icon
    littleEndian(icon, 1, 2);            // of one image
    icon.append("\x10\x10\x00\x00", 4);  // 16 × 16, no palette
    littleEndian(icon, 1, 2);            // planes
    littleEndian(icon, 32, 2);           // bits a pixel
    littleEndian(icon, png.size(), 4);
    littleEndian(icon, 22, 4);  // right after this entry
    return icon + png;
}

}  // namespace zxtest
