#include "platform/ado/tsql/datetime.h"
#include "platform/vb/conversions.h"
#include "tests/support/fixtures.h"

#include <gtest/gtest.h>

#include <optional>

using vb::DateTime;
using vb::wallClock;

namespace {

const QDate kDay(2026, 3, 29);

// The readers of date texts list different grammars: CDate's are VB's, a datetime's and a
// datetime2's SQL Server's; a datetime rounds the reading to its precision, a datetime2 cuts a
// fraction past the millisecond.
TEST(DateTimeReadersTest, CDateADatetimeAndADatetime2ReadTheirOwnGrammars) {
    const struct {
        const char* text;
        std::optional<DateTime> cdate;
        std::optional<DateTime> datetime;
        std::optional<DateTime> datetime2;
    } cases[] = {
        {"2026-03-29 10:30:15.5", wallClock(kDay, {10, 30, 15, 500}),
         wallClock(kDay, {10, 30, 15, 500}), wallClock(kDay, {10, 30, 15, 500})},
        {"2026-03-29 10:30:15.999", wallClock(kDay, {10, 30, 15, 999}),
         wallClock(kDay, {10, 30, 16}), wallClock(kDay, {10, 30, 15, 999})},
        {"2026-03-29 10:30:15.9999", wallClock(kDay, {10, 30, 16}), wallClock(kDay, {10, 30, 16}),
         wallClock(kDay, {10, 30, 15, 999})},
        {" 29/03/26 10:30 ", wallClock(kDay, {10, 30}), wallClock(kDay, {10, 30}),
         wallClock(kDay, {10, 30})},
        {"2026-3-29 9:05:07.7", wallClock(kDay, {9, 5, 7}), wallClock(kDay, {9, 5, 7}),
         wallClock(kDay, {9, 5, 7})},
        {"10:30", wallClock({1899, 12, 30}, {10, 30}), wallClock({1900, 1, 1}, {10, 30}),
         wallClock({1900, 1, 1}, {10, 30})},
        {"20260329 10:30", {}, wallClock(kDay, {10, 30}), wallClock(kDay, {10, 30})},
        {"2026-03-29 9:05:07.7", wallClock(kDay, {9, 5, 7}), wallClock(kDay, {9, 5, 7, 700}),
         wallClock(kDay, {9, 5, 7, 700})},
        {"4 PM", {}, wallClock({1900, 1, 1}, {16, 0}), wallClock({1900, 1, 1}, {16, 0})},
        {"03/29/2026", {}, {}, {}},
        {"hoy", {}, {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(vb::parseDate(QString::fromUtf8(c.text)), c.cdate);
        EXPECT_EQ(tsql::readDateTime(QString::fromUtf8(c.text)), c.datetime);
        const QByteArray utf8(c.text);
        EXPECT_EQ(tsql::readDateTime(utf8.constData(), static_cast<int>(utf8.size())), c.datetime);
        EXPECT_EQ(tsql::readDateTime2(QString::fromUtf8(c.text)), c.datetime2);
    }
}

TEST(DateTimeReadersTest, EachConvertStyleReadsItsOwnShape) {
    const struct {
        int style;
        const char* text;
        std::optional<DateTime> reading;
    } cases[] = {
        {101, " 03/29/2026 ", wallClock(kDay)},
        {101, "29/03/2026", {}},
        {102, "2026.03.29 10:30", wallClock(kDay, {10, 30})},
        {103, "29/03/2026 4 PM", wallClock(kDay, {16, 0})},
        {103, "03/29/2026", {}},
        {104, "29.03.2026", wallClock(kDay)},
        {105, "29-03-2026 10:30:15.999", wallClock(kDay, {10, 30, 16})},
        {111, "2026/03/29", wallClock(kDay)},
        {108, "10:30:15", wallClock({1900, 1, 1}, {10, 30, 15})},
        {108, "29/03/2026", {}},
        {112, "20260329", wallClock(kDay)},
        {120, "2026-03-29 10:30:15", wallClock(kDay, {10, 30, 15})},
        {121, "2026-03-29 10:30:15.997", wallClock(kDay, {10, 30, 15, 997})},
        {126, "2026-03-29T10:30:15.998", wallClock(kDay, {10, 30, 15, 997})},
        {23, "29/03/2026", wallClock(kDay)},
        {130, "2026-03-29", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(QStringLiteral("%1 %2").arg(c.style).arg(c.text).toStdString());
        EXPECT_EQ(tsql::readInStyle(QString::fromUtf8(c.text), c.style), c.reading);
    }
}

}  // namespace
