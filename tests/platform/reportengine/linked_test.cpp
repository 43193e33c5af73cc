#include "platform/ado/ado.h"
#include "platform/reportengine/adodatasource.h"
#include "platform/reportengine/document.h"
#include "platform/reportengine/engine.h"
#include "platform/reportengine/errors.h"
#include "platform/reportengine/layout.h"
#include "tests/platform/reportengine/laid_out.h"
#include "tests/platform/reportengine/pdf_text.h"
#include "tests/support/fixtures.h"
#include "tests/support/pictures.h"
#include "tests/support/test_database.h"

#include <QBuffer>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using namespace reportengine;
using zxtest::LaidOutReport;
using zxtest::layOut;

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
            "('OTRA|PC', 'FC  ', '000100000001A', 'NO'), ('PC|ANA', 'FC  ', '000100000002A', "
            "'NO')");
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

// A picture of an image column larger than a report may draw is refused before anything
// decodes it, naming its column and its row: at the run, which every destination makes, and
// when a saved report that holds one is drawn.
TEST_F(LinkedTest, AnImageColumnsPictureTooLargeIsRefusedNamingItsColumnAndRow) {
    const QString refusal = QStringLiteral(
        "La imagen {AUX_MV_CPTEQR.QR_AFIP} de la fila 3 es demasiado grande: 65535 × 480 "
        "píxeles (se admiten hasta 24 millones)");
    const ReportDocument drawable = run({"OBS"});
    for (const QSize frame : {QSize(65535, 480), QSize(1, 1)}) {
        SCOPED_TRACE(frame.width());
        const QByteArray gif = zxtest::gifAnnouncing({65535, 480}, frame);
        ado::Connection c;
        c.Open(database_.connectionString());
        c.Execute("UPDATE AUX_MV_CPTEQR SET QR_AFIP = ? WHERE IdComprobante = '000100000002A'",
                  {vb::Variant(gif)});
        c.Close();
        const auto atTheRun = zxtest::raised([&] { run({"OBS"}); });
        ASSERT_TRUE(atTheRun.has_value());
        EXPECT_EQ(atTheRun->Number, err::Data);
        EXPECT_EQ(atTheRun->Description, refusal);

        ReportDocument saved = drawable;
        saved.data.rows.set(2, saved.data.columnOf(FieldRef{"AUX_MV_CPTEQR", "QR_AFIP"}),
                            vb::Variant(gif));
        const auto drawn = zxtest::raised([&] { layOut(saved); });
        ASSERT_TRUE(drawn.has_value());
        EXPECT_EQ(drawn->Number, err::Data);
        EXPECT_EQ(drawn->Description, refusal);
    }
}

// One voucher of many lines, each with a series of its own (a subreport) and the voucher's QR
// beside it, the QR a noisy picture that no compression shrinks.
class ManyLinesTest : public ::testing::Test {
protected:
    // The voucher's form; `seriesQr` has each series show the QR of its own row as well.
    static QString form(bool seriesQr) {
        const QString series = seriesQr ? QStringLiteral(R"(<data table="V_MV_CPTE_OBSERV">
              <link table="AUX_MV_CPTEQR" keys="TC IdComprobante"/>
            </data>
            <detail height="4">
              <field x="0" y="0" width="60" height="4" source="{V_MV_CPTE_OBSERV.Observacion}"/>
              <picture x="62" y="0" width="4" height="4" source="{AUX_MV_CPTEQR.QR_AFIP}"/>
            </detail>)")
                                        : QStringLiteral(R"(<data table="V_MV_CPTE_OBSERV"/>
            <detail height="4"><field x="0" y="0" width="70" height="4"
                                      source="{V_MV_CPTE_OBSERV.Observacion}"/></detail>)");
        return QStringLiteral(R"(<report version="1" title="Lineas">
      <page size="A4" left="10" top="10" right="10" bottom="10"/>
      <data table="AUX_MV_CPTE">
        <link table="AUX_MV_CPTEQR" keys="TC IdComprobante"/>
        <sort field="{AUX_MV_CPTE.ID}"/>
      </data>
      <detail height="8">
        <field x="0" y="0" width="80" height="4" source="{AUX_MV_CPTE.COLUMNA1}"/>
        <picture x="170" y="0" width="8" height="8" source="{AUX_MV_CPTEQR.QR_AFIP}"/>
        <subreport name="SERIES" x="90" y="0" width="70" height="4" links="NroViaje=IDARTICULO">
          <report version="1">%1</report>
        </subreport>
      </detail>
    </report>)")
            .arg(series);
    }

    struct Run {
        ReportDocument doc;
        int describes = 0, selects = 0;  // what the report asked of its data
    };

    // A database with `lines` lines; the document the voucher prints (`form`). The series'
    // rows have a QR of their own, `seriesQr_`.
    Run run(int lines, bool seriesQr = false) {
        zxtest::TestDatabase database;
        QStringList rows, series;
        for (int n = 1; n <= lines; ++n) {
            rows.append(
                QStringLiteral("('FC  ', 'IN', '000100000001A', 'Linea %1', 'ART%1')").arg(n));
            series.append(QStringLiteral("('SE', '', 'Serie %1', 'ART%1')").arg(n));
        }
        database.exec(
            QStringLiteral("INSERT INTO AUX_MV_CPTE (TC, TIPO, IDCOMPROBANTE, COLUMNA1, "
                           "IDARTICULO) VALUES ") +
            rows.join(u',') +
            QStringLiteral(";INSERT INTO V_MV_CPTE_OBSERV (TC, IdComprobante, Observacion, "
                           "NroViaje) VALUES ") +
            series.join(u',') +
            QStringLiteral(";INSERT INTO AUX_MV_CPTEQR (TC, IdComprobante) VALUES "
                           "('FC  ', '000100000001A'), ('SE', '')"));
        ado::Connection c;
        c.Open(database.connectionString());
        c.Execute("UPDATE AUX_MV_CPTEQR SET QR_AFIP = ? WHERE TC <> 'SE'", {vb::Variant(qr_)});
        c.Execute("UPDATE AUX_MV_CPTEQR SET QR_AFIP = ? WHERE TC = 'SE'",
                  {vb::Variant(seriesQr_)});
        c.Close();
        zxtest::writeFile(dir_.filePath("lineas.rpt"), form(seriesQr).toUtf8());
        AdoDataSource source(database.connectionString());
        Counting counting(source);
        RunRequest request;
        request.form = dir_.filePath("lineas.rpt");
        request.subreports = {"SERIES"};
        ReportDocument doc = buildDocument(request, counting);
        return {doc, counting.describes, counting.selects};
    }

    // Counts what a report asks of its data.
    struct Counting : DataSource {
        explicit Counting(DataSource& inner) : inner(&inner) {}
        QList<Column> describe(const QString& table) override {
            ++describes;
            return inner->describe(table);
        }
        void select(const QString& sql, const QList<vb::Variant>& parameters,
                    const std::function<void(const QList<vb::Variant>&)>& onRow) override {
            ++selects;
            inner->select(sql, parameters, onRow);
        }
        DataSource* inner;
        int describes = 0, selects = 0;
    };

    static QByteArray noisyPng(quint32 seed) {
        QImage image(120, 120, QImage::Format_RGB32);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                seed = seed * 1664525u + 1013904223u;
                image.setPixel(x, y, seed >> 8);
            }
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        return bytes;
    }

    zxtest::ScopedLocale locale_{QLocale(QLocale::Spanish, QLocale::Argentina)};
    QTemporaryDir dir_;
    QByteArray qr_ = noisyPng(12345);
    QByteArray seriesQr_ = noisyPng(54321);
};

// The lines' series and the voucher's QR come in as many queries for 400 lines as for 40: the
// subreport reads the rows of many keys at once (up to 2,000 a query, which SQL Server's limit
// of parameters allows), a link each distinct key once.
TEST_F(ManyLinesTest, SubreportsAndLinksAreReadInQueriesThatDoNotGrowWithTheLines) {
    const Run few = run(40);
    const Run many = run(400);
    const Run more = run(2500);
    ASSERT_EQ(many.doc.data.rows.size(), 400);
    EXPECT_EQ(many.selects, few.selects);
    EXPECT_EQ(many.describes, few.describes);
    EXPECT_EQ(more.selects, few.selects + 1);
    // Every line still shows its own series.
    const Shown s = shown(layOut(more.doc));
    for (int n : {1, 137, 2000, 2001, 2500}) {
        EXPECT_TRUE(s.texts.contains(QStringLiteral("Linea %1").arg(n))) << n;
        EXPECT_TRUE(s.texts.contains(QStringLiteral("Serie %1").arg(n))) << n;
    }
    EXPECT_EQ(s.pictures.size(), 2500);
}

// A saved report holds the QR once, not once a line, and reads back the same rows.
TEST_F(ManyLinesTest, ASavedReportStoresEachPictureOnce) {
    const ReportDocument doc = run(400).doc;
    const QString saved = dir_.filePath("lineas.RPT");
    writeReportFile(doc, saved, kReportFileType);
    const QByteArray file = zxtest::readFile(saved);
    EXPECT_EQ(file.count(qr_.toBase64()), 1);
    EXPECT_LT(file.size(), 2 * qr_.toBase64().size() + 400 * 1024);

    const ReportDocument back = loadDocument(saved);
    EXPECT_EQ(back.data.rows, doc.data.rows);
    ASSERT_EQ(back.subreports.size(), 1);
    EXPECT_EQ(back.subreports[0].data.rows, doc.subreports[0].data.rows);
    EXPECT_EQ(back.subreports[0].groups().size(), 400);
    EXPECT_EQ(shown(layOut(back)).texts, shown(layOut(doc)).texts);
}

// Pictures in the subreport's rows share the file's pictures with the report's own: each is
// held once and every series reads back with its own QR, not the voucher's.
TEST_F(ManyLinesTest, ASavedReportStoresTheSubreportsPicturesOnceWithTheReportsOwn) {
    const ReportDocument doc = run(40, true).doc;
    ASSERT_EQ(doc.subreports.size(), 1);
    const Rows& series = doc.subreports[0].data.rows;
    ASSERT_EQ(series.size(), 40);
    ASSERT_EQ(series.pictureCount(), 1);
    ASSERT_EQ(series.picture(0), seriesQr_);
    const QString saved = dir_.filePath("lineas.RPT");
    writeReportFile(doc, saved, kReportFileType);
    const QByteArray file = zxtest::readFile(saved);
    EXPECT_EQ(file.count(qr_.toBase64()), 1);
    EXPECT_EQ(file.count(seriesQr_.toBase64()), 1);

    const ReportDocument back = loadDocument(saved);
    EXPECT_EQ(back.data.rows, doc.data.rows);
    ASSERT_EQ(back.subreports.size(), 1);
    EXPECT_EQ(back.subreports[0].data.rows, series);
    EXPECT_EQ(back.subreports[0].groups().size(), 40);
    const Shown before = shown(layOut(doc)), after = shown(layOut(back));
    EXPECT_EQ(after.texts, before.texts);
    EXPECT_EQ(after.pictures, before.pictures);
    EXPECT_EQ(after.pictures.size(), 80);
}

// Two vouchers of 15 lines on pages of 11 lines. The page header shows the first line of its
// page, the page footer the last one, with that line's voucher QR and observations: a
// continuation page carries its voucher's identity.
const char* const kPageBandForm = R"(<?xml version="1.0" encoding="UTF-8"?>
<report version="1" title="Bandas de página">
  <page width="120" height="100" left="5" top="5" right="5" bottom="5"/>
  <data table="AUX_MV_CPTE">
    <link table="AUX_MV_CPTEQR" keys="TC IdComprobante"/>
    <sort field="{AUX_MV_CPTE.ID}"/>
  </data>
  <pageHeader height="10">
    <field x="0" y="0" width="60" height="5" source="{AUX_MV_CPTE.COLUMNA2}"/>
  </pageHeader>
  <detail height="5">
    <field x="0" y="0" width="60" height="5" source="{AUX_MV_CPTE.COLUMNA1}"/>
  </detail>
  <pageFooter height="25">
    <field x="0" y="0" width="60" height="5" source="{AUX_MV_CPTE.COLUMNA3}"/>
    <picture x="80" y="0" width="20" height="20" source="{AUX_MV_CPTEQR.QR_AFIP}"/>
    <subreport name="OBS" x="0" y="6" width="60" height="4" links="TC IdComprobante">
      <report version="1" title="Observaciones">
        <data table="V_MV_CPTE_OBSERV"><sort field="{V_MV_CPTE_OBSERV.ID}"/></data>
        <detail height="4">
          <field x="0" y="0" width="60" height="4" source="{V_MV_CPTE_OBSERV.Observacion}"/>
        </detail>
      </report>
    </subreport>
  </pageFooter>
</report>
)";

TEST(PageBandTest, PageHeaderAndFooterShowTheFirstAndLastRowOfTheirPage) {
    zxtest::ScopedLocale locale{QLocale(QLocale::Spanish, QLocale::Argentina)};
    zxtest::TestDatabase database;
    QStringList rows;
    for (int i = 1; i <= 30; ++i)
        rows.append(QStringLiteral("('FC  ', 'pc|ana', 'IN', '00010000000%1A', 0, 'Linea %2', "
                                   "'Desde %2', 'Hasta %2')")
                        .arg(i <= 15 ? 1 : 2)
                        .arg(i));
    database.exec(
        QStringLiteral("INSERT INTO AUX_MV_CPTE (TC, USUARIO, TIPO, IDCOMPROBANTE, "
                       "IDCOMPLEMENTO, COLUMNA1, COLUMNA2, COLUMNA3) VALUES ") +
        rows.join(u',') +
        QStringLiteral(";INSERT INTO V_MV_CPTE_OBSERV (TC, IdComprobante, Observacion) VALUES "
                       "('FC', '000100000001A', 'Obs uno'), ('FC', '000100000002A', 'Obs dos');"
                       "INSERT INTO AUX_MV_CPTEQR (TC, IdComprobante) VALUES "
                       "('FC  ', '000100000001A'), ('FC  ', '000100000002A')"));
    ado::Connection c;
    c.Open(database.connectionString());
    c.Execute("UPDATE AUX_MV_CPTEQR SET QR_AFIP = ? WHERE IdComprobante = '000100000001A'",
              {vb::Variant(png(40, 20))});
    c.Close();
    QTemporaryDir dir;
    zxtest::writeFile(dir.filePath("bandas.rpt"), kPageBandForm);
    AdoDataSource source(database.connectionString());
    RunRequest request;
    request.form = dir.filePath("bandas.rpt");
    request.subreports = {"OBS"};
    const LaidOutReport report = layOut(buildDocument(request, source));

    ASSERT_EQ(report.pages.size(), 3);
    for (int p = 0; p < report.pages.size(); ++p) {
        SCOPED_TRACE(p + 1);
        QList<int> lines;
        QStringList others;
        int pictures = 0;
        for (const PageItem& item : report.pages[p].items) {
            if (item.kind == PageItem::Kind::Picture) ++pictures;
            if (item.kind != PageItem::Kind::Text) continue;
            if (item.text.startsWith("Linea "))
                lines.append(item.text.mid(6).toInt());
            else
                others.append(item.text);
        }
        ASSERT_FALSE(lines.isEmpty());
        // Lines 1 to 15 are the first voucher's, which alone has a QR.
        const bool first = lines.back() <= 15;
        EXPECT_EQ(others, (QStringList{QStringLiteral("Desde %1").arg(lines.front()),
                                       QStringLiteral("Hasta %1").arg(lines.back()),
                                       first ? "Obs uno" : "Obs dos"}));
        EXPECT_EQ(pictures, first ? 1 : 0);
    }
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

// Purchase vouchers in the work table and the account of each in the purchase view: the first
// with an account, the second with another, the third with a Null one, the fourth without a
// row there, and a credit note sharing the first one's number.
class LinkedSelectionTest : public ::testing::Test {
protected:
    LinkedSelectionTest() {
        database_.exec(
            "INSERT INTO AUX_MV_CPTE (TC, USUARIO, TIPO, IDCOMPROBANTE, IDCOMPLEMENTO, COLUMNA1) "
            "VALUES ('FCC ', 'pc|ana', 'IN', '000200000001A', 0, 'Uno'),"
            "('FCC ', 'pc|ana', 'IN', '000200000001A', 0, 'Uno bis'),"
            "('FCC ', 'pc|ana', 'IN', '000200000002A', 0, 'Dos'),"
            "('FCC ', 'pc|ana', 'IN', '000200000003A', 0, 'Tres'),"
            "('FCC ', 'pc|ana', 'IN', '000200000004A', 0, 'Cuatro'),"
            "('NCC ', 'pc|ana', 'IN', '000200000001A', 0, 'Nota');"
            "INSERT INTO C_MV_CPTE (TC, IDCOMPROBANTE, CUENTA) VALUES "
            "('FCC', '000200000001A', 'C001'), ('FCC', '000200000002A', 'C002'),"
            "('FCC', '000200000003A', NULL), ('NCC', '000200000001A', 'C003')");
    }

    // A form on the work table linking the purchase view; `aliases` the attribute that names
    // the view as an alias too, `shown` more objects of the detail.
    static QByteArray form(const char* aliases, const char* shown) {
        return QByteArray(R"(<report version="1" title="Compras"><data table="AUX_MV_CPTE")") +
               aliases + R"(><link table="C_MV_CPTE" keys="TC IDCOMPROBANTE"/>
               <sort field="{AUX_MV_CPTE.ID}"/></data><detail height="5">
               <field x="0" y="0" width="60" height="5" source="{AUX_MV_CPTE.COLUMNA1}"/>)" +
               shown + "</detail></report>";
    }

    ReportDocument run(const QByteArray& xml, const QString& selection) {
        zxtest::writeFile(dir_.filePath("compras.rpt"), xml);
        RunRequest request;
        request.form = dir_.filePath("compras.rpt");
        request.selection = selection;
        return buildDocument(request, db_);
    }

    static QStringList printed(const ReportDocument& doc) {
        QStringList out;
        const int column = doc.data.columnOf(FieldRef{"AUX_MV_CPTE", "COLUMNA1"});
        for (const auto& row : doc.data.rows) out.append(row.at(column).string());
        return out;
    }

    zxtest::TestDatabase database_;
    AdoDataSource db_{database_.connectionString()};
    QTemporaryDir dir_;
};

TEST_F(LinkedSelectionTest, TermsOnALinkedTableSelectByTheLinkedRow) {
    const QString mailing =
        "{C_MV_CPTE.CUENTA}= 'C001' AND {C_MV_CPTE.IDCOMPROBANTE} = "
        "'000200000001A' AND {C_MV_CPTE.TC} = 'FCC'";
    const struct {
        const char* name;
        QString selection;
        QStringList aliased;  // the form names the view as an alias too
        QStringList linked;   // the form only links it
    } cases[] = {
        {"the account", "{C_MV_CPTE.CUENTA}= 'C001'", {"Uno", "Uno bis"}, {"Uno", "Uno bis"}},
        {"the account as the database compares texts",
         "{C_MV_CPTE.CUENTA} = 'c001  '",
         {"Uno", "Uno bis"},
         {"Uno", "Uno bis"}},
        {"names in another case",
         "{c_mv_cpte.cuenta} = 'C001'",
         {"Uno", "Uno bis"},
         {"Uno", "Uno bis"}},
        {"the mailing's selection", mailing, {"Uno", "Uno bis"}, {"Uno", "Uno bis"}},
        {"the voucher of another account",
         "{C_MV_CPTE.CUENTA}= 'C002' AND {C_MV_CPTE.IDCOMPROBANTE} = '000200000001A' AND "
         "{C_MV_CPTE.TC} = 'FCC'",
         {},
         {}},
        {"both keys link", "{C_MV_CPTE.CUENTA} = 'C003'", {"Nota"}, {"Nota"}},
        {"a Null account and a missing row compare false",
         "{C_MV_CPTE.CUENTA} <> 'C001'",
         {"Dos", "Nota"},
         {"Dos", "Nota"}},
        {"and NOT of false is true",
         "NOT {C_MV_CPTE.CUENTA} = 'C001'",
         {"Dos", "Tres", "Cuatro", "Nota"},
         {"Dos", "Tres", "Cuatro", "Nota"}},
        {"beside a term of the work table",
         "{C_MV_CPTE.CUENTA} LIKE 'c00*' AND {AUX_MV_CPTE.COLUMNA1} LIKE '*o'",
         {"Uno"},
         {"Uno"}},
        {"inside a function",
         "TrimRight({C_MV_CPTE.CUENTA}) >= 'C002'",
         {"Dos", "Nota"},
         {"Dos", "Nota"}},
        // The alias reads the voucher number from the work table, which has it for the voucher
        // the view lacks; the bare link reads it from the view.
        {"the work table's columns come first under an alias",
         "{C_MV_CPTE.CUENTA} = 'C002' OR {C_MV_CPTE.IDCOMPROBANTE} = '000200000004A'",
         {"Dos", "Cuatro"},
         {"Dos"}},
    };
    const struct {
        const char* name;
        QByteArray xml;
        bool aliased;
    } forms[] = {
        {"aliased", form(R"( aliases="C_MV_CPTE")", ""), true},
        {"aliased, showing the account",
         form(R"( aliases="C_MV_CPTE")",
              R"(<field x="60" y="0" width="20" height="5" source="{C_MV_CPTE.CUENTA}"/>)"),
         true},
        {"linked", form("", ""), false},
    };
    for (const auto& f : forms) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(f.name) + ": " + c.name);
            const ReportDocument doc = run(f.xml, c.selection);
            EXPECT_EQ(printed(doc), f.aliased ? c.aliased : c.linked);
        }
    }
    // The shown account is the linked row's, Null where there is none.
    const ReportDocument doc =
        run(forms[1].xml, "NOT {C_MV_CPTE.CUENTA} = 'C001' AND {AUX_MV_CPTE.TC} = 'FCC'");
    const int cuenta = doc.data.columnOf(FieldRef{"C_MV_CPTE", "CUENTA"});
    ASSERT_GE(cuenta, 0);
    ASSERT_EQ(doc.data.rows.size(), 3);
    EXPECT_EQ(doc.data.rows[0].at(cuenta).string(), QString("C002"));
    EXPECT_TRUE(doc.data.rows[1].at(cuenta).isNull());
    EXPECT_TRUE(doc.data.rows[2].at(cuenta).isNull());
}

TEST_F(LinkedSelectionTest, TheWorkTablesTermsStillGoToTheDatabaseBound) {
    const ReportQuery q =
        buildQuery(parseForm(form(R"( aliases="C_MV_CPTE")", "")),
                   Selection::parse("{C_MV_CPTE.CUENTA}= 'C001' AND {C_MV_CPTE.IDCOMPROBANTE} = "
                                    "'000200000001A' AND {C_MV_CPTE.TC} = 'FCC'"),
                   {}, db_);
    EXPECT_TRUE(q.filterInMemory);
    EXPECT_FALSE(q.sql.contains("CUENTA", Qt::CaseInsensitive)) << q.sql.toStdString();
    EXPECT_TRUE(q.sql.contains("WHERE [IDCOMPROBANTE] = ? AND [TC] = ?")) << q.sql.toStdString();
    EXPECT_EQ(q.parameters, (QList<vb::Variant>{vb::Variant(QString("000200000001A")),
                                                vb::Variant(QString("FCC"))}));
}

// A link is checked when the report reads its form, even where no field uses it yet: its
// table and both columns of each key must exist, and the error names the link.
TEST_F(LinkedSelectionTest, EveryLinkIsCheckedWhenTheFormIsRead) {
    const struct {
        const char* link;
        const char* missing;
    } cases[] = {
        {R"(<link table="NO_EXISTE" keys="TC"/>)", "NO_EXISTE"},
        {R"(<link table="AUX_MV_CPTEQR" keys="TC NADA"/>)", "{AUX_MV_CPTEQR.NADA}"},
        {R"(<link table="AUX_MV_CPTEQR" keys="TC IdComprobante=NADA"/>)", "{AUX_MV_CPTE.NADA}"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.link);
        const QByteArray xml =
            QByteArray(R"(<report version="1"><data table="AUX_MV_CPTE">)") + c.link +
            R"(</data><detail height="5"><field x="0" y="0" width="60" height="5"
               source="{AUX_MV_CPTE.COLUMNA1}"/></detail></report>)";
        const auto e = zxtest::raised([&] { run(xml, {}); });
        ASSERT_TRUE(e.has_value());
        EXPECT_EQ(e->Number, err::Field) << e->Description.toStdString();
        const QString table = QString::fromUtf8(c.link).section(u'"', 1, 1);
        EXPECT_TRUE(e->Description.contains(QStringLiteral("enlace con %1").arg(table)))
            << e->Description.toStdString();
        EXPECT_TRUE(e->Description.contains(c.missing)) << e->Description.toStdString();
    }
}

TEST_F(LinkedSelectionTest, AColumnNeitherTableHasIsRefused) {
    for (const char* aliases : {R"( aliases="C_MV_CPTE")", ""}) {
        SCOPED_TRACE(aliases);
        const auto e = zxtest::raised([&] { run(form(aliases, ""), "{C_MV_CPTE.NADA} = 'x'"); });
        ASSERT_TRUE(e.has_value());
        EXPECT_EQ(e->Number, err::Field) << e->Description.toStdString();
        EXPECT_TRUE(e->Description.contains("NADA")) << e->Description.toStdString();
    }
}

// A subreport's rows are found by any key the same as theirs: numbers by value whatever their
// type and size, texts without regard to case or trailing blanks, a number and a text by the
// number's text.
TEST(SubreportGroupTest, AGroupIsFoundByEveryKeyTheSameAsItsOwn) {
    using vb::Variant;
    const QString text = QStringLiteral("Texto");
    const struct {
        const char* name;
        QList<Variant> stored, asked;
        bool same;
    } cases[] = {
        {"a whole number as a double", {Variant(1000000000000000LL)}, {Variant(1e15)}, true},
        {"a double as a whole number", {Variant(1e15)}, {Variant(1000000000000000LL)}, true},
        {"past a double's exact numbers",
         {Variant(9007199254740993LL)},
         {Variant(9007199254740992.0)},
         true},
        {"a large negative one",
         {Variant(-123456789012345678LL)},
         {Variant(-1.2345678901234568e17)},
         true},
        {"currency and double",
         {Variant(vb::Currency::fromScaled(125000))},
         {Variant(12.5)},
         true},
        {"zero and minus zero", {Variant(std::int16_t(0))}, {Variant(-0.0)}, true},
        {"a double and its text", {Variant(1e15)}, {Variant(QStringLiteral("1E+15"))}, true},
        {"a whole number and its text",
         {Variant(QStringLiteral("1000000000000000  "))},
         {Variant(1000000000000000LL)},
         true},
        {"texts and numbers together",
         {Variant(1000000000000000LL), Variant(text + QStringLiteral("  "))},
         {Variant(1e15), Variant(text.toUpper())},
         true},
        {"numbers one apart", {Variant(1000000000000001LL)}, {Variant(1e15)}, false},
        {"a text that only reads as the number",
         {Variant(QStringLiteral("1,0"))},
         {Variant(1)},
         false},
        {"Null", {Variant::null()}, {Variant::null()}, false},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(sameKey(c.stored, c.asked), c.same) << c.name;
        SubreportData sub;
        sub.addGroup({c.stored, 0, 0});
        const SubreportData::Group* found = sub.groupOf(c.asked);
        EXPECT_EQ(found != nullptr, c.same) << c.name;
        if (found) {
            EXPECT_EQ(found->key, c.stored) << c.name;
        }
    }
}

}  // namespace
