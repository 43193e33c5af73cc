#pragma once

#include "platform/reportengine/datasource.h"

#include <QString>

#include <memory>

namespace ado {
class Connection;
}

namespace reportengine {

// A report's data through the program's database layer: one ado connection for one run. On
// the embedded engine the translator gives parameters compared with text SQL Server's collation.
class AdoDataSource : public DataSource {
public:
    // Opens the connection; a failure raises the layer's VbError.
    explicit AdoDataSource(const QString& connectionString);
    ~AdoDataSource() override;

    QList<Column> describe(const QString& table) override;
    void select(const QString& sql, const QList<vb::Variant>& parameters,
                const std::function<void(const QList<vb::Variant>&)>& onRow) override;

private:
    std::unique_ptr<ado::Connection> connection_;
};

}  // namespace reportengine
