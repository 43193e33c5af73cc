#include "db/connection_string.h"

#include "platform/ado/connectionstring.h"

#include "tests/support/fixtures.h"

#include <gtest/gtest.h>

namespace {

TEST(ConnectionStringTest, QuotesOnlyValuesThatWouldNotReadBack) {
    const struct {
        const char* value;
        const char* written;
    } cases[] = {
        {"srv01\\SQL", "srv01\\SQL"},
        {"sqlite:/tmp/zx", "sqlite:/tmp/zx"},
        {"", ""},
        {"pa;ss", "\"pa;ss\""},
        {"a=b", "\"a=b\""},
        {" lead", "\" lead\""},
        {"trail ", "\"trail \""},
        {"say \"hi\";", "'say \"hi\";'"},
        {"it's \"x\";", "\"it's \"\"x\"\";\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(connstr::quote(QString::fromUtf8(c.value)), QString::fromUtf8(c.written));
    }
}

TEST(ConnectionStringTest, ReadsQuotedValuesBack) {
    for (const char* raw : {"pa;ss", "a=b", " lead", "say \"hi\";", "it's \"x\";", "x"}) {
        SCOPED_TRACE(raw);
        const QString value = QString::fromUtf8(raw);
        const QString text = QStringLiteral("PROVIDER=SQLOLEDB;Pwd=") + connstr::quote(value) +
                             QStringLiteral(";Database =Z;");
        const ado::ConnectionString leida(text);
        EXPECT_EQ(leida.value({"pwd"}), value);
        EXPECT_EQ(leida.value({"Database"}), QStringLiteral("Z"));
    }
}

TEST(ConnectionStringTest, TheProviderKeywordAloneTellsTheDialect) {
    EXPECT_TRUE(connstr::isOracle(QStringLiteral("Provider=OraOLEDB.Oracle.1;Data Source=x;")));
    EXPECT_FALSE(connstr::isOracle(
        QStringLiteral("PROVIDER=SQLOLEDB;Server=srv;Database =ORACLE_MIGRA;UId=u;Pwd=p;")));
    EXPECT_FALSE(connstr::isOracle(QStringLiteral("PROVIDER=SQLOLEDB;Pwd=\"oracle;x\";")));
    EXPECT_TRUE(
        connstr::isJet(QStringLiteral("PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source =a;")));
    EXPECT_FALSE(connstr::isJet(QStringLiteral("PROVIDER=SQLOLEDB;Server=jet;")));
}

}  // namespace
