// The ODBC engine's own work (batches, values, errors, row writes) on a driver that is always at
// hand: SQLite's ODBC driver stands in for SQL Server's here.
#include "platform/ado/odbcbackend.h"
#include "platform/vb/conversions.h"
#include "tests/platform/ado/fixture_schema.h"
#include "tests/platform/ado/sqlite_files.h"
#include "tests/support/fixtures.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

using vb::Variant;

const char* const kDriver = "/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so";

class OdbcEngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        const QString file = files.create(QStringLiteral("ODBC"), fixtureSchema());
        engine.openDriver(
            QStringLiteral("DRIVER=%1;Database=%2;").arg(QString::fromUtf8(kDriver), file));
        ASSERT_TRUE(engine.isOpen());
    }
    SqliteFiles files;
    ado::OdbcBackend engine;
};

TEST_F(OdbcEngineTest, QueryGivesTheRowsWithTheirValues) {
    const ado::ResultSet rs = engine.query(
        QStringLiteral("SELECT TC, [NUMERO ASIENTO], Tasa, FECHA, Foto, Nota, ValorAux FROM "
                       "MV_ASIENTOS, TA_CONFIGURACION"),
        false);
    ASSERT_EQ(rs.rowCount(), 1);
    EXPECT_EQ(rs.columns[1].name, QStringLiteral("NUMERO ASIENTO"));
    EXPECT_EQ(rs.at(0, 0), Variant("CB"));
    EXPECT_EQ(rs.at(0, 1), Variant(7));
    EXPECT_DOUBLE_EQ(rs.at(0, 2).number(), 0.21);
    EXPECT_EQ(rs.columns[3].type, ado::adDBTimeStamp);
    EXPECT_EQ(rs.at(0, 3), Variant(vb::wallClock(QDate(2024, 3, 5), QTime(14, 30))));
    EXPECT_EQ(rs.at(0, 4), Variant(QByteArray("\x01\x02", 2)));
    EXPECT_EQ(rs.at(0, 5), Variant(QStringLiteral("Ñandú")));
    EXPECT_EQ(rs.at(0, 6), Variant::null());
    EXPECT_TRUE(rs.table.isEmpty());
}

TEST_F(OdbcEngineTest, StreamedRowsAreThoseOfTheQuery) {
    const QString sql = QStringLiteral(
        "SELECT TC, [NUMERO ASIENTO], FECHA, Foto, Nota FROM "
        "MV_ASIENTOS UNION ALL SELECT 'ND', 8, NULL, NULL, 'x'");
    const ado::ResultSet held = engine.query(sql, false);
    QList<QList<Variant>> handed;
    const std::unique_ptr<ado::Cursor> cursor = engine.start(sql, {});
    ASSERT_EQ(cursor->columnCount(), held.columnCount());
    while (cursor->next()) {
        QList<Variant> row;
        for (long c = 0; c < cursor->columnCount(); ++c) row.append(cursor->value(c));
        handed.append(row);
    }
    const ado::BatchOutcome out = cursor->finish();
    EXPECT_FALSE(out.failed);
    EXPECT_EQ(out.result.rowCount(), 0);
    ASSERT_EQ(handed.size(), held.rowCount());
    for (long r = 0; r < held.rowCount(); ++r)
        for (long c = 0; c < held.columnCount(); ++c) EXPECT_EQ(handed[r][c], held.at(r, c));
}

// The driver's rows one at a time: none before the first next(), none after the last; a
// cursor finished early lets its statement go, and the engine runs the next query.
TEST_F(OdbcEngineTest, TheCursorReadsTheRowsInTurnUntilTheirEnd) {
    engine.execute(
        QStringLiteral("INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES ('A', 'uno')"));
    const QString sql = QStringLiteral("SELECT CLAVE, VALOR FROM TA_CONFIGURACION ORDER BY CLAVE");
    {
        const std::unique_ptr<ado::Cursor> cursor = engine.start(sql, {});
        ASSERT_EQ(cursor->columnCount(), 2);
        EXPECT_EQ(cursor->columns()[1].name, QStringLiteral("VALOR"));
        EXPECT_EQ(zxtest::raisedNumber([&] { cursor->value(0); }), ado::err::NoCurrentRecord);
        QStringList read;
        while (cursor->next())
            read << vb::CStr(cursor->value(0)) + u'=' + vb::CStr(cursor->value(1));
        EXPECT_EQ(read, (QStringList{"A=uno", "NOMBRE=Comercial Norte"}));
        EXPECT_FALSE(cursor->next());
        EXPECT_EQ(zxtest::raisedNumber([&] { cursor->value(0); }), ado::err::NoCurrentRecord);
        EXPECT_FALSE(cursor->finish().failed);
    }
    const std::unique_ptr<ado::Cursor> early = engine.start(sql, {});
    ASSERT_TRUE(early->next());
    EXPECT_FALSE(early->finish().failed);
    EXPECT_EQ(
        engine.query(QStringLiteral("SELECT COUNT(*) FROM TA_CONFIGURACION"), false).at(0, 0),
        Variant(2));

    const std::unique_ptr<ado::Cursor> missing =
        engine.start(QStringLiteral("SELECT * FROM NO_EXISTE"), {});
    EXPECT_FALSE(missing->next());
    const ado::BatchOutcome out = missing->finish();
    EXPECT_TRUE(out.failed);
    EXPECT_EQ(out.errors, engine.execute(QStringLiteral("SELECT * FROM NO_EXISTE")).errors);
}

TEST_F(OdbcEngineTest, AFailingStatementListsTheDriversErrorWithoutVendorPrefixes) {
    const ado::BatchOutcome out = engine.execute(QStringLiteral("SELECT * FROM NO_EXISTE"));
    EXPECT_TRUE(out.failed);
    ASSERT_GE(out.errors.size(), 1);
    const ado::Error& first = out.errors.first();
    EXPECT_EQ(first.Source, ado::sqlServerSource());
    EXPECT_FALSE(first.SQLState.isEmpty());
    EXPECT_TRUE(first.Description.contains(QStringLiteral("NO_EXISTE")))
        << first.Description.toStdString();
    EXPECT_FALSE(first.Description.startsWith(QLatin1Char('[')));
}

TEST_F(OdbcEngineTest, ParametersAreBoundInOrder) {
    const vb::DateTime when = vb::wallClock(QDate(2026, 12, 9), QTime(21, 47, 5));
    const ado::BatchOutcome insert = engine.execute(
        QStringLiteral(
            "INSERT INTO AUX_ERR (Proceso, fecha, Error, Descripcion, PC) VALUES (?, ?, "
            "?, ?, ?)"),
        {Variant("O'Brien"), Variant(when), Variant(2627),
         Variant(vb::Currency::fromScaled(15000)), Variant::null()});
    ASSERT_FALSE(insert.failed) << insert.errors.value(0).Description.toStdString();
    EXPECT_EQ(insert.recordsAffected, 1);
    const ado::BatchOutcome out = engine.execute(
        QStringLiteral(
            "SELECT Proceso, fecha, Error, PC FROM AUX_ERR WHERE Error = ? AND Proceso = ?"),
        {Variant(2627), Variant("O'Brien")});
    ASSERT_EQ(out.result.rowCount(), 1);
    EXPECT_EQ(out.result.at(0, 0), Variant("O'Brien"));
    EXPECT_EQ(out.result.at(0, 1), Variant(when));
    EXPECT_EQ(out.result.at(0, 3), Variant::null());
}

TEST_F(OdbcEngineTest, OnlyRowsOfOneTableCanBeWritten) {
    const struct {
        const char* sql;
        const char* table;
    } cases[] = {
        {"SELECT * FROM TA_CONFIGURACION WHERE CLAVE IN ('a,b', 'NOMBRE')", "TA_CONFIGURACION"},
        {"SELECT * FROM [TA_CONFIGURACION] WHERE CLAVE IN (SELECT TC FROM MV_ASIENTOS)",
         "TA_CONFIGURACION"},
        {"SELECT c.* FROM TA_CONFIGURACION c, MV_ASIENTOS m", ""},
        {"SELECT c.* FROM TA_CONFIGURACION c JOIN MV_ASIENTOS m ON 1 = 1", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sql);
        EXPECT_EQ(engine.query(QString::fromUtf8(c.sql), true).table, QString::fromUtf8(c.table));
    }
}

TEST_F(OdbcEngineTest, RowsAffectedCountsChangedRowsOnly) {
    EXPECT_EQ(
        engine.execute(QStringLiteral("UPDATE TA_CONFIGURACION SET VALOR = 'x'")).recordsAffected,
        1);
    EXPECT_EQ(engine.execute(QStringLiteral("DELETE FROM AUX_ERR")).recordsAffected, 0);
    EXPECT_EQ(engine.execute(QStringLiteral("SELECT * FROM AUX_ERR")).recordsAffected, -1);
}

TEST_F(OdbcEngineTest, RowsOfOneTableAreFoundByPrimaryKeyAndWrittenWithBoundValues) {
    const ado::ResultSet rs = engine.query(QStringLiteral("SELECT * FROM TA_CONFIGURACION"), true);
    EXPECT_EQ(rs.table, QStringLiteral("TA_CONFIGURACION"));
    ASSERT_EQ(rs.keyColumns, QStringList({"CLAVE"}));
    EXPECT_EQ(rs.keys.front(), Variant("NOMBRE"));

    ado::RowWrite edit;
    edit.table = rs.table;
    edit.keyColumns = rs.keyColumns;
    edit.keyValues = {Variant("NOMBRE")};
    edit.columns = {QStringLiteral("VALOR")};
    edit.values = {Variant("O'Brien; DROP TABLE AUX_ERR")};
    edit.readBack = {QStringLiteral("CLAVE"), QStringLiteral("VALOR")};
    const ado::RowRead edited = engine.writeRow(edit);
    EXPECT_EQ(edited.values,
              QList<Variant>({Variant("NOMBRE"), Variant("O'Brien; DROP TABLE AUX_ERR")}));

    ado::RowWrite add = edit;
    add.keyValues.clear();
    add.columns = {QStringLiteral("CLAVE")};
    add.values = {Variant("NUEVA")};
    add.readBack = {QStringLiteral("CLAVE"), QStringLiteral("Grupo")};
    const ado::RowRead added = engine.writeRow(add);
    EXPECT_EQ(added.values, QList<Variant>({Variant("NUEVA"), Variant("GENERAL")}));
    EXPECT_EQ(added.keyValues, QList<Variant>({Variant("NUEVA")}));

    edit.keyValues = {Variant("NO_ESTA")};
    try {
        engine.writeRow(edit);
        ADD_FAILURE() << "a missing row was updated";
    } catch (const ado::ProviderFailure& failure) {
        EXPECT_EQ(failure.errors.first().Number, ado::err::RowNotFound);
    }
}

// A date-time is a wall-clock reading: one the local clock skips or repeats (a change of
// time at 02:00 or at midnight) is written and read back as it is, by a query and by a row
// write alike.
TEST_F(OdbcEngineTest, DatesAtTimesTheLocalClockSkipsAreWrittenAndReadAsTheyAre) {
    const struct {
        const char* zone;
        vb::DateTime when;
    } cases[] = {
        {"Europe/Madrid", vb::wallClock({2026, 3, 29}, {2, 30})},
        {"America/Santiago", vb::wallClock({2026, 9, 6})},
        {"Atlantic/Azores", vb::wallClock({2026, 3, 29}, {0, 15, 5, 997})},
        {"America/Havana", vb::wallClock({2026, 3, 8}, {0, 59, 59})},
        {"Asia/Beirut", vb::wallClock({2026, 3, 29})},
    };
    int id = 100;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.zone);
        zxtest::ScopedTimeZone zone(c.zone);
        ado::RowWrite add;
        add.table = QStringLiteral("AUX_ERR");
        add.keyColumns = {QStringLiteral("ID")};
        add.columns = {QStringLiteral("ID"), QStringLiteral("fecha")};
        add.values = {Variant(++id), Variant(c.when)};
        add.readBack = {QStringLiteral("fecha")};
        const ado::RowRead added = engine.writeRow(add);
        EXPECT_EQ(added.values, QList<Variant>({Variant(c.when)}));
        const ado::BatchOutcome out = engine.execute(
            QStringLiteral("SELECT fecha FROM AUX_ERR WHERE ID = ?"), {Variant(id)});
        ASSERT_EQ(out.result.rowCount(), 1);
        EXPECT_EQ(out.result.at(0, 0), Variant(c.when));
    }
}

TEST_F(OdbcEngineTest, ANulCharacterRefusesTheWholeBatch) {
    const QString text = QStringLiteral("DELETE FROM TA_CONFIGURACION;") + QChar(u'\0') +
                         QStringLiteral(";SELECT 1");
    const ado::BatchOutcome out = engine.execute(text);
    EXPECT_TRUE(out.failed);
    ASSERT_EQ(out.errors.size(), 1);
    EXPECT_EQ(out.errors.first().NativeError, 102);
    EXPECT_EQ(out.errors.first().SQLState, QStringLiteral("42000"));
    EXPECT_THROW(engine.query(text, false), ado::ProviderFailure);
    EXPECT_EQ(
        engine.query(QStringLiteral("SELECT COUNT(*) FROM TA_CONFIGURACION"), false).at(0, 0),
        Variant(1));
}

}  // namespace
