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
    static QList<Variant> valuesOf(const ado::Row& row) {
        QList<Variant> values;
        for (long c = 0; c < row.count(); ++c) values.append(row.value(c));
        return values;
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

// A value the column's declared type cannot hold is refused with SQL Server's error, whether
// the database was made by this layer or by another program, and nothing of the statement is
// written: the other rows of a multi-row insert, an update, an insert from a query, a bound value.
TEST_F(ExecuteTest, AValueTheColumnCannotHoldIsRefusedWithSqlServersError) {
    const struct {
        const char* sql;
        QList<Variant> parameters;
        long native;
        const char* description;
    } cases[] = {
        {"INSERT INTO MV_ASIENTOS (TC, Monto) VALUES ('CB', '12,50')",
         {},
         8114,
         "Error converting data type varchar to numeric."},
        {"INSERT INTO MV_ASIENTOS (TC, Monto) VALUES ('CB', 'abc')",
         {},
         8114,
         "Error converting data type varchar to numeric."},
        {"INSERT INTO MV_ASIENTOS (TC, Monto) VALUES ('CB', '1e3')",
         {},
         8114,
         "Error converting data type varchar to numeric."},
        {"INSERT INTO MV_ASIENTOS (TC, Monto) VALUES ('CB', '')",
         {},
         8114,
         "Error converting data type varchar to numeric."},
        {"INSERT INTO MV_ASIENTOS (TC, Monto) VALUES ('CB', '12345678901234567')",
         {},
         8115,
         "Arithmetic overflow error converting varchar to data type numeric."},
        // Ten to the power of the digits before the point is one digit too many.
        {"INSERT INTO MV_ASIENTOS (TC, Monto) VALUES ('CB', '10000000000000000')",
         {},
         8115,
         "Arithmetic overflow error converting varchar to data type numeric."},
        {"INSERT INTO MV_ASIENTOS (TC, Monto) VALUES ('CB', '-10000000000000000.00')",
         {},
         8115,
         "Arithmetic overflow error converting varchar to data type numeric."},
        {"INSERT INTO MV_ASIENTOS (TC, [NUMERO ASIENTO]) VALUES ('CB', 'x')",
         {},
         245,
         "Conversion failed when converting the varchar value 'x' to data type int."},
        {"INSERT INTO MV_ASIENTOS (TC, [NUMERO ASIENTO]) VALUES ('CB', '12.5')",
         {},
         245,
         "Conversion failed when converting the varchar value '12.5' to data type int."},
        {"INSERT INTO MV_ASIENTOS (TC, [NUMERO ASIENTO]) VALUES ('CB', 3000000000)",
         {},
         8115,
         "Arithmetic overflow error converting expression to data type int."},
        {"INSERT INTO MV_ASIENTOS (TC, [NUMERO ASIENTO]) VALUES ('CB', '3000000000')",
         {},
         248,
         "The conversion of the varchar value '3000000000' overflowed an int column."},
        {"INSERT INTO MV_ASIENTOS (TC, Chico) VALUES ('CB', 40000)",
         {},
         8115,
         "Arithmetic overflow error converting expression to data type smallint."},
        {"INSERT INTO MV_ASIENTOS (TC, Chico) VALUES ('CB', 'y')",
         {},
         245,
         "Conversion failed when converting the varchar value 'y' to data type smallint."},
        {"INSERT INTO MV_ASIENTOS (TC) VALUES ('12345')",
         {},
         8152,
         "String or binary data would be truncated."},
        {"INSERT INTO MV_ASIENTOS (TC, Nota) VALUES ('CB', 'Ñandú Ñandú Ñandú Ñandú Ñandú Ñ')",
         {},
         8152,
         "String or binary data would be truncated."},
        // A character past the 16 bits of one code unit counts as two, in char as in nchar.
        {"INSERT INTO MV_ASIENTOS (TC) VALUES ('abc😀')",
         {},
         8152,
         "String or binary data would be truncated."},
        {"INSERT INTO MV_ASIENTOS (TC, Nota) VALUES ('CB', N'😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀')",
         {},
         8152,
         "String or binary data would be truncated."},
        {"INSERT INTO MV_ASIENTOS (TC, Activo) VALUES ('CB', 'si')",
         {},
         245,
         "Conversion failed when converting the varchar value 'si' to data type bit."},
        {"INSERT INTO MV_ASIENTOS (TC, Importe) VALUES ('CB', 'abc')",
         {},
         235,
         "Cannot convert a char value to money. The char value has incorrect syntax."},
        {"INSERT INTO MV_ASIENTOS (TC, Tasa) VALUES ('CB', '1,5')",
         {},
         8114,
         "Error converting data type varchar to real."},
        {"INSERT INTO MV_ASIENTOS (TC, Monto) VALUES ('A1', 1), ('A2', 'x')",
         {},
         8114,
         "Error converting data type varchar to numeric."},
        {"INSERT INTO MV_ASIENTOS VALUES ('A1', 'uno', 1, 1, 1, 1, 1, 1, NULL, NULL, 'x')",
         {},
         245,
         "Conversion failed when converting the varchar value 'uno' to data type int."},
        {"UPDATE MV_ASIENTOS SET Nota = 'otra', Monto = '12,50'",
         {},
         8114,
         "Error converting data type varchar to numeric."},
        {"UPDATE MV_ASIENTOS SET TC = 'ABCDE' WHERE TC = 'CB'",
         {},
         8152,
         "String or binary data would be truncated."},
        {"INSERT INTO MV_ASIENTOS (TC, Monto) SELECT 'CB', Nota FROM MV_ASIENTOS",
         {},
         8114,
         "Error converting data type varchar to numeric."},
        {"INSERT INTO MV_ASIENTOS (TC, Monto) SELECT TOP 1 Nota, 1 FROM MV_ASIENTOS ORDER BY 1",
         {},
         8152,
         "String or binary data would be truncated."},
        {"INSERT INTO MV_ASIENTOS (TC, Monto) VALUES (?, ?)",
         {Variant("CB"), Variant("12,50")},
         8114,
         "Error converting data type varchar to numeric."},
        {"UPDATE MV_ASIENTOS SET [NUMERO ASIENTO] = ? WHERE TC = ?",
         {Variant("x"), Variant("CB")},
         245,
         "Conversion failed when converting the varchar value 'x' to data type int."},
        {"IF NOT EXISTS (SELECT 1 FROM MV_ASIENTOS WHERE TC = 'ZZ') "
         "INSERT INTO MV_ASIENTOS (TC, Monto) VALUES ('ZZ', 'abc')",
         {},
         8114,
         "Error converting data type varchar to numeric."},
    };
    const QString row = QStringLiteral(
        "SELECT TC, [NUMERO ASIENTO], Importe, Monto, Tasa, Activo, Chico, Grande, Nota "
        "FROM MV_ASIENTOS");
    const auto rows = [&] {
        QStringList out;
        for (Recordset rs = cn.Execute(row); !rs.Eof(); rs.MoveNext()) {
            QStringList values;
            for (long c = 0; c < rs.FieldCount(); ++c) values << vb::CStr(rs.Fields(c).Value());
            out << values.join(u'|');
        }
        return out;
    };
    const QStringList before = rows();
    ASSERT_EQ(before.size(), 1);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sql);
        const auto e = zxtest::raised([&] { cn.Execute(QString::fromUtf8(c.sql), c.parameters); });
        ASSERT_TRUE(e.has_value());
        ASSERT_EQ(cn.errors().Count(), 1);
        EXPECT_EQ(cn.errors().Item(0).NativeError, c.native);
        EXPECT_EQ(cn.errors().Item(0).Description, QString::fromUtf8(c.description));
        EXPECT_EQ(e->Description, QString::fromUtf8(c.description));
        EXPECT_EQ(rows(), before);
    }
}

// A table the batch itself creates or alters is checked as one made before: each statement
// sees the columns as they are when it runs.
TEST_F(ExecuteTest, AValueIsCheckedInATableTheSameBatchMakes) {
    const struct {
        const char* batch;
        const char* table;
        long native;
        const char* description;
    } cases[] = {
        {"CREATE TABLE T1 (n int, c varchar(4)); INSERT INTO T1 VALUES ('x', '12345')", "T1", 245,
         "Conversion failed when converting the varchar value 'x' to data type int."},
        {"CREATE TABLE T2 (n int, c varchar(4)); INSERT INTO T2 VALUES (1, '12345')", "T2", 8152,
         "String or binary data would be truncated."},
        {"CREATE TABLE T3 (m numeric(18, 2))\r\nINSERT INTO T3 (m) VALUES ('12,50')", "T3", 8114,
         "Error converting data type varchar to numeric."},
        {"CREATE TABLE T4 (n int); ALTER TABLE T4 ADD c varchar(2); "
         "INSERT INTO T4 (n, c) VALUES (1, 'abc')",
         "T4", 8152, "String or binary data would be truncated."},
        {"CREATE TABLE T5 (n int); INSERT INTO T5 (n) SELECT 'uno'", "T5", 245,
         "Conversion failed when converting the varchar value 'uno' to data type int."},
        {"CREATE TABLE T7 (m numeric(5, 2)); INSERT INTO T7 (m) VALUES (1000)", "T7", 8115,
         "Arithmetic overflow error converting int to data type numeric."},
        {"CREATE TABLE T8 (m numeric(5, 2)); INSERT INTO T8 (m) VALUES ('-1000.00')", "T8", 8115,
         "Arithmetic overflow error converting varchar to data type numeric."},
        {"CREATE TABLE T9 (m decimal(3, 0)); INSERT INTO T9 (m) VALUES (1000.0)", "T9", 8115,
         "Arithmetic overflow error converting numeric to data type numeric."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.batch);
        const auto e = zxtest::raised([&] { cn.Execute(QString::fromUtf8(c.batch)); });
        ASSERT_TRUE(e.has_value());
        ASSERT_EQ(cn.errors().Count(), 1);
        EXPECT_EQ(cn.errors().Item(0).NativeError, c.native);
        EXPECT_EQ(cn.errors().Item(0).Description, QString::fromUtf8(c.description));
        EXPECT_EQ(count(QString::fromUtf8(c.table)), 0);
    }
    // The largest value of its digits goes in, and one rounded to it.
    cn.Execute(
        QStringLiteral("CREATE TABLE T10 (m numeric(5, 2)); INSERT INTO T10 VALUES (999.99); "
                       "INSERT INTO T10 VALUES ('-999.99'); INSERT INTO T10 VALUES (999.994)"));
    QList<Variant> largest;
    for (Recordset rs = cn.Execute(QStringLiteral("SELECT m FROM T10")); !rs.Eof(); rs.MoveNext())
        largest.append(rs.Fields(0L).Value());
    EXPECT_EQ(largest, (QList<Variant>{Variant(999.99), Variant(-999.99), Variant(999.99)}));
    // An UPDATE after rows the batch wrote, and a value that converts, in the same batch.
    const auto e = zxtest::raised([&] {
        cn.Execute(
            QStringLiteral("CREATE TABLE T6 (n int, c varchar(4)); "
                           "INSERT INTO T6 VALUES ('7', 12); UPDATE T6 SET n = 'siete'"));
    });
    ASSERT_TRUE(e.has_value());
    EXPECT_EQ(cn.errors().Item(0).NativeError, 245);
    Recordset rs = cn.Execute(QStringLiteral("SELECT n, c FROM T6"));
    ASSERT_EQ(rs.RecordCount(), 1);
    EXPECT_EQ(rs.Fields(0L).Value(), Variant(7));
    EXPECT_EQ(rs.Fields(1L).Value(), Variant("12"));
}

// What SQL Server converts itself goes in converted: numbers in text with a point, blanks
// around, a sign; a number into a text column; trailing blanks past a text's length are cut;
// money with its symbol and thousands; bit from its words and from any number; Null always.
TEST_F(ExecuteTest, AValueSqlServerConvertsGoesInAsItConvertsIt) {
    const struct {
        const char* column;
        const char* value;
        Variant stored;
    } cases[] = {
        {"Monto", "'12.50'", Variant(12.5)},
        {"Monto", "' -12.5 '", Variant(-12.5)},
        {"Monto", "'.5'", Variant(0.5)},
        {"Monto", "'+3'", Variant(3.0)},
        {"Monto", "12.345", Variant(12.35)},
        {"Monto", "NULL", Variant::null()},
        {"[NUMERO ASIENTO]", "' 42 '", Variant(42)},
        {"[NUMERO ASIENTO]", "'-7'", Variant(-7)},
        {"[NUMERO ASIENTO]", "''", Variant(0)},
        {"[NUMERO ASIENTO]", "12.7", Variant(12)},
        {"[NUMERO ASIENTO]", "2147483647", Variant(2147483647)},
        {"Chico", "'-32768'", Variant(static_cast<std::int16_t>(-32768))},
        {"Grande", "'9000000000'", Variant(9000000000LL)},
        {"TC", "12", Variant("12")},
        {"TC", "'ABCD   '", Variant("ABCD")},
        {"Nota", "'Ñandú Ñandú Ñandú Ñandú Ñandú   '", Variant("Ñandú Ñandú Ñandú Ñandú Ñandú ")},
        {"TC", "'ñÑáé'", Variant("ñÑáé")},
        {"TC", "'ab😀'", Variant("ab😀")},
        {"Nota", "N'😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀'", Variant("😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀")},
        {"Activo", "'TRUE'", Variant(1)},
        {"Activo", "' false '", Variant(0)},
        {"Activo", "5", Variant(1)},
        {"Activo", "'0'", Variant(0)},
        {"Importe", "'$1,234.50'", Variant(vb::Currency::fromScaled(12345000))},
        {"Importe", "'-12.5'", Variant(vb::Currency::fromScaled(-125000))},
        {"Tasa", "'1e3'", Variant(1000.0)},
        {"Tasa", "' .25 '", Variant(0.25)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.column) + " = " + c.value);
        cn.Execute(QStringLiteral("DELETE FROM MV_ASIENTOS WHERE TC = 'NEW' OR TC IS NULL"));
        const bool tc = QLatin1String(c.column) == QLatin1String("TC");
        cn.Execute(tc ? QStringLiteral("INSERT INTO MV_ASIENTOS (TC) VALUES (%1)")
                            .arg(QString::fromUtf8(c.value))
                      : QStringLiteral("INSERT INTO MV_ASIENTOS (TC, %1) VALUES ('NEW', %2)")
                            .arg(QLatin1String(c.column), QString::fromUtf8(c.value)));
        const QString where = tc ? QStringLiteral("TC <> 'CB'") : QStringLiteral("TC = 'NEW'");
        Recordset rs = cn.Execute(QStringLiteral("SELECT %1 FROM MV_ASIENTOS WHERE %2")
                                      .arg(QLatin1String(c.column), where));
        ASSERT_EQ(rs.RecordCount(), 1);
        EXPECT_EQ(rs.Fields(0L).Value(), c.stored);
        cn.Execute(tc ? QStringLiteral("DELETE FROM MV_ASIENTOS WHERE TC <> 'CB'")
                      : QStringLiteral("UPDATE MV_ASIENTOS SET %1 = %2 WHERE TC = 'NEW'")
                            .arg(QLatin1String(c.column), QString::fromUtf8(c.value)));
        if (tc) continue;
        rs = cn.Execute(QStringLiteral("SELECT %1 FROM MV_ASIENTOS WHERE TC = 'NEW'")
                            .arg(QLatin1String(c.column)));
        EXPECT_EQ(rs.Fields(0L).Value(), c.stored);
    }
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
    cn.ExecuteEach(sql, {Variant(10)}, [&](const ado::Row& row) { handed.append(valuesOf(row)); });
    EXPECT_EQ(handed.size(), 290);
    EXPECT_EQ(handed, held);

    const auto missing = zxtest::raised([&] {
        cn.ExecuteEach(QStringLiteral("SELECT * FROM NO_EXISTE"), {}, [](const auto&) {});
    });
    ASSERT_TRUE(missing.has_value());
    EXPECT_EQ(missing->Number, raised(QStringLiteral("SELECT * FROM NO_EXISTE")).Number);

    int read = 0;
    const auto stopped = zxtest::raised([&] {
        cn.ExecuteEach(sql, {Variant(10)}, [&](const ado::Row&) {
            if (++read == 5) throw vb::VbError(5, QStringLiteral("basta"), QStringLiteral("test"));
        });
    });
    ASSERT_TRUE(stopped.has_value());
    EXPECT_EQ(stopped->Description, QStringLiteral("basta"));
    EXPECT_EQ(read, 5);
    EXPECT_EQ(count(QStringLiteral("AUX_ERR")), 300);
    EXPECT_EQ(cn.Execute(sql, {Variant(299)}).RecordCount(), 1);
}

// The reader of the rows may run other statements on the same connection while the read is
// under way: each gives its own rows and takes its own values, and the read goes on where it
// was, to the statements after it and the values they take.
TEST_F(ExecuteTest, StatementsRunByTheReaderOfTheRowsAreTheirOwn) {
    cn.Execute(
        QStringLiteral("INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES ('A', 'uno'), "
                       "('B', 'dos'), ('C', 'tres')"));
    QStringList read, found, opened;
    cn.ExecuteEach(
        QStringLiteral("SELECT CLAVE FROM TA_CONFIGURACION WHERE CLAVE < ? ORDER BY CLAVE;"
                       "INSERT INTO AUX_ERR (Proceso) VALUES (?)"),
        {Variant(QStringLiteral("D")), Variant(QStringLiteral("despues"))},
        [&](const ado::Row& row) {
            read << vb::CStr(row.value(0));
            Recordset rs =
                cn.Execute(QStringLiteral("SELECT VALOR FROM TA_CONFIGURACION WHERE CLAVE = ?"),
                           {row.value(0)});
            found << (rs.Eof() ? QStringLiteral("-") : vb::CStr(rs[QStringLiteral("VALOR")]));
            Recordset other;
            other.Open(QStringLiteral("SELECT COUNT(*) AS N FROM TA_CONFIGURACION"), cn);
            opened << (other.Eof() ? QStringLiteral("-") : vb::CStr(other[QStringLiteral("N")]));
        });
    EXPECT_EQ(read, (QStringList{"A", "B", "C"}));
    EXPECT_EQ(found, (QStringList{"uno", "dos", "tres"}));
    EXPECT_EQ(opened, (QStringList{"4", "4", "4"}));
    Recordset after = cn.Execute(QStringLiteral("SELECT Proceso FROM AUX_ERR"));
    ASSERT_FALSE(after.Eof());
    EXPECT_EQ(vb::CStr(after[QStringLiteral("Proceso")]), QStringLiteral("despues"));
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

// A ";" inside parentheses ends no statement on SQL Server: the text is a syntax error and
// nothing of it runs, the part after the ";" included.
TEST_F(ExecuteTest, ASeparatorInsideParenthesesRunsNothing) {
    const char* texts[] = {
        "SELECT CLAVE FROM TA_CONFIGURACION WHERE CLAVE IN ('x'; DELETE FROM TA_CONFIGURACION; "
        "SELECT 'y')",
        "SELECT (1; DELETE FROM TA_CONFIGURACION)",
        "UPDATE TA_CONFIGURACION SET VALOR = (SELECT 'a'; DELETE FROM TA_CONFIGURACION; SELECT "
        "'b')",
    };
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        EXPECT_EQ(raised(QString::fromUtf8(text)).Number, -2147217900);
        ASSERT_EQ(cn.errors().Count(), 1);
        EXPECT_EQ(cn.errors().Item(0).NativeError, 102);
        EXPECT_EQ(count(QStringLiteral("TA_CONFIGURACION")), 1);
        EXPECT_EQ(vb::CStr(cn.Execute(QStringLiteral("SELECT VALOR FROM TA_CONFIGURACION"))
                               .Fields(0L)
                               .Value()),
                  QStringLiteral("Comercial Norte"));
    }
}

// SQL Server compiles a whole batch before it runs any of it: a syntax error in any of its
// statements, however they are separated, runs none of them, and is the error raised.
TEST_F(ExecuteTest, ASyntaxErrorAnywhereInTheBatchRunsNoneOfIt) {
    const struct {
        const char* text;
        const char* near;  // what SQL Server's message names
    } cases[] = {
        {"DELETE FROM TA_CONFIGURACION; SELEC 1", "SELEC"},
        {"DELETE FROM TA_CONFIGURACION;\r\nSELEC 1", "SELEC"},
        {"SELEC 1; DELETE FROM TA_CONFIGURACION", "SELEC"},
        {"UPDATE TA_CONFIGURACION SET VALOR = 'otro'\r\nDELETE FROM TA_CONFIGURACION\r\n"
         "SELECT * FROM WHERE",
         "WHERE"},
        {"INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES ('B', '1'); SELECT (1",
         "the end of the statement"},
        {"BEGIN TRAN; DELETE FROM TA_CONFIGURACION; COMMIT; SELECT 1 FROM ((", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(raised(QString::fromUtf8(c.text)).Number, -2147217900);
        ASSERT_EQ(cn.errors().Count(), 1);
        EXPECT_EQ(cn.errors().Item(0).NativeError, 102);
        EXPECT_TRUE(
            cn.errors().Item(0).Description.startsWith(QStringLiteral("Incorrect syntax near")));
        EXPECT_TRUE(cn.errors().Item(0).Description.contains(QString::fromUtf8(c.near)))
            << cn.errors().Item(0).Description.toStdString();
        EXPECT_EQ(count(QStringLiteral("TA_CONFIGURACION")), 1);
        EXPECT_EQ(vb::CStr(cn.Execute(QStringLiteral("SELECT VALOR FROM TA_CONFIGURACION"))
                               .Fields(0L)
                               .Value()),
                  QStringLiteral("Comercial Norte"));
        // No transaction is left open by the statements that did not run.
        EXPECT_EQ(cn.BeginTrans(), 1);
        cn.RollbackTrans();
    }
    // Names are still resolved as each statement runs: a statement on a table that an earlier
    // one creates runs, and a statement whose table is missing fails alone.
    Recordset rs =
        cn.Execute(QStringLiteral("CREATE TABLE NUEVA (A INT); INSERT INTO NUEVA (A) VALUES (5);"
                                  "SELECT A FROM NUEVA"));
    EXPECT_EQ(vb::CLng(rs.Fields(0L).Value()), 5);
    EXPECT_EQ(raised(QStringLiteral("DELETE FROM NUEVA; SELECT * FROM NO_EXISTE")).Number,
              -2147217865);
    EXPECT_EQ(count(QStringLiteral("NUEVA")), 0);
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
