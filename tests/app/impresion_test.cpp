// The error report printed for real: the program on the demo data sends it through a private
// print spooler, and what the spooler's queue receives is set against the program's own PDF.
#include "app/arranque.h"

#include "tests/support/fixtures.h"
#include "tests/support/print_spooler.h"
#include "tests/support/scripted_operator.h"

#include "db/db_dll.h"
#include "demo/demodata.h"
#include "platform/reportengine/previewwindow.h"
#include "platform/toolbar/tbarrep.h"
#include "platform/vb/steps.h"
#include "platform/vendrix/clsreporte.h"
#include "platform/vendrix/controlarray.h"
#include "report/ui/frmzentrik.h"
#include "send/frmenviar.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// Pages are compared rendered at this resolution, where a spooler's re-encoding of the same
// drawing changes next to no pixel and a shifted, scaled or missing line changes many.
constexpr int kDpi = 24;
constexpr double kTolerance = 0.01;

// The program on the demo databases, with a private spooler standing where the printers are.
class ImpresionTest : public ::testing::Test {
protected:
    ImpresionTest() {
        qputenv("temp", folder.path().toLocal8Bit());
        qputenv("tmp", folder.path().toLocal8Bit());
        EXPECT_TRUE(QFile::copy(zxtest::sourcePath("platform/reportengine/forms/AUX_ERR.rpt"),
                                folder.file("AUX_ERR.rpt")));
        QString error;
        EXPECT_TRUE(demo::createDatabases(folder.file("demo"), QDate(2026, 12, 9), &error))
            << error.toStdString();
        arranque::instalaServicios();
        form = std::make_unique<frmZentrik>(
            QStringLiteral("@Server=sqlite:%1;@DbName=DEMO;@Usuario=demo;@Password=demo;")
                .arg(folder.file("demo")));
        form->Form_Load();
        form->show();
        QApplication::setActiveWindow(form.get());
    }
    ~ImpresionTest() override {
        form.reset();
        gReporte() = clsReporte();
        for (DB_Dll* db : {&gDB(), &gDBEstadisticas()}) {
            if (db->gCnn.State() != 0) db->gCnn.Close();
            db->gOpenFlag = false;
        }
    }

    QLineEdit* campo(const char* dataField) {
        for (QWidget* w : vendrix::controlArray(*form, "txtfields")) {
            if (vendrix::dataField(*w).compare(dataField, Qt::CaseInsensitive) == 0)
                return qobject_cast<QLineEdit*>(w);
        }
        ADD_FAILURE() << "no field " << dataField;
        return nullptr;
    }
    // The operator presses a function key in the first date field.
    void tecla(Qt::Key key) {
        QLineEdit* caja = campo("FechaDesde");
        caja->setFocus();
        QTest::keyClick(caja, key);
    }
    // The program's own PDF of the same selection: the mail output's attachment.
    QString exportado() {
        const QString pdf = folder.file("exportado.pdf");
        op.form([&](QDialog& d) {
            auto& dialogo = dynamic_cast<FrmEnviar&>(d);
            dialogo.show();
            QApplication::processEvents();
            EXPECT_TRUE(QFile::copy(dialogo.archAdjunto, pdf));
            dialogo.close();
            return 0;
        });
        tecla(Qt::Key_F7);
        return pdf;
    }
    // The job's document and the export: the same pages, each drawn alike.
    void mismasPaginas(const QString& impreso, const QString& propio) {
        const QList<zxtest::PdfPage> paginas = zxtest::pdfPages(propio);
        ASSERT_GT(paginas.size(), 1);
        EXPECT_EQ(zxtest::pdfPages(impreso), paginas);
        // The form is landscape: the paper must come out that way.
        EXPECT_GT(paginas[0].width, paginas[0].height);
        const QList<QImage> a = zxtest::renderedPages(impreso, kDpi);
        const QList<QImage> b = zxtest::renderedPages(propio, kDpi);
        ASSERT_EQ(a.size(), b.size());
        for (int i = 0; i < a.size(); ++i) {
            SCOPED_TRACE(i + 1);
            EXPECT_LT(zxtest::pageDifference(a[i], b[i]), kTolerance);
        }
    }

    zxtest::PrintSpooler spooler;
    zxtest::ProgramFolder folder;
    zxtest::FixedStation station{QStringLiteral("CAJA1"), QStringLiteral("ANA")};
    zxtest::FixedClock clock{QDateTime(QDate(2026, 12, 9), QTime(15, 30, 0))};
    zxtest::ScriptedOperator op;
    std::unique_ptr<frmZentrik> form;
};

TEST_F(ImpresionTest, F6PrintsTheReportOnTheDefaultPrinterOrTheOneNamed) {
    const struct {
        const char* caso;
        const char* nombrada;  // the report printer's printer text, as a voucher may leave it
        const char* cola;
    } casos[] = {{"default", "", "ZX-PDF"}, {"named", "ZX-OTRA", "ZX-OTRA"}};
    const QString propio = exportado();
    int trabajos = 0;
    for (const auto& c : casos) {
        SCOPED_TRACE(c.caso);
        gReporte().DatoImpresora2 = QString::fromLatin1(c.nombrada);
        tecla(Qt::Key_F6);
        ++trabajos;
        const QList<zxtest::PrintedJob> hechos =
            spooler.waitForJobs(QString::fromLatin1(c.cola), 1);
        ASSERT_EQ(hechos.size(), 1) << spooler.log().toStdString();
        EXPECT_EQ(hechos[0].title, QStringLiteral("Informe de Errores"));
        mismasPaginas(hechos[0].pdf, propio);
        EXPECT_EQ(spooler.finishedJobs(), trabajos);
    }
    EXPECT_EQ(spooler.unfinishedJobs(), 0);
    EXPECT_TRUE(op.messages().isEmpty());
}

// A queue that would hold the job or refuse it, one that refuses this user only when the job
// comes, and a name the spooler does not know: the
// error dialog says which printer and why, nothing stays in the spooler, and the next report
// prints.
TEST_F(ImpresionTest, APrinterThatCannotTakeTheJobIsToldAndLeavesNoJob) {
    const struct {
        const char* nombre;
        const char* motivo;
    } casos[] = {{"ZX-PAUSADA", "detenida"},
                 {"ZX-RECHAZA", "no acepta trabajos"},
                 {"ZX-PROHIBIDA", "no aceptó el trabajo"},
                 {"ZX-NINGUNA", "No se encuentra la impresora"}};
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nombre);
        const int antes = op.messages().size();
        gReporte().DatoImpresora2 = QString::fromLatin1(c.nombre);
        op.answer(vb::vbAbort);
        tecla(Qt::Key_F6);
        ASSERT_EQ(op.messages().size(), antes + 1) << spooler.log().toStdString();
        const zxtest::Prompt aviso = op.messages().last();
        EXPECT_TRUE(aviso.title.contains("GeneraInforme")) << aviso.title.toStdString();
        EXPECT_TRUE(aviso.text.contains(QString::fromLatin1(c.nombre)))
            << aviso.text.toStdString();
        EXPECT_TRUE(aviso.text.contains(QString::fromUtf8(c.motivo))) << aviso.text.toStdString();
        EXPECT_EQ(spooler.unfinishedJobs(), 0);
        EXPECT_EQ(spooler.finishedJobs(), 0);
    }
    gReporte().DatoImpresora2.clear();
    tecla(Qt::Key_F6);
    EXPECT_EQ(spooler.waitForJobs(zxtest::PrintSpooler::defaultQueue(), 1).size(), 1);
    EXPECT_EQ(op.messages().size(), 4);
}

// The preview's "Imprimir" sends the pages shown to the printer chosen in the print dialog.
TEST_F(ImpresionTest, ThePreviewPrintsThePagesItShows) {
    const QString propio = exportado();
    int mostradas = 0;
    op.form([&](QDialog& d) {
        auto* vista = qobject_cast<reportengine::PreviewWindow*>(&d);
        EXPECT_NE(vista, nullptr);
        if (!vista) return 0;
        op.form([](QDialog& dialogo) {
            auto* impresion = qobject_cast<QPrintDialog*>(&dialogo);
            EXPECT_NE(impresion, nullptr);
            if (!impresion) return int(QDialog::Rejected);
            impresion->printer()->setPrinterName(QStringLiteral("ZX-OTRA"));
            return int(QDialog::Accepted);
        });
        QTest::mouseClick(vista->findChild<QPushButton*>(QStringLiteral("printButton")),
                          Qt::LeftButton);
        // Printing counted every page, as the preview then shows.
        EXPECT_TRUE(vista->pageCountKnown());
        mostradas = vista->pageCount();
        return 0;
    });
    tecla(Qt::Key_F5);
    const QList<zxtest::PrintedJob> hechos = spooler.waitForJobs(QStringLiteral("ZX-OTRA"), 1);
    ASSERT_EQ(hechos.size(), 1) << spooler.log().toStdString();
    EXPECT_EQ(zxtest::pdfPages(hechos[0].pdf).size(), mostradas);
    mismasPaginas(hechos[0].pdf, propio);
    EXPECT_EQ(spooler.finishedJobs(), 1);
    EXPECT_TRUE(op.messages().isEmpty());
}

}  // namespace
