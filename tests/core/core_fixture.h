#pragma once

#include "db/db_dll.h"
#include "tests/core/temp_env.h"
#include "tests/support/fixtures.h"
#include "tests/support/scripted_operator.h"
#include "tests/support/test_database.h"

#include <gtest/gtest.h>

namespace coretest {

// A test of the common services on its own program folder, clock, station, temporary folder,
// operator and test database; gDB() and gDBEstadisticas() closed before and after.
class CoreTest : public ::testing::Test {
protected:
    CoreTest();
    ~CoreTest() override;

    // The embedded server text of the test database.
    QString servidor() const { return QStringLiteral("sqlite:") + data.folder(); }
    // Opens gDB() on the test database as `usuario` (its password the same), with that login
    // on record.
    void abre(const QString& usuario = QStringLiteral("sa"));
    // Opens gDBEstadisticas() on the statistics database.
    void abreEstadisticas();

    zxtest::ProgramFolder folder;
    zxtest::FixedClock clock{QDateTime(QDate(2024, 3, 15), QTime(14, 5, 9))};
    zxtest::FixedStation station{"caja-01", "ana"};
    TempFolder tmp;
    zxtest::ScriptedOperator op;
    zxtest::TestDatabase data;
};

}  // namespace coretest
