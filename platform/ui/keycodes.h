#pragma once

namespace ui {

// The Windows virtual-key code of a Qt key (Qt::Key): the code the system's key handlers
// are written for (13 Enter, 27 Escape, 112 F1, ...); 0 for a key with none.
int windowsKeyCode(int qtKey);

}  // namespace ui
