#include "platform/vendrix/clsutil.h"

#include "platform/vb/conversions.h"
#include "platform/vb/steps.h"
#include "tests/support/fixtures.h"
#include "tests/support/scripted_operator.h"

#include <QSet>

#include <gtest/gtest.h>

namespace {

const QLocale kArgentina(QLocale::Spanish, QLocale::Argentina);

vb::Currency money(const char* text) {
    vb::Currency c;
    EXPECT_TRUE(vb::Currency::parse(text, &c)) << text;
    return c;
}

TEST(ClsUtilTest, DecodificaUndoesCodificaForAnyText) {
    const QString texts[] = {
        "",
        "a",
        "sa",
        "EMPRESA",
        "Contraseña ñandú",
        "con, coma",
        "comillas \" y '",
        "dos  blancos ",
        "línea\r\nnueva\n",
        "日本語 😀",
        QString(1000, u'x'),
        QString::fromLatin1("nul\0medio", 9),
    };
    for (const QString& text : texts) {
        SCOPED_TRACE(text.toStdString());
        const QString scrambled = gUtil().Codifica(text);
        EXPECT_EQ(gUtil().Decodifica(scrambled), text);
        for (QChar forbidden : QStringLiteral(",\"' \r\n"))
            EXPECT_FALSE(scrambled.contains(forbidden));
        if (!text.isEmpty()) {
            EXPECT_NE(scrambled, text);
        }
    }
}

// A plain substitution would show a repeated letter as a repeated code.
TEST(ClsUtilTest, CodificaHidesRepeatedCharacters) {
    const QString scrambled = gUtil().Codifica("aaaaaaaa");
    QSet<QString> codes;
    for (int i = 0; i < 16; i += 2) codes.insert(scrambled.mid(i, 2));
    EXPECT_GT(codes.size(), 4);
}

TEST(ClsUtilTest, DecodificaLeavesAHandTypedValueAsItIs) {
    for (const QString& typed : {QString("secreto"), QString("ABCDEF"), QString("12")}) {
        SCOPED_TRACE(typed.toStdString());
        EXPECT_EQ(gUtil().Decodifica(typed), typed);
    }
}

TEST(ClsUtilTest, RellenaPadsWithTrailingBlanksAndAlineaDerechaRightAligns) {
    struct Case {
        const char* text;
        int width;
        const char* expected;
    } cases[] = {
        {"1", 4, "1   "},      {"OT", 4, "OT  "}, {"ABCD", 4, "ABCD"},
        {"ABCDE", 4, "ABCDE"}, {"", 2, "  "},     {"sin ancho", -1, "sin ancho"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(gUtil().Rellena(c.text, c.width), c.expected);
    }
    EXPECT_EQ(gUtil().AlineaDerecha("12,50", 7), "  12,50");
    EXPECT_EQ(gUtil().AlineaDerecha("12345,50", 7), "12345,50");
}

TEST(ClsUtilTest, AjustaTextoGivesExactlyNCharacters) {
    EXPECT_EQ(gUtil().AjustaTexto("abc", 5), "abc  ");
    EXPECT_EQ(gUtil().AjustaTexto("abcdef", 3), "abc");
    EXPECT_EQ(gUtil().AjustaTexto("abc", 3), "abc");
    EXPECT_EQ(gUtil().AjustaTexto("abc", 0), "");
}

TEST(ClsUtilTest, ValorNumericoTakesThePointAndTheLocaleSeparator) {
    struct Case {
        const char* text;
        const char* expected;
    };
    {
        zxtest::ScopedLocale locale(kArgentina);
        const Case cases[] = {
            {"12,5", "12.5"},   {"12.5", "12.5"}, {"1.234,56", "1234.56"}, {"1,234.56", "1234.56"},
            {"-3,25", "-3.25"}, {" 7 ", "7"},     {"0,12345", "0.1234"},   {"0,12355", "0.1236"},
            {"", "0"},          {"abc", "0"},     {"12abc", "0"},          {"1,2,3", "0"},
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(c.text);
            EXPECT_EQ(gUtil().ValorNumerico(QString(c.text)), money(c.expected));
        }
    }
    {
        zxtest::ScopedLocale locale(QLocale::c());
        const Case cases[] = {
            {"12.5", "12.5"},
            {"1,234.5", "1234.5"},
            {"-0.75", "-0.75"},
            {"12,5", "0"},
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(c.text);
            EXPECT_EQ(gUtil().ValorNumerico(QString(c.text)), money(c.expected));
        }
    }
    EXPECT_EQ(gUtil().ValorNumerico(money("8.25")), money("8.25"));
    EXPECT_EQ(gUtil().ValorNumerico(3), money("3"));
    EXPECT_EQ(gUtil().ValorNumerico(vb::Variant::null()), money("0"));
}

// An amount past the range of money is an overflow, whether it comes as a text or a number,
// never another amount.
TEST(ClsUtilTest, ValorNumericoPastTheRangeOfMoneyIsAnOverflow) {
    zxtest::ScopedLocale locale(kArgentina);
    const vb::Variant valores[] = {vb::Variant(QStringLiteral("100000000000000000000")),
                                   vb::Variant(1e20), vb::Variant(-1e20), vb::Variant(9.3e14)};
    for (const vb::Variant& v : valores) {
        SCOPED_TRACE(vb::CStr(v).toStdString());
        EXPECT_EQ(zxtest::raisedNumber([&] { gUtil().ValorNumerico(v); }), vb::err::Overflow);
    }
}

TEST(ClsUtilTest, ValorEnteroKeepsTheWholePart) {
    zxtest::ScopedLocale locale(kArgentina);
    EXPECT_EQ(gUtil().ValorEntero(QString("2")), 2);
    EXPECT_EQ(gUtil().ValorEntero(QString("3,7")), 3);
    EXPECT_EQ(gUtil().ValorEntero(QString("-3,7")), -3);
    EXPECT_EQ(gUtil().ValorEntero(QString("x")), 0);
}

TEST(ClsUtilTest, BarraFinalEndsInExactlyOneSlash) {
    const std::pair<const char*, const char*> cases[] = {
        {"/opt/zx", "/opt/zx/"},
        {"/opt/zx/", "/opt/zx/"},
        {"/opt/zx//", "/opt/zx/"},
        {"C:\\Vendrix\\", "C:/Vendrix/"},
        {"/", "/"},
        {"", ""},
    };
    for (const auto& [folder, expected] : cases) {
        SCOPED_TRACE(folder);
        EXPECT_EQ(gUtil().BarraFinal(folder), expected);
    }
}

TEST(ClsUtilTest, FormulaValorWritesTheReportDateLiteral) {
    EXPECT_EQ(gUtil().FormulaValor(QDate(2024, 3, 5)), "Date(2024,03,05)");
    EXPECT_EQ(gUtil().FormulaValor(QString("5/3/2024")), "Date(2024,03,05)");
    EXPECT_EQ(gUtil().FormulaValor(QString("31/12/99 10:30")), "Date(1999,12,31)");
    try {
        gUtil().FormulaValor(QString("31/02/2024"));
        ADD_FAILURE() << "a date that does not exist was accepted";
    } catch (const vb::VbError& e) {
        EXPECT_EQ(e.Number, vb::err::TypeMismatch);
    }
}

TEST(ClsUtilTest, TextOperations) {
    EXPECT_EQ(gUtil().NuloAVacio(vb::Variant::null()), "");
    EXPECT_EQ(gUtil().NuloAVacio(vb::Variant()), "");
    EXPECT_EQ(gUtil().NuloAVacio(5), "5");
    EXPECT_EQ(gUtil().NuloAVacio(QString("x")), "x");

    EXPECT_EQ(gUtil().QuitaCaracter("a|b|c", "|"), "abc");
    EXPECT_EQ(gUtil().QuitaCaracter(QString("L1\u00FFL2"), QString(QChar(0xFF)), "|"), "L1|L2");
    EXPECT_EQ(gUtil().QuitaCaracter(QString::fromLatin1("ab\0\0", 4), QString(QChar(0))), "ab");

    EXPECT_EQ(gUtil().Reemplaza("a|b|", "|", ","), "a,b,");
    EXPECT_EQ(gUtil().Reemplaza("v_ma_articulos", "V_MA_ARTICULOS", "X"), "v_ma_articulos");
    EXPECT_EQ(gUtil().ReemplazaTexto("from v_ma_Articulos", "V_MA_ARTICULOS", "VT_MA_ARTICULOS"),
              "from VT_MA_ARTICULOS");

    EXPECT_EQ(gUtil().CuentaPalabras(""), 0);
    EXPECT_EQ(gUtil().CuentaPalabras("CLIENTES"), 1);
    EXPECT_EQ(gUtil().CuentaPalabras(" select  *\tfrom t "), 4);

    EXPECT_EQ(gUtil().RecortaFijo("COM1   "), "COM1");
    EXPECT_EQ(gUtil().RecortaFijo(QString::fromLatin1(" a b\0\0", 6)), " a b");

    EXPECT_TRUE(gUtil().EstaEnLista("NCC", {"RMC", "OC", "NCC"}));
    EXPECT_FALSE(gUtil().EstaEnLista("NC", {"RMC", "OC", "NCC"}));

    EXPECT_EQ(gUtil().LimpiaTexto("a\x01"
                                  "b\tc\r\nd\x7f"),
              "ab\tc\r\nd");
    EXPECT_EQ(gUtil().TransformaTexto(" igual "), " igual ");
}

TEST(ClsUtilTest, PartesRutaSplitsAPath) {
    QString folder, name, extension, file;
    gUtil().PartesRuta("C:\\fotos\\a.b.JPG", folder, name, extension, file);
    EXPECT_EQ(folder, "C:/fotos/");
    EXPECT_EQ(name, "a.b");
    EXPECT_EQ(extension, "JPG");
    EXPECT_EQ(file, "a.b.JPG");
    gUtil().PartesRuta("sinextension", folder, name, extension, file);
    EXPECT_EQ(folder, "");
    EXPECT_EQ(name, "sinextension");
    EXPECT_EQ(extension, "");
}

TEST(ClsUtilTest, PideFechaOpensOnTodayAndGivesTheChosenDay) {
    zxtest::FixedClock clock(QDateTime(QDate(2024, 5, 17), QTime(9, 0)));
    zxtest::ScriptedOperator op;
    op.date(QDate(2024, 2, 9)).date(std::nullopt);
    EXPECT_EQ(gUtil().PideFecha(), "09/02/2024");
    EXPECT_EQ(gUtil().PideFecha(), "");
    ASSERT_EQ(op.prompts().size(), 2);
    EXPECT_EQ(op.prompts()[0].text, "2024-05-17");
}

TEST(ClsUtilTest, MuestraErrorAsksAndGivesTheAnswer) {
    zxtest::ScriptedOperator op;
    op.answer(vb::vbRetry);
    EXPECT_EQ(gUtil().MuestraError(vb::VbError(53, "File not found", "DatosBase")), vb::vbRetry);
    ASSERT_EQ(op.messages().size(), 1);
    EXPECT_EQ(op.messages()[0].text, "Error 53\r\nFile not found");
    EXPECT_EQ(op.messages()[0].title, "DatosBase");
    EXPECT_EQ(op.messages()[0].style, vb::vbAbortRetryIgnore + vb::vbCritical);
}

}  // namespace
