#include "platform/reportengine/rows.h"

#include <gtest/gtest.h>

#include <malloc.h>

#include <type_traits>

namespace {

using reportengine::Rows;
using vb::Variant;

// Every kind of value comes back as it went in, an empty text and a repeated one included,
// and the same picture in several rows is kept once.
TEST(RowsTest, ValuesComeBackAsTheyWentInAndPicturesAreKeptOnce) {
    const QByteArray picture("\x89PNG\x00\x01", 6);
    const QList<QList<Variant>> values = {
        {Variant(), Variant::null(), Variant(true), Variant(std::int16_t(-3)), Variant(42),
         Variant(4000000000LL), Variant(12.5)},
        {Variant(vb::Currency::fromScaled(123456)),
         Variant(vb::wallClock(QDate(2026, 12, 9), QTime(23, 59, 30))), Variant(QString()),
         Variant(QStringLiteral("Ñandú ✓")), Variant(QStringLiteral("Ñandú ✓")), Variant(picture),
         Variant(QByteArray(picture))},
    };
    Rows rows;
    for (const auto& row : values) rows.append(row);
    ASSERT_EQ(rows.size(), 2);
    ASSERT_EQ(rows.columnCount(), 7);
    for (qsizetype r = 0; r < values.size(); ++r) EXPECT_EQ(rows[r], values[r]);
    EXPECT_EQ(rows.pictureCount(), 1);
    EXPECT_EQ(rows.pictureAt(1, 5), rows.pictureAt(1, 6));
    EXPECT_EQ(rows.pictureAt(0, 5), -1);
    EXPECT_EQ(rows.value(5, 0), Variant());  // outside the rows
    EXPECT_TRUE(rows.isBlank(0, 1));

    // A copy keeps its values when the original changes.
    const Rows copy = rows;
    rows.set(0, 4, Variant(7));
    EXPECT_EQ(copy.value(0, 4), Variant(42));
    EXPECT_EQ(rows.value(0, 4), Variant(7));
}

TEST(RowsTest, ColumnsAndRowsCanBeAddedRemovedAndKept) {
    Rows rows{{Variant(1), Variant(QStringLiteral("a"))},
              {Variant(2), Variant(QStringLiteral("b"))},
              {Variant(3), Variant(QStringLiteral("c"))}};
    rows.addColumns(2);
    rows.set(1, 3, Variant(QStringLiteral("enlazado")));
    EXPECT_EQ(rows[1], (QList<Variant>{Variant(2), Variant(QStringLiteral("b")), Variant(),
                                       Variant(QStringLiteral("enlazado"))}));
    rows.removeColumns(1, 2);
    rows.keepRows({true, true, false});
    EXPECT_EQ(rows,
              (Rows{{Variant(1), Variant()}, {Variant(2), Variant(QStringLiteral("enlazado"))}}));
    // A row appended after keeping starts Empty where it has no value.
    rows.append({Variant(9)});
    EXPECT_EQ(rows[2], (QList<Variant>{Variant(9), Variant()}));
}

// The bytes the heap holds for the program now.
std::size_t heapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// Dates come back as they went in, whatever the zone, and order by their reading; a cell
// written over and over (a linked date column is filled so) keeps nothing of its old values.
TEST(RowsTest, DatesComeBackAndOrderAndOverwritingThemKeepsNothing) {
    const QList<vb::DateTime> dates = {
        vb::wallClock(QDate(1899, 12, 30)),
        vb::wallClock(QDate(1969, 12, 31), QTime(23, 59, 59, 999)),
        vb::wallClock(QDate(2026, 3, 8), QTime(2, 30)),         // a local hour some zones skip
        vb::wallClock(QDate(2026, 11, 1), QTime(1, 30, 0, 1)),  // one some zones repeat
        vb::wallClock(QDate(9999, 12, 31), QTime(23, 59, 59, 997)),
    };
    Rows rows;
    for (const vb::DateTime& d : dates) rows.append({Variant(d), Variant(d)});
    rows.append({Variant(vb::DateTime()), Variant(vb::DateTime())});
    for (qsizetype r = 0; r < dates.size(); ++r) {
        EXPECT_EQ(rows.value(r, 0).date(), dates[r]);
        // A reading of its own type, which no zone can move.
        static_assert(std::is_same_v<decltype(rows.value(r, 0).date()), const vb::DateTime&>);
        for (qsizetype s = 0; s < dates.size(); ++s)
            EXPECT_EQ(rows.compare(r, s, 0), r < s ? -1 : (r > s ? 1 : 0)) << r << " " << s;
    }
    EXPECT_FALSE(rows.value(dates.size(), 0).date().isValid());
    EXPECT_EQ(rows.compare(dates.size(), 0, 0), -1);

    const std::size_t before = heapInUse();
    constexpr int kWrites = 200000;
    for (int i = 0; i < kWrites; ++i) rows.set(0, 1, Variant(dates[0].addSecs(i)));
    EXPECT_LT(heapInUse(), before + 64 * 1024);
    EXPECT_EQ(rows.value(0, 1), Variant(dates[0].addSecs(kWrites - 1)));
}

}  // namespace
