#include "core/config.h"
#include "core/globals.h"
#include "core/settings.h"
#include "tests/core/core_fixture.h"

namespace {

using namespace ModGlobal;

class CargaConfiguracionTest : public coretest::CoreTest {
protected:
    void guarda(const QString& clave, const QString& valor) {
        data.exec(QString("INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES ('%1', '%2')")
                      .arg(clave, valor));
    }
};

TEST_F(CargaConfiguracionTest, AnEmptyTableGivesTheDefaults) {
    abre();
    gUsuarioLogeado = "sa";
    gColorFondo = 0xFFFFFF;
    CargaConfiguracion(folder.path() + "/");
    EXPECT_EQ(gTablaConfiguracion, "ta_configuracion");
    EXPECT_EQ(gArchivoDocTareas, folder.path() + "/KQDOCTareas.kqv");
    for (bool flag : {gMostrarStockenConsultas, gUsaConsultaLike, gConfidencialidad,
                      gUsaFacturaProforma, gMaderera, gValidaCodigoBarra, gUtilizarFechaDia,
                      gVModificaCPrecio, gPideClaveStockNeg, gBloqueoActivo})
        EXPECT_FALSE(flag);
    EXPECT_TRUE(gModuloOrdenDeTrabajo);
    EXPECT_EQ(gColorFondo, 16776960);
    EXPECT_EQ(gColorLetra, 0);
    EXPECT_EQ(gCondIvaEmpresa, 1);
    EXPECT_EQ(gTopDefault, "1000");
    EXPECT_EQ(gCantidadDecimales, " ");
    EXPECT_EQ(gUNegocio, "   1");
    EXPECT_EQ(gTituloClientes, "");
    EXPECT_EQ(gPeriodo, 0);
    EXPECT_EQ(gMaxDto, vb::Currency());
    EXPECT_TRUE(op.prompts().isEmpty());
}

TEST_F(CargaConfiguracionTest, ReadingsOfTheStoredTexts) {
    zxtest::ScopedLocale locale(QLocale(QLocale::Spanish, QLocale::Argentina));
    abre();
    gUsuarioLogeado = "sa";
    guarda("VALIDACODIGOBARRA", " SI ");  // compared trimmed
    guarda("UsaConsultaLike", " SI ");    // compared as stored
    guarda("MADERERA", "X");
    guarda("V_ModificaCPrecio", "no");
    guarda("C_ModificaCPrecio", "si");
    guarda("ModuloOrdenDeTrabajo", " no ");
    guarda("SS_CONFIDENCIALIDAD", "si");
    guarda("CONDIVA", "3");
    guarda("CFondo", "0");
    guarda("CLetra", "255");
    guarda("PERIODO", "2024abc");
    guarda("MaxDto", " 12,5 ");
    guarda("TituloClientes", "  Socios  ");
    guarda("CantidadDecimales", "3 ");
    guarda("Top_Default", "  ");
    CargaConfiguracion(folder.path() + "/");
    EXPECT_TRUE(gValidaCodigoBarra);
    EXPECT_FALSE(gUsaConsultaLike);
    EXPECT_TRUE(gMaderera);
    EXPECT_FALSE(gVModificaCPrecio);
    EXPECT_TRUE(gCModificaCPrecio);
    EXPECT_FALSE(gModuloOrdenDeTrabajo);
    EXPECT_TRUE(gConfidencialidad);
    EXPECT_EQ(gCondIvaEmpresa, 3);
    EXPECT_EQ(gColorFondo, 16776960);
    EXPECT_EQ(gColorLetra, 255);
    EXPECT_EQ(gPeriodo, 2024);
    EXPECT_EQ(gMaxDto, vb::Currency::fromScaled(125000));
    EXPECT_EQ(gTituloClientes, "Socios");
    EXPECT_EQ(gCantidadDecimales, "3 ");
    EXPECT_EQ(gTopDefault, "1000");
}

TEST_F(CargaConfiguracionTest, TheUserRowNarrowsProformaAndGivesTheBusinessUnit) {
    abre();
    data.exec("INSERT INTO ta_usuarios (Nombre, UNegocio, verproforma) VALUES ('ana', '   7', 0)");
    data.exec("INSERT INTO ta_usuarios (Nombre, UNegocio, verproforma) VALUES ('bea', NULL, 1)");
    data.exec(
        "INSERT INTO ta_usuarios (Nombre, UNegocio, verproforma) VALUES ('o''hara', '2', "
        "NULL)");
    const struct {
        const char* usuario;
        const char* key;
        bool proforma;
        const char* unidad;
    } cases[] = {
        {"ana", "SI", false, "   7"},  // the key is on, the user may not
        {"bea", "NO", false, "   1"},  // the user may, the key is off
        {"bea", "SI", true, "   1"},
        {"o'hara", "SI", false, "2"},   // a Null flag reads as not allowed
        {"nadie", "SI", true, "   1"},  // no user row: the key alone
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.usuario);
        data.exec("DELETE FROM TA_CONFIGURACION");
        guarda("UsaFacturaProforma", c.key);
        gUsuarioLogeado = c.usuario;
        gUNegocio.clear();
        CargaConfiguracion(folder.path() + "/");
        EXPECT_EQ(gUsaFacturaProforma, c.proforma);
        EXPECT_EQ(gUNegocio, c.unidad);
    }
}

}  // namespace
