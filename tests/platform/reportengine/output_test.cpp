#include "platform/reportengine/adodatasource.h"
#include "platform/reportengine/bandcontent.h"
#include "platform/reportengine/engine.h"
#include "platform/reportengine/errors.h"
#include "platform/reportengine/htmlwriter.h"
#include "platform/reportengine/layout.h"
#include "platform/reportengine/renderer.h"
#include "tests/support/test_database.h"
#include "tests/platform/reportengine/laid_out.h"
#include "tests/platform/reportengine/pdf_text.h"
#include "tests/support/fixtures.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <vector>

namespace {

using namespace reportengine;
using zxtest::LaidOutReport;
using zxtest::layOut;

struct ReportWriter {
    const char* name;
    std::function<void(const QString&)> write;
};

// Every writer of a report file: the saved report, a PDF exported from the saved file, HTML.
std::vector<ReportWriter> reportWriters(const ReportDocument& doc, const QString& saved) {
    return {
        {"saved report", [&doc](const QString& p) { writeReportFile(doc, p, kReportFileType); }},
        {"pdf", [saved](const QString& p) { exportReport(saved, p, kPdfFormat); }},
        {"html", [&doc](const QString& p) { writeReportFile(doc, p, kHtmlFileType); }},
    };
}

QString shippedForm() {
    return QStringLiteral(ZX_BINARY_DIR "/bin/AUX_ERR.rpt");
}

// Rows 1..count, one minute apart from 1 December 2026 08:00, users USR1..USR5, errors by row.
void fillAuxErr(const zxtest::TestDatabase& db, int count) {
    QStringList inserts;
    for (int i = 1; i <= count; ++i) {
        const vb::DateTime when =
            vb::wallClock(QDate(2026, 12, 1), QTime(8, 0)).addSecs(60 * (i - 1));
        inserts.append(
            QStringLiteral("INSERT INTO AUX_ERR (ID, Proceso, fecha, Error, Descripcion, sql, PC, "
                           "Usuario) VALUES (%1, 'Proceso%1', '%2', %3, 'Descripcion del error "
                           "%1', 'UPDATE MA_CUENTAS SET SALDO = 0 WHERE CODIGO = ''%1''', "
                           "'CAJA%4', 'USR%4')")
                .arg(i)
                .arg(when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")))
                .arg(1000 + i)
                .arg(i % 5 + 1));
    }
    db.exec(inserts.join(u';'));
}

class OutputTest : public ::testing::Test {
protected:
    ReportDocument errorLog(const QString& selection, int rows) {
        fillAuxErr(database_, rows);
        RunRequest request;
        request.form = shippedForm();
        request.selection = selection;
        request.assignments = {QStringLiteral("Nombreempresa = 'O'Brien SA'"),
                               QStringLiteral("Ignorada = 'x'")};
        return buildDocument(request, db_);
    }

    zxtest::FixedClock clock_{QDateTime(QDate(2026, 12, 9), QTime(10, 45, 12))};
    zxtest::ScopedLocale locale_{QLocale(QLocale::Spanish, QLocale::Argentina)};
    zxtest::TestDatabase database_;
    AdoDataSource db_{database_.connectionString()};
    QTemporaryDir dir_;
};

TEST_F(OutputTest, ASavedReportExportsToAPdfWithTitleCompanyAndRowsOnSeveralPages) {
    const ReportDocument doc = errorLog(QStringLiteral("{AUX_ERR.fecha} >= Date(2026,12,01)  AND "
                                                       "tonumber({AUX_ERR.ERROR}) <= 1060 "),
                                        90);
    ASSERT_EQ(doc.data.rows.size(), 60);
    EXPECT_EQ(doc.formulas.size(), 1);  // names the form does not use are dropped
    const QString saved = dir_.filePath(QStringLiteral("104512.RPT"));
    writeReportFile(doc, saved, kReportFileType);
    const QString pdf = dir_.filePath(QStringLiteral("104512.PDF"));
    exportReport(saved, pdf, kPdfFormat);

    const QString text = zxtest::pdfText(pdf);
    EXPECT_TRUE(text.contains(QStringLiteral("Informe de Errores")));
    EXPECT_TRUE(text.contains(QStringLiteral("O'Brien SA")));
    EXPECT_TRUE(text.contains(QStringLiteral("01/12/26 08:00")));  // first row, its date format
    EXPECT_TRUE(text.contains(QStringLiteral("Proceso60")));
    EXPECT_TRUE(text.contains(QStringLiteral("1060")));
    EXPECT_FALSE(text.contains(QStringLiteral("Proceso61")));
    const auto pages = QRegularExpression(QStringLiteral("Página 1 de (\\d+)")).match(text);
    ASSERT_TRUE(pages.hasMatch());
    EXPECT_GT(pages.captured(1).toInt(), 1);
    EXPECT_EQ(text.count(u'\f'), pages.captured(1).toInt());
    // Rows come in the form's order (by fecha), each exactly once.
    int last = -1;
    for (int i = 1; i <= 60; ++i) {
        const int at = text.indexOf(QStringLiteral("Proceso%1 ").arg(i));
        EXPECT_GT(at, last) << i;
        last = at;
    }
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files),
              (QStringList{QStringLiteral("104512.PDF"), QStringLiteral("104512.RPT")}));
}

TEST_F(OutputTest, AFailedExportWritesNothing) {
    const ReportDocument doc = errorLog({}, 3);
    const QString saved = dir_.filePath(QStringLiteral("ok.RPT"));
    writeReportFile(doc, saved, kReportFileType);
    struct {
        const char* name;
        QString report;
        QString output;
        long format;
        long error;
    } const cases[] = {
        {"missing report", dir_.filePath("none.RPT"), dir_.filePath("a.pdf"), kPdfFormat,
         err::FormNotFound},
        {"a bare form", shippedForm(), dir_.filePath("b.pdf"), kPdfFormat, err::DocumentInvalid},
        {"another format", saved, dir_.filePath("c.xls"), 25, err::NotSupported},
        {"unwritable folder", saved, dir_.filePath("no/d.pdf"), kPdfFormat, err::WriteFailed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(zxtest::raisedNumber([&] { exportReport(c.report, c.output, c.format); }),
                  c.error);
    }
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("ok.RPT")});
}

// On a real full disk no report file takes the place of the one before it, and each writer
// says so.
TEST_F(OutputTest, OnAFullDiskEveryReportFileKeepsTheOldOne) {
    const ReportDocument doc = errorLog({}, 3);
    const QString saved = dir_.filePath(QStringLiteral("ok.RPT"));
    writeReportFile(doc, saved, kReportFileType);
    for (const ReportWriter& c : reportWriters(doc, saved)) {
        SCOPED_TRACE(c.name);
        const auto run = zxtest::onFullDisk("informe", "anterior", [&](const QString& path) {
            return zxtest::raisedNumber([&] { c.write(path); }) == err::WriteFailed;
        });
        ASSERT_TRUE(run.has_value());
        EXPECT_TRUE(run->answer);
        EXPECT_EQ(run->files.value("informe"), QByteArray("anterior"));
        EXPECT_EQ(run->files.keys(), (QStringList{"informe", "relleno"}));
    }
}

// A large report on a small disk with room left: the writing stops part-way, and still the
// file before it stays whole and the writer says so.
TEST_F(OutputTest, ALargeReportOnASmallDiskKeepsTheOldFile) {
    const ReportDocument doc = errorLog({}, 3000);
    const QString saved = dir_.filePath(QStringLiteral("ok.RPT"));
    writeReportFile(doc, saved, kReportFileType);
    for (const ReportWriter& c : reportWriters(doc, saved)) {
        SCOPED_TRACE(c.name);
        const auto run = zxtest::onSmallDisk(
            [&](const QString& folder) {
                const QString path = QDir(folder).filePath(QStringLiteral("informe"));
                return zxtest::writeFile(path, "anterior") &&
                       zxtest::raisedNumber([&] { c.write(path); }) == err::WriteFailed;
            },
            96 * 1024);
        ASSERT_TRUE(run.has_value());
        EXPECT_TRUE(run->answer);
        EXPECT_EQ(run->files.value("informe"), QByteArray("anterior"));
        EXPECT_EQ(run->files.keys(), QStringList{"informe"});
    }
}

TEST_F(OutputTest, HtmlFileShowsTheSameReport) {
    const ReportDocument doc = errorLog(QStringLiteral("{AUX_ERR.USUARIO} = 'usr2'"), 10);
    const QString path = dir_.filePath(QStringLiteral("Cuenta.htm"));
    writeReportFile(doc, path, kHtmlFileType);
    const QString html = QString::fromUtf8(zxtest::readFile(path));
    EXPECT_TRUE(html.contains(QStringLiteral("<title>Informe de Errores</title>")));
    EXPECT_TRUE(html.contains(QStringLiteral(">O'Brien SA<")));
    EXPECT_TRUE(html.contains(QStringLiteral(">Proceso1<")));
    EXPECT_TRUE(html.contains(QStringLiteral(">Proceso6<")));
    EXPECT_FALSE(html.contains(QStringLiteral(">Proceso2<")));
    EXPECT_TRUE(html.contains(QStringLiteral("Página 1 de 1")));
}

// A page header that grows with its row's text past the page's body is cut where it leaves
// room for a detail: the layout ends, and the detail shows below the header's last line.
TEST_F(OutputTest, APageHeaderThatFillsThePageStillEnds) {
    ReportDocument doc;
    doc.form = parseForm(R"(<report version="1" title="Largo">
        <page width="100" height="60" left="5" top="5" right="5" bottom="5"/>
        <data table="T"/>
        <pageHeader height="6">
          <field x="0" y="0" width="90" height="5" wrap="true" source="{T.Texto}"/>
        </pageHeader>
        <detail height="5"><text x="0" y="0" width="90" height="5">fila</text></detail>
        </report>)");
    QStringList lines;
    for (int i = 1; i <= 40; ++i) lines.append(QStringLiteral("renglon %1").arg(i));
    doc.data.columns = {{"Texto", ColumnKind::Text}};
    doc.data.rows = {{vb::Variant(lines.join(QStringLiteral("\r\n")))}};
    const LaidOutReport laid = layOut(doc);
    ASSERT_EQ(laid.pages.size(), 1);
    // The body keeps the detail's 5 mm above the page's bottom margin at 55 mm.
    QStringList header;
    for (const PageItem& item : laid.pages[0].items) {
        if (item.text == u"fila") {
            EXPECT_GT(item.baseline.y(), 50);
            continue;
        }
        header.append(item.text);
        EXPECT_LE(item.clipped ? item.clip.bottom() : item.baseline.y(), 50 + 1e-9)
            << item.text.toStdString();
    }
    EXPECT_EQ(header, lines.mid(0, header.size()));
    EXPECT_GT(header.size(), 5);
}

// The texts of the body of a report whose pages, 60 mm tall with 5 mm margins, all carry the
// page header "Cabecera" and the footer "Hoja n de N", in order; every line stays inside its
// page's body or its header and footer.
QStringList bodyTexts(const LaidOutReport& laid) {
    QStringList body;
    for (int p = 0; p < laid.pages.size(); ++p) {
        const QString footer = QStringLiteral("Hoja %1 de %2").arg(p + 1).arg(laid.pages.size());
        QStringList bands;
        for (const PageItem& item : laid.pages[p].items) {
            if (item.kind != PageItem::Kind::Text) continue;
            EXPECT_GE(item.baseline.y(), 5) << item.text.toStdString();
            EXPECT_LE(item.baseline.y(), 55) << item.text.toStdString();
            if (item.text == u"Cabecera" || item.text == footer)
                bands.append(item.text);
            else
                body.append(item.text);
        }
        EXPECT_EQ(bands.size(), 2) << "page " << p + 1;
    }
    return body;
}

// The pages of bodyTexts, a row "antes", a row of `lines` in a wrapped field (the field's
// place and font in `field`, such as y="0") taller than a page, and a row "despues".
ReportDocument tallDetail(const QStringList& lines, const QString& field) {
    ReportDocument doc;
    doc.form = parseForm(QStringLiteral(R"(<report version="1" title="Largo">
        <page width="100" height="60" left="5" top="5" right="5" bottom="5"/>
        <data table="T"/>
        <pageHeader height="6"><text x="0" y="0" width="90" height="5">Cabecera</text></pageHeader>
        <detail height="5">
          <field x="0" %1 width="90" height="5" wrap="true" source="{T.Texto}"/>
        </detail>
        <pageFooter height="6">
          <pagenumber x="0" y="0" width="90" height="5">Hoja {page} de {pages}</pagenumber>
        </pageFooter>
        </report>)")
                             .arg(field)
                             .toUtf8());
    doc.data.columns = {{"Texto", ColumnKind::Text}};
    doc.data.rows = {{vb::Variant(QStringLiteral("antes"))},
                     {vb::Variant(lines.join(QStringLiteral("\r\n")))},
                     {vb::Variant(QStringLiteral("despues"))}};
    return doc;
}

TEST_F(OutputTest, ADetailTallerThanAPageContinuesOnTheNextPages) {
    QStringList lines;
    for (int i = 1; i <= 40; ++i) lines.append(QStringLiteral("renglon %1").arg(i));
    const LaidOutReport laid = layOut(tallDetail(lines, QStringLiteral(R"(y="0")")));
    ASSERT_GE(laid.pages.size(), 3);
    QStringList expected = QStringList{QStringLiteral("antes")} + lines;
    expected.append(QStringLiteral("despues"));
    EXPECT_EQ(bodyTexts(laid), expected);
}

// A band taller than the page breaks between its lines, wherever the page's end falls in one
// (by a hair or by most of a line): the line that would cross it starts the next page whole,
// and no line is lost or shown twice.
TEST_F(OutputTest, ABandTallerThanThePageBreaksBetweenItsLinesNeverThroughOne) {
    // The body runs from 11 mm (5 mm margin and the 6 mm header) to 49 mm (the footer).
    constexpr double kBodyTop = 11, kBodyEnd = 49;
    QStringList lines;
    for (int i = 1; i <= 60; ++i) lines.append(QStringLiteral("renglon %1").arg(i));
    // How far below the body's end the first line moved over would have reached, at least.
    double leastCrossing = std::numeric_limits<double>::max();
    for (const int size : {9, 14}) {
        // The text lower in its band a tenth of a millimetre at a time, so that the page's
        // end falls at every height of a line.
        for (int tenths = 0; tenths < 50; ++tenths) {
            SCOPED_TRACE(QStringLiteral("%1 points, %2 mm down")
                             .arg(size)
                             .arg(tenths / 10.0)
                             .toStdString());
            const ReportDocument doc = tallDetail(
                lines, QStringLiteral(R"(y="%1" size="%2")").arg(tenths / 10.0).arg(size));
            const LaidOutReport laid = layOut(doc);
            ASSERT_GE(laid.pages.size(), 3);
            EXPECT_EQ(bodyTexts(laid), QStringList{"antes"} + lines + QStringList{"despues"});
            // Each line whole, inside its page's body: its own box, never cut.
            double lineHeight = 0, pitch = 0;
            for (int p = 0; p < laid.pages.size(); ++p) {
                const PageItem* lowest = nullptr;
                for (const PageItem& item : laid.pages[p].items) {
                    if (!item.text.startsWith(QLatin1String("renglon"))) continue;
                    if (lineHeight == 0) lineHeight = item.clip.height();
                    if (lowest && pitch == 0) pitch = item.clip.top() - lowest->clip.top();
                    EXPECT_FALSE(item.clipped) << item.text.toStdString();
                    EXPECT_NEAR(item.clip.height(), lineHeight, 1e-9) << item.text.toStdString();
                    EXPECT_GE(item.clip.top(), kBodyTop - 1e-9) << item.text.toStdString();
                    EXPECT_LE(item.clip.bottom(), kBodyEnd + 1e-9) << item.text.toStdString();
                    lowest = &item;
                }
                if (lowest && lowest->text != lines.last() && pitch > 0)
                    leastCrossing =
                        std::min(leastCrossing, lowest->clip.bottom() + pitch - kBodyEnd);
            }
        }
    }
    // Some page ended a hair above the bottom of the line that went over.
    EXPECT_GT(leastCrossing, 0);
    EXPECT_LT(leastCrossing, 0.1);
}

// A report header that the first row makes taller than a page goes on over the next pages
// below their page headers, as a detail does, and the details follow it.
TEST_F(OutputTest, AReportHeaderTallerThanAPageContinuesOnTheNextPages) {
    ReportDocument doc;
    doc.form = parseForm(R"(<report version="1" title="Largo">
        <page width="100" height="60" left="5" top="5" right="5" bottom="5"/>
        <data table="T"/>
        <reportHeader height="5">
          <field x="0" y="0" width="90" height="5" wrap="true" source="{T.Texto}"/>
        </reportHeader>
        <pageHeader height="6"><text x="0" y="0" width="90" height="5">Cabecera</text></pageHeader>
        <detail height="5"><field x="0" y="0" width="90" height="5" source="{T.Fila}"/></detail>
        <pageFooter height="6">
          <pagenumber x="0" y="0" width="90" height="5">Hoja {page} de {pages}</pagenumber>
        </pageFooter>
        </report>)");
    QStringList lines;
    for (int i = 1; i <= 40; ++i) lines.append(QStringLiteral("renglon %1").arg(i));
    doc.data.columns = {{"Texto", ColumnKind::Text}, {"Fila", ColumnKind::Text}};
    QStringList rows;
    for (int i = 1; i <= 12; ++i) {
        rows.append(QStringLiteral("fila %1").arg(i));
        doc.data.rows.append({vb::Variant(i == 1 ? lines.join(QStringLiteral("\r\n")) : QString()),
                              vb::Variant(rows.last())});
    }

    const LaidOutReport laid = layOut(doc);
    ASSERT_GE(laid.pages.size(), 3);
    EXPECT_EQ(bodyTexts(laid), lines + rows);
}

// A detail text whose ink reaches below the page body, through a box taller than its band or
// a font taller than its box, is cut at the body's edge: nothing of it lands on the footer.
TEST_F(OutputTest, ATextCrossingIntoTheFooterIsClippedAtTheBodysEdge) {
    const struct {
        const char* name;
        const char* field;
    } cases[] = {
        {"a box reaching below its band",
         R"(<field x="0" y="4" width="90" height="16" size="20" source="{T.Texto}"/>)"},
        {"a font taller than its box",
         R"(<field x="0" y="4" width="90" height="4" size="20" source="{T.Texto}"/>)"},
    };
    // Page 60 mm high with 5 mm margins and a 10 mm footer: the body ends at 45 mm, after five
    // 8 mm details; the footer's own text stands in its lower half.
    constexpr double kBodyEnd = 45;
    constexpr double kDpi = 300;
    const auto pixel = [&](double mm) { return static_cast<int>(mm / 25.4 * kDpi); };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ReportDocument doc;
        doc.form = parseForm(QStringLiteral(R"(<report version="1" title="Pie">
            <page width="100" height="60" left="5" top="5" right="5" bottom="5"/>
            <data table="T"/>
            <detail height="8">%1</detail>
            <pageFooter height="10">
              <pagenumber x="60" y="6" width="30" height="4">Hoja {page}</pagenumber>
            </pageFooter>
            </report>)")
                                 .arg(QString::fromLatin1(c.field))
                                 .toUtf8());
        doc.data.columns = {{"Texto", ColumnKind::Text}};
        for (int i = 1; i <= 6; ++i)
            doc.data.rows.append({vb::Variant(QStringLiteral("Hgjpqy %1").arg(i))});

        const LaidOutReport laid = layOut(doc);
        ASSERT_EQ(laid.pages.size(), 2);
        const QImage page = pageImage(laid.pages[0], laid.width, laid.height, kDpi);
        const auto inked = [&](double fromMm, double toMm) {
            for (int y = pixel(fromMm); y < pixel(toMm); ++y)
                for (int x = 0; x < page.width(); ++x)
                    if (qGray(page.pixel(x, y)) < 200) return true;
            return false;
        };
        // The fifth detail shows above the edge; below it, down to the footer's text, nothing.
        EXPECT_TRUE(inked(kBodyEnd - 2, kBodyEnd - 0.1));
        EXPECT_FALSE(inked(kBodyEnd + 0.1, 50.5));
        EXPECT_TRUE(inked(51, 55));
    }
}

TEST_F(OutputTest, AnEmptyReportIsOnePageWithItsHeaders) {
    const ReportDocument doc = errorLog(QStringLiteral("{AUX_ERR.ERROR} < 0"), 5);
    EXPECT_TRUE(doc.data.rows.isEmpty());
    const QString pdf = dir_.filePath(QStringLiteral("vacio.pdf"));
    PagedReport pages(doc);
    writePdf(pages, pdf);
    const QString text = zxtest::pdfText(pdf);
    EXPECT_TRUE(text.contains(QStringLiteral("Informe de Errores")));
    EXPECT_TRUE(text.contains(QStringLiteral("Página 1 de 1")));
}

// The longest values the error log holds: none of them is cut at its column's edge.
TEST_F(OutputTest, TheShippedFormShowsEveryValueWhole) {
    database_.exec(
        "INSERT INTO AUX_ERR (Proceso, fecha, Error, Descripcion, sql, PC, Usuario) VALUES "
        "('FacturacionElectronicaMasiva', '2026-12-01 08:00', -2147467259, "
        "'No se puede abrir la conexion con el servidor', "
        "'DELETE FROM MV_ASIENTOS WHERE ID IN (41,42,43,44,45,46,47,48,49,50,51,52,53,54,55,56)', "
        "'ADMINISTRACION|VENDEDOR', 'ADMINISTRADOR_DEL_SISTEMA_CENTRAL_DE_VENTAS_00001')");
    RunRequest request;
    request.form = shippedForm();
    const LaidOutReport report = layOut(buildDocument(request, db_));
    QStringList cortados;
    QString texto;
    for (const Page& page : report.pages) {
        for (const PageItem& item : page.items) {
            if (item.kind != PageItem::Kind::Text) continue;
            texto += item.text;
            if (item.clipped) cortados << item.text;
        }
    }
    EXPECT_EQ(cortados, QStringList());
    for (const char* valor :
         {"ADMINISTRACION|VENDEDOR", "-2147467259",
          "ADMINISTRADOR_DEL_SISTEMA_CENTRAL_DE_VENTAS_00001", "FacturacionElectronicaMasiva"}) {
        EXPECT_TRUE(texto.contains(QString::fromLatin1(valor))) << valor;
    }
}

// A long text without blanks breaks after a comma or a parenthesis, not inside a number.
TEST(LayoutTest, TextsWithoutBlanksBreakAfterCommasAndParentheses) {
    ReportDocument doc;
    doc.form = parseForm(R"(<report version="1">
        <page width="100" height="200" left="5" top="5" right="5" bottom="5"/>
        <data table="T"/>
        <font family="DejaVu Sans" size="8"/>
        <detail height="4"><field x="0" y="0" width="31" height="4" wrap="true"
                                  source="{T.S}"/></detail>
        </report>)");
    doc.data.columns = {{QStringLiteral("S"), ColumnKind::Text}};
    const QStringList valores{
        QStringLiteral("WHERE ID IN (41,42,43,44,45,46,47,48,49,50,51,52,53,54,55,56,57,58)"),
        QStringLiteral("SUM(IMPORTE1234567,IMPORTE2345678,IMPORTE3456789,IMPORTE4567890)"),
        QStringLiteral("(1234567890123,(2234567890),3234567890,4234567890)")};
    for (const QString& valor : valores) doc.data.rows.append({vb::Variant(valor)});
    const LaidOutReport report = layOut(doc);
    ASSERT_EQ(report.pages.size(), 1);
    QStringList lineas;
    for (const PageItem& item : report.pages[0].items) {
        if (item.kind == PageItem::Kind::Text) lineas << item.text;
    }
    // Each value is read back from its lines: a line ends at a blank of the value or after a
    // comma or parenthesis.
    int k = 0;
    for (const QString& valor : valores) {
        SCOPED_TRACE(valor.toStdString());
        qsizetype pos = 0;
        while (pos < valor.size() && k < lineas.size()) {
            while (pos < valor.size() && valor[pos] == u' ') ++pos;
            const QString& linea = lineas[k++];
            ASSERT_TRUE(valor.mid(pos).startsWith(linea)) << linea.toStdString();
            pos += linea.size();
            if (pos < valor.size() && valor[pos] != u' ') {
                EXPECT_TRUE(linea.endsWith(u',') || linea.endsWith(u'(') || linea.endsWith(u')'))
                    << linea.toStdString();
            }
        }
        EXPECT_EQ(pos, valor.size());
    }
    EXPECT_GT(lineas.size(), valores.size());
}

TEST(DisplayTextTest, FieldsShowTheirFormat) {
    zxtest::ScopedLocale locale(QLocale(QLocale::Spanish, QLocale::Argentina));
    const vb::Variant when(vb::wallClock(QDate(2026, 12, 9), QTime(23, 59, 30)));
    EXPECT_EQ(displayText(when, QStringLiteral("dd/mm/yy hh:mm")),
              QStringLiteral("09/12/26 23:59"));
    EXPECT_EQ(displayText(vb::Variant(1234.5), QStringLiteral("#,##0.00")),
              QStringLiteral("1.234,50"));
    EXPECT_EQ(displayText(vb::Variant::null(), QStringLiteral("dd/mm/yy")), QString());
    EXPECT_EQ(displayText(vb::Variant(QStringLiteral("texto")), {}), QStringLiteral("texto"));
}

// A form's format is written as its author typed it: a named format with blanks around it is
// still that format, and a one-letter mask is that part alone.
TEST(DisplayTextTest, AFormsFormatsAreReadAsTheirNamesAndMasks) {
    zxtest::ScopedLocale locale(QLocale(QLocale::Spanish, QLocale::Argentina));
    ReportDocument doc;
    doc.form = parseForm(QByteArray(R"(<report version="1">
  <page width="200" height="100" left="5" top="5" right="5" bottom="5"/>
  <data table="T"/>
  <detail height="6">
    <field x="0" y="0" width="40" height="5" source="{T.F}" format=" Short Date "/>
    <field x="45" y="0" width="20" height="5" source="{T.F}" format="d"/>
    <field x="70" y="0" width="40" height="5" source="{T.F}" format="Long Time  "/>
  </detail>
</report>)"));
    doc.data.columns = {{QStringLiteral("F"), ColumnKind::Date}};
    doc.data.rows = {{vb::Variant(vb::wallClock(QDate(2026, 12, 10), QTime(8, 5, 9)))}};
    QStringList texts;
    for (const Page& page : layOut(doc).pages) {
        for (const PageItem& item : page.items) {
            if (item.kind == PageItem::Kind::Text) texts << item.text;
        }
    }
    EXPECT_EQ(texts, (QStringList{"10/12/2026", "10", "08:05:09"}));
}

}  // namespace
