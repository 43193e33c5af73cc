#pragma once

// What the file-transfer subsystem lends to the others, installed once at start-up.
namespace transfer {

// The send dialog's timed notice becomes this subsystem's timed message box; its web upload
// runs the unattended FTP job, and its picture gets this subsystem's thumbnails, fit and
// picture viewer.
void instalaEnEnvio();

// The FTP logic shows its progress forms, popup and client window on Qt Widgets.
void instalaVentanas();

}  // namespace transfer
