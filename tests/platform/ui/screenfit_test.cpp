#include "platform/ui/screenfit.h"
#include "tests/support/screen_fit.h"

#include <QApplication>
#include <QDialog>
#include <QScreen>

#include <gtest/gtest.h>

namespace {

// The room a window has on its screen once its frame is counted.
QSize room(const QWidget& window) {
    const QRect outer = zxtest::outerGeometry(window);
    const QSize frame = outer.size() - window.size();
    return window.screen()->availableGeometry().size() - frame;
}

// Windows kept within the screen, each screen in a process of its own, offscreen and under a
// window manager: the first window of the process is framed only once it shows, and the room
// its frame was guessed to take is given back then.
TEST(ScreenFitTest, AWindowAndItsFrameStayWithinTheScreensFreeArea) {
    if (zxtest::ranOnSmallScreens()) return;
    const QRect area = QApplication::primaryScreen()->availableGeometry();
    struct Case {
        const char* name;
        QSize wanted;
        QPoint at;
    };
    // The report preview's size, a window wider and taller than any of the screens, one off
    // the screen's far corner, and one that fits as it is.
    const Case cases[] = {
        {"preview", {1000, 760}, {0, 0}},
        {"larger than the screen", area.size() + QSize(400, 300), {0, 0}},
        {"off the far corner", {300, 200}, area.bottomRight() - QPoint(100, 50)},
        {"small", {300, 200}, {40, 30}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QDialog window;
        window.setObjectName(QString::fromLatin1(c.name));
        ui::keepWithinScreen(window);
        window.resize(c.wanted);
        window.move(c.at);
        window.show();
        ASSERT_TRUE(zxtest::settled(window));
        EXPECT_TRUE(zxtest::fitsItsScreen(window));
        // As large as it asked for where the screen has room for it, frame and all.
        EXPECT_TRUE(zxtest::becomes([&] {
            return window.size() == c.wanted.boundedTo(room(window));
        })) << window.width()
            << "x" << window.height() << " in a room of " << room(window).width() << "x"
            << room(window).height();

        // Made larger than the screen by the program while it shows.
        window.resize(area.size() * 2);
        ASSERT_TRUE(zxtest::settled(window));
        EXPECT_TRUE(zxtest::fitsItsScreen(window));
        EXPECT_TRUE(zxtest::becomes([&] { return window.size() == room(window); }))
            << window.width() << "x" << window.height() << " in a room of " << room(window).width()
            << "x" << room(window).height();
    }
}

// Where the keeper puts a window, without a display: a laptop's free area under a 30-pixel
// panel, and a frame of a 24-pixel title bar and 2-pixel borders.
TEST(ScreenFitTest, AWindowMovesAndShrinksOnlyAsFarAsItLeavesTheFreeArea) {
    const QRect area(0, 30, 1366, 738);  // 30..767
    const QMargins frame(2, 24, 2, 2);
    struct Case {
        const char* name;
        QRect wanted;
        QSize minimum;
        QRect fitted;
    };
    const Case cases[] = {
        {"within the area, where it is", {400, 200, 300, 200}, {0, 0}, {400, 200, 300, 200}},
        {"its frame touching every side", {2, 54, 1362, 712}, {0, 0}, {2, 54, 1362, 712}},
        {"its title bar under the panel, moved down",
         {100, 40, 300, 200},
         {0, 0},
         {100, 54, 300, 200}},
        {"off the right edge, moved left", {1200, 300, 300, 200}, {0, 0}, {1064, 300, 300, 200}},
        {"off the bottom, moved up", {100, 700, 300, 200}, {0, 0}, {100, 566, 300, 200}},
        {"left of the screen, moved right", {-50, 300, 300, 200}, {0, 0}, {2, 300, 300, 200}},
        {"wider than the area, as wide as it leaves",
         {100, 100, 2000, 300},
         {0, 0},
         {2, 100, 1362, 300}},
        {"taller than the area, as tall as it leaves",
         {100, 100, 300, 1000},
         {0, 0},
         {100, 54, 300, 712}},
        {"larger than the area, the whole of it",
         {-10, -10, 3000, 2000},
         {0, 0},
         {2, 54, 1362, 712}},
        {"larger, but no smaller than its minimum",
         {500, 500, 3000, 2000},
         {1500, 800},
         {2, 54, 1500, 800}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ui::fitWithin(area, frame, c.wanted, c.minimum), c.fitted);
    }
}

}  // namespace
