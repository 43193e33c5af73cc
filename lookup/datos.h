#pragma once

#include "platform/vb/variant.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

// What the lookup grids read and run on the database and ask of the common services: through
// gDB, the configuration reader and the program launcher. Nothing replaces them but a test
// that needs a failure the database cannot be made to give.
class CodeTree;
class DB_Dll;
class SearchGrid;

// The second database instance a grid may be told to read through; this program never opens
// it.
DB_Dll& gDBUDBC();

namespace lookup {

struct CampoConsulta {
    QString nombre;
    long tipo = 0;    // ADO data type code
    long tamano = 0;  // defined size
};

struct ResultadoConsulta {
    QList<CampoConsulta> campos;
    QList<QList<vb::Variant>> filas;
};

struct Datos {
    // A configuration value (a missing key reads as a single blank).
    std::function<QString(const QString& clave)> Cfg;
    // Runs a lookup's query (through the second database instance when `udbc`); `sql` comes
    // back as the database class rewrote it. Nothing when the query could not run: the
    // database class has already told the operator.
    std::function<std::optional<ResultadoConsulta>(QString& sql, bool udbc)> consulta;
    // The same query read row by row, none of its rows held: `campos` gets the fields before
    // the first row, `fila` each row's values as they are read (one list, filled again for
    // every row), and `descritos` the fields once the rows are read, as a result held whole
    // tells them (the type of a column that is an expression, by its values). False when the
    // query could not run; a retry the operator asks for starts again at `campos`.
    std::function<bool(QString& sql, bool udbc,
                       const std::function<void(const QList<CampoConsulta>&)>& campos,
                       const std::function<void(const QList<vb::Variant>&)>& fila,
                       QList<CampoConsulta>& descritos)>
        recorre;
    // Runs a statement; the description of its first error, empty when it ran.
    std::function<QString(const QString& sql)> ejecuta;
    // The connection string of the program's database.
    std::function<QString()> cadenaConexion;
    // The database user.
    std::function<QString()> usuario;
    // The text of `campoDevuelto` in the row of `tabla` whose `campo` is `codigo`; nothing
    // when no row has it.
    std::function<std::optional<QString>(const QString& tabla, const QString& codigo,
                                         const QString& campo, const QString& campoDevuelto)>
        valorEnTabla;
    // Starts a maintenance program of the suite.
    std::function<void(const QString& ejecutable, const QString& parametro)> MenuExes;
};

// The installed services.
Datos& datos();

// How the lookup service shows its forms: each shows the loaded form modally and returns once
// the operator has accepted or cancelled. The window library installs the real windows.
struct Formularios {
    std::function<void(SearchGrid&)> muestraGrilla;
    std::function<void(CodeTree&)> muestraArbol;
};

Formularios& formularios();

}  // namespace lookup
