#include "platform/vb/conversions.h"
#include "platform/vb/vberror.h"
#include "tests/support/fixtures.h"

#include <gtest/gtest.h>

using vb::Variant;

namespace {

const QLocale kArgentina(QLocale::Spanish, QLocale::Argentina);

TEST(VariantTest, EmptyNullAndEmptyTextStayDistinct) {
    const Variant empty;
    const Variant null = Variant::null();
    const Variant blank = QString();
    EXPECT_TRUE(empty.isEmpty());
    EXPECT_TRUE(null.isNull());
    EXPECT_TRUE(blank.isString());
    EXPECT_NE(empty, null);
    EXPECT_NE(empty, blank);
    EXPECT_NE(null, blank);
    EXPECT_EQ(vb::CStr(empty), QString());
    EXPECT_EQ(vb::CStr(blank), QString());
    EXPECT_THROW(vb::CStr(null), vb::VbError);
    EXPECT_EQ(vb::Format(null, "0.00"), QString());
    EXPECT_EQ(vb::CDbl(empty), 0.0);
}

TEST(VariantTest, SixtyFourBitWholeNumbersKeepEveryDigit) {
    const Variant big(9007199254740993LL);  // 2^53 + 1: not representable as a double
    EXPECT_EQ(big.wholeNumber(), 9007199254740993LL);
    EXPECT_EQ(vb::CStr(big), QStringLiteral("9007199254740993"));
    EXPECT_EQ(vb::CCur(Variant(123456789012LL)).scaled(), 1234567890120000LL);
    EXPECT_THROW(Variant(1.5).wholeNumber(), vb::VbError);
}

TEST(VariantTest, CurrencyKeepsFourDecimalsExactly) {
    zxtest::ScopedLocale locale(kArgentina);
    vb::Currency sum;
    for (int i = 0; i < 10; ++i) sum = sum + vb::CCur(Variant("0,1"));
    EXPECT_EQ(sum, vb::Currency::fromScaled(10000));
    EXPECT_EQ(vb::Currency::fromDouble(1.00005).scaled(), 10000);  // half to even
    EXPECT_EQ(vb::Currency::fromDouble(1.00015).scaled(), 10002);
    vb::Currency parsed;
    ASSERT_TRUE(vb::Currency::parse("-12.34565", &parsed));
    EXPECT_EQ(parsed.scaled(), -123456);
    EXPECT_FALSE(vb::Currency::parse("12a", &parsed));
    EXPECT_EQ(vb::Currency::fromScaled(125000).toPlainString(), QStringLiteral("12.5"));
}

// Both ends of Currency's range are amounts like any other: read from a text, written back
// with every digit, and reached from a double.
TEST(VariantTest, CurrencyHoldsBothEndsOfItsRange) {
    const struct {
        const char* text;
        std::int64_t scaled;
    } ends[] = {
        {"922337203685477.5807", INT64_MAX},
        {"-922337203685477.5808", INT64_MIN},
        {"-922337203685477.5807", -INT64_MAX},
    };
    for (const auto& e : ends) {
        SCOPED_TRACE(e.text);
        vb::Currency parsed;
        ASSERT_TRUE(vb::Currency::parse(QString::fromLatin1(e.text), &parsed));
        EXPECT_EQ(parsed.scaled(), e.scaled);
        EXPECT_EQ(parsed.toPlainString(), QString::fromLatin1(e.text));
    }
    vb::Currency beyond;
    EXPECT_FALSE(vb::Currency::parse("922337203685477.5808", &beyond));
    EXPECT_FALSE(vb::Currency::parse("-922337203685477.5809", &beyond));
    EXPECT_FALSE(vb::Currency::parse("-922337203685477.58086", &beyond));
    EXPECT_EQ(vb::Currency::fromDouble(921000000000000.0).scaled(), 9210000000000000000LL);
    EXPECT_EQ(vb::Currency::fromDouble(-922000000000000.0).scaled(), -9220000000000000000LL);
}

struct ValCase {
    const char* text;
    double value;
};

TEST(ConversionsTest, ValReadsTheLeadingNumber) {
    const ValCase cases[] = {
        {"12abc", 12},
        {"  1 2 3", 123},
        {"-3.5xyz", -3.5},
        {"abc", 0},
        {"", 0},
        {"1,5", 1},
        {"&H1F", 31},
        {"&O17", 15},
        {"1e3", 1000},
        {"2E", 2},
        {".5", 0.5},
        {"+7", 7},
        {"1.2.3", 1.2},
        // One exponent, whole: what follows it ends the number.
        {"1e2e3", 100},
        {"1E2.5", 100},
        {"1d2e3", 100},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_DOUBLE_EQ(vb::Val(c.text), c.value);
    }
}

TEST(ConversionsTest, NumberConversionsFollowTheLocale) {
    zxtest::ScopedLocale locale(kArgentina);
    EXPECT_DOUBLE_EQ(vb::CDbl(Variant("1,5")), 1.5);
    EXPECT_DOUBLE_EQ(vb::CDbl(Variant("1.234,5")), 1234.5);
    EXPECT_EQ(vb::CStr(Variant(1.5)), QStringLiteral("1,5"));
    EXPECT_EQ(vb::CStr(Variant(vb::Currency::fromScaled(12345))), QStringLiteral("1,2345"));
    EXPECT_THROW(vb::CDbl(Variant("abc")), vb::VbError);
    EXPECT_TRUE(vb::IsNumeric(Variant("1,5")));
    EXPECT_FALSE(vb::IsNumeric(Variant("1,5x")));
    EXPECT_FALSE(vb::IsNumeric(Variant::null()));
}

// A number's text is its fifteen significant digits, trailing zeros dropped, the decimal
// separator the locale's; prices and quantities with few decimals included.
TEST(ConversionsTest, NumberTextsAreFifteenSignificantDigits) {
    zxtest::ScopedLocale locale(kArgentina);
    const struct {
        double in;
        const char* out;
    } cases[] = {
        {6248.75, "6248,75"},
        {-6248.75, "-6248,75"},
        {10.46, "10,46"},
        {0.0001, "0,0001"},
        {0.00015, "0,00015"},
        {1e-5, "1E-05"},
        {123456789.1234, "123456789,1234"},
        {9999999999.9999, "9999999999,9999"},
        {12345678901.5, "12345678901,5"},
        {1e15, "1E+15"},
        {123456789012345.0, "123456789012345"},
        {-0.5, "-0,5"},
        {125000, "125000"},
        {1.0 / 3, "0,333333333333333"},
        {2.675, "2,675"},
        {0.1 + 0.2, "0,3"},
        {-0.0, "0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.out);
        EXPECT_EQ(vb::CStr(Variant(c.in)), QString::fromUtf8(c.out));
    }
}

TEST(ConversionsTest, WholeNumbersRoundHalfToEven) {
    const struct {
        double in;
        int out;
    } cases[] = {{0.5, 0}, {1.5, 2}, {2.5, 2}, {-2.5, -2}, {3.5, 4}, {2.6, 3}, {-0.4, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(vb::CLng(Variant(c.in)), c.out);
        EXPECT_EQ(vb::CInt(Variant(c.in)), c.out);
    }
    EXPECT_EQ(vb::CLng(Variant(vb::Currency::fromScaled(25000))), 2);
    EXPECT_EQ(vb::CLng(Variant(vb::Currency::fromScaled(35000))), 4);
    EXPECT_EQ(vb::CLng(Variant(true)), -1);
    EXPECT_THROW(vb::CInt(Variant(40000)), vb::VbError);
    EXPECT_THROW(vb::CLng(Variant(3e9)), vb::VbError);
    try {
        vb::CInt(Variant(40000));
    } catch (const vb::VbError& e) {
        EXPECT_EQ(e.Number, vb::err::Overflow);
    }
}

TEST(ConversionsTest, BooleansFromTextAndNumbers) {
    EXPECT_TRUE(vb::CBool(Variant("true")));
    EXPECT_FALSE(vb::CBool(Variant("FALSE")));
    EXPECT_TRUE(vb::CBool(Variant(-1)));
    EXPECT_FALSE(vb::CBool(Variant(0.0)));
    EXPECT_TRUE(vb::CBool(Variant("2")));
    EXPECT_FALSE(vb::CBool(Variant()));
    EXPECT_THROW(vb::CBool(Variant("SI")), vb::VbError);
}

struct DateCase {
    const char* text;
    const char* iso;  // nullptr: not a date
};

TEST(ConversionsTest, DatesAreReadDayFirst) {
    const DateCase cases[] = {
        {"9/12/26", "2026-12-09T00:00:00"},
        {"09/12/2026 14:05", "2026-12-09T14:05:00"},
        {"1/2/29", "2029-02-01T00:00:00"},
        {"1/2/30", "1930-02-01T00:00:00"},
        {"31/12/99 23:59:59", "1999-12-31T23:59:59"},
        {"29/02/2024", "2024-02-29T00:00:00"},
        {"2026-12-09 08:30:00", "2026-12-09T08:30:00"},
        {"14:30", "1899-12-30T14:30:00"},
        {"31/02/2024", nullptr},
        {"29/02/2023", nullptr},
        {"13/13/2024", nullptr},
        {"1/2/024", nullptr},
        {"25/12/2024 25:00", nullptr},
        {"hoy", nullptr},
        {"", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const Variant v(c.text);
        if (c.iso) {
            ASSERT_TRUE(vb::IsDate(v));
            EXPECT_EQ(vb::CDate(v).toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")),
                      QString::fromLatin1(c.iso));
        } else {
            EXPECT_FALSE(vb::IsDate(v));
            EXPECT_THROW(vb::CDate(v), vb::VbError);
        }
    }  // A fraction of a second in an ISO text is kept, as it is when the same text is read from a
    // row.
    EXPECT_EQ(vb::CDate(Variant(QStringLiteral("2026-03-29 10:30:15.997"))),
              vb::wallClock(QDate(2026, 3, 29), QTime(10, 30, 15, 997)));
    // However long the fraction, as a row reads it: rounded to the millisecond.
    EXPECT_EQ(vb::CDate(Variant(QStringLiteral("2026-03-29 10:30:15.9974999999999"))),
              vb::wallClock(QDate(2026, 3, 29), QTime(10, 30, 15, 997)));
    EXPECT_EQ(vb::CDate(Variant(QStringLiteral("2026-03-29 23:59:59.99950000000000"))),
              vb::wallClock(QDate(2026, 3, 30)));
}

TEST(ConversionsTest, DatesAndNumbersConvertLikeVb) {
    const vb::DateTime dt = vb::wallClock(QDate(2000, 1, 1), QTime(12, 0));
    EXPECT_DOUBLE_EQ(vb::CDbl(Variant(dt)), 36526.5);
    EXPECT_EQ(vb::CDate(Variant(36526.5)), dt);
    EXPECT_EQ(vb::CStr(Variant(dt)), QStringLiteral("01/01/2000 12:00:00"));
    EXPECT_EQ(vb::CStr(Variant(QDate(2000, 1, 1))), QStringLiteral("01/01/2000"));
}

// A day count outside the dates a Date holds (1 January 100 to 31 December 9999) is an
// Overflow (6) on either side, as a number and as its text; the two ends are dates.
TEST(ConversionsTest, ADayCountPastEitherEndOfTheDatesIsAnOverflow) {
    const Variant outside[] = {Variant(-700000),   Variant(-657435),   Variant(2958466),
                               Variant(3000000.0), Variant("-700000"), Variant("3000000")};
    for (const Variant& v : outside) {
        SCOPED_TRACE(vb::CStr(v).toStdString());
        EXPECT_EQ(zxtest::raisedNumber([&] { vb::CDate(v); }), vb::err::Overflow);
    }
    EXPECT_EQ(vb::CDate(Variant(-657434)), vb::wallClock(QDate(100, 1, 1)));
    EXPECT_EQ(vb::CDate(Variant(2958465)), vb::wallClock(QDate(9999, 12, 31)));
}

struct FormatCase {
    Variant value;
    const char* mask;
    const char* expected;
};

TEST(ConversionsTest, FormatMasksWithTheArgentineLocale) {
    zxtest::ScopedLocale locale(kArgentina);
    const vb::DateTime dt = vb::wallClock(QDate(2026, 3, 7), QTime(9, 5, 4));
    const FormatCase cases[] = {
        {1234.5, "###,##0.00", "1.234,50"},
        {1234.5, "###0.00", "1234,50"},
        {0.5, "#####.00", ",50"},
        {5, "#####00", "05"},
        {123, "#####00", "123"},
        {1234.6, "###,###,###,###0.", "1.235,"},
        {2.5, "0", "3"},
        {-2.5, "0", "-3"},
        {1.005, "0.00", "1,01"},
        {25.5, "#.#", "25,5"},
        {2, "#.#", "2,"},
        {1.5, "0.0#", "1,5"},
        {0, "#,##0.00", "0,00"},
        {-1234.5, "#,##0.00", "-1.234,50"},
        {-5, "0;(0)", "(5)"},
        {0, "0;(0);\"cero\"", "cero"},
        {7, "0000", "0007"},
        {123456, "000-000", "123-456"},
        {0.256, "0.0%", "25,6%"},
        {Variant("1234,5"), "#,##0.00", "1.234,50"},
        {Variant(), "0.00", "0,00"},
        {dt, "dd/mm/yy hh:mm", "07/03/26 09:05"},
        {dt, "hh:mm:ss", "09:05:04"},
        {dt, "mm-dd-yyyy", "03-07-2026"},
        {dt, "hhmmss", "090504"},
        {dt, "HH:MM", "09:05"},
        {dt, "DD/MM/YY", "07/03/26"},
        {dt, "yyyy-MM-dd", "2026-03-07"},
        {dt, "yyyymmdd", "20260307"},
        {dt, "d/m/yyyy", "7/3/2026"},
        {Variant("07/03/2026"), "yyyy-mm-dd", "2026-03-07"},
        {Variant("10/12/2026"), "d", "10"},
        {dt, "d", "7"},
        {dt, "dd", "07"},
        {dt, "m", "3"},
        {Variant("10/12/2026"), " Short Date ", "10/12/2026"},
        {Variant("10/12/2026"), "dd", "10"},
        {Variant("10/12/2026"), "m", "12"},
        {Variant("10/12/2026"), "yy", "26"},
        {Variant("10/12/2026"), "d/m", "10/12"},
        {Variant("10/12/2026"), " dd/mm/yyyy ", " 10/12/2026 "},
        {Variant("10/12/2026 14:05"), " Short Time ", "14:05"},
        {Variant("10/12/2026 14:05"), " General Date ", "10/12/2026 14:05:00"},
        {12.5, " Fixed ", "12,50"},
        {-1234.5, "  Standard", "-1.234,50"},
        {0.5, "Percent ", "50,00%"},
        {1234.5, " General Number ", "1234,5"},
        {-1234567.891, "#,##0.00", "-1.234.567,89"},
        {123456789012345.0, "#,##0", "123.456.789.012.345"},
        {1e20, "0", "100000000000000000000"},
        {-0.5, "0", "-1"},
        {Variant(vb::Currency::fromScaled(INT64_MAX)), "#,##0.0000", "922.337.203.685.477,5807"},
        {Variant(vb::Currency::fromScaled(INT64_MIN)), "#,##0.0000", "-922.337.203.685.477,5808"},
        {Variant(vb::Currency::fromScaled(INT64_MIN)), "0", "-922337203685478"},
        {Variant(vb::Currency::fromScaled(INT64_MAX)), " Fixed ", "922337203685477,58"},
        {Variant(vb::Currency::fromScaled(INT64_MIN)), "Standard", "-922.337.203.685.477,58"},
        {Variant(vb::Currency::fromScaled(INT64_MAX)), "General Number", "922337203685477,5807"},
        {Variant(vb::Currency::fromScaled(12345)), " percent", "123,45%"},
        {dt, "  long time", "09:05:04"},
        {Variant("abc"), ">", "ABC"},
        {Variant("abc"), "0.00", "abc"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(QStringLiteral("%1 with \"%2\"")
                         .arg(zxtest::debugString(c.value), c.mask)
                         .toStdString());
        EXPECT_EQ(vb::Format(c.value, c.mask), QString::fromUtf8(c.expected));
    }
}

TEST(ConversionsTest, FormatUsesTheDotAndCommaOfTheCLocale) {
    zxtest::ScopedLocale locale(QLocale::c());
    EXPECT_EQ(vb::Format(1234.5, "###,##0.00"), QStringLiteral("1,234.50"));
    EXPECT_EQ(vb::CStr(Variant(0.1)), QStringLiteral("0.1"));
    EXPECT_EQ(vb::CStr(Variant(1e20)), QStringLiteral("1E+20"));
}

}  // namespace

// An amount past Currency's range (±922,337,203,685,477.5807) is error 6, never a wrapped or
// garbage amount on a voucher.
TEST(VariantTest, CurrencyPastItsRangeIsAnOverflow) {
    const vb::Currency max = vb::Currency::fromScaled(INT64_MAX);
    const vb::Currency min = vb::Currency::fromScaled(INT64_MIN);
    const vb::Currency cent = vb::Currency::fromScaled(100);
    const struct {
        const char* what;
        std::function<void()> action;
    } overflows[] = {
        {"a double past the range", [] { vb::Currency::fromDouble(1e15); }},
        {"a negative double past the range", [] { vb::Currency::fromDouble(-1e15); }},
        {"infinity", [] { vb::Currency::fromDouble(std::numeric_limits<double>::infinity()); }},
        {"not a number", [] { vb::Currency::fromDouble(std::nan("")); }},
        {"a sum past the top", [&] { (void)(max + cent); }},
        {"a difference past the bottom", [&] { (void)(min - cent); }},
        {"a text past the range", [] { vb::CCur(Variant(QStringLiteral("1e16"))); }},
    };
    for (const auto& o : overflows) {
        SCOPED_TRACE(o.what);
        EXPECT_EQ(zxtest::raisedNumber(o.action), vb::err::Overflow);
    }
    EXPECT_EQ((max - cent) + cent, max);
    EXPECT_EQ(vb::Currency::fromDouble(900000000000000.0).scaled(), 9000000000000000000LL);
}

namespace {

// A date's text as QDate::toString and QTime::toString write it: the reference the direct
// writing of the digits must match.
QString textoPorQt(const vb::DateTime& dt) {
    const bool hasTime = dt.time() != QTime(0, 0);
    const bool hasDate = dt.date() != QDate(1899, 12, 30);
    QString out;
    if (hasDate || !hasTime) out = dt.date().toString(QStringLiteral("dd/MM/yyyy"));
    if (hasTime) {
        if (!out.isEmpty()) out += u' ';
        out += dt.time().toString(QStringLiteral("HH:mm:ss"));
    }
    return out;
}

}  // namespace

TEST(ConversionsTest, DateTextsAreQtsOwnForEveryDateAndTime) {
    struct Caso {
        vb::DateTime fecha;
        const char* texto;
    };
    const Caso casos[] = {
        {vb::wallClock(QDate(2026, 12, 9)), "09/12/2026"},
        {vb::wallClock(QDate(2026, 12, 9), QTime(8, 5, 3)), "09/12/2026 08:05:03"},
        {vb::wallClock(QDate(2026, 12, 9), QTime(23, 59, 59, 999)), "09/12/2026 23:59:59"},
        // Midnight of the zero date is the date; a time on it is the time alone.
        {vb::wallClock(QDate(1899, 12, 30)), "30/12/1899"},
        {vb::wallClock(QDate(1899, 12, 30), QTime(14, 30)), "14:30:00"},
        {vb::wallClock(QDate(1899, 12, 30), QTime(0, 0, 0, 500)), "00:00:00"},
        {vb::wallClock(QDate(1899, 12, 31), QTime(0, 0, 1)), "31/12/1899 00:00:01"},
        {vb::wallClock(QDate(999, 1, 2)), "02/01/0999"},
        {vb::wallClock(QDate(5, 6, 7), QTime(1, 2, 3)), "07/06/0005 01:02:03"},
        {vb::wallClock(QDate(1, 1, 1)), "01/01/0001"},
        {vb::wallClock(QDate(-44, 3, 15)), "15/03/-0044"},
        {vb::wallClock(QDate(10000, 1, 1)), "01/01/10000"},
        {vb::wallClock(QDate(123456, 12, 31), QTime(12, 0)), "31/12/123456 12:00:00"},
        {vb::wallClock(QDate(9999, 12, 31), QTime(23, 59, 59)), "31/12/9999 23:59:59"},
        {vb::DateTime(), ""},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.texto);
        EXPECT_EQ(vb::CStr(Variant(c.fecha)), QString::fromLatin1(c.texto));
        EXPECT_EQ(vb::CStr(Variant(c.fecha)), textoPorQt(c.fecha));
    }

    // Every day from before the year 1 to past 10000, at times that change every field.
    const QTime horas[] = {QTime(0, 0),       QTime(0, 0, 1),         QTime(0, 1),
                           QTime(1, 0),       QTime(9, 59, 59),       QTime(10, 0, 10),
                           QTime(12, 34, 56), QTime(23, 59, 59, 999), QTime(0, 0, 0, 1)};
    int distintos = 0;
    for (QDate d(-1200, 1, 1); d <= QDate(10100, 12, 31); d = d.addDays(d.year() % 7 ? 37 : 1)) {
        const vb::DateTime dt = vb::wallClock(d, horas[(d.toJulianDay() & 0x7FFFFFFF) % 9]);
        const QString texto = vb::CStr(Variant(dt));
        if (texto != textoPorQt(dt)) {
            ADD_FAILURE() << d.toString(Qt::ISODate).toStdString() << ": " << texto.toStdString()
                          << " != " << textoPorQt(dt).toStdString();
            if (++distintos > 10) break;
        }
    }
    for (int ms = 0; ms < 86'400'000; ms += 997) {
        const vb::DateTime dt =
            vb::wallClock(QDate(1899, 12, 30 + (ms & 1)), QTime::fromMSecsSinceStartOfDay(ms));
        ASSERT_EQ(vb::CStr(Variant(dt)), textoPorQt(dt)) << ms;
    }
}
