#include "send/cuentaenvio.h"

#include "platform/vb/textfile.h"
#include "tests/send/send_fixture.h"

#include <QFile>

#include <optional>

namespace {

using send::CuentaCorreo;

struct UserRow {
    QString kind, login, password, otherHost, from;
};

struct Case {
    const char* name;
    std::optional<UserRow> user;
    QList<QPair<QString, QString>> config;
    bool deployment = false;  // the INI file holds the deployment's account
    CuentaCorreo expected;
};

class CargaCuentaEnvioTest : public sendtest::SendTest {
protected:
    void prepare(const Case& c) {
        data.exec("DELETE FROM TA_USUARIOS; DELETE FROM TA_CONFIGURACION;");
        if (c.user)
            data.exec(QStringLiteral("INSERT INTO TA_USUARIOS (Nombre, eMail_Server, "
                                     "email_usuario, email_Password, email_ServerOtro, email_De) "
                                     "VALUES ('ana', %1, %2, %3, %4, %5)")
                          .arg(literal(c.user->kind), literal(c.user->login),
                               literal(c.user->password), literal(c.user->otherHost),
                               literal(c.user->from)));
        for (const auto& [clave, valor] : c.config)
            data.exec(QStringLiteral("INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES "
                                     "('%1', '%2')")
                          .arg(clave, valor));
        QFile::remove(folder.file("ZX900pr.INI"));
        if (c.deployment) {
            ASSERT_TRUE(vb::writeTextLines(folder.file("ZX900pr.INI"),
                                           {"[CuentaEnvio]", "Usuario=avisos@vendrix.com.ar",
                                            "Servidor=mail.vendrix.com.ar", "Password=secreta"}));
        }
    }

    // A null text stands for a Null column.
    static QString literal(const QString& v) {
        return v.isNull() ? QStringLiteral("NULL") : u'\'' + v + u'\'';
    }
};

TEST_F(CargaCuentaEnvioTest, TheUserRowThenTheKeysThenTheDeployment) {
    const UserRow gmail{"gmail", "ana@gmail.com", "clave", QString(), "ana@gmail.com"};
    const QList<QPair<QString, QString>> keys = {{"email_server", " Otro "},
                                                 {"email_usuario", "ventas@empresa.com.ar "},
                                                 {"email_password", "clave-empresa"},
                                                 {"eMail_OtroServer", "mail.empresa.com.ar"},
                                                 {"email_puerto", "2525"},
                                                 {"eMail_De", "ventas@empresa.com.ar"}};
    const Case cases[] = {
        {"user row, gmail in lower case, no port key",
         gmail,
         {},
         false,
         {"gmail", "ana@gmail.com", "clave", "", "465", "ana@gmail.com"}},
        {"user row sets the port before the key",
         UserRow{"Hotmail", "ana@hotmail.com", "c", {}, {}},
         {{"email_puerto", "2525"}},
         false,
         {"Hotmail", "ana@hotmail.com", "c", "", "25", ""}},
        {"user row of another kind leaves the port to the key",
         UserRow{"Yahoo", "ana@yahoo.com", "c", {}, {}},
         {{"email_puerto", "2525"}},
         false,
         {"Yahoo", "ana@yahoo.com", "c", "", "2525", ""}},
        {"blanks of the user row come from the keys",
         UserRow{"Otro", QString(), QString(), QString(), QString()},
         keys,
         false,
         {"Otro", "ventas@empresa.com.ar", "clave-empresa", "mail.empresa.com.ar", "25",
          "ventas@empresa.com.ar"}},
        {"no user row: the keys, trimmed",
         std::nullopt,
         keys,
         false,
         {"Otro", "ventas@empresa.com.ar", "clave-empresa", "mail.empresa.com.ar", "2525",
          "ventas@empresa.com.ar"}},
        {"no login anywhere: the deployment's account replaces the rest",
         UserRow{"Gmail", "", "clave", {}, {}},
         {{"eMail_OtroServer", "mail.empresa.com.ar"}},
         true,
         {"Otro", "avisos@vendrix.com.ar", "secreta", "mail.vendrix.com.ar", "25", ""}},
        {"the deployment's account takes the sender from the key",
         std::nullopt,
         {{"eMail_De", "ventas@empresa.com.ar"}},
         true,
         {"Otro", "avisos@vendrix.com.ar", "secreta", "mail.vendrix.com.ar", "25",
          "ventas@empresa.com.ar"}},
        {"no account at all", std::nullopt, {}, false, {"", "", "", "", "", ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        prepare(c);
        CuentaCorreo cuenta;
        send::CargaCuentaEnvio(cuenta);
        EXPECT_EQ(cuenta.Servidor, c.expected.Servidor);
        EXPECT_EQ(cuenta.Usuario, c.expected.Usuario);
        EXPECT_EQ(cuenta.Password, c.expected.Password);
        EXPECT_EQ(cuenta.ServidorOtro, c.expected.ServidorOtro);
        EXPECT_EQ(cuenta.Puerto, c.expected.Puerto);
        EXPECT_EQ(cuenta.De, c.expected.De);
    }
    EXPECT_TRUE(op.prompts().isEmpty());
}

}  // namespace
