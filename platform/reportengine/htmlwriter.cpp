#include "platform/reportengine/htmlwriter.h"

#include "platform/reportengine/errors.h"
#include "platform/vb/safefile.h"

#include <QBuffer>
#include <QImage>

namespace reportengine {

namespace {

QString mm(double value) {
    return QString::number(value, 'f', 2) + QStringLiteral("mm");
}

QString fontStyle(const FontSpec& f) {
    QString style = QStringLiteral("font-family:'%1';font-size:%2pt;")
                        .arg(f.family.toHtmlEscaped())
                        .arg(f.size);
    if (f.bold) style += QStringLiteral("font-weight:bold;");
    if (f.italic) style += QStringLiteral("font-style:italic;");
    return style;
}

QString pictureUri(const QByteArray& bytes) {
    QImage image;
    if (!image.loadFromData(bytes)) return {};
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return QStringLiteral("data:image/png;base64,") + QString::fromLatin1(png.toBase64());
}

}  // namespace

QByteArray reportHtml(const LaidOutReport& report) {
    QString html;
    html += QStringLiteral(
                "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>%1</title>"
                "<style>body{background:#888;margin:0}"
                ".page{position:relative;background:#fff;margin:8px auto;overflow:hidden}"
                ".t{position:absolute;white-space:pre;overflow:hidden}</style>"
                "</head><body>\n")
                .arg(report.title.toHtmlEscaped());
    for (const Page& page : report.pages) {
        html += QStringLiteral("<div class=\"page\" style=\"width:%1;height:%2\">\n")
                    .arg(mm(report.width), mm(report.height));
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
                        .arg(mm(report.width), mm(report.height))
                        .arg(report.width)
                        .arg(report.height)
                        .arg(lines);
        }
        html += QStringLiteral("</div>\n");
    }
    html += QStringLiteral("</body></html>\n");
    return html.toUtf8();
}

void writeHtml(const LaidOutReport& report, const QString& path) {
    vb::ReplacementFile file(path);
    if (!file.open() || !file.write(reportHtml(report)) || !file.commit()) {
        fail(err::WriteFailed,
             QStringLiteral("No se puede escribir %1: %2").arg(path, file.errorString()));
    }
}

}  // namespace reportengine
