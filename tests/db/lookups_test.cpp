#include "tests/db/db_fixture.h"

#include <QFile>

namespace {

using dbtest::DbTest;
using vb::Variant;

class LookupsTest : public DbTest {
protected:
    LookupsTest() {
        data.exec(
            "INSERT INTO TA_USUARIOS (Nombre, Administrador, UNegocio) VALUES ('ana', 1, 'U1')\n"
            "INSERT INTO TA_USUARIOS (Nombre, Administrador, UNegocio) VALUES ('O''Brien', 0, "
            "NULL)\n"
            "INSERT INTO TA_USUARIOS (Nombre, Administrador, UNegocio) VALUES ('  beto', 0, "
            "'U2')");
        abre(gDB());
    }
    DB_Dll& db = gDB();
};

TEST_F(LookupsTest, ExisteEnTablaAnswers) {
    const struct {
        const char* name;
        const char* valor;
        const char* campo;
        Variant tipo;
        const char* condicion;
        bool expected;
        bool expectedST;  // compares the value untrimmed, and the column as stored
    } cases[] = {
        {"text", " ana ", "Nombre", 8, "", true, false},
        {"text as stored", "ana", "Nombre", 8, "", true, true},
        {"text with apostrophe", "O'Brien", "Nombre", 8, "", true, true},
        {"no row", "carla", "Nombre", 8, "", false, false},
        {"trimmed key", "beto", "Nombre", 8, "", true, false},
        {"number", "1xyz", "Administrador", 3, "", true, true},
        {"condition", "", "", 8, "UNegocio = 'U2'", true, true},
        {"condition without rows", "", "", 8, "UNegocio = 'U9'", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(db.ExisteEnTabla("TA_USUARIOS", c.valor, c.campo, nullptr, c.tipo,
                                   QString::fromUtf8(c.condicion)),
                  c.expected);
        EXPECT_EQ(db.ExisteEnTablaST("TA_USUARIOS", c.valor, c.campo, nullptr, c.tipo,
                                     QString::fromUtf8(c.condicion)),
                  c.expectedST);
    }
    EXPECT_TRUE(op.prompts().isEmpty());
}

TEST_F(LookupsTest, ExisteEnTablaLeavesTheCallersRecordsetOnTheRow) {
    ado::Recordset rs;
    rs.Open("SELECT * FROM TA_CONFIGURACION", db.gCnn, ado::adOpenStatic, ado::adLockOptimistic);
    EXPECT_TRUE(db.ExisteEnTabla("TA_USUARIOS", "ana", "Nombre", &rs));
    EXPECT_EQ(rs.State(), ado::adStateOpen);
    EXPECT_EQ(rs["UNegocio"], Variant("U1"));
    EXPECT_EQ(rs.CursorType(), ado::adOpenForwardOnly);

    rs.Close();
    rs.Open("SELECT * FROM TA_CONFIGURACION", db.gCnn, ado::adOpenStatic, ado::adLockOptimistic);
    EXPECT_TRUE(db.ExisteEnTabla("TA_USUARIOS", "ana", "Nombre", &rs, 8, {}, false));
    EXPECT_EQ(rs.CursorType(), ado::adOpenStatic);
    EXPECT_EQ(rs.LockType(), ado::adLockOptimistic);
    EXPECT_FALSE(db.ExisteEnTabla("TA_USUARIOS", "nadie", "Nombre", &rs));
    EXPECT_TRUE(rs.Eof());
    rs.Close();
}

TEST_F(LookupsTest, ExisteEnTablaSTAlwaysAsksTheProgramsConnection) {
    DB_Dll otra;  // never opened
    EXPECT_TRUE(otra.ExisteEnTablaST("TA_USUARIOS", "ana", "Nombre"));
}

TEST_F(LookupsTest, TheLookupBoxRetriesIgnoresAndWritesNoLogLine) {
    op.answer(vb::vbRetry).answer(vb::vbAbort);
    EXPECT_FALSE(db.ExisteEnTabla("NO_EXISTE", "x", "C"));
    ASSERT_EQ(op.messages().size(), 2);
    for (const zxtest::Prompt& p : op.messages()) {
        EXPECT_EQ(p.title, QStringLiteral("Aviso al Operador"));
        EXPECT_EQ(p.style, vb::vbAbortRetryIgnore + vb::vbCritical);
        EXPECT_EQ(p.text, op.messages().first().text);
    }
    // Ignore goes on with the next step, which meets the closed recordset in turn.
    op.answer(vb::vbIgnore).answer(vb::vbIgnore).answer(vb::vbIgnore);
    EXPECT_FALSE(db.ExisteEnTablaST("NO_EXISTE", "x", "C"));
    EXPECT_FALSE(QFile::exists(folder.file("KQERR.LOG")));
}

TEST_F(LookupsTest, DatosTablaAnswers) {
    const struct {
        const char* name;
        const char* valor;
        const char* devuelto;
        const char* campo;
        Variant tipo;
        const char* condicion;
        bool usaTrim;
        Variant expected;
    } cases[] = {
        {"value", " ana", "UNegocio", "Nombre", 8, "", true, "U1"},
        {"apostrophe", "O'Brien", "Administrador", "Nombre", 8, "", true, "0"},
        {"null column", "O'Brien", "UNegocio", "Nombre", 8, "", true, ""},
        {"no row", "carla", "UNegocio", "Nombre", 8, "", true, ""},
        {"untrimmed key", "  beto", "UNegocio", "Nombre", 8, "", false, "U2"},
        {"condition", "ana", "UNegocio", "Nombre", 8, "Administrador = 0", true, ""},
        {"blank condition", "ana", "UNegocio", "Nombre", 8, "   ", true, "U1"},
        {"number", "1", "Nombre", "Administrador", 3, "", true, "ana"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(db.DatosTabla("ta_usuarios", c.valor, c.devuelto, c.campo, c.tipo,
                                QString::fromUtf8(c.condicion), c.usaTrim),
                  c.expected);
    }
    EXPECT_TRUE(op.prompts().isEmpty());
}

TEST_F(LookupsTest, DatosTablaIgnoraErrorGivesEmptyTextWithoutABox) {
    EXPECT_EQ(db.DatosTabla("ta_usuarios", "ana", "NoEsColumna", "Nombre", 8, {}, true, true),
              Variant(""));
    EXPECT_TRUE(op.prompts().isEmpty());
}

TEST_F(LookupsTest, DatosTablaShowsItsOwnBoxForAMissingColumn) {
    op.answer(vb::vbRetry).answer(vb::vbAbort);
    EXPECT_EQ(db.DatosTabla("ta_usuarios", "ana", "NoEsColumna", "Nombre"), Variant());
    ASSERT_EQ(op.messages().size(), 2);
    EXPECT_EQ(op.messages().first().title, QStringLiteral("Aviso al Operador"));
}

TEST_F(LookupsTest, DatosTablaOnAConnectionNotReportedOpenGivesNoValue) {
    DB_Dll otra;
    otra.gCnn.Open(data.connectionString());
    const Variant valor = otra.DatosTabla("ta_usuarios", "ana", "UNegocio", "Nombre");
    EXPECT_EQ(valor, Variant());
    EXPECT_NE(valor, Variant(""));
}

class AggregatesTest : public DbTest {
protected:
    AggregatesTest() { abre(gDB()); }
    DB_Dll& db = gDB();
};

TEST_F(AggregatesTest, EmptyTableGivesZeroOrEmptyText) {
    EXPECT_EQ(db.BuscaMaximo("V_MA_ARTICULOS", "IDARTICULO"), Variant(0.0));
    EXPECT_EQ(db.BuscaMaximo("V_MA_ARTICULOS", "IDARTICULO", 7), Variant(""));
    EXPECT_EQ(db.BuscaMinimo("V_MA_ARTICULOS", "PRECIO1"), 0);
    EXPECT_EQ(db.BuscaUltimoCodigo("V_MA_ARTICULOS", "IDARTICULO", {}, "  "), 0);
}

TEST_F(AggregatesTest, ArticleCodesStartingWithZeroNeverCountAsTheLargest) {
    data.exec(
        "INSERT INTO V_MA_ARTICULOS (IDARTICULO, PRECIO1) VALUES ('0001', 5)\n"
        "INSERT INTO V_MA_ARTICULOS (IDARTICULO, PRECIO1) VALUES ('0999', 2.5)");
    EXPECT_EQ(db.BuscaMaximo("V_MA_ARTICULOS", "idarticulo"), Variant(0.0));
    data.exec("INSERT INTO V_MA_ARTICULOS (IDARTICULO, PRECIO1) VALUES ('  77', 7)");
    QString condicion = "PRECIO1 > 1";
    EXPECT_EQ(db.BuscaMaximo("V_MA_ARTICULOS", "idarticulo", {}, &condicion), Variant(77.0));
    EXPECT_EQ(condicion, QStringLiteral("PRECIO1 > 1 and substring(ltrim(idarticulo),1,1)<>'0'"));
    EXPECT_EQ(db.BuscaMaximo("V_MA_ARTICULOS", "idarticulo", 7), Variant("  77"));
    // Another column of the articles: the rule runs once, never without end.
    EXPECT_EQ(db.BuscaMaximo("V_MA_ARTICULOS", "PRECIO1"), Variant(7.0));
    EXPECT_EQ(db.BuscaMinimo("V_MA_ARTICULOS", "PRECIO1", {}, QStringLiteral("PRECIO1 > 3")), 5);
    EXPECT_EQ(db.BuscaUltimoCodigo("V_MA_ARTICULOS", "PRECIO1", {}, " PRECIO1 < 6"), 5);
    EXPECT_EQ(db.BuscaMinimo("V_MA_ARTICULOS", "PRECIO1"), 2.5);
}

TEST_F(AggregatesTest, ErrorsReachTheCaller) {
    EXPECT_THROW(db.BuscaMaximo("NO_EXISTE", "X"), vb::VbError);
    EXPECT_THROW(db.BuscaMinimo("NO_EXISTE", "X"), vb::VbError);
    EXPECT_THROW(db.BuscaUltimoCodigo("NO_EXISTE", "X", {}, {}), vb::VbError);
}

class SchemaTest : public DbTest {
protected:
    SchemaTest() { abre(gDB()); }
    DB_Dll& db = gDB();
};

TEST_F(SchemaTest, TablesAndColumnsAreFoundWithoutRegardToCase) {
    EXPECT_TRUE(db.ExisteTablaDB("ta_usuarios"));
    EXPECT_TRUE(db.ExisteTablaDB(" SS_MA_CUENTAS "));
    EXPECT_FALSE(db.ExisteTablaDB("NO_EXISTE"));
    EXPECT_TRUE(db.ExisteCampoDB("TA_USUARIOS", "administrador"));
    EXPECT_FALSE(db.ExisteCampoDB("TA_USUARIOS", "COD"));
}

TEST_F(SchemaTest, VerCampoDBAddsAMissingColumnOnce) {
    EXPECT_TRUE(db.VerCampoDB("TA_USUARIOS", "COD", true, "int", false, Variant(0)));
    EXPECT_EQ(db.gCnn.errors().Count(), 0);
    EXPECT_TRUE(db.ExisteCampoDB("TA_USUARIOS", "COD"));
    data.exec("INSERT INTO TA_USUARIOS (Nombre) VALUES ('nuevo')");
    EXPECT_EQ(data.rows("SELECT COD FROM TA_USUARIOS WHERE Nombre = 'nuevo'"),
              QList<QStringList>{{"0"}});
    // A second call finds the column and adds nothing.
    EXPECT_TRUE(db.VerCampoDB("TA_USUARIOS", "COD", true, "int", false, Variant(0)));
    EXPECT_EQ(db.gCnn.errors().Count(), 0);
    // Missing table, or nothing to add: still true.
    EXPECT_TRUE(db.VerCampoDB("NO_EXISTE", "COD", true, "int", false));
    EXPECT_TRUE(db.VerCampoDB("TA_USUARIOS", "OTRO", false, "int", false));
    EXPECT_FALSE(db.ExisteCampoDB("TA_USUARIOS", "OTRO"));
}

}  // namespace
