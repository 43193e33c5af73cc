#pragma once

class QWidget;

namespace ui {

// Keeps `window` no larger than its screen's available area, frame included, and within that
// area, as far as its minimum size allows: when it is shown, whenever the program resizes it
// while it shows, and again once the window manager has framed it (on X11 the frame is known
// only after the window is on the screen; until then it is taken to be the last window's).
// Nothing more for a window that is kept already.
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
