#include "platform/reportengine/previewwindow.h"
#include "platform/reportengine/printing.h"
#include "tests/platform/reportengine/report_cases.h"
#include "tests/platform/reportengine/spill_files.h"
#include "tests/support/print_spooler.h"
#include "tests/support/scripted_operator.h"

#include <QPushButton>

#include <gtest/gtest.h>

namespace {

using retest::CaseWorld;
using retest::ReportCase;

// The first line where a PDF's contents leave the kept ones, rather than both whole.
void expectKept(const QString& pdf, const ReportCase& c) {
    const QStringList expected =
        QString::fromUtf8(zxtest::readFile(retest::expectedFile(c.name))).split(u'\n');
    ASSERT_GT(expected.size(), 1) << "no kept text for " << c.name.toStdString();
    const QStringList shown = retest::pdfContents(pdf).split(u'\n');
    for (qsizetype i = 0; i < std::min(expected.size(), shown.size()); ++i) {
        if (shown[i] != expected[i]) {
            ADD_FAILURE() << "line " << i + 1 << "\n  kept:  " << expected[i].toStdString()
                          << "\n  shown: " << shown[i].toStdString();
            return;
        }
    }
    EXPECT_EQ(shown.size(), expected.size());
}

// The case run to the screen, whose preview exports it to a PDF and closes; the PDF.
QString exportedFromScreen(CaseWorld& world) {
    const QString pdf = world.file(QStringLiteral("pantalla.pdf"));
    zxtest::ScriptedOperator op;
    op.form([](QDialog& preview) {
        preview.findChild<QPushButton*>(QStringLiteral("exportButton"))->click();
        preview.findChild<QPushButton*>(QStringLiteral("closeButton"))->click();
        return preview.result();
    });
    op.saveFile(pdf);
    world.reporter().Destino = world.reporter().DestinoPantalla();
    world.run();
    return pdf;
}

// The same report shows the same text, page breaks, page numbers and pictures wherever it
// goes: to a saved report exported to a PDF (the mail output), to the printer, and to the
// screen, whose preview exports it.
TEST(ReportOutputsTest, EveryDestinationPrintsTheKeptText) {
    reportengine::services().preview = reportengine::showPreviewWindow;
    reportengine::services().print = reportengine::printOnNamedPrinter;
    for (const ReportCase& c : retest::reportCases()) {
        SCOPED_TRACE(c.name.toStdString());
        {
            SCOPED_TRACE("mail output");
            CaseWorld world(c);
            expectKept(world.exportedPdf(), c);
        }
        {
            SCOPED_TRACE("printer");
            zxtest::PrintSpooler spooler;
            CaseWorld world(c);
            world.reporter().Destino = world.reporter().DestinoImpresora();
            world.reporter().DatoImpresora2 = zxtest::PrintSpooler::defaultQueue();
            world.run();
            const QList<zxtest::PrintedJob> jobs =
                spooler.waitForJobs(zxtest::PrintSpooler::defaultQueue(), 1);
            ASSERT_EQ(jobs.size(), 1) << spooler.log().toStdString();
            expectKept(jobs[0].pdf, c);
        }
        {
            SCOPED_TRACE("screen");
            CaseWorld world(c);
            expectKept(exportedFromScreen(world), c);
        }
    }
}

// With their rows in the temporary file (a memory budget every case goes past), the mail output
// and the screen print the kept text all the same, and the file goes with each run: also when
// the operator closes the preview before it has counted the pages.
TEST(ReportOutputsTest, RowsInTheTemporaryFilePrintTheKeptText) {
    reportengine::services().preview = reportengine::showPreviewWindow;
    const retest::SpillFolder folder(1);
    for (const ReportCase& c : retest::reportCases()) {
        SCOPED_TRACE(c.name.toStdString());
        {
            SCOPED_TRACE("mail output");
            CaseWorld world(c);
            expectKept(world.exportedPdf(), c);
        }
        EXPECT_EQ(folder.openFiles(), QList<int>());
        {
            SCOPED_TRACE("screen");
            CaseWorld world(c);
            expectKept(exportedFromScreen(world), c);
        }
        {
            SCOPED_TRACE("preview closed at once");
            CaseWorld world(c);
            zxtest::ScriptedOperator op;
            op.form([](QDialog& preview) {
                preview.findChild<QPushButton*>(QStringLiteral("closeButton"))->click();
                return preview.result();
            });
            world.reporter().Destino = world.reporter().DestinoPantalla();
            world.run();
        }
        EXPECT_EQ(folder.openFiles(), QList<int>());
        EXPECT_EQ(folder.names(), QStringList());
    }
}

}  // namespace
