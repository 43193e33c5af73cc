#pragma once

#include "send/dialogoenvio.h"

// The e-mail send of the send dialog.
namespace send {

// Sends the dialog's message: remembers it for next time, connects once with the dialog's
// account, sends one mail per recipient of "Para" (or of the multi-select list) with the
// attached files, logs each mail, tells the operator, and unloads the dialog when it was
// opened for the operator and every mail went. However it ends, the send button is enabled
// again and the pointer is the default one. The result is false (nothing reads it).
bool EnviarPyMail(DialogoEnvio& dialogo);

}  // namespace send
