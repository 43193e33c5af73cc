#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

// The demo databases: a believable company to try the program on.
namespace demo {

constexpr const char* mainName = "DEMO";
// The statistics database; the program logs into it with this name as login and password.
constexpr const char* statisticsName = "KQ_ESTADISTICAS";
// Error-log rows the demo holds.
constexpr int errorRows = 320;

// What becomes of demo databases a folder holds already.
enum class Existing {
    Refuse,    // nothing is made: the rows logged into them since stay
    SetAside,  // each (with its login file) is renamed "<name>-anterior-<date>-<time>" first
};

// Creates `<folder>/DEMO.db` and `<folder>/KQ_ESTADISTICAS.db` from the schema, with users,
// configuration and error-log rows dated over the months before `today`. The rows are the same
// on every run for the same `today`. When either is there already, `existing` says what
// happens; `setAside` gets the new names of the files set aside.
bool createDatabases(const QString& folder, const QDate& today, QString* error = nullptr,
                     Existing existing = Existing::Refuse, QStringList* setAside = nullptr);

// Why each demo database of `folder` does not open with the login the program gives it, in
// Spanish, a line for each; empty when both do.
QStringList checkDatabases(const QString& folder);

// Makes each demo database of `folder` open with the login the program gives it, leaving one
// that does as it is: a missing one is made, one refused for its login gets the program's login
// in place of its own, and one that is no demo database is set aside and made again. What was
// done, a line for each, goes to `done`.
bool repairDatabases(const QString& folder, const QDate& today, QStringList* done,
                     QString* error = nullptr);

// The connection string the program opens the demo with.
QString connectionString(const QString& folder);

// The command line the program takes for the demo ("@Server=…;@DbName=…;@Usuario=…;
// @Password=…;"), the form the suite's programs start each other with.
QString commandLine(const QString& folder);

// What zentrik-demo-db prints once the databases are made: the command line, quoted for the
// shell, and the connection string, each under its label.
QString report(const QString& folder);

}  // namespace demo
