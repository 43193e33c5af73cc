#include "tests/db/db_fixture.h"

#include "platform/vb/app.h"
#include "tests/support/scripted_backend.h"

#include <QFile>

namespace {

using dbtest::DbTest;
using dbtest::DialogoGuionado;

class OpenServerADODBTest : public DbTest {};

TEST_F(OpenServerADODBTest, ConnectionStringTable) {
    const QString carpeta = servidor();
    const struct {
        const char* name;
        QString servidor, base, usuario, password, extended, proveedor;
        QString expected;
    } cases[] = {
        {"sql server", carpeta, "NOPE", "u", "p", "Connect Timeout=5;", "",
         "PROVIDER=SQLOLEDB;Server=" + carpeta + ";Database =NOPE;UId=u;Pwd=p;Connect Timeout=5;"},
        {"sql server whatever the provider", carpeta, "NOPE", "u", "p", "", "OraOLEDB.Oracle.1",
         "PROVIDER=SQLOLEDB;Server=" + carpeta + ";Database =NOPE;UId=u;Pwd=p;"},
        {"values that need quotes", carpeta, "NO PE ", "u=1", "a;b", "", "",
         "PROVIDER=SQLOLEDB;Server=" + carpeta + ";Database =\"NO PE \";UId=\"u=1\";Pwd=\"a;b\";"},
        {"oracle from a # server", "#ora01", "VENTAS", "u", "p", "X=1;", "",
         "Provider=OraOLEDB.Oracle.1;Data Source=VENTAS;User Id=u;Password=p;"},
        {"# anywhere", "ora#01", "VENTAS", "u", "p", "", "",
         "Provider=OraOLEDB.Oracle.1;Data Source=VENTAS;User Id=u;Password=p;"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DB_Dll& db = gDB();
        dbtest::reinicia(db);
        db.gServidor = c.servidor;
        db.gDBName = c.base;
        db.gUsuario = c.usuario;
        db.gUserPassWord = c.password;
        db.gExtended = c.extended;
        db.gProveedor = c.proveedor;
        db.OpenServerADODB(false, ado::adUseClient, QString(), true, false);
        EXPECT_EQ(db.gConnString, c.expected);
        EXPECT_FALSE(db.gOpenFlag);
        EXPECT_EQ(db.gCnn.State(), ado::adStateClosed);
        EXPECT_EQ(db.gProveedor, c.proveedor.isEmpty() ? QStringLiteral("SQLOLEDB") : c.proveedor);
    }
}

TEST_F(OpenServerADODBTest, AGivenConnectionStringIsUsedAsItIs) {
    DB_Dll db;
    db.OpenServerADODB(false, ado::adUseClient, data.connectionString(), false, false);
    EXPECT_TRUE(db.gOpenFlag);
    EXPECT_EQ(db.gConnString, data.connectionString());
    EXPECT_EQ(db.gCnn.State(), ado::adStateOpen);
    EXPECT_EQ(db.gCnn.CursorLocation(), ado::adUseClient);
    EXPECT_TRUE(db.gEsAdmin);  // no administrator check asked for
}

TEST_F(OpenServerADODBTest, AdministratorCheckReadsTaUsuarios) {
    data.exec(
        "INSERT INTO TA_USUARIOS (Nombre, Administrador) VALUES ('jefe', 1)\n"
        "INSERT INTO TA_USUARIOS (Nombre, Administrador) VALUES ('cajero', 0)\n"
        "INSERT INTO TA_USUARIOS (Nombre, Administrador) VALUES ('raro', 2)");
    const struct {
        const char* usuario;
        bool admin;
    } cases[] = {
        {"jefe", true}, {" jefe", true}, {"cajero", false}, {"raro", false}, {"nadie", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.usuario);
        DB_Dll db;
        abre(db, QString::fromUtf8(c.usuario));
        EXPECT_EQ(db.gEsAdmin, c.admin);
    }
}

TEST_F(OpenServerADODBTest, WithoutErrorBoxesTheCheckIsSkippedAndTheUserIsAdministrator) {
    data.exec("INSERT INTO TA_USUARIOS (Nombre, Administrador) VALUES ('cajero', 0)");
    data.addLogin("cajero", "");
    DB_Dll& estadisticas = gDBEstadisticas();
    estadisticas.gServidor = servidor();
    estadisticas.gDBName = zxtest::TestDatabase::mainName;
    estadisticas.gUsuario = "cajero";
    estadisticas.OpenServerADODB(false, ado::adUseClient, QString(), true, false);
    EXPECT_TRUE(estadisticas.gOpenFlag);
    EXPECT_TRUE(estadisticas.gEsAdmin);
    // The statistics connection looked at its own database, never at the company one.
    EXPECT_EQ(gDB().gCnn.State(), ado::adStateClosed);
    EXPECT_TRUE(op.prompts().isEmpty());
}

TEST_F(OpenServerADODBTest, CancellingTheDialogOpensNothing) {
    DialogoGuionado dialogo;
    dialogo.cancela();
    DB_Dll& db = gDB();
    db.gServidor = "srv";
    db.gDBName = "EMPRESA";
    db.gUsuario = "u";
    db.gUserPassWord = "p";
    db.OpenServerADODB(true, ado::adUseClient, data.connectionString(), true, true);
    EXPECT_FALSE(db.gOpenFlag);
    EXPECT_EQ(db.gCnn.State(), ado::adStateClosed);
    ASSERT_EQ(dialogo.mostrados().size(), 1);
    const dbhooks::DatosAcceso& mostrado = dialogo.mostrados().first();
    EXPECT_EQ(mostrado.TxtServidor, QStringLiteral("srv"));
    EXPECT_EQ(mostrado.TxtDbName, QStringLiteral("EMPRESA"));
    EXPECT_EQ(mostrado.TxtUserId, QStringLiteral("u"));
    EXPECT_EQ(mostrado.TxtUserPassword, QStringLiteral("p"));
    EXPECT_EQ(mostrado.CboPlataformaDB, 0);
}

TEST_F(OpenServerADODBTest, TheDialogReplacesAGivenStringAndConnects) {
    DialogoGuionado dialogo;
    dialogo.acepta(servidor(), "ZENTRIK", "sa", "sa");
    DB_Dll& db = gDB();
    db.OpenServerADODB(true, ado::adUseClient, "Provider=SQLOLEDB;Server=x;", true, true);
    EXPECT_TRUE(db.gOpenFlag);
    EXPECT_EQ(db.gConnString,
              "PROVIDER=SQLOLEDB;Server=" + servidor() + ";Database =ZENTRIK;UId=sa;Pwd=sa;");
    EXPECT_EQ(db.gProveedor, QStringLiteral("SQLOLEDB"));
    EXPECT_EQ(db.gServidor, servidor());
    EXPECT_EQ(db.gUsuario, QStringLiteral("sa"));
}

TEST_F(OpenServerADODBTest, ChoosingOracleMarksTheServerAndAskingAgainIsRefusedWithNo) {
    DialogoGuionado dialogo;
    dialogo.acepta("ora01", "VENTAS", "u", "p", 1);
    op.answer(vb::vbNo);
    DB_Dll& db = gDB();
    db.OpenServerADODB(true, ado::adUseClient, QString(), true, true);
    EXPECT_EQ(db.gProveedor, QStringLiteral("OraOLEDB.Oracle.1"));
    EXPECT_EQ(db.gServidor, QStringLiteral("#ora01"));
    EXPECT_EQ(
        db.gConnString,
        QStringLiteral("Provider=OraOLEDB.Oracle.1;Data Source=VENTAS;User Id=u;Password=p;"));
    EXPECT_FALSE(db.gOpenFlag);
    ASSERT_EQ(op.messages().size(), 1);
    EXPECT_EQ(op.messages().first().title, QStringLiteral(" Error de Conexion a Base de Datos"));
    EXPECT_EQ(op.messages().first().style, vb::vbYesNo + vb::vbCritical);
}

TEST_F(OpenServerADODBTest, AServerWithAHashStaysAsItIsWhenOracleIsChosen) {
    DialogoGuionado dialogo;
    dialogo.acepta("ora#01", "VENTAS", "u", "p", 1);
    op.answer(vb::vbNo);
    gDB().OpenServerADODB(true, ado::adUseClient, QString(), true, true);
    EXPECT_EQ(gDB().gServidor, QStringLiteral("ora#01"));
}

TEST_F(OpenServerADODBTest, TheRetryBoxNamesTheFirstProviderError) {
    DB_Dll& db = gDB();
    db.gServidor = servidor();
    db.gDBName = "NOPE";
    db.gUsuario = "cajero";
    op.answer(vb::vbNo);
    db.OpenServerADODB(false, ado::adUseClient, QString(), true, true);
    EXPECT_FALSE(db.gOpenFlag);
    ASSERT_EQ(op.messages().size(), 1);
    ASSERT_GT(db.gCnn.errors().Count(), 0);
    const ado::Error& e = db.gCnn.errors().Item(0);
    const QString CR = "\r", CRLF = "\r\n";
    EXPECT_EQ(op.messages().first().text,
              " Estado de Sql: " + e.SQLState + CR + "Numero de Error: " +
                  QString::number(e.Number) + CR + "Descripcion: " + e.Description + CR +
                  "Codigo Nativo: " + QString::number(e.NativeError) + CR + CRLF +
                  "Nombre de Proceso: Zentrik" + CR + CRLF + CRLF +
                  "1. Verifique el Usuario, contraseña y base de datos" + CRLF +
                  "2. Verifique el nombre del servidor, quizas necesite agregarle el nombre de "
                  "la instancia, por ejemplo : " +
                  servidor() + "\\VENDRIX" + CRLF +
                  "3. Verifique si el inicio de sesion para el usuario cajero existe" + CRLF +
                  CRLF + CRLF + " - Desea Intentarlo Nuevamente??? ");
}

TEST_F(OpenServerADODBTest, YesShowsTheDialogAgainAndThenConnects) {
    DialogoGuionado dialogo;
    dialogo.acepta(servidor(), "NOPE", "sa", "sa").acepta(servidor(), "ZENTRIK", "sa", "sa");
    op.answer(vb::vbYes);
    DB_Dll& db = gDB();
    db.OpenServerADODB(true, ado::adUseClient, QString(), true, true);
    EXPECT_TRUE(db.gOpenFlag);
    EXPECT_EQ(db.gCnn.State(), ado::adStateOpen);
    EXPECT_EQ(dialogo.mostrados().size(), 2);
    // The second showing starts from what the operator typed the first time.
    EXPECT_EQ(dialogo.mostrados()[1].TxtDbName, QStringLiteral("NOPE"));
}

TEST_F(OpenServerADODBTest, YesShowsTheDialogEvenWhenItWasNotAskedFor) {
    DialogoGuionado dialogo;
    dialogo.cancela();
    op.answer(vb::vbYes);
    DB_Dll& db = gDB();
    db.gServidor = servidor();
    db.gDBName = "NOPE";
    db.OpenServerADODB(false, ado::adUseClient, QString(), true, true);
    EXPECT_EQ(dialogo.mostrados().size(), 1);
    EXPECT_FALSE(db.gOpenFlag);
}

TEST_F(OpenServerADODBTest, WithoutTheRetryBoxARefusedConnectionJustFails) {
    DB_Dll& db = gDB();
    db.gServidor = servidor();
    db.gDBName = "NOPE";
    db.OpenServerADODB(false, ado::adUseClient, QString(), true, true, false);
    EXPECT_FALSE(db.gOpenFlag);
    EXPECT_TRUE(op.prompts().isEmpty());
}

// A failure that is not the provider's is shown plainly; the flag must not report success.
TEST_F(OpenServerADODBTest, AFailureOutsideTheProviderLeavesTheFlagOff) {
    const auto previo = dbhooks::hooks().MuestraAcceso;
    dbhooks::hooks().MuestraAcceso = nullptr;
    op.answer(vb::vbOK);
    DB_Dll& db = gDB();
    db.OpenServerADODB(true, ado::adUseClient, QString(), true, true);
    dbhooks::hooks().MuestraAcceso = previo;
    EXPECT_FALSE(db.gOpenFlag);
    ASSERT_EQ(op.messages().size(), 1);
    EXPECT_EQ(op.messages().first().style, 0);
    EXPECT_EQ(op.messages().first().title, QString());
}

TEST_F(OpenServerADODBTest, OpeningAnOpenConnectionClosesItFirst) {
    DB_Dll db;
    abre(db);
    db.gDBName = "KQ_ESTADISTICAS";
    db.gUsuario = db.gUserPassWord = "KQ_ESTADISTICAS";
    db.OpenServerADODB(false, ado::adUseClient, QString(), true, true);
    EXPECT_TRUE(db.gOpenFlag);
    EXPECT_TRUE(op.prompts().isEmpty());
    EXPECT_TRUE(db.gConnString.contains("Database =KQ_ESTADISTICAS;"));
}

// An open that keeps meeting an open connection is closed and tried again only once.
TEST_F(OpenServerADODBTest, AnAlreadyOpenConnectionIsHandledOnlyOnce) {
    DB_Dll db;
    auto motor = std::make_unique<zxtest::ScriptedBackend>();
    zxtest::ScriptedBackend* puntero = motor.get();
    ado::Error abierta;
    abierta.Number = ado::err::ObjectOpen;
    abierta.Description = "Operation is not allowed when the object is open.";
    motor->failNext(zxtest::ScriptedBackend::Call::Open, {abierta})
        .failNext(zxtest::ScriptedBackend::Call::Open, {abierta});
    db.gCnn.attachBackend(std::move(motor));
    db.OpenServerADODB(false, ado::adUseClient, "PROVIDER=SQLOLEDB;Server=srv;", false, false);
    EXPECT_FALSE(db.gOpenFlag);
    EXPECT_EQ(puntero->openCount(), 2);
    EXPECT_TRUE(op.prompts().isEmpty());
}

class ReintentaConectarTest : public DbTest {};

TEST_F(ReintentaConectarTest, AClosedConnectionIsOpenedAgainAndItsTimeoutKept) {
    DB_Dll db;
    abre(db);
    db.gCnn.setCommandTimeout(77);
    db.gCnn.Close();
    db.ReintentaConectar();
    EXPECT_TRUE(db.gOpenFlag);
    EXPECT_EQ(db.gCnn.State(), ado::adStateOpen);
    EXPECT_EQ(db.gCnn.CommandTimeout(), 77);
    EXPECT_TRUE(op.prompts().isEmpty());
}

}  // namespace

namespace {

class OpenLocalADODBTest : public DbTest {
protected:
    OpenLocalADODBTest() { db.gProveedor = db.pJETOLEDB40(); }
    DB_Dll db;

    // A Jet refusal the embedded engine cannot give on demand.
    static ado::Error jet(const char* estado) {
        ado::Error e;
        e.Number = -2147217843;
        e.Description = "Jet";
        e.SQLState = estado;
        return e;
    }
};

TEST_F(OpenLocalADODBTest, OpensTheFileAndKeepsTheString) {
    db.gDBName = data.file();
    db.OpenLocalADODB(QString(), "User ID", "Password");
    EXPECT_EQ(db.gCnn.State(), ado::adStateOpen);
    EXPECT_EQ(db.gConnString, "PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source =" + data.file() +
                                  ";User ID=;Password=;");
    EXPECT_FALSE(db.gOpenFlag);  // not this operation's business
}

TEST_F(OpenLocalADODBTest, WithoutAFileTheChooserAsksAndACancelEnds) {
    op.openFile(data.file());
    db.OpenLocalADODB(QString(), "User ID", "Password");
    EXPECT_EQ(db.gCnn.State(), ado::adStateOpen);
    EXPECT_EQ(db.gDBName, data.file());
    ASSERT_EQ(op.prompts().size(), 1);
    EXPECT_EQ(op.prompts().first().title, QStringLiteral("Buscar Base de Datos"));
    EXPECT_EQ(op.prompts().first().text,
              QStringLiteral("Base de Datos de Microsoft Access |*.MDB"));

    DB_Dll otra;
    op.openFile(std::nullopt);
    otra.OpenLocalADODB(QString(), "User ID", "Password");
    EXPECT_EQ(otra.gCnn.State(), ado::adStateClosed);
}

TEST_F(OpenLocalADODBTest, AnyOtherFailureIsShownAndEnds) {
    QFile basura(folder.file("basura.mdb"));
    ASSERT_TRUE(basura.open(QIODevice::WriteOnly));
    basura.write(QByteArray(4096, 'x'));
    basura.close();
    db.gDBName = basura.fileName();
    op.answer(vb::vbOK);
    db.OpenLocalADODB(QString(), "User ID", "Password");
    EXPECT_EQ(db.gCnn.State(), ado::adStateClosed);
    ASSERT_EQ(op.messages().size(), 1);
    EXPECT_EQ(op.messages().first().icon, vb::vbCritical);
    EXPECT_TRUE(op.messages().first().text.contains("  "));
}

TEST_F(OpenLocalADODBTest, ThePasswordClauseIsRebuiltAndTheStoredOneTriedOnce) {
    auto motor = std::make_unique<zxtest::ScriptedBackend>();
    motor->failNext(zxtest::ScriptedBackend::Call::Open, {jet("3031")})
        .failNext(zxtest::ScriptedBackend::Call::Open, {jet("3031")})
        .failNext(zxtest::ScriptedBackend::Call::Open, {jet("3031")});
    db.gCnn.attachBackend(std::move(motor));
    db.gDBName = "/x/base.mdb";
    db.gUserPassWord = "guardada";
    db.gIgnoraPassWord = true;
    op.input(QStringLiteral("mala")).input(QStringLiteral("buena"));
    db.OpenLocalADODB(QString(), "User ID", "Password");
    EXPECT_EQ(db.gCnn.State(), ado::adStateOpen);
    EXPECT_EQ(db.gConnString,
              QStringLiteral("PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source =/x/base.mdb;User ID=;"
                             "Password=guardada; Jet OLEDB:Database Password=buena;"));
    ASSERT_EQ(op.prompts().size(), 2);
    EXPECT_EQ(op.prompts().first().text, QStringLiteral("ingrese el password:"));
    EXPECT_EQ(op.prompts().first().title, QStringLiteral("Password Access"));
}

TEST_F(OpenLocalADODBTest, ACancelledPasswordEnds) {
    auto motor = std::make_unique<zxtest::ScriptedBackend>();
    motor->failNext(zxtest::ScriptedBackend::Call::Open, {jet("3031")});
    db.gCnn.attachBackend(std::move(motor));
    db.gDBName = "/x/base.mdb";
    op.input(std::nullopt);
    db.OpenLocalADODB(QString(), "User ID", "Password");
    EXPECT_EQ(db.gCnn.State(), ado::adStateClosed);
}

TEST_F(OpenLocalADODBTest, AMissingFileAsksForAnotherOne) {
    db.gDBName = folder.file("vieja.mdb");
    op.openFile(data.file());
    db.OpenLocalADODB(QString(), "User ID", "Password");
    EXPECT_EQ(db.gCnn.State(), ado::adStateOpen);
    EXPECT_TRUE(db.gConnString.contains("Data Source =" + data.file() + ";"));
}

}  // namespace
