#pragma once

#include <QByteArray>
#include <QSize>

// Pictures built in code for the tests of whatever reads pictures.
namespace zxtest {

// A two-colour GIF whose logical screen is `canvas` and whose one frame is `frame`, in 43
// bytes: decoding it costs by the canvas, whatever its few bytes of data.
QByteArray gifAnnouncing(const QSize& canvas, const QSize& frame);
// A one-bit PNG of `size`, a few kilobytes whatever its size.
QByteArray pngOf(const QSize& size);
// An icon whose directory tells 16 × 16 and that holds a PNG of `size`.
QByteArray iconHolding(const QSize& size);

}  // namespace zxtest
