#include "platform/reportengine/layout.h"

#include "platform/reportengine/errors.h"
#include "platform/reportengine/pictures.h"
#include "platform/ui/operator.h"
#include "platform/vb/conversions.h"

#include <QFontMetricsF>
#include <QHash>
#include <QImage>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

namespace reportengine {

namespace {

// The device texts are measured on: 1200 dots per inch, like the PDF writer.
const QPaintDevice* measuringDevice() {
    static const QImage device = [] {
        QImage image(1, 1, QImage::Format_RGB32);
        const int dotsPerMeter = static_cast<int>(std::lround(kUnitsPerInch / 0.0254));
        image.setDotsPerMeterX(dotsPerMeter);
        image.setDotsPerMeterY(dotsPerMeter);
        return image;
    }();
    return &device;
}

// Texts up to this length are the ones that repeat from row to row (a line of a wrapped
// statement included); longer ones are measured and broken afresh.
constexpr qsizetype kRepeatedLength = 60;

double toMm(double units) {
    return units / kUnitsPerMm;
}

// A font of the layout with its metrics and the widths of the texts measured with it. Texts
// repeat from row to row (users, workstations, processes), and shaping them is the costly part.
struct MeasuredFont {
    explicit MeasuredFont(const FontSpec& s)
        : fontSpec(s),
          font(makeFont(s)),
          metrics(font, const_cast<QPaintDevice*>(measuringDevice())) {}

    static QFont makeFont(const FontSpec& fontSpec) {
        QFont font(fontSpec.family);
        font.setPixelSize(
            std::max(1, static_cast<int>(std::lround(fontSpec.size / 72.0 * kUnitsPerInch))));
        font.setBold(fontSpec.bold);
        font.setItalic(fontSpec.italic);
        font.setHintingPreference(QFont::PreferNoHinting);
        font.setKerning(true);
        return font;
    }

    // A text as the layout shows it: its width and, once it has been shown before, the glyphs
    // to draw it with, shaped the second time and kept, so that the report shapes a text
    // shown once only to measure and draw it, and a repeated one (dates, users, workstations)
    // only twice.
    struct Shown {
        double width = 0;
        QList<QGlyphRun> glyphs;
    };
    // `drawn`: the text is shown as it is (not a paragraph about to be broken into lines).
    Shown measure(const QString& text, bool drawn) {
        if (text.size() > kRepeatedLength) return {metrics.horizontalAdvance(text), {}};
        Measure& m = known(text, drawn);
        if (std::isnan(m.width)) m.width = metrics.horizontalAdvance(text);
        return {m.width, m.glyphs};
    }

    // The glyphs of a line drawn where its width changes nothing (see Line::wellWithin): it is
    // not measured.
    QList<QGlyphRun> glyphsOf(const QString& text) {
        if (text.size() > kRepeatedLength) return {};
        return known(text, true).glyphs;
    }

    // What is known of a short text, its width not yet when it is NaN; a text drawn the second
    // time gets its glyphs.
    struct Measure;
    Measure& known(const QString& text, bool drawn) {
        auto it = measures.find(text);
        if (it == measures.end()) {
            if (measures.size() > 20000) measures.clear();
            it = measures.insert(text, Measure{std::numeric_limits<double>::quiet_NaN(), 0, {}});
        }
        if (drawn && ++it->drawn == 2 && !text.isEmpty()) it->glyphs = shape(text);
        return *it;
    }

    double width(const QString& text) { return measure(text, false).width; }

    // Whether a paragraph shown whole fits in `boxWidth`. A long one whose characters' own
    // widths add up to far more than the box cannot fit whatever kerning takes off, and is not
    // shaped to be measured: it is shaped once, to be broken into lines.
    bool fits(const QString& paragraph, double boxWidth) {
        if (paragraph.size() > kRepeatedLength && leastWidth(paragraph) > 1.5 * boxWidth)
            return false;
        return width(paragraph) <= boxWidth;
    }

    // The widths of a text's characters, each alone, added up; 0 when one is not a printable
    // Latin-1 character (a tab, a mark or another script is shown otherwise within a line).
    double leastWidth(const QString& text) {
        if (latin1Widths.empty()) {
            latin1Widths.assign(256, -1);
            for (char16_t c = 0x20; c <= 0xff; ++c) {
                if ((c >= 0x7f && c < 0xa0) || c == 0xad) continue;
                latin1Widths[c] = metrics.horizontalAdvance(QChar(c));
            }
        }
        double sum = 0;
        for (const QChar c : text) {
            if (c.unicode() > 0xff || latin1Widths[c.unicode()] < 0) return 0;
            sum += latin1Widths[c.unicode()];
        }
        return sum;
    }

    // A line of a broken paragraph: its shown text, and whether the layout placed it well
    // within the box: of printable Latin-1 characters, broken at no mark, its width in the
    // paragraph half an em or more short of the box. Shaped alone it cannot be wider than the
    // box then (only kerning with what follows it in the paragraph differs, by far less), so
    // drawn from the left it needs no measure.
    struct Line {
        QString text;
        bool wellWithin = false;
    };

    // Where a paragraph too wide for its box breaks: each line. Short paragraphs (a process
    // name, a user) repeat from row to row and are broken once.
    QList<Line> lines(const QString& paragraph, double boxWidth) {
        const bool keep = paragraph.size() <= kRepeatedLength;
        const auto key = qMakePair(paragraph, boxWidth);
        if (keep) {
            if (const auto it = breaks.constFind(key); it != breaks.constEnd()) return *it;
        }
        // Long texts without blanks (SQL value lists) break after a comma or a parenthesis
        // before inside a number or a word: a zero-width space after each marks the place,
        // and leaves the shown text again.
        constexpr QChar kBreak(0x200B);
        QString marked;
        marked.reserve(paragraph.size() + paragraph.size() / 4);
        for (qsizetype i = 0; i < paragraph.size(); ++i) {
            const QChar c = paragraph[i];
            marked += c;
            const bool next = i + 1 < paragraph.size() && paragraph[i + 1] != u' ';
            if (next && (c == u',' || c == u'(' || c == u')')) marked += kBreak;
        }
        QList<Line> out;
        QTextLayout layout(marked, font, const_cast<QPaintDevice*>(measuringDevice()));
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(boxWidth);
            const QString text = marked.mid(line.textStart(), line.textLength());
            Line shown{QString(text).remove(kBreak).trimmed()};
            shown.wellWithin = !text.contains(kBreak) && leastWidth(shown.text) > 0 &&
                               line.naturalTextWidth() + font.pixelSize() / 2.0 <= boxWidth;
            out.append(shown);
        }
        layout.endLayout();
        if (keep) {
            if (breaks.size() > 20000) breaks.clear();
            breaks.insert(key, out);
        }
        return out;
    }

    // A line's glyphs as the layout shapes it, its baseline at y 0.
    QList<QGlyphRun> shape(const QString& text) const {
        QTextLayout layout(text, font, const_cast<QPaintDevice*>(measuringDevice()));
        QTextOption option;
        option.setWrapMode(QTextOption::NoWrap);
        layout.setTextOption(option);
        layout.beginLayout();
        const QTextLine line = layout.createLine();
        layout.endLayout();
        QList<QGlyphRun> runs = layout.glyphRuns();
        for (QGlyphRun& run : runs) {
            QList<QPointF> at = run.positions();
            for (QPointF& p : at) p.ry() -= line.ascent();
            run.setPositions(at);
        }
        return runs;
    }

    FontSpec fontSpec;
    QFont font;
    QFontMetricsF metrics;
    struct Measure {
        double width = 0;
        int drawn = 0;
        QList<QGlyphRun> glyphs;
    };
    QHash<QString, Measure> measures;
    QHash<QPair<QString, double>, QList<Line>> breaks;
    std::vector<double> latin1Widths;  // -1 where leastWidth does not know the width
};

std::vector<std::unique_ptr<MeasuredFont>>& measuredFonts() {
    static std::vector<std::unique_ptr<MeasuredFont>> fonts;
    return fonts;
}

MeasuredFont& measuredFont(const FontSpec& fontSpec) {
    auto& fonts = measuredFonts();
    for (const auto& f : fonts) {
        if (f->fontSpec == fontSpec) return *f;
    }
    fonts.push_back(std::make_unique<MeasuredFont>(fontSpec));
    return *fonts.back();
}

// What a report measured and shaped is kept until the next report is laid out, so that the
// memory it takes follows one report.
void forgetMeasures() {
    for (const auto& f : measuredFonts()) {
        f->measures.clear();
        f->breaks.clear();
    }
}

// One piece of a band: it moves to the next page whole, unless it is taller than a page.
struct Atom {
    double top = 0, bottom = 0;  // relative to the band
    PageItem item;               // positions relative to the band's top left corner
};

struct BandImage {
    double height = 0;
    QList<Atom> atoms;
};

// The values a band shows: one row of its data (none outside the rows), the formulas, and for
// page numbers the page and the page count (0 while it is not known).
struct Context {
    const ReportData* data = nullptr;
    qsizetype row = -1;
    bool inSubreport = false;
    int page = 0, pages = 0;
};

// Where a page begins: the band it starts with (detail i is band i, the report footer comes
// after the last detail, band -1 is a report header too tall to stand above the page header)
// and how far into it the earlier pages went.
struct PageStart {
    qsizetype band = 0;
    double slice = 0;
};

// The layout of a report's pages: one code path for both passes, so that the pages drawn are
// exactly the pages counted. Counting measures what decides a band's height and where a band
// may be cut; drawing also places and shapes every text.
class Layout {
public:
    explicit Layout(const ReportDocument& doc) : doc_(doc) {
        const ReportForm& f = doc.form;
        footerTop_ = f.pageHeight - f.marginBottom - f.band(Band::PageFooter).height;
    }

    // Lays out page `index` from `start` into `out` (counting only when null), with `pages`
    // as the page count (0 when not known). Returns where the next page begins, nothing when
    // the report ends on this page.
    std::optional<PageStart> layPage(int index, PageStart start, Page* out, int pages) {
        const ReportForm& f = doc_.form;
        drawing_ = out != nullptr;
        out_ = out;
        const qsizetype rows = doc_.data.rows.size();
        // Band -1 is a report header that flows as a detail does (it shows the first row).
        const auto rowOf = [rows](qsizetype band) {
            return std::min(std::max<qsizetype>(band, 0), rows - 1);
        };
        const Context page{&doc_.data, -1, false, index + 1, pages};
        const auto withRow = [&page](qsizetype row) {
            Context c = page;
            c.row = row;
            return c;
        };

        // The page header shows the first row of its page and grows with it, but always leaves
        // the body room for a detail.
        const qsizetype firstRow = rowOf(start.band);
        const Band& headerBand = f.band(Band::PageHeader);
        const BandImage header = renderBand(headerBand, withRow(firstRow));
        const auto headerHeightAt = [&](double top) {
            const double room = footerTop_ - top - std::max(f.band(Band::Detail).height, 1.0);
            return std::min(header.height, std::max(headerBand.height, room));
        };

        double cursor = f.marginTop;
        // The report header stands above the first page header; one that leaves no room for
        // the page header and a detail goes into the body instead and runs on over the pages.
        BandImage reportHeader;
        if (index == 0) {
            reportHeader = renderBand(f.band(Band::ReportHeader), withRow(rowOf(0)));
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
            const Band& b = f.band(band < 0      ? Band::ReportHeader
                                   : band < rows ? Band::Detail
                                                 : Band::ReportFooter);
            const BandImage image = renderBand(b, withRow(rowOf(band)));
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
            putBand(renderBand(f.band(Band::PageFooter), withRow(lastRow)), footerTop_,
                    f.band(Band::PageFooter).height);
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

    static PageItem shifted(PageItem item, double dx, double dy) {
        item.baseline += QPointF(dx, dy);
        item.clip.translate(dx, dy);
        item.line.translate(dx, dy);
        return item;
    }

    BandImage renderBand(const Band& band, const Context& ctx) {
        BandImage image;
        if (!meets(band.when, ctx)) return image;
        image.height = band.height;
        for (const ReportObject& o : band.objects) {
            if (!meets(o.when, ctx)) continue;
            if (o.kind == ReportObject::Kind::Subreport) {
                placeSubreport(o, ctx, &image);
                continue;
            }
            if (o.isFieldPicture()) {
                placeFieldPicture(o, ctx, &image);
                continue;
            }
            if (o.kind == ReportObject::Kind::Line) {
                Atom atom;
                atom.top = std::min(o.y, o.y2);
                atom.bottom = std::max(o.y, o.y2);
                atom.item.kind = PageItem::Kind::Line;
                atom.item.line = QLineF(o.x, o.y, o.x2, o.y2);
                atom.item.lineWidth = o.lineWidth;
                image.atoms.append(atom);
                continue;
            }
            if (o.kind == ReportObject::Kind::Picture) {
                Atom atom;
                atom.top = o.y;
                atom.bottom = o.y + o.height;
                atom.item.kind = PageItem::Kind::Picture;
                atom.item.clip = QRectF(o.x, o.y, o.width, o.height);
                atom.item.picture = o.picture;
                image.atoms.append(atom);
                continue;
            }
            double bottom = 0;
            image.atoms.append(textAtoms(o, objectText(o, ctx), &bottom));
            // A page number never grows its band: the count it shows is not known while the
            // pages are being counted.
            if (o.wrap && o.kind != ReportObject::Kind::PageNumber)
                image.height = std::max(image.height, bottom);
        }
        return image;
    }

    // Where a field's column is in a band's data, found once for each field and data.
    int columnOf(const FieldRef& field, const ReportData* data) {
        const auto key =
            qMakePair(static_cast<const void*>(&field), static_cast<const void*>(data));
        auto it = columns_.constFind(key);
        if (it == columns_.constEnd()) it = columns_.insert(key, data->columnOf(field));
        return *it;
    }

    vb::Variant valueOf(const FieldRef& field, const Context& ctx) {
        if (ctx.row < 0) return {};
        return ctx.data->rows.value(ctx.row, columnOf(field, ctx.data));
    }

    QString objectText(const ReportObject& o, const Context& ctx) {
        switch (o.kind) {
            case ReportObject::Kind::Text:
                return o.text;
            case ReportObject::Kind::Field:
                return displayText(valueOf(o.field, ctx), o.format);
            case ReportObject::Kind::Formula:
                return doc_.formula(o.formula);
            case ReportObject::Kind::PageNumber: {
                QString text = o.text;
                text.replace(QLatin1String("{page}"), QString::number(ctx.page));
                text.replace(QLatin1String("{pages}"),
                             ctx.pages > 0 ? QString::number(ctx.pages) : QStringLiteral("…"));
                return text;
            }
            default:
                return {};
        }
    }

    // Lines of a text in an object's box, positioned relative to the band. Counting needs only
    // where the lines are, not how wide each is.
    QList<Atom> textAtoms(const ReportObject& o, const QString& text, double* bottom) {
        MeasuredFont& measured = measuredFont(o.font);
        const QFontMetricsF& metrics = measured.metrics;
        const double boxWidth = o.width * kUnitsPerMm;
        const QRectF box(o.x, o.y, o.width, o.height);

        QStringList paragraphs;
        QString normalised = text;
        normalised.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(u'\r', u'\n');
        paragraphs = normalised.split(u'\n');
        if (!o.wrap) paragraphs = paragraphs.mid(0, 1);

        QList<Atom> atoms;
        double y = 0;  // units from the box's top
        for (const QString& paragraph : std::as_const(paragraphs)) {
            QList<MeasuredFont::Line> lines;
            const QString whole = o.wrap ? paragraph.trimmed() : paragraph;
            if (!o.wrap || measured.fits(whole, boxWidth)) {
                lines.append({whole});
            } else {
                lines = measured.lines(paragraph, boxWidth);
            }
            for (const MeasuredFont::Line& line : std::as_const(lines)) {
                const QString& shown = line.text;
                if (!shown.isEmpty()) {
                    Atom atom;
                    atom.top = o.y + toMm(y);
                    atom.bottom = o.y + toMm(y + metrics.height());
                    atom.item.kind = PageItem::Kind::Text;
                    if (drawing_) {
                        const MeasuredFont::Shown measure =
                            line.wellWithin && o.align == Align::Left
                                ? MeasuredFont::Shown{0, measured.glyphsOf(shown)}
                                : measured.measure(shown, true);
                        double x = 0;
                        if (o.align == Align::Center) x = (boxWidth - measure.width) / 2;
                        if (o.align == Align::Right) x = boxWidth - measure.width;
                        atom.item.text = shown;
                        atom.item.glyphs = measure.glyphs;
                        atom.item.font = o.font;
                        atom.item.baseline = QPointF(o.x + toMm(std::max(0.0, x)),
                                                     o.y + toMm(y + metrics.ascent()));
                        atom.item.clip =
                            o.wrap ? QRectF(o.x, atom.top, o.width, atom.bottom - atom.top) : box;
                        atom.item.clipped = measure.width > boxWidth;
                    }
                    atoms.append(atom);
                }
                y += metrics.lineSpacing();
            }
        }
        *bottom = o.y + toMm(y);
        return atoms;
    }

    // Whether the row of a band meets a condition; without a row nothing does.
    bool meets(const QString& when, const Context& ctx) {
        if (when.isEmpty()) return true;
        if (ctx.row < 0) return false;
        const auto key = qMakePair(when, static_cast<const void*>(ctx.data));
        auto it = conditions_.find(key);
        if (it == conditions_.end()) {
            // Bound once to the fields it tests, in order, so that a row gives it just those.
            Condition c{Selection::parse(when), {}};
            QList<FieldRef> fields;
            c.selection.bind([&](const FieldRef& f) {
                for (qsizetype i = 0; i < fields.size(); ++i)
                    if (fields[i] == f) return static_cast<int>(i);
                fields.append(f);
                c.columns.append(ctx.data->columnOf(f));
                return static_cast<int>(fields.size() - 1);
            });
            it = conditions_.insert(key, c);
        }
        values_.clear();
        for (int column : std::as_const(it->columns))
            values_.append(ctx.data->rows.value(ctx.row, column));
        return it->selection.matches(values_);
    }

    // A picture of an image column, fitted in its box with its aspect kept and centred there.
    void placeFieldPicture(const ReportObject& o, const Context& ctx, BandImage* image) {
        const vb::Variant value = valueOf(o.field, ctx);
        if (!value.isBytes() || value.bytes().isEmpty()) return;
        checkPicture(o.field, ctx.row, value.bytes());
        const QSize size = pictureSize(value.bytes());
        if (size.isEmpty() || o.width <= 0 || o.height <= 0) return;
        const double scale = std::min(o.width / size.width(), o.height / size.height());
        const double w = size.width() * scale, h = size.height() * scale;
        Atom atom;
        atom.top = o.y;
        atom.bottom = o.y + o.height;
        atom.item.kind = PageItem::Kind::Picture;
        atom.item.clip = QRectF(o.x + (o.width - w) / 2, o.y + (o.height - h) / 2, w, h);
        atom.item.picture = value.bytes();
        image->atoms.append(atom);
    }

    // A subreport's rows for the band's row, stacked from the object's place down: its report
    // header, a detail per row and its report footer. The band grows to hold them, as it does
    // for a wrapped text; a subreport that did not run or has no rows for this row draws
    // nothing.
    void placeSubreport(const ReportObject& o, const Context& ctx, BandImage* image) {
        if (ctx.row < 0 || ctx.inSubreport || !o.subreport) return;
        const SubreportData* sub = doc_.subreport(o.name);
        if (!sub) return;
        const SubreportData::Group* group =
            sub->groupOf(subreportKey(o, doc_.form.table, *ctx.data, ctx.row));
        if (!group || group->count == 0) return;
        const ReportForm& form = *o.subreport;
        double y = o.y;
        auto put = [&](const Band& band, qsizetype row) {
            Context inner = ctx;
            inner.data = &sub->data;
            inner.row = row;
            inner.inSubreport = true;
            const BandImage part = renderBand(band, inner);
            for (Atom a : part.atoms) {
                a.top += y;
                a.bottom += y;
                a.item = shifted(a.item, o.x, y);
                image->atoms.append(a);
            }
            y += part.height;
        };
        const qsizetype last = group->first + group->count - 1;
        put(form.band(Band::ReportHeader), group->first);
        for (qsizetype row = group->first; row <= last; ++row) put(form.band(Band::Detail), row);
        put(form.band(Band::ReportFooter), last);
        image->height = std::max(image->height, y);
    }

    struct Condition {
        Selection selection;
        QList<int> columns;  // the data's column of each field it tests
    };

    const ReportDocument& doc_;
    double footerTop_ = 0;
    double cursor_ = 0, bodyTop_ = 0;
    bool drawing_ = false;
    Page* out_ = nullptr;
    QHash<QPair<const void*, const void*>, int> columns_;
    QHash<QPair<QString, const void*>, Condition> conditions_;
    QList<vb::Variant> values_;
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
    : flow_(std::make_unique<Flow>(std::move(document))) {
    forgetMeasures();
    forgetPictures();
}

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

const QFont& layoutFont(const FontSpec& fontSpec) {
    return measuredFont(fontSpec).font;
}

QString displayText(const vb::Variant& value, const QString& format) {
    if (value.isNull() || value.isEmpty() || value.isBytes()) return {};
    if (!format.isEmpty()) return vb::Format(value, format);
    return vb::CStr(value);
}

LaidOutReport layOut(const ReportDocument& document) {
    PagedReport paged(document);
    LaidOutReport out;
    out.title = paged.title();
    out.width = paged.width();
    out.height = paged.height();
    const int pages = paged.pageCount();
    for (int i = 0; i < pages; ++i) out.pages.append(paged.page(i));
    return out;
}

}  // namespace reportengine
