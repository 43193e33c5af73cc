#pragma once

#include "platform/reportengine/request.h"

#include <QString>

// Where the report printer reads a report's rows: the program's own database connection.
namespace dbreportes {

// The connection string for a report logon ("DSN=<database>; UID=…; PWD=…"): the string of
// gDB()'s connection when the logon names its database (or none), else the same server with
// the logon's database, user and password.
QString cadenaConexion(const reportengine::Logon& logon);

// Makes the report engine open its data with cadenaConexion.
void instala();

}  // namespace dbreportes
