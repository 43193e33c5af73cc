#pragma once

#include "lookup/code_tree.h"
#include "lookup/datos.h"
#include "lookup/search_grid.h"

#include <functional>

namespace zxtest {

// Plays the operator on the lookup forms without windows: each shown grid or tree is handed
// to the test's function, which acts on it as the operator would. Restores the installed
// forms when it goes away; a form shown with no function set fails the test.
class ScriptedLookupForms {
public:
    ScriptedLookupForms();
    ~ScriptedLookupForms();

    std::function<void(SearchGrid&)> grilla;
    std::function<void(CodeTree&)> arbol;
    int shown = 0;

private:
    lookup::Formularios previous_;
};

}  // namespace zxtest
