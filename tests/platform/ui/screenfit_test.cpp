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
        EXPECT_EQ(window.size(), c.wanted.boundedTo(room(window)));

        // Made larger than the screen by the program while it shows.
        window.resize(area.size() * 2);
        ASSERT_TRUE(zxtest::settled(window));
        EXPECT_TRUE(zxtest::fitsItsScreen(window));
        EXPECT_EQ(window.size(), room(window));
    }
}

}  // namespace
