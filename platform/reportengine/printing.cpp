#include "platform/reportengine/printing.h"

#include "platform/reportengine/errors.h"
#include "platform/reportengine/renderer.h"

#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

namespace reportengine {

void printReport(const LaidOutReport& report, const QString& printerName) {
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

void printReport(const LaidOutReport& report, QPrinter& printer) {
    printer.setDocName(report.title);
    printer.setFullPage(true);
    if (!printer.setPageLayout(pageLayout(report))) {
        // Printers that refuse a margin of zero still take the page size and orientation.
        printer.setPageSize(pageLayout(report).pageSize());
        printer.setPageOrientation(pageLayout(report).orientation());
    }
    QPainter painter;
    if (!painter.begin(&printer)) {
        fail(err::Printer,
             QStringLiteral("La impresora %1 no acepta el trabajo").arg(printer.printerName()));
    }
    for (int i = 0; i < report.pages.size(); ++i) {
        if (i > 0 && !printer.newPage()) {
            painter.end();
            fail(err::Printer, QStringLiteral("La impresora %1 interrumpió el trabajo")
                                   .arg(printer.printerName()));
        }
        paintPage(painter, report, i, printer.resolution());
    }
    if (!painter.end()) {
        fail(err::Printer,
             QStringLiteral("La impresora %1 no terminó el trabajo").arg(printer.printerName()));
    }
}

}  // namespace reportengine
