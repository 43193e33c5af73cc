#include "transfer/frmimgnew.h"

#include "platform/ui/qtoperator.h"
#include "platform/vb/steps.h"
#include "tests/support/child_test.h"
#include "tests/support/fixtures.h"
#include "tests/support/pictures.h"
#include "tests/support/screen_fit.h"
#include "tests/support/scripted_operator.h"
#include "transfer/rt_imgthumbs.h"

#include <QDir>
#include <QImage>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

void expectRect(const QRectF& actual, const QRectF& expected) {
    EXPECT_NEAR(actual.x(), expected.x(), 0.05);
    EXPECT_NEAR(actual.y(), expected.y(), 0.05);
    EXPECT_NEAR(actual.width(), expected.width(), 0.05);
    EXPECT_NEAR(actual.height(), expected.height(), 0.05);
}

class FrmImgNewTest : public ::testing::Test {
protected:
    void SetUp() override {
        QDir(program_.path()).mkdir("IMAGENES");
        QImage image(800, 600, QImage::Format_RGB32);
        image.fill(Qt::darkGreen);
        ASSERT_TRUE(image.save(program_.file("IMAGENES/foto.png")));
    }

    zxtest::ProgramFolder program_;
    zxtest::ScriptedOperator operator_;
};

// On a screen with room for the viewer made 1200 x 800 pixels, in a process of its own: the
// viewer is kept within its screen.
TEST_F(FrmImgNewTest, ThePictureIsFittedCentredAndFittedAgainOnResize) {
    if (!zxtest::inChildTest()) {
        const QTemporaryDir screen;
        QString output;
        EXPECT_TRUE(zxtest::runTestInChild(
            zxtest::offscreenScreen(screen.path(), QSize(1600, 1400), 1.0), &output))
            << output.toStdString();
        return;
    }
    FrmImgNew viewer;
    viewer.pImagen = "IMAGENES\\foto.png";
    viewer.resize(600, 400);
    viewer.show();
    EXPECT_EQ(viewer.windowTitle(), QString("IMAGENES\\foto.png"));
    ASSERT_FALSE(viewer.Image1->pixmap().isNull());
    // 12000 by 9000 twips into 9000 by 6000: two passes.
    expectRect(viewer.Picture1->pintado(), QRectF(500, 0, 8000, 6000));
    viewer.resize(1200, 800);
    // Never enlarged: its own size, centred.
    expectRect(viewer.Picture1->pintado(), QRectF(3000, 1500, 12000, 9000));
    viewer.close();
}

// Runs `check` on `viewer` once its load has ended: the load lets events in while it dresses the
// window, before the picture is there.
void onceLoaded(FrmImgNew& viewer, std::function<void()> check) {
    QTimer::singleShot(10, &viewer, [&viewer, check] {
        if (viewer.Image1->pixmap().isNull()) {
            onceLoaded(viewer, check);
            return;
        }
        check();
    });
}

// The viewer as the send dialog opens it, through the operator service, on small screens, each
// in a process of its own: within the screen's free area, the picture whole in what shows of
// the window, and Escape closes it.
TEST_F(FrmImgNewTest, TheViewerFitsSmallScreensWithThePictureWhole) {
    if (zxtest::ranOnSmallScreens()) return;
    FrmImgNew viewer;
    viewer.pImagen = "IMAGENES\\foto.png";
    bool seen = false;
    onceLoaded(viewer, [&] {
        EXPECT_TRUE(zxtest::fitsItsScreen(viewer));
        EXPECT_EQ(viewer.Picture1->geometry(), viewer.rect());
        // In twips, as it is painted.
        const QRectF box(QPointF(0, 0), QSizeF(viewer.Picture1->size()) * 15);
        const QRectF painted = viewer.Picture1->pintado();
        EXPECT_FALSE(painted.isEmpty());
        EXPECT_TRUE(box.adjusted(-0.05, -0.05, 0.05, 0.05).contains(painted))
            << painted.width() << " x " << painted.height() << " twips in " << box.width() << " x "
            << box.height();
        seen = true;
        QTest::keyClick(&viewer, Qt::Key_Escape);
    });
    ui::QtOperator qt;
    qt.showModal(viewer);
    EXPECT_TRUE(seen);
    EXPECT_FALSE(viewer.isVisible());
}

TEST_F(FrmImgNewTest, APictureThatCannotBeLoadedIsReportedAndIgnoreOpensAnEmptyWindow) {
    struct Case {
        const char* name;
        QString imagen;
        QString texto;
    } cases[] = {
        {"missing file", "IMAGENES\\no-hay.png", "Error 53\r\nFile not found"},
        {"empty path", "", "Error 53\r\nFile not found"},
        {"not a picture", "IMAGENES\\texto.png", "Error 481\r\nInvalid picture"},
        // Refused by its header, before it is decoded.
        {"too large", "IMAGENES\\enorme.gif",
         "Error 481\r\nLa imagen " + program_.file("IMAGENES/enorme.gif") +
             " es demasiado grande: 65535 × 480 píxeles (se admiten hasta 24 millones)"},
    };
    ASSERT_TRUE(zxtest::writeFile(program_.file("IMAGENES/texto.png"), "no es una imagen"));
    ASSERT_TRUE(zxtest::writeFile(program_.file("IMAGENES/enorme.gif"),
                                  zxtest::gifAnnouncing({65535, 480}, {65535, 480})));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        zxtest::ScriptedOperator op;
        op.answer(vb::vbIgnore);
        FrmImgNew viewer;
        viewer.pImagen = c.imagen;
        viewer.show();
        ASSERT_EQ(op.messages().size(), 1);
        EXPECT_EQ(op.messages()[0].text, c.texto);
        EXPECT_EQ(op.messages()[0].style, int(vb::vbAbortRetryIgnore + vb::vbCritical));
        EXPECT_TRUE(viewer.Image1->pixmap().isNull());
        EXPECT_TRUE(viewer.Picture1->pintado().isEmpty());
        viewer.close();
    }
}

TEST(RectanguloCentradoTest, FittedAndCentredInTheBox) {
    expectRect(Rt_ImgThumbs::RectanguloCentrado({12000, 9000}, {9000, 6000}),
               QRectF(500, 0, 8000, 6000));
    expectRect(Rt_ImgThumbs::RectanguloCentrado({3000, 2000}, {9000, 6000}),
               QRectF(3000, 2000, 3000, 2000));
}

}  // namespace
