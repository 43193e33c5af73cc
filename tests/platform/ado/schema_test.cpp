#include "platform/ado/ado.h"
#include "platform/vb/conversions.h"
#include "tests/platform/ado/fixture_schema.h"
#include "tests/platform/ado/sqlite_files.h"
#include "tests/support/fixtures.h"

#include <gtest/gtest.h>

namespace {

using ado::Connection;
using ado::Recordset;
using vb::Variant;

QStringList column(Recordset rs, const QString& name) {
    QStringList out;
    while (!rs.Eof()) {
        out << vb::CStr(rs[name]);
        rs.MoveNext();
    }
    return out;
}

class SchemaTest : public ::testing::Test {
protected:
    void SetUp() override {
        files.create(QStringLiteral("ZENTRIK"), fixtureSchema());
        cn.Open(files.connectionString(QStringLiteral("ZENTRIK")));
    }
    SqliteFiles files;
    Connection cn;
};

TEST_F(SchemaTest, TablesAndViewsWithTheirType) {
    Recordset rs = cn.OpenSchema(ado::adSchemaTables);
    EXPECT_EQ(column(rs, QStringLiteral("TABLE_NAME")),
              QStringList({"AUX_ERR", "HIJO", "MV_ASIENTOS", "TA_CONFIGURACION", "V_CONFIG"}));
    rs.MoveFirst();
    EXPECT_EQ(column(rs, QStringLiteral("TABLE_TYPE")),
              QStringList({"TABLE", "TABLE", "TABLE", "TABLE", "VIEW"}));
    rs.MoveFirst();
    EXPECT_EQ(rs[QStringLiteral("TABLE_CATALOG")], Variant("ZENTRIK"));
    EXPECT_EQ(rs[QStringLiteral("TABLE_SCHEMA")], Variant("dbo"));
}

TEST_F(SchemaTest, RestrictionsNarrowTheTableList) {
    const struct {
        QList<Variant> criteria;
        QStringList names;
    } cases[] = {
        {{Variant(), Variant(), Variant("ta_configuracion")}, {"TA_CONFIGURACION"}},
        {{Variant(), Variant(), Variant(), Variant("VIEW")}, {"V_CONFIG"}},
        {{Variant("zentrik"), Variant(""), Variant("AUX_ERR")}, {"AUX_ERR"}},
        {{Variant("OTRA")}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.names.join(',').toStdString());
        EXPECT_EQ(
            column(cn.OpenSchema(ado::adSchemaTables, c.criteria), QStringLiteral("TABLE_NAME")),
            c.names);
    }
}

TEST_F(SchemaTest, ColumnsOfATableInOrderWithAdoTypes) {
    Recordset rs = cn.OpenSchema(ado::adSchemaColumns, {Variant("ZENTRIK"), Variant(),
                                                        Variant("TA_CONFIGURACION"), Variant()});
    EXPECT_EQ(column(rs, QStringLiteral("COLUMN_NAME")),
              QStringList({"CLAVE", "VALOR", "ValorAux", "Grupo", "PoliticaNegocio"}));
    rs.MoveFirst();
    EXPECT_EQ(column(rs, QStringLiteral("DATA_TYPE")),
              QStringList({"200", "200", "200", "200", "3"}));
    rs.MoveFirst();
    EXPECT_EQ(rs[QStringLiteral("TABLE_NAME")], Variant("TA_CONFIGURACION"));
    EXPECT_EQ(rs[QStringLiteral("CHARACTER_MAXIMUM_LENGTH")], Variant(50L));
    EXPECT_EQ(rs[QStringLiteral("ORDINAL_POSITION")], Variant(1));

    Recordset one =
        cn.OpenSchema(ado::adSchemaColumns,
                      {Variant(), Variant(), Variant("mv_asientos"), Variant("numero asiento")});
    EXPECT_EQ(column(one, QStringLiteral("COLUMN_NAME")), QStringList({"NUMERO ASIENTO"}));
    EXPECT_EQ(column(cn.OpenSchema(ado::adSchemaColumns,
                                   {Variant("OTRA"), Variant(), Variant("AUX_ERR")}),
                     QStringLiteral("COLUMN_NAME")),
              QStringList());
}

}  // namespace
