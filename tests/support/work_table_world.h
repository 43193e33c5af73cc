#pragma once

#include "tests/support/fixtures.h"
#include "tests/support/scripted_operator.h"
#include "tests/support/test_database.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <span>

namespace zxtest {

// The ground the program's work-table code runs on in a test: a program folder, the scripted
// operator, a test database, es_AR texts and a station (its capitals form in gSeccionIni).
// A world built on it loads its data, then calls openDatabase(); gDB() is closed and the
// station's gSeccionIni cleared when it goes.
class WorkTableWorld {
public:
    WorkTableWorld(const QString& computer, const QString& user);
    ~WorkTableWorld();
    WorkTableWorld(const WorkTableWorld&) = delete;
    WorkTableWorld& operator=(const WorkTableWorld&) = delete;

    // A configuration key of TA_CONFIGURACION.
    void config(const QString& clave, const QString& valor);
    // Another station from now on (the capitals form follows it).
    void setStation(const QString& computer, const QString& user);
    QList<QStringList> rows(const QString& sql) const { return data.rows(sql); }

    // AUX_MV_CPTE in ID order as text: one block per row with these columns, Null ones left
    // out, every value as visible() writes it.
    QString dumpWorkTable(std::span<const char* const> columns) const;

    ProgramFolder folder;
    ScriptedOperator op;
    TestDatabase data;

protected:
    // Runs a SQL file of the source tree (path relative to it) on the test database.
    void load(const QString& sqlFile);
    // Opens gDB() on the test database as "sa".
    void openDatabase();

private:
    ScopedLocale locale_;
    std::unique_ptr<FixedStation> station_;
};

// A value in double quotes, with the characters that would hide in a file made visible:
// blanks at its ends stay inside the quotes; \ " CR LF and tab are written escaped.
QString visible(const QString& value);

}  // namespace zxtest
