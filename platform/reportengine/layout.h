#pragma once

#include "platform/reportengine/document.h"

#include <QFont>
#include <QGlyphRun>
#include <QImage>
#include <QLineF>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <memory>

// Pagination of a report: bands placed on pages, texts broken into lines. Positions are
// millimetres from the page's top left corner. Needs a QGuiApplication (font metrics).
namespace reportengine {

struct PageItem {
    enum class Kind { Text, Line, Picture };
    Kind kind = Kind::Text;
    QPointF baseline;      // Text: start of its baseline
    QString text;          // Text: one line
    FontChoice font;       // Text
    QRectF clip;           // Text: the object's box (a line never paints outside it); Picture: box
    bool clipped = false;  // Text: the line reaches outside its box and must be clipped
    QLineF line;           // Line
    double lineWidth = 0;
    QImage picture;  // Picture, decoded (null while counting, or when it cannot be decoded)
    // Text: the glyphs of a line the report showed before, as the layout shaped them (baseline
    // at y 0, layout units); empty when the line is to be shaped as it is drawn.
    QList<QGlyphRun> glyphs;
};

struct Page {
    QList<PageItem> items;
};

// A report laid out one page at a time, as banded report engines do, in two passes over one
// layout: the first finds where each page begins (its row, and how far into a band taller
// than a page), and so the page count; the second lays out a page from where it begins when
// it is asked for, to be drawn and let go. No more than one page is ever held. The widths of
// the texts it measured and the pictures it decoded are its own and go with it.
class PagedReport {
public:
    explicit PagedReport(ReportDocument document);
    ~PagedReport();
    PagedReport(const PagedReport&) = delete;
    PagedReport& operator=(const PagedReport&) = delete;

    const ReportDocument& document() const;
    QString title() const;
    double width() const;  // page size
    double height() const;

    // The first pass goes on for at most `pages` more pages, a bounded slice of work that
    // lets nothing else run; true once it has found the report's end. Raises
    // err::FormInvalid when the page leaves no room for details.
    bool countMore(int pages);
    bool counted() const;
    // The pages whose beginning the first pass has found so far (all of them once counted).
    int pagesFound() const;
    // The page count, found first when it is not known yet: slice after slice, the windows
    // repainting between them (ui::repaintNowAndThen), so that whatever runs then (a count
    // begun there included) finds the count as far as it went and goes on from there.
    int pageCount();

    // Page `index` (0-based) laid out; the first pass goes as far as it needs, letting nothing
    // else run. "{pages}" shows "…" until the count is known. An empty page past the end.
    Page page(int index);

private:
    struct Flow;
    std::unique_ptr<Flow> flow_;
};

// Layout units: texts are measured and painted with fonts sized in 1/1200 inch, so that every
// device breaks lines the same way.
constexpr double kUnitsPerInch = 1200;
constexpr double kUnitsPerMm = kUnitsPerInch / 25.4;
// The QFont that texts in the form's chosen font are measured and painted with.
QFont layoutFont(const FontChoice& fontChoice);

}  // namespace reportengine
