#pragma once

#include "platform/reportengine/document.h"

#include <QByteArray>
#include <QImage>
#include <QSize>

// The pictures a report draws (PNG, JPEG, BMP or GIF bytes), each distinct picture read once:
// its size from its header, its image decoded when it is first drawn and kept while the report
// draws, so that a picture on every row or page is neither decoded nor embedded again. The
// layout refuses a picture larger than picturereader.h admits by the size read here, before
// anything decodes it.
namespace reportengine {

// The picture's size in pixels without decoding it, as announcedPictureSize reads it; empty
// when it is no picture.
QSize pictureSize(const QByteArray& bytes);
// The decoded picture; null when it is none or too large to decode.
QImage pictureImage(const QByteArray& bytes);
// Raises err::Data, naming the column and the row (0-based here, counted from 1 in the text),
// when the cell's picture is larger than picturereader.h admits.
void checkPicture(const FieldRef& field, qsizetype row, const QByteArray& bytes);
// Checks so every distinct picture the document's picture fields show, its subreports' too.
void checkPictures(const ReportDocument& document);
// Lets go of what the pictures of the last report kept.
void forgetPictures();

}  // namespace reportengine
