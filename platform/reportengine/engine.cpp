#include "platform/reportengine/engine.h"

#include "platform/reportengine/errors.h"
#include "platform/reportengine/htmlwriter.h"
#include "platform/reportengine/layout.h"
#include "platform/reportengine/linkeddata.h"
#include "platform/reportengine/pictures.h"
#include "platform/reportengine/renderer.h"
#include "platform/ui/operator.h"
#include "platform/vendrix/paths.h"

#include <QDir>
#include <QFileInfo>

namespace reportengine {

namespace {

ReportDocument build(const RunRequest& request, const std::function<DataSource&()>& data) {
    ReportDocument doc;
    doc.form = readForm(resolveFormPath(request.form, request.baseFolder));
    const Selection selection = Selection::parse(request.selection);
    doc.selection = request.selection;
    for (const QString& name : doc.form.formulas()) doc.formulas.append({name, QString()});
    for (const QString& text : request.assignments) {
        const auto assignment = parseAssignment(text);
        if (!assignment) continue;
        for (Assignment& formula : doc.formulas) {
            if (formula.name.compare(assignment->name, Qt::CaseInsensitive) == 0) {
                formula.value = assignment->value;
            }
        }
    }
    DataSource& source = data();
    checkLinks(doc.form, source);
    for (const ReportObject* o : doc.form.subreports())
        if (o->subreport) checkLinks(*o->subreport, source);
    doc.data = fetchRows(doc.form, selection, request.sort, source);
    doc.subreports = fetchSubreports(doc.form, doc.data, request.subreports, source);
    // Refused at the run, whatever the destination: a saved report is drawn only later.
    checkPictures(doc);
    doc.created = ui::clock().now();
    return doc;
}

}  // namespace

QString resolveFormPath(const QString& path, const QString& baseFolder) {
    QString p = path.trimmed();
    p.replace(u'\\', u'/');
    if (p.isEmpty()) return p;
    if (QFileInfo(p).suffix().isEmpty()) p += QStringLiteral(".rpt");
    if (QFileInfo(p).isRelative() && !baseFolder.isEmpty()) {
        QString base = baseFolder;
        base.replace(u'\\', u'/');
        p = QDir(base).filePath(p);
    }
    return vendrix::findFileIgnoringCase(p);
}

ReportDocument buildDocument(const RunRequest& request, DataSource& source) {
    return build(request, [&source]() -> DataSource& { return source; });
}

ReportDocument buildDocument(const RunRequest& request, const Logon& logon) {
    std::unique_ptr<DataSource> source;
    return build(request, [&]() -> DataSource& {
        source = openDataSource(logon);
        return *source;
    });
}

void writeReportFile(const ReportDocument& document, const QString& path, int fileType) {
    if (path.trimmed().isEmpty()) {
        fail(err::WriteFailed, QStringLiteral("No se indicó el archivo del reporte"));
    }
    switch (fileType) {
        case kReportFileType:
            saveDocument(document, path);
            return;
        case kHtmlFileType: {
            PagedReport pages(document);
            writeHtml(pages, path);
            return;
        }
        default:
            fail(err::NotSupported,
                 QStringLiteral("Tipo de archivo de reporte no soportado: %1").arg(fileType));
    }
}

void exportReport(const QString& reportPath, const QString& outputPath, long format) {
    if (format != kPdfFormat) {
        fail(err::NotSupported,
             QStringLiteral("Formato de exportación no soportado: %1").arg(format));
    }
    const ui::BusyPointer busy;
    PagedReport pages(loadDocument(reportPath));
    writePdf(pages, outputPath);
}

Services& services() {
    static Services installed;
    return installed;
}

std::unique_ptr<DataSource> openDataSource(const Logon& logon) {
    if (!services().openData) {
        fail(err::Data,
             QStringLiteral("No hay una conexión de datos configurada para los reportes"));
    }
    std::unique_ptr<DataSource> source;
    try {
        source = services().openData(logon);
    } catch (const vb::VbError& e) {
        fail(err::Data, QStringLiteral("No se puede conectar con la base de datos %1: (%2) %3")
                            .arg(logon.database)
                            .arg(e.Number)
                            .arg(e.Description));
    }
    if (!source) {
        fail(err::Data,
             QStringLiteral("No se puede conectar con la base de datos %1").arg(logon.database));
    }
    return source;
}

void showPreview(const ReportDocument& document) {
    if (!services().preview) {
        fail(err::NotSupported, QStringLiteral("No hay una ventana de vista previa instalada"));
    }
    services().preview(document);
}

void printReport(PagedReport& report, const QString& printerName) {
    if (!services().print) {
        fail(err::Printer, QStringLiteral("No hay una salida de impresora instalada"));
    }
    services().print(report, printerName);
}

}  // namespace reportengine
