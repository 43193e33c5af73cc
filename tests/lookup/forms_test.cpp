#include "lookup/code_tree.h"
#include "lookup/lib_frmcons3.h"
#include "lookup/lib_frmcons3tree.h"
#include "lookup/search_grid.h"

#include "tests/support/fixtures.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
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
    form.show();
    QTest::keyClick(form.TreeV, Qt::Key_Escape);
    EXPECT_EQ(tree.ValorDevuelto, vb::Variant(""));
    EXPECT_FALSE(tree.Valores.has_value());
    EXPECT_FALSE(tree.CmpsDevueltos.has_value());
    EXPECT_FALSE(form.isVisible());
}

}  // namespace
