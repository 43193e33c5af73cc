#pragma once

#include "platform/reportengine/datasource.h"
#include "platform/reportengine/document.h"
#include "platform/reportengine/layout.h"
#include "platform/reportengine/request.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

// Runs report forms: a form, its formulas, a selection and an order make a report document,
// which goes to the screen (the preview of zentrik_reportengine_ui), the printer or a file.
namespace reportengine {

struct RunRequest {
    QString form;             // path of the form; see resolveFormPath
    QString baseFolder;       // where a relative form path is looked for
    QStringList assignments;  // "name = 'value'", in order: a later one wins
    QList<SortField> sort;    // empty: the form's own order
    QString selection;        // record-selection formula; empty selects every row
    QStringList subreports;   // names of the form's subreports to run; others draw nothing
};

// The form file a caller names: "\" read as "/", ".rpt" added when the name has no extension,
// a relative path taken from `baseFolder`, folders and name matched without regard to case.
QString resolveFormPath(const QString& path, const QString& baseFolder);

// Reads the form, checks the formulas and runs the query. Nothing is written anywhere.
ReportDocument buildDocument(const RunRequest& request, DataSource& source);
// The same on the data of a report logon (see openDataSource), opened only once the form and
// the formulas have been read without error.
ReportDocument buildDocument(const RunRequest& request, const Logon& logon);

// The report file types a report writes to disk.
constexpr int kReportFileType = 7;  // a saved report document
constexpr int kHtmlFileType = 22;
// Writes a document as a report file of that type; other types raise err::NotSupported.
void writeReportFile(const ReportDocument& document, const QString& path, int fileType);

// Export formats of saved reports.
constexpr long kPdfFormat = 31;
// Turns a saved report document into a file of that format, without asking anything: the file
// is written under a temporary name and renamed into place. Raises err::FormNotFound when the
// report is missing, err::DocumentInvalid when it is not a saved report, err::NotSupported for
// another format, err::WriteFailed when the output cannot be written.
void exportReport(const QString& reportPath, const QString& outputPath, long format);

// What report runs need of the program around the engine, one set installed at start-up
// (arranque::instalaServicios); each is empty until then.
struct Services {
    // Opens the data a report logon names (see dbreportes::abreDatos); raises a VbError when
    // it cannot.
    std::function<std::unique_ptr<DataSource>(const Logon&)> openData;
    // The screen destination: shows the report modally (the preview window of
    // zentrik_reportengine_ui, so that the logic that runs reports needs no windows).
    std::function<void(const ReportDocument&)> preview;
    // The printer destination: prints the report on the printer of that name, or on the
    // default printer when the name is empty (beside the preview, as printing needs Qt's print
    // support).
    std::function<void(PagedReport&, const QString& printerName)> print;
};
Services& services();

// Opens the data through the installed service. Raises err::Data when there is none or the
// data cannot be opened.
std::unique_ptr<DataSource> openDataSource(const Logon& logon);
// Shows the report through the installed preview; raises err::NotSupported when there is none.
void showPreview(const ReportDocument& document);
// Prints through the installed output; raises err::Printer when there is none, and whatever
// the output raises (err::Printer when there is no such printer or it refuses the job).
void printReport(PagedReport& report, const QString& printerName);

}  // namespace reportengine
