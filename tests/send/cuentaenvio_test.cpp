#include "send/cuentaenvio.h"

#include "platform/vb/textfile.h"
#include "platform/vendrix/clsutil.h"
#include "tests/support/fixtures.h"

#include <gtest/gtest.h>

namespace {

using send::CuentaCorreo;

TEST(ServidorYPuertoTest, EachKindHasItsHostAndPort) {
    struct Case {
        const char* name;
        QString servidor, puerto, otro;
        QString host;
        int port;
    };
    const Case cases[] = {
        {"Hotmail ignores the port", "Hotmail", "25", "", send::kHostHotmail, 587},
        {"Gmail without a port", "Gmail", "", "", send::kHostGmail, 465},
        {"Gmail with a port", "gmail", "587", "", send::kHostGmail, 587},
        {"Otro ignores the port", "Otro", "2525", "mail.empresa.com.ar", "mail.empresa.com.ar",
         25},
        {"Otro in capitals", "OTRO", "", "mail.empresa.com.ar", "mail.empresa.com.ar", 25},
        {"another kind keeps the port", "Yahoo", "2525", "mail.empresa.com.ar", "", 2525},
        {"a port that is not a number", "Yahoo", "smtp", "", "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CuentaCorreo cuenta;
        cuenta.Servidor = c.servidor;
        cuenta.Puerto = c.puerto;
        cuenta.ServidorOtro = c.otro;
        const send::ServidorSmtp s = send::ServidorYPuerto(cuenta);
        EXPECT_EQ(s.host, c.host);
        EXPECT_EQ(s.port, c.port);
    }
}

TEST(CuentaIncorporadaTest, ComesFromTheIniFile) {
    zxtest::ProgramFolder folder;
    ASSERT_TRUE(vb::writeTextLines(
        folder.file("ZX900pr.INI"),
        {"[CuentaEnvio]", "Usuario = avisos@vendrix.com.ar", "Servidor=mail.vendrix.com.ar",
         "Password=" + gUtil().Codifica("P4ss;word")}));
    const auto cuenta = send::LeeCuentaIncorporada();
    ASSERT_TRUE(cuenta.has_value());
    EXPECT_EQ(cuenta->Usuario, QString("avisos@vendrix.com.ar"));
    EXPECT_EQ(cuenta->Servidor, QString("mail.vendrix.com.ar"));
    EXPECT_EQ(cuenta->Password, QString("P4ss;word"));
}

TEST(CuentaIncorporadaTest, NoneWithoutASender) {
    zxtest::ProgramFolder folder;
    EXPECT_FALSE(send::LeeCuentaIncorporada().has_value());
    ASSERT_TRUE(vb::writeTextLines(folder.file("ZX900pr.INI"),
                                   {"[CuentaEnvio]", "Usuario=", "Servidor=mail.vendrix.com.ar"}));
    EXPECT_FALSE(send::LeeCuentaIncorporada().has_value());
}

}  // namespace
