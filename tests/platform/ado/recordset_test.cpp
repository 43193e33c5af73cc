#include "platform/ado/ado.h"
#include "platform/vb/conversions.h"
#include "platform/vb/vberror.h"
#include "tests/platform/ado/fixture_schema.h"
#include "tests/platform/ado/sqlite_files.h"
#include "tests/support/fixtures.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using ado::Connection;
using ado::Recordset;
using vb::Variant;

const QLocale kArgentina(QLocale::Spanish, QLocale::Argentina);

class RecordsetTest : public ::testing::Test {
protected:
    void SetUp() override {
        files.create(QStringLiteral("ZENTRIK"), fixtureSchema());
        cn.Open(files.connectionString(QStringLiteral("ZENTRIK")));
    }
    // A value as another connection reads it, stored text and all.
    Variant stored(const QString& sql) {
        Connection other;
        other.Open(files.connectionString(QStringLiteral("ZENTRIK")));
        return other.Execute(sql).Fields(0L).Value();
    }
    SqliteFiles files;
    Connection cn;
};

TEST_F(RecordsetTest, FieldsByNameWithoutRegardToCaseOrByIndex) {
    Recordset rs;
    rs.Open(QStringLiteral("SELECT [NUMERO ASIENTO], TC FROM MV_ASIENTOS"), cn);
    EXPECT_EQ(rs.FieldCount(), 2);
    EXPECT_EQ(rs.Fields(QStringLiteral("numero asiento")).Value(), Variant(7));
    EXPECT_EQ(rs[QStringLiteral("tc")], Variant("CB"));
    EXPECT_EQ(rs.Fields(1L).Name(), QStringLiteral("TC"));
    EXPECT_EQ(zxtest::raisedNumber([&] { rs.Fields(QStringLiteral("PUNTOPEDIDO")); }),
              ado::err::ItemNotFound);
    EXPECT_EQ(zxtest::raisedNumber([&] { rs.Fields(2L); }), ado::err::ItemNotFound);
}

TEST_F(RecordsetTest, TypesAndValuesFollowTheDeclaredColumns) {
    Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM MV_ASIENTOS"), cn);
    const struct {
        const char* field;
        long type;
        long size;
        Variant value;
    } cases[] = {
        {"TC", ado::adChar, 4, Variant("CB")},
        {"NUMERO ASIENTO", ado::adInteger, 4, Variant(7)},
        {"Importe", ado::adCurrency, 8, Variant(vb::Currency::fromScaled(12345000))},
        {"Monto", ado::adNumeric, 19, Variant(10.46)},
        {"Tasa", ado::adDouble, 8, Variant(0.21)},
        {"Activo", ado::adBoolean, 2, Variant(1)},
        {"Chico", ado::adSmallInt, 2, Variant(std::int16_t(3))},
        {"Grande", ado::adBigInt, 8, Variant(9000000000LL)},
        {"Foto", ado::adLongVarBinary, 2147483647, Variant(QByteArray("\x01\x02", 2))},
        {"FECHA", ado::adDBTimeStamp, 16,
         Variant(vb::wallClock(QDate(2024, 3, 5), QTime(14, 30)))},
        {"Nota", ado::adVarWChar, 30, Variant(QStringLiteral("Ñandú"))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field);
        const ado::Field f = rs.Fields(QString::fromUtf8(c.field));
        EXPECT_EQ(f.Type(), c.type);
        EXPECT_EQ(f.DefinedSize(), c.size);
        EXPECT_EQ(f.Value(), c.value);
    }
    Recordset config;
    config.Open(QStringLiteral("SELECT VALOR, ValorAux FROM TA_CONFIGURACION"), cn);
    EXPECT_EQ(config.Fields(QStringLiteral("VALOR")).Type(), ado::adVarChar);
    EXPECT_EQ(config.Fields(QStringLiteral("VALOR")).DefinedSize(), 255);
    EXPECT_EQ(config.Fields(QStringLiteral("ValorAux")).DefinedSize(), 255);
    EXPECT_EQ(config.Fields(QStringLiteral("ValorAux")).Value(), Variant::null());
}

TEST_F(RecordsetTest, ExpressionsTakeTheirTypeFromTheirValue) {
    Recordset rs;
    rs.Open(QStringLiteral("SELECT COUNT(*) AS N, MAX(FECHA) AS ULTIMA, 'x' AS T, 1.5 AS D, "
                           "NULL AS NADA FROM MV_ASIENTOS"),
            cn);
    EXPECT_EQ(rs.Fields(QStringLiteral("N")).Type(), ado::adInteger);
    EXPECT_EQ(rs[QStringLiteral("N")], Variant(1));
    EXPECT_EQ(rs.Fields(QStringLiteral("ULTIMA")).Type(), ado::adDBTimeStamp);
    EXPECT_EQ(rs[QStringLiteral("ULTIMA")],
              Variant(vb::wallClock(QDate(2024, 3, 5), QTime(14, 30))));
    EXPECT_EQ(rs.Fields(QStringLiteral("T")).Type(), ado::adVarChar);
    EXPECT_EQ(rs.Fields(QStringLiteral("D")).Type(), ado::adDouble);
    EXPECT_EQ(rs[QStringLiteral("NADA")], Variant::null());
}

TEST_F(RecordsetTest, MovesStopAtBothEnds) {
    Recordset empty;
    empty.Open(QStringLiteral("SELECT * FROM AUX_ERR"), cn, ado::adOpenStatic);
    EXPECT_TRUE(empty.Bof());
    EXPECT_TRUE(empty.Eof());
    EXPECT_EQ(empty.RecordCount(), 0);
    EXPECT_EQ(zxtest::raisedNumber([&] { empty.MoveFirst(); }), ado::err::NoCurrentRecord);
    EXPECT_EQ(zxtest::raisedNumber([&] { empty.MoveNext(); }), ado::err::NoCurrentRecord);
    EXPECT_EQ(zxtest::raisedNumber([&] { empty.Fields(QStringLiteral("Proceso")).Value(); }),
              ado::err::NoCurrentRecord);

    cn.Execute(
        QStringLiteral("INSERT INTO TA_CONFIGURACION (CLAVE) VALUES ('B');"
                       "INSERT INTO TA_CONFIGURACION (CLAVE) VALUES ('C')"));
    Recordset rs;
    rs.Open(QStringLiteral("SELECT CLAVE FROM TA_CONFIGURACION ORDER BY CLAVE"), cn,
            ado::adOpenStatic);
    EXPECT_EQ(rs.RecordCount(), 3);
    EXPECT_FALSE(rs.Bof());
    rs.MoveLast();
    EXPECT_EQ(rs[QStringLiteral("CLAVE")], Variant("NOMBRE"));
    rs.MoveNext();
    EXPECT_TRUE(rs.Eof());
    EXPECT_EQ(zxtest::raisedNumber([&] { rs.MoveNext(); }), ado::err::NoCurrentRecord);
    rs.MoveFirst();
    EXPECT_EQ(rs[QStringLiteral("CLAVE")], Variant("B"));
    rs.MovePrevious();
    EXPECT_TRUE(rs.Bof());
    EXPECT_EQ(zxtest::raisedNumber([&] { rs.MovePrevious(); }), ado::err::NoCurrentRecord);
}

TEST_F(RecordsetTest, CursorAndLockTypesAreThoseItWasOpenedWith) {
    Recordset rs;
    EXPECT_EQ(rs.CursorType(), ado::adOpenForwardOnly);
    EXPECT_EQ(rs.LockType(), ado::adLockReadOnly);
    rs.Open(QStringLiteral("SELECT * FROM AUX_ERR"), cn, ado::adOpenDynamic,
            ado::adLockOptimistic);
    EXPECT_EQ(rs.CursorType(), ado::adOpenDynamic);
    EXPECT_EQ(rs.LockType(), ado::adLockOptimistic);
    rs.Close();
    EXPECT_EQ(rs.LockType(), ado::adLockOptimistic);
}

TEST_F(RecordsetTest, CopiesShareOneRecordsetAndAClosedOneRaises) {
    Recordset rs;
    Recordset same = rs;
    EXPECT_EQ(zxtest::raisedNumber([&] { rs.Eof(); }), ado::err::ObjectClosed);
    EXPECT_EQ(zxtest::raisedNumber([&] { rs.Close(); }), ado::err::ObjectClosed);
    same.Open(QStringLiteral("TA_CONFIGURACION"), cn);  // a bare table name reads the table
    EXPECT_EQ(rs.State(), ado::adStateOpen);
    EXPECT_TRUE(rs.sameAs(same));
    EXPECT_EQ(rs[QStringLiteral("CLAVE")], Variant("NOMBRE"));
    EXPECT_EQ(zxtest::raisedNumber([&] { rs.Open(QStringLiteral("AUX_ERR"), cn); }),
              ado::err::ObjectOpen);
    Connection closed;
    Recordset other;
    EXPECT_EQ(zxtest::raisedNumber([&] { other.Open(QStringLiteral("AUX_ERR"), closed); }),
              ado::err::NoConnection);
}

TEST_F(RecordsetTest, AddNewAndUpdateInsertBoundValuesAndReadTheIdentity) {
    zxtest::ScopedLocale locale(kArgentina);
    Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM AUX_ERR WHERE 1 = 0"), cn, ado::adOpenDynamic,
            ado::adLockOptimistic);
    rs.AddNew();
    EXPECT_EQ(rs.EditMode(), ado::adEditAdd);
    rs.Fields(QStringLiteral("Proceso")).setValue(Variant("GrabaError"));
    rs.Fields(QStringLiteral("Descripcion")).setValue(Variant("no existe 'O''Brien'; DROP"));
    rs.Fields(QStringLiteral("fecha")).setValue(Variant("09/12/26 21:47"));
    rs.Fields(QStringLiteral("Error")).setValue(Variant("2627"));
    EXPECT_EQ(rs[QStringLiteral("fecha")],
              Variant(vb::wallClock(QDate(2026, 12, 9), QTime(21, 47))));
    rs.Update();
    EXPECT_EQ(rs.EditMode(), ado::adEditNone);
    EXPECT_EQ(rs.RecordCount(), 1);
    EXPECT_EQ(rs[QStringLiteral("ID")], Variant(1));
    EXPECT_EQ(rs[QStringLiteral("Error")], Variant(2627));

    rs.AddNew();
    rs.Fields(QStringLiteral("fecha"))
        .setValue(Variant(vb::wallClock(QDate(2026, 1, 2), QTime(3, 4, 5))));
    rs.Update();
    EXPECT_EQ(rs[QStringLiteral("ID")], Variant(2));
    EXPECT_EQ(stored(QStringLiteral("SELECT Descripcion FROM AUX_ERR WHERE ID = 1")),
              Variant("no existe 'O''Brien'; DROP"));
    EXPECT_EQ(stored(QStringLiteral("SELECT '=' || fecha FROM AUX_ERR WHERE ID = 1")),
              Variant("=2026-12-09 21:47:00"));
    EXPECT_EQ(stored(QStringLiteral("SELECT '=' || fecha FROM AUX_ERR WHERE ID = 2")),
              Variant("=2026-01-02 03:04:05"));
}

TEST_F(RecordsetTest, ValuesThatDoNotConvertAreRefusedAtOnce) {
    Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM AUX_ERR"), cn, ado::adOpenDynamic,
            ado::adLockOptimistic);
    rs.AddNew();
    EXPECT_EQ(zxtest::raisedNumber(
                  [&] { rs.Fields(QStringLiteral("fecha")).setValue(Variant("ayer")); }),
              ado::err::MultipleStepErrors);
    EXPECT_EQ(
        zxtest::raisedNumber([&] { rs.Fields(QStringLiteral("Error")).setValue(Variant("x1")); }),
        ado::err::MultipleStepErrors);
    rs.CancelUpdate();
    EXPECT_EQ(rs.RecordCount(), 0);
}

TEST_F(RecordsetTest, FieldEditUpdatesTheRowItCameFrom) {
    cn.Execute(
        QStringLiteral("INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES ('THEME', 'a')"));
    Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM TA_CONFIGURACION WHERE CLAVE = 'THEME'"), cn,
            ado::adOpenDynamic, ado::adLockOptimistic);
    rs.Fields(QStringLiteral("VALOR")).setValue(Variant("oscuro"));
    EXPECT_EQ(rs.EditMode(), ado::adEditInProgress);
    rs.Update();
    EXPECT_EQ(stored(QStringLiteral("SELECT VALOR FROM TA_CONFIGURACION WHERE CLAVE = 'THEME'")),
              Variant("oscuro"));
    EXPECT_EQ(stored(QStringLiteral("SELECT VALOR FROM TA_CONFIGURACION WHERE CLAVE = 'NOMBRE'")),
              Variant("Comercial Norte"));
    // Moving away saves a pending edit, as ADO does.
    rs.Fields(QStringLiteral("ValorAux")).setValue(Variant("x"));
    rs.MoveNext();
    EXPECT_EQ(
        stored(QStringLiteral("SELECT ValorAux FROM TA_CONFIGURACION WHERE CLAVE = 'THEME'")),
        Variant("x"));
}

TEST_F(RecordsetTest, AddNewOnAnEmptyTopZeroResultFillsDefaults) {
    Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM TA_CONFIGURACION LIMIT 0"), cn, ado::adOpenDynamic,
            ado::adLockOptimistic);
    EXPECT_TRUE(rs.Eof());
    rs.AddNew();
    rs.Fields(QStringLiteral("CLAVE")).setValue(Variant("NUEVA"));
    rs.Update();
    EXPECT_EQ(rs[QStringLiteral("Grupo")], Variant("GENERAL"));
}

TEST_F(RecordsetTest, CloseWithAPendingEditRaises3219UntilCancelled) {
    Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM TA_CONFIGURACION"), cn, ado::adOpenDynamic,
            ado::adLockOptimistic);
    rs.Fields(QStringLiteral("VALOR")).setValue(Variant("x"));
    EXPECT_EQ(zxtest::raisedNumber([&] { rs.Close(); }), ado::err::NotAllowedNow);
    EXPECT_EQ(rs.State(), ado::adStateOpen);
    rs.CancelUpdate();
    rs.Close();
    EXPECT_EQ(rs.State(), ado::adStateClosed);
    EXPECT_EQ(stored(QStringLiteral("SELECT VALOR FROM TA_CONFIGURACION")),
              Variant("Comercial Norte"));
}

TEST_F(RecordsetTest, ReadOnlyAndJoinedRecordsetsRefuseEdits) {
    Recordset readOnly;
    readOnly.Open(QStringLiteral("SELECT * FROM TA_CONFIGURACION"), cn);
    EXPECT_EQ(zxtest::raisedNumber([&] { readOnly.AddNew(); }), ado::err::UpdateNotSupported);
    EXPECT_EQ(zxtest::raisedNumber([&] { readOnly.Fields(0L).setValue(Variant("x")); }),
              ado::err::UpdateNotSupported);
    Recordset joined;
    joined.Open(QStringLiteral("SELECT c.CLAVE, m.TC FROM TA_CONFIGURACION c, MV_ASIENTOS m"), cn,
                ado::adOpenDynamic, ado::adLockOptimistic);
    EXPECT_EQ(zxtest::raisedNumber([&] { joined.AddNew(); }), ado::err::UpdateNotSupported);
}

TEST_F(RecordsetTest, AFailedUpdateFillsErrorsAndKeepsTheEdit) {
    Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM TA_CONFIGURACION"), cn, ado::adOpenDynamic,
            ado::adLockOptimistic);
    rs.AddNew();
    rs.Fields(QStringLiteral("CLAVE")).setValue(Variant("NOMBRE"));
    EXPECT_EQ(zxtest::raisedNumber([&] { rs.Update(); }), ado::err::IntegrityViolation);
    EXPECT_EQ(cn.errors().Item(0).NativeError, 2627);
    EXPECT_EQ(rs.EditMode(), ado::adEditAdd);
    rs.CancelUpdate();
    EXPECT_EQ(rs.RecordCount(), 1);
}

// A row written through the recordset meets its columns' types as a statement's values do: a
// text past a column's length is refused with SQL Server's error and nothing is written; what
// fits goes in, trailing blanks past the length cut.
TEST_F(RecordsetTest, AnUpdateOfAValueTheColumnCannotHoldIsRefused) {
    Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM MV_ASIENTOS"), cn, ado::adOpenDynamic,
            ado::adLockOptimistic);
    rs.AddNew();
    rs.Fields(QStringLiteral("TC")).setValue(Variant("12345"));
    EXPECT_EQ(zxtest::raisedNumber([&] { rs.Update(); }), ado::err::DataOverflow);
    EXPECT_EQ(cn.errors().Item(0).NativeError, 8152);
    rs.CancelUpdate();
    rs.MoveFirst();
    rs.Fields(QStringLiteral("Nota")).setValue(Variant(QString(31, u'x')));
    EXPECT_EQ(zxtest::raisedNumber([&] { rs.Update(); }), ado::err::DataOverflow);
    rs.CancelUpdate();
    EXPECT_EQ(stored(QStringLiteral("SELECT COUNT(*) FROM MV_ASIENTOS")), Variant(1));
    EXPECT_EQ(stored(QStringLiteral("SELECT Nota FROM MV_ASIENTOS")), Variant("Ñandú"));

    rs.MoveFirst();
    rs.Fields(QStringLiteral("TC")).setValue(Variant("ABCD   "));
    rs.Update();
    EXPECT_EQ(stored(QStringLiteral("SELECT TC FROM MV_ASIENTOS")), Variant("ABCD"));
}

}  // namespace

// Stored dates read back as the wall-clock readings of their text, in a zone with summer time
// too: days in turn, the hours either side of a change, the hour that does not exist and the
// hour that happens twice, and days far from today.
TEST_F(RecordsetTest, StoredDatesReadBackAsTheWallClockReadingsOfTheirText) {
    const QByteArray previous = qgetenv("TZ");
    const QStringList texts{
        "2025-07-01 10:00:00", "2025-07-01 23:59:59", "2025-07-02 00:00:00",
        "2025-03-30 01:59:59", "2025-03-30 02:30:00", "2025-03-30 03:00:00",
        "2025-03-30 12:00:00", "2025-10-26 00:30:00", "2025-10-26 02:30:00",
        "2025-10-26 03:30:00", "2025-10-26 23:00:00", "1965-06-15 08:00:00",
        "2099-12-31 23:59:59", "2025-07-01",          "2025-07-01 10:00:00.250"};
    for (const char* tz : {"Europe/Madrid", "America/Argentina/Buenos_Aires", "UTC"}) {
        SCOPED_TRACE(tz);
        const zxtest::ScopedTimeZone zone(tz);
        cn.Execute(QStringLiteral("DELETE FROM AUX_ERR"));
        for (const QString& t : texts)
            cn.Execute(QStringLiteral("INSERT INTO AUX_ERR (fecha) VALUES ('%1')").arg(t));
        Recordset rs;
        rs.Open(QStringLiteral("SELECT fecha FROM AUX_ERR ORDER BY ID"), cn);
        for (const QString& t : texts) {
            SCOPED_TRACE(t.toStdString());
            ASSERT_FALSE(rs.Eof());
            const Variant v = rs.Fields(0L).Value();
            ASSERT_TRUE(v.isDate());
            const QDate date = QDate::fromString(t.left(10), Qt::ISODate);
            const QTime time =
                t.size() == 10 ? QTime(0, 0) : QTime::fromString(t.mid(11), Qt::ISODateWithMs);
            const vb::DateTime expected = vb::wallClock(date, time);
            EXPECT_EQ(v, Variant(expected));
            // A reading no clock change makes invalid, even at a time the zone skips.
            EXPECT_TRUE(v.date().isValid());
            EXPECT_EQ(v.date().date(), expected.date());
            EXPECT_EQ(v.date().time(), expected.time());
            rs.MoveNext();
        }
    }
    EXPECT_EQ(qgetenv("TZ"), previous);
}
