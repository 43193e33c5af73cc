#include "platform/reportengine/pictures.h"

#include "platform/reportengine/errors.h"
#include "platform/reportengine/picturereader.h"

#include <QBuffer>
#include <QSet>

namespace reportengine {

namespace {

constexpr qsizetype kMostPictures = 256;
// Decoded images beyond this many bytes are let go first.
constexpr qsizetype kDecodedBytes = 256ll << 20;

}  // namespace

PictureCache::Known& PictureCache::entry(const QByteArray& bytes) {
    auto it = known_.find(bytes.constData());
    if (it != known_.end() && it->bytes.size() == bytes.size()) return *it;
    if (known_.size() >= kMostPictures) {
        known_.clear();
        decodedBytes_ = 0;
    }
    Known k;
    k.bytes = bytes;
    QBuffer buffer(&k.bytes);
    buffer.open(QIODevice::ReadOnly);
    const PictureMeasure measure = measurePicture(buffer);
    k.size = measure.size;
    k.inflatesBeyondSize = measure.inflatesBeyondSize;
    if (!k.size.isValid()) {
        // A format whose header does not tell its size is decoded to learn it.
        k.image = decodePicture(buffer);
        k.size = k.image.size();
        decodedBytes_ += k.image.sizeInBytes();
    }
    return *known_.insert(bytes.constData(), k);
}

QSize PictureCache::size(const QByteArray& bytes) {
    if (bytes.isEmpty()) return {};
    return entry(bytes).size;
}

QImage PictureCache::image(const QByteArray& bytes) {
    if (bytes.isEmpty()) return {};
    Known& k = entry(bytes);
    if (k.image.isNull()) {
        if (decodedBytes_ > kDecodedBytes) {
            for (Known& other : known_) other.image = QImage();
            decodedBytes_ = 0;
        }
        QBuffer buffer(&k.bytes);
        buffer.open(QIODevice::ReadOnly);
        k.image = decodePicture(buffer);
        decodedBytes_ += k.image.sizeInBytes();
    }
    return k.image;
}

void PictureCache::check(const FieldRef& field, qsizetype row, const QByteArray& bytes) {
    if (bytes.isEmpty()) return;
    const Known& k = entry(bytes);
    const QString refusal =
        pictureRefusal(QStringLiteral("%1 de la fila %2").arg(field.text()).arg(row + 1),
                       PictureMeasure{k.size, k.inflatesBeyondSize});
    if (!refusal.isEmpty()) fail(err::Data, refusal);
}

void checkPictures(const ReportDocument& document) {
    PictureCache pictures;
    const auto check = [&pictures](const ReportForm& form, const ReportData& data) {
        for (const Band& band : form.bands) {
            for (const ReportObject& o : band.objects) {
                if (!o.isFieldPicture()) continue;
                const int column = data.columnOf(o.field);
                if (column < 0) continue;
                QSet<int> seen;
                for (qsizetype row = 0; row < data.rows.size(); ++row) {
                    const int picture = data.rows.pictureAt(row, column);
                    if (picture < 0 || seen.contains(picture)) continue;
                    seen.insert(picture);
                    pictures.check(o.field, row, data.rows.picture(picture));
                }
            }
        }
    };
    check(document.form, document.data);
    for (const ReportObject* o : document.form.subreports()) {
        const SubreportData* sub = document.subreport(o->name);
        if (o->subreport && sub) check(*o->subreport, sub->data);
    }
}

}  // namespace reportengine
