#include "core/access.h"
#include "core/globals.h"
#include "core/startup.h"
#include "platform/ado/sqlitebackend.h"
#include "platform/vb/textfile.h"
#include "platform/vendrix/clsreporte.h"
#include "platform/vendrix/clsutil.h"
#include "tests/core/core_fixture.h"
#include "tests/db/db_fixture.h"

#include <QFile>

namespace {

using namespace ModGlobal;

class InicioConexionTest : public coretest::CoreTest {
protected:
    InicioConexionTest() {
        gTimeOut = 0;
        gIdControlAcceso = 0;
        gUsuarioLogeado.clear();
        gCaja.clear();
        gConexionReporte.clear();
        core::startupHooks() = {};
    }
    ~InicioConexionTest() override { core::startupHooks() = {}; }

    QString linea(const QString& usuario = "sa") const {
        return "@server=" + servidor() + ";@dbname=ZENTRIK;@usuario=" + usuario +
               ";@Password=" + usuario + ";";
    }
    int accesos() const { return data.rows("SELECT ID FROM Control_Acceso").size(); }
};

TEST_F(InicioConexionTest, TheStartRoadOnTheEmbeddedEngine) {
    QStringList consultas;
    core::startupHooks().PreparaConsultas = [&](const QString& cs, const QString& ruta) {
        consultas << cs << ruta;
    };
    int creadas = 0;
    core::startupHooks().CreaMascarasSiFaltan = [&] { ++creadas; };
    QString cs;
    InicioConexion(false, linea() + "@Caja=4;@Menu=m;@ParametroAdicional=p;", cs, 3);

    EXPECT_TRUE(gDB().gOpenFlag);
    EXPECT_TRUE(gDBEstadisticas().gOpenFlag);
    EXPECT_EQ(gUsuarioLogeado, "sa");
    EXPECT_EQ(gCaja, "4");
    EXPECT_EQ(gMenu, "m");
    EXPECT_EQ(gParametroAdicional, "p");
    EXPECT_EQ(gSeccionIni, "CAJA-01|ANA");
    EXPECT_EQ(gFlatToolbars, vb::Variant(1.0));
    EXPECT_EQ(gTimeOut, 360);
    EXPECT_EQ(gDB().gCnn.CommandTimeout(), 360);
    EXPECT_EQ(gDB().gCnn.IsolationLevel(), 256);
    EXPECT_EQ(gConexionReporte, "DSN=ZENTRIK; UID=sa; PWD=sa");
    EXPECT_EQ(gReporte().CarpetaBase, folder.path() + "/");
    EXPECT_EQ(vb::App().HelpFile, folder.path() + "/htmlhelp/vendrixplus.chm");
    EXPECT_EQ(consultas, (QStringList{gDB().gConnString, folder.path() + "/consultas.kqv"}));
    EXPECT_EQ(creadas, 1);
    EXPECT_EQ(gTablaConfiguracion, "ta_configuracion");  // the configuration was loaded
    EXPECT_EQ(gColorFondo, 16776960);
    EXPECT_EQ(accesos(), 1);
    EXPECT_NE(gIdControlAcceso, 0);
    // A missing statistics "TimeOut" key is written.
    EXPECT_EQ(data.rows("SELECT CLAVE, VALOR, Grupo FROM TA_CONFIGURACION",
                        zxtest::TestDatabase::statisticsName),
              (QList<QStringList>{{"TIMEOUT", "0", "BaseDeDatos"}}));
    EXPECT_TRUE(op.prompts().isEmpty());
}

TEST_F(InicioConexionTest, NoConnectionEndsTheProgramBeforeAnythingElse) {
    QFile::remove(data.file());
    op.answer(vb::vbNo);  // the database class asks whether to try again
    QString cs;
    EXPECT_THROW(InicioConexion(false, linea(), cs, 3), vb::ProgramEnded);
    EXPECT_EQ(folder.endCount(), 1);
    EXPECT_NE(folder.lastStatus(), 0);
    EXPECT_FALSE(gDB().gOpenFlag);
    EXPECT_FALSE(gDBEstadisticas().gOpenFlag);
    EXPECT_EQ(gTimeOut, 0);
    EXPECT_EQ(gTablaConfiguracion, "");
    EXPECT_EQ(gIdControlAcceso, 0);
}

// A database that records its login refuses a wrong password on the start-up road as a
// refused server login: the connection box names the failed login, and No ends the program.
TEST_F(InicioConexionTest, AWrongEmbeddedPasswordIsRefusedLikeAServerLogin) {
    QString error;
    ASSERT_TRUE(ado::recordEmbeddedLogin(data.file(), "sa", "sa", &error)) << error.toStdString();
    op.answer(vb::vbNo);
    QString cs;
    EXPECT_THROW(InicioConexion(false,
                                "@server=" + servidor() +
                                    ";@dbname=ZENTRIK;@usuario=sa;@Password=wrong;",
                                cs, 3),
                 vb::ProgramEnded);
    EXPECT_FALSE(gDB().gOpenFlag);
    ASSERT_EQ(op.messages().size(), 1);
    EXPECT_EQ(op.messages()[0].title, " Error de Conexion a Base de Datos");
    EXPECT_TRUE(op.messages()[0].text.contains("Login failed for user 'sa'."))
        << op.messages()[0].text.toStdString();
    EXPECT_TRUE(op.messages()[0].text.contains("Codigo Nativo: 18456"));
    EXPECT_EQ(accesos(), 0);
}

TEST_F(InicioConexionTest, TheRecordedLoginStartsAsBefore) {
    QString error;
    ASSERT_TRUE(ado::recordEmbeddedLogin(data.file(), "SA", "sa", &error)) << error.toStdString();
    QString cs;
    InicioConexion(false, linea(), cs, 3);
    EXPECT_TRUE(gDB().gOpenFlag);
    EXPECT_EQ(accesos(), 1);
    EXPECT_TRUE(op.prompts().isEmpty());
}

TEST_F(InicioConexionTest, AStatisticsFailureLeavesTheDefaultTimeOutSilently) {
    QFile::remove(data.file(zxtest::TestDatabase::statisticsName));
    QString cs;
    InicioConexion(false, linea(), cs, 3);
    EXPECT_TRUE(gDB().gOpenFlag);
    EXPECT_FALSE(gDBEstadisticas().gOpenFlag);
    EXPECT_EQ(gTimeOut, 360);
    EXPECT_EQ(accesos(), 1);
    EXPECT_TRUE(op.prompts().isEmpty());
}

TEST_F(InicioConexionTest, TheStatisticsTimeOutIsTaken) {
    data.exec(
        "INSERT INTO TA_CONFIGURACION (CLAVE, VALOR, Grupo) VALUES ('TimeOut', '90', "
        "'BaseDeDatos')",
        zxtest::TestDatabase::statisticsName);
    QString cs;
    InicioConexion(false, linea(), cs, 3);
    EXPECT_EQ(gTimeOut, 90);
    EXPECT_EQ(gDB().gCnn.CommandTimeout(), 90);
}

// The INI section of the connection is built from the uncut names; gSeccionIni is cut to 50.
TEST_F(InicioConexionTest, TheIniConnectionOfALongStationIdentity) {
    zxtest::FixedStation largo(QString(40, u'm'), QString(20, u'u'));
    const QString uncut = QString(40, u'M') + "|" + QString(20, u'U');
    ASSERT_TRUE(vb::writeTextLines(
        folder.file("ZX900pr.INI"),
        {"[" + uncut.left(50) + "]", "FlatToolbars=0", "[" + uncut + "BaseDeDatos]",
         "Servidor=" + servidor(), "DbName=ZENTRIK", "Usuario=" + gUtil().Codifica("sa"),
         "UserPassWord=" + gUtil().Codifica("sa")}));
    QString cs;
    InicioConexion(true, " ", cs, 3);
    EXPECT_EQ(gSeccionIni, uncut.left(50));
    EXPECT_EQ(gFlatToolbars, vb::Variant(0.0));
    EXPECT_TRUE(gDB().gOpenFlag);
    EXPECT_EQ(gDB().gDBName, "ZENTRIK");
    EXPECT_EQ(gDB().gUsuario, "sa");
    EXPECT_EQ(gCaja, "1");
}

TEST_F(InicioConexionTest, AnOracleServerBuildsTheProviderString) {
    op.setStrictAtEnd(false);
    op.answer(vb::vbNo).answer(vb::vbNo).answer(vb::vbNo);
    QString cs;
    EXPECT_THROW(
        InicioConexion(false, "@server=#ORCL;@dbname=ORCL;@usuario=u;@Password=p;", cs, 3),
        vb::ProgramEnded);
    EXPECT_EQ(cs, "Provider=OraOLEDB.Oracle.1;Data Source=ORCL;User Id=u;Password=p;");
    EXPECT_EQ(gDB().gServidor, "ORCL");
}

TEST_F(InicioConexionTest, ASecondCallWithTheConnectionOpenOnlyRepeatsTheTail) {
    QString cs;
    InicioConexion(false, linea(), cs, 3);
    gColorFondo = 5;
    gCaja = "9";
    InicioConexion(false, "@Caja=2;", cs, 3);
    EXPECT_EQ(gCaja, "9");  // the command line is not read again
    EXPECT_EQ(gColorFondo, 16776960);
    EXPECT_EQ(accesos(), 2);
}

TEST_F(InicioConexionTest, AnUnexpectedErrorIsShownAndEndsTheProgramUnlessIgnored) {
    core::startupHooks().PreparaConsultas = [](const QString&, const QString&) {
        vb::raise(vb::err::ObjectVariableNotSet, "Zentrik");
    };
    op.answer(vb::vbIgnore);
    QString cs;
    InicioConexion(false, linea(), cs, 3);
    ASSERT_EQ(op.messages().size(), 1);
    EXPECT_EQ(op.messages()[0].title, "Zentrik - InicioConexion Aviso al operador!!! - 2 ");
    EXPECT_EQ(accesos(), 1);

    dbtest::reinicia(gDB());
    op.answer(vb::vbAbort);
    EXPECT_THROW(InicioConexion(false, linea(), cs, 3), vb::ProgramEnded);
    EXPECT_NE(folder.lastStatus(), 0);
    EXPECT_EQ(accesos(), 1);
}

// The box offers Retry, so Retry runs the failing step again instead of ending the program.
TEST_F(InicioConexionTest, RetryRunsTheFailingStepAgain) {
    int llamadas = 0;
    core::startupHooks().PreparaConsultas = [&](const QString&, const QString&) {
        if (++llamadas < 3) vb::raise(vb::err::ObjectVariableNotSet, "Zentrik");
    };
    op.answer(vb::vbRetry).answer(vb::vbRetry);
    QString cs;
    InicioConexion(false, linea(), cs, 3);
    EXPECT_EQ(llamadas, 3);
    ASSERT_EQ(op.messages().size(), 2);
    EXPECT_EQ(op.messages()[0].style, vb::vbAbortRetryIgnore + vb::vbCritical);
    EXPECT_EQ(folder.endCount(), 0);
    EXPECT_EQ(accesos(), 1);
    EXPECT_TRUE(gDB().gOpenFlag);
}

TEST_F(InicioConexionTest, AnInvalidArgumentGoesOnWithoutAWord) {
    core::startupHooks().PreparaConsultas = [](const QString&, const QString&) {
        vb::raise(vb::err::InvalidProcedureCall);
    };
    QString cs;
    InicioConexion(false, linea(), cs, 3);
    EXPECT_TRUE(op.prompts().isEmpty());
    EXPECT_EQ(accesos(), 1);
}

}  // namespace
