#include "platform/ado/ado.h"
#include "platform/vb/conversions.h"
#include "platform/vb/vberror.h"
#include "tests/platform/ado/fixture_schema.h"
#include "tests/platform/ado/sqlite_files.h"
#include "tests/support/fixtures.h"

#include <gtest/gtest.h>

namespace {

using ado::Connection;
using ado::Recordset;
using vb::Variant;

class ExecuteTest : public ::testing::Test {
protected:
    void SetUp() override {
        files.create(QStringLiteral("ZENTRIK"), fixtureSchema());
        cn.Open(files.connectionString(QStringLiteral("ZENTRIK")));
    }
    long count(const QString& table) {
        Connection other;
        other.Open(files.connectionString(QStringLiteral("ZENTRIK")));
        return vb::CLng(
            other.Execute(QStringLiteral("SELECT COUNT(*) FROM ") + table).Fields(0L).Value());
    }
    vb::VbError raised(const QString& sql) {
        return zxtest::raised([&] { cn.Execute(sql); }).value_or(vb::VbError{});
    }
    SqliteFiles files;
    Connection cn;
};

TEST_F(ExecuteTest, BatchGoesPastADuplicateKeyAndReportsIt) {
    const vb::VbError e = raised(
        QStringLiteral("INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES ('B', '1');"
                       "INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES ('NOMBRE', 'otra');"
                       "INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES ('C', '3')"));
    EXPECT_EQ(e.Number, ado::err::IntegrityViolation);
    ASSERT_EQ(cn.errors().Count(), 1);
    const ado::Error& first = cn.errors().Item(0);
    EXPECT_EQ(first.NativeError, 2627);
    EXPECT_EQ(first.Number, -2147217873);
    EXPECT_EQ(first.SQLState, QStringLiteral("23000"));
    EXPECT_EQ(first.Source, QStringLiteral("Microsoft OLE DB Provider for SQL Server"));
    EXPECT_TRUE(first.Description.startsWith(QStringLiteral("Violation of PRIMARY KEY")));
    EXPECT_EQ(count(QStringLiteral("TA_CONFIGURACION")), 3);
}

TEST_F(ExecuteTest, ProviderErrorsCarrySqlServersNumbers) {
    const struct {
        const char* sql;
        long native;
        long number;
        const char* state;
    } cases[] = {
        {"SELECT * FROM NO_EXISTE", 208, -2147217865, "42S02"},
        {"SELECT NO_COLUMNA FROM AUX_ERR", 207, -2147217900, "42S22"},
        {"SELEC * FROM AUX_ERR", 102, -2147217900, "42000"},
        {"INSERT INTO HIJO (ID, PADRE) VALUES (1, 'NO_EXISTE')", 547, -2147217873, "23000"},
        {"INSERT INTO HIJO (ID, PADRE) VALUES (-1, 'NOMBRE')", 547, -2147217873, "23000"},
        {"INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES ('NOMBRE', 'x')", 2627, -2147217873,
         "23000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sql);
        EXPECT_EQ(raised(QString::fromUtf8(c.sql)).Number, c.number);
        ASSERT_EQ(cn.errors().Count(), 1);
        EXPECT_EQ(cn.errors().Item(0).NativeError, c.native);
        EXPECT_EQ(cn.errors().Item(0).Number, c.number);
        EXPECT_EQ(cn.errors().Item(0).SQLState, QString::fromUtf8(c.state));
    }
}

TEST_F(ExecuteTest, RollbackInALaterCallUndoesTheInsertsOfTheTransaction) {
    cn.Execute(QStringLiteral("BEGIN TRANSACTION"));
    cn.Execute(QStringLiteral("INSERT INTO AUX_ERR (Proceso) VALUES ('uno')"));
    cn.Execute(QStringLiteral("INSERT INTO AUX_ERR (Proceso) VALUES ('dos')"));
    EXPECT_EQ(
        vb::CLng(cn.Execute(QStringLiteral("SELECT COUNT(*) FROM AUX_ERR")).Fields(0L).Value()),
        2);
    cn.Execute(QStringLiteral("ROLLBACK TRANSACTION"));
    EXPECT_EQ(count(QStringLiteral("AUX_ERR")), 0);
}

TEST_F(ExecuteTest, TransactionsNestAsOnSqlServer) {
    cn.Execute(QStringLiteral("BEGIN TRAN"));
    cn.Execute(QStringLiteral("BEGIN TRANSACTION; INSERT INTO AUX_ERR (Proceso) VALUES ('a')"));
    cn.Execute(QStringLiteral("COMMIT TRAN"));  // the inner commit only counts down
    cn.Execute(QStringLiteral("ROLLBACK TRANSACTION"));
    EXPECT_EQ(count(QStringLiteral("AUX_ERR")), 0);

    cn.Execute(QStringLiteral("BEGIN TRANSACTION"));
    cn.Execute(QStringLiteral("INSERT INTO AUX_ERR (Proceso) VALUES ('b')"));
    cn.Execute(QStringLiteral("COMMIT TRANSACTION"));
    EXPECT_EQ(count(QStringLiteral("AUX_ERR")), 1);

    // Rolling back with no transaction is not an error; committing is.
    cn.Execute(QStringLiteral("ROLLBACK TRANSACTION"));
    EXPECT_EQ(raised(QStringLiteral("COMMIT TRANSACTION")).Number, ado::err::CommandTextError);
    EXPECT_EQ(cn.errors().Item(0).NativeError, 3902);
}

TEST_F(ExecuteTest, ConnectionMethodsShareTheNestingCount) {
    EXPECT_EQ(cn.BeginTrans(), 1);
    cn.Execute(QStringLiteral("INSERT INTO AUX_ERR (Proceso) VALUES ('a')"));
    cn.RollbackTrans();
    EXPECT_EQ(count(QStringLiteral("AUX_ERR")), 0);
    try {
        cn.CommitTrans();
        ADD_FAILURE() << "a commit without a transaction went through";
    } catch (const vb::VbError& e) {
        EXPECT_EQ(e.Number, ado::err::NoTransaction);
    }
}

TEST_F(ExecuteTest, ReturnsTheFirstResultWithColumnsAndAddsUpRowsAffected) {
    long affected = -1;
    Recordset rs = cn.Execute(QStringLiteral("INSERT INTO TA_CONFIGURACION (CLAVE) VALUES ('B');"
                                             "INSERT INTO TA_CONFIGURACION (CLAVE) VALUES ('C');"
                                             "SELECT CLAVE FROM TA_CONFIGURACION ORDER BY CLAVE;"
                                             "SELECT 'otra' AS X;"
                                             "UPDATE TA_CONFIGURACION SET VALOR = 'v'"),
                              &affected);
    EXPECT_EQ(affected, 5);
    ASSERT_EQ(rs.State(), ado::adStateOpen);
    EXPECT_EQ(rs.RecordCount(), 3);
    EXPECT_EQ(rs.Fields(0L).Name(), QStringLiteral("CLAVE"));
    EXPECT_EQ(rs.Fields(0L).Value(), vb::Variant("B"));
}

TEST_F(ExecuteTest, StatementWithoutRowsGivesAClosedRecordset) {
    long affected = -2;
    Recordset rs = cn.Execute(QStringLiteral("DELETE FROM AUX_ERR"), &affected);
    EXPECT_EQ(rs.State(), ado::adStateClosed);
    EXPECT_EQ(affected, 0);
    Recordset opened;
    opened.Open(QStringLiteral("DELETE FROM AUX_ERR"), cn);
    EXPECT_EQ(opened.State(), ado::adStateClosed);
}

TEST_F(ExecuteTest, ParametersAreBoundInOrderNeverPasted) {
    const vb::DateTime when = vb::wallClock(QDate(2026, 12, 9), QTime(21, 47, 5));
    long affected = 0;
    cn.Execute(QStringLiteral("INSERT INTO AUX_ERR (Proceso, fecha, Error, Descripcion, PC) "
                              "VALUES (?, ?, ?, ?, ?)"),
               {Variant("O'Brien'); DELETE FROM AUX_ERR; --"), Variant(when), Variant(2627),
                Variant(vb::Currency::fromScaled(15000)), Variant::null()},
               &affected);
    EXPECT_EQ(affected, 1);
    Recordset rs = cn.Execute(
        QStringLiteral("SELECT Proceso, fecha, Error, PC FROM AUX_ERR WHERE Proceso = ? AND "
                       "fecha >= ?"),
        {Variant("o'brien'); delete from aux_err; --"),
         Variant(vb::wallClock(QDate(2026, 12, 1), QTime(0, 0)))});
    ASSERT_EQ(rs.RecordCount(), 1);
    EXPECT_EQ(rs[QStringLiteral("Proceso")], Variant("O'Brien'); DELETE FROM AUX_ERR; --"));
    EXPECT_EQ(rs[QStringLiteral("fecha")], Variant(when));
    EXPECT_EQ(rs[QStringLiteral("Error")], Variant(2627));
    EXPECT_EQ(rs[QStringLiteral("PC")], Variant::null());
    // A "?" inside a literal is text, not a marker.
    EXPECT_EQ(
        cn.Execute(QStringLiteral("SELECT '?' AS Q, ? AS P"), {Variant(5)})[QStringLiteral("P")],
        Variant(5));
}

// The guarded insert moves the test after the values; each value still goes to its own marker.
TEST_F(ExecuteTest, ValuesOfAGuardedInsertKeepTheirMarkers) {
    const QString sql = QStringLiteral(
        "IF NOT EXISTS (SELECT 1 FROM TA_CONFIGURACION WHERE CLAVE = ?) "
        "INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES (?, ?)");
    cn.Execute(sql, {Variant("K1"), Variant("K1"), Variant("uno")});
    cn.Execute(sql, {Variant("K1"), Variant("K1"), Variant("otra vez")});
    cn.Execute(sql, {Variant("X"), Variant("K2"), Variant("dos")});
    ado::Recordset rs = cn.Execute(
        QStringLiteral("SELECT CLAVE, VALOR FROM TA_CONFIGURACION WHERE CLAVE LIKE 'K%' "
                       "ORDER BY CLAVE"));
    QStringList filas;
    for (; !rs.Eof(); rs.MoveNext())
        filas << vb::CStr(rs[QStringLiteral("CLAVE")]) + u'=' +
                     vb::CStr(rs[QStringLiteral("VALOR")]);
    EXPECT_EQ(filas, (QStringList{"K1=uno", "K2=dos"}));
}

// A long result read row by row gives what Execute gives, and fails as Execute fails; what the
// reader raises stops the read, and the connection goes on.
TEST_F(ExecuteTest, ExecuteEachHandsTheRowsOfExecuteOneAtATime) {
    for (int i = 1; i <= 300; ++i)
        cn.Execute(
            QStringLiteral("INSERT INTO AUX_ERR (Proceso, fecha, Error, Descripcion, PC) "
                           "VALUES (?, ?, ?, ?, ?)"),
            {Variant(QStringLiteral("Proceso %1").arg(i)),
             Variant(vb::wallClock(QDate(2026, 12, 1), QTime(8, 0)).addSecs(60 * i)), Variant(i),
             i % 7 ? Variant(QStringLiteral("Ñandú %1").arg(i)) : Variant::null(),
             Variant(QStringLiteral("CAJA"))});
    const QString sql = QStringLiteral(
        "SELECT Proceso, fecha, Error, Descripcion FROM AUX_ERR WHERE Error > ? "
        "ORDER BY Error");
    Recordset rs = cn.Execute(sql, {Variant(10)});
    QList<QList<Variant>> held;
    for (; !rs.Eof(); rs.MoveNext()) {
        QList<Variant> row;
        for (long c = 0; c < rs.FieldCount(); ++c) row.append(rs.Fields(c).Value());
        held.append(row);
    }
    QList<QList<Variant>> handed;
    cn.ExecuteEach(sql, {Variant(10)}, [&](const QList<Variant>& row) { handed.append(row); });
    EXPECT_EQ(handed.size(), 290);
    EXPECT_EQ(handed, held);

    const auto missing = zxtest::raised([&] {
        cn.ExecuteEach(QStringLiteral("SELECT * FROM NO_EXISTE"), {}, [](const auto&) {});
    });
    ASSERT_TRUE(missing.has_value());
    EXPECT_EQ(missing->Number, raised(QStringLiteral("SELECT * FROM NO_EXISTE")).Number);

    int read = 0;
    const auto stopped = zxtest::raised([&] {
        cn.ExecuteEach(sql, {Variant(10)}, [&](const QList<Variant>&) {
            if (++read == 5) throw vb::VbError(5, QStringLiteral("basta"), QStringLiteral("test"));
        });
    });
    ASSERT_TRUE(stopped.has_value());
    EXPECT_EQ(stopped->Description, QStringLiteral("basta"));
    EXPECT_EQ(read, 5);
    EXPECT_EQ(count(QStringLiteral("AUX_ERR")), 300);
    EXPECT_EQ(cn.Execute(sql, {Variant(299)}).RecordCount(), 1);
}

TEST_F(ExecuteTest, MarkersAndValuesMustMatch) {
    EXPECT_EQ(raised(QStringLiteral("SELECT * FROM AUX_ERR WHERE Error = ?")).Number,
              ado::err::MissingParameter);
    try {
        cn.Execute(QStringLiteral("SELECT 1"), {Variant(1)});
        ADD_FAILURE() << "a value without a marker went through";
    } catch (const vb::VbError& e) {
        EXPECT_EQ(cn.errors().Item(0).SQLState, QStringLiteral("07001"));
    }
}

TEST_F(ExecuteTest, RowsAffectedIsMinusOneWhenNoStatementChangesRows) {
    long affected = 0;
    cn.Execute(QStringLiteral("SELECT * FROM AUX_ERR"), &affected);
    EXPECT_EQ(affected, -1);
}

// A NUL character ends the text early for a C library: the whole text is refused as a syntax
// error, nothing of it runs, and no engine loops on it.
TEST_F(ExecuteTest, ANulCharacterRefusesTheWholeTextAsASyntaxError) {
    const QChar nul(u'\0');
    const QString texts[] = {
        QStringLiteral("SELECT 1") + nul,
        nul + QStringLiteral("SELECT 1"),
        QStringLiteral("DELETE FROM TA_CONFIGURACION;") + nul + QStringLiteral(";SELECT 1"),
        QStringLiteral("DELETE FROM TA_CONFIGURACION WHERE CLAVE = 'x") + nul +
            QStringLiteral("' OR 1=1"),
        QStringLiteral("BEGIN TRAN ") + nul,
        QString(nul),
    };
    for (const QString& text : texts) {
        SCOPED_TRACE(text.toUtf8().toPercentEncoding().toStdString());
        EXPECT_EQ(raised(text).Number, -2147217900);
        ASSERT_EQ(cn.errors().Count(), 1);
        EXPECT_EQ(cn.errors().Item(0).NativeError, 102);
        EXPECT_EQ(cn.errors().Item(0).SQLState, QStringLiteral("42000"));
        const auto opened = zxtest::raised([&] {
            Recordset rs;
            rs.Open(text, cn);
        });
        ASSERT_TRUE(opened.has_value());
        EXPECT_EQ(opened->Number, -2147217900);
        EXPECT_EQ(count(QStringLiteral("TA_CONFIGURACION")), 1);
    }
}

// A comment ends where SQL Server ends it, whatever the embedded engine would read: text that
// SQL Server takes as part of a comment never runs as a statement of its own.
TEST_F(ExecuteTest, ACommentHidesWhatItHoldsAsOnSqlServer) {
    const char* texts[] = {
        "SELECT CLAVE FROM TA_CONFIGURACION /* a /* b */ ; DELETE FROM TA_CONFIGURACION; -- */",
        "SELECT CLAVE FROM TA_CONFIGURACION /* /* */ */ /* ; DELETE FROM TA_CONFIGURACION; */",
        "SELECT CLAVE FROM TA_CONFIGURACION -- x\r/*\n; DELETE FROM TA_CONFIGURACION; -- */",
    };
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        Recordset rs;
        rs.Open(QString::fromUtf8(text), cn);
        EXPECT_EQ(count(QStringLiteral("TA_CONFIGURACION")), 1);
    }
}

// Nesting deeper than the engine reads is an error of the statement, never a stack overflow in
// the translation on the way.
TEST_F(ExecuteTest, TooDeepANestingIsAnErrorOfTheStatement) {
    const int n = 10000;
    const QString texts[] = {
        QStringLiteral("SELECT ") + QString(3000, u'(') + QStringLiteral("1") +
            QString(3000, u')'),
        QStringLiteral("SELECT ") + QStringLiteral("ISNULL(").repeated(n) +
            QStringLiteral("VALOR") + QStringLiteral(", '')").repeated(n) +
            QStringLiteral(" FROM TA_CONFIGURACION"),
        QStringLiteral("SELECT ") + QStringLiteral("CONVERT(varchar(10), ").repeated(n) +
            QStringLiteral("VALOR") + QString(n, u')') + QStringLiteral(" FROM TA_CONFIGURACION"),
        QStringLiteral("SELECT ") + QStringLiteral("LTRIM(").repeated(n) + QStringLiteral("'a'") +
            QString(n, u')'),
        QStringLiteral("SELECT * FROM TA_CONFIGURACION WHERE ") +
            QStringLiteral("NOT ").repeated(n) + QStringLiteral("CLAVE = 'x'"),
        QStringLiteral("SELECT * FROM TA_CONFIGURACION WHERE CLAVE IN ") +
            QStringLiteral("(SELECT CLAVE FROM TA_CONFIGURACION WHERE CLAVE IN ").repeated(3000) +
            QStringLiteral("('x')") + QString(3000, u')'),
        QStringLiteral("SELECT 'a'") + QStringLiteral(" + 'a'").repeated(n),
    };
    for (const QString& text : texts) {
        SCOPED_TRACE(text.left(60).toStdString());
        const vb::VbError e = raised(text);
        EXPECT_NE(e.Number, 0);
        EXPECT_EQ(count(QStringLiteral("TA_CONFIGURACION")), 1);
    }
}

// Nesting as real statements use it runs; past the limit the text is refused at once as SQL
// Server refuses it (191), never handed to rewrites that would take minutes over it.
TEST_F(ExecuteTest, NestingPastTheLimitIsRefusedAsSqlServerRefusesIt) {
    const auto nested = [](int depth) {
        return QStringLiteral("SELECT ") + QStringLiteral("ISNULL(").repeated(depth) +
               QStringLiteral("VALOR") + QStringLiteral(", '')").repeated(depth) +
               QStringLiteral(" FROM TA_CONFIGURACION WHERE CLAVE = 'NOMBRE'");
    };
    EXPECT_EQ(vb::CStr(cn.Execute(nested(30)).Fields(0L).Value()),
              vb::CStr(cn.Execute(nested(1)).Fields(0L).Value()));
    const vb::VbError e = raised(nested(129));
    EXPECT_NE(e.Number, 0);
    ASSERT_EQ(cn.errors().Count(), 1);
    EXPECT_EQ(cn.errors().Item(0).NativeError, 191);
    // A parenthesis inside a literal is text, not nesting.
    EXPECT_EQ(
        vb::CStr(cn.Execute(QStringLiteral("SELECT '") + QString(500, u'(') + QStringLiteral("'"))
                     .Fields(0L)
                     .Value()),
        QString(500, u'('));
}

}  // namespace
