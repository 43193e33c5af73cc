#include "platform/reportengine/renderer.h"

#include "platform/reportengine/errors.h"
#include "platform/ui/operator.h"
#include "platform/vb/safefile.h"

#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <cmath>

namespace reportengine {

void paintPage(QPainter& painter, const Page& page, double dotsPerInch) {
    painter.save();
    painter.scale(dotsPerInch / kUnitsPerInch, dotsPerInch / kUnitsPerInch);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    auto units = [](double mm) { return mm * kUnitsPerMm; };
    auto unitsRect = [&](const QRectF& r) {
        return QRectF(units(r.x()), units(r.y()), units(r.width()), units(r.height()));
    };
    const FontChoice* font = nullptr;  // the painter's, made when a text asks for another
    painter.setPen(Qt::black);
    for (const PageItem& item : page.items) {
        switch (item.kind) {
            case PageItem::Kind::Text: {
                if (!font || !(*font == item.font)) {
                    painter.setFont(layoutFont(item.font));
                    font = &item.font;
                }
                const QPointF at(units(item.baseline.x()), units(item.baseline.y()));
                const auto draw = [&] {
                    if (item.glyphs.isEmpty()) {
                        painter.drawText(at, item.text);
                        return;
                    }
                    for (const QGlyphRun& run : item.glyphs) painter.drawGlyphRun(at, run);
                };
                if (item.clipped) {
                    painter.save();
                    painter.setClipRect(unitsRect(item.clip));
                    draw();
                    painter.restore();
                } else {
                    draw();
                }
                break;
            }
            case PageItem::Kind::Line: {
                QPen pen(Qt::black);
                pen.setWidthF(units(item.lineWidth));
                painter.setPen(pen);
                painter.drawLine(QLineF(units(item.line.x1()), units(item.line.y1()),
                                        units(item.line.x2()), units(item.line.y2())));
                break;
            }
            case PageItem::Kind::Picture: {
                if (!item.picture.isNull()) painter.drawImage(unitsRect(item.clip), item.picture);
                break;
            }
        }
    }
    painter.restore();
}

QPageLayout pageLayout(double width, double height) {
    const bool landscape = width > height;
    const QSizeF portrait = landscape ? QSizeF(height, width) : QSizeF(width, height);
    return QPageLayout(QPageSize(portrait, QPageSize::Millimeter),
                       landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

QImage pageImage(const Page& page, double width, double height, double dotsPerInch) {
    const QSize size(static_cast<int>(std::ceil(width / 25.4 * dotsPerInch)),
                     static_cast<int>(std::ceil(height / 25.4 * dotsPerInch)));
    QImage image(size, QImage::Format_RGB32);
    const int dotsPerMeter = static_cast<int>(std::lround(dotsPerInch / 0.0254));
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    image.fill(Qt::white);
    QPainter painter(&image);
    paintPage(painter, page, dotsPerInch);
    return image;
}

void writePdf(PagedReport& report, const QString& path) {
    const int pages = report.pageCount();
    vb::ReplacementFile file(path);
    if (!file.open()) {
        fail(err::WriteFailed,
             QStringLiteral("No se puede escribir %1: %2").arg(path, file.errorString()));
    }
    {
        QPdfWriter writer(file.device());
        writer.setResolution(static_cast<int>(kUnitsPerInch));
        writer.setTitle(report.title());
        writer.setCreator(QStringLiteral("Zentrik"));
        writer.setPageLayout(pageLayout(report.width(), report.height()));
        QPainter painter;
        if (!painter.begin(&writer)) {
            fail(err::WriteFailed, QStringLiteral("No se puede escribir el PDF %1").arg(path));
        }
        for (int i = 0; i < pages; ++i) {
            if (i > 0) writer.newPage();
            paintPage(painter, report.page(i), writer.resolution());
            ui::repaintNowAndThen();
        }
        painter.end();
    }
    if (!file.commit()) {
        fail(err::WriteFailed,
             QStringLiteral("No se puede escribir %1: %2").arg(path, file.errorString()));
    }
}

}  // namespace reportengine
