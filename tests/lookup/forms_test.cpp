#include "db/db_dll.h"
#include "lookup/code_tree.h"
#include "lookup/formularios_qt.h"
#include "lookup/lib_clscons3.h"
#include "lookup/lib_frmcons3.h"
#include "lookup/lib_frmcons3tree.h"
#include "lookup/search_grid.h"
#include "lookup/search_grid_model.h"

#include "tests/lookup/grid_list.h"
#include "tests/support/fixtures.h"
#include "tests/support/model_check.h"

#include "platform/vb/steps.h"
#include "tests/support/scripted_operator.h"
#include "tests/support/test_database.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

QList<CodeTree::Nodo> arbol() {
    return CodeTree::arbolPorPrefijos({{"1", "Activo"},
                                       {"11", "Caja"},
                                       {"111", "Caja chica"},
                                       {"2", "Pasivo"},
                                       {"21", "Proveedores"}});
}

TEST(TreeForm, ShowsTheNodesUnderTheirParents) {
    CodeTree tree;
    tree.ponNodos(arbol());
    Lib_FrmCons3Tree form(tree);
    const auto tester = zxtest::checkModel(form.TreeV->model());
    ASSERT_EQ(form.TreeV->topLevelItemCount(), 1);
    QTreeWidgetItem* raiz = form.TreeV->topLevelItem(0);
    EXPECT_EQ(raiz->text(0), "Consulta...");
    EXPECT_TRUE(raiz->isExpanded());
    ASSERT_EQ(raiz->childCount(), 2);
    EXPECT_EQ(raiz->child(0)->child(0)->child(0)->text(0), "111 - Caja chica");
    EXPECT_EQ(form.CmbSearch->toolTip(), "F5 realiza nueva busqueda");
}

TEST(TreeForm, TypingSelectsAndEnterReturnsNothingForAnUncheckedField) {
    CodeTree tree;
    tree.CampoDevuelto = "OTRO";
    tree.ValorDevuelto = "antes";
    tree.ponNodos(arbol());
    Lib_FrmCons3Tree form(tree);
    const auto tester = zxtest::checkModel(form.TreeV->model());
    form.show();
    QTest::keyClicks(form.CmbSearch->lineEdit(), "prov");
    EXPECT_EQ(form.TreeV->currentItem(), form.item(5));
    QTest::keyClick(form.CmbSearch->lineEdit(), Qt::Key_Return);
    EXPECT_TRUE(tree.oculta());
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(tree.ValorDevuelto, vb::Variant("antes"));
}

TEST(TreeForm, CheckingANodeChecksItsBranchAndAcceptReturnsTheCodes) {
    CodeTree tree;
    tree.CheckBoxes = true;
    tree.CampoDevuelto = "CODIGO";
    tree.ponNodos(arbol());
    tree.Valores = QStringList();
    Lib_FrmCons3Tree form(tree);
    const auto tester = zxtest::checkModel(form.TreeV->model());
    form.show();
    form.item(1)->setCheckState(0, Qt::Checked);
    EXPECT_EQ(form.item(3)->checkState(0), Qt::Checked);
    EXPECT_EQ(form.item(4)->checkState(0), Qt::Unchecked);
    form.item(5)->setCheckState(0, Qt::Checked);
    QTest::mouseClick(form.CmdAceptar, Qt::LeftButton);
    EXPECT_EQ(tree.Valores, (QStringList{"1", "11", "111", "21"}));
    EXPECT_FALSE(form.isVisible());
}

TEST(TreeForm, EscapeCancels) {
    CodeTree tree;
    tree.ponNodos(arbol());
    tree.Valores = QStringList{"x"};
    tree.CmpsDevueltos = QStringList{"y"};
    Lib_FrmCons3Tree form(tree);
    const auto tester = zxtest::checkModel(form.TreeV->model());
    form.show();
    QTest::keyClick(form.TreeV, Qt::Key_Escape);
    EXPECT_EQ(tree.ValorDevuelto, vb::Variant(""));
    EXPECT_FALSE(tree.Valores.has_value());
    EXPECT_FALSE(tree.CmpsDevueltos.has_value());
    EXPECT_FALSE(form.isVisible());
}

lookup::ResultadoConsulta articulos() {
    lookup::ResultadoConsulta r;
    r.campos = {{"IdArticulo", 200, 10}, {"Descripcion", 200, 30}, {"**Cantidad**", 6, 8}};
    r.filas = {{"A10", "Tornillo", "0"}, {"ab2", "Arandela", "1.00"}, {"B7", "Clavo", "0"}};
    return r;
}

class GridForm : public ::testing::Test {
protected:
    GridForm() {
        grid.sql = " SELECT IdArticulo, Descripcion FROM VT_MA_ARTICULOS";
        grid.CampoDevuelto = "IdArticulo";
        grid.Valores = QStringList();
        grid.Cantidades = QList<double>();
    }
    zxtest::ScopedLocale locale{QLocale(QLocale::Spanish, QLocale::Argentina)};
    zxtest::ProgramFolder folder;
    SearchGrid grid;
};

TEST_F(GridForm, ShowsHeadersRowsAndOneSearchBoxPerColumn) {
    grid.CheckBoxes = true;
    grid.muestraResultado(articulos());
    Lib_FrmCons3 form(grid);
    const auto tester = zxtest::checkModel(form.ListView1->model());
    ASSERT_EQ(zxtest::columnsShown(form), 3);
    EXPECT_EQ(zxtest::headerShown(form, 2), "**Cantidad**");
    ASSERT_EQ(zxtest::rowsShown(form), 3);
    EXPECT_EQ(zxtest::cellShown(form, 1, 1), "Arandela");
    EXPECT_EQ(zxtest::checkShown(form, 1), Qt::Unchecked);
    for (int i = 0; i < 3; ++i) {
        ASSERT_NE(form.CmbSearch(i), nullptr);
        EXPECT_EQ(form.CmbSearch(i)->toolTip(), "F5 realiza nueva busqueda");
    }
    EXPECT_EQ(form.CmbSearch(1)->property("DataField").toString(), "Descripcion");
}

TEST_F(GridForm, TypingInABoxSelectsTheRowAndEnterInTheListAccepts) {
    grid.muestraResultado(articulos());
    Lib_FrmCons3 form(grid);
    const auto tester = zxtest::checkModel(form.ListView1->model());
    form.show();
    QTest::keyClicks(form.CmbSearch(1)->lineEdit(), "cl");
    EXPECT_EQ(zxtest::currentRowShown(form), 2);
    QTest::keyClick(form.ListView1, Qt::Key_Return);
    EXPECT_EQ(grid.ValorDevuelto, vb::Variant("B7"));
    EXPECT_FALSE(form.isVisible());
}

TEST_F(GridForm, LettersTypedInTheListGoToTheLastSearchBox) {
    grid.muestraResultado(articulos());
    Lib_FrmCons3 form(grid);
    const auto tester = zxtest::checkModel(form.ListView1->model());
    form.show();
    form.CmbSearch(1)->setFocus();
    QApplication::processEvents();
    form.ListView1->setFocus();
    QTest::keyClicks(form.ListView1, "ar");
    EXPECT_EQ(form.CmbSearch(1)->currentText(), "ar");
    EXPECT_EQ(grid.seleccion(), 1);
    QTest::keyClick(form.ListView1, Qt::Key_Backspace);
    EXPECT_EQ(form.CmbSearch(1)->currentText(), "a");
}

TEST_F(GridForm, InsertAndDeleteChangeTheQuantity) {
    zxtest::ScriptedOperator op;
    grid.CheckBoxes = true;
    grid.UsaCantidades = true;
    grid.muestraResultado(articulos());
    Lib_FrmCons3 form(grid);
    const auto tester = zxtest::checkModel(form.ListView1->model());
    form.show();
    grid.seleccionaFila(0);
    QTest::keyClick(form.ListView1, Qt::Key_Insert);
    QTest::keyClick(form.ListView1, Qt::Key_Insert);
    EXPECT_EQ(zxtest::cellShown(form, 0, 2), "2,0");
    EXPECT_EQ(zxtest::checkShown(form, 0), Qt::Checked);
    QTest::keyClick(form.ListView1, Qt::Key_Delete);
    QTest::keyClick(form.ListView1, Qt::Key_Delete);
    EXPECT_EQ(zxtest::cellShown(form, 0, 2), "0.00");
    EXPECT_EQ(zxtest::checkShown(form, 0), Qt::Unchecked);
    op.input("3,5");
    QTest::keyClick(form.ListView1, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(zxtest::cellShown(form, 0, 2), "3,50");
    QTest::keyClick(form.ListView1, Qt::Key_Space);
    QTest::keyClick(form.ListView1, Qt::Key_Space);
    QTest::mouseClick(form.CmdAceptar, Qt::LeftButton);
    EXPECT_EQ(grid.Valores, QStringList{"A10"});
    EXPECT_EQ(grid.Cantidades, QList<double>{3.5});
}

TEST_F(GridForm, MarkInvertsEveryCheckAndHeaderClickSorts) {
    grid.CheckBoxes = true;
    grid.muestraResultado(articulos());
    Lib_FrmCons3 form(grid);
    const auto tester = zxtest::checkModel(form.ListView1->model());
    form.show();
    zxtest::clickCheck(form, 1);
    EXPECT_EQ(zxtest::checkShown(form, 1), Qt::Checked);
    QTest::mouseClick(form.CmdTodos, Qt::LeftButton);
    EXPECT_EQ(zxtest::checkShown(form, 0), Qt::Checked);
    EXPECT_EQ(zxtest::checkShown(form, 1), Qt::Unchecked);
    form.ListView1->header()->sectionClicked(1);
    EXPECT_EQ(zxtest::cellShown(form, 0, 1), "Tornillo");
    EXPECT_EQ(zxtest::checkShown(form, 2), Qt::Unchecked);
}

// Each cell of an article row shows its stock level's colour; rows of no level keep the
// list's own.
TEST_F(GridForm, StockColoursAreTheTextColourOfTheWholeRow) {
    lookup::ResultadoConsulta r;
    r.campos = {{"IdArticulo", 200, 10}, {"PUNTOPEDIDO", 6, 8}, {"Stock", 6, 8}};
    r.filas = {{"a", 0, 3}, {"b", 5, 9}, {"c", 5, 5}};
    grid.MuestraStock = "SI";
    grid.StkNivel1 = "255";
    grid.StkNivel2 = 16711680;
    grid.StkNivel4 = " ";
    grid.EsConsultaArticulos = true;
    grid.muestraResultado(r);
    Lib_FrmCons3 form(grid);
    const auto tester = zxtest::checkModel(form.ListView1->model());
    form.show();
    for (int k = 0; k < 3; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(zxtest::colourShown(form, 0, k), QColor(255, 0, 0));
        EXPECT_EQ(zxtest::colourShown(form, 1, k), QColor(0, 0, 255));
        EXPECT_FALSE(zxtest::colourShown(form, 2, k).isValid());
    }
}

TEST_F(GridForm, F12AsksAboutTheShortageOfTheSelectedArticle) {
    zxtest::ScriptedOperator op;
    op.answer(vb::vbNo);
    grid.EsConsultaArticulos = true;
    grid.muestraResultado(articulos());
    Lib_FrmCons3 form(grid);
    const auto tester = zxtest::checkModel(form.ListView1->model());
    form.show();
    grid.seleccionaFila(1);
    QTest::keyClick(form.ListView1, Qt::Key_F12);
    ASSERT_EQ(op.messages().size(), 1);
    EXPECT_EQ(op.messages()[0].text,
              "Desea informar el articulo ab2 Arandela\r\ncomo un faltante de stock?");
}

TEST_F(GridForm, EscapeCancels) {
    grid.muestraResultado(articulos());
    Lib_FrmCons3 form(grid);
    const auto tester = zxtest::checkModel(form.ListView1->model());
    form.show();
    QTest::keyClick(form.ListView1, Qt::Key_Escape);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(grid.ValorDevuelto, vb::Variant(""));
    EXPECT_FALSE(grid.Valores.has_value());
}

// The program's database is the test's own.
class OverData : public ::testing::Test {
protected:
    OverData() {
        gDB().gServidor = QStringLiteral("sqlite:") + data.folder();
        gDB().gDBName = zxtest::TestDatabase::mainName;
        gDB().gUsuario = "sa";
        gDB().gUserPassWord = "sa";
        gDB().OpenServerADODB(false, ado::adUseClient, QString(), false, false);
    }
    ~OverData() override {
        gDB().gCnn.Close();
        gDB().gOpenFlag = false;
        gDB().gConnString.clear();
    }

    zxtest::ProgramFolder folder;
    zxtest::TestDatabase data;
};

// The list's model follows the grid by itself, by Qt's rules for item models, through every
// change of the grid's rows: loads, re-queries, sorts, checks and the unload.
class GridModel : public OverData {
protected:
    GridModel() {
        data.exec(
            "INSERT INTO V_TA_VENDEDORES VALUES ('V1', 'Ana');"
            "INSERT INTO V_TA_VENDEDORES VALUES ('V2', 'Beto');"
            "INSERT INTO V_TA_VENDEDORES VALUES ('V3', 'Berta');");
    }
    QStringList columna(int k) const {
        QStringList out;
        for (int i = 0; i < model.rowCount(); ++i) out << model.index(i, k).data().toString();
        return out;
    }

    SearchGrid grid;
    SearchGridModel model{grid};
    const std::unique_ptr<QAbstractItemModelTester> tester = zxtest::checkModel(&model);
};

TEST_F(GridModel, FollowsLoadsReQueriesSortsChecksAndTheUnload) {
    grid.CheckBoxes = true;
    grid.CampoDevuelto = "IDVENDEDOR";
    grid.sql = "SELECT IDVENDEDOR, NOMBRE FROM V_TA_VENDEDORES ORDER BY IDVENDEDOR";
    grid.Form_Load();
    ASSERT_EQ(model.columnCount(), 2);
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), "NOMBRE");
    EXPECT_EQ(columna(0), (QStringList{"V1", "V2", "V3"}));

    grid.ListView1_ColumnClick(1);
    EXPECT_EQ(columna(1), (QStringList{"Beto", "Berta", "Ana"}));
    grid.ListView1_ColumnClick(1);
    EXPECT_EQ(columna(1), (QStringList{"Ana", "Berta", "Beto"}));

    grid.seleccionaFila(1);
    grid.ListView1_KeyDown(32, 0);
    EXPECT_EQ(model.index(1, 0).data(Qt::CheckStateRole).toInt(), Qt::Checked);
    grid.CmdTodos_Click();
    EXPECT_EQ(model.index(0, 0).data(Qt::CheckStateRole).toInt(), Qt::Checked);
    EXPECT_EQ(model.index(1, 0).data(Qt::CheckStateRole).toInt(), Qt::Unchecked);

    // Typed into the box over the names, then F5: the server's rows that begin so, in the
    // order the header gave.
    grid.CmbSearch_Change(1, "be");
    grid.CmbSearch_KeyDown(1, 116, 0);
    EXPECT_EQ(columna(1), (QStringList{"Berta", "Beto"}));
    grid.CmdNueva_Click();
    EXPECT_EQ(model.rowCount(), 3);

    grid.Form_Unload();
    EXPECT_EQ(model.rowCount(), 0);
}

// The option lists build their one column and then add their rows one by one.
TEST_F(GridModel, FollowsAnOptionListAsItsRowsAreAdded) {
    grid.Form_Load();
    grid.defineColumnaUnica("Opciones", 1200);
    for (const char* opcion : {"Uno", "Dos"}) grid.agregaFila(opcion, false);
    EXPECT_EQ(columna(0), (QStringList{"Uno", "Dos"}));
}

// A lookup whose every column is a password column shows no column, and so no row either.
TEST_F(GridModel, ALookupOfPasswordColumnsAloneShowsNoRows) {
    lookup::ResultadoConsulta r;
    r.campos = {{"email_Password", 200, 20}};
    r.filas = {{"secreta"}, {"otra"}};
    grid.CheckBoxes = true;
    grid.muestraResultado(r);
    EXPECT_EQ(model.columnCount(), 0);
    EXPECT_EQ(model.rowCount(), 0);
    grid.seleccionaFila(0);
    grid.ListView1_KeyDown(32, 0);
}

using TreeOverData = OverData;

// The tree window follows its tree's rebuilds: F5 in the box empties the box and shows the
// nodes the server gives now; the unload empties the tree.
TEST_F(TreeOverData, F5ShowsTheNewTreeAndEmptiesTheBox) {
    data.exec(
        "INSERT INTO TA_CCOSTO VALUES ('1', 'Administracion');"
        "INSERT INTO TA_CCOSTO VALUES ('11', 'Caja');"
        "INSERT INTO TA_CCOSTO VALUES ('2', 'Cajas de ventas');");
    CodeTree tree;
    tree.sql = "SELECT Codigo, Descripcion FROM TA_CCOSTO ORDER BY Codigo";
    tree.Form_Load();
    Lib_FrmCons3Tree form(tree);
    const auto tester = zxtest::checkModel(form.TreeV->model());
    form.show();
    auto hijos = [&] {
        QStringList out;
        const QTreeWidgetItem* raiz = form.TreeV->topLevelItem(0);
        for (int i = 0; raiz && i < raiz->childCount(); ++i) out << raiz->child(i)->text(0);
        return out;
    };
    EXPECT_EQ(hijos(), (QStringList{"1 - Administracion", "2 - Cajas de ventas"}));
    QTest::keyClicks(form.CmbSearch->lineEdit(), "caja");
    QTest::keyClick(form.CmbSearch->lineEdit(), Qt::Key_F5);
    EXPECT_EQ(form.CmbSearch->currentText(), "");
    EXPECT_EQ(hijos(), (QStringList{"11 - Caja", "2 - Cajas de ventas"}));
    tree.Form_Unload();
    EXPECT_EQ(form.TreeV->topLevelItemCount(), 0);
}

using LookupWindows = OverData;

// The whole road: the service shows the real window through the operator service, and the
// operator types and presses Enter.
TEST_F(LookupWindows, TheServiceShowsTheGridWindowAndReadsTheChoice) {
    data.exec(
        "INSERT INTO V_TA_VENDEDORES VALUES ('V1', 'Ana');"
        "INSERT INTO V_TA_VENDEDORES VALUES ('V2', 'Beto');");
    const lookup::Formularios previos = lookup::formularios();
    lookup::instalaFormularios();

    zxtest::ScriptedOperator op;
    op.form([](QDialog& dialog) {
        auto& form = dynamic_cast<Lib_FrmCons3&>(dialog);
        const auto tester = zxtest::checkModel(form.ListView1->model());
        EXPECT_EQ(zxtest::rowsShown(form), 2);
        QTest::keyClicks(form.CmbSearch(1)->lineEdit(), "be");
        form.ListView1->setFocus();
        QTest::keyClick(form.ListView1, Qt::Key_Return);
        return dialog.result();
    });
    Lib_ClsCons3 service;
    service.CampoDevuelto = "IDVENDEDOR";
    service.ConsultaSearch("SELECT IDVENDEDOR, NOMBRE FROM V_TA_VENDEDORES");
    EXPECT_EQ(service.ValorDevuelto, vb::Variant("V2"));

    lookup::formularios() = previos;
}

}  // namespace
