#pragma once

#include "send/dialogoenvio.h"

#include <QString>

// The send dialog's attachments, its address and contact lookups, and the special mail of an
// HTML page.
namespace send {

// Asks for one or more files and adds their paths to the attachment box, ";" between paths.
// Any error, a cancel included, is told under "Error" and leaves the box as it was.
void AgregaAdjuntos(DialogoEnvio& dialogo);

// Opens a file with its program; a name with blanks goes between double quotes.
void AbrirAdjunto(const QString& QueArchivo, bool MostrarVentana);

// Opens every file of the attachment box, each with its program.
void AbreAdjuntos(const DialogoEnvio& dialogo);

// The multi-select lookup of addresses: one address goes into "Para" as it is, several into
// gSeleccionMultiple (from index 1) with "Seleccion Multiple" in "Para"; a cancel empties
// "Para" and keeps the list.
void ConsultaDirecciones(DialogoEnvio& dialogo);

// The lookup of the phone of one contact of the dialog's account, into the WhatsApp number
// (emptied by a cancel).
void ConsultaContacto(DialogoEnvio& dialogo);

// Prepares the dialog to mail the HTML page `Arch` to the account `Cuenta` (its address of
// ma_cuentasadic) from the database user's address, with the page as message and attachment
// and the style sheet in the temporary folder, and shows it without waiting. Nothing is
// shown for an empty `Arch`. Errors reach the caller.
void EnviarMail_Especial(DialogoEnvio& dialogo, const QString& Cuenta, const QString& Arch);

// "#" and the colour's red, green and blue in hexadecimal, from a colour number stored
// blue-green-red.
QString ColorARGB(const QString& Color);

}  // namespace send
