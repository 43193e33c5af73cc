#include "platform/reportengine/bandcontent.h"

#include "platform/reportengine/linkeddata.h"
#include "platform/reportengine/pictures.h"
#include "platform/vb/conversions.h"

#include <QFontMetricsF>
#include <QHash>
#include <QImage>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <deque>
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
    explicit MeasuredFont(const FontChoice& s)
        : fontChoice(s),
          font(layoutFont(s)),
          metrics(font, const_cast<QPaintDevice*>(measuringDevice())) {}

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

    FontChoice fontChoice;
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

// A condition on the row (a selection formula), bound to the columns of the rows it tests.
struct Condition {
    Selection selection;
    QList<int> columns;  // the rows' column of each field it tests, by its slot
};

struct ShownForm;

// A band's object with what it reads resolved against the rows of its band.
struct ShownObject {
    const ReportObject* object = nullptr;
    std::optional<Condition> when;
    int column = -1;                       // a field or a field picture: its column
    MeasuredFont* font = nullptr;          // an object that shows a text
    const ShownForm* subreport = nullptr;  // a subreport that ran: its bands and rows
    QList<int> keyColumns;                 // ... and the columns of its links in the report's rows
};

struct ShownBand {
    const Band* band = nullptr;
    std::optional<Condition> when;
    QList<ShownObject> objects;
};

// A form's bands resolved against the rows they show.
struct ShownForm {
    const ReportData* data = nullptr;
    const SubreportData* groups = nullptr;  // a subreport's: its rows by the report's row
    ShownBand bands[Band::KindCount];
};

// The values a band shows: a row of its rows (none outside them), and for page numbers the
// page and the page count (0 while it is not known).
struct Context {
    qsizetype row = -1;
    int page = 0, pages = 0;
    bool drawing = false;
};

}  // namespace

QString displayText(const vb::Variant& value, const QString& format) {
    if (value.isNull() || value.isEmpty() || value.isBytes()) return {};
    if (!format.isEmpty()) return vb::Format(value, format);
    return vb::CStr(value);
}

PageItem shifted(PageItem item, double dx, double dy) {
    item.baseline += QPointF(dx, dy);
    item.clip.translate(dx, dy);
    item.line.translate(dx, dy);
    return item;
}

struct BandContent::Impl {
    explicit Impl(const ReportDocument& document) : doc(document) {
        resolve(doc.form, doc.data, &report, true);
    }

    // The bands of a form, every field and condition bound to its column in `data`; with
    // `subreports`, the subreports that ran too.
    void resolve(const ReportForm& form, const ReportData& data, ShownForm* out, bool subreports) {
        out->data = &data;
        for (int kind = 0; kind < Band::KindCount; ++kind) {
            const Band& band = form.bands[kind];
            ShownBand& shown = out->bands[kind];
            shown.band = &band;
            shown.when = condition(band.when, data);
            for (const ReportObject& o : band.objects) {
                ShownObject s;
                s.object = &o;
                s.when = condition(o.when, data);
                if (o.kind == ReportObject::Kind::Field || o.isFieldPicture())
                    s.column = data.columnOf(o.field);
                if (o.kind == ReportObject::Kind::Text || o.kind == ReportObject::Kind::Field ||
                    o.kind == ReportObject::Kind::Formula ||
                    o.kind == ReportObject::Kind::PageNumber)
                    s.font = &fontOf(o.font);
                if (o.kind == ReportObject::Kind::Subreport && subreports && o.subreport) {
                    if (const SubreportData* sub = doc.subreport(o.name)) {
                        ShownForm& inner = subreportForms.emplace_back();
                        resolve(*o.subreport, sub->data, &inner, false);
                        inner.groups = sub;
                        s.subreport = &inner;
                        s.keyColumns = subreportKeyColumns(o, data);
                    }
                }
                shown.objects.append(s);
            }
        }
    }

    // A condition bound once to the fields it tests, in order, so that a row gives it just
    // those; nothing for an empty one.
    static std::optional<Condition> condition(const QString& when, const ReportData& data) {
        if (when.isEmpty()) return std::nullopt;
        Condition c{Selection::parse(when), {}};
        QList<FieldRef> fields;
        c.selection.bind([&](const FieldRef& f) {
            for (qsizetype i = 0; i < fields.size(); ++i)
                if (fields[i] == f) return static_cast<int>(i);
            fields.append(f);
            c.columns.append(data.columnOf(f));
            return static_cast<int>(fields.size() - 1);
        });
        return c;
    }

    MeasuredFont& fontOf(const FontChoice& choice) {
        for (const auto& f : fonts)
            if (f->fontChoice == choice) return *f;
        fonts.push_back(std::make_unique<MeasuredFont>(choice));
        return *fonts.back();
    }

    // Whether the row of a band meets a condition; without a row nothing does.
    bool meets(const std::optional<Condition>& when, const ReportData& data, qsizetype row) {
        if (!when) return true;
        if (row < 0) return false;
        values.clear();
        for (int column : std::as_const(when->columns))
            values.append(data.rows.value(row, column));
        return when->selection.matches(values);
    }

    BandImage render(const ShownBand& band, const ShownForm& form, const Context& ctx) {
        BandImage image;
        if (!meets(band.when, *form.data, ctx.row)) return image;
        image.height = band.band->height;
        for (const ShownObject& s : band.objects) {
            const ReportObject& o = *s.object;
            if (!meets(s.when, *form.data, ctx.row)) continue;
            if (o.kind == ReportObject::Kind::Subreport) {
                placeSubreport(s, *form.data, ctx, &image);
                continue;
            }
            if (o.isFieldPicture()) {
                placeFieldPicture(s, *form.data, ctx, &image);
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
                if (ctx.drawing) atom.item.picture = pictures.image(o.picture);
                image.atoms.append(atom);
                continue;
            }
            if (!s.font) continue;
            double bottom = 0;
            image.atoms.append(
                textAtoms(o, *s.font, objectText(s, *form.data, ctx), ctx.drawing, &bottom));
            // A page number never grows its band: the count it shows is not known while the
            // pages are being counted.
            if (o.wrap && o.kind != ReportObject::Kind::PageNumber)
                image.height = std::max(image.height, bottom);
        }
        return image;
    }

    static vb::Variant valueOf(const ShownObject& s, const ReportData& data, qsizetype row) {
        if (row < 0) return {};
        return data.rows.value(row, s.column);
    }

    QString objectText(const ShownObject& s, const ReportData& data, const Context& ctx) const {
        const ReportObject& o = *s.object;
        switch (o.kind) {
            case ReportObject::Kind::Text:
                return o.text;
            case ReportObject::Kind::Field:
                return displayText(valueOf(s, data, ctx.row), o.format);
            case ReportObject::Kind::Formula:
                return doc.formula(o.formula);
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
    QList<Atom> textAtoms(const ReportObject& o, MeasuredFont& measured, const QString& text,
                          bool drawing, double* bottom) {
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
                    if (drawing) {
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

    // A picture of an image column, fitted in its box with its aspect kept and centred there.
    void placeFieldPicture(const ShownObject& s, const ReportData& data, const Context& ctx,
                           BandImage* image) {
        const ReportObject& o = *s.object;
        const vb::Variant value = valueOf(s, data, ctx.row);
        if (!value.isBytes() || value.bytes().isEmpty()) return;
        pictures.check(o.field, ctx.row, value.bytes());
        const QSize size = pictures.size(value.bytes());
        if (size.isEmpty() || o.width <= 0 || o.height <= 0) return;
        const double scale = std::min(o.width / size.width(), o.height / size.height());
        const double w = size.width() * scale, h = size.height() * scale;
        Atom atom;
        atom.top = o.y;
        atom.bottom = o.y + o.height;
        atom.item.kind = PageItem::Kind::Picture;
        atom.item.clip = QRectF(o.x + (o.width - w) / 2, o.y + (o.height - h) / 2, w, h);
        if (ctx.drawing) atom.item.picture = pictures.image(value.bytes());
        image->atoms.append(atom);
    }

    // A subreport's rows for the band's row, stacked from the object's place down: its report
    // header, a detail per row and its report footer. The band grows to hold them, as it does
    // for a wrapped text; a subreport that did not run or has no rows for this row draws
    // nothing.
    void placeSubreport(const ShownObject& s, const ReportData& data, const Context& ctx,
                        BandImage* image) {
        if (ctx.row < 0 || !s.subreport) return;
        const ShownForm& form = *s.subreport;
        const SubreportData::Group* group =
            form.groups->groupOf(subreportKey(s.keyColumns, data, ctx.row));
        if (!group || group->count == 0) return;
        const ReportObject& o = *s.object;
        double y = o.y;
        auto put = [&](Band::Kind kind, qsizetype row) {
            Context inner = ctx;
            inner.row = row;
            const BandImage part = render(form.bands[kind], form, inner);
            for (Atom a : part.atoms) {
                a.top += y;
                a.bottom += y;
                a.item = shifted(a.item, o.x, y);
                image->atoms.append(a);
            }
            y += part.height;
        };
        const qsizetype last = group->first + group->count - 1;
        put(Band::ReportHeader, group->first);
        for (qsizetype row = group->first; row <= last; ++row) put(Band::Detail, row);
        put(Band::ReportFooter, last);
        image->height = std::max(image->height, y);
    }

    const ReportDocument& doc;
    ShownForm report;
    std::deque<ShownForm> subreportForms;  // where the report's subreport objects point
    std::vector<std::unique_ptr<MeasuredFont>> fonts;
    PictureCache pictures;
    QList<vb::Variant> values;  // a condition's values of one row
};

BandContent::BandContent(const ReportDocument& document) : d_(std::make_unique<Impl>(document)) {}

BandContent::~BandContent() = default;

BandImage BandContent::show(Band::Kind band, qsizetype row, int page, int pages, bool drawing) {
    return d_->render(d_->report.bands[band], d_->report, Context{row, page, pages, drawing});
}

}  // namespace reportengine
