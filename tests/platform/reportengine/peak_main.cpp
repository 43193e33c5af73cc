// The child of the memory test: the error-log report of the first <rows> rows of the database
// in <folder> written to a saved report and exported to a PDF, as the mail output does; prints
// the rows read and the process's peak resident memory in kilobytes.
#include "platform/reportengine/adodatasource.h"
#include "platform/reportengine/engine.h"
#include "platform/vb/vberror.h"
#include "tests/support/test_environment.h"

#include <QGuiApplication>
#include <QTemporaryDir>

#include <cstdio>

#include <sys/resource.h>

int main(int argc, char** argv) {
    zxtest::setTestEnvironment();
    QGuiApplication app(argc, argv);
    if (argc != 3) return 2;
    const QString folder = QString::fromLocal8Bit(argv[1]);
    reportengine::services().openData = [&](const reportengine::Logon& logon) {
        return std::make_unique<reportengine::AdoDataSource>(
            QStringLiteral("Provider=SQLOLEDB;Server=sqlite:%1;Database=%2;UId=sa;Pwd=sa;")
                .arg(folder, logon.database));
    };
    QTemporaryDir dir;
    const QString saved = dir.filePath(QStringLiteral("peak.RPT"));
    reportengine::RunRequest request;
    request.form = QStringLiteral(ZX_BINARY_DIR "/bin/AUX_ERR.rpt");
    request.selection = QStringLiteral("{AUX_ERR.ID} <= %1").arg(QString::fromLocal8Bit(argv[2]));
    long rows = 0;
    try {
        const reportengine::ReportDocument doc =
            reportengine::buildDocument(request, reportengine::Logon{"ZENTRIK", "sa", "sa"});
        rows = static_cast<long>(doc.data.rows.size());
        reportengine::writeReportFile(doc, saved, reportengine::kReportFileType);
        reportengine::exportReport(saved, dir.filePath(QStringLiteral("peak.PDF")),
                                   reportengine::kPdfFormat);
    } catch (const vb::VbError& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.Description));
        return 1;
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%ld %ld\n", rows, usage.ru_maxrss);
    return 0;
}
