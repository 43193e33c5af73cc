#include "platform/vendrix/clsdialogo.h"

#include "tests/support/scripted_operator.h"

#include <gtest/gtest.h>

namespace {

TEST(ClsDialogoTest, ShowsTheChooserAndKeepsTheChosenFile) {
    zxtest::ScriptedOperator op;
    op.openFile(QString("/datos/empresa.mdb"));
    clsDialogo dialogo;
    dialogo.Titulo = "Buscar Base de Datos";
    dialogo.Filtro = "Base de Datos de Microsoft Access |*.MDB";
    EXPECT_TRUE(dialogo.Mostrar());
    EXPECT_EQ(dialogo.Archivo, "/datos/empresa.mdb");
    EXPECT_FALSE(dialogo.Cancelado);
    ASSERT_EQ(op.prompts().size(), 1);
    EXPECT_EQ(op.prompts()[0].title, "Buscar Base de Datos");
    EXPECT_EQ(op.prompts()[0].text, "Base de Datos de Microsoft Access |*.MDB");
}

TEST(ClsDialogoTest, CancellingSetsTheFlagAndKeepsTheFile) {
    zxtest::ScriptedOperator op;
    op.openFile(std::nullopt);
    clsDialogo dialogo;
    dialogo.Archivo = "/datos/anterior.mdb";
    EXPECT_FALSE(dialogo.Mostrar());
    EXPECT_TRUE(dialogo.Cancelado);
    EXPECT_EQ(dialogo.Archivo, "/datos/anterior.mdb");
}

}  // namespace
