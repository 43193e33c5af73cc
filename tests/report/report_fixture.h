#pragma once

#include "tests/support/fixtures.h"
#include "tests/support/scripted_operator.h"
#include "tests/support/test_database.h"

#include <QString>

#include <gtest/gtest.h>

namespace reporttest {

// The report's procedures on their own program folder (on workstation CAJA1, user ANA), a
// test database open in gDB(), and the scripted operator; gDB() is closed again afterwards.
class ReportTest : public ::testing::Test {
protected:
    ReportTest();
    ~ReportTest() override;

    // The program folder with its final "/", as the procedures write it.
    QString P() const { return folder.path() + QStringLiteral("/"); }
    // Creates a (non-empty) file under the program folder, or at an absolute path.
    QString toca(const QString& nombre) const;

    zxtest::ProgramFolder folder;
    zxtest::FixedStation station{QStringLiteral("CAJA1"), QStringLiteral("ANA")};
    zxtest::ScriptedOperator op;
    zxtest::TestDatabase data;
};

}  // namespace reporttest
