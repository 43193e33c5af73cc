// The engine's cursor, on which both a recordset and ExecuteEach stand: rows read one at a
// time, the batch around the result, errors met on the way, and other statements run while it
// is open.
#include "platform/ado/ado.h"
#include "platform/ado/backend.h"
#include "platform/vb/conversions.h"
#include "platform/vb/vberror.h"
#include "tests/platform/ado/fixture_schema.h"
#include "tests/platform/ado/sqlite_files.h"
#include "tests/support/fixtures.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using ado::Connection;
using ado::Cursor;
using vb::Variant;

// A value as text, Null as none.
QString text(const Variant& v) {
    return v.isNull() ? QString() : vb::CStr(v);
}

class CursorTest : public ::testing::Test {
protected:
    void SetUp() override {
        files.create(
            QStringLiteral("ZENTRIK"),
            fixtureSchema() + QStringLiteral("INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES "
                                             "('A', 'uno'), ('B', NULL), ('C', 'tres');"));
        cn.Open(files.connectionString(QStringLiteral("ZENTRIK")));
    }
    std::unique_ptr<Cursor> start(const QString& sql, const QList<Variant>& parameters = {}) {
        return cn.backend()->start(sql, parameters);
    }
    // What another connection sees.
    long count(const QString& table) {
        Connection other;
        other.Open(files.connectionString(QStringLiteral("ZENTRIK")));
        return vb::CLng(
            other.Execute(QStringLiteral("SELECT COUNT(*) FROM ") + table).Fields(0L).Value());
    }
    SqliteFiles files;
    Connection cn;
};

TEST_F(CursorTest, NextReadsTheRowsInTurnUntilTheirEnd) {
    const auto cursor =
        start(QStringLiteral(
                  "SELECT CLAVE, VALOR AS Valor, LEN(VALOR) FROM TA_CONFIGURACION WHERE CLAVE < ? "
                  "ORDER BY CLAVE"),
              {Variant(QStringLiteral("D"))});
    ASSERT_EQ(cursor->columnCount(), 3);
    EXPECT_EQ(cursor->columns()[0].name, QStringLiteral("CLAVE"));
    EXPECT_EQ(cursor->columns()[1].name, QStringLiteral("Valor"));
    EXPECT_EQ(cursor->columns()[1].baseColumn, QStringLiteral("VALOR"));
    EXPECT_EQ(zxtest::raisedNumber([&] { cursor->value(0); }), ado::err::NoCurrentRecord);

    QList<QList<Variant>> rows;
    while (cursor->next()) rows.append({cursor->value(0), cursor->value(1), cursor->value(2)});
    EXPECT_EQ(rows, (QList<QList<Variant>>{{Variant("A"), Variant("uno"), Variant(3)},
                                           {Variant("B"), Variant::null(), Variant::null()},
                                           {Variant("C"), Variant("tres"), Variant(4)}}));
    EXPECT_FALSE(cursor->next());
    EXPECT_EQ(zxtest::raisedNumber([&] { cursor->value(0); }), ado::err::NoCurrentRecord);
    const ado::BatchOutcome out = cursor->finish();
    EXPECT_FALSE(out.failed);
    EXPECT_EQ(out.result.columnCount(), 3);
    EXPECT_EQ(out.result.rowCount(), 0);
}

TEST_F(CursorTest, AColumnTheResultDoesNotHaveIsRefused) {
    const auto cursor = start(QStringLiteral("SELECT CLAVE FROM TA_CONFIGURACION"));
    ASSERT_TRUE(cursor->next());
    for (long column : {-1L, 1L, 7L}) {
        SCOPED_TRACE(column);
        EXPECT_EQ(zxtest::raisedNumber([&] { cursor->value(column); }), ado::err::ItemNotFound);
    }
    EXPECT_EQ(cursor->value(0), Variant("A"));
}

// What comes before the result has run when the cursor is given; what comes after runs when it
// finishes, and the rows affected are the whole batch's.
TEST_F(CursorTest, TheBatchAroundTheResultRunsBeforeAndAtTheFinish) {
    const auto cursor = start(
        QStringLiteral("INSERT INTO AUX_ERR (Proceso) VALUES (?);"
                       "SELECT Proceso FROM AUX_ERR;"
                       "INSERT INTO AUX_ERR (Proceso) VALUES (?); INSERT INTO AUX_ERR (Proceso) "
                       "SELECT Proceso FROM AUX_ERR"),
        {Variant(QStringLiteral("antes")), Variant(QStringLiteral("despues"))});
    EXPECT_EQ(count(QStringLiteral("AUX_ERR")), 1);
    ASSERT_TRUE(cursor->next());
    EXPECT_EQ(cursor->value(0), Variant("antes"));
    EXPECT_FALSE(cursor->next());
    EXPECT_EQ(count(QStringLiteral("AUX_ERR")), 1);
    const ado::BatchOutcome out = cursor->finish();
    EXPECT_FALSE(out.failed);
    EXPECT_EQ(out.recordsAffected, 4);
    EXPECT_EQ(count(QStringLiteral("AUX_ERR")), 4);
}

// The rows left unread are let go; the rest of the batch still runs.
TEST_F(CursorTest, FinishingBeforeTheLastRowRunsTheRestOfTheBatch) {
    const auto cursor =
        start(QStringLiteral("SELECT CLAVE FROM TA_CONFIGURACION; DELETE FROM TA_CONFIGURACION "
                             "WHERE VALOR IS NULL"));
    ASSERT_TRUE(cursor->next());
    const ado::BatchOutcome out = cursor->finish();
    EXPECT_FALSE(out.failed);
    EXPECT_EQ(out.recordsAffected, 1);
    EXPECT_FALSE(cursor->next());
    EXPECT_EQ(count(QStringLiteral("TA_CONFIGURACION")), 3);
}

TEST_F(CursorTest, ABatchWithoutAResultGivesNoColumnsAndNoRows) {
    const auto cursor = start(QStringLiteral("UPDATE TA_CONFIGURACION SET VALOR = 'x'"));
    EXPECT_EQ(cursor->columnCount(), 0);
    EXPECT_FALSE(cursor->next());
    EXPECT_EQ(zxtest::raisedNumber([&] { cursor->value(0); }), ado::err::ItemNotFound);
    const ado::BatchOutcome out = cursor->finish();
    EXPECT_FALSE(out.failed);
    EXPECT_FALSE(out.result.hasColumns());
    EXPECT_EQ(out.recordsAffected, 4);
}

// A statement that fails after some rows: those rows come, then the end, and the finish gives
// the error Execute raises for the same text; the statements after it still run.
TEST_F(CursorTest, AnErrorMidWayEndsTheRowsAndIsTheBatchsError) {
    cn.Execute(
        QStringLiteral("INSERT INTO AUX_ERR (Proceso, Descripcion) VALUES "
                       "('a', '2024-01-05'), ('b', '2025-07-01'), ('c', 'no es fecha'), "
                       "('d', '2026-01-01')"));
    const QString failing =
        QStringLiteral("SELECT Proceso, DATEPART(year, Descripcion) FROM AUX_ERR");
    const std::optional<vb::VbError> expected = zxtest::raised([&] { cn.Execute(failing); });
    ASSERT_TRUE(expected.has_value());

    const auto cursor =
        start(failing + QStringLiteral(";DELETE FROM AUX_ERR WHERE Proceso = 'd'"));
    QStringList read;
    while (cursor->next()) read << vb::CStr(cursor->value(0)) + u'=' + vb::CStr(cursor->value(1));
    EXPECT_EQ(read, (QStringList{"a=2024", "b=2025"}));
    const ado::BatchOutcome out = cursor->finish();
    EXPECT_TRUE(out.failed);
    ASSERT_EQ(out.errors.size(), 1);
    EXPECT_EQ(out.errors[0].Number, expected->Number);
    EXPECT_EQ(out.errors[0].Description, expected->Description);
    EXPECT_EQ(out.recordsAffected, 1);
    EXPECT_EQ(count(QStringLiteral("AUX_ERR")), 3);
}

// Statements run while a cursor is open have their own rows and values, and the cursor goes on
// where it was; a recordset opened meanwhile is whole.
TEST_F(CursorTest, OtherStatementsRunWhileACursorIsOpen) {
    const auto cursor =
        start(QStringLiteral("SELECT CLAVE FROM TA_CONFIGURACION WHERE CLAVE <> ? ORDER BY CLAVE"),
              {Variant(QStringLiteral("NOMBRE"))});
    QStringList read;
    while (cursor->next()) {
        const Variant clave = cursor->value(0);
        const auto inner =
            start(QStringLiteral("SELECT VALOR FROM TA_CONFIGURACION WHERE CLAVE = ?"), {clave});
        ASSERT_TRUE(inner->next());
        read << vb::CStr(clave) + u'=' + text(inner->value(0));
        EXPECT_FALSE(inner->finish().failed);
        ado::Recordset all;
        all.Open(QStringLiteral("SELECT * FROM TA_CONFIGURACION"), cn, ado::adOpenStatic);
        EXPECT_EQ(all.RecordCount(), 4);
        cn.Execute(QStringLiteral("UPDATE TA_CONFIGURACION SET ValorAux = ? WHERE CLAVE = ?"),
                   {Variant(QStringLiteral("leida")), clave});
        EXPECT_EQ(vb::CStr(cursor->value(0)), vb::CStr(clave));
    }
    EXPECT_EQ(read, (QStringList{"A=uno", "B=", "C=tres"}));
    EXPECT_FALSE(cursor->finish().failed);
    EXPECT_EQ(vb::CLng(cn.Execute(QStringLiteral("SELECT COUNT(*) FROM TA_CONFIGURACION WHERE "
                                                 "ValorAux = 'leida'"))
                           .Fields(0L)
                           .Value()),
              3);
}

// Whatever the reader of ExecuteEach raises stops the read and is what the call raises; the
// statements after the result still run, and the error list keeps what it had.
TEST_F(CursorTest, WhatTheReaderRaisesIsRaisedOnceTheBatchHasRun) {
    cn.errors().replace({ado::sqlServerError(8152, QStringLiteral("antes"))});
    int rows = 0;
    const std::optional<vb::VbError> e = zxtest::raised([&] {
        cn.ExecuteEach(QStringLiteral("SELECT CLAVE FROM TA_CONFIGURACION; INSERT INTO AUX_ERR "
                                      "(Proceso) VALUES ('despues')"),
                       {}, [&](const ado::Row&) {
                           ++rows;
                           throw vb::VbError(5, QStringLiteral("basta"), QStringLiteral("test"));
                       });
    });
    ASSERT_TRUE(e.has_value());
    EXPECT_EQ(e->Number, 5);
    EXPECT_EQ(e->Description, QStringLiteral("basta"));
    EXPECT_EQ(rows, 1);
    EXPECT_EQ(count(QStringLiteral("AUX_ERR")), 1);
    ASSERT_EQ(cn.errors().Count(), 1);
    EXPECT_EQ(cn.errors().Item(0).Description, QStringLiteral("antes"));
}

// The row ExecuteEach hands is a view: its columns, and a value only when asked for.
TEST_F(CursorTest, TheRowHandedIsAViewOfTheRowRead) {
    QStringList read;
    cn.ExecuteEach(QStringLiteral("SELECT CLAVE, VALOR FROM TA_CONFIGURACION ORDER BY CLAVE"), {},
                   [&](const ado::Row& row) {
                       EXPECT_EQ(row.count(), 2);
                       EXPECT_EQ(zxtest::raisedNumber([&] { row.value(2); }),
                                 ado::err::ItemNotFound);
                       read << text(row.value(1)) + u'|' + vb::CStr(row.value(0));
                   });
    EXPECT_EQ(read, (QStringList{"uno|A", "|B", "tres|C", "Comercial Norte|NOMBRE"}));
}

// The reader may neither close the connection nor change its database while the engine's
// statement is open: 3219, and the read goes on.
TEST_F(CursorTest, TheConnectionStaysWhileItsRowsAreRead) {
    QStringList read;
    QList<long> refused;
    cn.ExecuteEach(QStringLiteral("SELECT CLAVE FROM TA_CONFIGURACION ORDER BY CLAVE"), {},
                   [&](const ado::Row& row) {
                       read << vb::CStr(row.value(0));
                       refused << zxtest::raisedNumber([&] { cn.Close(); })
                               << zxtest::raisedNumber(
                                      [&] { cn.setDefaultDatabase(QStringLiteral("OTRA")); });
                   });
    EXPECT_EQ(read, (QStringList{"A", "B", "C", "NOMBRE"}));
    EXPECT_EQ(refused, QList<long>(8, ado::err::NotAllowedNow));
    EXPECT_EQ(cn.State(), ado::adStateOpen);
    cn.Close();
    EXPECT_EQ(cn.State(), ado::adStateClosed);
}

}  // namespace

namespace {

// ExecuteEach tells the columns before the rows and, once they are read, as a recordset holding
// the same rows describes them: an expression's type by its first value that is not Null,
// whichever row holds it.
TEST_F(CursorTest, ExecuteEachDescribesTheColumnsAsTheWholeResultDoes) {
    const QString queries[] = {
        QStringLiteral("SELECT CLAVE, LEN(VALOR) AS Largo, NULL AS Nada, VALOR FROM "
                       "TA_CONFIGURACION ORDER BY CLAVE DESC"),
        QStringLiteral("SELECT CLAVE, CASE WHEN CLAVE = 'C' THEN 1.5 END AS Mitad FROM "
                       "TA_CONFIGURACION ORDER BY CLAVE"),
        QStringLiteral("SELECT CLAVE, LEN(VALOR) AS Largo FROM TA_CONFIGURACION WHERE 1 = 0"),
    };
    for (const QString& sql : queries) {
        SCOPED_TRACE(sql.toStdString());
        ado::Recordset whole = cn.Execute(sql);
        QList<ado::Column> before, described;
        long rows = 0;
        cn.ExecuteEach(
            sql, {}, [&](const QList<ado::Column>& columns) { before = columns; },
            [&](const ado::Row&) { ++rows; }, described);
        ASSERT_EQ(described.size(), whole.FieldCount());
        ASSERT_EQ(before.size(), whole.FieldCount());
        for (long i = 0; i < whole.FieldCount(); ++i) {
            EXPECT_EQ(before[i].name, whole.Fields(i).Name());
            EXPECT_EQ(described[i].name, whole.Fields(i).Name());
            EXPECT_EQ(described[i].type, whole.Fields(i).Type()) << i;
            EXPECT_EQ(described[i].definedSize, whole.Fields(i).DefinedSize()) << i;
        }
        EXPECT_EQ(rows, whole.RecordCount());
    }
    // The second query's expression is a number only from its last row on.
    QList<ado::Column> described;
    cn.ExecuteEach(
        queries[1], {}, [](const QList<ado::Column>&) {}, [](const ado::Row&) {}, described);
    EXPECT_EQ(described.value(1).type, ado::adDouble);
}

}  // namespace
