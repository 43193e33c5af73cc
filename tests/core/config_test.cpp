#include "core/config.h"
#include "core/globals.h"
#include "platform/ado/sqlitebackend.h"
#include "tests/core/core_fixture.h"
#include "tests/db/db_fixture.h"

namespace {

class CfgTest : public coretest::CoreTest {};

TEST_F(CfgTest, ReadsTheValueOfAKeyAndItsAuxiliaryValue) {
    abre();
    data.exec(
        "INSERT INTO TA_CONFIGURACION (CLAVE, VALOR, ValorAux) VALUES ('NOMBRE', 'Acme', "
        "'aux'); INSERT INTO TA_CONFIGURACION (CLAVE, VALOR, ValorAux) VALUES ('NULO', "
        "NULL, NULL); INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES ('O''BRIEN', "
        "'irlanda'); INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES ('[FECHA DESDE]', "
        "'01/01/24')");
    const struct {
        const char* clave;
        const char* valor;
        const char* aux;
    } cases[] = {
        {"NOMBRE", "Acme", "aux"},  {"  nombre ", "Acme", "aux"},
        {"FALTA", " ", ""},  // a missing key is one blank
        {"NULO", "", ""},    // Null is the empty text
        {"o'brien", "irlanda", ""}, {" [fecha desde] ", "01/01/24", ""},
        {"THEME", "1", ""},  // missing THEME reads as 1
        {"theme", "1", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.clave);
        QString aux = "previo";
        EXPECT_EQ(ModGlobal::Cfg(c.clave, &aux), c.valor);
        EXPECT_EQ(aux, c.aux);
    }
    EXPECT_EQ(ModGlobal::gTablaConfiguracion, "TA_CONFIGURACION");
    EXPECT_TRUE(op.prompts().isEmpty());
}

TEST_F(CfgTest, ThemeBlankOrNullReadsAsOneAndAStoredValueAsIs) {
    abre();
    const struct {
        const char* stored;
        const char* expected;
    } cases[] = {{"NULL", "1"}, {"'  '", "1"}, {"'3'", "3"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        data.exec("DELETE FROM TA_CONFIGURACION");
        data.exec(QString("INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES ('THEME', %1)")
                      .arg(c.stored));
        EXPECT_EQ(ModGlobal::Cfg("Theme"), c.expected);
    }
}

TEST_F(CfgTest, AClosedConnectionGivesTheEmptyTextAndLeavesValorAuxAlone) {
    QString aux = "previo";
    EXPECT_EQ(ModGlobal::Cfg("NOMBRE", &aux), "");
    EXPECT_EQ(aux, "previo");
    EXPECT_EQ(ModGlobal::Cfg("THEME"), "");
    EXPECT_TRUE(op.prompts().isEmpty());
}

// Retry is not honoured: the reader gives up with the empty text instead of asking again.
TEST_F(CfgTest, AFailingReadGoesToTheErrorDialogAndRetryGivesUp) {
    abre();
    ModGlobal::gTablaConfiguracion = "NO_HAY_TABLA";
    op.answer(vb::vbIgnore).answer(vb::vbRetry);  // the database class's box, then Cfg's
    EXPECT_EQ(ModGlobal::Cfg("NOMBRE"), "");
    ASSERT_EQ(op.messages().size(), 2);
    EXPECT_EQ(op.messages()[1].title, "ADODB.Recordset - Cfg Aviso al operador!!! - 2 ");
}

TEST_F(CfgTest, GrabaDfgInsertsThenUpdatesAKeyWithAnApostrophe) {
    abre();
    ModGlobal::GrabaDfg("o'brien", " valor ", "", false, "DATOS", true);
    EXPECT_EQ(data.rows("SELECT CLAVE, VALOR, ValorAux, Grupo FROM TA_CONFIGURACION"),
              (QList<QStringList>{{"O'BRIEN", "valor", QString(), "DATOS"}}));

    ModGlobal::GrabaDfg("o'brien", " otro ", " aux ", true, "GRUPO2", false);
    EXPECT_EQ(data.rows("SELECT CLAVE, VALOR, ValorAux, Grupo FROM TA_CONFIGURACION"),
              (QList<QStringList>{{"O'BRIEN", " otro ", "aux", "GRUPO2"}}));

    // An empty auxiliary value keeps the stored one; Null writes the empty text.
    ModGlobal::GrabaDfg("o'brien", vb::Variant::null(), "", false, "GRUPO2", true);
    EXPECT_EQ(data.rows("SELECT CLAVE, VALOR, ValorAux FROM TA_CONFIGURACION"),
              (QList<QStringList>{{"O'BRIEN", "", "aux"}}));
    EXPECT_EQ(ModGlobal::Cfg("O'Brien"), "");
    EXPECT_TRUE(op.prompts().isEmpty());
}

TEST_F(CfgTest, TheStatisticsKeysLiveInTheirOwnDatabase) {
    abre();
    abreEstadisticas();
    ModGlobal::GrabaCfgKQ("TimeOut", 90, "", false, "BaseDeDatos", true);
    EXPECT_EQ(ModGlobal::CfgKQ("timeout"), "90");
    EXPECT_EQ(ModGlobal::Cfg("TimeOut"), " ");
    EXPECT_EQ(data.rows("SELECT CLAVE, VALOR, Grupo FROM TA_CONFIGURACION",
                        zxtest::TestDatabase::statisticsName),
              (QList<QStringList>{{"TIMEOUT", "90", "BaseDeDatos"}}));
}

// The statistics connection that start-up could not open (its login refused, or its
// database missing): its keys read as empty and nothing is written, with nothing shown.
TEST_F(CfgTest, AStatisticsConnectionThatNeverOpenedReadsEmptyAndWritesNothing) {
    abre();
    QString error;
    ASSERT_TRUE(ado::recordEmbeddedLogin(data.file(zxtest::TestDatabase::statisticsName), "otro",
                                         "otro", &error))
        << error.toStdString();
    dbtest::abreEstadisticas(gDBEstadisticas(), servidor());
    ASSERT_FALSE(gDBEstadisticas().gOpenFlag);

    QString aux = "previo";
    EXPECT_EQ(ModGlobal::CfgKQ("FTP_CODIGOCTA", &aux), "");
    EXPECT_EQ(aux, "previo");
    ModGlobal::GrabaCfgKQ("TimeOut", 90, "", false, "BaseDeDatos", true);
    EXPECT_EQ(folder.endCount(), 0);
    EXPECT_TRUE(op.prompts().isEmpty());
    EXPECT_TRUE(
        data.rows("SELECT CLAVE FROM TA_CONFIGURACION", zxtest::TestDatabase::statisticsName)
            .isEmpty());
}

}  // namespace
