#pragma once

#include "platform/reportengine/datasource.h"
#include "platform/reportengine/request.h"

#include <QString>

#include <memory>

// Where the report printer reads a report's rows: the program's own database connection.
namespace dbreportes {

// The connection string for a report logon ("DSN=<database>; UID=…; PWD=…"): the string of
// gDB()'s connection when the logon names its database (or none), else the same server with
// the logon's database, user and password.
QString cadenaConexion(const reportengine::Logon& logon);

// The report engine's data service (reportengine::Services::openData): a connection of its
// own on cadenaConexion. Raises the database layer's VbError when it cannot open.
std::unique_ptr<reportengine::DataSource> abreDatos(const reportengine::Logon& logon);

}  // namespace dbreportes
