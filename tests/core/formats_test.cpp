#include "core/formats.h"
#include "core/globals.h"
#include "platform/vb/conversions.h"
#include "tests/core/core_fixture.h"

#include <gtest/gtest.h>

namespace {

const QLocale kArgentina(QLocale::Spanish, QLocale::Argentina);

// One worked value: which procedure, its input and the text it gives.
struct Worked {
    enum Kind { Words, Amount, AmountPesos, Money, MoneyNoThousands, Hours } kind;
    const char* input;
    const char16_t* expected;
    int code = 0;                // FmtMoneda's decimals code
    const char* separator = "";  // FormatoHoras's configured "SeparadorHora"
};

QString run(const Worked& w) {
    switch (w.kind) {
        case Worked::Words:
            return ModGlobal::NumeroEnLetras(w.input);
        case Worked::Amount:
            return ModGlobal::ImporteEnLetras(w.input);
        case Worked::AmountPesos:
            return ModGlobal::ImporteEnLetras(w.input, 0, "pesos");
        case Worked::Money:
            return vb::CStr(ModGlobal::FmtMoneda(w.input, w.code, true));
        case Worked::MoneyNoThousands:
            return vb::CStr(ModGlobal::FmtMoneda(w.input, w.code, false));
        case Worked::Hours:
            return vb::CStr(ModGlobal::FormatoHoras(vb::Val(w.input)));
    }
    return {};
}

class FormatsTest : public coretest::CoreTest {};

TEST_F(FormatsTest, WorkedValuesInArgentina) {
    zxtest::ScopedLocale locale(kArgentina);
    abre();
    ModGlobal::gCantidadDecimales = " ";  // the key is missing: no configured decimals
    const Worked cases[] = {
        {Worked::Money, "1234,5", u"1.234,50", 2},
        {Worked::MoneyNoThousands, "1234,5", u"1234,50", 2},
        {Worked::Money, "1234.6", u"1.235", -2},
        {Worked::Money, "no es número", u"no es número", -3},
        {Worked::Money, "1234,5", u"1.234,50", 0},
        {Worked::Money, "1234,5", u"1.234,50", -1},
        {Worked::Money, "2,125", u"2,12", 2},
        {Worked::Money, "2,135", u"2,14", 2},
        {Worked::Money, "0,5", u"0", -2},
        {Worked::Money, "1,5", u"2", -2},
        {Worked::Money, "-1234567,891", u"-1.234.567,9", 1},
        {Worked::Money, "-1234567,891", u"-1.234.567,89", 2},
        {Worked::MoneyNoThousands, "-0,5", u"-0,50", 2},
        {Worked::Money, "-0,004", u"0,00", 2},
        {Worked::Money, "12345678901234", u"12.345.678.901.234,00", 2},
        {Worked::Money, "922337203685477,5807", u"922.337.203.685.477,5807", 4},
        {Worked::Money, "-922337203685477,5808", u"-922.337.203.685.477,5808", 4},
        {Worked::Money, "-922337203685477,5808", u"-922.337.203.685.477,58", 2},
        {Worked::MoneyNoThousands, "-922337203685477,5808", u"-922337203685477,58", 2},
        {Worked::Money, "  1.234,5  ", u"1.234,50", 2},
        {Worked::Money, "1,5E+3", u"1.500,00", 2},
        {Worked::Hours, "90", u"01:30"},
        {Worked::Hours, "605", u"10:05"},
        {Worked::Hours, "6000", u"100:00"},
        {Worked::Hours, "90", u"1.50", 0, "."},
        {Worked::Hours, "30", u".50", 0, "."},
        {Worked::Hours, "90", u"01h30", 0, "h"},
        {Worked::Words, "1", u"un"},
        {Worked::Words, "10", u"diez"},
        {Worked::Words, "15", u"quince"},
        {Worked::Words, "16", u"dieciseis"},
        {Worked::Words, "21", u"veintiun"},
        {Worked::Words, "31", u"treinta y un"},
        {Worked::Words, "100", u"cien"},
        {Worked::Words, "101", u"ciento un"},
        {Worked::Words, "115", u"ciento quince"},
        {Worked::Words, "999", u"novecientos noventa y nueve"},
        {Worked::Words, "2500", u"dos mil quinientos"},
        {Worked::Words, "2000000", u"dos millones"},
        {Worked::Words, "2000000000", u"dos mil millones"},
        {Worked::Words, "0", u"cero"},
        {Worked::Words, "0,5", u"cero"},
        {Worked::Words, "-21", u"menos veintiun"},
        {Worked::Words, "abc", u"cero"},
        {Worked::AmountPesos, "2500,5", u"dos mil quinientos pesos con 50/100"},
        {Worked::AmountPesos, "2500", u"dos mil quinientos pesos con 00/100"},
        {Worked::AmountPesos, "2500,00", u"dos mil quinientos pesos"},
        {Worked::AmountPesos, "0,75", u"cero pesos con 75/100"},
        {Worked::AmountPesos, "0,01", u"cero pesos con 01/100"},
        {Worked::AmountPesos, "7,01", u"siete pesos con 01/100"},
        {Worked::AmountPesos, "0,009", u"cero pesos"},
        {Worked::AmountPesos, "999999999999,99",
         u"novecientos noventa y nueve mil novecientos noventa y nueve millones novecientos "
         u"noventa y nueve mil novecientos noventa y nueve pesos con 99/100"},
        {Worked::AmountPesos, "12,349", u"doce pesos con 34/100"},
        {Worked::AmountPesos, "2 500,50", u"dos mil quinientos pesos con 50/100"},
        {Worked::Amount, "2500,5", u"dos mil quinientos con 50/100"},
        {Worked::Amount, "2500", u"dos mil quinientos con 00/100"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input);
        data.exec("DELETE FROM TA_CONFIGURACION");
        if (*c.separator)
            data.exec(QString("INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES "
                              "('SeparadorHora', '%1')")
                          .arg(c.separator));
        EXPECT_EQ(run(c), QString::fromUtf16(c.expected));
    }
}

// Twelve digits is all the words can say: a larger amount is an overflow, never a voucher
// reading " pesos con 00/100".
TEST(FormatTextsTest, AmountsBeyondTwelveDigitsAreAnOverflow) {
    zxtest::ScopedLocale locale(kArgentina);
    for (const char* importe : {"1000000000000", "1000000000000,5", "-1000000000000",
                                "100000000000000000000", "1E+20", "123456789012345,01"}) {
        SCOPED_TRACE(importe);
        try {
            const QString texto = ModGlobal::ImporteEnLetras(importe, 0, "pesos");
            ADD_FAILURE() << texto.toStdString();
        } catch (const vb::VbError& e) {
            EXPECT_EQ(e.Number, vb::err::Overflow);
        }
        try {
            const QString texto = ModGlobal::NumeroEnLetras(importe);
            ADD_FAILURE() << texto.toStdString();
        } catch (const vb::VbError& e) {
            EXPECT_EQ(e.Number, vb::err::Overflow);
        }
    }
}

TEST_F(FormatsTest, FormatoHorasHandsBackTheParts) {
    abre();
    data.exec("INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES ('SeparadorHora', '.')");
    std::int32_t horas = -1, minutos = -1;
    EXPECT_EQ(vb::CStr(ModGlobal::FormatoHoras(90, &horas, &minutos, true)), "01:30");
    EXPECT_EQ(horas, 1);
    EXPECT_EQ(minutos, 30);
    horas = minutos = -1;
    EXPECT_EQ(vb::CStr(ModGlobal::FormatoHoras(90, &horas, &minutos)), "1.50");
    EXPECT_EQ(horas, -1);  // decimal hours set no parts
}

// One thousand and one million are written the way Spanish writes them ("mil", "un millón"),
// never "un mil" or "un un millón".
TEST(FormatTextsTest, OneThousandAndOneMillionReadAsSpanishWritesThem) {
    const struct {
        const char* input;
        const char16_t* expected;
    } cases[] = {
        {"1000", u"mil"},
        {"1999", u"mil novecientos noventa y nueve"},
        {"1001", u"mil un"},
        {"21000", u"veintiun mil"},
        {"1000000", u"un millón"},
        {"1500000", u"un millón quinientos mil"},
        {"1999999", u"un millón novecientos noventa y nueve mil novecientos noventa y nueve"},
        {"1000000000", u"mil millones"},
        {"1001000000", u"mil un millones"},
        {"3001000", u"tres millones mil"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input);
        EXPECT_EQ(ModGlobal::NumeroEnLetras(c.input), QString::fromUtf16(c.expected));
    }
}

TEST(FormatTextsTest, FmtMonedaTakesTheConfiguredDecimals) {
    zxtest::ScopedLocale locale(kArgentina);
    ModGlobal::gCantidadDecimales = "3";
    EXPECT_EQ(vb::CStr(ModGlobal::FmtMoneda("1234,5", -1, true)), "1.234,500");
    ModGlobal::gCantidadDecimales = " ";
}

// An amount past what money holds (±922.337.203.685.477,5807) is an overflow, never another
// amount; the largest ones keep every digit.
TEST(FormatTextsTest, FmtMonedaBeyondTheRangeOfMoneyIsAnOverflow) {
    zxtest::ScopedLocale locale(kArgentina);
    for (const char* importe : {"100000000000000000000", "-100000000000000000000",
                                "922337203685478", "1E+20", "1.000.000.000.000.000,5"}) {
        SCOPED_TRACE(importe);
        try {
            const QString texto = vb::CStr(ModGlobal::FmtMoneda(importe, 2, true));
            ADD_FAILURE() << texto.toStdString();
        } catch (const vb::VbError& e) {
            EXPECT_EQ(e.Number, vb::err::Overflow);
        }
    }
    EXPECT_EQ(vb::CStr(ModGlobal::FmtMoneda("922337203685477,58", 2, true)),
              QStringLiteral("922.337.203.685.477,58"));
    EXPECT_EQ(vb::CStr(ModGlobal::FmtMoneda("-922337203685477,4", -2, false)),
              QStringLiteral("-922337203685477"));
}

// A locale with no monetary data still gets two decimals for code 0, never none.
TEST(FormatTextsTest, FmtMonedaCodeZeroWithoutMonetaryDataUsesTwoDecimals) {
    zxtest::ScopedLocale locale(QLocale::c());
    EXPECT_EQ(vb::CStr(ModGlobal::FmtMoneda("1234.5", 0, true)), "1,234.50");
}

TEST(FormatTextsTest, WidthPadsOrCutsTheWordsButNotTheZeroCentsTail) {
    zxtest::ScopedLocale locale(kArgentina);
    EXPECT_EQ(ModGlobal::ImporteEnLetras("12,5", 20), QStringLiteral("doce con 50/100     "));
    EXPECT_EQ(ModGlobal::ImporteEnLetras("12,5", 6), QStringLiteral("doce c"));
    EXPECT_EQ(ModGlobal::ImporteEnLetras("12", 6, "pesos"), QStringLiteral("doce p con 00/100"));
}

TEST(FormatTextsTest, DecimalSeparatorFollowsTheLocale) {
    {
        zxtest::ScopedLocale locale(kArgentina);
        EXPECT_EQ(ModGlobal::SeparadorDecimal(), QStringLiteral(","));
    }
    zxtest::ScopedLocale locale(QLocale::c());
    EXPECT_EQ(ModGlobal::SeparadorDecimal(), QStringLiteral("."));
    EXPECT_EQ(ModGlobal::ImporteEnLetras("2500.5"),
              QStringLiteral("dos mil quinientos con 50/100"));
}

}  // namespace
