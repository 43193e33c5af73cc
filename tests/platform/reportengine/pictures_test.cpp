#include "platform/reportengine/picturereader.h"
#include "tests/support/fixtures.h"
#include "tests/support/pictures.h"

#include <QBuffer>
#include <QMimeData>

#include <gtest/gtest.h>

namespace {

using namespace reportengine;

struct PictureCase {
    const char* name;
    QByteArray bytes;
    QSize announced;  // as the header tells it, the canvas of a GIF included
    bool refused;
};

QList<PictureCase> pictureCases() {
    using zxtest::gifAnnouncing;
    return {
        {"a GIF of a 65535 x 480 frame",
         gifAnnouncing({65535, 480}, {65535, 480}),
         {65535, 480},
         true},
        {"a GIF of one pixel on a 65535 x 480 canvas",
         gifAnnouncing({65535, 480}, {1, 1}),
         {65535, 480},
         true},
        {"a GIF of one pixel on a 65535 x 65535 canvas",
         gifAnnouncing({65535, 65535}, {1, 1}),
         {65535, 65535},
         true},
        // Drawn on its canvas, a frame larger than it is cut to it.
        {"a GIF of a 65535 x 65535 frame on a one-pixel canvas",
         gifAnnouncing({1, 1}, {65535, 65535}),
         {1, 1},
         false},
        {"a PNG of 7000 x 4000", zxtest::pngOf({7000, 4000}), {7000, 4000}, true},
        {"a PNG of 6000 x 4000, the most admitted",
         zxtest::pngOf({6000, 4000}),
         {6000, 4000},
         false},
        {"a GIF of 120 x 80", gifAnnouncing({120, 80}, {120, 80}), {120, 80}, false},
    };
}

TEST(PictureReaderTest, APictureLargerThanAdmittedIsRefusedFromItsHeaderNamingIt) {
    EXPECT_EQ(zxtest::gifAnnouncing({65535, 480}, {1, 1}).size(), 43);
    for (PictureCase c : pictureCases()) {
        SCOPED_TRACE(c.name);
        QBuffer buffer(&c.bytes);
        ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
        EXPECT_EQ(announcedPictureSize(buffer), c.announced);
        EXPECT_EQ(buffer.pos(), 0);
        const QString refusal = QStringLiteral(
                                    "La imagen C:/fotos/logo.gif es demasiado grande: %1 × %2 "
                                    "píxeles (se admiten hasta 24 millones)")
                                    .arg(c.announced.width())
                                    .arg(c.announced.height());
        EXPECT_EQ(pictureRefusal(QStringLiteral("C:/fotos/logo.gif"), c.announced),
                  c.refused ? refusal : QString());
        QImage read;
        const auto e = zxtest::raised(
            [&] { read = readPicture(buffer, QStringLiteral("C:/fotos/logo.gif")); });
        buffer.seek(0);
        const QImage decoded = decodePicture(buffer);
        if (c.refused) {
            ASSERT_TRUE(e.has_value());
            EXPECT_EQ(e->Number, kInvalidPicture);
            EXPECT_EQ(e->Description, refusal);
            EXPECT_TRUE(decoded.isNull());
        } else {
            EXPECT_FALSE(e.has_value()) << e->Description.toStdString();
            EXPECT_EQ(read.size(), c.announced);
            EXPECT_EQ(decoded.size(), c.announced);
        }
    }
}

// An icon tells the size of its own directory entry, not that of the PNG it holds: decoding
// stops at what the largest picture admitted takes, and gives nothing.
TEST(PictureReaderTest, APictureWhoseHeaderTellsLessIsNotDecodedPastTheLimit) {
    QByteArray huge = zxtest::iconHolding({65535, 480});
    QBuffer buffer(&huge);
    ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
    EXPECT_EQ(announcedPictureSize(buffer), QSize(16, 16));
    EXPECT_TRUE(readPicture(buffer, QStringLiteral("icono.ico")).isNull());

    QByteArray small = zxtest::iconHolding({64, 32});
    QBuffer smallBuffer(&small);
    ASSERT_TRUE(smallBuffer.open(QIODevice::ReadOnly));
    EXPECT_EQ(readPicture(smallBuffer, QStringLiteral("icono.ico")).size(), QSize(64, 32));
}

// A picture on the clipboard is read from its bytes, so that it is measured before it is
// decoded; one this program put there is taken as it is.
TEST(PictureReaderTest, TheClipboardsPictureIsMeasuredBeforeItIsDecoded) {
    QMimeData enorme;
    enorme.setData(QStringLiteral("image/gif"), zxtest::gifAnnouncing({65535, 480}, {1, 1}));
    const auto e = zxtest::raised([&] { readPicture(enorme); });
    ASSERT_TRUE(e.has_value());
    EXPECT_EQ(e->Description,
              QStringLiteral("La imagen del portapapeles es demasiado grande: "
                             "65535 × 480 píxeles (se admiten hasta 24 millones)"));

    QMimeData png;
    png.setData(QStringLiteral("image/png"), zxtest::pngOf({300, 200}));
    EXPECT_EQ(readPicture(png).size(), QSize(300, 200));

    QMimeData propia;
    QImage imagen(40, 30, QImage::Format_RGB32);
    imagen.fill(Qt::blue);
    propia.setImageData(imagen);
    EXPECT_EQ(readPicture(propia), imagen);

    QMimeData texto;
    texto.setText(QStringLiteral("no es una imagen"));
    EXPECT_TRUE(readPicture(texto).isNull());
}

}  // namespace
