#pragma once

#include <QString>

// The suite's open-file dialog: set the title and filter, show it, then read the chosen file
// or the cancel flag.
class clsDialogo {
public:
    QString Titulo;
    // In the common dialog's form: "Base de Datos de Microsoft Access |*.MDB".
    QString Filtro;
    // The chosen file; also the folder the dialog opens in when it names one.
    QString Archivo;
    bool Cancelado = false;

    // Shows the chooser through the operator service. False (and Cancelado set, Archivo kept)
    // when the operator cancels.
    bool Mostrar();
};
