#pragma once

#include "platform/reportengine/document.h"

#include <QByteArray>
#include <QFont>
#include <QGlyphRun>
#include <QLineF>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QString>

// Pagination of a report: bands placed on pages, texts broken into lines. Positions are
// millimetres from the page's top left corner. Needs a QGuiApplication (font metrics).
namespace reportengine {

struct PageItem {
    enum class Kind { Text, Line, Picture };
    Kind kind = Kind::Text;
    QPointF baseline;      // Text: start of its baseline
    QString text;          // Text: one line
    FontSpec font;         // Text
    QRectF clip;           // Text: the object's box (a line never paints outside it); Picture: box
    bool clipped = false;  // Text: the line reaches outside its box and must be clipped
    QLineF line;           // Line
    double lineWidth = 0;
    QByteArray picture;
    // Text: the glyphs of a line the report showed before, as the layout shaped them (baseline
    // at y 0, layout units); empty when the line is to be shaped as it is drawn.
    QList<QGlyphRun> glyphs;
};

struct Page {
    QList<PageItem> items;
};

struct LaidOutReport {
    QString title;
    double width = 0, height = 0;  // page size
    QList<Page> pages;
};

// Lays out a document. Raises err::FormInvalid when the page leaves no room for details.
LaidOutReport layOut(const ReportDocument& document);

// Layout units: texts are measured and painted with fonts sized in 1/1200 inch, so that every
// device breaks lines the same way.
constexpr double kUnitsPerInch = 1200;
constexpr double kUnitsPerMm = kUnitsPerInch / 25.4;
const QFont& layoutFont(const FontSpec& fontSpec);

// The text a field shows: its format mask applied, Null as nothing.
QString displayText(const vb::Variant& value, const QString& format);

}  // namespace reportengine
