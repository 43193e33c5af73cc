#include "tests/lookup/scripted_forms.h"

#include <gtest/gtest.h>

namespace zxtest {

ScriptedLookupForms::ScriptedLookupForms() : previous_(lookup::formularios()) {
    lookup::formularios().muestraGrilla = [this](SearchGrid& g) {
        ++shown;
        if (!grilla) {
            ADD_FAILURE() << "unexpected search grid: " << g.sql.toStdString();
            g.CmdCancelar_Click();
            return;
        }
        grilla(g);
    };
    lookup::formularios().muestraArbol = [this](CodeTree& t) {
        ++shown;
        if (!arbol) {
            ADD_FAILURE() << "unexpected code tree: " << t.sql.toStdString();
            t.CmdCancelar_Click();
            return;
        }
        arbol(t);
    };
}

ScriptedLookupForms::~ScriptedLookupForms() {
    lookup::formularios() = previous_;
}

}  // namespace zxtest
