#pragma once

namespace ado {

// Whether Qt's list of database connections may still be used. Once the process has begun to
// end (main returned, or exit() was called) it may already be gone, and a program-wide
// connection, destroyed after it, must not touch it.
bool qtConnectionsUsable();

// Called after each QSqlDatabase::addDatabase, so that the end of the process is noticed
// before Qt's list goes away.
void qtConnectionAdded();

}  // namespace ado
