#pragma once

#include <QImage>
#include <QSize>
#include <QString>

#include <cstdint>

class QIODevice;
class QMimeData;

// The one reader of pictures (the report's, the thumbnails', the viewer's, the message's):
// decoding costs time and memory by the pixel, whatever the file's size (a GIF of a few bytes
// may announce a canvas of 65535 × 65535, a PNG of one pixel may inflate to any size), so a
// picture is measured from its header and its compressed data, and refused beyond a sane size
// before it is decoded.
namespace reportengine {

// The most pixels a picture may have: the largest photo of a common camera (6000 × 4000).
constexpr std::int64_t kMostPicturePixels = 6000LL * 4000;

// VB's number for a picture that cannot be loaded.
constexpr long kInvalidPicture = 481;

// The size the picture of `device` announces, read from its header without decoding it: for a
// GIF, the canvas its frames are drawn on when that is larger than the frame. Empty when the
// header tells none. The device is left where it was.
QSize announcedPictureSize(QIODevice& device);

// Why a picture of `size` is refused, naming it as `name` (a file, or a column and its row);
// empty when it is within the limit.
QString pictureRefusal(const QString& name, const QSize& size);

// What a picture tells before it is decoded: the size its header announces, and whether its
// compressed data inflates beyond what that size takes (a PNG of one pixel whose data inflates
// to megabytes costs as a large picture does; an icon's PNGs are looked at too).
struct PictureMeasure {
    QSize size;
    bool inflatesBeyondSize = false;
};
// The data is inflated only as far as the announced size allows, and not at all when that size
// is refused. The device is left where it was.
PictureMeasure measurePicture(QIODevice& device);
// Why the picture measured is refused, naming it, as for its size alone; empty when admitted.
QString pictureRefusal(const QString& name, const PictureMeasure& measure);

// The picture decoded, null when it is none or larger than the limit (whatever its header
// said). Raises nothing.
QImage decodePicture(QIODevice& device, bool autoTransform = false);

// The picture decoded; null when it is none. Raises kInvalidPicture with pictureRefusal's text
// of its measure, before decoding, when it is too large.
QImage readPicture(QIODevice& device, const QString& name, bool autoTransform = false);
// The picture of a file, named by its path.
QImage readPicture(const QString& path, bool autoTransform = false);
// The picture a clipboard holds, null when none: read from the bytes of its first picture
// format, so that it is measured before it is decoded.
QImage readPicture(const QMimeData& clipboard);

}  // namespace reportengine
