#include "send/cuentaenvio.h"

#include "platform/vb/conversions.h"
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
