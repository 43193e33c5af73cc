#include "transfer/cdirlist.h"

#include "platform/vb/vberror.h"
#include "tests/support/fixtures.h"

#include <gtest/gtest.h>

namespace {

TEST(CDirListTest, ItemsAreReachedByPositionAndByNameWithoutRegardToCase) {
    cDirList lista;
    const vb::DateTime t = vb::wallClock(QDate(2024, 3, 5), QTime(12, 0));
    lista.Add(0x10, t, t, t, 0, "Fotos");
    lista.Add(0x21, t, t, t, 600, "venta.txt");
    ASSERT_EQ(lista.Count(), 2);
    EXPECT_EQ(lista.Item(1).Filename, QString("Fotos"));
    EXPECT_EQ(lista.Item(2).FileSize, 600);
    EXPECT_TRUE(lista.Item("VENTA.TXT").Archive);
    EXPECT_TRUE(lista.Item("VENTA.TXT").ReadOnly);
    EXPECT_FALSE(lista.Item("VENTA.TXT").Normal);
    EXPECT_TRUE(lista.Exists("fotos"));
    EXPECT_EQ(zxtest::raisedNumber([&] { lista.Item(3); }), vb::err::SubscriptOutOfRange);
    EXPECT_EQ(zxtest::raisedNumber([&] { lista.Item("otro"); }), vb::err::InvalidProcedureCall);
}

TEST(CDirListTest, AttributeBitsBecomeTheItemsFlags) {
    cDirList lista;
    lista.Add(0x1 | 0x2 | 0x4 | 0x10 | 0x20 | 0x80 | 0x100 | 0x800 | 0x1000, {}, {}, {}, 0, "x");
    const cDirItem& i = lista.Item(1);
    EXPECT_TRUE(i.ReadOnly && i.Hidden && i.System && i.Directory && i.Archive && i.Normal &&
                i.Temporary && i.Compressed && i.Offline);
}

TEST(CDirListTest, ASecondNameInAnyCaseIsADuplicateKey) {
    cDirList lista;
    lista.Add(0x80, {}, {}, {}, 1, "a.txt");
    EXPECT_EQ(zxtest::raisedNumber([&] { lista.Add(0x80, {}, {}, {}, 2, "A.TXT"); }),
              vb::err::DuplicateKey);
    // Letters beyond ASCII fold too, and a name in another case is found after a clear.
    lista.Add(0x80, {}, {}, {}, 3, "Año Ñandú.pdf");
    EXPECT_EQ(zxtest::raisedNumber([&] { lista.Add(0x80, {}, {}, {}, 4, "AÑO ÑANDÚ.PDF"); }),
              vb::err::DuplicateKey);
    EXPECT_EQ(lista.Item("año ñandú.PDF").FileSize, 3);
    EXPECT_EQ(lista.Count(), 2);
    lista.Clear();
    EXPECT_EQ(lista.Count(), 0);
    EXPECT_FALSE(lista.Exists("a.txt"));
    lista.Add(0x80, {}, {}, {}, 5, "A.TXT");
    EXPECT_EQ(lista.Item("a.txt").FileSize, 5);
}

}  // namespace
