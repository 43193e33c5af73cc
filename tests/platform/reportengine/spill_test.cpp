#include "platform/reportengine/adodatasource.h"
#include "platform/reportengine/engine.h"
#include "platform/reportengine/errors.h"
#include "platform/reportengine/layout.h"
#include "platform/reportengine/renderer.h"
#include "tests/platform/reportengine/pdf_text.h"
#include "tests/platform/reportengine/spill_files.h"
#include "tests/support/fixtures.h"
#include "tests/support/test_database.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using namespace reportengine;

// The error log of `rows` rows, one every 15 seconds, with descriptions of 1 to 40 words and
// statements of 1 to 4 lines, as the suite's programs log them.
void fillErrorLog(const zxtest::TestDatabase& db, int rows) {
    db.writeAsAnotherProgram(
        QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1), "
            "w(i, k, d) AS (SELECT i, 0, 'Descripción ' || i FROM n UNION ALL "
            "  SELECT i, k + 1, d || ' palabra' || ((i * 7 + k) % 97) FROM w WHERE k < i % 40) "
            "INSERT INTO AUX_ERR (Proceso, fecha, Error, Descripcion, sql, PC, Usuario) "
            "SELECT 'Proceso' || (i % 12), datetime('2026-01-01', '+' || (i * 15) || ' seconds'), "
            "(i % 8) * 1000 + 208, d, "
            "substr('UPDATE MA_CUENTAS SET SALDO = 0' || char(13, 10) || 'WHERE CODIGO = 1' || "
            "char(13, 10) || 'AND ID = ' || i || char(13, 10) || 'AND PC = 2', 1, 31 + (i % 4) * "
            "20), "
            "'CAJA' || (i % 9), 'USR' || (i % 15) FROM w WHERE k = i % 40")
            .arg(rows));
}

struct Laid {
    QString text;
    QPointF baseline;
    friend bool operator==(const Laid& a, const Laid& b) {
        return a.text == b.text && a.baseline == b.baseline;
    }
};

QList<Laid> laid(const Page& page) {
    QList<Laid> out;
    for (const PageItem& item : page.items)
        if (item.kind == PageItem::Kind::Text) out.append({item.text, item.baseline});
    return out;
}

class SpillTest : public ::testing::Test {
protected:
    static constexpr int kRows = 3000;

    SpillTest() { fillErrorLog(database_, kRows); }

    ReportDocument errorLog(const QString& form = QStringLiteral(ZX_BINARY_DIR
                                                                 "/bin/AUX_ERR.rpt")) {
        RunRequest request;
        request.form = form;
        request.assignments = {QStringLiteral("Nombreempresa = 'Pruebas SA'")};
        return buildDocument(request, db_);
    }

    zxtest::FixedClock clock_{QDateTime(QDate(2026, 12, 9), QTime(10, 45, 12))};
    zxtest::ScopedLocale locale_{QLocale(QLocale::Spanish, QLocale::Argentina)};
    zxtest::TestDatabase database_;
    AdoDataSource db_{database_.connectionString()};
    QTemporaryDir dir_;
};

// A report whose rows live in the temporary file lays out every page as the same report with
// its rows in memory, in whatever order the pages are asked for (the preview jumps), and gives
// the same PDF, straight or through a saved report read back with its rows in the file too;
// the file goes with the report.
TEST_F(SpillTest, RowsInTheFileLayOutTheSamePagesInAnyOrder) {
    const ReportDocument doc = errorLog();
    const QString inMemoryPdf = dir_.filePath(QStringLiteral("memoria.pdf"));
    int pages = 0;
    {
        PagedReport written(doc);
        writePdf(written, inMemoryPdf);
        pages = written.pageCount();
    }
    ASSERT_GT(pages, 50);
    PagedReport inMemory(doc);

    const retest::SpillFolder folder;
    {
        PagedReport spilled(errorLog());
        ASSERT_EQ(spilled.document().data.rows.size(), kRows);
        EXPECT_EQ(folder.openFiles(), QList<int>{0600});
        EXPECT_EQ(folder.names(), QStringList());
        // The last page first, before the count, then jumps both ways, the same on both.
        for (int page : {pages - 1, 0, pages / 2, 1, pages - 2, pages / 3})
            ASSERT_EQ(laid(spilled.page(page)), laid(inMemory.page(page))) << page;
        EXPECT_EQ(spilled.pageCount(), pages);
        for (int page : {pages - 1, pages / 2 + 1, 0})
            ASSERT_EQ(laid(spilled.page(page)), laid(inMemory.page(page))) << page;

        const QString saved = dir_.filePath(QStringLiteral("guardado.RPT"));
        writeReportFile(spilled.document(), saved, kReportFileType);
        const QString fromSaved = dir_.filePath(QStringLiteral("guardado.pdf"));
        exportReport(saved, fromSaved, kPdfFormat);
        EXPECT_EQ(zxtest::pdfText(fromSaved), zxtest::pdfText(inMemoryPdf));
    }
    EXPECT_EQ(folder.openFiles(), QList<int>());
    EXPECT_EQ(folder.names(), QStringList());
}

// A run that fails once its rows are in the file (a linked column that does not exist is found
// only after the rows are read) leaves no file behind.
TEST_F(SpillTest, TheFileGoesWhenTheRunFails) {
    struct Watching : AdoDataSource {
        Watching(const QString& connection, const retest::SpillFolder& folder)
            : AdoDataSource(connection), folder_(folder) {}
        QList<Column> describe(const QString& table) override {
            if (table == u"TA_USUARIOS") filesThen = folder_.openFiles();
            return AdoDataSource::describe(table);
        }
        const retest::SpillFolder& folder_;
        QList<int> filesThen;
    };
    const retest::SpillFolder folder;
    Watching source(database_.connectionString(), folder);
    const QString form = dir_.filePath(QStringLiteral("enlazado.rpt"));
    zxtest::writeFile(form, R"(<?xml version="1.0" encoding="UTF-8"?>
<report version="1" title="Errores">
  <page size="A4" left="10" top="10" right="10" bottom="10"/>
  <data table="AUX_ERR"><link table="TA_USUARIOS" keys="Nombre=Usuario"/></data>
  <detail height="5">
    <field x="0" y="0" width="60" height="5" source="{AUX_ERR.Descripcion}"/>
    <field x="60" y="0" width="60" height="5" source="{TA_USUARIOS.NoHay}"/>
  </detail>
</report>
)");
    RunRequest request;
    request.form = form;
    EXPECT_EQ(zxtest::raisedNumber([&] { buildDocument(request, source); }), err::Field);
    EXPECT_EQ(source.filesThen, QList<int>{0600});  // the rows were in the file by then
    EXPECT_EQ(folder.openFiles(), QList<int>());
    EXPECT_EQ(folder.names(), QStringList());
}

// The disk of the temporary folder filling while a report reads its rows is told as such,
// not as a failure to read the database.
TEST_F(SpillTest, AFullDiskWhileTheRowsAreReadIsToldAsSuch) {
    const auto run = zxtest::onSmallDisk(
        [&](const QString& disk) {
            const retest::SpillFolder folder(16 * 1024, disk);
            const std::optional<vb::VbError> error = zxtest::raised([&] { errorLog(); });
            return error && error->Number == err::WriteFailed &&
                   error->Description ==
                       QStringLiteral(
                           "No hay espacio en el disco para los datos del reporte: "
                           "la carpeta temporal %1 está llena")
                           .arg(disk) &&
                   folder.openFiles().isEmpty();
        },
        64 * 1024);
    ASSERT_TRUE(run);
    EXPECT_TRUE(run->answer);
    EXPECT_TRUE(run->files.isEmpty());
}

}  // namespace
