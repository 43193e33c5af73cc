#include "voucherdata/fmtnroas400.h"
#include "voucherdata/series_lotes.h"

#include "tests/support/fixtures.h"

#include <gtest/gtest.h>

namespace {

struct As400Case {
    const char* valor;
    std::int16_t enteros;
    std::int16_t decimales;
    const char* esperado;
};

TEST(FormatoNumeroAS400, FixedWidthDigitsWithTheLocalesSeparator) {
    zxtest::ScopedLocale es(QLocale(QLocale::Spanish, QLocale::Argentina));
    const As400Case casos[] = {
        {"1234,5", 13, 2, "000000000123450"},
        {"12", 13, 2, "000000000001200"},
        {"1,23456789", 13, 6, "0000000000001234567"},  // cut, not rounded
        {"-5,5", 13, 2, "-000000000000550"},
        {"-0,5", 13, 2, "-000000000000050"},  // the sign of a value above -1 is kept
        {"1234", 13, 0, "0000000001234"},
        {"12345678901234,5", 13, 2, "1234567890123450"},  // more whole digits than asked
    };
    for (const As400Case& c : casos) {
        SCOPED_TRACE(c.valor);
        EXPECT_EQ(FmtNroAS400::FormatoNumeroAS400(c.valor, c.enteros, c.decimales), c.esperado);
    }
}

TEST(FormatoNumeroAS400, PointIsTheSeparatorWhereTheLocaleSaysSo) {
    zxtest::ScopedLocale c(QLocale::c());
    EXPECT_EQ(FmtNroAS400::FormatoNumeroAS400("850.25", 13, 6), "0000000000850250000");
}

TEST(CuentaSeriesYLotes, SplitsOnBarsWithOneEmptyElementAfterTheLast) {
    const struct {
        const char* lista;
        QStringList elementos;
    } casos[] = {
        {"", {""}},
        {"L1", {"L1", ""}},
        {"L1|L2|L3", {"L1", "L2", "L3", ""}},
        {" L1 | L2 ", {"L1", "L2", ""}},
        {"|L1|", {"L1", ""}},
        {"L1||L2", {"L1", "", "L2", ""}},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.lista);
        QStringList elementos{"previo", "valor"};
        ModGlobal::Cuenta_Series_Y_Lotes(c.lista, elementos);
        EXPECT_EQ(elementos, c.elementos);
    }
}

TEST(CuentaSeriesLotes, KeepsTheBatchesWhosePartnerIsAPositiveNumber) {
    const struct {
        const char* lotes;
        const char* series;
        const char* resultado;
        const char* lotesDespues;
    } casos[] = {
        {"L1|L2|L3", "5|0|2", "L1 L3 ", "L1|L2|L3"},
        {"L1|L2|L3", "", "", "L1|L2|L3"},
        {"L1|L2|L3", "5", "L1 ", "L1|L2|L3"},       // nothing beyond the last entry
        {"L1|L2|L3", "x|3|-1", "L2 ", "L1|L2|L3"},  // entries that are no numbers select nothing
        {"|L1|L2", "|0|1", "L2 ", "|L1|L2"},
        {"L1\u00FF|L2\u00FF", "1|1", "L1 L2 ", "L1|L2"},  // Chr(255) leaves the caller's list
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.lotes);
        QString lotes = QString::fromUtf8(c.lotes);
        QString series = QString::fromUtf8(c.series);
        EXPECT_EQ(ModGlobal::Cuenta_Series_Lotes(lotes, series), c.resultado);
        EXPECT_EQ(lotes, QString::fromUtf8(c.lotesDespues));
    }
}

}  // namespace
