#pragma once

#include <QString>

// Logins of an embedded database made elsewhere (by another program, by sqlite3, or restored
// without its login file): the work of zentrik-login, shared with the demo tool's repair.
namespace logins {

// The file of database `base` in `folder`, found as the embedded engine finds it (the name
// ".db", without regard to case), once it is known to be an SQLite database. Empty, with the
// reason in Spanish in `error`, when the folder or the database does not exist, the name is no
// database name, or the file is no database.
QString databaseFile(const QString& folder, const QString& base, QString* error);

// Gives `user` of the database `file` the password `password`: with `keepOthers` the other
// logins it records stay (the one of that name is replaced), without it this is the only one.
// The database is made its owner's alone when others may read or change it, since the engine
// lets nobody in otherwise; the login file is its owner's alone. Refuses an empty or unusable
// user and an empty password. On failure (the reason in Spanish in `error`) nothing changes.
bool giveLogin(const QString& file, const QString& user, const QString& password, bool keepOthers,
               QString* error);

}  // namespace logins
