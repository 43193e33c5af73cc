#pragma once

#include <QString>

// Writing OLE DB connection strings ("Provider=SQLOLEDB;Server=x;Database =y;") so that
// ado::ConnectionString reads every value back, and telling their dialect.
namespace connstr {

// The value written after "keyword=": unchanged when it needs no quoting (so the usual
// strings keep their exact text); wrapped in quotes as OLE DB reads them back when it holds
// ";", "=", a leading or trailing blank, or begins with a quote.
QString quote(const QString& value);

// The dialect of a connection string, told by its provider keyword alone.
bool isOracle(const QString& connectionString);
bool isJet(const QString& connectionString);

}  // namespace connstr
