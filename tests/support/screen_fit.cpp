#include "tests/support/screen_fit.h"

#include "tests/support/child_test.h"

#include <QCoreApplication>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QWidget>

namespace zxtest {

namespace {

QString describe(const QRect& r) {
    return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

}  // namespace

bool ranOnSmallScreens() {
    return ranOnScreens(kSmallScreens);
}

bool ranOnScreens(std::span<const SmallScreen> screens) {
    if (inChildTest()) return false;
    for (const SmallScreen& screen : screens) {
        SCOPED_TRACE(QStringLiteral("%1x%2 at %3")
                         .arg(screen.pixels.width())
                         .arg(screen.pixels.height())
                         .arg(screen.scale)
                         .toStdString());
        QTemporaryDir folder;
        QString output;
        EXPECT_TRUE(
            runTestInChild(offscreenScreen(folder.path(), screen.pixels, screen.scale), &output))
            << output.toStdString();
    }
    return true;
}

::testing::AssertionResult fitsItsScreen(const QWidget& window) {
    const QRect area = window.screen()->availableGeometry();
    const QRect frame = window.frameGeometry();
    if (area.contains(frame)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << window.objectName().toStdString() << " " << describe(frame).toStdString()
           << " beyond the screen's area " << describe(area).toStdString();
}

::testing::AssertionResult scrollsOnlyWhenCramped(const QWidget& window) {
    const auto* area = window.findChild<QScrollArea*>(QStringLiteral("scrollingBody"));
    if (!area) return ::testing::AssertionFailure() << "no scrolling body";
    const QSize room = window.screen()->availableGeometry().size();
    if (room.width() < 1280 || room.height() < 700) return ::testing::AssertionSuccess();
    // As the operator sees it once the layouts asked for have run.
    QCoreApplication::processEvents();
    if (!area->verticalScrollBar()->isVisible() && !area->horizontalScrollBar()->isVisible())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << window.objectName().toStdString() << " " << describe(window.geometry()).toStdString()
           << " scrolls its " << describe(area->widget()->geometry()).toStdString() << " in "
           << describe(area->viewport()->geometry()).toStdString()
           << (area->verticalScrollBar()->isVisible() ? " up and down" : " sideways");
}

::testing::AssertionResult withinReach(QWidget* w) {
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
