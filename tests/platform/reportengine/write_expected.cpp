// Writes the kept texts of the whole reports into the source tree
// (tests/data/reportengine/<case>/pdf.txt). Run by hand after a deliberate change of what a
// report prints, then read the differences before committing them; the tests never write these.
#include "tests/platform/reportengine/report_cases.h"
#include "tests/support/test_environment.h"

#include <QGuiApplication>

int main(int argc, char** argv) {
    zxtest::setTestEnvironment();
    // Reports measure their texts with the fonts.
    QGuiApplication app(argc, argv);
    QList<zxtest::ExpectedFile> files;
    for (const retest::ReportCase& c : retest::reportCases())
        files.append({retest::expectedFile(c.name), [c] {
                          retest::CaseWorld world(c);
                          return retest::pdfContents(world.exportedPdf());
                      }});
    return zxtest::writeExpectedFiles(argc, argv, files);
}
