#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

class QWidget;

namespace ui {

// Where a window that asks for the client area `wanted`, with `frame` around it, goes within a
// screen's free `area`: where it asked when it fits there, frame included; otherwise no larger
// than the area leaves inside the frame (nor smaller than `minimum`), moved in only as far as
// it must.
QRect fitWithin(const QRect& area, const QMargins& frame, const QRect& wanted,
                const QSize& minimum);

// Keeps `window` no larger than its screen's available area, frame included, and within that
// area, as far as its minimum size allows: when it is shown, whenever the program moves or
// resizes it while it shows, and again once the window manager tells the frame it gave it (on
// X11 only after the window is on the screen; until then it is taken to be its owner's). Where
// it opens is Qt's and the window manager's, and what the operator does to it stays, as long
// as it fits. Nothing more for a window that is kept already.
void keepWithinScreen(QWidget& window);

// The same for a window made elsewhere (Qt's choosers), whose controls are laid out for a
// screen with room: once its screen leaves it less room than they need, when it is shown or
// when controls shown later grow it, they move into a scrolling body (as scrollingBody's).
void keepWithinScreenScrolling(QWidget& window);

// A body for `window`'s controls inside a frameless scroll area that fills the window: on a
// screen with less room than the controls need, they scroll instead of falling off the
// screen. The caller lays the controls out on the body.
QWidget* scrollingBody(QWidget& window);

// Resizes `window` to what the controls of its scrolling body ask for now (texts shown or
// hidden since), before it is fitted within its screen.
void sizeToBody(QWidget& window);

}  // namespace ui
