#include "platform/ui/screenfit.h"

#include <QEvent>
#include <QGuiApplication>
#include <QLayout>
#include <QPointer>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace ui {

namespace {

// The frame the window manager gave the last window it framed: the best guess for a window it
// has not framed yet.
QMargins& lastFrame() {
    static QMargins frame;
    return frame;
}

QMargins givenFrame(const QWidget& window) {
    const QWindow* handle = window.windowHandle();
    const QMargins frame = handle ? handle->frameMargins() : QMargins();
    // While the window manager frames a window, X11 may tell a frame of negative margins for
    // a moment; fitted within that, the window would be sized beyond the screen.
    if (frame.left() < 0 || frame.top() < 0 || frame.right() < 0 || frame.bottom() < 0) return {};
    return frame;
}

// An X11 window manager frames a window only once it is on the screen; other window systems
// know the frame before, or have none.
bool framedLate() {
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

QMargins expectedFrame(const QWidget& window) {
    const QMargins given = givenFrame(window);
    if (!given.isNull()) {
        lastFrame() = given;
        return given;
    }
    if (!framedLate() || window.windowFlags().testFlag(Qt::FramelessWindowHint)) return {};
    if (!lastFrame().isNull()) return lastFrame();
    // A title bar and thin borders until the window manager tells its own: a little more than
    // most draw, which the fit once the frame is known gives back.
    const int title = window.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &window);
    constexpr int border = 4;
    return QMargins(border, title + border, border, border);
}

// `wanted` (the size the program asked for) within the screen's area with `frame` around it,
// moving the window in as far as needed.
void fit(QWidget& window, QSize wanted, const QMargins& frame) {
    const QScreen* screen = window.screen();
    if (!screen || window.isMaximized() || window.isFullScreen()) return;
    const QRect area = screen->availableGeometry();
    const QSize size = wanted.boundedTo(area.size().shrunkBy(frame))
                           .expandedTo(window.minimumSize())
                           .boundedTo(window.maximumSize());
    QRect outer = QRect(window.geometry().topLeft(), size).marginsAdded(frame);
    outer.moveRight(std::min(outer.right(), area.right()));
    outer.moveBottom(std::min(outer.bottom(), area.bottom()));
    outer.moveLeft(std::max(outer.left(), area.left()));
    outer.moveTop(std::max(outer.top(), area.top()));
    // The client area, not the frame's position: the frame QWidget knows may be one from
    // before the window manager framed the window.
    const QRect inner = outer.marginsRemoved(frame);
    if (inner != window.geometry()) {
        window.setGeometry(inner);
    } else if (QWindow* handle = window.windowHandle(); handle && handle->geometry() != inner) {
        // The window system let a request go by: the widget has the geometry, its window not.
        handle->setGeometry(inner);
    }
}

// Asks for all its body needs, where a plain scroll area asks for a bounded size: a window
// whose controls fit the screen opens with no scroll bar.
class BodyArea : public QScrollArea {
public:
    using QScrollArea::QScrollArea;

    QSize sizeHint() const override {
        const QWidget* body = widget();
        if (!body) return QScrollArea::sizeHint();
        QSize hint = body->sizeHint();
        // Wrapped texts are as tall as the body's width makes them.
        if (body->hasHeightForWidth())
            hint.setHeight(std::max(hint.height(), body->heightForWidth(hint.width())));
        const int frame = 2 * frameWidth();
        return hint + QSize(frame, frame);
    }
};

// A frameless scroll area for `window`'s controls, to fill it: Tab goes from control to
// control, never to the area itself.
QScrollArea* newBodyArea(QWidget& window) {
    auto* area = new BodyArea(&window);
    area->setObjectName(QStringLiteral("scrollingBody"));
    area->setFrameShape(QFrame::NoFrame);
    area->setWidgetResizable(true);
    area->setFocusPolicy(Qt::NoFocus);
    return area;
}

void fillWith(QWidget& window, QScrollArea& area) {
    auto* layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(&area);
}

// Moves the controls `window`'s layout holds, and the layout, into a scrolling body; the
// control that had the focus keeps it.
QWidget* moveIntoScrollingBody(QWidget& window) {
    QLayout* controls = window.layout();
    QWidget* focus = window.focusWidget();
    QScrollArea* area = newBodyArea(window);
    auto* body = new QWidget(area);
    area->setWidget(body);
    // Takes the layout from the window, and its controls with it.
    body->setLayout(controls);
    fillWith(window, *area);
    area->show();
    window.layout()->activate();
    if (focus) focus->setFocus();
    return body;
}

const char kKeeper[] = "screenKeeper";

class ScreenKeeper : public QObject {
public:
    // With `scrolls`, the window's controls move into a scrolling body once its screen leaves
    // it less room than they need: for windows made elsewhere, whose controls are laid out
    // for a screen with room.
    ScreenKeeper(QWidget& window, bool scrolls)
        : QObject(&window), window_(window), scrolls_(scrolls) {
        setObjectName(QString::fromLatin1(kKeeper));
        window.installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (fitting_) return false;
        if (watched == &window_) {
            if (event->type() == QEvent::Show) {
                watchHandle();
                scrollIfCramped();
                wanted_ = window_.size();
                fitNow();
                watchFraming();
            } else if (event->type() == QEvent::Move && window_.isVisible() &&
                       !event->spontaneous()) {
                // The program moved it on the screen.
                fitNow();
            } else if (event->type() == QEvent::Resize && window_.isVisible()) {
                if (!event->spontaneous()) {
                    // The program resized it on the screen.
                    wanted_ = window_.size();
                    fitNow();
                    watchFraming();
                    // Controls shown since may need more room than the screen has.
                    scrollIfCrampedLater();
                } else if (!withinRoom() || (watchingFraming() && window_.size() != asked_)) {
                    // The operator's own resizing is left as it is, but a size the window
                    // system hands back late (one asked for before the fit) can exceed the
                    // screen, or undo the fit.
                    fitNow();
                }
            }
        } else if (watched == body_ && event->type() == QEvent::LayoutRequest) {
            // The window grows with the controls it scrolls as it would with them unscrolled:
            // to what they need at least, as far as the screen allows.
            growTo(needed(*body_));
        } else if (watched == handle_ && window_.isVisible()) {
            // The window system moved, resized or mapped the window: the window manager may
            // just have framed it.
            const QEvent::Type type = event->type();
            if ((type == QEvent::Move || type == QEvent::Resize || type == QEvent::Expose) &&
                givenFrame(window_) != fittedFrame_ && !givenFrame(window_).isNull())
                fitNow();
        }
        return false;
    }

private:
    // An X11 window manager tells the frame it gave in a property of the window, of which the
    // window hears nothing, and the window system may answer a request late or not at all: for
    // a while after the window shows or the program resizes it, the keeper looks again, and
    // fits the window anew while it is not as it was fitted.
    void watchFraming() {
        if (!framedLate() || window_.windowFlags().testFlag(Qt::FramelessWindowHint)) return;
        framingChecks_ = kFramingChecks;
        if (!framingTimer_) {
            framingTimer_ = new QTimer(this);
            framingTimer_->setInterval(kFramingInterval);
            connect(framingTimer_, &QTimer::timeout, this, [this] {
                if (--framingChecks_ <= 0 || !window_.isVisible()) framingTimer_->stop();
                if (window_.isVisible() && unfitted()) fitNow();
            });
        }
        framingTimer_->start();
    }

    bool watchingFraming() const { return framingTimer_ && framingTimer_->isActive(); }

    // True when the window manager's frame is known and the window is not as it was fitted
    // within it: another frame, another size, or beyond the screen.
    bool unfitted() const {
        const QMargins frame = givenFrame(window_);
        const QWindow* handle = window_.windowHandle();
        const QScreen* screen = window_.screen();
        if (frame.isNull() || fitting_ || !handle || !screen || window_.isMaximized() ||
            window_.isFullScreen())
            return false;
        return frame != fittedFrame_ || window_.size() != asked_ ||
               handle->geometry().size() != asked_ ||
               !screen->availableGeometry().contains(handle->frameGeometry());
    }

    void watchHandle() {
        QWindow* handle = window_.windowHandle();
        if (handle == handle_) return;
        if (handle_) handle_->removeEventFilter(this);
        handle_ = handle;
        if (handle_) handle_->installEventFilter(this);
    }

    // What the screen's free area leaves the window inside its frame; invalid without a screen.
    QSize room() const {
        const QScreen* screen = window_.screen();
        if (!screen) return {};
        return screen->availableGeometry().size().shrunkBy(expectedFrame(window_));
    }

    bool withinRoom() const {
        const QSize room = this->room();
        if (!room.isValid()) return true;
        return window_.width() <= std::max(room.width(), window_.minimumWidth()) &&
               window_.height() <= std::max(room.height(), window_.minimumHeight());
    }

    // The least room the controls `widget` lays out need.
    static QSize needed(const QWidget& widget) {
        return widget.layout() ? widget.layout()->totalMinimumSize() : widget.minimumSize();
    }

    bool cramped() const {
        const QSize room = this->room();
        if (!room.isValid() || !window_.layout()) return false;
        const QSize need = needed(window_);
        return need.width() > room.width() || need.height() > room.height();
    }

    // True when the controls moved into a scrolling body now.
    bool scrollIfCramped() {
        if (!scrolls_ || body_ || !cramped()) return false;
        body_ = moveIntoScrollingBody(window_);
        body_->installEventFilter(this);
        return true;
    }

    // Once the layout that grew the window has done: the controls cannot move while it
    // places them.
    void scrollIfCrampedLater() {
        if (!scrolls_ || body_ || checkPending_) return;
        checkPending_ = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                checkPending_ = false;
                if (!window_.isVisible() || !scrollIfCramped()) return;
                wanted_ = window_.size().expandedTo(needed(*body_));
                fitNow();
            },
            Qt::QueuedConnection);
    }

    void growTo(QSize size) {
        const QSize grown = window_.size().expandedTo(size);
        if (grown != window_.size()) window_.resize(grown);
    }

    void fitNow() {
        fitting_ = true;
        fittedFrame_ = expectedFrame(window_);
        fit(window_, wanted_, fittedFrame_);
        asked_ = window_.size();
        fitting_ = false;
    }

    QWidget& window_;
    const bool scrolls_;
    QPointer<QWidget> body_;
    QPointer<QWindow> handle_;
    QSize wanted_;
    QMargins fittedFrame_;
    QSize asked_;  // the size the last fit gave the window
    bool fitting_ = false;
    bool checkPending_ = false;
    static constexpr int kFramingInterval = 50;  // ms
    static constexpr int kFramingChecks = 60;
    QTimer* framingTimer_ = nullptr;
    int framingChecks_ = 0;
};

}  // namespace

void keepWithinScreen(QWidget& window) {
    if (!window.findChild<QObject*>(QString::fromLatin1(kKeeper), Qt::FindDirectChildrenOnly))
        new ScreenKeeper(window, false);
}

void keepWithinScreenScrolling(QWidget& window) {
    if (!window.findChild<QObject*>(QString::fromLatin1(kKeeper), Qt::FindDirectChildrenOnly))
        new ScreenKeeper(window, true);
}

QWidget* scrollingBody(QWidget& window) {
    QScrollArea* area = newBodyArea(window);
    auto* body = new QWidget(area);
    area->setWidget(body);
    fillWith(window, *area);
    return body;
}

void sizeToBody(QWidget& window) {
    // The area's hint follows its body; the window's layout learns of it only when told.
    if (auto* area = window.findChild<QScrollArea*>(QStringLiteral("scrollingBody")))
        area->updateGeometry();
    window.resize(window.sizeHint());
}

}  // namespace ui
