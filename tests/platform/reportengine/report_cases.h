#pragma once

#include "platform/reportengine/engine.h"
#include "platform/vendrix/clsreporte.h"
#include "tests/platform/reportengine/report_services.h"
#include "tests/support/fixtures.h"
#include "tests/support/test_database.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>

// Whole reports whose PDF text is kept under tests/data/reportengine/<case>/: a few thousand
// error-log rows through the program's own form, and vouchers with page bands, pictures and
// subreports. The tests print them to every destination and compare with the kept text;
// reportengine_write_expected writes it again.
namespace retest {

struct ReportCase {
    QString name;
    QString form;  // file name in the case's folder (or the program's form)
    QString selection;
    QStringList formulas;
    QStringList subreports;
    // Fills the database and writes the forms and pictures into the folder.
    std::function<void(const zxtest::TestDatabase&, const QString& folder)> prepare;
};

QList<ReportCase> reportCases();

// tests/data/reportengine/<case>/pdf.txt in the source tree.
QString expectedFile(const QString& name);

// What a PDF shows, as the kept files hold it: the text as pdftotext lays it out, then a line
// for each picture drawn (page, pixels, resolution as placed) as pdfimages lists them.
QString pdfContents(const QString& pdf);

// One case ready to run through the report printer: its database, its folder and a report
// printer whose logon reaches that database.
class CaseWorld {
public:
    explicit CaseWorld(const ReportCase& c);
    ~CaseWorld();

    // Runs the case to the report printer's current destination.
    void run();
    // Runs it to a saved report and exports that to a PDF, as the mail output does; the PDF.
    QString exportedPdf();

    clsReporte& reporter() { return reporter_; }
    QString file(const QString& name) const { return dir_.filePath(name); }

private:
    ReportCase case_;
    zxtest::TestDatabase db_;
    zxtest::FixedClock clock_{QDateTime(QDate(2026, 12, 9), QTime(10, 45, 12))};
    zxtest::ScopedLocale locale_{QLocale(QLocale::Spanish, QLocale::Argentina)};
    QTemporaryDir dir_;
    zxtest::ScopedReportServices services_;
    clsReporte reporter_;
};

}  // namespace retest
