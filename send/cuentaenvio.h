#pragma once

#include <QString>

#include <optional>

namespace send {

// The SMTP account a send leaves through (the dialog's CuentaEnvio).
struct CuentaCorreo {
    QString Servidor;      // server kind: "Hotmail", "Gmail" or "Otro"
    QString Usuario;       // SMTP login
    QString Password;      // SMTP password
    QString ServidorOtro;  // SMTP host of the kind "Otro"
    QString Puerto;        // SMTP port as text
    QString De;            // sender address
};

// The mail-submission hosts of the public kinds.
inline const QString kHostHotmail = QStringLiteral("smtp-mail.outlook.com");
inline const QString kHostGmail = QStringLiteral("smtp.gmail.com");

// Fills the account for the logged-in user (ModGlobal::gUsuarioLogeado): the user's row of
// ta_usuarios first, the "email_" configuration keys for what it leaves blank, and, when no
// login results, the deployment's account. `Puerto` is kept when nothing sets it. Failing
// reads are skipped.
void CargaCuentaEnvio(CuentaCorreo& cuenta);

// The account a deployment supplies for users who have none: the section "CuentaEnvio" of
// the INI file "ZX900pr.INI" with the keys "Usuario" (the sender address and login),
// "Servidor" (the SMTP host) and "Password" (plain or scrambled). Nothing when "Usuario" is
// blank.
struct CuentaIncorporada {
    QString Usuario;
    QString Servidor;
    QString Password;
};
std::optional<CuentaIncorporada> LeeCuentaIncorporada();

// Where a send connects for an account: by kind, "Hotmail" the public host on 587,
// "Gmail" the public host on the configured port or 465, "Otro" the account's host on 25,
// any other kind an empty host on the configured port.
struct ServidorSmtp {
    QString host;
    int port = 0;
};
ServidorSmtp ServidorYPuerto(const CuentaCorreo& cuenta);

}  // namespace send
