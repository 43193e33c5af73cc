#include "send/cuentaenvio.h"

#include "core/config.h"
#include "core/globals.h"
#include "db/db_dll.h"
#include "platform/vb/conversions.h"
#include "platform/vb/steps.h"
#include "platform/vb/strings.h"
#include "platform/vendrix/clsini.h"
#include "platform/vendrix/clsutil.h"

namespace send {

namespace {

const QString kIni = QStringLiteral("ZX900pr.INI");
const QString kSeccion = QStringLiteral("CuentaEnvio");

bool esTipo(const QString& servidor, const char* tipo) {
    return vb::StrComp(servidor, QString::fromLatin1(tipo), vb::Compare::Text) == 0;
}

}  // namespace

std::optional<CuentaIncorporada> LeeCuentaIncorporada() {
    CuentaIncorporada cuenta;
    cuenta.Usuario = vb::Trim(gIni().LeeIni(kIni, kSeccion, QStringLiteral("Usuario")));
    if (cuenta.Usuario.isEmpty()) return std::nullopt;
    cuenta.Servidor = vb::Trim(gIni().LeeIni(kIni, kSeccion, QStringLiteral("Servidor")));
    cuenta.Password =
        gUtil().Decodifica(vb::Trim(gIni().LeeIni(kIni, kSeccion, QStringLiteral("Password"))));
    return cuenta;
}

void CargaCuentaEnvio(CuentaCorreo& c) {
    ado::Recordset usuario;
    vb::runSteps(
        vb::silentHandler(),
        {[&] {
             c.Servidor.clear();
             c.Usuario.clear();
             c.Password.clear();
             c.ServidorOtro.clear();
             c.De.clear();
         },
         [&] {
             if (!gDB().ExisteEnTabla(QStringLiteral("ta_usuarios"), ModGlobal::gUsuarioLogeado,
                                      QStringLiteral("nombre"), &usuario, 8, QString(), true))
                 return;
             const auto columna = [&](const char* nombre) {
                 return gUtil().NuloAVacio(usuario[QString::fromLatin1(nombre)]);
             };
             c.Servidor = columna("eMail_Server");
             c.Usuario = columna("email_usuario");
             c.Password = columna("email_Password");
             c.ServidorOtro = columna("email_ServerOtro");
             c.De = columna("email_De");
             const QString tipo = vb::Trim(c.Servidor);
             if (esTipo(tipo, "Otro") || esTipo(tipo, "Hotmail"))
                 c.Puerto = QStringLiteral("25");
             else if (esTipo(tipo, "Gmail"))
                 c.Puerto = QStringLiteral("465");
         },
         [&] { gDB().CierraRecordset(usuario); },
         [&] {
             const std::pair<QString*, const char*> claves[] = {
                 {&c.Servidor, "email_server"},   {&c.Usuario, "email_usuario"},
                 {&c.Password, "email_password"}, {&c.ServidorOtro, "eMail_OtroServer"},
                 {&c.Puerto, "email_puerto"},
             };
             for (const auto& [campo, clave] : claves)
                 if (vb::Trim(*campo).isEmpty())
                     *campo = vb::Trim(ModGlobal::Cfg(QString::fromLatin1(clave)));
         },
         [&] {
             if (!vb::Trim(c.Usuario).isEmpty()) return;
             // A user with no login of their own sends through the deployment's account,
             // when the deployment has one; else the send stops at the connection.
             const std::optional<CuentaIncorporada> propia = LeeCuentaIncorporada();
             if (!propia) return;
             c.Usuario = propia->Usuario;
             c.Servidor = QStringLiteral("Otro");
             c.Password = propia->Password;
             c.ServidorOtro = propia->Servidor;
             c.Puerto = QStringLiteral("25");
         },
         [&] {
             if (vb::Trim(c.De).isEmpty())
                 c.De = vb::Trim(ModGlobal::Cfg(QStringLiteral("eMail_De")));
         }});
}

ServidorSmtp ServidorYPuerto(const CuentaCorreo& cuenta) {
    ServidorSmtp s;
    const double puerto = vb::Val(cuenta.Puerto);
    s.port = puerto >= 1 && puerto <= 65535 ? static_cast<int>(puerto) : 0;
    const QString tipo = vb::Trim(cuenta.Servidor);
    if (esTipo(tipo, "Hotmail")) {
        s.host = kHostHotmail;
        s.port = 587;
    } else if (esTipo(tipo, "Gmail")) {
        s.host = kHostGmail;
        if (s.port == 0) s.port = 465;
    } else if (esTipo(tipo, "Otro")) {
        s.host = cuenta.ServidorOtro;
        s.port = 25;
    }
    return s;
}

}  // namespace send
