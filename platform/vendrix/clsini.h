#pragma once

#include <QString>

// Reads the suite's INI files (Windows-1252 text shared with its other programs).
class clsIni {
public:
    // The value of `clave` in `seccion` of the INI file, else `defecto`. Sections and keys are
    // matched without regard to case ("|" may stand in a section name); a key written with
    // nothing after "=" gives the empty text. A bare file name is looked up in the program
    // folder, and the file's name is matched without regard to case. A missing file gives the
    // default. Blanks around the value, and one pair of double quotes around it, are dropped;
    // a NUL byte ends the value.
    QString LeeIni(const QString& archivo, const QString& seccion, const QString& clave,
                   const QString& defecto = {}) const;
    // The same, also left in `valor`.
    QString LeeIni(const QString& archivo, const QString& seccion, const QString& clave,
                   const QString& defecto, QString& valor) const;

    // The built-in connection user and password that stand as defaults of the INI file's
    // connection keys (Codifica is applied by the caller, as for the stored ones).
    static QString UsuarioPorDefecto() { return QStringLiteral("Vendrix"); }
    static QString ClavePorDefecto() { return QStringLiteral("zentrik"); }
};

// The program-wide instance, created on first use.
clsIni& gIni();
