#include "platform/reportengine/pictures.h"

#include <QBuffer>
#include <QHash>
#include <QImageReader>

namespace reportengine {

namespace {

// Kept by the address of the bytes, which the entry holds so that the address stays theirs:
// the rows of a report share one copy of each distinct picture.
struct Known {
    QByteArray bytes;
    QSize size;
    QImage image;
};

constexpr qsizetype kMostPictures = 256;
// Decoded images beyond this many bytes are let go first.
constexpr qsizetype kDecodedBytes = 256ll << 20;

QHash<const char*, Known>& known() {
    static QHash<const char*, Known> pictures;
    return pictures;
}

qsizetype& decodedBytes() {
    static qsizetype bytes = 0;
    return bytes;
}

Known& entry(const QByteArray& bytes) {
    auto& all = known();
    auto it = all.find(bytes.constData());
    if (it != all.end() && it->bytes.size() == bytes.size()) return *it;
    if (all.size() >= kMostPictures) forgetPictures();
    Known k;
    k.bytes = bytes;
    QBuffer buffer(&k.bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    k.size = reader.size();
    if (!k.size.isValid()) {
        // A format whose header does not tell its size is decoded to learn it.
        k.image.loadFromData(k.bytes);
        k.size = k.image.size();
        decodedBytes() += k.image.sizeInBytes();
    }
    return *all.insert(bytes.constData(), k);
}

}  // namespace

QSize pictureSize(const QByteArray& bytes) {
    if (bytes.isEmpty()) return {};
    return entry(bytes).size;
}

QImage pictureImage(const QByteArray& bytes) {
    if (bytes.isEmpty()) return {};
    Known& k = entry(bytes);
    if (k.image.isNull()) {
        if (decodedBytes() > kDecodedBytes) {
            for (Known& other : known()) other.image = QImage();
            decodedBytes() = 0;
        }
        k.image.loadFromData(k.bytes);
        decodedBytes() += k.image.sizeInBytes();
    }
    return k.image;
}

void forgetPictures() {
    known().clear();
    decodedBytes() = 0;
}

}  // namespace reportengine
