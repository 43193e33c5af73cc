#pragma once

#include <QString>

#include <functional>

namespace core {

// What start-up hands to the lookup service, which lives above this folder and installs
// these (lookup::PreparaConsultas, lookup::CreaMascarasSiFaltan). Until then nothing is done.
struct StartupHooks {
    // The service's connection string and the path of its definition file.
    std::function<void(const QString& connString, const QString& rutaMascaras)> PreparaConsultas;
    // Writes the default lookup definitions when no file is at that path.
    std::function<void()> CreaMascarasSiFaltan;
};
StartupHooks& startupHooks();

// Installs the central error dialog, the configuration reader and the settings the database
// class asks for through its hooks.
void installDatabaseHooks();

// The statistics database: its name, login and password.
inline const char* const kBaseEstadisticas = "KQ_ESTADISTICAS";

}  // namespace core

namespace ModGlobal {

// Brings the program up: station identity, command line (or the INI file's connection when
// `TomarDeIni` and the command line is empty), the main and statistics connections, the
// report logon text, the lookup service, the configuration and the access-log row.
// `LineaComando` empty means the program's own command line. Without a connection the
// program ends with a non-zero status.
void InicioConexion(bool TomarDeIni, const QString& LineaComando, QString& ConnString,
                    long CursorLocation);

// Opens the statistics connection and settles gTimeOut; shows nothing.
void ConectaEstadisticas();

}  // namespace ModGlobal
