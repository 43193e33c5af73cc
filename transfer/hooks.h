#pragma once

// What the file-transfer subsystem lends to the others, installed once at start-up.
namespace transfer {

// The send dialog's timed notice becomes this subsystem's timed message box.
void instalaEnEnvio();

// The FTP logic shows its progress forms, popup and client window on Qt Widgets.
void instalaVentanas();

}  // namespace transfer
