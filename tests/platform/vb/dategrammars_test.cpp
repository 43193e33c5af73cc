#include "platform/vb/dategrammars.h"
#include "tests/support/fixtures.h"

#include <gtest/gtest.h>

#include <optional>

using vb::DateTime;
using vb::wallClock;
using vb::dates::Grammar;

namespace {

struct Case {
    const char* text;
    std::optional<DateTime> reading;  // nothing: the grammar does not read the text
};

// Each text read by the grammar alone, exactly as written.
void expectReadings(Grammar grammar, std::initializer_list<Case> cases) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(vb::dates::read(grammar, QString::fromUtf8(c.text)), c.reading);
    }
}

const QDate kDay(2026, 3, 29);
const QDate kVbDayZero(1899, 12, 30);
const QDate kSqlServerDayZero(1900, 1, 1);

TEST(DateGrammarsTest, Iso) {
    expectReadings(Grammar::Iso,
                   {
                       {"2026-03-29", wallClock(kDay)},
                       {"2026-03-29 10:30", wallClock(kDay, {10, 30})},
                       {"2026-03-29T10:30:15", wallClock(kDay, {10, 30, 15})},
                       {"2026-03-29 10:30:15.5", wallClock(kDay, {10, 30, 15, 500})},
                       {"2026-03-29 10:30:15.9975", wallClock(kDay, {10, 30, 15, 998})},
                       {"2026-03-28 23:59:59.9995", wallClock(kDay)},
                       {"2026-03-29 10:30:15.1234567890123", wallClock(kDay, {10, 30, 15, 123})},
                       {"2026-03-29 02:30", wallClock(kDay, {2, 30})},
                       {"2026-3-29", {}},
                       {"20260329", {}},
                       {"2026-03-29 9:05", {}},
                       {"2026-02-30", {}},
                       {"2026-03-29 24:00", {}},
                       {"2026-03-29 10:60", {}},
                       {"2026-03-29 10:30:", {}},
                       {"2026-03-29 10:30:15.", {}},
                       {"2026-03-29 10:30:15,5", {}},
                       {" 2026-03-29", {}},
                       {"２０２６-03-29", {}},
                       {"", {}},
                   });
    const QByteArray stored("2026-03-29 10:30:15.997");
    EXPECT_EQ(vb::dates::readIso(stored.constData(), static_cast<int>(stored.size())),
              wallClock(kDay, {10, 30, 15, 997}));
}

TEST(DateGrammarsTest, SqlServerIso) {
    expectReadings(Grammar::SqlServerIso,
                   {
                       {"2026-03-29", wallClock(kDay)},
                       {"20260329", wallClock(kDay)},
                       {"20260329 10:30", wallClock(kDay, {10, 30})},
                       {"20260329T10:30:15", wallClock(kDay, {10, 30, 15})},
                       {"2026-03-29 9:05", wallClock(kDay, {9, 5})},
                       {"2026-03-29T10:30:15.9975", wallClock(kDay, {10, 30, 15, 998})},
                       {"2026-03-29 10:30:15.1234567", wallClock(kDay, {10, 30, 15, 123})},
                       {"2026-03-28 23:59:59.9999", wallClock(kDay)},
                       {"2026-0329", {}},
                       {"2026-3-29", {}},
                       {"20260230", {}},
                       {"2026-03-29 10:3", {}},
                       {"2026-03-29 24:00", {}},
                       {"29/03/2026", {}},
                   });
}

TEST(DateGrammarsTest, LooseIso) {
    expectReadings(Grammar::LooseIso, {
                                          {"2026-3-29", wallClock(kDay)},
                                          {"2026-03-29", wallClock(kDay)},
                                          {"2026-3-9 9:05", wallClock({2026, 3, 9}, {9, 5})},
                                          {"2026-3-29 10:30:15", wallClock(kDay, {10, 30, 15})},
                                          {"2026-03-29T10:30:15.7", wallClock(kDay, {10, 30, 15})},
                                          {"20260329", {}},
                                          {"2026-13-01", {}},
                                          {"2026-3-29 10:3", {}},
                                          {"2026-003-29", {}},
                                          {"2026-3-29 25:00", {}},
                                      });
}

TEST(DateGrammarsTest, DayFirst) {
    expectReadings(Grammar::DayFirst, {
                                          {"29/03/2026", wallClock(kDay)},
                                          {"29/3/26", wallClock(kDay)},
                                          {"1.2.30", wallClock({1930, 2, 1})},
                                          {"01-02-29", wallClock({2029, 2, 1})},
                                          {"29/03/2026 10:30", wallClock(kDay, {10, 30})},
                                          {"29/03/2026   9:5:7", wallClock(kDay, {9, 5, 7})},
                                          {"29/03/2026 02:30", wallClock(kDay, {2, 30})},
                                          {"29/03-2026", {}},
                                          {"31/02/2024", {}},
                                          {"29/03/2026 24:00", {}},
                                          {"29/03/202", {}},
                                          {"29/03/2026T10:30", {}},
                                          {"2026-03-29", {}},
                                      });
}

TEST(DateGrammarsTest, DayFirstDate) {
    expectReadings(Grammar::DayFirstDate, {
                                              {"29/03/2026", wallClock(kDay)},
                                              {"29.3.26", wallClock(kDay)},
                                              {"29/03/2026 10:30", {}},
                                              {"2026-03-29", {}},
                                              {"30/02/2026", {}},
                                          });
}

TEST(DateGrammarsTest, VbTimeOfDay) {
    expectReadings(Grammar::VbTimeOfDay, {
                                             {"10:30", wallClock(kVbDayZero, {10, 30})},
                                             {"9:5:7", wallClock(kVbDayZero, {9, 5, 7})},
                                             {"23:59:59", wallClock(kVbDayZero, {23, 59, 59})},
                                             {"24:00", {}},
                                             {"10", {}},
                                             {"10:30 PM", {}},
                                             {"10:30:15.5", {}},
                                         });
}

TEST(DateGrammarsTest, SqlServerTimeOfDay) {
    expectReadings(Grammar::SqlServerTimeOfDay,
                   {
                       {"10:30", wallClock(kSqlServerDayZero, {10, 30})},
                       {"4 PM", wallClock(kSqlServerDayZero, {16, 0})},
                       {"12 AM", wallClock(kSqlServerDayZero, {0, 0})},
                       {"12:30 pm", wallClock(kSqlServerDayZero, {12, 30})},
                       {"10:30:15.5", wallClock(kSqlServerDayZero, {10, 30, 15, 500})},
                       {"10:30:15:5", wallClock(kSqlServerDayZero, {10, 30, 15, 5})},
                       {"10:30:15.1234", {}},
                       {"13 PM", {}},
                       {"10", {}},
                       {"25:00", {}},
                   });
}

// CONVERT's numeric styles: the fields in the style's order, the year of four digits, then
// optionally a time as SQL Server reads one.
TEST(DateGrammarsTest, ConvertStyles) {
    expectReadings(Grammar::MonthDayYearSlash, {
                                                   {"03/29/2026", wallClock(kDay)},
                                                   {"3/29/2026 4 PM", wallClock(kDay, {16, 0})},
                                                   {"29/03/2026", {}},
                                                   {"03/29/26", {}},
                                                   {"2026/03/29", {}},
                                               });
    expectReadings(Grammar::YearMonthDayDot,
                   {
                       {"2026.03.29", wallClock(kDay)},
                       {"2026.3.9 10:30", wallClock({2026, 3, 9}, {10, 30})},
                       {"29.03.2026", {}},
                   });
    expectReadings(Grammar::DayMonthYearSlash,
                   {
                       {"29/03/2026", wallClock(kDay)},
                       {"29/03/2026 10:30:15", wallClock(kDay, {10, 30, 15})},
                       {"29/03/2026 10:30 x", {}},
                       {"29-03-2026", {}},
                   });
    expectReadings(Grammar::DayMonthYearDot, {
                                                 {"29.03.2026", wallClock(kDay)},
                                                 {"29/03/2026", {}},
                                             });
    expectReadings(Grammar::DayMonthYearDash, {
                                                  {"29-03-2026", wallClock(kDay)},
                                                  {"29-03-2026 25:00", {}},
                                              });
    expectReadings(Grammar::YearMonthDaySlash, {
                                                   {"2026/03/29", wallClock(kDay)},
                                                   {"2026/02/30", {}},
                                               });
}

// A reader trims the text and takes the reading of the first grammar of its list that reads
// it; a grammar alone takes the text as it is.
TEST(DateGrammarsTest, AReaderTakesTheFirstOfItsGrammarsThatReadsTheText) {
    const Grammar vbFirst[] = {Grammar::VbTimeOfDay, Grammar::SqlServerTimeOfDay};
    const Grammar sqlServerFirst[] = {Grammar::SqlServerTimeOfDay, Grammar::VbTimeOfDay};
    EXPECT_EQ(vb::dates::read(vbFirst, u" 10:30 "), wallClock(kVbDayZero, {10, 30}));
    EXPECT_EQ(vb::dates::read(sqlServerFirst, u" 10:30 "), wallClock(kSqlServerDayZero, {10, 30}));
    EXPECT_EQ(vb::dates::read(vbFirst, u"4 PM"), wallClock(kSqlServerDayZero, {16, 0}));
    EXPECT_EQ(vb::dates::read(vbFirst, u"29/03/2026"), std::nullopt);
    EXPECT_EQ(vb::dates::read(Grammar::VbTimeOfDay, u" 10:30"), std::nullopt);
}

}  // namespace
