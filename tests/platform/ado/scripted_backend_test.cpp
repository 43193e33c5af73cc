#include "platform/ado/ado.h"
#include "platform/vb/conversions.h"
#include "platform/ado/sqlitebackend.h"
#include "platform/vb/vberror.h"
#include "tests/platform/ado/fixture_schema.h"
#include "tests/platform/ado/sqlite_files.h"
#include "tests/support/fixtures.h"
#include "tests/support/scripted_backend.h"

#include <gtest/gtest.h>

namespace {

using ado::Connection;
using ado::Recordset;
using zxtest::ScriptedBackend;

class ScriptedBackendTest : public ::testing::Test {
protected:
    void SetUp() override {
        files.create(QStringLiteral("ZENTRIK"), fixtureSchema());
        auto backend = std::make_unique<ScriptedBackend>(std::make_unique<ado::SqliteBackend>());
        script = backend.get();
        cn.attachBackend(std::move(backend));
        cn.Open(files.connectionString(QStringLiteral("ZENTRIK")));
    }
    SqliteFiles files;
    Connection cn;
    ScriptedBackend* script = nullptr;
};

TEST_F(ScriptedBackendTest, LostConnectionRaisesWithTheErrorListed) {
    script->failNext(ScriptedBackend::Call::Query, {ScriptedBackend::lostConnection()});
    Recordset rs;
    try {
        rs.Open(QStringLiteral("SELECT * FROM TA_CONFIGURACION"), cn);
        ADD_FAILURE() << "the query went through";
    } catch (const vb::VbError& e) {
        EXPECT_EQ(e.Number, ado::err::ProviderFailure);
    }
    EXPECT_EQ(rs.State(), ado::adStateClosed);
    ASSERT_EQ(cn.errors().Count(), 1);
    // Reconnecting and running it again reaches the database.
    cn.Close();
    cn.Open();
    EXPECT_EQ(script->openCount(), 2);
    rs.Open(QStringLiteral("SELECT * FROM TA_CONFIGURACION"), cn);
    EXPECT_EQ(rs[QStringLiteral("CLAVE")], vb::Variant("NOMBRE"));
    EXPECT_EQ(script->texts(),
              QStringList({"SELECT * FROM TA_CONFIGURACION", "SELECT * FROM TA_CONFIGURACION"}));
}

TEST_F(ScriptedBackendTest, ConnectionFoundUnusableRaises3709WithTheProvidersErrorListed) {
    script->failNext(ScriptedBackend::Call::Execute, {ScriptedBackend::lostConnection()},
                     ado::err::NoConnection);
    try {
        cn.Execute(QStringLiteral("DELETE FROM AUX_ERR"));
        ADD_FAILURE() << "the statement went through";
    } catch (const vb::VbError& e) {
        EXPECT_EQ(e.Number, ado::err::NoConnection);
    }
    ASSERT_EQ(cn.errors().Count(), 1);
    EXPECT_EQ(cn.errors().Item(0).Number, ado::err::ProviderFailure);
}

TEST_F(ScriptedBackendTest, NoticesAreLeftInTheListWithoutRaising) {
    const struct {
        ado::Error notice;
        long number;
        long native;
    } cases[] = {
        {ScriptedBackend::truncation(), ado::err::DataOverflow, 8152},
        {ScriptedBackend::informational(), 265929, 3621},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.number);
        script->noticeNext(ScriptedBackend::Call::Execute, {c.notice});
        cn.Execute(QStringLiteral("INSERT INTO AUX_ERR (Proceso) VALUES ('x')"));
        ASSERT_EQ(cn.errors().Count(), 1);
        EXPECT_EQ(cn.errors().Item(0).Number, c.number);
        EXPECT_EQ(cn.errors().Item(0).NativeError, c.native);
    }
    EXPECT_EQ(
        vb::CLng(cn.Execute(QStringLiteral("SELECT COUNT(*) FROM AUX_ERR")).Fields(0L).Value()),
        2);
}

TEST_F(ScriptedBackendTest, CallsAreRecordedWithTheRowsTheyChanged) {
    cn.BeginTrans();
    cn.Execute(QStringLiteral("INSERT INTO AUX_ERR (Proceso) VALUES ('x')"));
    cn.RollbackTrans();
    EXPECT_EQ(
        script->calls(),
        QStringList({"Open", "BeginTrans",
                     "Execute INSERT INTO AUX_ERR (Proceso) VALUES ('x') -> 1", "RollbackTrans"}));
}

// The scripted engine reads whole: ExecuteEach hands the rows its Execute gives, scripted or
// the inner engine's, and fails as the script says.
TEST_F(ScriptedBackendTest, ExecuteEachHandsTheRowsExecuteGives) {
    const auto each = [&](const QString& sql) {
        QStringList read;
        cn.ExecuteEach(sql, {}, [&](const ado::Row& row) {
            QStringList values;
            for (long c = 0; c < row.count(); ++c) values << vb::CStr(row.value(c));
            read << values.join(u'|');
        });
        return read;
    };
    EXPECT_EQ(each(QStringLiteral("SELECT CLAVE, VALOR FROM TA_CONFIGURACION")),
              QStringList{"NOMBRE|Comercial Norte"});

    ado::ResultSet rows;
    rows.columns << ado::Column{QStringLiteral("N"), ado::adInteger, 4, {}};
    rows.appendRow({vb::Variant(1)});
    rows.appendRow({vb::Variant(2)});
    script->rowsNext(ScriptedBackend::Call::Execute, rows);
    EXPECT_EQ(each(QStringLiteral("SELECT N FROM NINGUNA")), (QStringList{"1", "2"}));

    script->failNext(ScriptedBackend::Call::Execute, {ScriptedBackend::lostConnection()});
    EXPECT_EQ(zxtest::raisedNumber([&] { each(QStringLiteral("SELECT * FROM AUX_ERR")); }),
              ado::err::ProviderFailure);
    ASSERT_EQ(cn.errors().Count(), 1);
    EXPECT_EQ(cn.errors().Item(0).SQLState, QStringLiteral("08S01"));
    EXPECT_EQ(script->texts().mid(0, 3),
              (QStringList{"SELECT CLAVE, VALOR FROM TA_CONFIGURACION", "SELECT N FROM NINGUNA",
                           "SELECT * FROM AUX_ERR"}));
}

TEST(ScriptedBackendAloneTest, AnOracleStringPicksTheDialectWhileTheInnerEngineRuns) {
    SqliteFiles files;
    files.create(QStringLiteral("ZENTRIK"), fixtureSchema());
    Connection cn;
    cn.attachBackend(
        std::make_unique<ScriptedBackend>(std::make_unique<ado::SqliteBackend>(),
                                          files.connectionString(QStringLiteral("ZENTRIK"))));
    cn.Open(QStringLiteral("Provider=OraOLEDB.Oracle.1;Data Source=ORCL;User Id=u;Password=p;"));
    EXPECT_TRUE(cn.ConnectionString().contains(QStringLiteral("ORACLE"), Qt::CaseInsensitive));
    EXPECT_EQ(
        cn.Execute(QStringLiteral("SELECT VALOR FROM TA_CONFIGURACION"))[QStringLiteral("VALOR")],
        vb::Variant("Comercial Norte"));
    // Reconnecting with the embedded engine's own string keeps running on it.
    cn.Close();
    cn.Open(files.connectionString(QStringLiteral("ZENTRIK")));
    EXPECT_EQ(cn.Execute(QStringLiteral("SELECT COUNT(*) FROM MV_ASIENTOS")).Fields(0L).Value(),
              vb::Variant(1));
}

TEST_F(ScriptedBackendTest, AFailingOpenFillsTheList) {
    cn.Close();
    script->failNext(ScriptedBackend::Call::Open, {ScriptedBackend::lostConnection()});
    EXPECT_THROW(cn.Open(), vb::VbError);
    EXPECT_EQ(cn.State(), ado::adStateClosed);
    EXPECT_EQ(cn.errors().Item(0).SQLState, QStringLiteral("08S01"));
    cn.Open();
    EXPECT_EQ(cn.State(), ado::adStateOpen);
}

}  // namespace
