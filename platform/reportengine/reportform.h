#pragma once

#include "platform/reportengine/request.h"
#include "platform/reportengine/selection.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <memory>
#include <optional>

class QFile;
class QXmlStreamReader;
class QXmlStreamWriter;

// A report form (".rpt"): our own XML, described in the README's "Report forms" section.
// Lengths are millimetres; an object's position is relative to its band.
namespace reportengine {

struct FontChoice {
    QString family = QStringLiteral("DejaVu Sans");
    double size = 9;  // points
    bool bold = false;
    bool italic = false;
    friend bool operator==(const FontChoice&, const FontChoice&) = default;
};

enum class Align { Left, Center, Right };

struct ReportForm;

// One key of a link: a column of the other table (a linked table or a subreport's table) that
// equals a column of the report's own table.
struct KeyLink {
    QString theirs;
    QString ours;
    friend bool operator==(const KeyLink&, const KeyLink&) = default;
};

// Another table the form takes fields and pictures from: for each row of the report, the first
// row of that table whose key columns equal the row's.
struct TableLink {
    QString table;
    QList<KeyLink> keys;
};

struct ReportObject {
    enum class Kind { Text, Field, Formula, PageNumber, Line, Picture, Subreport };
    Kind kind = Kind::Text;
    double x = 0, y = 0, width = 0, height = 0;  // lines: from (x, y) to (x2, y2)
    double x2 = 0, y2 = 0;
    double lineWidth = 0.2;
    QString text;     // Text: the text; PageNumber: a pattern with {page} and {pages}
    FieldRef field;   // Field, or the image column of a Picture
    QString formula;  // Formula: its name, without "{@" and "}"
    QString format;   // Field: a VB format mask ("dd/mm/yy hh:mm", "#,##0.00")
    FontChoice font;
    Align align = Align::Left;
    bool wrap = false;   // the text breaks into lines and the band grows to hold them
    QByteArray picture;  // Picture: PNG or JPEG bytes
    // A picture may take its bytes from an image column instead (`field`, see isFieldPicture):
    // drawn inside the box with its aspect kept, nothing when the value is empty.
    // Any object: a condition on the row (a selection formula); the object shows only where
    // the row meets it.
    QString when;
    // Subreport: its name, its own form and how its rows link to the report's row.
    QString name;
    std::shared_ptr<const ReportForm> subreport;
    QList<KeyLink> links;

    bool isFieldPicture() const { return kind == Kind::Picture && !field.table.isEmpty(); }
};

struct Band {
    enum Kind { ReportHeader, PageHeader, Detail, PageFooter, ReportFooter };
    static constexpr int KindCount = 5;
    double height = 0;
    QList<ReportObject> objects;
    bool present = false;
    QString when;  // a condition on the row: where it fails the band is left out
};

struct ReportForm {
    QString title;
    double pageWidth = 210, pageHeight = 297;  // orientation already applied
    double marginLeft = 10, marginTop = 10, marginRight = 10, marginBottom = 10;
    QString table;  // the one table or view the report reads
    // Other table names the report's fields may be written with: the table holds the columns
    // those fields name (a work table that carries the key of the voucher view it prints).
    QStringList aliases;
    QList<SortField> sort;   // default order
    QList<TableLink> links;  // other tables read beside the report's own
    FontChoice font;         // default font of the objects
    Band bands[Band::KindCount];

    const Band& band(Band::Kind kind) const { return bands[kind]; }
    // Whether a field written with this table name is one of the report's table.
    bool reads(const QString& tableName) const;
    // Every field the objects show or test, and the key columns of links and subreports, once
    // each.
    QList<FieldRef> fields() const;
    // The link of a table name, null when it is none of the form's linked tables.
    const TableLink* linkOf(const QString& tableName) const;
    // Every subreport object, in band order.
    QList<const ReportObject*> subreports() const;
    // Every formula name the objects show, once each.
    QStringList formulas() const;
};

// Opens a file the report reads (a form, its pictures and subreports, a saved report) when it
// is a regular file; a named pipe or a device would keep the report waiting for ever. False
// when it is none or cannot be read.
bool openRegularFile(QFile& file);

// Reads a form file. Raises err::FormNotFound when it cannot be read, err::FormInvalid when it
// is not a valid form. Pictures named by "src" are read relative to the form's folder, and only
// from inside that folder or the program's (anything else is err::FormInvalid naming the path).
ReportForm readForm(const QString& path);
ReportForm parseForm(const QByteArray& xml, const QString& baseDir = {});
// The form as XML, pictures inlined, so that it reads back without its folder.
QByteArray formToXml(const ReportForm& form);
// The same inside a larger document: reads the <report> element the reader stands on, and
// writes one.
ReportForm readForm(QXmlStreamReader& xml, const QString& baseDir);
void writeForm(QXmlStreamWriter& xml, const ReportForm& form);

}  // namespace reportengine
