#include "platform/ado/ado.h"
#include "platform/reportengine/adodatasource.h"
#include "platform/reportengine/document.h"
#include "platform/reportengine/engine.h"
#include "platform/reportengine/errors.h"
#include "platform/reportengine/layout.h"
#include "tests/platform/reportengine/pdf_text.h"
#include "tests/support/fixtures.h"
#include "tests/support/test_database.h"

#include <QBuffer>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using namespace reportengine;

// Rows of two vouchers, the image row of each (the second without a QR) and their
// observations; the form shows the first's supply row and hides the second's title row, puts
// each voucher's QR beside its row and its observations below it.
const char* const kForm = R"(<?xml version="1.0" encoding="UTF-8"?>
<report version="1" title="Comprobantes">
  <page size="A4" left="10" top="10" right="10" bottom="10"/>
  <data table="AUX_MV_CPTE">
    <link table="AUX_MV_CPTEQR" keys="TC IdComprobante"/>
    <sort field="{AUX_MV_CPTE.ID}"/>
  </data>
  <detail height="25" when="{AUX_MV_CPTE.TIPO} &lt;&gt; 'XX'">
    <field x="0" y="0" width="60" height="5" when="{AUX_MV_CPTE.TIPO} = 'IN'"
           source="{AUX_MV_CPTE.COLUMNA1}"/>
    <picture x="100" y="0" width="20" height="20" source="{AUX_MV_CPTEQR.QR_AFIP}"/>
    <subreport name="OBS" x="5" y="20" width="90" height="4" links="TC IdComprobante">
      <report version="1" title="Observaciones">
        <data table="V_MV_CPTE_OBSERV"><sort field="{V_MV_CPTE_OBSERV.ID}"/></data>
        <detail height="4">
          <field x="0" y="0" width="90" height="4" source="{V_MV_CPTE_OBSERV.Observacion}"/>
        </detail>
      </report>
    </subreport>
  </detail>
</report>
)";

QByteArray png(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

struct Shown {
    QMap<QString, QPointF> texts;  // text -> baseline
    QList<QRectF> pictures;
};

Shown shown(const LaidOutReport& report) {
    Shown out;
    for (const Page& page : report.pages)
        for (const PageItem& item : page.items) {
            if (item.kind == PageItem::Kind::Text) out.texts.insert(item.text, item.baseline);
            if (item.kind == PageItem::Kind::Picture) out.pictures.append(item.clip);
        }
    return out;
}

class LinkedTest : public ::testing::Test {
protected:
    LinkedTest() {
        database_.exec(
            "INSERT INTO AUX_MV_CPTE (TC, USUARIO, TIPO, IDCOMPROBANTE, IDCOMPLEMENTO, COLUMNA1) "
            "VALUES ('FC  ', 'pc|ana', 'IN', '000100000001A', 0, 'Tornillo'),"
            "('FC  ', 'pc|ana', 'XX', '000100000001A', 0, 'Nota'),"
            "('FC  ', 'pc|ana', 'M', '000100000002A', 0, 'Oculto');"
            "INSERT INTO V_MV_CPTE_OBSERV (TC, IdComprobante, IDCOMPLEMENTO, Observacion) VALUES "
            "('FC', '000100000001A', 0, 'Obs uno'), ('FC', '000100000001A', 0, 'Obs dos'),"
            "('FC', '000100000002A', 0, 'Obs tres'), ('NC', '000100000001A', 0, 'Obs ajena');"
            // The image row of the first voucher was written by another station.
            "INSERT INTO AUX_MV_CPTEQR (Usuario, TC, IdComprobante, muestra_logo) VALUES "
            "('OTRA|PC', 'FC  ', '000100000001A', 'NO'), ('PC|ANA', 'FC  ', '000100000002A', 'NO')");
        ado::Connection c;
        c.Open(database_.connectionString());
        c.Execute("UPDATE AUX_MV_CPTEQR SET QR_AFIP = ? WHERE IdComprobante = '000100000001A'",
                  {vb::Variant(png(40, 20))});
        c.Close();
        zxtest::writeFile(dir_.filePath("vouchers.rpt"), kForm);
    }

    ReportDocument run(const QStringList& subreports) {
        RunRequest request;
        request.form = dir_.filePath("vouchers.rpt");
        request.subreports = subreports;
        return buildDocument(request, db_);
    }

    zxtest::ScopedLocale locale_{QLocale(QLocale::Spanish, QLocale::Argentina)};
    zxtest::TestDatabase database_;
    AdoDataSource db_{database_.connectionString()};
    QTemporaryDir dir_;
};

TEST_F(LinkedTest, RowsShowTheirLinkedPictureAndTheSubreportsTheRunNames) {
    const struct {
        const char* name;
        QStringList subreports;
        bool observations;
    } cases[] = {
        {"named", {"OBS"}, true},
        {"named in another case, beside a name the form does not hold", {" obs ", "NADA"}, true},
        {"none", {}, false},
        {"only a name the form does not hold", {"NADA", ""}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Shown s = shown(layOut(run(c.subreports)));
        EXPECT_TRUE(s.texts.contains("Tornillo"));
        EXPECT_FALSE(s.texts.contains("Oculto"));  // the object's condition
        EXPECT_FALSE(s.texts.contains("Nota"));    // the band's condition
        // The one QR, 40x20 pixels, fitted in its 20 mm square and centred: the second
        // voucher's empty image draws nothing.
        ASSERT_EQ(s.pictures.size(), 1);
        EXPECT_EQ(s.pictures[0], QRectF(110, 15, 20, 10));
        EXPECT_EQ(s.texts.contains("Obs uno"), c.observations);
        EXPECT_EQ(s.texts.contains("Obs dos"), c.observations);
        EXPECT_EQ(s.texts.contains("Obs tres"), c.observations);
        EXPECT_FALSE(s.texts.contains("Obs ajena"));
        if (c.observations) {
            // Two observations from 20 mm grow the first band to 28 mm: the second voucher's
            // single observation lies that far below the first voucher's first one.
            EXPECT_NEAR(s.texts["Obs tres"].y() - s.texts["Obs uno"].y(), 28, 1e-6);
            EXPECT_NEAR(s.texts["Obs dos"].y() - s.texts["Obs uno"].y(), 4, 1e-6);
            EXPECT_NEAR(s.texts["Obs uno"].x(), 15, 1e-6);
        }
    }
}

TEST_F(LinkedTest, ASavedReportKeepsPicturesAndSubreportRowsForThePdf) {
    const ReportDocument doc = run({"OBS"});
    const QString saved = dir_.filePath("saved.RPT");
    writeReportFile(doc, saved, kReportFileType);
    const ReportDocument back = loadDocument(saved);
    const Shown a = shown(layOut(doc)), b = shown(layOut(back));
    EXPECT_EQ(a.texts, b.texts);
    EXPECT_EQ(a.pictures, b.pictures);
    EXPECT_EQ(formToXml(back.form), formToXml(doc.form));

    const QString pdf = dir_.filePath("saved.pdf");
    exportReport(saved, pdf, kPdfFormat);
    const QString text = zxtest::pdfText(pdf);
    for (const char* t : {"Tornillo", "Obs uno", "Obs dos", "Obs tres"})
        EXPECT_TRUE(text.contains(t)) << t << "\n" << text.toStdString();
}

TEST(LinkedFormTest, NewElementsReadBackAsTheyWereWritten) {
    QTemporaryDir dir;
    // The subreport's form from a file beside the main one ends up written inside it.
    zxtest::writeFile(dir.filePath("obs.rpt"),
                      R"(<report version="1" title="Obs"><data table="V_MV_CPTE_OBSERV"/>
                         <detail height="4" when="{V_MV_CPTE_OBSERV.Tipo_Obs} = 'EN'">
                         <field x="0" y="0" width="9" height="4"
                                source="{V_MV_CPTE_OBSERV.Observacion}"/></detail></report>)");
    zxtest::writeFile(dir.filePath("main.rpt"),
                      R"(<report version="1" title="Main"><data table="AUX_MV_CPTE">
                         <link table="AUX_MV_CPTEQR" keys="TC IdComprobante=IDCOMPROBANTE"/>
                         </data><reportFooter height="5">
                         <picture x="1" y="1" width="5" height="5" when="{AUX_MV_CPTE.TIPO} = 'IN'"
                                  source="{AUX_MV_CPTEQR.LOGO_EMPRESA}"/>
                         <subreport name="RP_CpteObs" src="obs.rpt" x="0" y="2" width="9"
                                    height="3" links="TC IdComprobante=IDCOMPROBANTE"/>
                         </reportFooter></report>)");
    const ReportForm form = readForm(dir.filePath("main.rpt"));
    ASSERT_EQ(form.links.size(), 1);
    EXPECT_EQ(form.links[0].keys,
              (QList<KeyLink>{{"TC", "TC"}, {"IdComprobante", "IDCOMPROBANTE"}}));
    ASSERT_EQ(form.subreports().size(), 1);
    const ReportObject& sub = *form.subreports()[0];
    ASSERT_TRUE(sub.subreport);
    EXPECT_EQ(sub.subreport->band(Band::Detail).when, "{V_MV_CPTE_OBSERV.Tipo_Obs} = 'EN'");
    // The keys and the condition's field are read with the report's own rows; the linked
    // table's picture is not.
    QStringList fields;
    for (const FieldRef& f : form.fields()) fields.append(f.text());
    EXPECT_EQ(fields, (QStringList{"{AUX_MV_CPTEQR.LOGO_EMPRESA}", "{AUX_MV_CPTE.TIPO}",
                                   "{AUX_MV_CPTE.TC}", "{AUX_MV_CPTE.IDCOMPROBANTE}"}));
    const QByteArray xml = formToXml(form);
    EXPECT_EQ(formToXml(parseForm(xml)), xml);
}

TEST(LinkedFormTest, BrokenLinkedElementsAreRefused) {
    const struct {
        const char* name;
        const char* inside;  // within <report>, after <data>
        const char* data;    // within <data>
    } cases[] = {
        {"a condition that is no formula", R"(<detail height="4" when="{T.A} ="/>)", ""},
        {"an object condition that is no formula",
         R"(<detail height="4"><text x="0" y="0" width="1" height="1" when="x">a</text></detail>)",
         ""},
        {"a link without keys", "", R"(<link table="Q"/>)"},
        {"a link to the report's own table", "", R"(<link table="T" keys="A"/>)"},
        {"a key without a column", "", R"(<link table="Q" keys="A="/>)"},
        {"a subreport without a name",
         R"(<detail height="4"><subreport x="0" y="0" width="1" height="1" links="A">
            <report version="1"><data table="Q"/></report></subreport></detail>)",
         ""},
        {"a subreport without links",
         R"(<detail height="4"><subreport name="S" x="0" y="0" width="1" height="1">
            <report version="1"><data table="Q"/></report></subreport></detail>)",
         ""},
        {"a subreport without its form",
         R"(<detail height="4"><subreport name="S" x="0" y="0" width="1" height="1" links="A"/>
            </detail>)",
         ""},
        {"a subreport whose file is missing",
         R"(<detail height="4"><subreport name="S" src="none.rpt" x="0" y="0" width="1"
            height="1" links="A"/></detail>)",
         ""},
        {"a subreport inside a subreport",
         R"(<detail height="4"><subreport name="S" x="0" y="0" width="1" height="1" links="A">
            <report version="1"><data table="Q"/><detail height="1"><subreport name="U" x="0"
            y="0" width="1" height="1" links="A"><report version="1"><data table="R"/></report>
            </subreport></detail></report></subreport></detail>)",
         ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray xml = QByteArray(R"(<report version="1"><data table="T">)") + c.data +
                               "</data>" + c.inside + "</report>";
        const auto e = zxtest::raised([&] { parseForm(xml, QDir::tempPath()); });
        ASSERT_TRUE(e.has_value());
        EXPECT_EQ(e->Number, err::FormInvalid) << e->Description.toStdString();
    }
}

}  // namespace
