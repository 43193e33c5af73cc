#include "platform/reportengine/printing.h"

#include "platform/reportengine/engine.h"
#include "platform/reportengine/errors.h"
#include "platform/reportengine/renderer.h"
#include "platform/ui/operator.h"

#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

#include <cups/cups.h>

#include <algorithm>

namespace reportengine {

namespace {

// A spooler queue that is stopped would keep the job without printing it, and one that rejects
// jobs would drop it while the print engine reports success: both are told before any job.
void checkQueue(const QString& name) {
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.toUtf8().constData(), nullptr);
    if (!dest) return;
    const auto option = [dest](const char* key) {
        return QString::fromUtf8(cupsGetOption(key, dest->num_options, dest->options));
    };
    const QString state = option("printer-state");
    const QString accepting = option("printer-is-accepting-jobs");
    const QString reason = option("printer-state-reasons");
    cupsFreeDests(1, dest);
    if (accepting.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0) {
        fail(err::Printer, QStringLiteral("La impresora %1 no acepta trabajos").arg(name));
    }
    if (state == QLatin1String("5")) {
        fail(err::Printer,
             QStringLiteral("La impresora %1 está detenida (%2): no se le envía el trabajo")
                 .arg(name, reason));
    }
}

// Whether the last request to the spooler, the one that handed it the job, failed.
bool spoolerRefused() {
    return cupsLastError() > IPP_STATUS_OK_EVENTS_COMPLETE;
}

// The pages (0-based) a report of `pages` pages sends to the printer, in order: those of the
// printer's page range (all of them unless it is a range), last first when it asks for that,
// and the copies the printer does not make itself, one after the other when collated, else
// each page's copies together. Raises err::Printer when the range holds no page.
QList<int> pagesToPrint(const QPrinter& printer, int pages) {
    int from = 1, to = pages;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        from = printer.fromPage();
        to = std::min(printer.toPage(), pages);
    }
    if (from > to) {
        fail(err::Printer,
             QStringLiteral("El informe tiene %1: no hay páginas que imprimir desde la %2 a la %3")
                 .arg(pages == 1 ? QStringLiteral("1 página")
                                 : QStringLiteral("%1 páginas").arg(pages))
                 .arg(from)
                 .arg(printer.toPage()));
    }
    QList<int> run;
    for (int page = from; page <= to; ++page) run.append(page - 1);
    if (printer.pageOrder() == QPrinter::LastPageFirst) std::reverse(run.begin(), run.end());
    // A spooler makes the copies itself (Qt asks it for them); a PDF file has them drawn.
    const int copies = printer.supportsMultipleCopies() ? 1 : std::max(1, printer.copyCount());
    QList<int> sheets;
    sheets.reserve(run.size() * copies);
    if (printer.collateCopies()) {
        for (int copy = 0; copy < copies; ++copy) sheets += run;
    } else {
        for (int page : std::as_const(run)) sheets.insert(sheets.size(), copies, page);
    }
    return sheets;
}

}  // namespace

void printOnNamedPrinter(PagedReport& report, const QString& printerName) {
    const QPrinterInfo info = printerName.trimmed().isEmpty()
                                  ? QPrinterInfo::defaultPrinter()
                                  : QPrinterInfo::printerInfo(printerName.trimmed());
    if (info.isNull()) {
        fail(err::Printer,
             printerName.trimmed().isEmpty()
                 ? QStringLiteral("No hay una impresora predeterminada")
                 : QStringLiteral("No se encuentra la impresora %1").arg(printerName));
    }
    QPrinter printer(info, QPrinter::HighResolution);
    printReport(report, printer);
}

void printReport(PagedReport& report, QPrinter& printer) {
    const bool spooled =
        printer.outputFormat() == QPrinter::NativeFormat && !printer.printerName().isEmpty();
    if (spooled) checkQueue(printer.printerName());
    const QList<int> sheets = pagesToPrint(printer, report.pageCount());
    const QPageLayout layout = pageLayout(report.width(), report.height());
    printer.setDocName(report.title());
    printer.setFullPage(true);
    if (!printer.setPageLayout(layout)) {
        // Printers that refuse a margin of zero still take the page size and orientation.
        printer.setPageSize(layout.pageSize());
        printer.setPageOrientation(layout.orientation());
    }
    QPainter painter;
    if (!painter.begin(&printer)) {
        fail(err::Printer,
             QStringLiteral("La impresora %1 no acepta el trabajo").arg(printer.printerName()));
    }
    for (qsizetype i = 0; i < sheets.size(); ++i) {
        if (i > 0 && !printer.newPage()) {
            painter.end();
            fail(err::Printer, QStringLiteral("La impresora %1 interrumpió el trabajo")
                                   .arg(printer.printerName()));
        }
        paintPage(painter, report.page(sheets[i]), printer.resolution());
        ui::repaintNowAndThen();
    }
    if (!painter.end()) {
        fail(err::Printer,
             QStringLiteral("La impresora %1 no terminó el trabajo").arg(printer.printerName()));
    }
    if (spooled && spoolerRefused()) {
        fail(err::Printer,
             QStringLiteral("La impresora %1 no aceptó el trabajo: %2")
                 .arg(printer.printerName(), QString::fromUtf8(cupsLastErrorString())));
    }
}

}  // namespace reportengine
