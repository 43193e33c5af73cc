#pragma once

#include "platform/reportengine/datasource.h"
#include "platform/reportengine/reportform.h"
#include "platform/reportengine/rows.h"
#include "platform/reportengine/selection.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <utility>

namespace reportengine {

// Which column of a report's rows holds a value: one of the report's own table, or one that a
// link read from a linked table (which may have a column of the same name).
struct ColumnId {
    QString link;    // the linked table, as the form names it; empty: the report's own table
    QString column;  // as the database spells it
    // Names compare without regard to case, as the database compares them.
    friend bool operator==(const ColumnId& a, const ColumnId& b);
};

// A column of a report's rows.
struct ReportColumn {
    ReportColumn(QString name = {}, ColumnKind kind = ColumnKind::Other, QString link = {})
        : name(std::move(name)), kind(kind), link(std::move(link)) {}
    ColumnId id() const { return {link, name}; }

    QString name;  // as the database spells it
    ColumnKind kind;
    QString link;  // the linked table a link read it from; empty: the report's own table
};

// The rows of a report: the columns its form shows, in the order of the report.
struct ReportData {
    QList<ReportColumn> columns;
    Rows rows;

    // Index of a column, -1 when the rows have none.
    int indexOf(const ColumnId& id) const;
    // Index of the column a field shows, -1 when the report has none: the column a link read
    // from the field's table, else the report's own column of that name. The layout asks once
    // for each field of a document.
    int columnOf(const FieldRef& field) const;
};

// The one SELECT that reads a report's rows.
struct ReportQuery {
    QString sql;
    QList<vb::Variant> parameters;
    int shownColumns = 0;           // the first columns of the select list are the report's
    QList<Column> columns;          // the whole select list
    bool filterInMemory = false;    // some of the selection is left to the memory filter
    bool filterAfterLinks = false;  // ... and it tests fields of linked tables
};

// Columns of the form's table that must equal one of a list of values, besides the selection
// (the rows of a subreport that belong to some rows of its report).
struct KeySet {
    QStringList columns;
    QList<QList<vb::Variant>> values;  // each as many values as columns
};

// Whether a field is read from one of the form's linked tables rather than from its own table
// (`tableColumns`): its table is linked and, where that name is also an alias of the form's
// table, the form's table has no such column.
bool readsFromLink(const ReportForm& form, const FieldRef& field,
                   const QList<Column>& tableColumns);

// Builds the query of a form under a selection and an order (the form's own order when `sort`
// is empty). Fields must belong to the form's table and exist in it: err::Field otherwise;
// fields of its linked tables are left to the links, and selection terms that test them to the
// memory filter. With keys, the key columns are read too.
ReportQuery buildQuery(const ReportForm& form, const Selection& selection,
                       const QList<SortField>& sort, DataSource& source, const KeySet& keys = {});

// Runs the query and applies what is left of the selection. The rows come with the values of
// the form's linked tables (fetchLinkedColumns), read before the filter where it tests them. The
// rows come in the database's order. Raises err::Data when the database fails, with its own
// number and text in the description.
ReportData fetchRows(const ReportForm& form, Selection selection, const QList<SortField>& sort,
                     DataSource& source, const KeySet& keys = {});

}  // namespace reportengine
