#include "lookup/consulta_sql.h"

#include "tests/support/fixtures.h"

#include <gtest/gtest.h>

namespace {

TEST(ConsultaSql, WhereIsWrappedWhenLongerThanOneCharacter) {
    const struct {
        const char* where;
        const char* expected;
    } cases[] = {
        {"", ""},
        {"x", "x"},
        {"a = 1", " (a = 1) "},
        {"(a = 1)", "(a = 1)"},
        {" (a = 1)", " ( (a = 1)) "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.where);
        EXPECT_EQ(consultas::envuelveWhere(c.where), c.expected);
    }
}

TEST(ConsultaSql, RowLimitDefaultsToAThousand) {
    const struct {
        const char* valor;
        int expected;
    } cases[] = {{"", 1000}, {" ", 1000}, {"0", 1000}, {"-5", 1000}, {"250", 250}, {"99.6", 100}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.valor);
        EXPECT_EQ(consultas::limiteFilas(c.valor), c.expected);
    }
}

TEST(ConsultaSql, GivenSelectGetsItsWhereAndNoLimit) {
    QString where = "IdVendedor = 3";
    EXPECT_EQ(consultas::conSelect("select Codigo, Descripcion from v_ma_articulos", where),
              "select Codigo, Descripcion from VT_MA_ARTICULOS WHERE IdVendedor = 3");
    EXPECT_EQ(where, " WHERE IdVendedor = 3");

    QString conWhere = " where a = 1";
    EXPECT_EQ(consultas::conSelect("SELECT a FROM T", conWhere), "SELECT a FROM T where a = 1");
    QString vacio = "  ";
    EXPECT_EQ(consultas::conSelect("SELECT a FROM T", vacio), "SELECT a FROM T");
}

TEST(ConsultaSql, DefinitionRecordGivesColumnsHintFilterAndOrder) {
    const MascaraConsulta vendedores{"VENDEDORES", "V_TA_VENDEDORES", "|NOMBRE|IDVENDEDOR|", {}};
    QString campo;
    EXPECT_EQ(consultas::desdeMascara(vendedores, 1000, campo, {}),
              "SELECT TOP 1000 NOMBRE,IDVENDEDOR FROM V_TA_VENDEDORES  with(nolock)  ORDER BY "
              "NOMBRE");
    EXPECT_EQ(campo, "NOMBRE");

    QString dado = "IDVENDEDOR";
    EXPECT_EQ(consultas::desdeMascara(vendedores, 50, dado, " (Zona = 2) "),
              "SELECT TOP 50 NOMBRE,IDVENDEDOR FROM V_TA_VENDEDORES  with(nolock)  WHERE  (Zona = "
              "2)  ORDER BY IDVENDEDOR");
}

TEST(ConsultaSql, DefinitionRecordTableRules) {
    QString campo;
    EXPECT_EQ(
        consultas::desdeMascara({"C", "VT_CLIENTES", "|RAZON_SOCIAL|CODIGO|", {}}, 10, campo, {}),
        "SELECT TOP 10 RAZON_SOCIAL,CODIGO FROM VT_CLIENTES  with(nolock)  WHERE "
        "Dada_De_Baja = 0 ORDER BY RAZON_SOCIAL");
    campo.clear();
    EXPECT_EQ(
        consultas::desdeMascara({"A", "v_ma_articulos", "|DESCRIPCION|IDARTICULO|", "Rubro = 4"},
                                10, campo, " (x = 1) "),
        "SELECT TOP 10 DESCRIPCION,IDARTICULO FROM VT_MA_ARTICULOS  with(nolock)  WHERE "
        "Rubro = 4 ORDER BY DESCRIPCION");
    campo.clear();
    EXPECT_EQ(consultas::desdeMascara({"A", "V_MA_ARTICULOS", "|DESCRIPCION|IDARTICULO|", {}}, 10,
                                      campo, {}),
              "SELECT TOP 10 DESCRIPCION,IDARTICULO FROM VT_MA_ARTICULOS  with(nolock)  WHERE "
              "SUSPENDIDO = 0 ORDER BY DESCRIPCION");
}

TEST(ConsultaSql, DefinitionRecordWithOneColumnNeedsASearchColumn) {
    const MascaraConsulta una{"X", "MA_X", "|NOMBRE|", {}};
    QString campo;
    EXPECT_FALSE(consultas::desdeMascara(una, 10, campo, {}).has_value());
    campo = "NOMBRE";
    EXPECT_EQ(consultas::desdeMascara(una, 10, campo, {}),
              "SELECT TOP 10 NOMBRE FROM MA_X  with(nolock)  ORDER BY NOMBRE");
}

// An empty first column left no search column: the text has no ORDER BY at all.
TEST(ConsultaSql, DefinitionRecordWithoutSearchColumnHasNoOrder) {
    QString campo;
    EXPECT_EQ(consultas::desdeMascara({"X", "MA_X", "||A|B|", {}}, 10, campo, {}),
              "SELECT TOP 10 ,A,B FROM MA_X with(nolock) ");
    EXPECT_EQ(campo, "");
}

TEST(ConsultaSql, DiscoveryListsFieldsInReverseAndOrdersByTheDescription) {
    QString campo = "DADO";
    EXPECT_EQ(
        consultas::porDescubrimiento("MA_T", 1000, {"A", "B", "DESCRIPCION", "C"}, campo, {}, {}),
        "SELECT TOP 1000 C,DESCRIPCION,B,A FROM MA_T  ORDER BY DESCRIPCION");
    EXPECT_EQ(campo, "DESCRIPCION");
}

TEST(ConsultaSql, DiscoverySkipsIdentityDatesAndPasswords) {
    QString campo;
    EXPECT_EQ(consultas::porDescubrimiento("TA_USUARIOS", 20,
                                           {"ID", "Usuario", "email_Password", "Nombre",
                                            "FECHAHORA_GRABACION", "PassWordMail"},
                                           campo, " (Activo = 1) ", {}),
              "SELECT TOP 20 Nombre,Usuario FROM TA_USUARIOS WHERE   (Activo = 1)  ORDER BY "
              "Nombre");
}

TEST(ConsultaSql, DiscoveryWithoutColumnsKeepsTheCallersOrder) {
    QString campo = "CODIGO";
    EXPECT_EQ(consultas::porDescubrimiento("T", 5, {"ID", "FECHAHORA_GRABACION"}, campo, {}, {}),
              "SELECT TOP 5  *  FROM T  ORDER BY CODIGO");
    QString ninguno;
    EXPECT_EQ(consultas::porDescubrimiento("T", 5, {}, ninguno, {}, {}),
              "SELECT TOP 5  *  FROM T ");
}

TEST(ConsultaSql, DiscoveryKeepsIdentityOfTheMutualsViews) {
    QString campo;
    EXPECT_EQ(consultas::porDescubrimiento("V_MV_MUTUALES", 5, {"Nombre", "ID"}, campo, {}, {}),
              "SELECT TOP 5 ID,Nombre FROM V_MV_MUTUALES  ORDER BY ID");
}

TEST(ConsultaSql, DepositsAndOptionalStatementNeedNoDiscovery) {
    EXPECT_FALSE(consultas::requiereDescubrir("v_ta_deposito", {}));
    EXPECT_FALSE(consultas::requiereDescubrir("T", "SELECT 1"));
    EXPECT_TRUE(consultas::requiereDescubrir("T", {}));

    QString campo = "X";
    EXPECT_EQ(consultas::porDescubrimiento("v_ta_deposito", 7, {}, campo, {}, {}),
              "SELECT TOP 7 Descripcion,IdDeposito,UnidadNegocio FROM v_ta_deposito  ORDER BY "
              "IDDEPOSITO");
    QString sinTocar = "X";
    EXPECT_EQ(consultas::porDescubrimiento("T", 7, {"A"}, sinTocar, "w", "SELECT * FROM Y"),
              "SELECT * FROM Y");
    EXPECT_EQ(sinTocar, "X");
}

}  // namespace
