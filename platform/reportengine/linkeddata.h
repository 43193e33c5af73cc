#pragma once

#include "platform/reportengine/datasource.h"
#include "platform/reportengine/reportdata.h"
#include "platform/reportengine/reportform.h"

#include <QList>
#include <QMultiHash>
#include <QString>
#include <QStringList>

// What a report reads besides the rows of its own table: the values of its linked tables and
// the rows of the subreports its run asked for.
namespace reportengine {

// Key values compare as the database compares them: texts without regard to case or trailing
// blanks, numbers by value; a Null never equals anything.
bool sameKeyValue(const vb::Variant& a, const vb::Variant& b);
bool sameKey(const QList<vb::Variant>& a, const QList<vb::Variant>& b);
// A text that keys that are the same (sameKey) share, to find them by hash; keys that share it
// may still differ.
QString keyText(const QList<vb::Variant>& key);

// Keys numbered in the order they are added, found again by any key the same as theirs.
class KeyIndex {
public:
    // The number of a key added before that is the same, -1 when there is none.
    int find(const QList<vb::Variant>& key) const;
    // The number of a key the same as `key`, added when there is none yet.
    int insert(const QList<vb::Variant>& key);
    // Adds the key, even when one the same is held (the first of them is found), and returns its
    // number.
    int add(const QList<vb::Variant>& key);
    const QList<QList<vb::Variant>>& keys() const { return keys_; }

private:
    int find(const QList<vb::Variant>& key, const QString& text) const;
    int add(const QList<vb::Variant>& key, const QString& text);

    QList<QList<vb::Variant>> keys_;
    QMultiHash<QString, int> index_;  // keyText -> number
};

// Checks every link of a form (its <link> elements) against the database: the linked table and
// both columns of each key must exist. Raises err::Field naming the link otherwise, whether or
// not a field uses it yet.
void checkLinks(const ReportForm& form, DataSource& source);

// Appends to every row the values of the form's linked tables that its objects show or test
// (and those `alsoFields` name), as columns of their link (Null where the table has no row for
// it); columns the rows already hold are not read again. fetchRows does so for the rows it
// reads. Raises err::Field for a column the linked table does not have, err::Data when the
// database fails.
void fetchLinkedColumns(const ReportForm& form, ReportData* data, DataSource& source,
                        const QList<FieldRef>& alsoFields = {});

// The rows of one subreport, grouped by the key values of the report rows they belong to.
struct SubreportData {
    struct Group {
        QList<vb::Variant> key;  // the report row's values of the link's columns
        qsizetype first = 0;     // its rows in `data`, one after another
        qsizetype count = 0;
    };
    QString name;
    ReportData data;  // the rows of every group

    const QList<Group>& groups() const { return groups_; }
    void addGroup(const Group& group);
    // The rows for one key (nothing when there are none).
    const Group* groupOf(const QList<vb::Variant>& key) const;

private:
    QList<Group> groups_;
    KeyIndex keys_;  // of each group, by its number
};

// The columns of a report's rows that a subreport's links name (-1 for one the rows lack), and
// the key values of a row in them.
QList<int> subreportKeyColumns(const ReportObject& subreport, const ReportData& data);
QList<vb::Variant> subreportKey(const QList<int>& keyColumns, const ReportData& data,
                                qsizetype row);

// Runs the form's subreports whose names are among `names` (trimmed, without regard to case;
// empty names are none, names the form does not hold are passed over) for every row of the
// report.
QList<SubreportData> fetchSubreports(const ReportForm& form, const ReportData& data,
                                     const QStringList& names, DataSource& source);

}  // namespace reportengine
