#include "platform/ui/screenfit.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QLayout>
#include <QPointer>
#include <QScreen>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>

namespace ui {

QRect fitWithin(const QRect& area, const QMargins& frame, const QRect& wanted,
                const QSize& minimum) {
    const QSize size = wanted.size().boundedTo(area.size().shrunkBy(frame)).expandedTo(minimum);
    QRect outer = QRect(wanted.topLeft(), size).marginsAdded(frame);
    if (area.contains(outer)) return outer.marginsRemoved(frame);
    outer.moveRight(std::min(outer.right(), area.right()));
    outer.moveBottom(std::min(outer.bottom(), area.bottom()));
    outer.moveLeft(std::max(outer.left(), area.left()));
    outer.moveTop(std::max(outer.top(), area.top()));
    return outer.marginsRemoved(frame);
}

namespace {

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
bool framedLate(const QWidget& window) {
    return QGuiApplication::platformName() == QLatin1String("xcb") &&
           !window.windowFlags().testFlag(Qt::FramelessWindowHint);
}

// Tells `told` whenever the window manager sets the frame of the X11 window of `window`
// (_NET_FRAME_EXTENTS) or moves or resizes it (ConfigureNotify), once Qt has taken the news in;
// frame() is the frame it set last.
class FrameWatcher : public QAbstractNativeEventFilter {
public:
    FrameWatcher(QWindow& window, QObject& receiver, std::function<void()> told)
        : window_(&window), receiver_(&receiver), told_(std::move(told)) {
        auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        connection_ = x11 ? x11->connection() : nullptr;
        if (!connection_) return;
        static const char name[] = "_NET_FRAME_EXTENTS";
        const xcb_intern_atom_cookie_t cookie =
            xcb_intern_atom(connection_, 0, sizeof name - 1, name);
        if (xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection_, cookie, nullptr)) {
            extents_ = reply->atom;
            std::free(reply);
        }
        QCoreApplication::instance()->installNativeEventFilter(this);
        readFrame();
    }
    ~FrameWatcher() override {
        if (connection_) QCoreApplication::instance()->removeNativeEventFilter(this);
    }
    FrameWatcher(const FrameWatcher&) = delete;
    FrameWatcher& operator=(const FrameWatcher&) = delete;

    // The frame the window manager set, in the window's own pixels; none until it sets one.
    std::optional<QMargins> frame() const { return frame_; }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type != "xcb_generic_event_t" || !window_) return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        const auto id = static_cast<xcb_window_t>(window_->winId());
        switch (event->response_type & ~0x80) {
            case XCB_PROPERTY_NOTIFY: {
                const auto* property = reinterpret_cast<const xcb_property_notify_event_t*>(event);
                if (property->window != id || property->atom != extents_) return false;
                readFrame();
                tell();
                break;
            }
            case XCB_CONFIGURE_NOTIFY:
                if (reinterpret_cast<const xcb_configure_notify_event_t*>(event)->window == id)
                    tell();
                break;
            default:
                break;
        }
        return false;
    }

private:
    void readFrame() {
        if (!window_ || extents_ == XCB_ATOM_NONE) return;
        const auto id = static_cast<xcb_window_t>(window_->winId());
        const xcb_get_property_cookie_t cookie =
            xcb_get_property(connection_, 0, id, extents_, XCB_ATOM_CARDINAL, 0, 4);
        xcb_get_property_reply_t* reply = xcb_get_property_reply(connection_, cookie, nullptr);
        if (!reply) return;
        if (reply->type == XCB_ATOM_CARDINAL && reply->format == 32 &&
            xcb_get_property_value_length(reply) == 16) {
            // Left, right, top, bottom, in the screen's pixels.
            const auto* sides = static_cast<const quint32*>(xcb_get_property_value(reply));
            const qreal ratio = window_->devicePixelRatio();
            auto side = [ratio](quint32 pixels) { return int(std::ceil(pixels / ratio)); };
            frame_ = QMargins(side(sides[0]), side(sides[2]), side(sides[1]), side(sides[3]));
        }
        std::free(reply);
    }

    // Once Qt has handled the event: the geometry it tells is then the window system's.
    void tell() {
        if (receiver_) QMetaObject::invokeMethod(receiver_, told_, Qt::QueuedConnection);
    }

    QPointer<QWindow> window_;
    QPointer<QObject> receiver_;
    std::function<void()> told_;
    xcb_connection_t* connection_ = nullptr;
    xcb_atom_t extents_ = XCB_ATOM_NONE;
    std::optional<QMargins> frame_;
};

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

// Fits a window within its screen's free area, frame included, where it would leave it: when it
// shows, when the program moves or resizes it, and when the window manager tells its frame.
// Where the window goes is Qt's and the window manager's; what the operator does to it stays.
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
            const bool visible = window_.isVisible();
            if (event->type() == QEvent::Show) {
                watchFrame();
                scrollIfCramped();
                wanted_ = window_.size();
                framed_ = !framedLate(window_);
                // The size first, for a dialog to be placed over its owner as large as it
                // opens (which its own show does); the place once it is placed.
                fitNow(expectedFrame(), false);
                showing_ = true;
                static_cast<QObject&>(window_).event(event);
                showing_ = false;
                fitNow(expectedFrame());
                if (!framed_) waitForFrame();
                return true;
            } else if (event->type() == QEvent::Move && visible && !event->spontaneous()) {
                // The program moved it on the screen.
                fitNow(expectedFrame(), !showing_);
            } else if (event->type() == QEvent::Resize && visible) {
                if (!event->spontaneous()) {
                    // The program resized it on the screen.
                    wanted_ = window_.size();
                    fitNow(expectedFrame(), !showing_);
                    // Controls shown since may need more room than the screen has.
                    scrollIfCrampedLater();
                } else if (!withinRoom()) {
                    // A size the window system hands back late (one asked for before the
                    // fit) can exceed the screen, where no operator makes a window.
                    fitNow(expectedFrame());
                } else if (window_.size() != asked_) {
                    // The operator's own size (or the window manager's): kept from now on.
                    wanted_ = asked_ = window_.size();
                }
            }
        } else if (watched == watched_ && event->type() == QEvent::Expose) {
            // On the screen now, where the window manager placed it.
            frameTold();
        } else if (watched == body_ && event->type() == QEvent::LayoutRequest) {
            // The window grows with the controls it scrolls as it would with them unscrolled:
            // to what they need at least, as far as the screen allows.
            growTo(needed(*body_));
        }
        return false;
    }

private:
    // The frame the window manager gave, or, until it tells it, that of the window that
    // asked for this one (the same window manager draws both).
    QMargins expectedFrame() const {
        if (!framedLate(window_)) return givenFrame(window_);
        if (watcher_ && watcher_->frame()) return *watcher_->frame();
        const QMargins given = givenFrame(window_);
        if (!given.isNull() || framed_) return given;
        const QWidget* owner = window_.parentWidget() ? window_.parentWidget()->window() : nullptr;
        return owner && owner->isVisible() ? givenFrame(*owner) : QMargins();
    }

    void watchFrame() {
        QWindow* handle = window_.windowHandle();
        if (!framedLate(window_) || !handle || (watcher_ && watched_ == handle)) return;
        if (watched_) watched_->removeEventFilter(this);
        watched_ = handle;
        watched_->installEventFilter(this);
        watcher_ = std::make_unique<FrameWatcher>(*handle, *this, [this] { frameTold(); });
    }

    // The window manager set the frame, or moved or resized the window: fitted anew when the
    // frame is new to the keeper.
    void frameTold() {
        // Until the window is on the screen, the window system may tell where it was before
        // the window manager placed it.
        if (!window_.isVisible() || !watched_ || !watched_->isExposed()) return;
        const QMargins frame = expectedFrame();
        if (frame.isNull() || (framed_ && frame == fittedFrame_)) return;
        framed_ = true;
        // The frame may leave less room than the controls need.
        if (scrollIfCramped()) wanted_ = window_.size().expandedTo(needed(*body_));
        fitNow(frame);
    }

    // Where no window manager answers, the window has no frame: after a short while the keeper
    // stops waiting for one.
    void waitForFrame() {
        QTimer::singleShot(kFrameWaitMs, this, [this] {
            if (framed_ || !window_.isVisible()) return;
            if (!watched_ || !watched_->isExposed()) {
                waitForFrame();
                return;
            }
            framed_ = true;
            fitNow(givenFrame(window_));
        });
    }

    // What the screen's free area leaves the window inside its frame; invalid without a screen.
    QSize room() const {
        const QScreen* screen = window_.screen();
        if (!screen) return {};
        return screen->availableGeometry().size().shrunkBy(expectedFrame());
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
                fitNow(expectedFrame());
            },
            Qt::QueuedConnection);
    }

    void growTo(QSize size) {
        const QSize grown = window_.size().expandedTo(size);
        if (grown != window_.size()) window_.resize(grown);
    }

    // The window where it is, as large as asked, moved (unless not to `place` it) and shrunk
    // only as far as it must.
    void fitNow(const QMargins& frame, bool place = true) {
        const QScreen* screen = window_.screen();
        fittedFrame_ = frame;
        if (!screen || window_.isMaximized() || window_.isFullScreen()) return;
        fitting_ = true;
        const QRect wanted(window_.geometry().topLeft(), wanted_.boundedTo(window_.maximumSize()));
        const QRect fitted =
            fitWithin(screen->availableGeometry(), frame, wanted, window_.minimumSize());
        if (!place)
            window_.resize(fitted.size());
        else if (fitted != window_.geometry())
            window_.setGeometry(fitted);
        asked_ = window_.size();
        fitting_ = false;
    }

    QWidget& window_;
    const bool scrolls_;
    QPointer<QWidget> body_;
    QPointer<QWindow> watched_;
    std::unique_ptr<FrameWatcher> watcher_;
    QSize wanted_;  // the size the program asked for, or the operator gave
    QSize asked_;   // the size the last fit gave the window
    QMargins fittedFrame_;
    bool framed_ = false;  // whether the frame is known since the window showed
    bool fitting_ = false;
    bool showing_ = false;  // while the window's own show places it
    bool checkPending_ = false;
    static constexpr int kFrameWaitMs = 1000;
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
