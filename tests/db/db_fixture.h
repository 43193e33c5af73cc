#pragma once

#include "db/db_dll.h"
#include "db/hooks.h"

#include "tests/support/fixtures.h"
#include "tests/support/scripted_backend.h"
#include "tests/support/scripted_operator.h"
#include "tests/support/test_database.h"

#include <gtest/gtest.h>

#include <deque>

namespace dbtest {

// Closes an instance's connection and gives it back its first, empty state.
void reinicia(DB_Dll& db);

// Opens `db` on the statistics database of the server as start-up does, with the database's
// name as login and password and no box on failure; the outcome is in its gOpenFlag.
void abreEstadisticas(DB_Dll& db, const QString& servidor);

// Plays the connection dialog: each showing takes the next answer and records the boxes as
// the database class filled them. Installed while it lives.
class DialogoGuionado {
public:
    DialogoGuionado();
    ~DialogoGuionado();
    // Accept with these boxes (platform 1 is ORACLE).
    DialogoGuionado& acepta(const QString& servidor, const QString& base, const QString& usuario,
                            const QString& password, int plataforma = 0);
    DialogoGuionado& cancela();
    const QList<dbhooks::DatosAcceso>& mostrados() const { return mostrados_; }

private:
    std::deque<dbhooks::DatosAcceso> respuestas_;
    QList<dbhooks::DatosAcceso> mostrados_;
    std::function<void(dbhooks::DatosAcceso&)> previo_;
};

// A test of the database class on its own program folder, operator and test database, with
// gDB() and gDBEstadisticas() empty before and after.
class DbTest : public ::testing::Test {
protected:
    DbTest();
    ~DbTest() override;

    // The embedded server text of the test database.
    QString servidor() const { return QStringLiteral("sqlite:") + data.folder(); }
    // Opens `db` on the test database as `usuario` (its password the same) through
    // OpenServerADODB, with that login on record.
    void abre(DB_Dll& db, const QString& usuario = QStringLiteral("sa"));
    // Reopens `db` on a scripted engine (around `real` when given), for the failures a real
    // database cannot give on demand.
    zxtest::ScriptedBackend* reabreCon(DB_Dll& db, std::unique_ptr<ado::Backend> real = nullptr);

    zxtest::ProgramFolder folder;
    zxtest::ScriptedOperator op;
    zxtest::TestDatabase data;
};

}  // namespace dbtest
