#include "lookup/lib_clscons3.h"

#include "tests/lookup/scripted_forms.h"
#include "tests/support/fixtures.h"
#include "platform/vb/steps.h"
#include "tests/support/scripted_operator.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

QStringList textos(const SearchGrid& g) {
    QStringList out;
    for (const auto& f : g.filas()) out.append((f.marcada ? "[x] " : "[ ] ") + f.celdas.value(0));
    return out;
}

TEST(Opciones, CheckOptionsShowsTheFlagsAndReturnsTheCheckedTexts) {
    zxtest::ScriptedLookupForms forms;
    Lib_ClsCons3 service;
    forms.grilla = [](SearchGrid& g) {
        EXPECT_EQ(g.Caption, "Tipos");
        EXPECT_FALSE(g.NuevaVisible);
        ASSERT_EQ(g.columnas().size(), 1);
        EXPECT_EQ(g.columnas()[0].titulo, "Tipos");
        EXPECT_EQ(textos(g), (QStringList{"[x] Uno", "[ ] Dos", "[x] Tres"}));
        g.ListView1_ItemCheck(1, true);
        g.ListView1_ItemCheck(2, false);
        g.CmdAceptar_Click();
    };
    EXPECT_EQ(service.CheckOpciones("Tipos", std::nullopt, {"1Uno", "0Dos", "1Tres"}), "");
    EXPECT_EQ(service.Valores, (QStringList{"Uno", "Dos"}));
}

TEST(Opciones, FormIsAsWideAsTheLongestText) {
    zxtest::ScriptedLookupForms forms;
    Lib_ClsCons3 service;
    double ancho = 0;
    forms.grilla = [&](SearchGrid& g) {
        ancho = g.anchoFormulario;
        g.CmdCancelar_Click();
    };
    service.CheckOpciones("Un titulo bastante largo", std::nullopt, {"1Uno"});
    EXPECT_EQ(ancho, 24 * 120);
    service.MenuOpciones("T", {"Una opcion"});
    EXPECT_EQ(ancho, 10 * 120);
}

TEST(Opciones, MenuReturnsTheChosenOptionOrNothingAfterCancel) {
    zxtest::ScriptedLookupForms forms;
    Lib_ClsCons3 service;
    service.Valores = QStringList{"previo"};
    forms.grilla = [](SearchGrid& g) {
        EXPECT_FALSE(g.CheckBoxes);
        EXPECT_EQ(textos(g), (QStringList{"[ ] Abrir", "[ ] Cerrar"}));
        g.seleccionaFila(1);
        g.ListView1_KeyDown(13, 0);
    };
    EXPECT_EQ(service.MenuOpciones("Menu", {"Abrir", "Cerrar"}), "Cerrar");
    EXPECT_EQ(service.Valores, QStringList{"previo"});

    forms.grilla = [](SearchGrid& g) { g.CmdCancelar_Click(); };
    EXPECT_EQ(service.MenuOpciones("Menu", {"Abrir"}), "");
}

TEST(Opciones, FileLinesBecomeRows) {
    zxtest::ProgramFolder folder;
    zxtest::ScriptedLookupForms forms;
    Lib_ClsCons3 service;
    const QString ruta = folder.file("lista.txt");
    QFile file(ruta);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("Primera linea\r\nSegunda, con coma\r\n");
    file.close();
    forms.grilla = [](SearchGrid& g) {
        EXPECT_EQ(textos(g), (QStringList{"[ ] Primera linea", "[ ] Segunda, con coma"}));
        g.CmbSearch_Change(0, "seg");
        g.CmdAceptar_Click();
    };
    EXPECT_EQ(service.ConsultaDesdeArchivo("Lineas", ruta), "Segunda, con coma");
}

TEST(Opciones, MissingFileIsToldAndShowsNoForm) {
    zxtest::ProgramFolder folder;
    zxtest::ScriptedLookupForms forms;
    zxtest::ScriptedOperator op;
    op.answer(vb::vbOK);
    Lib_ClsCons3 service;
    const QString ruta = folder.file("falta.txt");
    EXPECT_EQ(service.ConsultaDesdeArchivo("Lineas", ruta), "");
    ASSERT_EQ(op.messages().size(), 1);
    EXPECT_EQ(op.messages()[0].text,
              "No existe el archivo " + ruta + " que desea consultar consulta ");
    EXPECT_EQ(op.messages()[0].buttons, vb::vbOKOnly);
    EXPECT_EQ(forms.shown, 0);
}

}  // namespace
