#pragma once

#include "platform/reportengine/document.h"

#include <QByteArray>
#include <QHash>
#include <QImage>
#include <QSize>

namespace reportengine {

// The pictures one report draws (PNG, JPEG, BMP or GIF bytes), each distinct picture read once:
// its size from its header, its image decoded when it is first drawn and kept while the report
// draws, so that a picture on every row or page is neither decoded nor embedded again. The
// layout refuses a picture larger than picturereader.h admits by the size read here, before
// anything decodes it. The report's rows share one copy of each distinct picture, which is
// known by the address of its bytes.
class PictureCache {
public:
    // The picture's size in pixels without decoding it, as announcedPictureSize reads it;
    // empty when it is no picture.
    QSize size(const QByteArray& bytes);
    // The decoded picture; null when it is none or too large to decode.
    QImage image(const QByteArray& bytes);
    // Raises err::Data, naming the column and the row (0-based here, counted from 1 in the
    // text), when the cell's picture is larger than picturereader.h admits.
    void check(const FieldRef& field, qsizetype row, const QByteArray& bytes);

private:
    struct Known {
        QByteArray bytes;  // held, so that the address stays theirs
        QSize size;
        bool inflatesBeyondSize = false;  // see PictureMeasure
        QImage image;
    };
    Known& entry(const QByteArray& bytes);

    QHash<const char*, Known> known_;
    qsizetype decodedBytes_ = 0;
};

// Checks every distinct picture the document's picture fields show, its subreports' too, as
// PictureCache::check does.
void checkPictures(const ReportDocument& document);

}  // namespace reportengine
