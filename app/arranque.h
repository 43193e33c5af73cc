#pragma once

// The program's services that live above the start-up form's own folder, installed once
// before the form loads: the connection dialog, the central error dialog for the database
// class, the lookup windows and start-up steps, the send dialog, the file-transfer windows, and
// the report data.
namespace arranque {

void instalaServicios();

// The document printing the send dialog's automatic mailing drives: the voucher work tables,
// the receipt print data and the voucher printer. Part of instalaServicios.
void instalaDocumentosEnEnvio();

}  // namespace arranque
