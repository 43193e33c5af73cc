#include "platform/reportengine/reportform.h"

#include "platform/reportengine/errors.h"
#include "platform/reportengine/picturereader.h"
#include "platform/vb/app.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <algorithm>
#include <cmath>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace reportengine {

namespace {

constexpr int kFormVersion = 1;

// No page is larger (millimetres, or points for a font): a larger measure is no measure at all.
constexpr double kLargestMeasure = 10000;

const char* const kBandNames[Band::KindCount] = {"reportHeader", "pageHeader", "detail",
                                                 "pageFooter", "reportFooter"};

struct PageSize {
    const char* name;
    double width, height;
};
constexpr PageSize kPageSizes[] = {
    {"A4", 210, 297}, {"A5", 148, 210}, {"Letter", 215.9, 279.4}, {"Legal", 215.9, 355.6}};

class FormReader {
public:
    FormReader(QXmlStreamReader& xml, QString baseDir) : xml_(xml), baseDir_(std::move(baseDir)) {}

    // Reads the <report> element the reader stands on.
    ReportForm read() {
        if (xml_.name() != u"report") {
            invalid(QStringLiteral("el documento no es un formulario de reporte"));
        }
        const auto version = xml_.attributes().value(QLatin1String("version")).toInt();
        if (version != kFormVersion) {
            invalid(QStringLiteral("versión de formulario desconocida"));
        }
        ReportForm form;
        form.title = xml_.attributes().value(QLatin1String("title")).toString();
        checkAttributes({u"version", u"title"});
        bool sawData = false;
        while (xml_.readNextStartElement()) {
            const auto name = xml_.name();
            if (name == u"page") {
                readPage(&form);
            } else if (name == u"data") {
                readData(&form);
                sawData = true;
            } else if (name == u"font") {
                form.font = readFont(FontChoice{});
                checkAttributes({u"family", u"size", u"bold", u"italic"});
                xml_.skipCurrentElement();
            } else if (const int kind = bandKind(name); kind >= 0) {
                Band& band = form.bands[kind];
                if (band.present) invalid(QStringLiteral("sección repetida"));
                band.present = true;
                band.height = number(QLatin1String("height"));
                band.when = condition(QLatin1String("when"));
                checkAttributes({u"height", u"when"});
                while (xml_.readNextStartElement()) band.objects.append(readObject(form.font));
            } else {
                invalid(QStringLiteral("elemento desconocido <%1>").arg(name));
            }
        }
        if (xml_.hasError()) invalid(xml_.errorString());
        if (!sawData || form.table.isEmpty()) invalid(QStringLiteral("falta <data table=...>"));
        checkFitsThePage(form);
        return form;
    }

private:
    [[noreturn]] void invalid(const QString& what) const {
        fail(err::FormInvalid, QStringLiteral("Formulario de reporte inválido (línea %1): %2")
                                   .arg(xml_.lineNumber())
                                   .arg(what));
    }

    // A picture of the form larger than a report may draw is refused by its measure.
    static void checkPicture(const QByteArray& bytes, const QString& name) {
        QByteArray held = bytes;
        QBuffer buffer(&held);
        buffer.open(QIODevice::ReadOnly);
        const QString refusal = pictureRefusal(name, measurePicture(buffer));
        if (!refusal.isEmpty()) fail(err::FormInvalid, refusal);
    }

    // A form names its pictures and subreports: they may come from its own folder or the
    // program's (and their subfolders), links followed, never from anywhere else on the machine.
    bool fileAllowed(const QString& path) const {
        const QString real = QFileInfo(path).canonicalFilePath();
        if (real.isEmpty()) return true;  // missing: reported as unreadable
        for (const QString& folder : {baseDir_, vb::App().Path}) {
            if (folder.isEmpty()) continue;
            const QString root = QFileInfo(folder).canonicalFilePath();
            if (!root.isEmpty() && real.startsWith(root + u'/')) return true;
        }
        return false;
    }

    // Margins leave a body, bands fit in it (the page header and footer together leave room),
    // and objects, lines and fonts fit the page: the layout never runs without end.
    void checkFitsThePage(const ReportForm& form) const {
        const auto outside = [&](const char* attribute, const QString& where) {
            invalid(QStringLiteral("\"%1\" de %2 excede la página")
                        .arg(QLatin1String(attribute), where));
        };
        if (form.pageWidth <= 0) outside("width", QStringLiteral("<page>"));
        if (form.pageHeight <= 0) outside("height", QStringLiteral("<page>"));
        if (form.marginLeft + form.marginRight >= form.pageWidth)
            outside(form.marginRight > 0 ? "right" : "left", QStringLiteral("<page>"));
        if (form.marginTop + form.marginBottom >= form.pageHeight)
            outside(form.marginBottom > 0 ? "bottom" : "top", QStringLiteral("<page>"));
        const double body = form.pageHeight - form.marginTop - form.marginBottom;
        const double largestFont = form.pageHeight * 72.0 / 25.4;
        if (form.font.size > largestFont) outside("size", QStringLiteral("<font>"));
        for (int k = 0; k < Band::KindCount; ++k) {
            const Band& band = form.bands[k];
            const QString where = QStringLiteral("<%1>").arg(QLatin1String(kBandNames[k]));
            if (band.height > body) outside("height", where);
            for (const ReportObject& o : band.objects) {
                if (o.kind == ReportObject::Kind::Line) {
                    if (o.x > form.pageWidth) outside("x1", where);
                    if (o.y > form.pageHeight) outside("y1", where);
                    if (o.x2 > form.pageWidth) outside("x2", where);
                    if (o.y2 > form.pageHeight) outside("y2", where);
                    if (o.lineWidth > std::min(form.pageWidth, form.pageHeight))
                        outside("thickness", where);
                    continue;
                }
                if (o.x > form.pageWidth) outside("x", where);
                if (o.y > form.pageHeight) outside("y", where);
                if (o.x + o.width > form.pageWidth) outside("width", where);
                if (o.y + o.height > form.pageHeight) outside("height", where);
                if (o.font.size > largestFont) outside("size", where);
            }
        }
        const double pageBands =
            form.bands[Band::PageHeader].height + form.bands[Band::PageFooter].height;
        if (pageBands >= body) outside("height", QStringLiteral("<pageFooter>"));
    }

    static int bandKind(QStringView name) {
        for (int i = 0; i < Band::KindCount; ++i) {
            if (name == QLatin1String(kBandNames[i])) return i;
        }
        return -1;
    }

    void checkAttributes(std::initializer_list<QStringView> known) const {
        for (const auto& a : xml_.attributes()) {
            bool ok = false;
            for (QStringView k : known) ok = ok || a.name() == k;
            ok = ok || (objectAttributes_ && a.name() == u"when");
            if (!ok) invalid(QStringLiteral("atributo desconocido \"%1\"").arg(a.name()));
        }
    }

    double number(QLatin1String attribute, std::optional<double> fallback = std::nullopt) const {
        const auto text = xml_.attributes().value(attribute);
        if (text.isEmpty()) {
            if (fallback) return *fallback;
            invalid(QStringLiteral("falta el atributo \"%1\"").arg(attribute));
        }
        bool ok = false;
        const double value = text.toDouble(&ok);
        if (!ok || !std::isfinite(value) || value < 0) {
            invalid(QStringLiteral("\"%1\" no es una medida").arg(attribute));
        }
        if (value > kLargestMeasure) {
            invalid(QStringLiteral("\"%1\" excede la página").arg(attribute));
        }
        return value;
    }

    bool flag(QLatin1String attribute, bool fallback) const {
        const auto text = xml_.attributes().value(attribute);
        if (text.isEmpty()) return fallback;
        if (text == u"true") return true;
        if (text == u"false") return false;
        invalid(QStringLiteral("\"%1\" debe ser true o false").arg(attribute));
    }

    FontChoice readFont(FontChoice font) const {
        const auto a = xml_.attributes();
        if (a.hasAttribute(QLatin1String("family")))
            font.family = a.value(QLatin1String("family")).toString();
        font.size = number(QLatin1String("size"), font.size);
        font.bold = flag(QLatin1String("bold"), font.bold);
        font.italic = flag(QLatin1String("italic"), font.italic);
        return font;
    }

    void readPage(ReportForm* form) {
        const auto a = xml_.attributes();
        const auto size = a.value(QLatin1String("size"));
        if (!size.isEmpty()) {
            bool found = false;
            for (const PageSize& p : kPageSizes) {
                if (size.compare(QLatin1String(p.name), Qt::CaseInsensitive) == 0) {
                    form->pageWidth = p.width;
                    form->pageHeight = p.height;
                    found = true;
                }
            }
            if (!found) invalid(QStringLiteral("tamaño de página desconocido"));
        }
        form->pageWidth = number(QLatin1String("width"), form->pageWidth);
        form->pageHeight = number(QLatin1String("height"), form->pageHeight);
        const auto orientation = a.value(QLatin1String("orientation"));
        if (orientation == u"landscape") {
            if (form->pageWidth < form->pageHeight) std::swap(form->pageWidth, form->pageHeight);
        } else if (!orientation.isEmpty() && orientation != u"portrait") {
            invalid(QStringLiteral("orientación desconocida"));
        }
        form->marginLeft = number(QLatin1String("left"), form->marginLeft);
        form->marginTop = number(QLatin1String("top"), form->marginTop);
        form->marginRight = number(QLatin1String("right"), form->marginRight);
        form->marginBottom = number(QLatin1String("bottom"), form->marginBottom);
        checkAttributes(
            {u"size", u"width", u"height", u"orientation", u"left", u"top", u"right", u"bottom"});
        xml_.skipCurrentElement();
    }

    void readData(ReportForm* form) {
        form->table = xml_.attributes().value(QLatin1String("table")).toString().trimmed();
        const QString aliases = xml_.attributes().value(QLatin1String("aliases")).toString();
        for (const QString& a :
             aliases.split(QRegularExpression(QStringLiteral("[,\\s]+")), Qt::SkipEmptyParts))
            form->aliases.append(a);
        checkAttributes({u"table", u"aliases"});
        while (xml_.readNextStartElement()) {
            if (xml_.name() == u"link") {
                readLink(form);
                continue;
            }
            if (xml_.name() != u"sort") invalid(QStringLiteral("se esperaba <sort>"));
            const auto field = fieldOf(xml_.attributes().value(QLatin1String("field")).toString());
            const auto order = xml_.attributes().value(QLatin1String("order"));
            if (!order.isEmpty() && order != u"ascending" && order != u"descending") {
                invalid(QStringLiteral("orden desconocido"));
            }
            checkAttributes({u"field", u"order"});
            form->sort.append(SortField{field, order == u"descending"});
            xml_.skipCurrentElement();
        }
    }

    FieldRef fieldOf(const QString& text) const {
        const auto sort = parseSortField(u'+' + text);
        if (!sort) invalid(QStringLiteral("\"%1\" no es un campo {TABLA.CAMPO}").arg(text));
        return sort->field;
    }

    Align alignment() const {
        const auto a = xml_.attributes().value(QLatin1String("align"));
        if (a.isEmpty() || a == u"left") return Align::Left;
        if (a == u"center") return Align::Center;
        if (a == u"right") return Align::Right;
        invalid(QStringLiteral("alineación desconocida"));
    }

    void readBox(ReportObject* o) const {
        o->x = number(QLatin1String("x"));
        o->y = number(QLatin1String("y"));
        o->width = number(QLatin1String("width"));
        o->height = number(QLatin1String("height"));
    }

    // Any object may carry a condition on the row.
    ReportObject readObject(const FontChoice& defaultFont) {
        const QString when = condition(QLatin1String("when"));
        objectAttributes_ = true;
        ReportObject o = readObjectBody(defaultFont);
        objectAttributes_ = false;
        o.when = when;
        return o;
    }

    ReportObject readObjectBody(const FontChoice& defaultFont) {
        ReportObject o;
        const auto name = xml_.name();
        const auto a = xml_.attributes();
        if (name == u"line") {
            o.kind = ReportObject::Kind::Line;
            o.x = number(QLatin1String("x1"));
            o.y = number(QLatin1String("y1"));
            o.x2 = number(QLatin1String("x2"));
            o.y2 = number(QLatin1String("y2"));
            o.lineWidth = number(QLatin1String("thickness"), o.lineWidth);
            checkAttributes({u"x1", u"y1", u"x2", u"y2", u"thickness"});
            xml_.skipCurrentElement();
            return o;
        }
        if (name == u"subreport") return readSubreport();
        if (name == u"picture" && a.hasAttribute(QLatin1String("source")))
            return readFieldPicture();
        readBox(&o);
        if (name == u"picture") {
            const qint64 line = xml_.lineNumber();
            o.kind = ReportObject::Kind::Picture;
            const QString src = a.value(QLatin1String("src")).toString();
            checkAttributes({u"x", u"y", u"width", u"height", u"src"});
            const QString inlineData = xml_.readElementText().trimmed();
            if (!src.isEmpty()) {
                QFile f(QDir(baseDir_).filePath(src));
                if (!fileAllowed(f.fileName())) {
                    invalid(QStringLiteral("la imagen %1 no está en la carpeta del formulario "
                                           "ni en la del programa")
                                .arg(f.fileName()));
                }
                if (!openRegularFile(f)) {
                    invalid(QStringLiteral("no se puede leer la imagen %1").arg(f.fileName()));
                }
                o.picture = f.readAll();
                checkPicture(o.picture, QDir(baseDir_).filePath(src));
            } else {
                o.picture = QByteArray::fromBase64(inlineData.toLatin1());
                checkPicture(o.picture, QStringLiteral("de la línea %1 del formulario").arg(line));
            }
            return o;
        }
        o.font = readFont(defaultFont);
        o.align = alignment();
        o.wrap = flag(QLatin1String("wrap"), false);
        const std::initializer_list<QStringView> common = {
            u"x",    u"y",      u"width", u"height", u"family", u"size",
            u"bold", u"italic", u"align", u"wrap",   u"source", u"format"};
        checkAttributes(common);
        const QString source = a.value(QLatin1String("source")).toString();
        if (name == u"text") {
            o.kind = ReportObject::Kind::Text;
            o.text = xml_.readElementText();
        } else if (name == u"field") {
            o.kind = ReportObject::Kind::Field;
            o.field = fieldOf(source);
            o.format = a.value(QLatin1String("format")).toString();
            xml_.skipCurrentElement();
        } else if (name == u"formula") {
            o.kind = ReportObject::Kind::Formula;
            const QString inner = source.trimmed();
            if (!inner.startsWith(QLatin1String("{@")) || !inner.endsWith(u'}') ||
                inner.size() < 4) {
                invalid(QStringLiteral("\"%1\" no es una fórmula {@Nombre}").arg(source));
            }
            o.formula = inner.mid(2, inner.size() - 3).trimmed();
            xml_.skipCurrentElement();
        } else if (name == u"pagenumber") {
            o.kind = ReportObject::Kind::PageNumber;
            o.text = xml_.readElementText();
            if (o.text.isEmpty()) o.text = QStringLiteral("{page}");
        } else {
            invalid(QStringLiteral("objeto desconocido <%1>").arg(name));
        }
        return o;
    }

    // A condition attribute: a selection formula on the row, checked here so that a form
    // with a wrong one is refused when it is read.
    QString condition(QLatin1String attribute) const {
        const QString text = xml_.attributes().value(attribute).toString().trimmed();
        if (text.isEmpty()) return {};
        try {
            Selection::parse(text);
        } catch (const vb::VbError& e) {
            invalid(QStringLiteral("condición incorrecta \"%1\": %2").arg(text, e.Description));
        }
        return text;
    }

    // Key columns "THEIRS=OURS" or "SAME", separated by blanks or commas.
    QList<KeyLink> keys(QLatin1String attribute) const {
        QList<KeyLink> out;
        const QString text = xml_.attributes().value(attribute).toString();
        for (const QString& item :
             text.split(QRegularExpression(QStringLiteral("[,\\s]+")), Qt::SkipEmptyParts)) {
            const int equals = item.indexOf(u'=');
            KeyLink key{item.left(equals).trimmed(), item.mid(equals + 1).trimmed()};
            if (equals < 0) key.theirs = key.ours;
            if (key.theirs.isEmpty() || key.ours.isEmpty())
                invalid(QStringLiteral("\"%1\" no es una columna de enlace").arg(item));
            out.append(key);
        }
        if (out.isEmpty())
            invalid(QStringLiteral("faltan las columnas de enlace (\"%1\")").arg(attribute));
        return out;
    }

    void readLink(ReportForm* form) {
        TableLink link;
        link.table = xml_.attributes().value(QLatin1String("table")).toString().trimmed();
        if (link.table.isEmpty()) invalid(QStringLiteral("falta la tabla del enlace"));
        // An alias may be linked too: its fields come from the report's table where that has
        // the column, from the linked table where it does not.
        if (link.table.compare(form->table, Qt::CaseInsensitive) == 0 || form->linkOf(link.table))
            invalid(QStringLiteral("la tabla %1 ya es parte del reporte").arg(link.table));
        link.keys = keys(QLatin1String("keys"));
        checkAttributes({u"table", u"keys"});
        xml_.skipCurrentElement();
        form->links.append(link);
    }

    ReportObject readFieldPicture() {
        ReportObject o;
        o.kind = ReportObject::Kind::Picture;
        readBox(&o);
        o.field = fieldOf(xml_.attributes().value(QLatin1String("source")).toString());
        checkAttributes({u"x", u"y", u"width", u"height", u"source"});
        xml_.skipCurrentElement();
        return o;
    }

    // A subreport: its own form, from a file beside this one or written inside the element.
    ReportObject readSubreport() {
        if (nested_) invalid(QStringLiteral("un subreporte no puede tener subreportes"));
        ReportObject o;
        o.kind = ReportObject::Kind::Subreport;
        readBox(&o);
        o.name = xml_.attributes().value(QLatin1String("name")).toString().trimmed();
        if (o.name.isEmpty()) invalid(QStringLiteral("falta el nombre del subreporte"));
        o.links = keys(QLatin1String("links"));
        const QString src = xml_.attributes().value(QLatin1String("src")).toString().trimmed();
        checkAttributes({u"x", u"y", u"width", u"height", u"name", u"links", u"src"});
        std::shared_ptr<ReportForm> form;
        if (!src.isEmpty()) {
            const QString path = QDir(baseDir_).filePath(src);
            if (!fileAllowed(path)) {
                invalid(QStringLiteral("el subreporte %1 no está en la carpeta del formulario ni "
                                       "en la del programa")
                            .arg(path));
            }
            QFile file(path);
            if (!openRegularFile(file))
                invalid(QStringLiteral("no se puede leer el subreporte %1").arg(path));
            QXmlStreamReader inner(file.readAll());
            inner.readNextStartElement();
            FormReader reader(inner, QFileInfo(path).absolutePath());
            reader.nested_ = true;
            form = std::make_shared<ReportForm>(reader.read());
            xml_.skipCurrentElement();
        } else {
            while (xml_.readNextStartElement()) {
                if (form) invalid(QStringLiteral("el subreporte tiene más de un formulario"));
                FormReader reader(xml_, baseDir_);
                reader.nested_ = true;
                form = std::make_shared<ReportForm>(reader.read());
            }
            if (!form)
                invalid(QStringLiteral("al subreporte %1 le falta su formulario").arg(o.name));
        }
        o.subreport = form;
        return o;
    }

    QXmlStreamReader& xml_;
    QString baseDir_;
    bool objectAttributes_ = false;  // an object's attributes are being checked
    bool nested_ = false;            // reading a subreport's form
};

QString measure(double mm) {
    return QString::number(mm, 'g', 10);
}

void writeFont(QXmlStreamWriter& w, const FontChoice& font, const FontChoice& base) {
    if (font.family != base.family) w.writeAttribute("family", font.family);
    if (font.size != base.size) w.writeAttribute("size", measure(font.size));
    if (font.bold != base.bold) w.writeAttribute("bold", font.bold ? "true" : "false");
    if (font.italic != base.italic) w.writeAttribute("italic", font.italic ? "true" : "false");
}

QString keysText(const QList<KeyLink>& keys) {
    QStringList items;
    for (const KeyLink& k : keys)
        items.append(k.theirs.compare(k.ours, Qt::CaseInsensitive) == 0
                         ? k.ours
                         : k.theirs + u'=' + k.ours);
    return items.join(u' ');
}

// A picture of an image column, or a subreport with its form inside.
void writeLinkedObject(QXmlStreamWriter& w, const ReportObject& o) {
    w.writeAttribute("x", measure(o.x));
    w.writeAttribute("y", measure(o.y));
    w.writeAttribute("width", measure(o.width));
    w.writeAttribute("height", measure(o.height));
    if (o.kind == ReportObject::Kind::Picture) {
        w.writeAttribute("source", o.field.text());
    } else {
        w.writeAttribute("name", o.name);
        w.writeAttribute("links", keysText(o.links));
        if (o.subreport) writeForm(w, *o.subreport);
    }
    w.writeEndElement();
}

void writeObject(QXmlStreamWriter& w, const ReportObject& o, const FontChoice& base) {
    using K = ReportObject::Kind;
    static const char* const names[] = {"text", "field",   "formula",  "pagenumber",
                                        "line", "picture", "subreport"};
    w.writeStartElement(names[static_cast<int>(o.kind)]);
    if (!o.when.isEmpty()) w.writeAttribute("when", o.when);
    if (o.kind == K::Subreport || o.isFieldPicture()) {
        writeLinkedObject(w, o);
        return;
    }
    if (o.kind == K::Line) {
        w.writeAttribute("x1", measure(o.x));
        w.writeAttribute("y1", measure(o.y));
        w.writeAttribute("x2", measure(o.x2));
        w.writeAttribute("y2", measure(o.y2));
        w.writeAttribute("thickness", measure(o.lineWidth));
        w.writeEndElement();
        return;
    }
    w.writeAttribute("x", measure(o.x));
    w.writeAttribute("y", measure(o.y));
    w.writeAttribute("width", measure(o.width));
    w.writeAttribute("height", measure(o.height));
    if (o.kind == K::Picture) {
        w.writeCharacters(QString::fromLatin1(o.picture.toBase64()));
        w.writeEndElement();
        return;
    }
    writeFont(w, o.font, base);
    if (o.align == Align::Center) w.writeAttribute("align", "center");
    if (o.align == Align::Right) w.writeAttribute("align", "right");
    if (o.wrap) w.writeAttribute("wrap", "true");
    if (o.kind == K::Field) {
        w.writeAttribute("source", o.field.text());
        if (!o.format.isEmpty()) w.writeAttribute("format", o.format);
    } else if (o.kind == K::Formula) {
        w.writeAttribute("source", QStringLiteral("{@%1}").arg(o.formula));
    } else {
        w.writeCharacters(o.text);
    }
    w.writeEndElement();
}

}  // namespace

bool ReportForm::reads(const QString& tableName) const {
    if (tableName.compare(table, Qt::CaseInsensitive) == 0) return true;
    for (const QString& a : aliases)
        if (tableName.compare(a, Qt::CaseInsensitive) == 0) return true;
    return false;
}

QList<FieldRef> ReportForm::fields() const {
    QList<FieldRef> out;
    auto add = [&out](const FieldRef& f) {
        for (const FieldRef& known : out) {
            if (known.table.compare(f.table, Qt::CaseInsensitive) == 0 &&
                known.column.compare(f.column, Qt::CaseInsensitive) == 0) {
                return;
            }
        }
        out.append(f);
    };
    auto addCondition = [&add](const QString& when) {
        if (when.isEmpty()) return;
        for (const FieldRef& f : Selection::parse(when).fields()) add(f);
    };
    for (const Band& band : bands) {
        addCondition(band.when);
        for (const ReportObject& o : band.objects) {
            if (o.kind == ReportObject::Kind::Field || o.isFieldPicture()) add(o.field);
            addCondition(o.when);
            for (const KeyLink& k : o.links) add(FieldRef{table, k.ours});
        }
    }
    for (const TableLink& link : links) {
        for (const KeyLink& k : link.keys) add(FieldRef{table, k.ours});
    }
    return out;
}

const TableLink* ReportForm::linkOf(const QString& tableName) const {
    for (const TableLink& link : links)
        if (link.table.compare(tableName, Qt::CaseInsensitive) == 0) return &link;
    return nullptr;
}

QList<const ReportObject*> ReportForm::subreports() const {
    QList<const ReportObject*> out;
    for (const Band& band : bands)
        for (const ReportObject& o : band.objects)
            if (o.kind == ReportObject::Kind::Subreport) out.append(&o);
    return out;
}

QStringList ReportForm::formulas() const {
    QStringList out;
    for (const Band& band : bands) {
        for (const ReportObject& o : band.objects) {
            if (o.kind == ReportObject::Kind::Formula &&
                !out.contains(o.formula, Qt::CaseInsensitive)) {
                out.append(o.formula);
            }
        }
    }
    return out;
}

bool openRegularFile(QFile& file) {
    // Opened without waiting, then checked: a pipe swapped in after a check of the name would
    // still block the open itself.
    const int fd =
        ::open(QFile::encodeName(file.fileName()).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat status {};
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) ||
        !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
}

ReportForm readForm(const QString& path) {
    QFile file(path);
    if (!openRegularFile(file)) {
        fail(err::FormNotFound, QStringLiteral("No se puede abrir el reporte %1").arg(path));
    }
    return parseForm(file.readAll(), QFileInfo(path).absolutePath());
}

ReportForm parseForm(const QByteArray& xml, const QString& baseDir) {
    QXmlStreamReader reader(xml);
    reader.readNextStartElement();
    return readForm(reader, baseDir);
}

ReportForm readForm(QXmlStreamReader& xml, const QString& baseDir) {
    return FormReader(xml, baseDir).read();
}

QByteArray formToXml(const ReportForm& form) {
    QByteArray out;
    QXmlStreamWriter w(&out);
    w.setAutoFormatting(true);
    w.writeStartDocument();
    writeForm(w, form);
    w.writeEndDocument();
    return out;
}

void writeForm(QXmlStreamWriter& w, const ReportForm& form) {
    w.writeStartElement("report");
    w.writeAttribute("version", QString::number(kFormVersion));
    w.writeAttribute("title", form.title);
    w.writeStartElement("page");
    w.writeAttribute("width", measure(form.pageWidth));
    w.writeAttribute("height", measure(form.pageHeight));
    w.writeAttribute("left", measure(form.marginLeft));
    w.writeAttribute("top", measure(form.marginTop));
    w.writeAttribute("right", measure(form.marginRight));
    w.writeAttribute("bottom", measure(form.marginBottom));
    w.writeEndElement();
    w.writeStartElement("data");
    w.writeAttribute("table", form.table);
    if (!form.aliases.isEmpty()) w.writeAttribute("aliases", form.aliases.join(u','));
    for (const TableLink& link : form.links) {
        w.writeStartElement("link");
        w.writeAttribute("table", link.table);
        w.writeAttribute("keys", keysText(link.keys));
        w.writeEndElement();
    }
    for (const SortField& s : form.sort) {
        w.writeStartElement("sort");
        w.writeAttribute("field", s.field.text());
        if (s.descending) w.writeAttribute("order", "descending");
        w.writeEndElement();
    }
    w.writeEndElement();
    w.writeStartElement("font");
    writeFont(w, form.font, FontChoice{QString(), -1, !form.font.bold, !form.font.italic});
    w.writeEndElement();
    for (int kind = 0; kind < Band::KindCount; ++kind) {
        const Band& band = form.bands[kind];
        if (!band.present) continue;
        w.writeStartElement(kBandNames[kind]);
        w.writeAttribute("height", measure(band.height));
        if (!band.when.isEmpty()) w.writeAttribute("when", band.when);
        for (const ReportObject& o : band.objects) writeObject(w, o, form.font);
        w.writeEndElement();
    }
    w.writeEndElement();
}

}  // namespace reportengine
