#include "platform/reportengine/pictures.h"

#include "platform/reportengine/errors.h"
#include "platform/reportengine/picturereader.h"

#include <QBuffer>
#include <QHash>
#include <QSet>

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
    k.size = announcedPictureSize(buffer);
    if (!k.size.isValid()) {
        // A format whose header does not tell its size is decoded to learn it.
        k.image = decodePicture(buffer);
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
        QBuffer buffer(&k.bytes);
        buffer.open(QIODevice::ReadOnly);
        k.image = decodePicture(buffer);
        decodedBytes() += k.image.sizeInBytes();
    }
    return k.image;
}

void checkPicture(const FieldRef& field, qsizetype row, const QByteArray& bytes) {
    const QString refusal = pictureRefusal(
        QStringLiteral("%1 de la fila %2").arg(field.text()).arg(row + 1), pictureSize(bytes));
    if (!refusal.isEmpty()) fail(err::Data, refusal);
}

void checkPictures(const ReportDocument& document) {
    const auto check = [](const ReportForm& form, const ReportData& data) {
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
                    checkPicture(o.field, row, data.rows.picture(picture));
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

void forgetPictures() {
    known().clear();
    decodedBytes() = 0;
}

}  // namespace reportengine
