#include "platform/reportengine/htmlwriter.h"

#include "platform/reportengine/errors.h"
#include "platform/ui/operator.h"
#include "platform/vb/safefile.h"

#include <QBuffer>
#include <QImage>

namespace reportengine {

namespace {

QString mm(double value) {
    return QString::number(value, 'f', 2) + QStringLiteral("mm");
}

QString fontStyle(const FontChoice& f) {
    QString style = QStringLiteral("font-family:'%1';font-size:%2pt;")
                        .arg(f.family.toHtmlEscaped())
                        .arg(f.size);
    if (f.bold) style += QStringLiteral("font-weight:bold;");
    if (f.italic) style += QStringLiteral("font-style:italic;");
    return style;
}

QString pictureUri(const QImage& image) {
    if (image.isNull()) return {};
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return QStringLiteral("data:image/png;base64,") + QString::fromLatin1(png.toBase64());
}

QString pageHtml(const Page& page, double width, double height) {
    QString html = QStringLiteral("<div class=\"page\" style=\"width:%1;height:%2\">\n")
                       .arg(mm(width), mm(height));
    QString lines;
    for (const PageItem& item : page.items) {
        switch (item.kind) {
            case PageItem::Kind::Text:
                html += QStringLiteral(
                            "<div class=\"t\" style=\"left:%1;top:%2;width:%3;height:%4;%5\">"
                            "%6</div>\n")
                            .arg(mm(item.baseline.x()), mm(item.clip.top()),
                                 mm(std::max(0.0, item.clip.right() - item.baseline.x())),
                                 mm(item.clip.height()), fontStyle(item.font),
                                 item.text.toHtmlEscaped());
                break;
            case PageItem::Kind::Line:
                lines += QStringLiteral(
                             "<line x1=\"%1\" y1=\"%2\" x2=\"%3\" y2=\"%4\" "
                             "stroke=\"black\" stroke-width=\"%5\"/>")
                             .arg(item.line.x1())
                             .arg(item.line.y1())
                             .arg(item.line.x2())
                             .arg(item.line.y2())
                             .arg(item.lineWidth);
                break;
            case PageItem::Kind::Picture:
                html += QStringLiteral(
                            "<img style=\"position:absolute;left:%1;top:%2;width:%3;"
                            "height:%4\" src=\"%5\">\n")
                            .arg(mm(item.clip.x()), mm(item.clip.y()), mm(item.clip.width()),
                                 mm(item.clip.height()), pictureUri(item.picture));
                break;
        }
    }
    if (!lines.isEmpty()) {
        html += QStringLiteral(
                    "<svg style=\"position:absolute;left:0;top:0\" width=\"%1\" "
                    "height=\"%2\" viewBox=\"0 0 %3 %4\">%5</svg>\n")
                    .arg(mm(width), mm(height))
                    .arg(width)
                    .arg(height)
                    .arg(lines);
    }
    html += QStringLiteral("</div>\n");
    return html;
}

}  // namespace

void writeHtml(PagedReport& report, const QString& path) {
    const int pages = report.pageCount();
    vb::ReplacementFile file(path);
    bool written = file.open();
    const auto put = [&](const QString& html) { written = written && file.write(html.toUtf8()); };
    put(QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>%1</title>"
                       "<style>body{background:#888;margin:0}"
                       ".page{position:relative;background:#fff;margin:8px auto;overflow:hidden}"
                       ".t{position:absolute;white-space:pre;overflow:hidden}</style>"
                       "</head><body>\n")
            .arg(report.title().toHtmlEscaped()));
    for (int i = 0; i < pages && written; ++i) {
        put(pageHtml(report.page(i), report.width(), report.height()));
        ui::repaintNowAndThen();
    }
    put(QStringLiteral("</body></html>\n"));
    if (!written || !file.commit()) {
        fail(err::WriteFailed,
             QStringLiteral("No se puede escribir %1: %2").arg(path, file.errorString()));
    }
}

}  // namespace reportengine
