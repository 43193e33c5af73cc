#include "platform/ui/screenfit.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
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
    return handle ? handle->frameMargins() : QMargins();
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
    if (inner != window.geometry()) window.setGeometry(inner);
}

class ScreenKeeper : public QObject {
public:
    explicit ScreenKeeper(QWidget& window) : QObject(&window), window_(window) {
        window.installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (fitting_) return false;
        if (watched == &window_) {
            if (event->type() == QEvent::Show) {
                watchHandle();
                wanted_ = window_.size();
                fitNow();
            } else if (event->type() == QEvent::Resize && window_.isVisible()) {
                if (!event->spontaneous()) {
                    // The program resized it on the screen.
                    wanted_ = window_.size();
                    fitNow();
                } else if (!withinRoom()) {
                    // The operator's own resizing is left as it is, but a size the window
                    // system hands back late (one asked for before the fit) can exceed the
                    // screen.
                    fitNow();
                }
            }
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
    void watchHandle() {
        QWindow* handle = window_.windowHandle();
        if (handle == handle_) return;
        if (handle_) handle_->removeEventFilter(this);
        handle_ = handle;
        if (handle_) handle_->installEventFilter(this);
    }

    bool withinRoom() const {
        const QScreen* screen = window_.screen();
        if (!screen) return true;
        const QSize room = screen->availableGeometry().size().shrunkBy(expectedFrame(window_));
        return window_.width() <= std::max(room.width(), window_.minimumWidth()) &&
               window_.height() <= std::max(room.height(), window_.minimumHeight());
    }

    void fitNow() {
        fitting_ = true;
        fittedFrame_ = expectedFrame(window_);
        fit(window_, wanted_, fittedFrame_);
        fitting_ = false;
    }

    QWidget& window_;
    QPointer<QWindow> handle_;
    QSize wanted_;
    QMargins fittedFrame_;
    bool fitting_ = false;
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

}  // namespace

void keepWithinScreen(QWidget& window) {
    new ScreenKeeper(window);
}

QWidget* scrollingBody(QWidget& window) {
    auto* area = new BodyArea(&window);
    area->setObjectName(QStringLiteral("scrollingBody"));
    area->setFrameShape(QFrame::NoFrame);
    area->setWidgetResizable(true);
    // Tab goes from control to control, never to the area itself.
    area->setFocusPolicy(Qt::NoFocus);
    auto* body = new QWidget(area);
    area->setWidget(body);
    auto* layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(area);
    return body;
}

void sizeToBody(QWidget& window) {
    // The area's hint follows its body; the window's layout learns of it only when told.
    if (auto* area = window.findChild<QScrollArea*>(QStringLiteral("scrollingBody")))
        area->updateGeometry();
    window.resize(window.sizeHint());
}

}  // namespace ui
