#include "db/column_fit.h"

#include "platform/ado/sqlitebackend.h"
#include "tests/db/db_fixture.h"

namespace {

using columnfit::corta;
using columnfit::tamanos;

const QString kCara = QString::fromUtf8("\xF0\x9F\x98\x80");  // two UTF-16 code units

TEST(ColumnFitTest, ATextIsCutToTheSizeInCodeUnitsNeverInsideAPair) {
    const struct {
        QString texto;
        long tamano;
        QString esperado;
    } cases[] = {
        {"abcdef", 4, "abcd"},
        {"abcd", 4, "abcd"},
        {"ab", 4, "ab"},
        {"abcdef", 0, "abcdef"},
        {"abcdef", -1, "abcdef"},
        {"a" + kCara + "b", 2, "a"},
        {"a" + kCara + "b", 3, "a" + kCara},
        {kCara, 1, ""},
        {"ñandú" + kCara, 6, "ñandú"},
        {"", 3, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.texto.toStdString() + " " + std::to_string(c.tamano));
        EXPECT_EQ(corta(c.texto, c.tamano), c.esperado);
    }
}

class ColumnSizesTest : public dbtest::DbTest {};

// The sizes are the database's own: those of the schema, or of a table defined otherwise.
TEST_F(ColumnSizesTest, TheSizesAreTheOnesTheDatabaseDeclares) {
    data.exec(
        "CREATE TABLE LOG_PRUEBA (ID int IDENTITY(1,1) NOT NULL, Corto varchar(7) NULL, "
        "Nacional nvarchar(3) NULL, Largo varchar(max) NULL, Fijo char(2) NULL, N int NULL)");
    abre(gDB());
    const QHash<QString, long> err = {
        {"PROCESO", 50}, {"DESCRIPCION", 250}, {"PC", 100}, {"USUARIO", 50}};
    EXPECT_EQ(tamanos(gDB().gCnn, "AUX_ERR"), err);
    EXPECT_EQ(tamanos(gDB().gCnn, "aux_err"), err);
    const QHash<QString, long> prueba = {{"CORTO", 7}, {"NACIONAL", 3}, {"FIJO", 2}};
    EXPECT_EQ(tamanos(gDB().gCnn, "log_prueba"), prueba);
    EXPECT_EQ(columnfit::ajusta(gDB().gCnn, "LOG_PRUEBA", "corto", QString("123456789")),
              "1234567");
    EXPECT_EQ(columnfit::ajusta(gDB().gCnn, "LOG_PRUEBA", "Largo", QString(5000, u'x')),
              QString(5000, u'x'));
    EXPECT_EQ(columnfit::ajusta(gDB().gCnn, "LOG_PRUEBA", "N", vb::Variant(123456789L)),
              vb::Variant(123456789L));
    EXPECT_TRUE(
        columnfit::ajusta(gDB().gCnn, "LOG_PRUEBA", "Corto", vb::Variant::null()).isNull());
}

// Kept per connection: the same connection opened on another database reads that one's.
TEST_F(ColumnSizesTest, AConnectionOpenedOnAnotherDatabaseReadsItsSizes) {
    abre(gDB());
    EXPECT_EQ(tamanos(gDB().gCnn, "AUX_ERR").value("USUARIO"), 50);
    zxtest::TestDatabase otra;
    otra.exec("DROP TABLE AUX_ERR");
    otra.exec(
        "CREATE TABLE AUX_ERR (ID int IDENTITY(1,1) NOT NULL, Proceso varchar(50) NULL, "
        "fecha datetime NULL, Error int NULL, Descripcion varchar(250) NULL, "
        "sql varchar(MAX) NULL, PC varchar(100) NULL, Usuario varchar(12) NULL)");
    gDB().gCnn.Close();
    gDB().gCnn.Open(otra.connectionString());
    EXPECT_EQ(tamanos(gDB().gCnn, "AUX_ERR").value("USUARIO"), 12);
    gDB().gCnn.Close();
}

// The database class opening its connection again reads again: the same database may have
// been given other sizes meanwhile.
TEST_F(ColumnSizesTest, TheSameDatabaseOpenedAgainReadsItsSizesAgain) {
    abre(gDB());
    EXPECT_EQ(tamanos(gDB().gCnn, "AUX_ERR").value("USUARIO"), 50);
    dbtest::reinicia(gDB());
    data.exec("DROP TABLE AUX_ERR");
    data.exec(
        "CREATE TABLE AUX_ERR (ID int IDENTITY(1,1) NOT NULL, Proceso varchar(50) NULL, "
        "fecha datetime NULL, Error int NULL, Descripcion varchar(250) NULL, "
        "sql varchar(MAX) NULL, PC varchar(100) NULL, Usuario varchar(12) NULL)");
    abre(gDB());
    EXPECT_EQ(tamanos(gDB().gCnn, "AUX_ERR").value("USUARIO"), 12);
}

// An engine that has no column list (an Oracle server lacks SQL Server's catalogue views).
class SinListaDeColumnas : public zxtest::ScriptedBackend {
public:
    SinListaDeColumnas() : ScriptedBackend(std::make_unique<ado::SqliteBackend>()) {}
    ado::ResultSet schema(long, const QList<vb::Variant>&) override {
        throw ado::ProviderFailure{{ado::sqlServerError(208, "Invalid object name.")}};
    }
};

// Without a column list the sizes come from an empty read of the table, and neither that nor
// a table that cannot be read leaves an error the caller did not make.
TEST_F(ColumnSizesTest, WithoutAColumnListTheSizesComeFromTheTableItself) {
    abre(gDB());
    gDB().gCnn.Close();
    gDB().gCnn.attachBackend(std::make_unique<SinListaDeColumnas>());
    gDB().gCnn.Open(gDB().gConnString);
    const ado::Error previo = ado::sqlServerError(2627, "del llamador");
    gDB().gCnn.errors().replace({previo});
    EXPECT_EQ(tamanos(gDB().gCnn, "Control_Acceso"),
              (QHash<QString, long>{{"MAQUINA", 50},
                                    {"USUARIO", 50},
                                    {"FORMULARIO", 50},
                                    {"TAREA", 100},
                                    {"INGRESO", 20},
                                    {"NOMBREUSUARIO", 50}}));
    EXPECT_EQ(gDB().gCnn.errors().items(), QList<ado::Error>{previo});
    EXPECT_EQ(tamanos(gDB().gCnn, "NO_EXISTE"), (QHash<QString, long>{}));
    EXPECT_EQ(columnfit::ajusta(gDB().gCnn, "NO_EXISTE", "x", QString(300, u'x')),
              QString(300, u'x'));
    EXPECT_EQ(gDB().gCnn.errors().items(), QList<ado::Error>{previo});
    gDB().gCnn.Close();
}

}  // namespace
