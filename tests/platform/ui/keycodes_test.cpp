#include "platform/ui/keycodes.h"

#include <Qt>

#include <gtest/gtest.h>

namespace {

TEST(KeyCodesTest, QtKeysBecomeTheWindowsCodesTheHandlersTest) {
    const struct {
        int qt;
        int windows;
    } cases[] = {
        {Qt::Key_Return, 13}, {Qt::Key_Enter, 13},   {Qt::Key_Escape, 27}, {Qt::Key_F1, 112},
        {Qt::Key_F5, 116},    {Qt::Key_F12, 123},    {Qt::Key_A, 65},      {Qt::Key_9, 57},
        {Qt::Key_Insert, 45}, {Qt::Key_Delete, 46},  {Qt::Key_Down, 40},   {Qt::Key_Shift, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.qt);
        EXPECT_EQ(ui::windowsKeyCode(c.qt), c.windows);
    }
}

}  // namespace
