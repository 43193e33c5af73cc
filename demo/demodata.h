#pragma once

#include <QDate>
#include <QString>

// The demo databases: a believable company to try the program on.
namespace demo {

constexpr const char* mainName = "DEMO";
// The statistics database; the program logs into it with this name as login and password.
constexpr const char* statisticsName = "KQ_ESTADISTICAS";
// Error-log rows the demo holds.
constexpr int errorRows = 320;

// Creates (or replaces) `<folder>/DEMO.db` and `<folder>/KQ_ESTADISTICAS.db` from the schema,
// with users, configuration and error-log rows dated over the months before `today`. The rows
// are the same on every run for the same `today`.
bool createDatabases(const QString& folder, const QDate& today, QString* error = nullptr);

// The connection string the program opens the demo with.
QString connectionString(const QString& folder);

// The command line the program takes for the demo ("@Server=…;@DbName=…;@Usuario=…;
// @Password=…;"), the form the suite's programs start each other with.
QString commandLine(const QString& folder);

// What zentrik-demo-db prints once the databases are made: the command line, quoted for the
// shell, and the connection string, each under its label.
QString report(const QString& folder);

}  // namespace demo
