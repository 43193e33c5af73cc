#pragma once

#include <QString>

namespace ado {

// The embedded engine's logins: a database records the logins it lets in, in the file
// "<Database>.login" beside it (a line for each: user, salt and the password's SHA-256; mode
// 0600). Any other login is refused as SQL Server refuses one (18456), and so is every login
// to a database without that file, or whose file or login file others may read or change. The
// user compares without regard to case, the password exactly.
//
// Records the one login the database lets in, in place of those it recorded.
bool recordEmbeddedLogin(const QString& databaseFile, const QString& user, const QString& password,
                         QString* error = nullptr);
// Adds a login beside those the database records, or gives one recorded under that name the
// new password.
bool addEmbeddedLogin(const QString& databaseFile, const QString& user, const QString& password,
                      QString* error = nullptr);

// The login file of the database file `databaseFile`.
QString embeddedLoginFile(const QString& databaseFile);
// Raises SQL Server's refused login (ProviderFailure, 18456) unless the database records this
// login, and both the database and its login file are its owner's alone: what others can read
// or change guards nothing. A database that records no login lets none in, as SQL Server
// refuses a login it does not know; a line of the file that is not a login lets nobody in.
void checkEmbeddedLogin(const QString& databaseFile, const QString& user, const QString& password);

}  // namespace ado
