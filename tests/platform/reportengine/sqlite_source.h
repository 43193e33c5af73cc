#pragma once

#include "platform/reportengine/datasource.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace zxtest {

// A report data source on a private SQLite database, with SQL Server's comparison of texts
// registered as the collation SSCI (without regard to case, trailing blanks ignored), for
// the report engine's tests until they run on the ado layer. Records every SELECT it runs.
class SqliteSource : public reportengine::DataSource {
public:
    SqliteSource();
    ~SqliteSource() override;

    // Runs statements (DDL, inserts) on the database; fails the test on an error.
    void exec(const QString& sql);

    QList<reportengine::Column> describe(const QString& table) override;
    void select(const QString& sql, const QList<vb::Variant>& parameters,
                const std::function<void(const QList<vb::Variant>&)>& onRow) override;
    QString textCollation() const override { return QStringLiteral("COLLATE SSCI"); }

    const QStringList& statements() const { return statements_; }
    const QList<QList<vb::Variant>>& parameterLists() const { return parameters_; }

private:
    QTemporaryDir dir_;
    QString name_;
    QStringList statements_;
    QList<QList<vb::Variant>> parameters_;
};

// The AUX_ERR table as the error-table writer fills it, with an ID to name rows in tests.
void createAuxErr(SqliteSource& db);

}  // namespace zxtest
