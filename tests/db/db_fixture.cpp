#include "tests/db/db_fixture.h"

#include "platform/ado/backend.h"

namespace dbtest {

void reinicia(DB_Dll& db) {
    try {
        if (db.gCnn.State() != ado::adStateClosed) db.gCnn.Close();
    } catch (const vb::VbError&) {
    }
    db.gCnn.attachBackend(nullptr);
    db.gCnn.errors().Clear();
    db.gOpenFlag = false;
    db.gIgnoraPassWord = vb::Variant();
    db.gProveedor.clear();
    db.gServidor.clear();
    db.gDBName.clear();
    db.gUsuario.clear();
    db.gEsAdmin = false;
    db.gUserPassWord.clear();
    db.gConnString.clear();
    db.gExtended.clear();
    db.gLogErr.clear();
}

void abreEstadisticas(DB_Dll& db, const QString& servidor) {
    db.gServidor = servidor;
    db.gDBName = zxtest::TestDatabase::statisticsName;
    db.gUsuario = db.gDBName;
    db.gUserPassWord = db.gDBName;
    db.OpenServerADODB(false, ado::adUseClient, QString(), true, false);
}

DialogoGuionado::DialogoGuionado() : previo_(dbhooks::hooks().MuestraAcceso) {
    dbhooks::hooks().MuestraAcceso = [this](dbhooks::DatosAcceso& datos) {
        mostrados_.append(datos);
        if (respuestas_.empty()) {
            ADD_FAILURE() << "The connection dialog was shown once too often";
            datos.Aceptar = false;
            return;
        }
        datos = respuestas_.front();
        respuestas_.pop_front();
    };
}

DialogoGuionado::~DialogoGuionado() {
    dbhooks::hooks().MuestraAcceso = previo_;
    if (!respuestas_.empty()) ADD_FAILURE() << "The connection dialog was not shown as often";
}

DialogoGuionado& DialogoGuionado::acepta(const QString& servidor, const QString& base,
                                         const QString& usuario, const QString& password,
                                         int plataforma) {
    dbhooks::DatosAcceso d;
    d.TxtServidor = servidor;
    d.TxtDbName = base;
    d.TxtUserId = usuario;
    d.TxtUserPassword = password;
    d.CboPlataformaDB = plataforma;
    d.Aceptar = true;
    respuestas_.push_back(d);
    return *this;
}

DialogoGuionado& DialogoGuionado::cancela() {
    respuestas_.push_back(dbhooks::DatosAcceso{});
    return *this;
}

DbTest::DbTest() {
    reinicia(gDB());
    reinicia(gDBEstadisticas());
}

DbTest::~DbTest() {
    reinicia(gDB());
    reinicia(gDBEstadisticas());
}

void DbTest::abre(DB_Dll& db, const QString& usuario) {
    data.addLogin(usuario, usuario);
    db.gServidor = servidor();
    db.gDBName = zxtest::TestDatabase::mainName;
    db.gUsuario = usuario;
    db.gUserPassWord = usuario;
    db.OpenServerADODB(false, ado::adUseClient, QString(), true, true);
    ASSERT_TRUE(db.gOpenFlag);
}

zxtest::ScriptedBackend* DbTest::reabreCon(DB_Dll& db, std::unique_ptr<ado::Backend> real) {
    auto motor = std::make_unique<zxtest::ScriptedBackend>(std::move(real));
    zxtest::ScriptedBackend* puntero = motor.get();
    db.gCnn.Close();
    db.gCnn.attachBackend(std::move(motor));
    db.gCnn.Open(db.gConnString);
    return puntero;
}

}  // namespace dbtest
