#include "lookup/code_tree.h"

#include "tests/support/fixtures.h"

#include <gtest/gtest.h>

namespace {

using Filas = QList<QList<vb::Variant>>;

// "child<parent" for every node but the root, by code.
QStringList padres(const QList<CodeTree::Nodo>& nodos) {
    QStringList out;
    for (const auto& n : nodos) {
        if (n.padre < 0) continue;
        out.append(n.clave.mid(1) + '<' + nodos[n.padre].clave.mid(1));
    }
    return out;
}

TEST(CodeTree, PrefixTreeHangsEachCodeFromTheLongestCodeBeginningIt) {
    const Filas filas{
        {"1", "Uno"}, {"10", "Diez"}, {"101", "Ciento uno"}, {"2", "Dos"}, {"20", "Veinte"}};
    const auto nodos = CodeTree::arbolPorPrefijos(filas);
    ASSERT_EQ(nodos.size(), 6);
    EXPECT_EQ(nodos[0].clave, "A");
    EXPECT_EQ(nodos[0].texto, "Consulta...");
    EXPECT_EQ(nodos[3].texto, "101 - Ciento uno");
    EXPECT_EQ(padres(nodos), (QStringList{"1<", "10<1", "101<10", "2<", "20<2"}));
}

TEST(CodeTree, PrefixTreeNeedsParentsFirstAndKeepsTheFirstOfDuplicates) {
    const Filas filas{{"0101", "Hija"},
                      {"01", "Madre"},
                      {"ab", "Primera"},
                      {"AB", "Repetida"},
                      {vb::Variant::null(), "Sin codigo"},
                      {"ab1", "Nieta"}};
    const auto nodos = CodeTree::arbolPorPrefijos(filas);
    EXPECT_EQ(padres(nodos), (QStringList{"0101<", "01<", "ab<", "ab1<ab"}));
    EXPECT_EQ(nodos[3].texto, "ab - Primera");
}

TEST(CodeTree, FamiliesHangFromTheirRelativeAndOrphansFromTheRoot) {
    const Filas filas{{"01", "Bebidas", vb::Variant::null()},
                      {"0101", "Gaseosas", "01"},
                      {"02", "Almacen", vb::Variant::null()},
                      {"0201", "Harinas", "02"},
                      {"0301", "Huerfana", "03"},
                      {"0101", "Repetida", "01"}};
    const auto nodos = CodeTree::arbolFamilias(filas);
    EXPECT_EQ(padres(nodos), (QStringList{"01<", "0101<01", "02<", "0201<02", "0301<"}));
}

// A chain of `niveles` nodes below the root, each code one character longer.
QList<CodeTree::Nodo> cadena(int niveles) {
    Filas filas;
    QString codigo;
    for (int i = 0; i < niveles; ++i) {
        codigo += QString::number(i % 10);
        filas.append(QList<vb::Variant>{codigo, QStringLiteral("Nivel %1").arg(i + 1)});
    }
    filas.append(QList<vb::Variant>{"9", "Aparte"});
    return CodeTree::arbolPorPrefijos(filas);
}

TEST(CodeTree, ChecksReachEveryDescendant) {
    for (int niveles : {4, 8}) {
        SCOPED_TRACE(niveles);
        CodeTree tree;
        tree.ponNodos(cadena(niveles));
        tree.TreeV_NodeCheck(1, true);
        for (int j = 1; j <= niveles; ++j) EXPECT_TRUE(tree.nodos()[j].marcada) << j;
        EXPECT_FALSE(tree.nodos()[0].marcada);
        EXPECT_FALSE(tree.nodos()[niveles + 1].marcada);

        tree.TreeV_NodeCheck(2, false);
        EXPECT_TRUE(tree.nodos()[1].marcada);
        for (int j = 2; j <= niveles; ++j) EXPECT_FALSE(tree.nodos()[j].marcada) << j;
    }
}

TEST(CodeTree, TypeAheadSelectsTheFirstNodeByCodeOrDescription) {
    CodeTree tree;
    tree.ponNodos(CodeTree::arbolPorPrefijos(
        {{"10", "Caja chica"}, {"20", "ABONOS"}, {"30", "Bancos"}, {"ab", "Otra"}}));
    const struct {
        const char* typed;
        int expected;
    } cases[] = {{"con", 0}, {"", 0}, {"ab", 2}, {"ba", 3}, {"3", 3}, {"zz", 3}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        tree.CmbSearch_Change(c.typed);
        EXPECT_EQ(tree.seleccion(), c.expected);
    }
}

TEST(CodeTree, RequeryAddsAnEscapedDescriptionCondition) {
    CodeTree tree;
    tree.sql = "SELECT Codigo, Descripcion FROM TA_CCOSTO ORDER BY Codigo";
    EXPECT_EQ(tree.sqlRequery("caja"),
              "SELECT Codigo, Descripcion FROM TA_CCOSTO  where Descripcion like '%caja%' ORDER "
              "BY Codigo");
    tree.sql = "SELECT Codigo, Descripcion FROM T WHERE (SELECT 1 FROM U ORDER BY x) = 1";
    EXPECT_EQ(tree.sqlRequery("D'Ors"),
              "SELECT Codigo, Descripcion FROM T WHERE (SELECT 1 FROM U ORDER BY x) = 1 and "
              "Descripcion like '%D''Ors%' ");
}

}  // namespace
