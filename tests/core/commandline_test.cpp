#include "core/commandline.h"
#include "tests/support/fixtures.h"

#include <gtest/gtest.h>

namespace {

struct Reading {
    const char* text;
    const char* key;
    const char* expected;
};

TEST(CommandLineTest, ReadsEachItemByItsWholeName) {
    const char* fourItems = "@server=SRV1;@dbname=VENTAS;@usuario=ana;@Password=x;";
    const Reading cases[] = {
        {fourItems, "@Server", "SRV1"},
        {fourItems, "@DbName", "VENTAS"},
        {fourItems, "@Usuario", "ana"},
        {fourItems, "@Password", "x"},
        {fourItems, "@UsuarioLogeado", ""},
        {fourItems, "@Menu", ""},
        {fourItems, "@ParametroAdicional", ""},
        // keys in any case and any order
        {"@PASSWORD=x;@DBNAME=V;@SERVER=S;", "@server", "S"},
        {"@password=x;@dbname=V;@server=S;", "@DbName", "V"},
        // blanks around the "="
        {" ; @server = SRV1 ; @dbname=  V  ;", "@Server", "SRV1"},
        {" ; @server = SRV1 ; @dbname=  V  ;", "@DbName", "V"},
        // "@UsuarioLogeado" before "@Usuario" does not hide "@Usuario"
        {"@UsuarioLogeado=pepe;@Usuario=ana;", "@Usuario", "ana"},
        {"@UsuarioLogeado=pepe;@Usuario=ana;", "@UsuarioLogeado", "pepe"},
        // a password keeps its own "="
        {"@Password=a=b==;@Usuario=ana;", "@Password", "a=b=="},
        // a last item without ";" runs to the end
        {"@server=SRV1;@dbname=VENTAS_2024", "@DbName", "VENTAS_2024"},
        {"@Caja=", "@Caja", ""},
        {"@Menu;@Caja=3;", "@Menu", ""},
        {"vendrix@ ; @Caja=3;", "@Caja", "3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " " + c.key);
        EXPECT_EQ(core::commandLineValue(c.text, c.key), QString(c.expected));
    }
}

TEST(CommandLineTest, AbsentItemGivesTheFallback) {
    EXPECT_EQ(core::commandLineValue("@server=S;", "@Caja", "1"), QStringLiteral("1"));
    EXPECT_EQ(core::commandLineValue("", "@Caja", "1"), QStringLiteral("1"));
    EXPECT_EQ(core::commandLineValue("@Caja=7;", "@Caja", "1"), QStringLiteral("7"));
}

TEST(CommandLineTest, ExtraeServidorKeepsTheInstanceAndDropsThePort) {
    const struct {
        const char* server;
        const char* expected;
    } cases[] = {
        {"tcp:srv/inst:1433", "inst"},
        {"srv:1433", "srv"},
        {"srv", "srv"},
        {"", ""},
        {"srv\\SQLEXPRESS", "srv\\SQLEXPRESS"},
        {"sqlite:/var/lib/zentrik", "sqlite:/var/lib/zentrik"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.server);
        EXPECT_EQ(ModGlobal::ExtraeServidor(c.server), QString(c.expected));
    }
}

}  // namespace
