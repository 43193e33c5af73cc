#pragma once

#include <QString>

// What the suite asks of the workstation: its name, the user's, a temporary folder, and
// opening a file with its program.
class clsSistema {
public:
    // As the system gives them (not upper-cased).
    QString NombreMaquina() const;
    QString NombreUsuario() const;

    // A folder of this user alone (mode 0700) under the system's temporary folder, created on
    // first use, with a final "/". Another user's folder of that name is never used.
    QString CarpetaTemporal() const;

    // Opens the file with the desktop's default program for it; the desktop decides the
    // window, so `modoVentana` (6 minimised, 0 hidden, 1 normal) is not applied. A name
    // wrapped in double quotes is taken without them. True when the desktop took it.
    bool AbreConAsociado(const QString& archivo, int modoVentana = 1) const;
    // The same with the launcher's full argument list; `resultado` gets 1 when the desktop
    // took the file, else 0. The window handle, operation, parameters and folder are unused.
    void AbreConAsociado(qintptr ventana, const QString& operacion, const QString& archivo,
                         const QString& parametros, const QString& carpeta, int modoVentana,
                         long& resultado) const;
};

// The program-wide instance, created on first use.
clsSistema& gSistema();
