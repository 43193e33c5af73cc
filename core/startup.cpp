#include "core/startup.h"

#include "core/access.h"
#include "core/commandline.h"
#include "core/config.h"
#include "core/errordialog.h"
#include "core/globals.h"
#include "core/settings.h"
#include "db/connection_string.h"
#include "db/db_dll.h"
#include "db/hooks.h"
#include "platform/vb/app.h"
#include "platform/vb/conversions.h"
#include "platform/vb/steps.h"
#include "platform/vb/strings.h"
#include "platform/vendrix/clsini.h"
#include "platform/vendrix/clsreporte.h"
#include "platform/vendrix/clssistema.h"
#include "platform/vendrix/clsutil.h"

namespace core {

StartupHooks& startupHooks() {
    static StartupHooks hooks;
    return hooks;
}

void installDatabaseHooks() {
    dbhooks::Hooks& h = dbhooks::hooks();
    h.ManejaError = [](const vb::VbError& err, const QString& rutina, int botones) {
        return ModGlobal::ManejaError(
            err, botones, rutina.isEmpty() ? std::nullopt : std::optional<QString>(rutina));
    };
    h.Cfg = [](const QString& clave) { return ModGlobal::Cfg(clave); };
    h.Confidencialidad = [] { return ModGlobal::gConfidencialidad; };
    h.UtilizarFechaDia = [] { return ModGlobal::gUtilizarFechaDia; };
}

}  // namespace core

namespace ModGlobal {

namespace {

const QString kIni = QStringLiteral("ZX900pr.INI");

// The connection stored in the INI file for this station, as a command line.
QString lineaDesdeIni() {
    const QString seccion = vb::UCase(gSistema().NombreMaquina()) + u'|' +
                            vb::UCase(gSistema().NombreUsuario()) + QStringLiteral("BaseDeDatos");
    auto lee = [&](const char* clave, const QString& defecto) {
        return gIni().LeeIni(kIni, seccion, QString::fromLatin1(clave), defecto);
    };
    QString servidor = lee("Servidor", {});
    QString base = lee("DbName", {});
    QString usuario =
        gUtil().Decodifica(lee("Usuario", gUtil().Codifica(clsIni::UsuarioPorDefecto())));
    QString clave =
        gUtil().Decodifica(lee("UserPassWord", gUtil().Codifica(clsIni::ClavePorDefecto())));
    for (QString* valor : {&servidor, &base, &usuario, &clave}) valor->remove(u'|');
    return QStringLiteral("@server=") + servidor + QStringLiteral("; @dbname= ") + base +
           QStringLiteral("; @usuario= ") + usuario + QStringLiteral("; @Password= ") + clave +
           QStringLiteral("; @ParametroAdicional=; @Caja=1;vendrix@");
}

}  // namespace

void ConectaEstadisticas() {
    // Nothing here may stop the start: each failing step is skipped.
    vb::Steps paso(vb::silentHandler());
    DB_Dll& kq = gDBEstadisticas();
    const QString nombre = QString::fromLatin1(core::kBaseEstadisticas);
    paso([&] { gTimeOut = 360; });
    paso([&] {
        if (kq.gCnn.State() == ado::adStateOpen) kq.gCnn.Close();
    });
    paso([&] { kq.gProveedor = gDB().pSQLOLEDB(); });
    paso([&] { kq.gServidor = gDB().gServidor; });
    paso([&] {
        kq.gDBName = nombre;
        kq.gUsuario = nombre;
        kq.gUserPassWord = nombre;
    });
    paso([&] { kq.OpenServerADODB(false, ado::adUseClient, QString(), true, false); });
    if (kq.gOpenFlag) {
        paso([&] { kq.gCnn.setDefaultDatabase(nombre); });
        paso([&] { gTimeOut = vb::CInt(vb::Val(CfgKQ(QStringLiteral("TimeOut")))); });
        paso([&] {
            if (gTimeOut == 0)
                GrabaCfgKQ(QStringLiteral("TimeOut"), gTimeOut, QString(), false,
                           QStringLiteral("BaseDeDatos"), true);
        });
    }
    paso([&] {
        if (gTimeOut == 0) gTimeOut = 360;
    });
}

void InicioConexion(bool TomarDeIni, const QString& LineaComando, QString& ConnString,
                    long CursorLocation) {
    // An invalid argument (5) goes on; anything else is shown: Retry runs the step again,
    // Ignore goes on, any other answer ends the program.
    vb::Steps paso([](const vb::VbError& e) {
        if (e.Number == vb::err::InvalidProcedureCall) return static_cast<int>(vb::vbIgnore);
        const int respuesta = ManejaError(e, std::nullopt, QStringLiteral("InicioConexion"));
        if (respuesta != vb::vbIgnore && respuesta != vb::vbRetry) vb::End(1);
        return respuesta;
    });
    const QString carpeta = gUtil().BarraFinal(vb::App().Path);
    QString linea, servidor, base, usuario, clave;

    paso([&] { core::installDatabaseHooks(); });
    paso([&] { vb::App().HelpFile = carpeta + QStringLiteral("htmlhelp/vendrixplus.chm"); });
    paso([&] {
        gColorLetra = 0;
        gColorFondo = 0xFFFFFF;
    });
    paso([&] { linea = LineaComando.isEmpty() ? core::programCommandLine() : LineaComando; });
    paso([&] {
        if (TomarDeIni && vb::Trim(linea).isEmpty()) linea = lineaDesdeIni();
    });
    paso([&] {
        gSeccionIni =
            vb::UCase(gSistema().NombreMaquina()) + u'|' + vb::UCase(gSistema().NombreUsuario());
        if (vb::Trim(gSeccionIni).size() > 50) gSeccionIni = vb::Left(gSeccionIni, 50);
    });
    paso([&] {
        gFlatToolbars =
            vb::Val(gIni().LeeIni(kIni, gSeccionIni, QStringLiteral("FlatToolbars"), "1"));
    });

    if (!gDB().gOpenFlag) {
        paso([&] {
            gParametroAdicional = core::commandLineValue(linea, "@ParametroAdicional");
            gMenu = core::commandLineValue(linea, "@Menu");
            servidor = core::commandLineValue(linea, "@Server");
            base = core::commandLineValue(linea, "@DbName");
            usuario = core::commandLineValue(linea, "@Usuario");
            clave = core::commandLineValue(linea, "@Password");
            gUsuarioLogeado = core::commandLineValue(linea, "@UsuarioLogeado");
            gCaja = core::commandLineValue(linea, "@Caja", QStringLiteral("1"));
        });
        paso([&] {
            // A command line that lacks what the connection needs: the dialog says which
            // items it lacks instead of showing empty boxes without a word.
            if (vb::Trim(linea).isEmpty()) return;
            const QStringList faltan = core::commandLineMissing(
                linea, {QStringLiteral("@Server"), QStringLiteral("@DbName"),
                        QStringLiteral("@Usuario"), QStringLiteral("@Password")});
            if (faltan.isEmpty()) return;
            gDB().FaltanAcceso = faltan;
            gDB().AvisoAcceso =
                QStringLiteral("La línea de comando no trae ") +
                faltan.join(QStringLiteral(", ")) +
                QStringLiteral(". Se espera: @Server=…;@DbName=…;@Usuario=…;@Password=…;");
        });
        paso([&] {
            if (vb::Trim(servidor).isEmpty() || !servidor.startsWith(u'#')) return;
            servidor.remove(0, 1);
            if (ConnString.isEmpty())
                ConnString = QStringLiteral("Provider=OraOLEDB.Oracle.1;Data Source=") +
                             connstr::quote(base) + QStringLiteral(";User Id=") +
                             connstr::quote(usuario) + QStringLiteral(";Password=") +
                             connstr::quote(clave) + u';';
        });
        paso([&] {
            gDB().gUsuario = usuario;
            gDB().gDBName = base;
            gDB().gUserPassWord = clave;
            gDB().gServidor = ExtraeServidor(servidor);
        });
        paso([&] {
            const bool pide = vb::Trim(servidor).isEmpty() || vb::Trim(usuario).isEmpty();
            gDB().OpenServerADODB(pide, CursorLocation, ConnString, true, true);
        });
        // Without a connection there is nothing this program can do.
        if (!gDB().gOpenFlag) vb::End(1);
        paso([&] { ConectaEstadisticas(); });
        paso([&] { gUsuarioLogeado = gDB().gUsuario; });
        paso([&] { gDB().gCnn.setCommandTimeout(gTimeOut); });
        paso([&] { gDB().gCnn.setIsolationLevel(ado::adXactReadUncommitted); });
    }

    if (!gDB().gDBName.isEmpty()) {
        const QString mascaras = carpeta + QStringLiteral("consultas.kqv");
        paso([&] {
            gConexionReporte = QStringLiteral("DSN=") + gDB().gDBName + QStringLiteral("; UID=") +
                               gDB().gUsuario + QStringLiteral("; PWD=") + gDB().gUserPassWord;
        });
        paso([&] { gReporte().CarpetaBase = carpeta; });
        paso([&] { gDB().gCnn.setDefaultDatabase(gDB().gDBName); });
        paso([&] {
            if (core::startupHooks().PreparaConsultas)
                core::startupHooks().PreparaConsultas(gDB().gConnString, mascaras);
        });
        paso([&] {
            if (core::startupHooks().CreaMascarasSiFaltan)
                core::startupHooks().CreaMascarasSiFaltan();
        });
        paso([&] { gDB().gCnn.setDefaultDatabase(gDB().gDBName); });
        paso([&] { CargaConfiguracion(carpeta); });
    }
    paso([&] { ControlAcceso(QString()); });
}

}  // namespace ModGlobal
