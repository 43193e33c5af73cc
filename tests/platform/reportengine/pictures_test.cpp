#include "platform/reportengine/errors.h"
#include "platform/reportengine/picturereader.h"
#include "platform/reportengine/pictures.h"
#include "platform/reportengine/reportform.h"
#include "tests/support/fixtures.h"
#include "tests/support/pictures.h"

#include <QBuffer>
#include <QFile>
#include <QMimeData>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <zlib.h>

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

void bigEndian(QByteArray& out, quint32 value) {
    for (int i = 3; i >= 0; --i) out.append(static_cast<char>((value >> (8 * i)) & 0xff));
}

void chunk(QByteArray& png, const char* type, const QByteArray& data) {
    bigEndian(png, static_cast<quint32>(data.size()));
    const QByteArray body = QByteArray(type, 4) + data;
    png += body;
    bigEndian(png, static_cast<quint32>(
                       crc32(0, reinterpret_cast<const Bytef*>(body.constData()), body.size())));
}

// The bytes an 8-bit grey PNG of `size` inflates to: each row (of each pass of the seven of an
// interlaced one) a filter byte and a byte a pixel.
qint64 greyDataSize(const QSize& size, bool interlaced) {
    if (!interlaced) return qint64(size.height()) * (1 + size.width());
    struct Pass {
        int x0, dx, y0, dy;
    } passes[] = {{0, 8, 0, 8}, {4, 8, 0, 8}, {0, 4, 4, 8}, {2, 4, 0, 4},
                  {0, 2, 2, 4}, {1, 2, 0, 2}, {0, 1, 1, 2}};
    qint64 total = 0;
    for (const Pass& p : passes) {
        const qint64 w = (size.width() - p.x0 + p.dx - 1) / p.dx;
        const qint64 h = (size.height() - p.y0 + p.dy - 1) / p.dy;
        if (w > 0 && h > 0) total += h * (1 + w);
    }
    return total;
}

// An 8-bit grey PNG whose header tells `size` and whose image data inflates to `inflated`
// zero bytes (a row of zeros is a row of black without filtering), split in IDAT chunks as an
// encoder writes them.
QByteArray greyPng(const QSize& size, qint64 inflated, bool interlaced = false) {
    z_stream z{};
    EXPECT_EQ(deflateInit2(&z, 9, Z_DEFLATED, 15, 9, Z_RLE), Z_OK);
    const QByteArray zeros(1 << 20, '\0');
    QByteArray compressed;
    char out[1 << 16];
    qint64 left = inflated;
    int flush = Z_NO_FLUSH;
    do {
        const qint64 n = std::min<qint64>(left, zeros.size());
        left -= n;
        flush = left == 0 ? Z_FINISH : Z_NO_FLUSH;
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(zeros.constData()));
        z.avail_in = static_cast<uInt>(n);
        do {
            z.next_out = reinterpret_cast<Bytef*>(out);
            z.avail_out = sizeof out;
            deflate(&z, flush);
            compressed.append(out, static_cast<qsizetype>(sizeof out - z.avail_out));
        } while (z.avail_out == 0);
    } while (flush != Z_FINISH);
    deflateEnd(&z);

    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    QByteArray header;
    bigEndian(header, size.width());
    bigEndian(header, size.height());
    header.append("\x08\x00\x00\x00", 4);  // 8 bits, grey, deflate, adaptive filtering
    header.append(interlaced ? '\x01' : '\x00');
    chunk(png, "IHDR", header);
    for (qsizetype at = 0; at < compressed.size(); at += 8192)
        chunk(png, "IDAT", compressed.mid(at, 8192));
    chunk(png, "IEND", {});
    return png;
}

// A picture whose header tells a small size but whose compressed data inflates far beyond what
// that size decodes to costs as much as a large one: it is refused by name as a large one is,
// and never decoded; a picture whose data is what its size takes is read.
TEST(PictureReaderTest, APictureWhoseDataInflatesBeyondItsSizeIsRefusedNamingIt) {
    const struct {
        const char* name;
        QSize size;
        bool interlaced;
        qint64 inflated;  // 0: what the size takes
    } cases[] = {
        {"1 x 1, its data inflating to 200 MB", {1, 1}, false, 200'000'000},
        {"3000 x 2000, its data inflating to 200 MB", {3000, 2000}, false, 200'000'000},
        {"300 x 200 interlaced, its data inflating to 20 MB", {300, 200}, true, 20'000'000},
        {"1 x 1, its data what it takes", {1, 1}, false, 0},
        {"3000 x 2000, its data what it takes", {3000, 2000}, false, 0},
        {"300 x 200 interlaced, its data what it takes", {300, 200}, true, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const bool refused = c.inflated != 0;
        QByteArray png = greyPng(c.size, refused ? c.inflated : greyDataSize(c.size, c.interlaced),
                                 c.interlaced);
        const QString refusal = QStringLiteral(
                                    "La imagen C:/fotos/logo.png es demasiado grande: sus datos "
                                    "descomprimidos exceden lo que ocupan %1 × %2 píxeles")
                                    .arg(c.size.width())
                                    .arg(c.size.height());
        QBuffer buffer(&png);
        ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
        EXPECT_EQ(announcedPictureSize(buffer), c.size);
        QImage read;
        const auto e = zxtest::raised(
            [&] { read = readPicture(buffer, QStringLiteral("C:/fotos/logo.png")); });
        buffer.seek(0);
        const QImage decoded = decodePicture(buffer);
        if (refused) {
            ASSERT_TRUE(e.has_value());
            EXPECT_EQ(e->Number, kInvalidPicture);
            EXPECT_EQ(e->Description, refusal);
            EXPECT_TRUE(read.isNull());
            EXPECT_TRUE(decoded.isNull());
        } else {
            EXPECT_FALSE(e.has_value()) << e->Description.toStdString();
            EXPECT_EQ(read.size(), c.size);
            EXPECT_EQ(decoded.size(), c.size);
        }

        // A report's cell and a form's picture are refused naming them.
        PictureCache cache;
        const auto cell = zxtest::raised([&] {
            cache.check(FieldRef{"AUX_MV_CPTEQR", "LOGO"}, 2, png);
        });
        EXPECT_EQ(cell.has_value(), refused);
        if (refused && cell) {
            EXPECT_EQ(cell->Number, err::Data);
            EXPECT_EQ(cell->Description,
                      QString(refusal).replace("C:/fotos/logo.png",
                                               "{AUX_MV_CPTEQR.LOGO} de la fila 3"));
        }
        EXPECT_EQ(cache.image(png).isNull(), refused);
        const QString xml =
            "<report version=\"1\"><data table=\"T\"/><detail height=\"5\">\n"
            "<picture x=\"0\" y=\"0\" width=\"1\" height=\"1\">" +
            QString::fromLatin1(png.toBase64()) + "</picture></detail></report>";
        const auto form = zxtest::raised([&] { parseForm(xml.toUtf8()); });
        EXPECT_EQ(form.has_value(), refused);
        if (refused && form) {
            EXPECT_EQ(form->Number, err::FormInvalid);
            EXPECT_EQ(form->Description, QString(refusal).replace("C:/fotos/logo.png",
                                                                  "de la línea 2 del formulario"));
        }
    }
}

// An icon holding such a PNG is refused as the PNG is.
TEST(PictureReaderTest, AnIconHoldingAPngWhoseDataInflatesBeyondItsSizeIsRefused) {
    for (const qint64 inflated : {qint64(200'000'000), greyDataSize({16, 16}, false)}) {
        SCOPED_TRACE(inflated);
        const QByteArray png = greyPng({16, 16}, inflated);
        QByteArray icon("\x00\x00\x01\x00\x01\x00", 6);      // an icon of one image
        icon.append("\x10\x10\x00\x00\x01\x00\x20\x00", 8);  // 16 x 16, 32 bits a pixel
        for (const quint32 v : {quint32(png.size()), quint32(22)})
            for (int i = 0; i < 4; ++i) icon.append(static_cast<char>((v >> (8 * i)) & 0xff));
        icon += png;
        QTemporaryDir dir;
        const QString path = dir.filePath("icono.ico");
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_EQ(f.write(icon), icon.size());
        f.close();
        const auto e = zxtest::raised([&] { readPicture(path); });
        if (inflated == 200'000'000) {
            ASSERT_TRUE(e.has_value());
            EXPECT_EQ(e->Description,
                      QStringLiteral("La imagen %1 es demasiado grande: sus datos descomprimidos "
                                     "exceden lo que ocupan 16 × 16 píxeles")
                          .arg(path));
        } else {
            EXPECT_FALSE(e.has_value()) << e->Description.toStdString();
            EXPECT_EQ(readPicture(path).size(), QSize(16, 16));
        }
    }
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
