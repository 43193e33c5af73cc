#pragma once

class QWidget;

namespace ui {

// Makes `window` no larger than its screen's available area (frame included) and moves it
// into that area, as far as its minimum size allows.
void fitWithinScreen(QWidget& window);

// Fits `window` within its screen each time it is shown.
void keepWithinScreen(QWidget& window);

// A body for `window`'s controls inside a frameless scroll area that fills the window: on a
// screen with less room than the controls need, they scroll instead of falling off the
// screen. The caller lays the controls out on the body.
QWidget* scrollingBody(QWidget& window);

// Resizes `window` to what the controls of its scrolling body ask for now (texts shown or
// hidden since), before it is fitted within its screen.
void sizeToBody(QWidget& window);

}  // namespace ui
