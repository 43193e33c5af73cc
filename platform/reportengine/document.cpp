#include "platform/reportengine/document.h"

#include "platform/reportengine/errors.h"
#include "platform/ui/operator.h"
#include "platform/vb/conversions.h"
#include "platform/vb/dategrammars.h"
#include "platform/vb/safefile.h"

#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace reportengine {

namespace {

// Version 2: root <zentrik-report-document>, then <selection>, <formulas>, <report> (the form),
// <pictures> (every distinct byte value of the rows, once), <columns> and <rows>, and
// <subreports> when the run had some (each its <columns> and a <group> of rows per <key>).
// A row's byte value names its picture ("p"). Version 1, without <pictures>, held each row's
// bytes in the row; it is still read.
constexpr int kDocumentVersion = 2;
constexpr int kOldestVersion = 1;
constexpr auto kRoot = QLatin1String("zentrik-report-document");

const char* kindName(ColumnKind kind) {
    switch (kind) {
        case ColumnKind::Text:
            return "text";
        case ColumnKind::Number:
            return "number";
        case ColumnKind::Date:
            return "date";
        case ColumnKind::Other:
            return "other";
    }
    return "other";
}

ColumnKind kindOf(QStringView name) {
    if (name == u"text") return ColumnKind::Text;
    if (name == u"number") return ColumnKind::Number;
    if (name == u"date") return ColumnKind::Date;
    return ColumnKind::Other;
}

// XML 1.0 cannot carry most control characters, and readers turn CR into LF; such texts are
// stored as base64 of their UTF-8.
bool survivesXml(const QString& s) {
    for (QChar c : s) {
        const char16_t u = c.unicode();
        if ((u < 0x20 && u != u'\t' && u != u'\n') || c.isSurrogate() || u >= 0xfffe) {
            return false;
        }
    }
    return true;
}

void writeValue(QXmlStreamWriter& w, const vb::Variant& v) {
    using T = vb::Variant::Type;
    w.writeStartElement("v");
    switch (v.type()) {
        case T::Empty:
            w.writeAttribute("t", "e");
            break;
        case T::Null:
            w.writeAttribute("t", "z");
            break;
        case T::Boolean:
            w.writeAttribute("t", "b");
            w.writeCharacters(v.boolean() ? QStringLiteral("1") : QStringLiteral("0"));
            break;
        case T::Integer:
        case T::Long:
        case T::LongLong:
            w.writeAttribute("t", v.type() == T::Integer ? "i2"
                                  : v.type() == T::Long  ? "i4"
                                                         : "i8");
            w.writeCharacters(QString::number(v.wholeNumber()));
            break;
        case T::Double:
            w.writeAttribute("t", "f");
            w.writeCharacters(QString::number(v.number(), 'g', 17));
            break;
        case T::Currency:
            w.writeAttribute("t", "c");
            w.writeCharacters(QString::number(v.currency().scaled()));
            break;
        case T::Date:
            w.writeAttribute("t", "d");
            w.writeCharacters(v.date().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")));
            break;
        case T::String:
            if (survivesXml(v.string())) {
                w.writeAttribute("t", "s");
                w.writeCharacters(v.string());
            } else {
                w.writeAttribute("t", "s64");
                w.writeCharacters(QString::fromLatin1(v.string().toUtf8().toBase64()));
            }
            break;
        case T::Bytes:
            w.writeAttribute("t", "x");
            w.writeCharacters(QString::fromLatin1(v.bytes().toBase64()));
            break;
    }
    w.writeEndElement();
}

void writeRow(QXmlStreamWriter& w, const char* element, const QList<vb::Variant>& row) {
    w.writeStartElement(element);
    for (const vb::Variant& v : row) writeValue(w, v);
    w.writeEndElement();
}

// The distinct pictures of every row the file holds, numbered in the file.
class PictureTable {
public:
    // The file's number of each picture of `rows`, the new ones added.
    QList<int> add(const Rows& rows) {
        QList<int> numbers;
        for (int i = 0; i < rows.pictureCount(); ++i)
            numbers.append(pictures_.add(rows.picture(i)));
        return numbers;
    }
    void write(QXmlStreamWriter& w) const {
        if (pictures_.isEmpty()) return;
        w.writeStartElement("pictures");
        for (const QByteArray& p : pictures_.values())
            w.writeTextElement("p", QString::fromLatin1(p.toBase64()));
        w.writeEndElement();
    }

private:
    DistinctBytes pictures_;
};

// A row of the store, its pictures by their number in the file.
void writeStoredRow(QXmlStreamWriter& w, const Rows& rows, qsizetype row,
                    const QList<int>& pictures) {
    w.writeStartElement("r");
    for (int c = 0; c < rows.columnCount(); ++c) {
        const int picture = rows.pictureAt(row, c);
        if (picture < 0) {
            writeValue(w, rows.value(row, c));
            continue;
        }
        w.writeStartElement("v");
        w.writeAttribute("t", "p");
        w.writeCharacters(QString::number(pictures[picture]));
        w.writeEndElement();
    }
    w.writeEndElement();
}

// A column's name in the file: a linked table's column is named "TABLE.COLUMN".
QString savedName(const ReportColumn& c) {
    return c.link.isEmpty() ? c.name : c.link + u'.' + c.name;
}

// The column a saved name stands for: the column of a link of the form whose table it starts
// with (the longest such name), else a column of the report's own table.
void readSavedName(const ReportForm& form, ReportColumn* c) {
    qsizetype longest = 0;
    for (const TableLink& link : form.links) {
        const qsizetype length = link.table.size();
        if (length > longest && c->name.size() > length + 1 && c->name[length] == u'.' &&
            c->name.startsWith(link.table, Qt::CaseInsensitive))
            longest = length;
    }
    if (longest == 0) return;
    c->link = c->name.left(longest);
    c->name = c->name.mid(longest + 1);
}

// The form of a subreport of that name, null when the report has none.
const ReportForm* subreportForm(const ReportForm& form, const QString& name) {
    for (const ReportObject* o : form.subreports())
        if (o->subreport && o->name.compare(name, Qt::CaseInsensitive) == 0)
            return o->subreport.get();
    return nullptr;
}

void writeColumns(QXmlStreamWriter& w, const QList<ReportColumn>& columns) {
    w.writeStartElement("columns");
    for (const ReportColumn& c : columns) {
        w.writeStartElement("column");
        w.writeAttribute("name", savedName(c));
        w.writeAttribute("kind", kindName(c.kind));
        w.writeEndElement();
    }
    w.writeEndElement();
}

void writeSubreports(QXmlStreamWriter& w, const QList<SubreportData>& subreports,
                     const QList<QList<int>>& pictures) {
    if (subreports.isEmpty()) return;
    w.writeStartElement("subreports");
    for (qsizetype s = 0; s < subreports.size(); ++s) {
        const SubreportData& sub = subreports[s];
        w.writeStartElement("subreport");
        w.writeAttribute("name", sub.name);
        writeColumns(w, sub.data.columns);
        for (const SubreportData::Group& g : sub.groups()) {
            w.writeStartElement("group");
            writeRow(w, "key", g.key);
            for (qsizetype r = g.first; r < g.first + g.count; ++r)
                writeStoredRow(w, sub.data.rows, r, pictures[s]);
            w.writeEndElement();
        }
        w.writeEndElement();
    }
    w.writeEndElement();
}

class DocumentReader {
public:
    DocumentReader(QXmlStreamReader& xml, QString path) : xml_(xml), path_(std::move(path)) {}

    ReportDocument read() {
        if (!xml_.readNextStartElement() || xml_.name() != kRoot) {
            invalid(QStringLiteral("no es un reporte guardado con sus datos"));
        }
        const int version = xml_.attributes().value(QLatin1String("version")).toInt();
        if (version < kOldestVersion || version > kDocumentVersion) {
            invalid(QStringLiteral("versión de reporte guardado no admitida (%1)").arg(version));
        }
        ReportDocument doc;
        doc.created = vb::wallClock(QDateTime::fromString(
            xml_.attributes().value(QLatin1String("created")).toString(), Qt::ISODateWithMs));
        bool sawForm = false;
        while (xml_.readNextStartElement()) {
            const auto name = xml_.name();
            if (name == u"selection") {
                doc.selection = xml_.readElementText();
            } else if (name == u"formulas") {
                while (xml_.readNextStartElement()) {
                    const QString formula =
                        xml_.attributes().value(QLatin1String("name")).toString();
                    doc.formulas.append({formula, xml_.readElementText()});
                }
            } else if (name == u"report") {
                doc.form = readForm(xml_, QFileInfo(path_).absolutePath());
                sawForm = true;
            } else if (name == u"pictures") {
                while (xml_.readNextStartElement())
                    pictures_.append(QByteArray::fromBase64(xml_.readElementText().toLatin1()));
            } else if (name == u"columns") {
                doc.data.columns = readColumns();
                doc.data.rows.addColumns(static_cast<int>(doc.data.columns.size()));
            } else if (name == u"rows") {
                QList<int> local(pictures_.size(), -1);
                while (xml_.readNextStartElement()) {
                    readStoredRow(&doc.data, &local);
                    ui::repaintNowAndThen();
                }
            } else if (name == u"subreports") {
                while (xml_.readNextStartElement()) doc.subreports.append(readSubreport());
            } else {
                xml_.skipCurrentElement();
            }
        }
        if (xml_.hasError()) invalid(xml_.errorString());
        if (!sawForm) invalid(QStringLiteral("le falta el formulario"));
        for (ReportColumn& c : doc.data.columns) readSavedName(doc.form, &c);
        for (SubreportData& sub : doc.subreports) {
            if (const ReportForm* form = subreportForm(doc.form, sub.name))
                for (ReportColumn& c : sub.data.columns) readSavedName(*form, &c);
        }
        return doc;
    }

    SubreportData readSubreport() {
        SubreportData sub;
        sub.name = xml_.attributes().value(QLatin1String("name")).toString();
        QList<int> local(pictures_.size(), -1);
        while (xml_.readNextStartElement()) {
            if (xml_.name() == u"columns") {
                sub.data.columns = readColumns();
                sub.data.rows.addColumns(static_cast<int>(sub.data.columns.size()));
            } else if (xml_.name() == u"group") {
                SubreportData::Group g;
                g.first = sub.data.rows.size();
                while (xml_.readNextStartElement()) {
                    if (xml_.name() == u"key") {
                        QList<std::pair<int, int>> pictures;
                        g.key = readRow(&pictures);
                        if (!pictures.isEmpty()) invalid(QStringLiteral("clave ilegible"));
                    } else {
                        readStoredRow(&sub.data, &local);
                    }
                }
                g.count = sub.data.rows.size() - g.first;
                sub.addGroup(g);
            } else {
                xml_.skipCurrentElement();
            }
        }
        return sub;
    }

private:
    // Columns by their saved names, which read tells apart once the form is known.
    QList<ReportColumn> readColumns() {
        QList<ReportColumn> columns;
        while (xml_.readNextStartElement()) {
            columns.append({xml_.attributes().value(QLatin1String("name")).toString(),
                            kindOf(xml_.attributes().value(QLatin1String("kind")))});
            xml_.skipCurrentElement();
        }
        return columns;
    }

    // A row into the store; `local` turns the file's picture numbers into the store's.
    void readStoredRow(ReportData* data, QList<int>* local) {
        QList<std::pair<int, int>> pictures;  // column, number in the file
        const QList<vb::Variant> row = readRow(&pictures);
        if (row.size() != data->columns.size()) invalid(QStringLiteral("filas incompletas"));
        data->rows.append(row);
        for (const auto& [column, number] : pictures) {
            int& at = (*local)[number];
            if (at < 0) at = data->rows.addPicture(pictures_[number]);
            data->rows.setPicture(data->rows.size() - 1, column, at);
        }
    }

    [[noreturn]] void invalid(const QString& what) const {
        fail(err::DocumentInvalid,
             QStringLiteral("El archivo %1 no se puede leer como reporte: %2").arg(path_, what));
    }

    // A row's values; a picture's place stays Empty and goes to `pictures` (column, number).
    QList<vb::Variant> readRow(QList<std::pair<int, int>>* pictures) {
        QList<vb::Variant> row;
        while (xml_.readNextStartElement()) {
            const QString t = xml_.attributes().value(QLatin1String("t")).toString();
            const QString text = xml_.readElementText();
            bool ok = true;
            if (t == u"p") {
                const int number = text.toInt(&ok);
                ok = ok && number >= 0 && number < pictures_.size();
                pictures->append({static_cast<int>(row.size()), number});
                row.append(vb::Variant());
            } else if (t == u"e") {
                row.append(vb::Variant());
            } else if (t == u"z") {
                row.append(vb::Variant::null());
            } else if (t == u"b") {
                row.append(vb::Variant(text == u"1"));
            } else if (t == u"i2") {
                row.append(vb::Variant(static_cast<std::int16_t>(text.toShort(&ok))));
            } else if (t == u"i4") {
                row.append(vb::Variant(text.toInt(&ok)));
            } else if (t == u"i8") {
                row.append(vb::Variant(text.toLongLong(&ok)));
            } else if (t == u"f") {
                row.append(vb::Variant(text.toDouble(&ok)));
            } else if (t == u"c") {
                row.append(vb::Variant(vb::Currency::fromScaled(text.toLongLong(&ok))));
            } else if (t == u"d") {
                // A wall-clock reading, read by its fields: no zone makes it invalid.
                const QByteArray latin = text.toLatin1();
                const auto when = vb::dates::readIso(latin.constData(), latin.size());
                ok = when.has_value();
                if (ok) row.append(vb::Variant(*when));
            } else if (t == u"s") {
                row.append(vb::Variant(text));
            } else if (t == u"s64") {
                row.append(
                    vb::Variant(QString::fromUtf8(QByteArray::fromBase64(text.toLatin1()))));
            } else if (t == u"x") {
                row.append(vb::Variant(QByteArray::fromBase64(text.toLatin1())));
            } else {
                ok = false;
            }
            if (!ok) invalid(QStringLiteral("valor ilegible \"%1\"").arg(text));
        }
        return row;
    }

    QXmlStreamReader& xml_;
    QString path_;
    QList<QByteArray> pictures_;  // of the file, by their number
};

}  // namespace

QString ReportDocument::formula(const QString& name) const {
    for (const Assignment& a : formulas) {
        if (a.name.compare(name, Qt::CaseInsensitive) == 0) return a.value;
    }
    return {};
}

const SubreportData* ReportDocument::subreport(const QString& name) const {
    for (const SubreportData& s : subreports) {
        if (s.name.compare(name, Qt::CaseInsensitive) == 0) return &s;
    }
    return nullptr;
}

void saveDocument(const ReportDocument& document, const QString& path) {
    vb::ReplacementFile file(path);
    if (!file.open()) {
        fail(err::WriteFailed,
             QStringLiteral("No se puede escribir %1: %2").arg(path, file.errorString()));
    }
    QXmlStreamWriter w(file.device());
    w.setAutoFormatting(true);
    w.writeStartDocument();
    w.writeStartElement(kRoot);
    w.writeAttribute("version", QString::number(kDocumentVersion));
    w.writeAttribute("created",
                     document.created.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")));
    w.writeTextElement("selection", document.selection);
    w.writeStartElement("formulas");
    for (const Assignment& a : document.formulas) {
        w.writeStartElement("formula");
        w.writeAttribute("name", a.name);
        w.writeCharacters(a.value);
        w.writeEndElement();
    }
    w.writeEndElement();
    writeForm(w, document.form);
    PictureTable pictures;
    const QList<int> rowPictures = pictures.add(document.data.rows);
    QList<QList<int>> subreportPictures;
    for (const SubreportData& sub : document.subreports)
        subreportPictures.append(pictures.add(sub.data.rows));
    pictures.write(w);
    writeColumns(w, document.data.columns);
    w.writeStartElement("rows");
    for (qsizetype r = 0; r < document.data.rows.size(); ++r) {
        writeStoredRow(w, document.data.rows, r, rowPictures);
        ui::repaintNowAndThen();
    }
    w.writeEndElement();
    writeSubreports(w, document.subreports, subreportPictures);
    w.writeEndElement();
    w.writeEndDocument();
    if (w.hasError() || !file.commit()) {
        fail(err::WriteFailed,
             QStringLiteral("No se puede escribir %1: %2").arg(path, file.errorString()));
    }
}

ReportDocument loadDocument(const QString& path) {
    QFile file(path);
    if (!openRegularFile(file)) {
        fail(err::FormNotFound, QStringLiteral("No se encontró el Reporte: %1").arg(path));
    }
    QXmlStreamReader xml(&file);
    return DocumentReader(xml, path).read();
}

}  // namespace reportengine
