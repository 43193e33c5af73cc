#pragma once

#include "platform/vb/vberror.h"

#include <QString>
#include <QStringList>

#include <functional>

// What the database class needs from the layers above it. Start-up installs these once (the
// central error dialog, the configuration reader and two global settings from the common
// services; the connection dialog from the window library of this folder); until then each
// has a plain default, given below.
namespace dbhooks {

// The boxes of the connection dialog as the database class fills and reads them.
struct DatosAcceso {
    QString TxtServidor;
    QString TxtDbName;
    QString TxtUserId;
    QString TxtUserPassword;
    int CboPlataformaDB = 0;  // list index: 0 "SQL Server", 1 "ORACLE"
    bool Aceptar = false;     // closed with Aceptar
    QString Aviso;            // a hint shown above the boxes; empty: none
    QStringList Faltan;       // the command-line items the hint names as missing
};

struct Hooks {
    // The central error dialog: answer of the box (vb::Answer). Default: the database
    // class's own box of `gDB()`.
    std::function<int(const vb::VbError& err, const QString& rutina, int botones)> ManejaError;
    // `Cfg(clave)`: the configuration value. Default: a missing key (" ").
    std::function<QString(const QString& clave)> Cfg;
    // The global settings `gConfidencialidad` and `gUtilizarFechaDia`. Default: off.
    std::function<bool()> Confidencialidad;
    std::function<bool()> UtilizarFechaDia;
    // Shows the connection dialog modally with the boxes filled from `datos` and copies the
    // boxes, the platform index and `Aceptar` back. Default: raises (no dialog installed).
    std::function<void(DatosAcceso& datos)> MuestraAcceso;
};

// The installed hooks; an empty function means "use the default".
Hooks& hooks();

// Calls through the hooks, with their defaults.
int ManejaError(const vb::VbError& err, const QString& rutina, int botones = 18);
QString Cfg(const QString& clave);
bool Confidencialidad();
bool UtilizarFechaDia();
void MuestraAcceso(DatosAcceso& datos);

}  // namespace dbhooks
