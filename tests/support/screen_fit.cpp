#include "tests/support/screen_fit.h"

#include "tests/support/child_test.h"
#include "tests/support/screen_fit_display.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <QWindow>

namespace zxtest {

namespace {

QString describe(const QRect& r) {
    return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

std::string describe(const SmallScreen& screen, const char* where) {
    return QStringLiteral("%1x%2 at %3 %4")
        .arg(screen.pixels.width())
        .arg(screen.pixels.height())
        .arg(screen.scale)
        .arg(QString::fromLatin1(where))
        .toStdString();
}

// How long a window may take to show, be framed and settle on a loaded machine: a bound on
// the wait, which ends as soon as it has.
constexpr int kSettleMs = 20000;

// Whether `window` is on the screen with the window manager's frame, where the window system
// has it.
bool placed(const QWidget& window) {
    const QWindow* handle = window.windowHandle();
    return handle && handle->isExposed() && !handle->frameMargins().isNull() &&
           window.geometry() == handle->geometry();
}

}  // namespace

bool ranOnScreens(std::span<const SmallScreen> screens) {
    if (inChildTest()) return false;
    for (const SmallScreen& screen : screens) {
        SCOPED_TRACE(describe(screen, "offscreen"));
        QTemporaryDir folder;
        QString output;
        EXPECT_TRUE(
            runTestInChild(offscreenScreen(folder.path(), screen.pixels, screen.scale), &output))
            << output.toStdString();
    }
    return true;
}

bool ranUnderWindowManager(std::span<const SmallScreen> screens) {
    if (inChildTest()) return false;
    for (const SmallScreen& screen : screens) {
        SCOPED_TRACE(describe(screen, "under a window manager"));
        const ManagedDisplay display(screen.pixels);
        if (!display.started()) {
            ADD_FAILURE() << display.error().toStdString();
            continue;
        }
        QString output;
        EXPECT_TRUE(runTestInChild(display.environment(screen.scale), &output))
            << output.toStdString();
    }
    return true;
}

bool ranOnSmallScreens() {
    if (!ranOnScreens(kSmallScreens)) return false;
    return ranUnderWindowManager(kManagedScreens);
}

QRect outerGeometry(const QWidget& window) {
    const QWindow* handle = window.windowHandle();
    return handle ? handle->frameGeometry() : window.frameGeometry();
}

bool underWindowManager() {
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

bool settled(const QWidget& window) {
    if (!underWindowManager()) return true;
    return QTest::qWaitFor([&] { return placed(window); }, kSettleMs);
}

bool becomes(const std::function<bool()>& condition) {
    return QTest::qWaitFor(condition, kSettleMs);
}

::testing::AssertionResult fitsItsScreen(const QWidget& window) {
    if (!settled(window))
        return ::testing::AssertionFailure()
               << window.objectName().toStdString() << " gets no frame from the window manager";
    const QRect area = window.screen()->availableGeometry();
    // The keeper may still be moving it in.
    if (becomes([&] {
            return (!underWindowManager() || placed(window)) &&
                   area.contains(outerGeometry(window));
        }))
        return ::testing::AssertionSuccess();
    const QRect frame = outerGeometry(window);
    return ::testing::AssertionFailure()
           << window.objectName().toStdString() << " " << describe(frame).toStdString()
           << " beyond the screen's area " << describe(area).toStdString();
}

::testing::AssertionResult scrollsOnlyWhenCramped(const QWidget& window) {
    const auto* area = window.findChild<QScrollArea*>(QStringLiteral("scrollingBody"));
    if (!area) return ::testing::AssertionFailure() << "no scrolling body";
    settled(window);
    const QSize room = window.screen()->availableGeometry().size();
    if (room.width() < 1280 || room.height() < 700) return ::testing::AssertionSuccess();
    // As the operator sees it once the layouts asked for have run.
    if (becomes([area] {
            return !area->verticalScrollBar()->isVisible() &&
                   !area->horizontalScrollBar()->isVisible();
        }))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << window.objectName().toStdString() << " " << describe(window.geometry()).toStdString()
           << " scrolls its " << describe(area->widget()->geometry()).toStdString() << " in "
           << describe(area->viewport()->geometry()).toStdString()
           << (area->verticalScrollBar()->isVisible() ? " up and down" : " sideways");
}

::testing::AssertionResult withinReach(QWidget* w) {
    settled(*w->window());
    for (QWidget* p = w->parentWidget(); p; p = p->parentWidget()) {
        auto* area = qobject_cast<QScrollArea*>(p);
        if (!area || !area->widget() || !area->widget()->isAncestorOf(w)) continue;
        // The whole widget: ensureWidgetVisible would bring a line edit's cursor alone.
        const QRect r(w->mapTo(area->widget(), QPoint(0, 0)), w->size());
        area->ensureVisible(r.center().x(), r.center().y(), r.width() / 2 + 1, r.height() / 2 + 1);
    }
    const QRect seen = w->visibleRegion().boundingRect();
    if (w->isVisible() && seen == w->rect()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << w->objectName().toStdString() << ": " << describe(seen).toStdString() << " seen of "
           << describe(w->rect()).toStdString();
}

}  // namespace zxtest
