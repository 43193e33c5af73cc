#include "platform/reportengine/printing.h"

#include "platform/reportengine/engine.h"
#include "platform/reportengine/errors.h"
#include "platform/reportengine/renderer.h"
#include "platform/ui/operator.h"

#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

#include <cups/cups.h>

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

}  // namespace

void installPrinterOutput() {
    setPrinterHandler(printOnNamedPrinter);
}

void printReport(PagedReport& report, QPrinter& printer) {
    const bool spooled =
        printer.outputFormat() == QPrinter::NativeFormat && !printer.printerName().isEmpty();
    if (spooled) checkQueue(printer.printerName());
    const int pages = report.pageCount();
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
    for (int i = 0; i < pages; ++i) {
        if (i > 0 && !printer.newPage()) {
            painter.end();
            fail(err::Printer, QStringLiteral("La impresora %1 interrumpió el trabajo")
                                   .arg(printer.printerName()));
        }
        paintPage(painter, report.page(i), printer.resolution());
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
