#pragma once

#include <QByteArray>
#include <QString>

namespace zxtest {

// The text of the one QR code in an image (PNG or BMP bytes), read back with ZXing;
// "<no image>" or "<unreadable>" when there is none to read.
QString readQrCode(const QByteArray& image);

}  // namespace zxtest
