#pragma once

#include "send/dialogoenvio.h"

// The e-mail send of the send dialog.
namespace send {

// Sends the dialog's message: remembers it for next time, connects once with the dialog's
// account, sends one mail per recipient of "Para" (or of the multi-select list) with the
// attached files, logs each mail, tells the operator, and unloads the dialog when it was
// opened for the operator and every mail went; a failed mail leaves it open and not done.
// A login goes only over an encrypted connection. However it ends, the send button is
// enabled again and the pointer is the default one. While a send runs (the interface keeps
// its events meanwhile), another one is refused. The result is false (nothing reads it).
bool EnviarPyMail(DialogoEnvio& dialogo);

// Asks the send running on the dialog to stop: no further mail goes, the one on its way is
// abandoned at whatever stage it is, and the log says the mail whose acceptance the server
// never confirmed was cancelled.
// False when no send runs.
bool CancelaEnvio(DialogoEnvio& dialogo);

}  // namespace send
