#pragma once

#include <QString>

// The suite's global procedures of message sending: the addresses a document goes to, and
// the footer page of a mail.
namespace ModGlobal {

// The addresses of the account's contacts that receive documents of the voucher type `TC`,
// joined by ";" without a trailing one; when there are none, the account's own address of
// ma_cuentasadic; empty when that is missing too. Errors reach the caller.
QString ObtieneMailsContactos(const QString& TC, const QString& Cuenta);

// Writes the footer page "PiePag.htm" (the company's name in bold) into the temporary folder,
// replacing it, and sets `Ruta` to its path. Errors go to the error dialog; `Ruta` is left
// alone when the operator gives up.
void GeneraPiePagina(QString& Ruta);

}  // namespace ModGlobal
