#include "db/db_dll.h"

#include "tests/support/fixtures.h"

#include <gtest/gtest.h>

namespace {

using vb::Variant;

TEST(SQLValueTest, LiteralTable) {
    DB_Dll db;
    const struct {
        const char* name;
        Variant valor;
        const char* tipo;
        Variant expected;
    } cases[] = {
        {"number", 12.5, "@", "12.5"},
        {"whole number", 7, "@", "7"},
        {"text number", "12.5", "@", "12.5"},
        {"four decimals kept", 1.23456, "@", "1.2346"},
        {"text that is no number", "abc", "@", "0"},
        {"null number", Variant::null(), "@", "0"},
        {"text", "abc", "'", "'abc'"},
        {"apostrophe doubled", "a'b", "'", "'a''b'"},
        {"empty text", "", "'", "''"},
        {"null text", Variant::null(), "'", "NULL"},
        {"other kind", 5, "", 5},
        {"other kind text", "x", "#", "x"},
        {"other kind null", Variant::null(), "", "NULL"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(db.SQLValue(c.valor, QString::fromUtf8(c.tipo)), c.expected);
    }
}

TEST(SQLValueTest, NumbersUseAPointWithACommaDecimalLocale) {
    zxtest::ScopedLocale es(QLocale(QLocale::Spanish, QLocale::Argentina));
    DB_Dll db;
    EXPECT_EQ(db.SQLValue(12.5, "@"), Variant("12.5"));
    EXPECT_EQ(db.SQLValue("12,5", "@"), Variant("12.5"));
    EXPECT_EQ(db.SQLValue("1.234,5", "@"), Variant("1234.5"));
    EXPECT_EQ(db.SQLValue(1234567.25, "@"), Variant("1234567.25"));
    EXPECT_EQ(db.SQLValue(-0.5, "@"), Variant("-0.5"));
}

TEST(TypeCodeTest, Classifiers) {
    DB_Dll db;
    for (int code = -1; code <= 210; ++code) {
        SCOPED_TRACE(code);
        const bool date = code == 7 || code == 64 || (code >= 133 && code <= 135) || code == 137;
        const bool text = code == 8 || code == 129 || code == 130 || (code >= 200 && code <= 203);
        const bool numeric =
            (code >= 2 && code <= 5) || code == 14 || (code >= 16 && code <= 21) || code == 131;
        EXPECT_EQ(db.adodate(code), date);
        EXPECT_EQ(db.ADOText(code), text);
        EXPECT_EQ(db.ADONumeric(code), numeric);
        EXPECT_EQ(db.ADOCurrency(code), code == 6);
        EXPECT_EQ(db.ADOBoolean(code), code == 11);
        EXPECT_EQ(db.ADOComilla(code), date || text ? QStringLiteral("'") : QString());
    }
    EXPECT_TRUE(db.ADOText("200"));
    EXPECT_FALSE(db.ADOText(Variant()));
}

TEST(NameHelperTest, Table) {
    DB_Dll db;
    struct Case {
        const char* name;
        QString actual;
        const char* expected;
    };
    QString a = "dbo.TA_USUARIOS", b = "dbo.TA_USUARIOS", c = "base.dbo.TA_USUARIOS",
            d = "TA_USUARIOS", e = "TA_USUARIOS", f = "x.y";
    const Case cases[] = {
        {"stSTF owner", db.stSTF(a, 0), "dbo"},
        {"stSTF table", db.stSTF(b, 1), "TA_USUARIOS"},
        {"stSTF three parts", db.stSTF(c, 0), "dbo.TA_USUARIOS"},
        {"stSTF unqualified, name", db.stSTF(d, 1), "TA_USUARIOS"},
        {"stSTF unqualified, owner", db.stSTF(e, 0), ""},
        {"StripOwner", db.StripOwner(f), "y"},
        {"AddBrackets blank", db.AddBrackets("Mi Tabla"), "[Mi Tabla]"},
        {"AddBrackets bracketed", db.AddBrackets("[Mi Tabla]"), "[Mi Tabla]"},
        {"AddBrackets plain", db.AddBrackets("TA_USUARIOS"), "TA_USUARIOS"},
        {"StripConnect", db.StripConnect("TA_USUARIOS -> otra"), "TA_USUARIOS"},
        {"StripConnect none", db.StripConnect("TA_USUARIOS"), "TA_USUARIOS"},
        {"StripConnect arrow first", db.StripConnect("->otra"), ""},
        {"StripBrackets", db.StripBrackets("[Mi Tabla]"), "Mi Tabla"},
        {"StripBrackets plain", db.StripBrackets("Tabla"), "Tabla"},
        {"StripBrackets lone", db.StripBrackets("["), ""},
        {"StripFileName windows", db.StripFileName("C:\\a\\b.mdb"), "C:\\a"},
        {"StripFileName here", db.StripFileName("/srv/a/b.mdb"), "/srv/a"},
        {"StripFileName bare", db.StripFileName("b.mdb"), ""},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        EXPECT_EQ(k.actual, QString::fromUtf8(k.expected));
    }
    // Written back to the caller's variable.
    EXPECT_EQ(c, QStringLiteral("dbo.TA_USUARIOS"));
    EXPECT_EQ(f, QStringLiteral("y"));
    EXPECT_EQ(a, QStringLiteral("dbo.TA_USUARIOS"));
}

TEST(ProviderNameTest, ConstantTexts) {
    DB_Dll db;
    EXPECT_EQ(db.pJETOLEDB40(), QStringLiteral("Microsoft.Jet.OLEDB.4.0"));
    EXPECT_EQ(db.pJETOLEDB35(), QStringLiteral("Microsoft.Jet.OLEDB.3.51"));
    EXPECT_EQ(db.pSQLOLEDB(), QStringLiteral("SQLOLEDB"));
}

}  // namespace
