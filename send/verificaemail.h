#pragma once

#include "send/dialogoenvio.h"

#include "platform/vb/variant.h"

#include <QString>

// The automatic mailing of a document just issued: by the mail rule of its voucher type.
namespace send {

// Mails the document `TC` `IdComprobante` of the account `Cuenta` (blank: the voucher number
// stands for it, in the caller's variable too) by the first active rule of v_ma_email for
// the type: builds its print data, prints it as an HTML page and as the attachment into a
// folder of its own under the temporary folder, fills the dialog from the rule, the customer
// and the contacts, and sends at once (the rule asks no confirmation) or shows the dialog and
// waits until the operator sends or leaves. `ForzarEnvio` needs no rule and always shows the
// dialog; `PorPantalla` only prints to the screen. The dialog is unloaded at the end. Errors
// go to the error dialog ("Aceptar"); giving up there ends the operation.
void VerificaeMail(DialogoEnvio& dialogo, QString& Cuenta, QString& TC,
                   const vb::Variant& IdComprobante, bool& PorPantalla, bool& ForzarEnvio);

}  // namespace send
