#include "lookup/lib_clscons3.h"

#include "db/db_dll.h"
#include "platform/vb/conversions.h"
#include "platform/vb/steps.h"
#include "tests/lookup/scripted_forms.h"
#include "tests/support/fixtures.h"
#include "tests/support/scripted_operator.h"
#include "tests/support/test_database.h"

#include <gtest/gtest.h>

namespace {

// The lookup service on the test database through gDB, with its forms played by the test.
class ConsultaDb : public ::testing::Test {
protected:
    ConsultaDb() {
        gDB().gServidor = QStringLiteral("sqlite:") + data.folder();
        gDB().gDBName = zxtest::TestDatabase::mainName;
        gDB().gUsuario = "sa";
        gDB().gUserPassWord = "sa";
        gDB().OpenServerADODB(false, ado::adUseClient, QString(), false, false);
        data.exec(
            "INSERT INTO TA_USUARIOS (Nombre, Administrador, email_Password) "
            "VALUES ('ANA', 1, 'secreta');"
            "INSERT INTO TA_USUARIOS (Nombre, Administrador, email_Password) "
            "VALUES ('BETO', 0, 'clave');"
            "INSERT INTO V_TA_VENDEDORES VALUES ('V2', 'Zoe');"
            "INSERT INTO V_TA_VENDEDORES VALUES ('V1', 'O''Hara');");
        service.gRutaMascaraConsultas = folder.file("consultas.kqv");
        service.gUsarMascarasConsultas = true;
        mascaras::escribePorDefecto(service.gRutaMascaraConsultas);
    }
    ~ConsultaDb() override {
        if (gDB().gCnn.State() == ado::adStateOpen) gDB().gCnn.Close();
        gDB().gOpenFlag = false;
        gDB().gConnString.clear();
    }

    QStringList titulos(const SearchGrid& g) const {
        QStringList out;
        for (const auto& c : g.columnas()) out.append(c.titulo);
        return out;
    }

    zxtest::ProgramFolder folder;
    zxtest::ScriptedOperator op;
    zxtest::TestDatabase data;
    zxtest::ScriptedLookupForms forms;
    Lib_ClsCons3 service;
};

TEST_F(ConsultaDb, DefinitionRecordLookup) {
    QString sql;
    forms.grilla = [&](SearchGrid& g) {
        sql = g.SqlInicial;
        EXPECT_EQ(titulos(g), (QStringList{"NOMBRE", "IDVENDEDOR"}));
        ASSERT_EQ(g.filas().size(), 2);
        EXPECT_EQ(g.filas()[0].celdas, (QStringList{"O'Hara", "V1"}));
        g.seleccionaFila(1);
        g.CmdAceptar_Click();
    };
    service.CampoDevuelto = "IDVENDEDOR";
    QString campo;
    service.ConsultaSearch("v_ta_vendedores", nullptr, {}, &campo);
    EXPECT_EQ(sql,
              " SELECT TOP 1000 NOMBRE,IDVENDEDOR FROM V_TA_VENDEDORES  with(nolock)  ORDER BY "
              "NOMBRE");
    EXPECT_EQ(campo, "NOMBRE");
    EXPECT_EQ(service.ValorDevuelto, vb::Variant("V2"));
    EXPECT_EQ(service.CampoDevuelto, "");
    EXPECT_FALSE(service.Checks);
}

TEST_F(ConsultaDb, DiscoveryLeavesOutIdentityDatesAndPasswords) {
    QString sql;
    forms.grilla = [&](SearchGrid& g) {
        sql = g.SqlInicial;
        EXPECT_FALSE(titulos(g).contains("email_Password", Qt::CaseInsensitive));
        ASSERT_EQ(g.filas().size(), 2);
        g.CmbSearch_Change(g.IndiceColumna("Nombre") - 1, "be");
        g.CmdAceptar_Click();
    };
    service.CampoDevuelto = "Nombre";
    std::optional<QStringList> campos = QStringList{"Administrador"};
    service.ConsultaSearch("TA_USUARIOS", &campos);
    EXPECT_EQ(sql,
              " SELECT TOP 1000 email_De,email_ServerOtro,email_usuario,eMail_Server,verproforma,"
              "UNegocio,Administrador,Nombre FROM TA_USUARIOS  ORDER BY Nombre");
    EXPECT_EQ(service.ValorDevuelto, vb::Variant("BETO"));
    EXPECT_EQ(service.Valores, QStringList{"0"});
    EXPECT_FALSE(campos.has_value());
}

TEST_F(ConsultaDb, GivenSelectGetsTheCallersCondition) {
    QString sql;
    forms.grilla = [&](SearchGrid& g) {
        sql = g.SqlInicial;
        ASSERT_EQ(g.filas().size(), 1);
        g.CmdAceptar_Click();
    };
    service.CampoDevuelto = "Nombre";
    QString where = "Administrador = 1";
    service.ConsultaSearch("SELECT Nombre, ID FROM TA_USUARIOS", nullptr, {}, nullptr, &where);
    EXPECT_EQ(sql, " SELECT Nombre, ID FROM TA_USUARIOS WHERE  (Administrador = 1) ");
    EXPECT_EQ(where, " WHERE  (Administrador = 1) ");
    EXPECT_EQ(service.ValorDevuelto, vb::Variant("ANA"));
}

// The grid's query is one read whatever condition it was given: a second statement never
// reaches the database, and the operator is told.
TEST_F(ConsultaDb, AGivenConditionCannotAddAStatement) {
    forms.grilla = [&](SearchGrid& g) { g.CmdCancelar_Click(); };
    op.answer(vb::vbOK);
    service.CampoDevuelto = "IDVENDEDOR";
    QString where = "1=1) DELETE FROM V_TA_VENDEDORES WHERE (1=1";
    service.ConsultaSearch("SELECT IDVENDEDOR FROM V_TA_VENDEDORES", nullptr, {}, nullptr, &where);
    ASSERT_EQ(op.messages().size(), 1);
    EXPECT_EQ(op.messages()[0].title, "Aviso al Operador");
    EXPECT_TRUE(op.messages()[0].text.contains("DELETE FROM V_TA_VENDEDORES"));
    EXPECT_EQ(data.rows("SELECT IDVENDEDOR FROM V_TA_VENDEDORES ORDER BY 1"),
              (QList<QStringList>{{"V1"}, {"V2"}}));
}

// A ";" inside parentheses makes a second statement as one outside them does: the lookup
// refuses the text itself rather than leave it to the engine, which would run the pieces.
TEST_F(ConsultaDb, ASeparatorInsideParenthesesIsRefusedAsASecondStatement) {
    const QString wheres[] = {
        "IDVENDEDOR IN ('V1'; DELETE FROM V_TA_VENDEDORES; SELECT 'V2')",
        "(1; DELETE FROM V_TA_VENDEDORES)",
        "IDVENDEDOR IN (SELECT IDVENDEDOR FROM V_TA_VENDEDORES; DELETE FROM V_TA_VENDEDORES)",
    };
    for (const QString& given : wheres) {
        SCOPED_TRACE(given.toStdString());
        forms.grilla = [&](SearchGrid& g) { g.CmdCancelar_Click(); };
        const qsizetype antes = op.messages().size();
        op.answer(vb::vbOK);
        service.CampoDevuelto = "IDVENDEDOR";
        QString where = given;
        service.ConsultaSearch("SELECT IDVENDEDOR FROM V_TA_VENDEDORES", nullptr, {}, nullptr,
                               &where);
        ASSERT_EQ(op.messages().size(), antes + 1);
        EXPECT_TRUE(op.messages().last().text.startsWith(
            "La consulta no es una sola sentencia de lectura y no se ejecuta:"))
            << op.messages().last().text.toStdString();
        EXPECT_TRUE(op.messages().last().text.contains("DELETE FROM V_TA_VENDEDORES"));
        EXPECT_EQ(data.rows("SELECT IDVENDEDOR FROM V_TA_VENDEDORES ORDER BY 1"),
                  (QList<QStringList>{{"V1"}, {"V2"}}));
    }
}

TEST_F(ConsultaDb, MultipleChoiceKeepsDefaultChecksAndClearsTheCallersMembers) {
    forms.grilla = [&](SearchGrid& g) {
        EXPECT_TRUE(g.CheckBoxes);
        EXPECT_TRUE(g.filas()[1].marcada);  // BETO, named by ValoresDefault
        g.ListView1_ItemCheck(0, true);
        g.CmdAceptar_Click();
    };
    service.CampoDevuelto = "Nombre";
    service.Checks = true;
    service.UsaCantidades = true;
    std::optional<QStringList> campos = QStringList{"Nombre"};
    service.ConsultaSearch("SELECT Nombre FROM TA_USUARIOS ORDER BY Nombre", &campos, {}, nullptr,
                           nullptr, {}, false, "beto");
    EXPECT_EQ(service.Valores, (QStringList{"ANA", "BETO"}));
    EXPECT_EQ(service.Cantidades, QList<double>());
    EXPECT_FALSE(service.Checks);
    EXPECT_TRUE(service.UsaCantidades);
    EXPECT_EQ(service.CampoDevuelto, "");
    EXPECT_FALSE(campos.has_value());
}

TEST_F(ConsultaDb, OneColumnDefinitionEndsWithAMessageAndClearsTheLastAnswer) {
    mascaras::escribePorDefecto(folder.file("una.kqv"));
    QFile file(folder.file("una.kqv"));
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write(mascaras::encode({"SOLO", "MA_SOLO", "|NOMBRE|", {}}));
    file.close();
    service.gRutaMascaraConsultas = folder.file("una.kqv");
    service.ValorDevuelto = "anterior";
    service.Valores = QStringList{"anterior"};
    op.answer(vb::vbOK);
    service.ConsultaSearch("MA_SOLO");
    ASSERT_EQ(op.messages().size(), 1);
    EXPECT_EQ(op.messages()[0].text, "Debe configurar la consulta para esta tabla");
    EXPECT_EQ(op.messages()[0].title, "Aviso al operador");
    EXPECT_EQ(op.messages()[0].icon, vb::vbInformation);
    EXPECT_EQ(forms.shown, 0);
    EXPECT_TRUE(service.ValorDevuelto.isEmpty());
    EXPECT_EQ(service.Valores, QStringList());
}

// A lookup sends one SELECT and nothing else: a definition's filter that ends it, or makes it
// anything more whatever its words, is refused with a message naming the definition file,
// and the table is left as it was.
TEST_F(ConsultaDb, AFilterThatIsNotPartOfOneSelectIsRefusedNamingTheFile) {
    const QString filtros[] = {
        "1=1; DELETE FROM V_TA_VENDEDORES --",
        "NOMBRE = 'x' ;DELETE FROM V_TA_VENDEDORES",
        "[a;b] = 1; DELETE FROM V_TA_VENDEDORES",
        "IDVENDEDOR = 'V1' DISABLE TRIGGER ALL ON V_TA_VENDEDORES --",
        "1=1 ENABLE TRIGGER ALL ON V_TA_VENDEDORES",
        "1=1 SETUSER",
        "IDVENDEDOR IN (SELECT IDVENDEDOR FROM OPENQUERY(LNK, 'DELETE FROM V_TA_VENDEDORES'))",
        "1=1 WHERE NOMBRE = 'x'",
    };
    for (const QString& filtro : filtros) {
        SCOPED_TRACE(filtro.toStdString());
        const QString ruta = folder.file("hostil.kqv");
        ASSERT_TRUE(zxtest::writeFile(ruta, mascaras::encode({"Vendedores", "V_TA_VENDEDORES",
                                                              "|NOMBRE|IDVENDEDOR|", filtro})));
        service.gRutaMascaraConsultas = ruta;
        service.ValorDevuelto = "anterior";
        const qsizetype antes = op.messages().size();
        op.answer(vb::vbOK);
        service.CampoDevuelto = "IDVENDEDOR";
        service.ConsultaSearch("V_TA_VENDEDORES");
        ASSERT_EQ(op.messages().size(), antes + 1);
        EXPECT_TRUE(op.messages().last().text.contains(ruta))
            << op.messages().last().text.toStdString();
        EXPECT_EQ(op.messages().last().title, "Aviso al Operador");
        EXPECT_EQ(forms.shown, 0);
        EXPECT_TRUE(service.ValorDevuelto.isEmpty());
        EXPECT_EQ(data.rows("SELECT IDVENDEDOR FROM V_TA_VENDEDORES ORDER BY 1"),
                  (QList<QStringList>{{"V1"}, {"V2"}}));
    }
}

// A separator inside quotes is part of a value; a second statement without a separator does
// not run either, because a lookup runs one statement.
TEST_F(ConsultaDb, ALookupRunsOneStatementOnly) {
    const struct {
        const char* filtro;
        int filas;
    } casos[] = {
        {"NOMBRE <> 'a;b'", 2},
        {"NOMBRE <> 'a'' ; DELETE FROM V_TA_VENDEDORES --'", 2},
        {"1=1 DELETE FROM V_TA_VENDEDORES", -1},
        {"1=1\r\nDELETE FROM V_TA_VENDEDORES", -1},
        {"IDVENDEDOR IN (SELECT IDVENDEDOR FROM V_TA_VENDEDORES) UPDATE V_TA_VENDEDORES SET "
         "NOMBRE = 'x'",
         -1},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.filtro);
        const QString ruta = folder.file("una.kqv");
        ASSERT_TRUE(zxtest::writeFile(
            ruta, mascaras::encode({"Vendedores", "V_TA_VENDEDORES", "|NOMBRE|IDVENDEDOR|",
                                    QString::fromUtf8(c.filtro)})));
        service.gRutaMascaraConsultas = ruta;
        int filas = -1;
        forms.grilla = [&](SearchGrid& g) {
            filas = static_cast<int>(g.filas().size());
            g.CmdCancelar_Click();
        };
        forms.shown = 0;
        op.setStrictAtEnd(false);
        if (c.filas < 0) op.answer(vb::vbOK);
        service.CampoDevuelto = "IDVENDEDOR";
        service.ConsultaSearch("V_TA_VENDEDORES");
        EXPECT_EQ(filas, c.filas);
        EXPECT_EQ(data.rows("SELECT IDVENDEDOR, NOMBRE FROM V_TA_VENDEDORES ORDER BY 1"),
                  (QList<QStringList>{{"V1", "O'Hara"}, {"V2", "Zoe"}}));
    }
}

// A read that tells the server how to join is a read as any other: the lookup shows its rows.
TEST_F(ConsultaDb, ALookupWhoseReadHasAJoinHintShowsItsRows) {
    for (const char* hint :
         {"INNER HASH", "INNER LOOP", "LEFT OUTER MERGE", "INNER REMOTE", "right merge"}) {
        SCOPED_TRACE(hint);
        int filas = -1;
        forms.grilla = [&](SearchGrid& g) {
            filas = static_cast<int>(g.filas().size());
            g.CmdCancelar_Click();
        };
        service.CampoDevuelto = "IDVENDEDOR";
        service.ConsultaSearch(
            "VENDEDORES", nullptr, {}, nullptr, nullptr,
            QStringLiteral("SELECT v.IDVENDEDOR, v.NOMBRE FROM V_TA_VENDEDORES v "
                           "%1 JOIN V_TA_VENDEDORES w ON w.IDVENDEDOR = "
                           "v.IDVENDEDOR ORDER BY v.IDVENDEDOR")
                .arg(QLatin1String(hint)));
        EXPECT_EQ(filas, 2);
        EXPECT_EQ(op.messages().size(), 0);
    }
}

TEST_F(ConsultaDb, CodeTreeValidatesTheChosenCode) {
    data.exec(
        "INSERT INTO TA_CCOSTO VALUES ('1', 'Administracion');"
        "INSERT INTO TA_CCOSTO VALUES ('11', 'Compras');"
        "INSERT INTO MA_CUENTAS (Codigo, Descripcion) VALUES ('9', 'Solo cuenta');");
    forms.arbol = [&](CodeTree& t) {
        ASSERT_EQ(t.nodos().size(), 3);
        EXPECT_EQ(t.nodos()[2].padre, 1);
        t.seleccionaNodo(2);
        t.CmdAceptar_Click();
    };
    service.CampoDevuelto = "CODIGO";
    service.ConsultaSearch("SELECT Codigo, Descripcion FROM TA_CCOSTO ORDER BY Codigo", nullptr,
                           {}, nullptr, nullptr, {}, true);
    EXPECT_EQ(service.ValorDevuelto, vb::Variant("11"));

    forms.arbol = [&](CodeTree& t) {
        t.ponNodos(CodeTree::arbolPorPrefijos({{"9", "Solo cuenta"}}));
        t.seleccionaNodo(1);
        t.CmdAceptar_Click();
    };
    service.CampoDevuelto = "CODIGO";
    service.ConsultaSearch("SELECT Codigo, Descripcion FROM TA_CCOSTO", nullptr, {}, nullptr,
                           nullptr, {}, true);
    EXPECT_EQ(service.ValorDevuelto, vb::Variant("9"));
}

TEST_F(ConsultaDb, FamiliesTreeFromTheFamiliesView) {
    data.exec(
        "INSERT INTO V_TA_FAMILIAS VALUES ('01', 'Bebidas');"
        "INSERT INTO V_TA_FAMILIAS VALUES ('0101', 'Gaseosas');"
        "INSERT INTO V_TA_FAMILIAS VALUES ('02', 'Almacen');"
        "INSERT INTO V_TA_FAMILIAS VALUES ('0201', 'Harinas');");
    forms.arbol = [&](CodeTree& t) {
        QStringList padres;
        for (const auto& n : t.nodos()) {
            if (n.padre >= 0) padres.append(n.clave.mid(1) + '<' + t.nodos()[n.padre].clave);
        }
        EXPECT_EQ(padres, (QStringList{"01<A", "0101<A01", "02<A", "0201<A02"}));
        t.CmdNueva_Click();
        EXPECT_EQ(t.nodos().size(), 5);
        EXPECT_EQ(t.nodos()[4].padre, 3);
        t.seleccionaNodo(4);
        t.CmdAceptar_Click();
    };
    service.CampoDevuelto = "IDFAMILIA";
    service.ConsultaSearch("SELECT IdFamilia, Descripcion FROM V_TA_FAMILIAS", nullptr, {},
                           nullptr, nullptr, {}, true);
    EXPECT_EQ(service.ValorDevuelto, vb::Variant("0201"));
}

class GrillaDb : public ConsultaDb {
protected:
    GrillaDb() {
        data.exec(
            "INSERT INTO VT_MA_ARTICULOS (IDARTICULO, DESCRIPCION, SUSPENDIDO, PUNTOPEDIDO, "
            "Stock) "
            "VALUES ('T1', 'Tornillo', 0, 5, 9);"
            "INSERT INTO VT_MA_ARTICULOS (IDARTICULO, DESCRIPCION, SUSPENDIDO, PUNTOPEDIDO, "
            "Stock) "
            "VALUES ('C''2', 'Clavo', 0, 0, 0);");
        grid.sql =
            "SELECT IDARTICULO, DESCRIPCION, PRECIO1, 0 AS [**Cantidad**] FROM "
            "VT_MA_ARTICULOS ORDER BY IDARTICULO";
        grid.CheckBoxes = true;
        grid.UsaCantidades = true;
        grid.CampoDevuelto = "IDARTICULO";
        grid.ValoresDefault = "t1";
    }
    zxtest::FixedClock clock{QDateTime(QDate(2025, 6, 30), QTime(18, 45, 10))};
    SearchGrid grid;
};

TEST_F(GrillaDb, FillsHeadersWidthsChecksAndQuantities) {
    grid.Form_Load();
    EXPECT_EQ(titulos(grid),
              (QStringList{"IDARTICULO", "DESCRIPCION", "PRECIO1", "**Cantidad**"}));
    QList<double> anchos;
    for (const auto& c : grid.columnas()) anchos.append(c.ancho);
    EXPECT_EQ(anchos.mid(0, 3), (QList<double>{25 * 120, 60 * 120, 12 * 120}));
    ASSERT_EQ(grid.filas().size(), 2);
    EXPECT_EQ(grid.filas()[0].celdas.value(0), "C'2");
    EXPECT_FALSE(grid.filas()[0].marcada);
    EXPECT_TRUE(grid.filas()[1].marcada);
    EXPECT_EQ(grid.TablaConsultada, "VT_MA_ARTICULOS");
    EXPECT_TRUE(grid.EsConsultaArticulos);

    grid.seleccionaFila(0);
    grid.ListView1_KeyDown(45, 0);
    grid.ListView1_KeyDown(45, 0);
    grid.CmdAceptar_Click();
    EXPECT_EQ(grid.Valores, (QStringList{"C'2", "T1"}));
    EXPECT_EQ(grid.Cantidades, (QList<double>{2, 0}));
}

// The rows go to the grid as the engine reads them, yet a column that is an expression gets the
// width of the type its values give, as when the whole result was held first: here the first
// row of each such column is Null, so the type is known only from a later row.
TEST_F(GrillaDb, ExpressionColumnsAreAsWideAsTheirValuesWhateverRowTellsThem) {
    grid.sql =
        "SELECT IDARTICULO, "
        "CASE WHEN IDARTICULO = 'T1' THEN 2.5 END AS Doble, "
        "CASE WHEN IDARTICULO = 'T1' THEN CAST('2025-06-30' AS datetime) END AS Fecha, "
        "CASE WHEN IDARTICULO = 'T1' THEN DESCRIPCION END AS Texto, "
        "NULL AS Nada FROM VT_MA_ARTICULOS ORDER BY IDARTICULO";
    grid.Form_Load();
    EXPECT_EQ(titulos(grid), (QStringList{"IDARTICULO", "Doble", "Fecha", "Texto", "Nada"}));
    QList<double> anchos;
    for (const auto& c : grid.columnas()) anchos.append(c.ancho);
    EXPECT_EQ(anchos, (QList<double>{25 * 120, 8 * 120, 16 * 120, 60 * 120, 60 * 120}));
    ASSERT_EQ(grid.filas().size(), 2);
    EXPECT_EQ(grid.filas()[0].celdas.value(0), "C'2");
    EXPECT_EQ(grid.filas()[1].celdas.mid(0, 4),
              (QStringList{"T1", "2.5", "30/06/2025", "Tornillo"}));
}

TEST_F(GrillaDb, RequeryNarrowsTheRowsWithAnApostropheInTheText) {
    grid.CfgUsaConsultaLIKE = true;
    grid.Form_Load();
    grid.CmbSearch_Change(0, "c'");
    grid.CmbSearch_KeyDown(0, 116, 0);
    EXPECT_EQ(grid.sql,
              "  SELECT IDARTICULO, DESCRIPCION, PRECIO1, 0 AS [**Cantidad**] FROM "
              "VT_MA_ARTICULOS  where IDARTICULO like '%c''%' ORDER BY IDARTICULO");
    ASSERT_EQ(grid.filas().size(), 1);
    EXPECT_EQ(grid.filas()[0].celdas.value(1), "Clavo");
    EXPECT_EQ(grid.cajas()[0], "");

    grid.CmdNueva_Click();
    EXPECT_EQ(grid.filas().size(), 2);
}

TEST_F(GrillaDb, ShortageRowIsWrittenWithItsDate) {
    gDB().gUsuario = "O'Neil";
    grid.Form_Load();
    grid.seleccionaFila(0);
    op.answer(vb::vbYes);
    EXPECT_TRUE(grid.Form_KeyDown(123, 0));
    const auto rows = data.rows(
        "SELECT CONVERT(varchar(10), FechaHora, 103), IdArticulo, Descripcion, Usuario "
        "FROM V_MV_FALTANTES");
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0], (QStringList{"30/06/2025", "C'2" + QString(22, ' '), "Clavo", "O'Neil"}));
}

// A date column shows the wall-clock reading the row holds, in every zone: a time the local
// clock skips and the midnight of a day whose local midnight does not exist included, written
// by the program's own shortage row or by a statement.
TEST_F(GrillaDb, DateColumnsShowTheReadingTheRowHoldsInEveryZone) {
    const struct {
        const char* zone;
        const char* stored;
        const char* shown;
        QDateTime now;  // the clock when the shortage is told: just after its change
    } cases[] = {
        {"Europe/Madrid", "2026-03-29 02:30", "29/03/2026 02:30:00",
         vb::utcInstant(QDate(2026, 3, 29), QTime(1, 0))},
        {"America/Santiago", "2026-09-06", "06/09/2026",
         vb::utcInstant(QDate(2026, 9, 6), QTime(4, 0, 1))},
        {"Asia/Beirut", "2026-03-29 00:00:00", "29/03/2026",
         vb::utcInstant(QDate(2026, 3, 28), QTime(22, 0))},
        {"Atlantic/Azores", "2026-03-29 00:59:59", "29/03/2026 00:59:59",
         vb::utcInstant(QDate(2026, 3, 29), QTime(1, 0))},
        {"America/Havana", "2026-03-08T00:30:00", "08/03/2026 00:30:00",
         vb::utcInstant(QDate(2026, 3, 8), QTime(5, 0))},
        {"Europe/Madrid", "2026-10-25 02:30", "25/10/2026 02:30:00",
         vb::utcInstant(QDate(2026, 10, 25), QTime(1, 30))},
    };
    gDB().gUsuario = "ANA";
    grid.Form_Load();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.zone);
        zxtest::ScopedTimeZone zone(c.zone);
        const QDateTime now = c.now.toLocalTime();
        clock.set(now);
        data.exec("DELETE FROM V_MV_FALTANTES");
        data.exec(QString("INSERT INTO V_MV_FALTANTES (FechaHora, IdArticulo, Descripcion, "
                          "Usuario) VALUES (CONVERT(datetime, '%1'), 'A', 'x', 'BETO')")
                      .arg(c.stored));
        grid.seleccionaFila(0);
        op.answer(vb::vbYes);
        grid.Form_KeyDown(123, 0);

        SearchGrid fechas;
        fechas.sql = "SELECT Usuario, FechaHora FROM V_MV_FALTANTES ORDER BY Usuario";
        fechas.Form_Load();
        ASSERT_EQ(fechas.filas().size(), 2);
        EXPECT_EQ(fechas.filas()[0].celdas.value(1).trimmed(),
                  now.toString("dd/MM/yyyy HH:mm:ss"));
        EXPECT_EQ(fechas.filas()[1].celdas.value(1).trimmed(), c.shown);
    }
}

TEST_F(GrillaDb, FailedShortageInsertIsTold) {
    grid.Form_Load();
    data.exec("DROP TABLE V_MV_FALTANTES");
    grid.seleccionaFila(1);
    op.answer(vb::vbYes).answer(vb::vbOK);
    grid.Form_KeyDown(123, 0);
    ASSERT_EQ(op.messages().size(), 2);
    EXPECT_TRUE(op.messages()[1].text.startsWith("No se pudo informar el faltante de stock: "));
    EXPECT_EQ(op.messages()[1].title, "Aviso al Operador");
}

TEST_F(ConsultaDb, StartUpGivesTheServiceItsFileAndWritesTheDefaultsOnce) {
    const QString ruta = folder.file("nuevo.kqv");
    lookup::PreparaConsultas("Provider=SQLOLEDB;Server=x", ruta);
    EXPECT_EQ(gConsultas().gConnString, "Provider=SQLOLEDB;Server=x");
    EXPECT_EQ(gConsultas().gRutaMascaraConsultas, ruta);
    EXPECT_TRUE(gConsultas().gUsarMascarasConsultas);
    lookup::CreaMascarasSiFaltan();
    lookup::CreaMascarasSiFaltan();
    EXPECT_EQ(zxtest::readFile(ruta).size(), 11 * 1202);
}

}  // namespace

// A lookup whose query never ends on the engine (an endless recursion given as the statement,
// a many-way cross join in a definition's filter) stops at the connection's CommandTimeout:
// the database class's box names SQL Server's time-out, the grid is left empty, and the
// connection goes on.
TEST_F(ConsultaDb, AQueryThatNeverEndsStopsAtTheCommandTimeOut) {
    for (int i = 0; i < 8; ++i)
        data.exec(QStringLiteral("INSERT INTO TA_USUARIOS (Nombre) VALUES ('U%1')").arg(i));
    const QString ruta = folder.file("cruce.kqv");
    ASSERT_TRUE(zxtest::writeFile(
        ruta, mascaras::encode({"Vendedores", "V_TA_VENDEDORES", "|NOMBRE|IDVENDEDOR|",
                                "0 < (SELECT COUNT(*) FROM TA_USUARIOS a, TA_USUARIOS b, "
                                "TA_USUARIOS c, TA_USUARIOS d, TA_USUARIOS e, TA_USUARIOS f, "
                                "TA_USUARIOS g, TA_USUARIOS h, TA_USUARIOS i, TA_USUARIOS j, "
                                "TA_USUARIOS k, TA_USUARIOS l)"})));
    const struct {
        const char* name;
        QString sql;
        QString mascaras;
    } cases[] = {
        {"endless recursion, sorted before its first row",
         "WITH c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) SELECT x AS Nombre FROM c "
         "ORDER BY x DESC",
         service.gRutaMascaraConsultas},
        {"cross join in the filter", "V_TA_VENDEDORES", ruta},
    };
    gDB().gCnn.setCommandTimeout(1);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        service.gRutaMascaraConsultas = c.mascaras;
        const qsizetype antes = op.messages().size();
        bool vacia = false;
        forms.grilla = [&](SearchGrid& g) {
            vacia = g.filas().isEmpty();
            g.CmdCancelar_Click();
        };
        op.answer(vb::vbAbort);
        service.CampoDevuelto = "Nombre";
        service.ConsultaSearch(c.sql);
        ASSERT_EQ(op.messages().size(), antes + 1);
        const zxtest::Prompt box = op.messages().last();
        EXPECT_EQ(box.text, "Ha ocurrido el Siguiente Error (-2147217871) Query timeout expired");
        EXPECT_TRUE(box.title.contains("AbrirRecordset")) << box.title.toStdString();
        EXPECT_EQ(box.buttons, vb::vbAbortRetryIgnore);
        EXPECT_TRUE(vacia);
        EXPECT_EQ(gDB().gCnn.State(), ado::adStateOpen);
        EXPECT_EQ(
            vb::CLng(
                gDB().gCnn.Execute("SELECT COUNT(*) FROM V_TA_VENDEDORES").Fields(0L).Value()),
            2);
    }
}
