#include "platform/reportengine/layout.h"

#include "platform/reportengine/errors.h"
#include "platform/vb/conversions.h"

#include <QFontMetricsF>
#include <QHash>
#include <QImage>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
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
        auto it = measures.find(text);
        if (it == measures.end()) {
            if (measures.size() > 20000) measures.clear();
            it = measures.insert(text, Measure{metrics.horizontalAdvance(text), 0, {}});
        }
        if (drawn && ++it->drawn == 2 && !text.isEmpty()) it->glyphs = shape(text);
        return {it->width, it->glyphs};
    }

    double width(const QString& text) { return measure(text, false).width; }

    // Where a paragraph too wide for its box breaks: the shown text of each line. Short
    // paragraphs (a process name, a user) repeat from row to row and are broken once.
    QStringList lines(const QString& paragraph, double boxWidth) {
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
        QStringList out;
        QTextLayout layout(marked, font, const_cast<QPaintDevice*>(measuringDevice()));
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(boxWidth);
            out.append(marked.mid(line.textStart(), line.textLength()).remove(kBreak).trimmed());
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
    QHash<QPair<QString, double>, QStringList> breaks;
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

// The values a band shows: one row (or none, outside the detail), the formulas, and for page
// numbers the page and the page count.
struct Context {
    const ReportDocument* doc = nullptr;
    const QList<vb::Variant>* row = nullptr;
    int page = 0, pages = 0;
    const ReportData* data = nullptr;  // the columns of `row` when not the report's (subreports)
};

const ReportData& dataOf(const Context& ctx) {
    return ctx.data ? *ctx.data : ctx.doc->data;
}

QString objectText(const ReportObject& o, const Context& ctx) {
    switch (o.kind) {
        case ReportObject::Kind::Text:
            return o.text;
        case ReportObject::Kind::Field: {
            const int column = dataOf(ctx).columnOf(o.field);
            if (column < 0 || !ctx.row || column >= ctx.row->size()) return {};
            return displayText(ctx.row->at(column), o.format);
        }
        case ReportObject::Kind::Formula:
            return ctx.doc->formula(o.formula);
        case ReportObject::Kind::PageNumber: {
            QString text = o.text;
            text.replace(QLatin1String("{page}"), QString::number(ctx.page));
            text.replace(QLatin1String("{pages}"), QString::number(ctx.pages));
            return text;
        }
        default:
            return {};
    }
}

// Lines of a text in an object's box, positioned relative to the band.
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
        QList<QPair<QString, MeasuredFont::Shown>> lines;  // the text shown, its measure
        const QString whole = o.wrap ? paragraph.trimmed() : paragraph;
        if (!o.wrap) {
            lines.append({whole, measured.measure(whole, true)});
        } else if (measured.width(whole) <= boxWidth) {
            lines.append({whole, measured.measure(whole, true)});
        } else {
            for (const QString& shown : measured.lines(paragraph, boxWidth))
                lines.append({shown, measured.measure(shown, true)});
        }
        for (const auto& [shown, measure] : lines) {
            const double width = measure.width;
            double x = 0;
            if (o.align == Align::Center) x = (boxWidth - width) / 2;
            if (o.align == Align::Right) x = boxWidth - width;
            Atom atom;
            atom.top = o.y + toMm(y);
            atom.bottom = o.y + toMm(y + metrics.height());
            atom.item.kind = PageItem::Kind::Text;
            atom.item.text = shown;
            atom.item.glyphs = measure.glyphs;
            atom.item.font = o.font;
            atom.item.baseline =
                QPointF(o.x + toMm(std::max(0.0, x)), o.y + toMm(y + metrics.ascent()));
            atom.item.clip = o.wrap ? QRectF(o.x, atom.top, o.width, atom.bottom - atom.top) : box;
            atom.item.clipped = width > boxWidth;
            if (!shown.isEmpty()) atoms.append(atom);
            y += metrics.lineSpacing();
        }
    }
    *bottom = o.y + toMm(y);
    return atoms;
}

bool meets(const QString& when, const Context& ctx);
void placeFieldPicture(const ReportObject& o, const Context& ctx, BandImage* image);
void placeSubreport(const ReportObject& o, const Context& ctx, BandImage* image);

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
        if (o.wrap) image.height = std::max(image.height, bottom);
    }
    return image;
}

PageItem shifted(PageItem item, double dx, double dy) {
    item.baseline += QPointF(dx, dy);
    item.clip.translate(dx, dy);
    item.line.translate(dx, dy);
    return item;
}

// Whether the row of a band meets a condition; without a row nothing does.
bool meets(const QString& when, const Context& ctx) {
    if (when.isEmpty()) return true;
    if (!ctx.row) return false;
    static QHash<QString, Selection> parsed;
    auto it = parsed.constFind(when);
    if (it == parsed.constEnd()) {
        if (parsed.size() > 1000) parsed.clear();
        it = parsed.insert(when, Selection::parse(when));
    }
    Selection condition = *it;
    const ReportData& data = dataOf(ctx);
    condition.bind([&data](const FieldRef& f) { return data.columnOf(f); });
    return condition.matches(*ctx.row);
}

// A picture of an image column, fitted in its box with its aspect kept and centred there.
void placeFieldPicture(const ReportObject& o, const Context& ctx, BandImage* image) {
    const int column = dataOf(ctx).columnOf(o.field);
    if (!ctx.row || column < 0 || column >= ctx.row->size()) return;
    const vb::Variant& value = ctx.row->at(column);
    if (!value.isBytes() || value.bytes().isEmpty()) return;
    const QSize size = QImage::fromData(value.bytes()).size();
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
// header, a detail per row and its report footer. The band grows to hold them, as it does for
// a wrapped text; a subreport that did not run or has no rows for this row draws nothing.
void placeSubreport(const ReportObject& o, const Context& ctx, BandImage* image) {
    if (!ctx.row || ctx.data || !o.subreport) return;
    const SubreportData* sub = ctx.doc->subreport(o.name);
    if (!sub) return;
    const SubreportData::Group* group =
        sub->groupOf(subreportKey(o, ctx.doc->form.table, ctx.doc->data, *ctx.row));
    if (!group || group->rows.isEmpty()) return;
    ReportData data;
    data.columns = sub->columns;
    const ReportForm& form = *o.subreport;
    double y = o.y;
    auto put = [&](const Band& band, const QList<vb::Variant>& row) {
        Context inner = ctx;
        inner.row = &row;
        inner.data = &data;
        const BandImage part = renderBand(band, inner);
        for (Atom a : part.atoms) {
            a.top += y;
            a.bottom += y;
            a.item = shifted(a.item, o.x, y);
            image->atoms.append(a);
        }
        y += part.height;
    };
    put(form.band(Band::ReportHeader), group->rows.front());
    for (const auto& row : group->rows) put(form.band(Band::Detail), row);
    put(form.band(Band::ReportFooter), group->rows.back());
    image->height = std::max(image->height, y);
}

// A page's row for its page bands: the page header shows the first row of its page, the page
// footer the last one, as banded report engines do.
struct PageRows {
    const QList<vb::Variant>* first = nullptr;
    const QList<vb::Variant>* last = nullptr;
    double headerTop = 0, headerHeight = 0;
};

class Paginator {
public:
    explicit Paginator(const ReportDocument& doc) : doc_(doc) {
        const ReportForm& f = doc.form;
        out_.title = f.title;
        out_.width = f.pageWidth;
        out_.height = f.pageHeight;
        footerTop_ = f.pageHeight - f.marginBottom - f.band(Band::PageFooter).height;
    }

    LaidOutReport run() {
        const ReportForm& f = doc_.form;
        const auto& rows = doc_.data.rows;
        const QList<vb::Variant>* first = rows.isEmpty() ? nullptr : &rows.front();
        const QList<vb::Variant>* last = rows.isEmpty() ? nullptr : &rows.back();
        newPage(first);
        if (bodyTop_ >= footerTop_) {
            fail(err::FormInvalid,
                 QStringLiteral("Las secciones del formulario no dejan lugar en la página"));
        }
        for (const auto& row : rows)
            place(renderBand(f.band(Band::Detail), context(&row, 0)), &row);
        place(renderBand(f.band(Band::ReportFooter), context(last, 0)), last);

        // Headers and footers last: their page numbers need the page count.
        const int pages = out_.pages.size();
        for (int i = 0; i < pages; ++i) {
            const PageRows& at = pageRows_[i];
            Context ctx = context(nullptr, i + 1);
            ctx.pages = pages;
            if (i == 0) {
                Context withFirst = ctx;
                withFirst.row = first;
                putAt(i, renderBand(f.band(Band::ReportHeader), withFirst), f.marginTop);
            }
            ctx.row = at.first;
            putBand(i, renderBand(f.band(Band::PageHeader), ctx), at.headerTop, at.headerHeight);
            ctx.row = at.last;
            putBand(i, renderBand(f.band(Band::PageFooter), ctx), footerTop_,
                    f.band(Band::PageFooter).height);
        }
        return out_;
    }

private:
    Context context(const QList<vb::Variant>* row, int page) const {
        return Context{&doc_, row, page, 0};
    }

    // Opens a page whose first row is `row`, leaving room for its headers, which are filled in
    // at the end. The page header grows with what it shows of the row, but always leaves the
    // body room for a detail.
    void newPage(const QList<vb::Variant>* row) {
        const ReportForm& f = doc_.form;
        out_.pages.append(Page{});
        cursor_ = f.marginTop;
        const int number = out_.pages.size();
        if (number == 1) {
            // Measured with the row it is drawn with: its wrapped fields and subreports grow it.
            cursor_ += renderBand(f.band(Band::ReportHeader), context(row, number)).height;
        }
        const Band& header = f.band(Band::PageHeader);
        const double room = footerTop_ - cursor_ - std::max(f.band(Band::Detail).height, 1.0);
        const double height = std::min(renderBand(header, context(row, number)).height,
                                       std::max(header.height, room));
        pageRows_.append(PageRows{row, row, cursor_, height});
        cursor_ += height;
        bodyTop_ = cursor_;
    }

    void putAt(int page, const BandImage& image, double top) {
        for (const Atom& a : image.atoms) {
            out_.pages[page].items.append(shifted(a.item, doc_.form.marginLeft, top));
        }
    }

    // A page band in its place: what lies below its height is left out, and a text crossing
    // that edge is cut there.
    void putBand(int page, const BandImage& image, double top, double height) {
        const QRectF area(0, top, out_.width, height);
        for (const Atom& a : image.atoms) {
            if (a.top >= height - 1e-9) continue;
            out_.pages[page].items.append(inArea(a, top, area));
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

    void place(const BandImage& image, const QList<vb::Variant>* row) {
        if (image.height <= footerTop_ - cursor_ + 1e-9) {
            // A band that fits may still hold a text reaching below it: it is cut at the body.
            QList<bool> placed(image.atoms.size(), false);
            putSlice(image, 0, std::numeric_limits<double>::infinity(), &placed, row);
            cursor_ += image.height;
            return;
        }
        if (cursor_ > bodyTop_ + 1e-9) newPage(row);
        QList<bool> placed(image.atoms.size(), false);
        double sliceStart = 0;
        for (;;) {
            const double room = footerTop_ - cursor_;
            if (image.height - sliceStart <= room + 1e-9) {
                putSlice(image, sliceStart, image.height + 1, &placed, row);
                cursor_ += image.height - sliceStart;
                return;
            }
            double cut = sliceStart + room;
            for (int i = 0; i < image.atoms.size(); ++i) {
                const Atom& a = image.atoms[i];
                if (!placed[i] && a.top < cut && a.bottom > cut + 1e-9) cut = std::min(cut, a.top);
            }
            // A piece taller than a whole page is cut at the page's end.
            if (cut <= sliceStart + 1e-9) cut = sliceStart + room;
            putSlice(image, sliceStart, cut, &placed, row);
            newPage(row);
            sliceStart = cut;
        }
    }

    void putSlice(const BandImage& image, double from, double to, QList<bool>* placed,
                  const QList<vb::Variant>* row) {
        pageRows_.back().last = row;
        const double dy = cursor_ - from;
        const QRectF body(0, bodyTop_, out_.width, footerTop_ - bodyTop_);
        for (int i = 0; i < image.atoms.size(); ++i) {
            const Atom& a = image.atoms[i];
            if ((*placed)[i] || a.top >= to) continue;
            (*placed)[i] = true;
            out_.pages.back().items.append(inArea(a, dy, body));
        }
    }

    const ReportDocument& doc_;
    LaidOutReport out_;
    double cursor_ = 0, bodyTop_ = 0, footerTop_ = 0;
    QList<PageRows> pageRows_;
};

}  // namespace

const QFont& layoutFont(const FontSpec& fontSpec) {
    return measuredFont(fontSpec).font;
}

QString displayText(const vb::Variant& value, const QString& format) {
    if (value.isNull() || value.isEmpty() || value.isBytes()) return {};
    if (!format.isEmpty()) return vb::Format(value, format);
    return vb::CStr(value);
}

LaidOutReport layOut(const ReportDocument& document) {
    forgetMeasures();
    return Paginator(document).run();
}

}  // namespace reportengine
