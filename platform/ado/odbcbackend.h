#pragma once

#include "platform/ado/backend.h"

#include <QString>

namespace ado {

// SQL Server (FreeTDS) and Oracle (an Oracle ODBC driver from odbcinst) through Qt's QODBC
// driver. Batches run on the driver's connection handle through the ODBC API, so each
// statement's error keeps its own SQLState and native number.
class OdbcBackend : public Backend {
public:
    OdbcBackend();
    ~OdbcBackend() override;

    void open(const ConnectionSettings& settings) override;
    void close() override;
    bool isOpen() const override { return hdbc_ != nullptr; }

    QString defaultDatabase() const override { return database_; }
    void setDefaultDatabase(const QString& name) override;
    void setCommandTimeout(long seconds) override;
    void setIsolationLevel(long level) override;

    std::unique_ptr<Cursor> start(const QString& batch,
                                  const QList<vb::Variant>& parameters) override;
    ResultSet query(const QString& text, bool editable) override;

    long beginTransaction() override;
    void commitTransaction() override;
    void rollbackTransaction() override;

    ResultSet schema(long schema, const QList<vb::Variant>& criteria) override;
    RowRead writeRow(const RowWrite& write) override;

    // The ODBC connection string for SQL Server through FreeTDS: "host:port" and
    // "host,port" give the port, "host\instance" is kept for the server to resolve.
    static QString sqlServerOdbcString(const ConnectionSettings& settings);
    // Opens an ODBC connection string as it is (open() builds it from the OLE DB one), waiting
    // at most `loginTimeout` seconds for the login.
    void openDriver(const QString& odbcConnectionString, const QString& database = {},
                    long loginTimeout = 15);

    // The first driver registered in odbcinst.ini (the system's, or $ODBCSYSINI's, then the
    // user's) whose name holds "Oracle"; empty when none.
    static QString oracleDriver();

private:
    class Reader;

    void runOrThrow(const QString& text);
    long scalar(const QString& text);

    QString connectionName_;
    void* hdbc_ = nullptr;
    bool oracle_ = false;
    QString database_;
    QString source_;
    long timeoutSeconds_ = 30;
};

}  // namespace ado
