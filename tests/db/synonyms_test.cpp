#include "db/db_dll.h"
#include "db/hooks.h"

#include "tests/support/fixtures.h"

#include <gtest/gtest.h>

namespace {

// Sets the confidentiality setting for one test.
class Confidencialidad {
public:
    explicit Confidencialidad(bool on) : previous_(dbhooks::hooks().Confidencialidad) {
        dbhooks::hooks().Confidencialidad = [on] { return on; };
    }
    ~Confidencialidad() { dbhooks::hooks().Confidencialidad = previous_; }

private:
    std::function<bool()> previous_;
};

TEST(SS_TSinonimosTest, NonAdministratorsSeeTheSynonyms) {
    Confidencialidad on(true);
    DB_Dll db;
    db.gEsAdmin = false;
    const struct {
        const char* sql;
        const char* expected;
    } cases[] = {
        {"select * from MA_CUENTAS where x", "select * from SS_MA_CUENTAS where x"},
        {"select * from ma_cuentas ", "select * from SS_MA_CUENTAS "},
        {"select (MA_CUENTAS .x)", "select (SS_MA_CUENTAS .x)"},
        {"select MA_CUENTAS.A, (MA_CUENTAS.B),MA_CUENTAS.C from x",
         "select SS_MA_CUENTAS.A, (SS_MA_CUENTAS.B),SS_MA_CUENTAS.C from x"},
        {"{MA_CUENTAS.CUENTA} = 1", "{SS_MA_CUENTAS.CUENTA} = 1"},
        {"select * from @Admin_MA_CUENTAS where x", "select * from MA_CUENTAS where x"},
        {"MA_CUENTAS at the start", "MA_CUENTAS at the start"},
        {"select * from MA_CUENTASX ", "select * from MA_CUENTASX "},
        {"from V_TA_DEPOSITO d, V_TA_CAJAS c ", "from SS_V_TA_DEPOSITO d, SS_V_TA_CAJAS c "},
        {"from MV_ASIENTOS a join V_TA_FAMILIAS f ",
         "from SS_MV_ASIENTOS a join SS_V_TA_FAMILIAS f "},
        {"from AC_CUENTASDIARIO x, AC_CUENTASDIARIO_CCOSTO y ",
         "from SS_AC_CUENTASDIARIO x, SS_AC_CUENTAS_DIARIO_CCOSTO y "},
        {"from @Admin_V_TA_CAJAS ", "from V_TA_CAJAS "},
        {"from @ADMIN_MV_ASIENTOS where", "from MV_ASIENTOS where"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sql);
        EXPECT_EQ(db.SS_TSinonimos(QString::fromUtf8(c.sql)), QString::fromUtf8(c.expected));
    }
}

TEST(SS_TSinonimosTest, AdministratorsOnlyLoseThePrefix) {
    Confidencialidad on(true);
    DB_Dll db;
    db.gEsAdmin = true;
    EXPECT_EQ(db.SS_TSinonimos("select * from MA_CUENTAS , @admin_V_TA_CAJAS "),
              QStringLiteral("select * from MA_CUENTAS , V_TA_CAJAS "));
}

TEST(SS_TSinonimosTest, WithConfidentialityOffAnEntryQueryIsNotMappedAtAll) {
    Confidencialidad off(false);
    DB_Dll db;
    EXPECT_EQ(db.SS_TSinonimos("select * from MV_ASIENTOS a, MA_CUENTAS m, @Admin_T "),
              QStringLiteral("select * from MV_ASIENTOS a, MA_CUENTAS m, T "));
    EXPECT_EQ(db.SS_TSinonimos("select * from MA_CUENTAS m "),
              QStringLiteral("select * from SS_MA_CUENTAS m "));
}

// The statement text of EjecutaConsultaSQL is rewritten before it runs; a closed connection
// only makes the run fail, silently.
TEST(StatementRewriteTest, PrefixAndSynonymRulesOfStatements) {
    Confidencialidad on(true);
    DB_Dll db;
    db.gEsAdmin = false;
    const struct {
        const char* sql;
        const char* expected;
    } cases[] = {
        {"update @Admin_MA_CUENTAS set x = 1", "update MA_CUENTAS set x = 1"},
        {"update MA_CUENTAS set x = 1", "update MA_CUENTAS set x = 1"},
        {"drop view v create view v as select * from MA_CUENTAS ",
         "drop view v create view v as select * from SS_MA_CUENTAS "},
        {"drop x create y from @Admin_MA_CUENTAS ", "drop x create y from MA_CUENTAS "},
        {"DROP x CREATE y DELETE from MA_CUENTAS ", "DROP x CREATE y DELETE from MA_CUENTAS "},
        {"DROP x CREATE y DELETE from @admin_T ", "DROP x CREATE y DELETE from T "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sql);
        QString sql = QString::fromUtf8(c.sql);
        long filas = 0;
        db.EjecutaConsultaSQL(sql, filas);
        EXPECT_EQ(sql, QString::fromUtf8(c.expected));
    }
}

}  // namespace
