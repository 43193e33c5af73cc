#include "platform/vb/datetime.h"
#include "tests/support/fixtures.h"

#include <QTimeZone>

#include <gtest/gtest.h>

#include <functional>

using vb::DateTime;
using vb::wallClock;

namespace {

// Arithmetic counts on the reading itself: every day has 24 hours, whatever a local clock did.
TEST(DateTimeTest, ArithmeticIsOnTheReading) {
    const struct {
        const char* name;
        DateTime start;
        std::function<DateTime(const DateTime&)> step;
        DateTime expected;
    } cases[] = {
        {"milliseconds across midnight", wallClock({2026, 3, 28}, {23, 59, 59, 999}),
         [](const DateTime& d) { return d.addMSecs(1); }, wallClock({2026, 3, 29})},
        {"back across midnight", wallClock({2026, 3, 29}),
         [](const DateTime& d) { return d.addMSecs(-1); },
         wallClock({2026, 3, 28}, {23, 59, 59, 999})},
        {"seconds through a skipped hour", wallClock({2026, 3, 29}, {1, 59, 59}),
         [](const DateTime& d) { return d.addSecs(1); }, wallClock({2026, 3, 29}, {2, 0})},
        {"days before 1970", wallClock({1970, 1, 1}, {6, 0}),
         [](const DateTime& d) { return d.addDays(-2); }, wallClock({1969, 12, 30}, {6, 0})},
        {"hours back before 1970", wallClock({1970, 1, 1}, {1, 0}),
         [](const DateTime& d) { return d.addMSecs(-2 * 3600 * 1000); },
         wallClock({1969, 12, 31}, {23, 0})},
        {"a month from the 31st", wallClock({2024, 1, 31}, {10, 30}),
         [](const DateTime& d) { return d.addMonths(1); }, wallClock({2024, 2, 29}, {10, 30})},
        {"a year from the 29th of February", wallClock({2024, 2, 29}, {8, 0}),
         [](const DateTime& d) { return d.addYears(1); }, wallClock({2025, 2, 28}, {8, 0})},
        {"nothing stays nothing", DateTime(), [](const DateTime& d) { return d.addDays(1); },
         DateTime()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.step(c.start), c.expected);
    }
    const DateTime a = wallClock({2026, 3, 28}, {22, 0});
    const DateTime b = wallClock({2026, 3, 30}, {1, 0, 0, 500});
    EXPECT_EQ(a.msecsTo(b), 27 * 3600 * 1000LL + 500);
    EXPECT_EQ(b.msecsTo(a), -(27 * 3600 * 1000LL + 500));
    EXPECT_EQ(a.secsTo(b), 27 * 3600);
    EXPECT_EQ(a.daysTo(b), 2);
    EXPECT_EQ(a.msecsTo(DateTime()), 0);
}

// Times a local clock skips or shows twice are readings like any other, in any zone.
TEST(DateTimeTest, ReadingsNoLocalClockShowsStayWholeAndInOrder) {
    const zxtest::ScopedTimeZone zone("Europe/Madrid");
    const DateTime skipped = wallClock({2026, 3, 29}, {2, 30});
    ASSERT_TRUE(skipped.isValid());
    EXPECT_EQ(skipped.date(), QDate(2026, 3, 29));
    EXPECT_EQ(skipped.time(), QTime(2, 30));
    EXPECT_EQ(skipped.toString("yyyy-MM-dd HH:mm:ss.zzz"), QString("2026-03-29 02:30:00.000"));
    EXPECT_LT(wallClock({2026, 3, 29}, {1, 59}), skipped);
    EXPECT_LT(skipped, wallClock({2026, 3, 29}, {3, 0}));
    EXPECT_LT(wallClock({2026, 10, 25}, {2, 30}), wallClock({2026, 10, 25}, {2, 31}));
}

// The count from 1970 gives the reading back and orders as the readings do; no reading sorts
// before every reading.
TEST(DateTimeTest, TheCountFrom1970GivesTheReadingBackInOrder) {
    const DateTime readings[] = {
        DateTime(),
        wallClock({1, 1, 1}),
        wallClock({1899, 12, 30}),
        wallClock({1969, 12, 31}, {23, 59, 59, 999}),
        wallClock({1970, 1, 1}),
        wallClock({2026, 3, 29}, {2, 30}),
        wallClock({9999, 12, 31}, {23, 59, 59, 999}),
    };
    for (std::size_t i = 0; i < std::size(readings); ++i) {
        SCOPED_TRACE(i);
        for (std::size_t k = i + 1; k < std::size(readings); ++k)
            EXPECT_LT(readings[i], readings[k]);
        if (!readings[i].isValid()) continue;
        EXPECT_EQ(DateTime::fromMSecsSinceEpoch(readings[i].toMSecsSinceEpoch()), readings[i]);
        for (std::size_t k = i + 1; k < std::size(readings); ++k)
            EXPECT_LT(readings[i].toMSecsSinceEpoch(), readings[k].toMSecsSinceEpoch());
    }
    EXPECT_EQ(wallClock({1970, 1, 1}, {0, 0, 1}).toMSecsSinceEpoch(), 1000);
    EXPECT_EQ(wallClock({1969, 12, 31}, {23, 59, 59}).toMSecsSinceEpoch(), -1000);
    EXPECT_FALSE(DateTime().time().isValid());
    EXPECT_EQ(DateTime().toString("yyyy"), QString());
    EXPECT_FALSE(wallClock(QDate()).isValid());
    EXPECT_EQ(wallClock({2026, 3, 29}, QTime()), wallClock({2026, 3, 29}));
}

// An instant becomes the reading its own zone shows; the clock shows the reading of its
// instant, and the UTC instant of a reading counts as that reading does.
TEST(DateTimeTest, AnInstantIsReadInItsOwnZone) {
    const QDateTime kolkata(QDate(2024, 5, 7), QTime(14, 3, 9), QTimeZone("Asia/Kolkata"));
    EXPECT_EQ(wallClock(kolkata), wallClock({2024, 5, 7}, {14, 3, 9}));
    EXPECT_EQ(wallClock(kolkata.toUTC()), wallClock({2024, 5, 7}, {8, 33, 9}));
    zxtest::FixedClock clock(kolkata);
    EXPECT_EQ(ui::clock().now(), wallClock({2024, 5, 7}, {14, 3, 9}));
    EXPECT_EQ(ui::clock().instant(), kolkata);

    const zxtest::ScopedTimeZone zone("Europe/Madrid");
    const QDateTime local = vb::utcInstant({2026, 3, 29}, {1, 0}).toLocalTime();
    clock.set(local);
    EXPECT_EQ(ui::clock().now(), wallClock({2026, 3, 29}, {3, 0}));
    EXPECT_EQ(vb::utcInstant({2026, 3, 29}, {1, 0}).toMSecsSinceEpoch(),
              wallClock({2026, 3, 29}, {1, 0}).toMSecsSinceEpoch());
}

}  // namespace
