#pragma once

#include "send/dialogoenvio.h"

#include <QString>

// The send log (v_ma_emailmov): one row for every message the send dialog sends.
namespace send {

// Writes the row of one send: the dialog's e-mail fields, or its WhatsApp fields when
// `esWhatsapp`; Status "OK", or `TextoError` when `HayError`. The time is the database
// server's. A failure goes to the central error dialog; it never undoes the send.
void RegistrarEnvio(const DialogoEnvio& dialogo, bool HayError, const QString& TextoError,
                    const QString& CodigoActivador, bool esWhatsapp);

// Marks the logged mail with that UIDL as answered by `Usuario`; nothing for a blank UIDL.
void ActualizaContestado(const QString& Usuario, const QString& UIDL, const QString& CuentaEmail);

}  // namespace send
