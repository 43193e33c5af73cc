#include "platform/reportengine/layout.h"

#include "platform/reportengine/bandcontent.h"
#include "platform/reportengine/errors.h"
#include "platform/ui/operator.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <optional>

namespace reportengine {

namespace {

// Where a page begins: the band it starts with (detail i is band i, the report footer comes
// after the last detail, band -1 is a report header too tall to stand above the page header)
// and how far into it the earlier pages went.
struct PageStart {
    qsizetype band = 0;
    double slice = 0;
};

// The paging of a report: where its bands go on its pages, one code path for both passes, so
// that the pages drawn are exactly the pages counted. What each band shows is its content's.
class Layout {
public:
    explicit Layout(const ReportDocument& doc) : doc_(doc), content_(doc) {
        const ReportForm& f = doc.form;
        footerTop_ = f.pageHeight - f.marginBottom - f.band(Band::PageFooter).height;
    }

    // Lays out page `index` from `start` into `out` (counting only when null), with `pages`
    // as the page count (0 when not known). Returns where the next page begins, nothing when
    // the report ends on this page.
    std::optional<PageStart> layPage(int index, PageStart start, Page* out, int pages) {
        const ReportForm& f = doc_.form;
        out_ = out;
        const qsizetype rows = doc_.data.rows.size();
        // Band -1 is a report header that flows as a detail does (it shows the first row).
        const auto rowOf = [rows](qsizetype band) {
            return std::min(std::max<qsizetype>(band, 0), rows - 1);
        };
        const auto show = [&](Band::Kind band, qsizetype row) {
            return content_.show(band, row, index + 1, pages, out != nullptr);
        };

        // The page header shows the first row of its page and grows with it, but always leaves
        // the body room for a detail.
        const qsizetype firstRow = rowOf(start.band);
        const Band& headerBand = f.band(Band::PageHeader);
        const BandImage header = show(Band::PageHeader, firstRow);
        const auto headerHeightAt = [&](double top) {
            const double room = footerTop_ - top - std::max(f.band(Band::Detail).height, 1.0);
            return std::min(header.height, std::max(headerBand.height, room));
        };

        double cursor = f.marginTop;
        // The report header stands above the first page header; one that leaves no room for
        // the page header and a detail goes into the body instead and runs on over the pages.
        BandImage reportHeader;
        if (index == 0) {
            reportHeader = show(Band::ReportHeader, rowOf(0));
            const double below = cursor + reportHeader.height;
            if (below + headerHeightAt(below) < footerTop_) {
                cursor = below;
            } else {
                reportHeader = {};
                start = PageStart{-1, 0};
            }
        }
        const double headerTop = cursor;
        const double headerHeight = headerHeightAt(cursor);
        cursor += headerHeight;
        if (cursor >= footerTop_) {
            fail(err::FormInvalid,
                 QStringLiteral("Las secciones del formulario no dejan lugar en la página"));
        }
        cursor_ = bodyTop_ = cursor;

        // The page footer shows the last row placed on its page.
        qsizetype lastRow = firstRow;
        std::optional<PageStart> next;
        for (qsizetype band = start.band; band <= rows; ++band) {
            const Band::Kind kind = band < 0      ? Band::ReportHeader
                                    : band < rows ? Band::Detail
                                                  : Band::ReportFooter;
            const BandImage image = show(kind, rowOf(band));
            const double slice = band == start.band ? start.slice : 0;
            const std::optional<double> cut = place(image, slice);
            if (!cut || *cut > slice) lastRow = rowOf(band);
            if (cut) {
                next = PageStart{band, *cut};
                break;
            }
        }

        if (out) {
            if (index == 0) putBand(reportHeader, f.marginTop, std::numeric_limits<double>::max());
            putBand(header, headerTop, headerHeight);
            putBand(show(Band::PageFooter, lastRow), footerTop_, f.band(Band::PageFooter).height);
        }
        out_ = nullptr;
        return next;
    }

private:
    // Places a band from `slice` on: nothing when the rest of it fits on this page, else where
    // the next page takes it up (0 when the whole band moves there).
    std::optional<double> place(const BandImage& image, double slice) {
        if (slice <= 0) {
            if (image.height <= footerTop_ - cursor_ + 1e-9) {
                // A band that fits may still hold a text reaching below it: it is cut at the
                // body.
                putSlice(image, 0, std::numeric_limits<double>::infinity());
                cursor_ += image.height;
                return std::nullopt;
            }
            if (cursor_ > bodyTop_ + 1e-9) return 0.0;
        }
        const double room = footerTop_ - cursor_;
        if (image.height - slice <= room + 1e-9) {
            putSlice(image, slice, std::numeric_limits<double>::infinity());
            cursor_ += image.height - slice;
            return std::nullopt;
        }
        double cut = slice + room;
        for (const Atom& a : image.atoms) {
            if (inSlice(a, slice, cut) && a.bottom > cut + 1e-9) cut = std::min(cut, a.top);
        }
        // A piece taller than a whole page is cut at the page's end.
        if (cut <= slice + 1e-9) cut = slice + room;
        putSlice(image, slice, cut);
        return cut;
    }

    // The atoms of the slice [from, to) of a band: the first slice also takes any atom above
    // the band's top.
    static bool inSlice(const Atom& a, double from, double to) {
        return (from <= 0 || a.top >= from) && a.top < to;
    }

    void putSlice(const BandImage& image, double from, double to) {
        if (!out_) return;
        const double dy = cursor_ - from;
        const QRectF body(0, bodyTop_, doc_.form.pageWidth, footerTop_ - bodyTop_);
        for (const Atom& a : image.atoms)
            if (inSlice(a, from, to)) out_->items.append(inArea(a, dy, body));
    }

    // A page band in its place: what lies below its height is left out, and a text crossing
    // that edge is cut there.
    void putBand(const BandImage& image, double top, double height) {
        const QRectF area(0, top, doc_.form.pageWidth, height);
        for (const Atom& a : image.atoms) {
            if (a.top >= height - 1e-9) continue;
            out_->items.append(inArea(a, top, area));
        }
    }

    // An atom moved `dy` down and in from the left margin; a text whose ink would reach
    // outside `area` is clipped to it.
    PageItem inArea(const Atom& a, double dy, const QRectF& area) const {
        PageItem item = shifted(a.item, doc_.form.marginLeft, dy);
        if (item.kind == PageItem::Kind::Text) {
            // What the line may paint: its box when it is clipped to it, else its box and
            // its whole height, which a font taller than the box takes below it.
            QRectF paints = item.clip;
            if (!item.clipped)
                paints |=
                    QRectF(item.clip.left(), a.top + dy, item.clip.width(), a.bottom - a.top);
            if (!area.contains(paints)) {
                item.clip = paints.intersected(area);
                item.clipped = true;
            }
        }
        return item;
    }

    const ReportDocument& doc_;
    BandContent content_;
    double footerTop_ = 0;
    double cursor_ = 0, bodyTop_ = 0;
    Page* out_ = nullptr;
};

}  // namespace

struct PagedReport::Flow {
    explicit Flow(ReportDocument d) : doc(std::move(d)), layout(doc) {}

    // Counts on from the last page found, at most `limit` pages. Nothing else runs meanwhile:
    // whoever counts lets the windows in between such slices, never inside one, so a count
    // begun anywhere (a nested one included) goes on from where the last one stopped.
    void count(int limit) {
        for (int i = 0; i < limit && !done; ++i) {
            const int index = static_cast<int>(starts.size() - 1);
            found(layout.layPage(index, starts.back(), nullptr, 0));
        }
    }

    // What laying out the last page found told: where the next one begins, or that it was the
    // last.
    void found(const std::optional<PageStart>& next) {
        if (next)
            starts.append(*next);
        else
            done = true;
    }

    ReportDocument doc;  // the rows are shared with the caller's document, not copied
    Layout layout;
    QList<PageStart> starts{PageStart{}};  // of every page found; the last one's end is unknown
    bool done = false;
};

PagedReport::PagedReport(ReportDocument document)
    : flow_(std::make_unique<Flow>(std::move(document))) {}

PagedReport::~PagedReport() = default;

const ReportDocument& PagedReport::document() const {
    return flow_->doc;
}

QString PagedReport::title() const {
    return flow_->doc.form.title;
}

double PagedReport::width() const {
    return flow_->doc.form.pageWidth;
}

double PagedReport::height() const {
    return flow_->doc.form.pageHeight;
}

bool PagedReport::countMore(int pages) {
    flow_->count(pages);
    return flow_->done;
}

bool PagedReport::counted() const {
    return flow_->done;
}

int PagedReport::pagesFound() const {
    return static_cast<int>(flow_->starts.size());
}

int PagedReport::pageCount() {
    // Slices of a few milliseconds, between which the windows repaint.
    while (!countMore(50)) ui::repaintNowAndThen();
    return pagesFound();
}

Page PagedReport::page(int index) {
    if (index >= pagesFound()) flow_->count(index - pagesFound() + 1);
    Page out;
    if (index < 0 || index >= pagesFound()) return out;
    const std::optional<PageStart> next =
        flow_->layout.layPage(index, flow_->starts[index], &out, flow_->done ? pagesFound() : 0);
    // The last page found, laid out, tells where the next one begins as counting would.
    if (!flow_->done && index == pagesFound() - 1) flow_->found(next);
    return out;
}

QFont layoutFont(const FontChoice& fontChoice) {
    QFont font(fontChoice.family);
    font.setPixelSize(
        std::max(1, static_cast<int>(std::lround(fontChoice.size / 72.0 * kUnitsPerInch))));
    font.setBold(fontChoice.bold);
    font.setItalic(fontChoice.italic);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setKerning(true);
    return font;
}

}  // namespace reportengine
