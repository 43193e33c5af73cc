#include "send/emailaux.h"

#include "platform/vb/steps.h"
#include "tests/send/report_file.h"
#include "tests/support/fixtures.h"
#include "tests/support/scripted_operator.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// The export draws the PDF, so it runs with the window system (offscreen).
namespace {

void touch(const QString& path) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("x");
}

class ExportaReporteTest : public ::testing::Test {
protected:
    zxtest::ScriptedOperator op;
    QTemporaryDir dir;
};

TEST_F(ExportaReporteTest, ASavedReportBecomesAPdf) {
    const QString rpt = dir.filePath("153000.RPT");
    sendtest::writeSavedReport(rpt);
    const QString pdf = dir.filePath("153000.PDF");
    QString motivo = "sin tocar";
    EXPECT_TRUE(eMailAux::ExportaReporte(rpt, pdf, 31, &motivo));
    EXPECT_TRUE(zxtest::readFile(pdf).startsWith("%PDF"));
    EXPECT_EQ(motivo, QString());
    EXPECT_TRUE(op.prompts().isEmpty());
}

TEST_F(ExportaReporteTest, AMissingReportIsToldOnceAndNothingIsWritten) {
    const QString rpt = dir.filePath("no-existe.RPT");
    const QString pdf = dir.filePath("salida.PDF");
    op.answer(vb::vbOK);
    QString motivo;
    EXPECT_FALSE(eMailAux::ExportaReporte(rpt, pdf, 31, &motivo));
    ASSERT_EQ(op.messages().size(), 1);
    EXPECT_EQ(op.messages()[0].text, QStringLiteral("No se encontró el Reporte: \r\n") + rpt);
    EXPECT_EQ(op.messages()[0].title, QString("Aviso al Operador!!!"));
    EXPECT_EQ(op.messages()[0].icon, int(vb::vbInformation));
    EXPECT_EQ(motivo, QString());
    EXPECT_FALSE(QFile::exists(pdf));
}

TEST_F(ExportaReporteTest, AFileThatIsNotASavedReportFailsWithItsReason) {
    const QString rpt = dir.filePath("roto.RPT");
    touch(rpt);
    const QString pdf = dir.filePath("roto.PDF");
    QString motivo;
    EXPECT_FALSE(eMailAux::ExportaReporte(rpt, pdf, 31, &motivo));
    EXPECT_FALSE(motivo.isEmpty());
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_TRUE(op.prompts().isEmpty());
}

class ExportarArchivoTest : public ExportaReporteTest {};

TEST_F(ExportarArchivoTest, APrintedDocumentBecomesAPdf) {
    const QString rpt = dir.filePath("C0011.RPT");
    sendtest::writeSavedReport(rpt);
    const QString pdf = dir.filePath("C0011.PDF");
    eMailAux::ExportarArchivo(rpt, pdf, 31);
    EXPECT_TRUE(zxtest::readFile(pdf).startsWith("%PDF"));
    EXPECT_TRUE(op.prompts().isEmpty());
}

TEST_F(ExportarArchivoTest, AMissingReportIsToldOnce) {
    const QString rpt = dir.filePath("no-existe.RPT");
    op.answer(vb::vbOK);
    eMailAux::ExportarArchivo(rpt, dir.filePath("salida.PDF"), 31);
    ASSERT_EQ(op.messages().size(), 1);
    EXPECT_EQ(op.messages()[0].text, QStringLiteral("No se encontró el Reporte: \r\n") + rpt);
    EXPECT_EQ(op.messages()[0].title, QString("Aviso al Operador!!!"));
    EXPECT_FALSE(QFile::exists(dir.filePath("salida.PDF")));
}

TEST_F(ExportarArchivoTest, AFailedExportAsksAndRetryRunsItAgain) {
    const QString rpt = dir.filePath("roto.RPT");
    touch(rpt);
    op.answer(vb::vbRetry).answer(vb::vbIgnore);
    eMailAux::ExportarArchivo(rpt, dir.filePath("roto.PDF"), 31);
    ASSERT_EQ(op.messages().size(), 2);
    for (const zxtest::Prompt& p : op.messages()) {
        EXPECT_TRUE(
            p.text.startsWith("Ha ocurrido el siguiente error al intentar exportar el Archivo "));
        EXPECT_EQ(p.title, QString("ExportarArchivo"));
        EXPECT_EQ(p.buttons, int(vb::vbAbortRetryIgnore));
        EXPECT_EQ(p.icon, int(vb::vbQuestion));
    }
    EXPECT_FALSE(QFile::exists(dir.filePath("roto.PDF")));
}

}  // namespace
