#pragma once

#include <QRect>
#include <QSize>
#include <QString>

#include <gtest/gtest.h>

#include <functional>
#include <span>

class QWidget;

namespace zxtest {

// A screen an operator may have: its device pixels and the scale they are shown at.
struct SmallScreen {
    QSize pixels;
    double scale;
};

// A 1366 x 768 laptop at 100%, its 200% counterpart (2732 x 1536 pixels), and, too small for
// most windows, a 1366 x 768 screen at 200%, an 800 x 600 one, and that one at 200% (400 x 300).
inline constexpr SmallScreen kSmallScreens[] = {{{1366, 768}, 1.0},
                                                {{2732, 1536}, 2.0},
                                                {{1366, 768}, 2.0},
                                                {{800, 600}, 1.0},
                                                {{800, 600}, 2.0}};

// The screens tried under a window manager, whose frame a window gets only once it is shown:
// 1366 x 768 at 100% and at 200%, and 800 x 600.
inline constexpr SmallScreen kManagedScreens[] = {
    {{1366, 768}, 1.0}, {{1366, 768}, 2.0}, {{800, 600}, 1.0}};

// Runs the current test again in a child process on each of `screens` offscreen, a failed
// child failing this test, and gives true; in such a child it gives false, and the test goes
// on to its checks there.
bool ranOnScreens(std::span<const SmallScreen> screens);
// The same on each of `screens` on an X server of its own with a window manager.
bool ranUnderWindowManager(std::span<const SmallScreen> screens);
// The same on each of kSmallScreens offscreen and on each of kManagedScreens on an X server
// with a window manager.
bool ranOnSmallScreens();

// Whether the test runs on an X server, where a window manager frames its windows.
bool underWindowManager();

// Waits until `window` is on the screen, framed by the window manager, and where the window
// system has it (at once where there is no window manager); false when it never gets there.
bool settled(const QWidget& window);

// Waits until `condition` holds, letting events in meanwhile; false when it never does within
// a bound far above what a loaded machine takes.
bool becomes(const std::function<bool()>& condition);

// `window` with its frame as the window system has it now (QWidget::frameGeometry() may still
// hold the frame of before the window manager framed the window).
QRect outerGeometry(const QWidget& window);

// Whether `window`, frame included, lies within its screen's available area, once settled.
::testing::AssertionResult fitsItsScreen(const QWidget& window);

// Whether no scroll bar of `window`'s scrolling body shows where its screen has room to spare
// (at least 1280 x 700): there the window opens large enough for all of its controls.
::testing::AssertionResult scrollsOnlyWhenCramped(const QWidget& window);

// Whether the operator can see all of `w` in its window, once the scroll areas that hold it
// have scrolled to it.
::testing::AssertionResult withinReach(QWidget* w);

}  // namespace zxtest
