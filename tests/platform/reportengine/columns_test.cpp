#include "platform/reportengine/adodatasource.h"
#include "platform/reportengine/document.h"
#include "platform/reportengine/reportdata.h"
#include "tests/support/fixtures.h"
#include "tests/support/test_database.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using namespace reportengine;

// The rows of a voucher report that links the image rows of its vouchers and the accounts of
// its lines: both linked tables have a column named as one of the report's own.
ReportData voucherRows() {
    ReportData data;
    data.columns = {{"TC", ColumnKind::Text},
                    {"USUARIO", ColumnKind::Text},
                    {"Usuario", ColumnKind::Text, "AUX_MV_CPTEQR"},
                    {"QR_AFIP", ColumnKind::Other, "AUX_MV_CPTEQR"},
                    {"NOMBRE", ColumnKind::Text, "MA_CUENTAS"},
                    // A column whose name holds a dot, as SQL Server allows between brackets.
                    {"NRO.CUENTA", ColumnKind::Text}};
    return data;
}

TEST(ColumnIdTest, AFieldShowsItsLinkedTablesColumnElseTheReportsOwn) {
    const ReportData data = voucherRows();
    const struct {
        const char* name;
        FieldRef field;
        int column;
    } cases[] = {
        {"the report's own column", {"AUX_MV_CPTE", "TC"}, 0},
        {"the report's own, under an alias", {"V_MV_CPTE", "TC"}, 0},
        {"the report's own beside a linked one of that name", {"AUX_MV_CPTE", "USUARIO"}, 1},
        {"the linked one beside the report's own", {"AUX_MV_CPTEQR", "USUARIO"}, 2},
        {"names in another case", {"aux_mv_cpteqr", "qr_afip"}, 3},
        {"a linked table's only column", {"MA_CUENTAS", "Nombre"}, 4},
        {"a linked column is the link's only", {"AUX_MV_CPTE", "QR_AFIP"}, -1},
        {"a column with a dot in its name", {"AUX_MV_CPTE", "NRO.CUENTA"}, 5},
        // Not the report's column "NRO.CUENTA" read as the column CUENTA of a table NRO.
        {"a table and column that spell a dotted name", {"NRO", "CUENTA"}, -1},
        {"a column no table has", {"AUX_MV_CPTE", "COLUMNA1"}, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(data.columnOf(c.field), c.column);
    }
    EXPECT_EQ(data.indexOf({QString(), "usuario"}), 1);
    EXPECT_EQ(data.indexOf({"AUX_MV_CPTEQR", "Usuario"}), 2);
    EXPECT_EQ(data.indexOf({"MA_CUENTAS", "TC"}), -1);
}

// A saved report names a linked table's column "TABLE.COLUMN", as it always has; read back, each
// column is again the link's or the report's own by the form's links, the subreports' by
// theirs.
TEST(ColumnIdTest, ASavedReportTellsTheLinkedColumnsFromTheReportsOwn) {
    QTemporaryDir dir;
    ReportDocument doc;
    doc.form = parseForm(R"(<report version="1"><data table="AUX_MV_CPTE">
        <link table="AUX_MV_CPTEQR" keys="TC"/><link table="MA_CUENTAS" keys="NOMBRE=TC"/>
      </data><detail height="5">
        <subreport name="OBS" x="0" y="0" width="50" height="4" links="TC">
          <report version="1"><data table="V_MV_CPTE_OBSERV">
            <link table="MA_CUENTAS" keys="NOMBRE=TC"/></data>
            <detail height="4"/></report>
        </subreport></detail></report>)");
    doc.data = voucherRows();
    doc.data.rows = {{"FC", "pc|ana", "OTRA|PC", vb::Variant::null(), "Caja", "1.1"}};
    SubreportData sub;
    sub.name = QStringLiteral("OBS");
    sub.data.columns = {{"TC", ColumnKind::Text}, {"NOMBRE", ColumnKind::Text, "MA_CUENTAS"}};
    sub.data.rows = {{"FC", "Banco"}};
    sub.addGroup({{"FC"}, 0, 1});
    doc.subreports = {sub};
    const QString path = dir.filePath(QStringLiteral("104512.RPT"));
    saveDocument(doc, path);

    const QString saved = QString::fromUtf8(zxtest::readFile(path));
    for (const char* name :
         {R"("USUARIO")", R"("AUX_MV_CPTEQR.Usuario")", R"("AUX_MV_CPTEQR.QR_AFIP")",
          R"("MA_CUENTAS.NOMBRE")", R"("NRO.CUENTA")"}) {
        EXPECT_TRUE(saved.contains(QStringLiteral("<column name=%1").arg(name))) << name;
    }

    const ReportDocument back = loadDocument(path);
    ASSERT_EQ(back.data.columns.size(), doc.data.columns.size());
    for (qsizetype i = 0; i < doc.data.columns.size(); ++i) {
        SCOPED_TRACE(doc.data.columns[i].name.toStdString());
        EXPECT_EQ(back.data.columns[i].id(), doc.data.columns[i].id());
        EXPECT_EQ(back.data.columns[i].kind, doc.data.columns[i].kind);
    }
    EXPECT_EQ(back.data.rows, doc.data.rows);
    ASSERT_EQ(back.subreports.size(), 1);
    EXPECT_EQ(back.subreports[0].data.columnOf({"MA_CUENTAS", "NOMBRE"}), 1);
    EXPECT_EQ(back.subreports[0].data.columnOf({"V_MV_CPTE_OBSERV", "NOMBRE"}), -1);
}

// fetchRows gives the rows with the values of the form's links, each in its linked column,
// beside the report's own column of the same name.
TEST(ColumnIdTest, TheRowsComeWithTheirLinkedColumns) {
    zxtest::TestDatabase database;
    database.exec(
        "INSERT INTO AUX_MV_CPTE (TC, USUARIO, IDCOMPROBANTE, COLUMNA1) VALUES "
        "('FC', 'pc|ana', '000100000001A', 'Tornillo'), ('FC', 'pc|ana', '000100000002A', "
        "'Tuerca');"
        "INSERT INTO AUX_MV_CPTEQR (Usuario, TC, IdComprobante) VALUES "
        "('OTRA|PC', 'FC', '000100000001A')");
    AdoDataSource source(database.connectionString());
    const ReportForm form = parseForm(R"(<report version="1"><data table="AUX_MV_CPTE">
        <link table="AUX_MV_CPTEQR" keys="TC IdComprobante"/>
        <sort field="{AUX_MV_CPTE.IDCOMPROBANTE}"/></data>
      <detail height="5">
        <field x="0" y="0" width="30" height="5" source="{AUX_MV_CPTE.USUARIO}"/>
        <field x="30" y="0" width="30" height="5" source="{AUX_MV_CPTEQR.Usuario}"/>
        <field x="60" y="0" width="30" height="5" source="{AUX_MV_CPTE.COLUMNA1}"/>
      </detail></report>)");

    const ReportData data = fetchRows(form, Selection(), {}, source);
    const int ours = data.columnOf({"AUX_MV_CPTE", "USUARIO"});
    const int theirs = data.columnOf({"AUX_MV_CPTEQR", "USUARIO"});
    const int item = data.columnOf({"AUX_MV_CPTE", "COLUMNA1"});
    ASSERT_GE(ours, 0);
    ASSERT_GE(theirs, 0);
    ASSERT_GE(item, 0);
    EXPECT_EQ(data.columns[theirs].id(), (ColumnId{"AUX_MV_CPTEQR", "Usuario"}));
    ASSERT_EQ(data.rows.size(), 2);
    EXPECT_EQ(data.rows.value(0, ours), vb::Variant("pc|ana"));
    EXPECT_EQ(data.rows.value(0, theirs), vb::Variant("OTRA|PC"));
    EXPECT_EQ(data.rows.value(0, item), vb::Variant("Tornillo"));
    EXPECT_TRUE(data.rows.value(1, theirs).isNull());  // the second voucher has no image row
}

}  // namespace
