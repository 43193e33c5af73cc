#include "lookup/search_grid.h"

#include "core/launcher.h"
#include "platform/vb/steps.h"
#include "tests/support/fixtures.h"
#include "tests/support/scripted_operator.h"

#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <gtest/gtest.h>

namespace {

// Article rows: code, description, quantity column.
lookup::ResultadoConsulta articulos() {
    lookup::ResultadoConsulta r;
    r.campos = {{"IdArticulo", 200, 25}, {"Descripcion", 200, 200}, {"**Cantidad**", 6, 8}};
    r.filas = {{"A10", "Tornillo", "0"}, {"ab2", "Arandela", "1.00"}, {"B7", "Clavo", "0"}};
    return r;
}

class Grid : public ::testing::Test {
protected:
    void carga(const lookup::ResultadoConsulta& r = articulos()) {
        if (grid.sql.isEmpty()) grid.sql = " SELECT IdArticulo, Descripcion FROM VT_MA_ARTICULOS";
        grid.Valores = QStringList();
        grid.Cantidades = QList<double>();
        grid.muestraResultado(r);
    }
    QStringList columna(int k) const {
        QStringList out;
        for (const auto& f : grid.filas()) out.append(f.celdas.value(k));
        return out;
    }

    zxtest::ScopedLocale locale{QLocale(QLocale::Spanish, QLocale::Argentina)};
    zxtest::ProgramFolder folder;
    SearchGrid grid;
};

TEST_F(Grid, ColumnsTakeTheirWidthFromTheFieldSize) {
    lookup::ResultadoConsulta r;
    r.campos = {{"Codigo", 200, 10},
                {"Texto", 200, 200},
                {"Precio", 6, 8},
                {"Total", 131, 19},
                {"Sin tamaño", 3, 0}};
    carga(r);
    QList<double> anchos;
    for (const auto& c : grid.columnas()) anchos.append(c.ancho);
    EXPECT_EQ(anchos, (QList<double>{10 * 120, 60 * 120, 12 * 120, 12 * 120, 10 * 120}));
    EXPECT_EQ(grid.cajas().size(), 5);
}

TEST_F(Grid, StoredWidthsReplaceTheComputedOnes) {
    QFile file(folder.file("CONSULTASLEN.KQV"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("\"VT_MA_ARTICULOS\",\"2000|3000|\"\r\n");
    file.close();
    grid.TablaConsultada = "VT_MA_ARTICULOS";
    carga();
    EXPECT_EQ(grid.columnas()[0].ancho, 2000);
    EXPECT_EQ(grid.columnas()[1].ancho, 3000);
    EXPECT_EQ(grid.columnas()[2].ancho, 12 * 120);
}

TEST_F(Grid, DefaultValuesCheckWholeValuesOnly) {
    lookup::ResultadoConsulta r;
    r.campos = {{"Codigo", 200, 10}};
    r.filas = {{"1"}, {"10"}, {"11"}, {"0"}, {" AB "}};
    grid.CheckBoxes = true;
    grid.CampoDevuelto = "codigo";
    grid.ValoresDefault = "10; 11,ab";
    carga(r);
    QList<bool> marcadas;
    for (const auto& f : grid.filas()) marcadas.append(f.marcada);
    EXPECT_EQ(marcadas, (QList<bool>{false, true, true, false, true}));
}

TEST_F(Grid, StockLevelsColourArticleRows) {
    lookup::ResultadoConsulta r;
    r.campos = {{"IdArticulo", 200, 10}, {"PUNTOPEDIDO", 6, 8}, {"Stock", 6, 8}};
    r.filas = {{"a", 0, 3}, {"b", 5, 9}, {"c", 5, 2}, {"d", 5, 5}, {"e", 0, 0}};
    grid.MuestraStock = "si";
    grid.StkNivel1 = "255";
    grid.StkNivel2 = 65280;
    grid.StkNivel3 = "16711680";
    grid.StkNivel4 = " ";
    grid.EsConsultaArticulos = true;
    carga(r);
    QList<std::optional<qint64>> colores;
    for (const auto& f : grid.filas()) colores.append(f.color);
    EXPECT_EQ(colores,
              (QList<std::optional<qint64>>{255, 65280, 16711680, std::nullopt, std::nullopt}));
}

TEST_F(Grid, TypeAheadSelectsTheFirstRowBeginningWithTheText) {
    carga();
    grid.CmbSearch_Change(0, "ab");
    EXPECT_EQ(grid.seleccion(), 1);
    grid.CmbSearch_Change(0, "zz");
    EXPECT_EQ(grid.seleccion(), 1);
    grid.CmbSearch_Change(1, "CLA");
    EXPECT_EQ(grid.seleccion(), 2);
    EXPECT_EQ(grid.Busqueda(1, "  to "), 1);
    EXPECT_EQ(grid.Busqueda(0, ""), 1);
}

TEST_F(Grid, HeaderClicksSortDescendingThenAscending) {
    carga();
    grid.ListView1_ColumnClick(1);
    EXPECT_EQ(columna(1), (QStringList{"Tornillo", "Clavo", "Arandela"}));
    grid.ListView1_ColumnClick(0);
    EXPECT_EQ(columna(0), (QStringList{"A10", "ab2", "B7"}));
}

// Texts of any script sort and are found as their QStrings compare, without regard to case.
TEST_F(Grid, TextsOfAnyScriptSortAndAreFoundWithoutRegardToCase) {
    const QStringList descripciones =
        QStringList{"ábaco", "Ábacos", "abaco", "µm", "Μm", "Ωmega", "ωMEGA2"} +
        QStringList{"価格表", "🙂 ok", "zorro", " Zeta", "ÿ", "Ā"};
    lookup::ResultadoConsulta r;
    r.campos = {{"Codigo", 200, 10}, {"Descripcion", 200, 200}};
    for (int i = 0; i < descripciones.size(); ++i)
        r.filas.append({QString::number(i), descripciones[i]});
    carga(r);

    auto ordenadas = [&](bool descendente) {
        QStringList s = descripciones;
        std::stable_sort(s.begin(), s.end(), [&](const QString& a, const QString& b) {
            const int c = QString::compare(a, b, Qt::CaseInsensitive);
            return descendente ? c > 0 : c < 0;
        });
        return s;
    };
    grid.ListView1_ColumnClick(1);
    EXPECT_EQ(columna(1), ordenadas(true));
    grid.ListView1_ColumnClick(1);
    EXPECT_EQ(columna(1), ordenadas(false));

    for (const char* buscado : {"ÁBACOS", "  ωme", "価格", "🙂", "zeta", "µ", "ā"}) {
        SCOPED_TRACE(buscado);
        const long fila = grid.Busqueda(1, QString::fromUtf8(buscado));
        ASSERT_GT(fila, 0);
        EXPECT_TRUE(columna(1)[fila - 1].trimmed().startsWith(QString::fromUtf8(buscado).trimmed(),
                                                              Qt::CaseInsensitive));
        for (long antes = 1; antes < fila; ++antes) {
            EXPECT_FALSE(columna(1)[antes - 1].trimmed().startsWith(
                QString::fromUtf8(buscado).trimmed(), Qt::CaseInsensitive));
        }
    }
}

TEST_F(Grid, RequeryAddsAnEscapedConditionBeforeTheOrder) {
    grid.sql = " SELECT a, b FROM T ORDER BY a";
    grid.CfgUsaConsultaLIKE = true;
    QString texto = "foo bar's";
    EXPECT_EQ(grid.sqlRequery("b", texto),
              " SELECT a, b FROM T  where b like '%foo%bar''s%' ORDER BY a");
    grid.sql = " SELECT a, b FROM T  where b like '%foo%' ORDER BY a";
    texto = "x";
    EXPECT_EQ(grid.sqlRequery("a", texto),
              " SELECT a, b FROM T  where b like '%foo%'  and a like '%x%' ORDER BY a");

    grid.CfgUsaConsultaLIKE = false;
    grid.sql = " SELECT a FROM v_ma_articulos WHERE v_ma_articulos.x = 1 GROUP BY a ORDER BY a";
    texto = "ab*c";
    EXPECT_EQ(grid.sqlRequery("a", texto),
              " SELECT a FROM v_ma_articulos WHERE v_ma_articulos.x = 1  and v_ma_articulos.a "
              "like 'ab%c%' GROUP BY a ORDER BY a");
    EXPECT_EQ(texto, "ab%c");

    // "order" inside a name is no ORDER BY.
    grid.sql = " SELECT ORDERS FROM T";
    texto = "1";
    EXPECT_EQ(grid.sqlRequery("ORDERS", texto), " SELECT ORDERS FROM T where ORDERS like '1%' ");
}

TEST_F(Grid, TypedTextIsLiteralExceptTheAsteriskForEachEngine) {
    struct Caso {
        const char* texto;
        bool blancos;
        bool oracle;
        const char* patron;
    };
    for (const Caso& c :
         {Caso{"50%", false, false, "50[%]"}, Caso{"a_b", false, false, "a[_]b"},
          Caso{"[x]", false, false, "[[]x]"}, Caso{"a*b c", false, false, "a%b c"},
          Caso{"a*b c", true, false, "a%b%c"}, Caso{"50%", false, true, "50\\%"},
          Caso{"a_b\\", false, true, "a\\_b\\\\"}, Caso{"[x", false, true, "[x"}}) {
        SCOPED_TRACE(c.texto);
        EXPECT_EQ(SearchGrid::patronLike(c.texto, c.blancos, c.oracle), c.patron);
    }
}

TEST_F(Grid, QuantityKeys) {
    zxtest::ScriptedOperator op;
    grid.UsaCantidades = true;
    carga();
    grid.seleccionaFila(1);
    auto cantidad = [&] { return grid.filas()[1].celdas[2]; };

    grid.ListView1_KeyDown(45, 0);
    EXPECT_EQ(cantidad(), "2,0");
    EXPECT_TRUE(grid.filas()[1].marcada);
    grid.ListView1_KeyDown(46, 0);
    EXPECT_EQ(cantidad(), "1,0");
    grid.ListView1_KeyDown(46, 0);
    EXPECT_EQ(cantidad(), "0.00");
    EXPECT_FALSE(grid.filas()[1].marcada);

    op.input("2.5");
    grid.ListView1_KeyDown(45, 1);
    EXPECT_EQ(cantidad(), "2,50");
    EXPECT_TRUE(grid.filas()[1].marcada);
    // An empty answer, Cancel or 0 all give "0.00" and a checked row.
    for (const std::optional<QString>& respuesta :
         {std::optional<QString>(), std::optional<QString>(""), std::optional<QString>("0")}) {
        op.input("2.5");
        grid.ListView1_KeyDown(45, 1);
        op.input(respuesta);
        grid.ListView1_KeyDown(45, 1);
        EXPECT_EQ(cantidad(), "0.00");
        EXPECT_TRUE(grid.filas()[1].marcada);
    }
    ASSERT_EQ(op.prompts().size(), 7);
    EXPECT_EQ(op.prompts()[0].text, "Ingrese la Cantidad del Articulo...");
    EXPECT_EQ(op.prompts()[0].title, "Carga de Datos");
}

TEST_F(Grid, TypedKeysGoToTheSearchBox) {
    carga();
    grid.CmbSearch_GotFocus(1);
    grid.ListView1_KeyDown(67, 0, "c");
    grid.ListView1_KeyDown(76, 0, "l");
    EXPECT_EQ(grid.cajas()[1], "cl");
    EXPECT_EQ(grid.seleccion(), 2);
    grid.ListView1_KeyDown(8, 0, "\b");
    EXPECT_EQ(grid.cajas()[1], "c");
    grid.ListView1_KeyDown(97, 0, "1");  // keypad 1 types "1", not "a"
    EXPECT_EQ(grid.cajas()[1], "c1");
    grid.ListView1_KeyDown(116, 0, "");  // F5 in the list types nothing
    EXPECT_EQ(grid.cajas()[1], "c1");
}

TEST_F(Grid, AcceptInSingleChoiceReturnsTheColumnAndFurtherColumns) {
    grid.CampoDevuelto = "IdArticulo";
    grid.CmpsDevueltos = QStringList{"Descripcion", "No existe"};
    grid.UsaCantidades = true;
    carga();
    grid.seleccionaFila(1);
    grid.ListView1_KeyDown(13, 0);
    EXPECT_TRUE(grid.oculta());
    EXPECT_EQ(grid.ValorDevuelto, vb::Variant("ab2"));
    EXPECT_EQ(grid.Valores, (QStringList{"Arandela", ""}));
    EXPECT_EQ(grid.Cantidades, QList<double>{1.0});
}

TEST_F(Grid, AcceptInMultipleChoiceReturnsCheckedRowsAndQuantities) {
    grid.CheckBoxes = true;
    grid.UsaCantidades = true;
    carga();
    grid.CmdTodos_Click();
    grid.ListView1_ItemCheck(0, false);
    grid.seleccionaFila(2);
    grid.ListView1_KeyDown(45, 0);
    grid.CmdAceptar_Click();
    EXPECT_EQ(grid.CampoDevuelto, "IdArticulo");
    EXPECT_EQ(grid.Valores, (QStringList{"ab2", "B7"}));
    EXPECT_EQ(grid.Cantidades, (QList<double>{1.0, 1.0}));
    EXPECT_TRUE(grid.ValorDevuelto.isEmpty());
}

TEST_F(Grid, AcceptWithoutSelectionCollectsNothing) {
    grid.CampoDevuelto = "IdArticulo";
    grid.ValorDevuelto = "antes";
    carga(lookup::ResultadoConsulta{articulos().campos, {}});
    grid.CmdAceptar_Click();
    EXPECT_EQ(grid.ValorDevuelto, vb::Variant("antes"));
    EXPECT_EQ(grid.Valores, QStringList());
    EXPECT_TRUE(grid.oculta());
}

TEST_F(Grid, ShortageStatementEscapesItsValuesAndWritesADate) {
    EXPECT_EQ(SearchGrid::sqlFaltante("A'1", " Llave 1/2' ", "o'neil",
                                      vb::wallClock(QDate(2025, 3, 4), QTime(5, 6, 7))),
              "INSERT INTO V_MV_FALTANTES (FechaHora,IdArticulo,Descripcion,Usuario) "
              "values(CONVERT(datetime, '2025-03-04T05:06:07', 126),'A''1                      "
              "','Llave 1/2''','o''neil')");
}

TEST_F(Grid, ShortageKeyOnlyActsInArticleLookups) {
    zxtest::ScriptedOperator op;
    carga();
    grid.EsConsultaArticulos = false;
    EXPECT_FALSE(grid.Form_KeyDown(123, 0));
    grid.EsConsultaArticulos = true;
    op.answer(vb::vbNo);
    EXPECT_TRUE(grid.Form_KeyDown(123, 0));
    ASSERT_EQ(op.messages().size(), 1);
    EXPECT_EQ(op.messages()[0].text,
              "Desea informar el articulo A10 Tornillo\r\ncomo un faltante de stock?");
    EXPECT_EQ(op.messages()[0].title, "Atención!");
    EXPECT_EQ(op.messages()[0].style, vb::vbYesNo + vb::vbQuestion);
}

TEST_F(Grid, MaintenanceProgramByTable) {
    const struct {
        const char* tabla;
        const char* ejecutable;
        const char* parametro;
    } cases[] = {
        {"V_TA_RUBROS", "SHELL:V_TA_TABLAS", "V_TA_RUBROS"},
        {"vt_clientes", "SHELL:V_MA_CLIENTES", "1"},
        {"VT_PROVEEDORES", "SHELL:V_MA_CLIENTES", "0"},
        {"V_TA_TECNICOS", "SHELL:V_TA_Tecnicos", ""},
        {"V_TA_VENDEDORES", "SHELL:V_TA_VENDEDORES", ""},
        {"VT_MA_ARTICULOS", "SHELL:V_MA_ARTICULOS", ""},
        {"MA_CUENTAS", "SHELL:V_TA_TABLAS", "MA_CUENTAS"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tabla);
        const auto [ejecutable, parametro] = SearchGrid::programaMantenimiento(c.tabla);
        EXPECT_EQ(ejecutable, c.ejecutable);
        EXPECT_EQ(parametro, c.parametro);
    }
}

// "Nuevo" starts the table's maintenance program of the program folder, with the
// connection on its command line.
TEST_F(Grid, NuevoStartsTheMaintenanceProgramOfTheTable) {
    const QString salida = folder.file("argumentos.txt");
    QFile programa(folder.file("V_MA_CLIENTES"));
    ASSERT_TRUE(programa.open(QIODevice::WriteOnly));
    programa.write(QString("#!/bin/sh\nprintf '%s' \"$1\" > '%1.tmp' && mv '%1.tmp' '%1'\n")
                       .arg(salida)
                       .toUtf8());
    programa.close();
    programa.setPermissions(programa.permissions() | QFileDevice::ExeOwner);
    grid.TablaConsultada = "VT_CLIENTES";
    grid.CmdNuevo_Click();
    QElapsedTimer reloj;
    reloj.start();
    while (!QFile::exists(salida) && reloj.elapsed() < 10000) QThread::msleep(10);
    EXPECT_EQ(QString::fromUtf8(zxtest::readFile(salida)), ModGlobal::LineaComandoHermano("1"));
}

}  // namespace
