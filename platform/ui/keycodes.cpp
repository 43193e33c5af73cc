#include "platform/ui/keycodes.h"

#include <Qt>

namespace ui {

int windowsKeyCode(int k) {
    if (k >= Qt::Key_A && k <= Qt::Key_Z) return k;  // 65..90, as Windows
    if (k >= Qt::Key_0 && k <= Qt::Key_9) return k;  // 48..57
    if (k >= Qt::Key_F1 && k <= Qt::Key_F24) return 112 + (k - Qt::Key_F1);
    switch (k) {
        case Qt::Key_Backspace:
            return 8;
        case Qt::Key_Tab:
            return 9;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return 13;
        case Qt::Key_Escape:
            return 27;
        case Qt::Key_Space:
            return 32;
        case Qt::Key_PageUp:
            return 33;
        case Qt::Key_PageDown:
            return 34;
        case Qt::Key_End:
            return 35;
        case Qt::Key_Home:
            return 36;
        case Qt::Key_Left:
            return 37;
        case Qt::Key_Up:
            return 38;
        case Qt::Key_Right:
            return 39;
        case Qt::Key_Down:
            return 40;
        case Qt::Key_Insert:
            return 45;
        case Qt::Key_Delete:
            return 46;
        case Qt::Key_Shift:
        case Qt::Key_Control:
        case Qt::Key_Alt:
        case Qt::Key_Meta:
            return 0;
        default:
            return k < 0x100 ? 186 : 0;  // punctuation: the keyboard's own keys
    }
}

}  // namespace ui
