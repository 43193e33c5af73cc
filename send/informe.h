#pragma once

// The send dialog as the error-log report hands it a report file.
namespace send {

// Fills the report's send services: temporary file names from the mail module, and the
// report file shown in the program-wide send dialog (attachment, subject in "Asunto", shown
// to the operator before anything is sent, modally).
void instalaEnInforme();

}  // namespace send
