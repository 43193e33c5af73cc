#pragma once

// What the file-transfer subsystem lends to the send dialog, installed once at start-up.
namespace transfer {

// The send dialog's timed notice becomes this subsystem's timed message box.
void instalaEnEnvio();

}  // namespace transfer
