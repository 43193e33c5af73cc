#include "core/errortable.h"
#include "tests/core/core_fixture.h"
#include "tests/db/db_fixture.h"
#include "platform/ado/sqlitebackend.h"
#include "tests/support/scripted_backend.h"

namespace {

using zxtest::ScriptedBackend;

const QString kInsert = "INSERT INTO TA_MENU (Clave, Proceso, Nombre) VALUES ('A', 'p', 'n')";

class ErrorTableTest : public coretest::CoreTest {
protected:
    // gDB() on the test database through a scripted engine with the real one inside.
    ScriptedBackend& motorGuionado() {
        abre();
        auto* motor = new ScriptedBackend(std::make_unique<ado::SqliteBackend>());
        gDB().gCnn.Close();
        gDB().gCnn.attachBackend(std::unique_ptr<ado::Backend>(motor));
        gDB().gCnn.Open(gDB().gConnString);
        return *motor;
    }

    // What one insert run gives when the provider fails it with `errores` and the operator
    // answers the message.
    struct Corrida {
        bool hubo = false;
        std::int32_t nro = 0;
        QString texto;
    };
    Corrida fallaCon(ScriptedBackend& motor, const QList<ado::Error>& errores) {
        motor.failNext(ScriptedBackend::Call::Execute, errores);
        op.answer(vb::vbOK);
        Corrida c;
        QString sentencia;
        ModGlobal::GActualizarDatoScript({kInsert}, c.hubo, c.nro, false, false, sentencia,
                                         c.texto, true);
        return c;
    }

    QList<QStringList> auxErr() const {
        return data.rows(
            "SELECT Proceso, fecha, Error, Descripcion, sql, PC, Usuario FROM AUX_ERR");
    }
};

TEST_F(ErrorTableTest, AFailingScriptRollsBackLeavesOneRowAndOneMessage) {
    abre();
    op.answer(vb::vbOK);
    bool hubo = false;
    std::int32_t nro = -1;
    QString sentencia, texto;
    ModGlobal::GActualizarDatoScript({"", kInsert, "   ", kInsert}, hubo, nro, false, false,
                                     sentencia, texto, true);
    EXPECT_TRUE(hubo);
    EXPECT_EQ(nro, 2627);
    const QString script = "BEGIN TRANSACTION \r\r\r" + kInsert + "\r" + kInsert + "\r";
    EXPECT_EQ(sentencia, script);
    EXPECT_EQ(data.rows("SELECT Clave FROM TA_MENU"), QList<QStringList>{});
    const auto rows = auxErr();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0][0], "Zentrik");
    EXPECT_EQ(rows[0][1], "2024-03-15 14:05:00");
    EXPECT_EQ(rows[0][2], "2627");
    EXPECT_TRUE(rows[0][3].startsWith("2627 : ")) << rows[0][3].toStdString();
    EXPECT_EQ(rows[0][4], script);
    EXPECT_EQ(rows[0][5], "caja-01");
    EXPECT_EQ(rows[0][6], "sa");
    ASSERT_EQ(op.messages().size(), 1);
    EXPECT_EQ(op.messages()[0].title, "Aviso al Operador!");
    EXPECT_EQ(op.messages()[0].style, 16);
    EXPECT_EQ(op.messages()[0].text, rows[0][3]);
    EXPECT_EQ(texto, rows[0][3]);
    EXPECT_EQ(gDB().gCnn.errors().Count(), 0);
}

TEST_F(ErrorTableTest, TheDuplicateKeyFlagKeepsTheMessageButNotTheRollback) {
    abre();
    bool hubo = false;
    std::int32_t nro = 0;
    QString sentencia, texto;
    ModGlobal::GActualizarDatoScript({kInsert, kInsert}, hubo, nro, true, false, sentencia, texto,
                                     true);
    EXPECT_TRUE(hubo);
    EXPECT_EQ(nro, 2627);
    EXPECT_TRUE(op.prompts().isEmpty());
    EXPECT_EQ(data.rows("SELECT Clave FROM TA_MENU"), QList<QStringList>{});
    const auto rows = auxErr();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0][3], "");
    EXPECT_FALSE(texto.isEmpty());
    EXPECT_FALSE(texto.startsWith("2627 : "));  // the bare description
}

TEST_F(ErrorTableTest, ACleanScriptCommitsAndBlankLinesRunNothing) {
    abre();
    bool hubo = true;
    std::int32_t nro = 77;
    QString sentencia, texto;
    ModGlobal::GActualizarDatoScript({"", "  "}, hubo, nro, false, false, sentencia, texto, true);
    EXPECT_FALSE(hubo);
    EXPECT_EQ(nro, 77);
    EXPECT_EQ(sentencia, "");
    ModGlobal::GActualizarDatoScript({kInsert}, hubo, nro, false, false, sentencia, texto, true);
    EXPECT_FALSE(hubo);
    EXPECT_EQ(nro, 0);
    EXPECT_EQ(data.rows("SELECT Clave FROM TA_MENU"), QList<QStringList>{{"A"}});
    EXPECT_EQ(auxErr(), QList<QStringList>{});
    EXPECT_TRUE(op.prompts().isEmpty());
}

TEST_F(ErrorTableTest, AnInformationalNoticeIsNoFailure) {
    motorGuionado().noticeNext(ScriptedBackend::Call::Execute, {ScriptedBackend::informational()});
    bool hubo = true;
    std::int32_t nro = -1;
    QString sentencia, texto;
    ModGlobal::GActualizarDatoScript({kInsert}, hubo, nro, false, false, sentencia, texto, true);
    EXPECT_FALSE(hubo);
    EXPECT_EQ(nro, 0);
    EXPECT_EQ(data.rows("SELECT Clave FROM TA_MENU"), QList<QStringList>{{"A"}});
    EXPECT_EQ(auxErr(), QList<QStringList>{});
    EXPECT_TRUE(op.prompts().isEmpty());
}

// A run that raised is a failure even when the provider left no error in the list.
TEST_F(ErrorTableTest, ARaisedRunWithAnEmptyErrorListIsAFailure) {
    motorGuionado().failNext(ScriptedBackend::Call::Execute, {});
    op.answer(vb::vbOK);
    bool hubo = false;
    std::int32_t nro = 0;
    QString sentencia, texto;
    ModGlobal::GActualizarDatoScript({kInsert}, hubo, nro, false, false, sentencia, texto, true);
    EXPECT_TRUE(hubo);
    EXPECT_EQ(nro, ado::err::ProviderFailure);
    EXPECT_EQ(auxErr().size(), 1);
    ASSERT_EQ(op.messages().size(), 1);
    EXPECT_EQ(op.messages()[0].title, "Aviso al Operador!");
    EXPECT_EQ(data.rows("SELECT Clave FROM TA_MENU"), QList<QStringList>{});
}

// The last entry of a longer list is SQL Server's closing note and is left out.
TEST_F(ErrorTableTest, OfSeveralErrorsAllButTheLastAreReported) {
    const ado::Error e1 = ado::sqlServerError(2627, "uno");
    const ado::Error e2 = ado::sqlServerError(547, "dos");
    const ado::Error e3 = ado::sqlServerError(3621, "tres");
    const struct {
        QList<ado::Error> errors;
        QString text;
    } cases[] = {
        {{e1}, "2627 : uno\r\n"},
        {{e1, e2}, "2627 : uno\r\n"},
        {{e1, e2, e3}, "2627 : uno\r\n547 : dos\r\n"},
    };
    ScriptedBackend& motor = motorGuionado();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.errors.size());
        const Corrida r = fallaCon(motor, c.errors);
        EXPECT_EQ(r.nro, 2627);
        EXPECT_EQ(r.texto, c.text);
        EXPECT_EQ(op.messages().last().text, c.text);
    }
}

// A provider notice ahead of the error is no part of the report: the row and the message
// carry the real error.
TEST_F(ErrorTableTest, ANoticeBeforeTheErrorLeavesTheRealErrorInTheRowAndTheMessage) {
    const ado::Error aviso = ScriptedBackend::informational();
    const ado::Error e1 = ado::sqlServerError(2627, "uno");
    const ado::Error e2 = ado::sqlServerError(3621, "dos");
    const struct {
        QList<ado::Error> errors;
        QString text;
    } cases[] = {
        {{aviso, e1}, "2627 : uno\r\n"},
        {{aviso, e1, e2}, "2627 : uno\r\n"},
        {{e1, aviso, e2}, "2627 : uno\r\n"},
    };
    ScriptedBackend& motor = motorGuionado();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.errors.size());
        const Corrida r = fallaCon(motor, c.errors);
        EXPECT_TRUE(r.hubo);
        EXPECT_EQ(r.nro, 2627);
        EXPECT_EQ(r.texto, c.text);
        ASSERT_FALSE(op.messages().isEmpty());
        EXPECT_EQ(op.messages().last().text, c.text);
        EXPECT_EQ(auxErr().last()[3], c.text);
    }
    EXPECT_EQ(auxErr().size(), 3);
    EXPECT_EQ(data.rows("SELECT Clave FROM TA_MENU"), QList<QStringList>{});
}

TEST_F(ErrorTableTest, GrabaErrorNamesTheProgramAndCutsTheDescription) {
    abre();
    QString proceso;
    const QString larga = QString(260, u'x');
    ModGlobal::GrabaError("select 1", proceso, 208, larga);
    EXPECT_EQ(proceso, "Zentrik");
    const auto rows = auxErr();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0][3], QString(250, u'x'));
    EXPECT_EQ(rows[0][2], "208");
    EXPECT_TRUE(op.prompts().isEmpty());
}

// The row's date is the minute the local clock shows, also just after it skipped an hour or
// midnight and while it shows an hour for the second time.
TEST_F(ErrorTableTest, GrabaErrorDatesTheRowWithTheLocalClocksReading) {
    const struct {
        const char* zone;
        QDateTime utc;
    } cases[] = {
        {"Europe/Madrid", vb::utcInstant(QDate(2026, 3, 29), QTime(1, 0, 30))},
        {"Europe/Madrid", vb::utcInstant(QDate(2026, 10, 25), QTime(0, 30))},
        {"Europe/Madrid", vb::utcInstant(QDate(2026, 10, 25), QTime(1, 30))},
        {"America/Santiago", vb::utcInstant(QDate(2026, 9, 6), QTime(4, 0))},
        {"Asia/Beirut", vb::utcInstant(QDate(2026, 3, 28), QTime(22, 0))},
        {"Atlantic/Azores", vb::utcInstant(QDate(2026, 3, 29), QTime(1, 0))},
        {"America/Havana", vb::utcInstant(QDate(2026, 3, 8), QTime(5, 0))},
    };
    abre();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.zone + (u' ' + c.utc.toString(Qt::ISODate)).toStdString());
        zxtest::ScopedTimeZone zone(c.zone);
        const QDateTime local = c.utc.toLocalTime();
        zxtest::FixedClock clock(local);
        data.exec("DELETE FROM AUX_ERR");
        QString proceso = "Ventas";
        ModGlobal::GrabaError("select 1", proceso, 208, "x");
        const auto rows = data.rows("SELECT fecha FROM AUX_ERR");
        ASSERT_EQ(rows.size(), 1);
        EXPECT_EQ(rows[0][0], local.toString("yyyy-MM-dd HH:mm:00"));
    }
}

// A script longer than the sql column is stored cut rather than lost.
TEST_F(ErrorTableTest, GrabaErrorCutsTheScriptToTheColumn) {
    data.exec("DROP TABLE AUX_ERR");
    data.exec(
        "CREATE TABLE AUX_ERR (ID int IDENTITY(1,1) NOT NULL, Proceso varchar(50) NULL, "
        "fecha datetime NULL, Error int NULL, Descripcion varchar(250) NULL, "
        "sql varchar(20) NULL, PC varchar(100) NULL, Usuario varchar(50) NULL)");
    abre();
    QString proceso = "Otro";
    ModGlobal::GrabaError(QString(30, u's'), proceso, 1, "d");
    EXPECT_EQ(data.rows("SELECT sql, Proceso FROM AUX_ERR"),
              (QList<QStringList>{{QString(20, u's'), "Otro"}}));
}

// A NUL character in a script line is a failed script like any other: rolled back, one AUX_ERR
// row, one message, and the lines before it undone.
TEST_F(ErrorTableTest, ANulCharacterInAScriptIsAFailureWithItsRow) {
    abre();
    op.answer(vb::vbOK);
    bool hubo = false;
    std::int32_t nro = 0;
    QString sentencia, texto;
    const QString conNul = "DELETE FROM TA_MENU" + QString(QChar(u'\0')) + " WHERE 1=0";
    ModGlobal::GActualizarDatoScript({kInsert, conNul}, hubo, nro, false, false, sentencia, texto,
                                     true);
    EXPECT_TRUE(hubo);
    EXPECT_EQ(nro, 102);
    EXPECT_EQ(data.rows("SELECT Clave FROM TA_MENU"), QList<QStringList>{});
    const auto rows = auxErr();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0][2], "102");
    EXPECT_TRUE(rows[0][3].startsWith("102 : ")) << rows[0][3].toStdString();
    EXPECT_TRUE(rows[0][4].contains(kInsert));
    ASSERT_EQ(op.messages().size(), 1);
    EXPECT_EQ(op.messages()[0].title, "Aviso al Operador!");
    EXPECT_EQ(gDB().gCnn.errors().Count(), 0);
}

// A domain login, a host name or a process name longer than its column: the row is kept with
// each text cut to the column, as the database defines it, also for a failing script.
TEST_F(ErrorTableTest, GrabaErrorKeepsTheRowOfLongTextsCutToTheColumns) {
    const QString login = "CONTABILIDAD-CENTRAL.EMPRESA.LOCAL\\administrador.contable.01";
    const QString maquina = QString("estacion-") + QString(110, u'x');
    const QString proceso = "ZX-PROCESO-DE-CIERRE-MENSUAL-DE-CUENTAS-CORRIENTES-Y-CAJA";
    ASSERT_GT(login.size(), 50);
    ASSERT_GT(proceso.size(), 50);
    const zxtest::FixedStation estacion{maquina, "ana"};
    const struct {
        const char* name;
        const char* definicion;  // "" keeps the schema's table
        int proceso, descripcion, pc, usuario;
    } cases[] = {
        {"schema", "", 50, 250, 100, 50},
        {"other sizes",
         "CREATE TABLE AUX_ERR (ID int IDENTITY(1,1) NOT NULL, Proceso varchar(12) NULL, "
         "fecha datetime NULL, Error int NULL, Descripcion varchar(30) NULL, "
         "sql varchar(MAX) NULL, PC varchar(9) NULL, Usuario nvarchar(20) NULL)",
         12, 30, 9, 20},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        dbtest::reinicia(gDB());
        if (*c.definicion) {
            data.exec("DROP TABLE AUX_ERR");
            data.exec(c.definicion);
        }
        abre(login);
        QString p = proceso;
        ModGlobal::GrabaError("select 1", p, 8152, QString(300, u'd'));
        EXPECT_EQ(p, proceso);
        EXPECT_EQ(auxErr(), (QList<QStringList>{{proceso.left(c.proceso), "2024-03-15 14:05:00",
                                                 "8152", QString(c.descripcion, u'd'), "select 1",
                                                 maquina.left(c.pc), login.left(c.usuario)}}));
        data.exec("DELETE FROM AUX_ERR");
        // A failed script of that user still leaves its row.
        op.answer(vb::vbOK);
        bool hubo = false;
        std::int32_t nro = 0;
        QString sentencia, texto;
        ModGlobal::GActualizarDatoScript({kInsert, kInsert}, hubo, nro, false, false, sentencia,
                                         texto, true);
        EXPECT_TRUE(hubo);
        const auto rows = auxErr();
        ASSERT_EQ(rows.size(), 1);
        EXPECT_EQ(rows[0][2], "2627");
        EXPECT_EQ(rows[0][5], maquina.left(c.pc));
        EXPECT_EQ(rows[0][6], login.left(c.usuario));
        data.exec("DELETE FROM AUX_ERR");
    }
}

}  // namespace
