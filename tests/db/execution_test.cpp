#include "tests/db/db_fixture.h"

#include "tests/support/scripted_backend.h"

#include "platform/ado/sqlitebackend.h"

#include "platform/vb/textfile.h"

#include <QFile>

namespace {

using dbtest::DbTest;
using zxtest::ScriptedBackend;

class AbrirRecordsetTest : public DbTest {
protected:
    AbrirRecordsetTest() {
        abre(db);
        data.exec("INSERT INTO TA_USUARIOS (Nombre) VALUES ('ana')");
    }
    DB_Dll& db = gDB();
};

TEST_F(AbrirRecordsetTest, OpensTheQueryAndWritesTheRewrittenTextBack) {
    ado::Recordset rs;
    QString sql = "select * from @Admin_TA_USUARIOS ";
    db.AbrirRecordset(sql, rs);
    EXPECT_EQ(sql, QStringLiteral("select * from TA_USUARIOS "));
    ASSERT_EQ(rs.State(), ado::adStateOpen);
    EXPECT_EQ(rs["Nombre"], vb::Variant("ana"));
    // An open recordset is closed first.
    QString otra = "select * from MA_CUENTAS ";
    db.AbrirRecordset(otra, rs);
    EXPECT_EQ(otra, QStringLiteral("select * from SS_MA_CUENTAS "));
    EXPECT_EQ(rs.State(), ado::adStateOpen);
    db.CierraRecordset(rs);
    EXPECT_EQ(rs.State(), ado::adStateClosed);
    db.CierraRecordset(rs);  // closed: nothing happens
    EXPECT_TRUE(op.prompts().isEmpty());
}

TEST_F(AbrirRecordsetTest, ErrorsGoToTheClassBoxWithItsRoutineName) {
    zxtest::FixedClock clock(QDateTime(QDate(2024, 1, 2), QTime(3, 4, 5)));
    op.answer(vb::vbRetry).answer(vb::vbAbort);
    ado::Recordset rs;
    db.AbrirRecordset("select * from NO_EXISTE", rs);
    EXPECT_EQ(rs.State(), ado::adStateClosed);
    ASSERT_EQ(op.messages().size(), 2);
    EXPECT_TRUE(
        op.messages().first().title.endsWith(" - AbrirRecordset Aviso al operador!!! - 5 "));
    const QStringList log = vb::readTextLines(folder.file("KQERR.LOG")).value_or(QStringList());
    ASSERT_EQ(log.size(), 2);
    EXPECT_TRUE(log[0].startsWith("01-02-2024 03:04:05 Rutina: - AbrirRecordset Mensaje "));
    EXPECT_TRUE(log[0].endsWith(" Respondió : Reintentar"));
    EXPECT_TRUE(log[1].endsWith(" Respondió : Abortar"));
}

TEST_F(AbrirRecordsetTest, ALostConnectionIsRepairedAndRetryRunsTheQueryAgain) {
    ScriptedBackend* motor = reabreCon(db, std::make_unique<ado::SqliteBackend>());
    motor->failNext(ScriptedBackend::Call::Query, {ScriptedBackend::lostConnection()});
    op.answer(vb::vbRetry);
    ado::Recordset rs;
    db.AbrirRecordset("select * from TA_USUARIOS", rs);
    EXPECT_TRUE(db.gOpenFlag);
    EXPECT_EQ(rs.State(), ado::adStateOpen);
    ASSERT_EQ(op.messages().size(), 1);  // the error box once, no "lost connection" box
    EXPECT_EQ(motor->openCount(), 2);
}

TEST_F(AbrirRecordsetTest, WhenReconnectingFailsTheOperatorsNoEndsTheProgram) {
    ScriptedBackend* motor = reabreCon(db);
    motor->failNext(ScriptedBackend::Call::Query, {ScriptedBackend::lostConnection()})
        .failNext(ScriptedBackend::Call::Open, {ScriptedBackend::lostConnection()})
        .failNext(ScriptedBackend::Call::Open, {ScriptedBackend::lostConnection()})
        .failNext(ScriptedBackend::Call::Open, {ScriptedBackend::lostConnection()});
    op.answer(vb::vbYes).answer(vb::vbNo);
    ado::Recordset rs;
    EXPECT_THROW(db.AbrirRecordset("select * from TA_USUARIOS", rs), vb::ProgramEnded);
    EXPECT_EQ(folder.endCount(), 1);
    ASSERT_EQ(op.messages().size(), 2);
    const QString CRLF = "\r\n";
    for (const zxtest::Prompt& p : op.messages()) {
        EXPECT_EQ(p.title, QStringLiteral("AVISO AL OPERADOR"));
        EXPECT_EQ(p.style, vb::vbYesNo + vb::vbCritical);
        EXPECT_EQ(p.text, CRLF + CRLF + CRLF +
                              "Se perdio la conexion con la base de datos ZENTRIK" + CRLF +
                              " Servidor " + servidor() + CRLF + CRLF +
                              "Elija SI para reintentar conectarse" + CRLF +
                              "Elija NO para cerrar la aplicacion" + CRLF + CRLF + CRLF);
    }
    EXPECT_FALSE(db.gOpenFlag);
}

// The question names the database of the connection that was lost, not the company's.
TEST_F(AbrirRecordsetTest, TheLostConnectionQuestionNamesItsOwnDatabase) {
    DB_Dll& kq = gDBEstadisticas();
    dbtest::abreEstadisticas(kq, servidor());
    ASSERT_TRUE(kq.gOpenFlag);
    ScriptedBackend* motor = reabreCon(kq);
    motor->failNext(ScriptedBackend::Call::Query, {ScriptedBackend::lostConnection()})
        .failNext(ScriptedBackend::Call::Open, {ScriptedBackend::lostConnection()})
        .failNext(ScriptedBackend::Call::Open, {ScriptedBackend::lostConnection()});
    op.answer(vb::vbNo);
    ado::Recordset rs;
    EXPECT_THROW(kq.AbrirRecordset("select * from TA_CONFIGURACION", rs), vb::ProgramEnded);
    ASSERT_EQ(op.messages().size(), 1);
    const QString CRLF = "\r\n";
    EXPECT_TRUE(op.messages()[0].text.startsWith(
        CRLF + CRLF + CRLF + "Se perdio la conexion con la base de datos KQ_ESTADISTICAS" + CRLF +
        " Servidor " + servidor() + CRLF))
        << op.messages()[0].text.toStdString();
    EXPECT_TRUE(gDB().gOpenFlag);
}

// A connection that never opened (its login refused) was not lost: reading on it is one
// error of the class's box, with no question to reconnect and no end of the program,
// whatever the operator answers.
TEST_F(AbrirRecordsetTest, AConnectionThatNeverOpenedIsNotALostOne) {
    QString error;
    ASSERT_TRUE(ado::recordEmbeddedLogin(data.file(zxtest::TestDatabase::statisticsName), "otro",
                                         "otro", &error))
        << error.toStdString();
    const struct {
        const char* name;
        QList<int> answers;
    } cases[] = {
        {"abort", {vb::vbAbort}},
        {"ignore", {vb::vbIgnore}},
        {"retry, then abort", {vb::vbRetry, vb::vbAbort}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DB_Dll db;
        dbtest::abreEstadisticas(db, servidor());
        ASSERT_FALSE(db.gOpenFlag);
        ASSERT_GT(db.gCnn.errors().Count(), 0);  // the refused login is still listed

        zxtest::ScriptedOperator respuestas;
        for (int a : c.answers) respuestas.answer(a);
        ado::Recordset rs;
        QString sql = "SELECT VALOR FROM TA_CONFIGURACION WHERE CLAVE = 'FTP_CODIGOCTA'";
        EXPECT_NO_THROW(db.AbrirRecordset(sql, rs));
        EXPECT_EQ(rs.State(), ado::adStateClosed);
        EXPECT_EQ(folder.endCount(), 0);
        ASSERT_EQ(respuestas.messages().size(), c.answers.size());
        for (const zxtest::Prompt& p : respuestas.messages()) {
            EXPECT_TRUE(p.title.endsWith(" - AbrirRecordset Aviso al operador!!! - 5 "))
                << p.title.toStdString();
            EXPECT_FALSE(p.text.contains("Se perdio la conexion")) << p.text.toStdString();
        }
        EXPECT_FALSE(db.gOpenFlag);
    }
}

// A server that accepts the connection and never answers: each reopen waits a few seconds
// for the login, not the driver's fifteen, and the box tells the driver's own reason after
// its generic first entry.
TEST_F(AbrirRecordsetTest, TheReconnectIsBoundedAndTellsTheDriversReason) {
    ScriptedBackend* motor = reabreCon(db);
    ado::Error generico = ScriptedBackend::lostConnection();
    generico.Description = "Unable to connect to data source";
    ado::Error motivo = ScriptedBackend::lostConnection();
    motivo.Description = "Login timeout expired";
    motor->failNext(ScriptedBackend::Call::Query, {ScriptedBackend::lostConnection()})
        .failNext(ScriptedBackend::Call::Open, {generico, motivo})
        .failNext(ScriptedBackend::Call::Open, {generico, motivo});
    op.answer(vb::vbNo);
    ado::Recordset rs;
    EXPECT_THROW(db.AbrirRecordset("select * from TA_USUARIOS", rs), vb::ProgramEnded);
    EXPECT_EQ(motor->loginTimeouts().mid(1), (QList<long>{3, 3}));
    ASSERT_EQ(op.messages().size(), 1);
    EXPECT_TRUE(op.messages()[0].text.contains("Login timeout expired"))
        << op.messages()[0].text.toStdString();
    EXPECT_EQ(db.gCnn.ConnectionTimeout(), 15);  // the next ordinary open waits as before
}

// Reopening fails with an error the operator ignores: the flag must not report success.
TEST_F(AbrirRecordsetTest, ReintentaConectarIgnoredFailureLeavesTheFlagOff) {
    ScriptedBackend* motor = reabreCon(db);
    ado::Error otro;
    otro.Number = 3709;
    otro.Description = "x";
    motor->failNext(ScriptedBackend::Call::Open, {otro});
    op.answer(vb::vbIgnore);
    db.ReintentaConectar();
    EXPECT_FALSE(db.gOpenFlag);
    ASSERT_EQ(op.messages().size(), 1);
    EXPECT_TRUE(op.messages().first().title.contains(" - AbrirRecordset Aviso"));
}

class EjecutaConsultaSQLTest : public DbTest {
protected:
    EjecutaConsultaSQLTest() { abre(db); }
    DB_Dll& db = gDB();
};

TEST_F(EjecutaConsultaSQLTest, RunsAScriptAndHandsBackItsResult) {
    QString sql =
        "INSERT INTO TA_USUARIOS (Nombre) VALUES ('a')\n"
        "INSERT INTO TA_USUARIOS (Nombre) VALUES ('b')";
    long filas = 0;
    db.EjecutaConsultaSQL(sql, filas);
    EXPECT_EQ(filas, 2);
    ado::Recordset rs;
    QString consulta = "SELECT COUNT(*) AS N FROM @Admin_TA_USUARIOS";
    db.EjecutaConsultaSQL(consulta, filas, &rs);
    ASSERT_EQ(rs.State(), ado::adStateOpen);
    EXPECT_EQ(rs["N"], vb::Variant(2));
    EXPECT_EQ(db.EjecutaConsultaSQL(QStringLiteral("DELETE FROM TA_USUARIOS")), 2);
}

TEST_F(EjecutaConsultaSQLTest, ErrorsStayInTheListWithoutAMessage) {
    QString sql =
        "INSERT INTO TA_USUARIOS (Nombre) VALUES ('a')\n"
        "INSERT INTO TA_USUARIOS (Nombre) VALUES ('a')";
    long filas = 0;
    db.EjecutaConsultaSQL(sql, filas);
    ASSERT_EQ(db.gCnn.errors().Count(), 1);
    EXPECT_EQ(db.gCnn.errors().Item(0).NativeError, 2627);
    EXPECT_TRUE(op.prompts().isEmpty());
}

// On SQL Server a truncated value stops the statement: the caller must see the error.
TEST_F(EjecutaConsultaSQLTest, ATruncationStaysInTheErrorList) {
    ScriptedBackend* motor = reabreCon(db);
    motor->failNext(ScriptedBackend::Call::Execute, {ScriptedBackend::truncation()});
    QString sql = "INSERT INTO TA_USUARIOS (Nombre) VALUES ('demasiado largo')";
    long filas = 0;
    db.EjecutaConsultaSQL(sql, filas);
    ASSERT_EQ(db.gCnn.errors().Count(), 1);
    EXPECT_EQ(db.gCnn.errors().Item(0).NativeError, 8152);
}

TEST_F(EjecutaConsultaSQLTest, EjecutaConsultaRSQLShowsOnlyUnexpectedErrors) {
    long filas = 0;
    QString sintaxis = "INSERT INTO NO_EXISTE VALUES (1)";
    db.EjecutaConsultaRSQL(sintaxis, filas);
    EXPECT_TRUE(op.prompts().isEmpty());

    ScriptedBackend* motor = reabreCon(db);
    ado::Error raro;
    raro.Number = 5;
    raro.Description = "algo raro";
    motor->failNext(ScriptedBackend::Call::Execute, {raro});
    op.answer(vb::vbOK);
    QString sql = "UPDATE T SET A = 1";
    db.EjecutaConsultaRSQL(sql, filas);
    ASSERT_EQ(op.messages().size(), 1);
    EXPECT_EQ(op.messages().first().text, QStringLiteral("algo raro"));
    EXPECT_EQ(op.messages().first().title, QStringLiteral("Aviso al operador!!!"));
    EXPECT_EQ(op.messages().first().style, vb::vbCritical);

    motor->failNext(ScriptedBackend::Call::Execute, {raro});
    QString transaccion = "COMMIT TRANSACTION";
    db.EjecutaConsultaRSQL(transaccion, filas);
    EXPECT_EQ(op.messages().size(), 1);
}

TEST_F(EjecutaConsultaSQLTest, CierraRecordsetDropsAPendingEdit) {
    ado::Recordset rs;
    rs.Open("SELECT * FROM TA_USUARIOS", db.gCnn, ado::adOpenKeyset, ado::adLockOptimistic);
    rs.AddNew();
    rs.Fields("Nombre").setValue("pendiente");
    db.CierraRecordset(rs);
    EXPECT_EQ(rs.State(), ado::adStateClosed);
    EXPECT_TRUE(op.prompts().isEmpty());
    EXPECT_TRUE(data.rows("SELECT * FROM TA_USUARIOS").isEmpty());
}

// No Oracle server runs here: a scripted engine records what the script runner does.
class MotorOracle : public ScriptedBackend {
public:
    QStringList llamadas;

    ado::BatchOutcome execute(const QString& batch) override {
        llamadas << batch;
        ado::BatchOutcome out = ScriptedBackend::execute(batch);
        if (!out.failed && !out.result.hasColumns()) out.recordsAffected = 2;
        return out;
    }
    long beginTransaction() override {
        llamadas << "BeginTrans";
        return 1;
    }
    void commitTransaction() override { llamadas << "CommitTrans"; }
    void rollbackTransaction() override { llamadas << "RollbackTrans"; }
};

class OracleScriptTest : public DbTest {
protected:
    OracleScriptTest() {
        motor = new MotorOracle;
        db.gCnn.attachBackend(std::unique_ptr<ado::Backend>(motor));
        db.gCnn.Open("Provider=OraOLEDB.Oracle.1;Data Source=VENTAS;User Id=u;Password=p;");
        db.gConnString = db.gCnn.ConnectionString();
    }
    DB_Dll& db = gDB();
    MotorOracle* motor = nullptr;
};

TEST_F(OracleScriptTest, TheScriptRunsStatementByStatementInsideItsTransaction) {
    QString sql =
        "BEGIN TRANSACTION\r\nGO\r\nSET NOCOUNT ON\r\n"
        "INSERT INTO T (A) VALUES ('x INSERT y')\r\n"
        "UPDATE T SET B = '01/02/2021' WHERE ISNULL(C,'') = ''\r\n"
        "COMMIT TRANSACTION\r\n";
    const QString original = sql;
    long filas = 0;
    db.EjecutaConsultaSQL(sql, filas);
    EXPECT_EQ(motor->llamadas,
              (QStringList{"BeginTrans", "INSERT INTO T (A) VALUES ('x INSERT y')",
                           "UPDATE T SET B = TO_DATE('01/02/2021','DD/MM/YYYY') WHERE NVL(C,'')  "
                           "IS NULL ",
                           "CommitTrans"}));
    EXPECT_EQ(filas, 4);
    EXPECT_EQ(db.gCnn.errors().Count(), 0);
    EXPECT_EQ(sql, original);  // the caller keeps its text
}

TEST_F(OracleScriptTest, RollbackAndStartersInsideNamesAndQuotes) {
    QString sql = "BEGIN TRANS UPDATE T SET COMMITTED = 'ROLLBACK ' ROLLBACK TRANS";
    long filas = 0;
    db.EjecutaConsultaSQL(sql, filas);
    EXPECT_EQ(motor->llamadas, (QStringList{"BeginTrans", "UPDATE T SET COMMITTED = 'ROLLBACK '",
                                            "RollbackTrans"}));
}

TEST_F(OracleScriptTest, AQueryWithoutAStarterRunsNothing) {
    QString sql = "SELECT * FROM T";
    long filas = 0;
    db.EjecutaConsultaSQL(sql, filas);
    EXPECT_TRUE(motor->llamadas.isEmpty());
}

TEST_F(OracleScriptTest, ALoneNoticeIsCleared) {
    motor->noticeNext(ScriptedBackend::Call::Execute, {ScriptedBackend::informational()});
    QString sql = "DELETE FROM T";
    long filas = 0;
    db.EjecutaConsultaSQL(sql, filas);
    EXPECT_EQ(db.gCnn.errors().Count(), 0);
}

TEST_F(OracleScriptTest, IfExistsRunsItsStatementOnlyWhenTheTestHolds) {
    ado::ResultSet fila;
    ado::Column columna;
    columna.name = "X";
    fila.columns.append(columna);
    fila.cells.append(vb::Variant(1));
    motor->rowsNext(ScriptedBackend::Call::Execute, fila);  // the test finds a row
    QString sql =
        "IF NOT EXISTS (SELECT 1 FROM T WHERE A = 'INSERT ') INSERT INTO T VALUES (1)\r\n"
        "DELETE FROM U";
    long filas = 0;
    db.EjecutaConsultaSQL(sql, filas);
    EXPECT_EQ(motor->llamadas,
              (QStringList{"SELECT 1 FROM T WHERE A = 'INSERT '", "DELETE FROM U"}));
    motor->llamadas.clear();
    QString vacia = "IF NOT EXISTS (SELECT 1 FROM T) INSERT INTO T VALUES (1)";
    db.EjecutaConsultaSQL(vacia, filas);
    EXPECT_EQ(motor->llamadas, (QStringList{"SELECT 1 FROM T", "INSERT INTO T VALUES (1)"}));

    QString sinConsulta = "IF NOT EXISTS INSERT INTO T VALUES (1)";
    db.EjecutaConsultaSQL(sinConsulta, filas);
    EXPECT_EQ(motor->llamadas.size(), 2);  // refused, never run blindly
    EXPECT_EQ(db.gCnn.errors().Count(), 1);
}

// A test without its query, or without its statement, is refused whole and nothing runs:
// with IF NOT EXISTS a blank test would run the DELETE on every row.
TEST_F(OracleScriptTest, AnIfExistsWithoutQueryOrStatementIsRefused) {
    const QString guiones[] = {"IF EXISTS (   ) DELETE FROM T",
                               "IF NOT EXISTS (   ) DELETE FROM T",
                               "IF NOT EXISTS () DELETE FROM T", "IF EXISTS (SELECT 1 FROM T)",
                               "if not exists ( \r\n ) delete from T"};
    for (const QString& guion : guiones) {
        SCOPED_TRACE(guion.toStdString());
        motor->llamadas.clear();
        QString sql = guion;
        long filas = 0;
        db.EjecutaConsultaSQL(sql, filas);
        EXPECT_TRUE(motor->llamadas.isEmpty()) << motor->llamadas.join(" | ").toStdString();
        ASSERT_EQ(db.gCnn.errors().Count(), 1);
        EXPECT_TRUE(db.gCnn.errors().Item(0).Description.startsWith(
            "IF EXISTS sin consulta o sin sentencia: "))
            << db.gCnn.errors().Item(0).Description.toStdString();
        EXPECT_EQ(filas, 0);
    }
}

}  // namespace
