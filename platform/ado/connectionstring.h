#pragma once

#include <QList>
#include <QPair>
#include <QString>

namespace ado {

// An OLE DB connection string taken apart: "Key = value;" pairs whose keys are matched
// without regard to case or blanks ("Database =", "Data Source", "PROVIDER"), whose values
// may be quoted ('…' or "…", the quote doubled inside).
class ConnectionString {
public:
    explicit ConnectionString(const QString& text = {});

    // The value of the first key that matches one of `keys` ("User Id", "UId"); empty when
    // none is there.
    QString value(std::initializer_list<const char*> keys) const;
    bool has(std::initializer_list<const char*> keys) const;

private:
    QList<QPair<QString, QString>> pairs_;  // normalised key, value
};

// Which engine a connection string asks for.
enum class ProviderKind {
    Embedded,   // SQLOLEDB whose server is "sqlite:<folder>"
    SqlServer,  // SQLOLEDB on a real server (ODBC, FreeTDS)
    Oracle,     // OraOLEDB.Oracle (ODBC, an Oracle driver)
    Jet,        // Microsoft.Jet.OLEDB: the data source file as an SQLite database
};

// Whether the server of a SQLOLEDB connection names the embedded engine ("sqlite:<folder>").
bool isEmbeddedServer(const QString& server);

// What a provider needs to open a connection.
struct ConnectionSettings {
    ProviderKind kind = ProviderKind::SqlServer;
    QString provider;    // as written in the string
    QString server;      // SQL Server: the host text as written; embedded: the folder
    QString database;    // initial database (SQL Server, embedded)
    QString dataSource;  // Jet: the file; Oracle: the alias
    QString user;
    QString password;
    QString text;            // the whole connection string
    long loginTimeout = 15;  // seconds a server may take to accept the login (0: no limit)
};

// Reads the provider and its parameters; `user` and `password` (Open's arguments) win over
// the string's when given. Raises ADO's 3706 for a provider this layer does not have.
ConnectionSettings parseConnectionSettings(const QString& text, const QString& user = {},
                                           const QString& password = {});

}  // namespace ado
