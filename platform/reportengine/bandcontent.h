#pragma once

#include "platform/reportengine/document.h"
#include "platform/reportengine/layout.h"

#include <QList>

#include <memory>

namespace reportengine {

// One piece of a band: it moves to the next page whole, unless it is taller than a page.
struct Atom {
    double top = 0, bottom = 0;  // relative to the band
    PageItem item;               // positions relative to the band's top left corner
};

// What a band shows for one row: its height, grown by wrapped texts and subreports, and its
// pieces.
struct BandImage {
    double height = 0;
    QList<Atom> atoms;
};

// A piece moved `dx` right and `dy` down.
PageItem shifted(PageItem item, double dx, double dy);

// The text a field shows: its format mask applied, Null as nothing.
QString displayText(const vb::Variant& value, const QString& format);

// What the bands of a report show for one of its rows: texts broken into lines, lines,
// pictures and the rows of its subreports. Every field, condition and subreport link of the
// form and of its subreports is resolved to its column once, when it is made; the fonts it
// measures texts with and the pictures it reads are its own, and go with it.
class BandContent {
public:
    // The document must outlive it.
    explicit BandContent(const ReportDocument& document);
    ~BandContent();
    BandContent(const BandContent&) = delete;
    BandContent& operator=(const BandContent&) = delete;

    // A band of the report's form for row `row` of the report (-1: none, and then no field
    // shows and no condition holds), on page `page` (from 1) of `pages` (0 while the count is
    // not known). `drawing`: every text placed and shaped and every picture decoded, to be
    // drawn; otherwise only what decides the band's height and where it may be cut.
    BandImage show(Band::Kind band, qsizetype row, int page, int pages, bool drawing);

private:
    struct Impl;
    std::unique_ptr<Impl> d_;
};

}  // namespace reportengine
