#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

// The pictures a report draws (PNG, JPEG or BMP bytes), each distinct picture read once: its
// size from its header, its image decoded when it is first drawn and kept while the report
// draws, so that a picture on every row or page is neither decoded nor embedded again.
namespace reportengine {

// The picture's size in pixels without decoding it; empty when it is no picture.
QSize pictureSize(const QByteArray& bytes);
// The decoded picture; null when it is none.
QImage pictureImage(const QByteArray& bytes);
// Lets go of what the pictures of the last report kept.
void forgetPictures();

}  // namespace reportengine
