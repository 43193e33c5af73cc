#include "platform/ui/screenfit.h"

#include <QEvent>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>
#include <QWidget>

#include <algorithm>

namespace ui {

namespace {

class ScreenKeeper : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched->isWidgetType())
            fitWithinScreen(*static_cast<QWidget*>(watched));
        return false;
    }
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

void fitWithinScreen(QWidget& window) {
    const QScreen* screen = window.screen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    const QSize frame = window.frameGeometry().size() - window.size();
    const QSize size = window.size().boundedTo(area.size() - frame);
    if (size != window.size()) window.resize(size);
    QRect outer = window.frameGeometry();
    outer.moveRight(std::min(outer.right(), area.right()));
    outer.moveBottom(std::min(outer.bottom(), area.bottom()));
    outer.moveLeft(std::max(outer.left(), area.left()));
    outer.moveTop(std::max(outer.top(), area.top()));
    if (outer.topLeft() != window.frameGeometry().topLeft()) window.move(outer.topLeft());
}

void keepWithinScreen(QWidget& window) {
    window.installEventFilter(new ScreenKeeper(&window));
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
