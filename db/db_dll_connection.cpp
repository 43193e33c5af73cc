#include "db/column_fit.h"
#include "db/connection_string.h"
#include "db/db_dll.h"
#include "db/hooks.h"

#include "platform/ui/operator.h"
#include "platform/vb/app.h"
#include "platform/vb/conversions.h"
#include "platform/vb/steps.h"
#include "platform/vb/strings.h"

#include <utility>

using vb::Trim;

namespace {

const QString kOracleProvider = QStringLiteral("OraOLEDB.Oracle.1");
const QString kCR = QStringLiteral("\r");
const QString kCRLF = QStringLiteral("\r\n");
// The login time of a reopen after a lost connection, in seconds.
constexpr long kSegundosReconexion = 3;

// Closes a connection whatever its state.
void closeQuietly(ado::Connection& cnn) {
    try {
        if (cnn.State() != ado::adStateClosed) cnn.Close();
    } catch (const vb::VbError&) {
    }
}

}  // namespace

DB_Dll::DB_Dll() = default;
DB_Dll::~DB_Dll() = default;

// Never released: they live until the program ends, as every shared object of the suite.
DB_Dll& gDB() {
    static DB_Dll* instance = new DB_Dll;
    return *instance;
}

DB_Dll& gDBEstadisticas() {
    static DB_Dll* instance = new DB_Dll;
    return *instance;
}

QString DB_Dll::ArmaCadenaConexion() const {
    using connstr::quote;
    if (gServidor.contains(u'#'))
        return QStringLiteral("Provider=OraOLEDB.Oracle.1;Data Source=") + quote(gDBName) +
               QStringLiteral(";User Id=") + quote(gUsuario) + QStringLiteral(";Password=") +
               quote(gUserPassWord) + u';';
    return QStringLiteral("PROVIDER=") + pSQLOLEDB() + u';' + QStringLiteral("Server=") +
           quote(gServidor) + u';' + QStringLiteral("Database =") + quote(gDBName) + u';' +
           QStringLiteral("UId=") + quote(gUsuario) + u';' + QStringLiteral("Pwd=") +
           quote(gUserPassWord) + u';' + gExtended;
}

bool DB_Dll::MuestraDialogoAcceso() {
    dbhooks::DatosAcceso datos;
    datos.TxtDbName = gDBName;
    datos.TxtServidor = gServidor;
    datos.TxtUserId = gUsuario;
    datos.TxtUserPassword = gUserPassWord;
    datos.CboPlataformaDB = 0;
    datos.Aviso = std::exchange(AvisoAcceso, QString());
    datos.Faltan = std::exchange(FaltanAcceso, QStringList());
    dbhooks::MuestraAcceso(datos);
    if (!datos.Aceptar) {
        gOpenFlag = false;
        return false;
    }
    gOpenFlag = true;
    gDBName = datos.TxtDbName;
    gServidor = datos.TxtServidor;
    gUsuario = datos.TxtUserId;
    gUserPassWord = datos.TxtUserPassword;
    if (datos.CboPlataformaDB > 0) {
        gProveedor = kOracleProvider;
        if (!gServidor.contains(u'#')) gServidor = u'#' + gServidor;
    } else {
        gProveedor = pSQLOLEDB();
    }
    return true;
}

// The failure road of OpenServerADODB; returns the step runner's answer.
int DB_Dll::ErrorDeConexion(const vb::VbError& e, bool MuestraError, bool OfreceReintento,
                            bool& cerrado3705) {
    // A connection left open by an earlier call is closed once and the open tried again.
    if (e.Number == ado::err::ObjectOpen && !cerrado3705) {
        cerrado3705 = true;
        closeQuietly(gCnn);
        return vb::vbRetry;
    }
    if (!MuestraError || (!OfreceReintento && gCnn.errors().Count() > 0)) {
        gOpenFlag = false;
        return vb::vbAbort;
    }
    if (gCnn.errors().Count() == 0) {
        ui::op().msgBox(e.Description);
        return vb::vbAbort;
    }
    const ado::Error& first = gCnn.errors().Item(0);
    const QString texto =
        QStringLiteral(" Estado de Sql: ") + first.SQLState + kCR +
        QStringLiteral("Numero de Error: ") + QString::number(first.Number) + kCR +
        QStringLiteral("Descripcion: ") + first.Description + kCR +
        QStringLiteral("Codigo Nativo: ") + QString::number(first.NativeError) + kCR + kCRLF +
        QStringLiteral("Nombre de Proceso: ") + vb::App().EXEName + kCR + kCRLF + kCRLF +
        QStringLiteral("1. Verifique el Usuario, contraseña y base de datos") + kCRLF +
        QStringLiteral(
            "2. Verifique el nombre del servidor, quizas necesite agregarle el "
            "nombre de la instancia, por ejemplo : ") +
        gDB().gServidor + QStringLiteral("\\VENDRIX") + kCRLF +
        QStringLiteral("3. Verifique si el inicio de sesion para el usuario ") + gDB().gUsuario +
        QStringLiteral(" existe") + kCRLF + kCRLF + kCRLF +
        QStringLiteral(" - Desea Intentarlo Nuevamente??? ");
    const int respuesta = ui::op().msgBox(texto, vb::vbYesNo + vb::vbCritical,
                                          QStringLiteral(" Error de Conexion a Base de Datos"));
    if (respuesta != vb::vbYes) {
        gOpenFlag = false;
        return vb::vbAbort;
    }
    gCnn.errors().Clear();
    try {
        if (!MuestraDialogoAcceso()) return vb::vbAbort;
    } catch (const vb::VbError& dialogo) {
        ui::op().msgBox(dialogo.Description);
        gOpenFlag = false;
        return vb::vbAbort;
    }
    gConnString = ArmaCadenaConexion();
    return vb::vbRetry;
}

void DB_Dll::OpenServerADODB(bool PideParametrosSQL, long lCursor, const QString& ConnString,
                             bool ValidaAdmin, bool MuestraError, bool OfreceReintento) {
    bool cerrado3705 = false;
    vb::Steps step([&](const vb::VbError& e) {
        return ErrorDeConexion(e, MuestraError, OfreceReintento, cerrado3705);
    });
    step([&] {
        gOpenFlag = true;
        if (gProveedor.isEmpty()) gProveedor = pSQLOLEDB();
    });
    step([&] { gConnString = Trim(ConnString).isEmpty() ? ArmaCadenaConexion() : ConnString; });
    step([&] {
        if (!PideParametrosSQL) return;
        if (!MuestraDialogoAcceso()) throw vb::ExitProcedure{};
        gConnString = ArmaCadenaConexion();
    });
    step([&] { gCnn.setCursorLocation(lCursor); });
    step([&] {
        columnfit::olvida(gCnn);
        gCnn.Open(gConnString, QString(), QString(), -1);
    });
    step([&] {
        if (!ValidaAdmin) {
            gEsAdmin = true;
            throw vb::ExitProcedure{};
        }
        if (Trim(gDBName).isEmpty()) throw vb::ExitProcedure{};
        gCnn.setDefaultDatabase(gDBName);
    });
    step([&] {
        // The instance's own connection answers, so the statistics connection never
        // reports on the company database.
        if (!ExisteTablaDB(QStringLiteral("TA_USUARIOS"))) return;
        if (!MuestraError) {
            gEsAdmin = true;
            return;
        }
        const vb::Variant admin =
            DatosTabla(QStringLiteral("ta_usuarios"), gUsuario, QStringLiteral("Administrador"),
                       QStringLiteral("nombre"), 8, QString(), true, false);
        gEsAdmin = vb::Val(admin.isString() ? admin.string() : QString()) == 1;
    });
    // Whatever road ended the call, success is reported only for an open connection.
    if (gCnn.State() != ado::adStateOpen) gOpenFlag = false;
}

void DB_Dll::ReintentaConectar() {
    QString cadena;
    long timeoutPrevio = 0;
    long loginPrevio = 0;
    bool timeoutCambiado = false;
    vb::Steps step([&](const vb::VbError& e) -> int {
        if (e.Number == ado::err::ObjectClosed) return vb::vbIgnore;
        gOpenFlag = false;
        if (e.Number == ado::err::ProviderFailure) return vb::vbAbort;
        return TratamientoErrores(e, std::nullopt, QStringLiteral("AbrirRecordset"));
    });
    step([&] { gOpenFlag = false; });
    step([&] {
        cadena = gCnn.ConnectionString();
        timeoutPrevio = gCnn.CommandTimeout();
        // Five seconds for the reopen only: a server that is gone should not hang the program.
        gCnn.setCommandTimeout(5);
        timeoutCambiado = true;
    });
    step([&] { gCnn.Close(); });
    step([&] {
        // A server that takes the connection and never answers would hold the window for the
        // driver's whole login time at each try; a live one logs in well within this.
        loginPrevio = gCnn.ConnectionTimeout();
        gCnn.setConnectionTimeout(kSegundosReconexion);
    });
    step([&] {
        columnfit::olvida(gCnn);
        gCnn.Open(cadena, gUsuario, gUserPassWord, -1);
    });
    step([&] { gOpenFlag = true; });
    if (timeoutCambiado) {
        try {
            gCnn.setCommandTimeout(timeoutPrevio);
        } catch (const vb::VbError&) {
        }
    }
    if (loginPrevio > 0) gCnn.setConnectionTimeout(loginPrevio);
    if (gCnn.State() != ado::adStateOpen) gOpenFlag = false;
}

void DB_Dll::OpenLocalADODB(const QString& ConnString, const QString& CadenaID,
                            const QString& CadenaPWD) {
    auto eligeArchivo = [&]() -> bool {
        if (!CmdDlg) CmdDlg = std::make_unique<clsDialogo>();
        CmdDlg->Titulo = QStringLiteral("Buscar Base de Datos");
        CmdDlg->Filtro = QStringLiteral("Base de Datos de Microsoft Access |*.MDB");
        if (!CmdDlg->Mostrar()) return false;
        gDBName = CmdDlg->Archivo;
        return true;
    };
    auto cadenaBase = [&]() -> QString {
        if (!ConnString.isEmpty()) return ConnString;
        using connstr::quote;
        return QStringLiteral("PROVIDER=") + gProveedor + u';' + QStringLiteral("Data Source =") +
               quote(gDBName) + u';' + CadenaID + u'=' + quote(gUsuario) + u';' + CadenaPWD +
               u'=' + quote(gUserPassWord) + u';' + gExtended;
    };

    if (Trim(gDBName).isEmpty() && !eligeArchivo()) return;
    QString clavePassword;  // rebuilt on each try, never piled up
    bool claveGuardadaUsada = false;
    for (;;) {
        const QString cadena = cadenaBase() + clavePassword;
        try {
            columnfit::olvida(gCnn);
            gCnn.Open(cadena, QString(), QString(), -1);
            gConnString = cadena;
            return;
        } catch (const vb::VbError& e) {
            const QString estado =
                gCnn.errors().Count() > 0 ? gCnn.errors().Item(0).SQLState : QString();
            if (estado == QLatin1String("3024") || estado == QLatin1String("3051") ||
                estado == QLatin1String("3044")) {
                if (!eligeArchivo()) return;
                continue;
            }
            if (estado == QLatin1String("3031")) {
                bool ignora = false;
                try {
                    ignora = vb::CBool(gIgnoraPassWord);
                } catch (const vb::VbError&) {
                }
                if (ignora && !claveGuardadaUsada) {
                    claveGuardadaUsada = true;
                    clavePassword = QStringLiteral("Jet OLEDB:Database Password=") +
                                    connstr::quote(gUserPassWord) + u';';
                    continue;
                }
                const std::optional<QString> respuesta = ui::op().inputBox(
                    QStringLiteral("ingrese el password:"), QStringLiteral("Password Access"));
                if (!respuesta) return;
                clavePassword = QStringLiteral(" Jet OLEDB:Database Password=") +
                                connstr::quote(*respuesta) + u';';
                continue;
            }
            ui::op().msgBox(QString::number(e.Number) + QStringLiteral("  ") + e.Description,
                            vb::vbCritical);
            return;
        }
    }
}
