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

    double width(const QString& text) {
        if (text.size() > 40) return metrics.horizontalAdvance(text);
        if (const auto it = widths.constFind(text); it != widths.constEnd()) return *it;
        if (widths.size() > 20000) widths.clear();
        return *widths.insert(text, metrics.horizontalAdvance(text));
    }

    FontSpec fontSpec;
    QFont font;
    QFontMetricsF metrics;
    QHash<QString, double> widths;
};

MeasuredFont& measuredFont(const FontSpec& fontSpec) {
    static std::vector<std::unique_ptr<MeasuredFont>> fonts;
    for (const auto& f : fonts) {
        if (f->fontSpec == fontSpec) return *f;
    }
    fonts.push_back(std::make_unique<MeasuredFont>(fontSpec));
    return *fonts.back();
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
};

QString objectText(const ReportObject& o, const Context& ctx) {
    switch (o.kind) {
        case ReportObject::Kind::Text:
            return o.text;
        case ReportObject::Kind::Field: {
            const int column = ctx.doc->data.columnOf(o.field);
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
    const QFont& font = measured.font;
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
        QList<QPair<QString, double>> lines;  // the text shown, its width
        const QString whole = o.wrap ? paragraph.trimmed() : paragraph;
        const double wholeWidth = measured.width(whole);
        if (!o.wrap || wholeWidth <= boxWidth) {
            lines.append({whole, wholeWidth});
        } else {
            QTextLayout layout(paragraph, font, const_cast<QPaintDevice*>(measuringDevice()));
            QTextOption option;
            option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
            layout.setTextOption(option);
            layout.beginLayout();
            for (QTextLine line = layout.createLine(); line.isValid();
                 line = layout.createLine()) {
                line.setLineWidth(boxWidth);
                const QString shown = paragraph.mid(line.textStart(), line.textLength()).trimmed();
                lines.append({shown, measured.width(shown)});
            }
            layout.endLayout();
        }
        for (const auto& [shown, width] : lines) {
            double x = 0;
            if (o.align == Align::Center) x = (boxWidth - width) / 2;
            if (o.align == Align::Right) x = boxWidth - width;
            Atom atom;
            atom.top = o.y + toMm(y);
            atom.bottom = o.y + toMm(y + metrics.height());
            atom.item.kind = PageItem::Kind::Text;
            atom.item.text = shown;
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

BandImage renderBand(const Band& band, const Context& ctx) {
    BandImage image;
    image.height = band.height;
    for (const ReportObject& o : band.objects) {
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
        newPage();
        if (bodyTop_ >= footerTop_) {
            fail(err::FormInvalid,
                 QStringLiteral("Las secciones del formulario no dejan lugar en la página"));
        }
        for (const auto& row : rows) place(renderBand(f.band(Band::Detail), context(&row, 0)));
        place(renderBand(f.band(Band::ReportFooter),
                         context(rows.isEmpty() ? nullptr : &rows.back(), 0)));

        // Headers and footers last: their page numbers need the page count.
        const int pages = out_.pages.size();
        for (int i = 0; i < pages; ++i) {
            Context ctx = context(nullptr, i + 1);
            ctx.pages = pages;
            if (i == 0) {
                Context first = ctx;
                first.row = rows.isEmpty() ? nullptr : &rows.front();
                putAt(i, renderBand(f.band(Band::ReportHeader), first), f.marginTop);
            }
            putAt(i, renderBand(f.band(Band::PageHeader), ctx), pageHeaderTops_[i]);
            putAt(i, renderBand(f.band(Band::PageFooter), ctx), footerTop_);
        }
        return out_;
    }

private:
    Context context(const QList<vb::Variant>* row, int page) const {
        return Context{&doc_, row, page, 0};
    }

    // Opens a page, leaving room for its headers, which are filled in at the end.
    void newPage() {
        const ReportForm& f = doc_.form;
        out_.pages.append(Page{});
        cursor_ = f.marginTop;
        const int number = out_.pages.size();
        if (number == 1) {
            cursor_ += renderBand(f.band(Band::ReportHeader), context(nullptr, number)).height;
        }
        pageHeaderTops_.append(cursor_);
        cursor_ += renderBand(f.band(Band::PageHeader), context(nullptr, number)).height;
        bodyTop_ = cursor_;
    }

    void putAt(int page, const BandImage& image, double top) {
        for (const Atom& a : image.atoms) {
            out_.pages[page].items.append(shifted(a.item, doc_.form.marginLeft, top));
        }
    }

    void place(const BandImage& image) {
        if (image.height <= footerTop_ - cursor_ + 1e-9) {
            // A band that fits may still hold a text reaching below it: it is cut at the body.
            QList<bool> placed(image.atoms.size(), false);
            putSlice(image, 0, std::numeric_limits<double>::infinity(), &placed);
            cursor_ += image.height;
            return;
        }
        if (cursor_ > bodyTop_ + 1e-9) newPage();
        QList<bool> placed(image.atoms.size(), false);
        double sliceStart = 0;
        for (;;) {
            const double room = footerTop_ - cursor_;
            if (image.height - sliceStart <= room + 1e-9) {
                putSlice(image, sliceStart, image.height + 1, &placed);
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
            putSlice(image, sliceStart, cut, &placed);
            newPage();
            sliceStart = cut;
        }
    }

    void putSlice(const BandImage& image, double from, double to, QList<bool>* placed) {
        const double dy = cursor_ - from;
        const QRectF body(0, bodyTop_, out_.width, footerTop_ - bodyTop_);
        for (int i = 0; i < image.atoms.size(); ++i) {
            const Atom& a = image.atoms[i];
            if ((*placed)[i] || a.top >= to) continue;
            (*placed)[i] = true;
            PageItem item = shifted(a.item, doc_.form.marginLeft, dy);
            if (item.kind == PageItem::Kind::Text) {
                // What the line may paint: its box when it is clipped to it, else its box and
                // its whole height, which a font taller than the box takes below it.
                QRectF paints = item.clip;
                if (!item.clipped)
                    paints |=
                        QRectF(item.clip.left(), a.top + dy, item.clip.width(), a.bottom - a.top);
                if (!body.contains(paints)) {
                    item.clip = paints.intersected(body);
                    item.clipped = true;
                }
            }
            out_.pages.back().items.append(item);
        }
    }

    const ReportDocument& doc_;
    LaidOutReport out_;
    double cursor_ = 0, bodyTop_ = 0, footerTop_ = 0;
    QList<double> pageHeaderTops_;
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
    return Paginator(document).run();
}

}  // namespace reportengine
