#include "tests/core/core_fixture.h"

#include "core/globals.h"
#include "core/startup.h"
#include "tests/db/db_fixture.h"

namespace coretest {

CoreTest::CoreTest() {
    dbtest::reinicia(gDB());
    dbtest::reinicia(gDBEstadisticas());
    ModGlobal::gTablaConfiguracion.clear();
    core::installDatabaseHooks();
}

CoreTest::~CoreTest() {
    dbtest::reinicia(gDB());
    dbtest::reinicia(gDBEstadisticas());
}

void CoreTest::abre(const QString& usuario) {
    data.addLogin(usuario, usuario);
    gDB().gServidor = servidor();
    gDB().gDBName = zxtest::TestDatabase::mainName;
    gDB().gUsuario = usuario;
    gDB().gUserPassWord = usuario;
    gDB().OpenServerADODB(false, ado::adUseClient, QString(), true, true);
    ASSERT_TRUE(gDB().gOpenFlag);
}

void CoreTest::abreEstadisticas() {
    dbtest::abreEstadisticas(gDBEstadisticas(), servidor());
    ASSERT_TRUE(gDBEstadisticas().gOpenFlag);
}

}  // namespace coretest
