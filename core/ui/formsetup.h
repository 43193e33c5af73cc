#pragma once

class QWidget;

// Dressing a form when it loads.
namespace ModGlobal {

// Applies the skin the INI file chooses for the current user and database through the form's
// skinning control ("SkinFramework1"). A skin that cannot be loaded is skipped.
void CargaSkin(QWidget& Formulario);

// Gives the form the program's icon and the station's toolbar style (controls "Trelvo1",
// "TBarRep1", "Util0011", whichever it has). Never fails.
void ConfiguraFormulario(QWidget& Formulario);

}  // namespace ModGlobal
