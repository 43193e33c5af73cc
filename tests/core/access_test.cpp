#include "core/access.h"
#include "core/globals.h"
#include "tests/core/core_fixture.h"
#include "tests/db/db_fixture.h"

namespace {

using namespace ModGlobal;

class ControlAccesoTest : public coretest::CoreTest {
protected:
    ControlAccesoTest() { gIdControlAcceso = 0; }
    QList<QStringList> filas() const {
        return data.rows(
            "SELECT Maquina, Usuario, Formulario, Tarea, Ingreso, NombreUsuario "
            "FROM Control_Acceso");
    }
};

TEST_F(ControlAccesoTest, WritesTheRowWithTheTaskOfTheMenu) {
    abre();
    data.exec(
        "INSERT INTO TA_MENU (Clave, Proceso, Nombre) VALUES ('M1', 'C:\\ZX\\ZENTRIK.EXE', "
        "'Reporte de errores')");
    data.exec("INSERT INTO TA_MENU (Clave, Proceso, Nombre) VALUES ('M2', 'ZENTRIK', 'Otra')");
    data.exec("INSERT INTO TA_TAREAS (USUARIO, TAREA) VALUES ('sa', 'M1')");
    gUsuarioLogeado = "otro";
    ControlAcceso("");
    EXPECT_EQ(gUsuarioLogeado, "sa");
    EXPECT_EQ(filas(), (QList<QStringList>{{"CAJA-01", "SA", "ZENTRIK", "REPORTE DE ERRORES",
                                            "15/03/24 14:05", "sa"}}));
    EXPECT_TRUE(op.prompts().isEmpty());
}

TEST_F(ControlAccesoTest, TaskFallbacksWhenTheMenuHasNone) {
    const struct {
        const char* exe;
        const char* usuario;
        const char* tarea;
    } cases[] = {
        {"ZX900PR", "sa", "MENU PRINCIPAL"},
        {"Zentrik", "ZENTRIK", "ZENTRIK"},  // the login named as the database
        {"Zentrik", "Supervisor General ZX", "ZENTRIK"},
        {"Zentrik", "sa", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.usuario);
        dbtest::reinicia(gDB());
        data.exec("DELETE FROM Control_Acceso");
        vb::App().EXEName = c.exe;
        abre(c.usuario);
        ControlAcceso("");
        const auto rows = filas();
        ASSERT_EQ(rows.size(), 1);
        EXPECT_EQ(rows[0][3], c.tarea);
    }
}

// The machine, the task and the program are stored trimmed and in capitals, whatever blanks
// the system, the menu or the caller gives them.
TEST_F(ControlAccesoTest, TaskAndProgramAreStoredTrimmedInCapitals) {
    const zxtest::FixedStation estacion{"  caja-01 ", "ana"};
    const struct {
        const char* name;
        const char* nombreMenu;  // TA_MENU.Nombre of the user's task
        const char* proceso;     // ControlAcceso's argument
        const char* formulario;
        const char* tarea;
    } cases[] = {
        {"padded task", "  Reporte de Errores  ", "", "ZENTRIK", "REPORTE DE ERRORES"},
        {"blank task", "    ", "", "ZENTRIK", ""},
        {"padded program", "Errores", " zentrik ", "ZENTRIK", "ERRORES"},
    };
    abre();
    data.exec("INSERT INTO TA_TAREAS (USUARIO, TAREA) VALUES ('sa', 'M1')");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        data.exec("DELETE FROM Control_Acceso");
        data.exec("DELETE FROM TA_MENU");
        data.exec(QStringLiteral("INSERT INTO TA_MENU (Clave, Proceso, Nombre) VALUES ('M1', "
                                 "'C:\\ZX\\ ZENTRIK .EXE', '%1')")
                      .arg(QString::fromLatin1(c.nombreMenu)));
        ControlAcceso(QString::fromLatin1(c.proceso));
        const auto rows = filas();
        ASSERT_EQ(rows.size(), 1);
        EXPECT_EQ(rows[0][0], "CAJA-01");
        EXPECT_EQ(rows[0][2], c.formulario);
        EXPECT_EQ(rows[0][3], c.tarea);
    }
    EXPECT_TRUE(op.prompts().isEmpty());
}

TEST_F(ControlAccesoTest, TheIdIsTheOneOfTheRowJustWritten) {
    abre();
    data.exec("INSERT INTO Control_Acceso (Maquina) VALUES ('VIEJA')");
    data.exec("INSERT INTO Control_Acceso (Maquina) VALUES ('VIEJA')");
    ControlAcceso("");
    EXPECT_EQ(gIdControlAcceso, 3);
}

// The user's apostrophes reach the row quoted safely; the global keeps the login as it is.
TEST_F(ControlAccesoTest, AnApostropheInTheUserNameIsStoredAndKeptInTheGlobal) {
    abre("o'hara");
    data.exec("INSERT INTO TA_MENU (Clave, Proceso, Nombre) VALUES ('M1', 'ZENTRIK', 'Errores')");
    data.exec("INSERT INTO TA_TAREAS (USUARIO, TAREA) VALUES ('o''hara', 'M1')");
    ControlAcceso("");
    EXPECT_EQ(gUsuarioLogeado, "o'hara");
    EXPECT_EQ(filas(), (QList<QStringList>{{"CAJA-01", "O'HARA", "ZENTRIK", "ERRORES",
                                            "15/03/24 14:05", "o'hara"}}));
    EXPECT_TRUE(op.prompts().isEmpty());
}

TEST_F(ControlAccesoTest, AliasClassesOfTheSuitesPrograms) {
    abre();
    data.exec("INSERT INTO TA_MENU (Clave, Proceso, Nombre) VALUES ('V', 'ZXVENTAS', 'Ventas')");
    data.exec("INSERT INTO TA_TAREAS (USUARIO, TAREA) VALUES ('sa', 'V')");
    ControlAcceso("ZXVentas2");  // a second edition logs under the first one's name
    ControlAcceso("ZXBACKUP");   // a utility logs without a task
    EXPECT_EQ(filas(),
              (QList<QStringList>{{"CAJA-01", "SA", "ZXVENTAS", "VENTAS", "15/03/24 14:05", "sa"},
                                  {"CAJA-01", "SA", "ZXBACKUP", "", "15/03/24 14:05", "sa"}}));
    const auto id = gIdControlAcceso;
    gUsuarioLogeado.clear();
    ControlAcceso("zxmonitor");  // logs nothing
    EXPECT_EQ(filas().size(), 2);
    EXPECT_EQ(gIdControlAcceso, id);
    EXPECT_EQ(gUsuarioLogeado, "sa");
}

// A host name of 51 to 64 characters (Linux allows 64) and a domain login longer than the
// columns: the access row is written with each text cut to its column, and nothing is shown.
TEST_F(ControlAccesoTest, LongTextsAreStoredCutToTheColumns) {
    const QString login = "CONTABILIDAD-CENTRAL.EMPRESA.LOCAL\\administrador.contable.01";
    const struct {
        const char* name;
        QString maquina;
        const char* definicion;  // "" keeps the schema's table
        int maquinaCol, usuarioCol, nombreCol;
    } cases[] = {
        {"51", "caja-" + QString(46, u'a'), "", 50, 50, 50},
        {"64", "sucursal-centro-" + QString(48, u'b'), "", 50, 50, 50},
        {"other sizes", "caja-" + QString(30, u'c'),
         "CREATE TABLE Control_Acceso (ID int IDENTITY(1,1) NOT NULL, Maquina varchar(16) NULL, "
         "Usuario varchar(10) NULL, Formulario varchar(50) NULL, Tarea varchar(100) NULL, "
         "Ingreso varchar(20) NULL, NombreUsuario nvarchar(25) NULL)",
         16, 10, 25},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        dbtest::reinicia(gDB());
        if (*c.definicion) {
            data.exec("DROP TABLE Control_Acceso");
            data.exec(c.definicion);
        }
        data.exec("DELETE FROM Control_Acceso");
        const zxtest::FixedStation estacion{c.maquina, "ana"};
        abre(login);
        ControlAcceso("");
        EXPECT_EQ(filas(), (QList<QStringList>{{c.maquina.toUpper().left(c.maquinaCol),
                                                login.toUpper().left(c.usuarioCol), "ZENTRIK", "",
                                                "15/03/24 14:05", login.left(c.nombreCol)}}));
        EXPECT_TRUE(op.prompts().isEmpty());
        EXPECT_EQ(data.rows("SELECT COUNT(*) FROM AUX_ERR"), QList<QStringList>{{"0"}});
    }
}

}  // namespace
