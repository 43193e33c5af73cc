#include "transfer/rt_imgthumbs.h"

#include "platform/vb/app.h"
#include "platform/vb/steps.h"
#include "tests/support/fixtures.h"
#include "tests/support/pictures.h"
#include "tests/support/scripted_operator.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using Rt_ImgThumbs::GeneraThumbnail;

void writeImage(const QString& path, int width, int height, QColor color = Qt::darkCyan) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    ASSERT_TRUE(image.save(path)) << path.toStdString();
}

class GeneraThumbnailTest : public ::testing::Test {
protected:
    QString thumb(const QString& name) const {
        return program_.file("IMAGENES/thumbs5/" + name + ".bmp");
    }

    zxtest::ProgramFolder program_;
    zxtest::ScriptedOperator operator_;
    QTemporaryDir elsewhere_;
};

TEST_F(GeneraThumbnailTest, CopiesThePictureAndSavesItsReducedBitmap) {
    const QString origen = elsewhere_.filePath("foto.jpg");
    writeImage(origen, 1600, 1200);
    QString destino;
    ASSERT_TRUE(GeneraThumbnail("IMAGENES\\", origen, " 20216957 ", 0, destino, 1100, 950));
    EXPECT_EQ(destino, QString("IMAGENES/20216957.jpg"));
    EXPECT_EQ(zxtest::readFile(program_.file(destino)), zxtest::readFile(origen));
    // The thumbnail keeps the name as given.
    const QImage t(thumb(" 20216957 "));
    ASSERT_FALSE(t.isNull());
    EXPECT_EQ(t.size(), QSize(1100, 825));
    // Averaging a plain picture leaves its colour.
    const QColor source = QImage(origen).pixelColor(800, 600);
    const QColor reduced = t.pixelColor(550, 400);
    EXPECT_NEAR(reduced.red(), source.red(), 2);
    EXPECT_NEAR(reduced.green(), source.green(), 2);
    EXPECT_NEAR(reduced.blue(), source.blue(), 2);
    EXPECT_EQ(QImageReader(thumb(" 20216957 ")).format(), QByteArray("bmp"));
}

TEST_F(GeneraThumbnailTest, AnIndexGoesIntoTheCopysNameOnly) {
    const QString origen = elsewhere_.filePath("foto.png");
    writeImage(origen, 40, 30);
    QString destino;
    ASSERT_TRUE(GeneraThumbnail("IMAGENES\\", origen, "pic", 3, destino, 1100, 950));
    EXPECT_EQ(destino, QString("IMAGENES/pic_3.png"));
    EXPECT_TRUE(QFile::exists(program_.file("IMAGENES/pic_3.png")));
    // Smaller than the box: saved at its own size.
    EXPECT_EQ(QImage(thumb("pic")).size(), QSize(40, 30));
}

TEST_F(GeneraThumbnailTest, APictureAlreadyInPlaceIsNotCopiedOntoItself) {
    QDir(program_.path()).mkpath("IMAGENES");
    const QString enSuLugar = program_.file("IMAGENES/x.bmp");
    writeImage(enSuLugar, 64, 48);
    const QByteArray before = zxtest::readFile(enSuLugar);
    QString destino;
    ASSERT_TRUE(GeneraThumbnail("IMAGENES\\", enSuLugar, "x", 0, destino, 1100, 950));
    EXPECT_EQ(zxtest::readFile(enSuLugar), before);
    EXPECT_EQ(QImage(thumb("x")).size(), QSize(64, 48));
}

TEST_F(GeneraThumbnailTest, MissingFoldersAreMadeBeforeTheCopy) {
    const QString origen = elsewhere_.filePath("a.jpeg");
    writeImage(origen, 10, 10);
    ASSERT_FALSE(QFileInfo::exists(program_.file("IMAGENES")));
    QString destino;
    ASSERT_TRUE(GeneraThumbnail("IMAGENES\\", origen, "a", 0, destino, 1100, 950));
    EXPECT_TRUE(QFileInfo(program_.file("IMAGENES/thumbs5")).isDir());
}

TEST_F(GeneraThumbnailTest, AFailedCopyIsToldAndNothingMore) {
    operator_.answer(vb::vbOK);
    QString destino;
    const QString origen = elsewhere_.filePath("no-hay.jpg");
    EXPECT_FALSE(GeneraThumbnail("IMAGENES\\", origen, "n", 0, destino, 1100, 950));
    ASSERT_EQ(operator_.messages().size(), 1);
    const auto box = operator_.messages().first();
    EXPECT_EQ(box.text, "No se pudo cargar la imagen " + origen + "\r\nen IMAGENES/n.jpg");
    EXPECT_EQ(box.style, int(vb::vbOKOnly));
    EXPECT_EQ(box.title, QString());
    EXPECT_FALSE(QFile::exists(thumb("n")));
}

TEST_F(GeneraThumbnailTest, AFileThatIsNoPictureGetsNoThumbnailAndStillSucceeds) {
    const QString origen = elsewhere_.filePath("texto.jpg");
    QFile f(origen);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("no es una imagen");
    f.close();
    QString destino;
    EXPECT_TRUE(GeneraThumbnail("IMAGENES\\", origen, "t", 0, destino, 1100, 950));
    EXPECT_FALSE(QFile::exists(thumb("t")));
}

// A picture too large to decode is refused by its header, named, and gets no thumbnail; the
// copy stays, as for a file that is no picture.
TEST_F(GeneraThumbnailTest, APictureTooLargeIsToldAndGetsNoThumbnail) {
    const QString origen = elsewhere_.filePath("enorme.gif");
    ASSERT_TRUE(zxtest::writeFile(origen, zxtest::gifAnnouncing({65535, 480}, {1, 1})));
    operator_.answer(vb::vbOK);
    QString destino;
    EXPECT_TRUE(GeneraThumbnail("IMAGENES\\", origen, "g", 0, destino, 1100, 950));
    ASSERT_EQ(operator_.messages().size(), 1);
    EXPECT_EQ(operator_.messages()[0].text,
              "La imagen " + origen +
                  " es demasiado grande: 65535 × 480 píxeles (se admiten hasta 24 millones)");
    EXPECT_TRUE(QFile::exists(program_.file("IMAGENES/g.gif")));
    EXPECT_FALSE(QFile::exists(thumb("g")));
}

// A thumbnail that does not fit on the disk is not made at all: the caller, which looks for
// the file, never finds an empty or cut one.
TEST_F(GeneraThumbnailTest, AThumbnailOnAFullDiskIsNotLeftBehindCut) {
    const auto run = zxtest::onSmallDisk([&](const QString& folder) {
        vb::App().Path = folder;
        QDir(folder).mkpath("IMAGENES/thumbs5");
        const QString enSuLugar = QDir(folder).filePath("IMAGENES/x.png");
        QImage picture(8, 8, QImage::Format_RGB32);
        picture.fill(Qt::darkCyan);
        picture.save(enSuLugar);
        if (!zxtest::fillDisk(folder)) return false;
        QString destino;
        return GeneraThumbnail("IMAGENES\\", enSuLugar, "x", 0, destino, 1100, 950);
    });
    ASSERT_TRUE(run.has_value());
    EXPECT_TRUE(run->answer);
    EXPECT_EQ(run->files.keys(), (QStringList{"IMAGENES/x.png", "relleno"}));
}

TEST(AjustarProporcionTest, FitsIntoTheBoxWithoutEverEnlarging) {
    struct Case {
        float ancho, alto, fitAncho, fitAlto;
        QSize entero;
    } cases[] = {
        {1600, 1200, 1100, 825, {1100, 825}},
        {3000, 4000, 712.5f, 950, {712, 950}},  // ties go to the even number
        {800, 1200, 633.3333f, 950, {633, 950}},
        {1200, 1200, 950, 950, {950, 950}},  // two passes: 1100 by 1100, then 950 by 950
        {1100, 951, 1098.8433f, 950, {1099, 950}},
        {500, 400, 500, 400, {500, 400}},
        {1100, 950, 1100, 950, {1100, 950}},  // a side equal to its bound fits
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.ancho << " x " << c.alto);
        float a = 0, b = 0;
        Rt_ImgThumbs::AjustarProporcion(c.ancho, c.alto, 1100, 950, a, b);
        EXPECT_NEAR(a, c.fitAncho, 0.001);
        EXPECT_NEAR(b, c.fitAlto, 0.001);
        EXPECT_EQ(Rt_ImgThumbs::TamanoAjustado(c.ancho, c.alto, 1100, 950), c.entero);
    }
}

TEST(RutaCompletaImagenTest, RelativePathsAreTakenFromTheProgramFolder) {
    zxtest::ProgramFolder program;
    const QString base = program.path() + "/";
    struct Case {
        QString ruta, completa;
    } cases[] = {
        {"ab", ""},
        {"logo.jpg", base + "logo.jpg"},
        {"IMAGENES\\thumbs5\\a.bmp", base + "IMAGENES/thumbs5/a.bmp"},
        {"C:\\fotos\\a.jpg", "C:\\fotos\\a.jpg"},
        {"\\\\servidor\\fotos\\a.jpg", "\\\\servidor\\fotos\\a.jpg"},
        {"/var/fotos/a.jpg", "/var/fotos/a.jpg"},
        {"IMAGENES", base + "IMAGENES/"},
        {".oculto", base + ".oculto/"},
        {"/var/fotos", "/var/fotos/"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ruta.toStdString());
        EXPECT_EQ(Rt_ImgThumbs::RutaCompletaImagen(c.ruta), c.completa);
    }
}

}  // namespace
