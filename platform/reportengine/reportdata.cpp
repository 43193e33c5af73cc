#include "platform/reportengine/reportdata.h"

#include "platform/reportengine/errors.h"
#include "platform/reportengine/linkeddata.h"
#include "platform/reportengine/sqlcondition.h"
#include "platform/ui/operator.h"

#include <vector>

namespace reportengine {

namespace {

bool sameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// The memory filter of a selection that tests linked tables: the rows get the linked values
// the form and the selection need, are filtered on them, and lose the columns only the
// selection read from the form's own table.
void filterOnLinkedRows(const ReportForm& form, const ReportQuery& q, Selection* selection,
                        ReportData* data, DataSource& source) {
    fetchLinkedColumns(form, data, source, selection->fields());
    selection->bind([data](const FieldRef& f) { return data->columnOf(f); });
    std::vector<bool> keep(static_cast<size_t>(data->rows.size()));
    for (qsizetype r = 0; r < data->rows.size(); ++r)
        keep[static_cast<size_t>(r)] = selection->matches(data->rows[r]);
    data->rows.keepRows(keep);
    const int extra = static_cast<int>(q.columns.size() - q.shownColumns);
    data->rows.removeColumns(q.shownColumns, extra);
    data->columns.remove(q.shownColumns, extra);
}

}  // namespace

bool operator==(const ColumnId& a, const ColumnId& b) {
    return sameName(a.link, b.link) && sameName(a.column, b.column);
}

int ReportData::indexOf(const ColumnId& id) const {
    for (int i = 0; i < columns.size(); ++i)
        if (columns[i].id() == id) return i;
    return -1;
}

int ReportData::columnOf(const FieldRef& field) const {
    if (const int linked = indexOf({field.table, field.column}); linked >= 0) return linked;
    return indexOf({QString(), field.column});
}

bool readsFromLink(const ReportForm& form, const FieldRef& field,
                   const QList<Column>& tableColumns) {
    if (!form.linkOf(field.table)) return false;
    if (!form.reads(field.table)) return true;
    for (const Column& c : tableColumns)
        if (sameName(c.name, field.column)) return false;
    return true;
}

ReportQuery buildQuery(const ReportForm& form, const Selection& selection,
                       const QList<SortField>& sort, DataSource& source, const KeySet& keys) {
    QList<Column> tableColumns;
    try {
        tableColumns = source.describe(form.table);
    } catch (const vb::VbError& e) {
        fail(err::Data, QStringLiteral("No se pueden leer las columnas de %1: (%2) %3")
                            .arg(form.table)
                            .arg(e.Number)
                            .arg(e.Description));
    }
    auto columnOf = [&](const FieldRef& f) -> Column {
        if (!form.reads(f.table)) {
            fail(err::Field, QStringLiteral("El campo %1 no pertenece a la tabla %2 del reporte")
                                 .arg(f.text(), form.table));
        }
        for (const Column& c : tableColumns) {
            if (sameName(c.name, f.column)) return c;
        }
        fail(err::Field, QStringLiteral("No existe el campo %1").arg(f.text()));
    };

    ReportQuery q;
    auto select = [&q](const Column& c) {
        for (const Column& known : q.columns) {
            if (sameName(known.name, c.name)) return;
        }
        q.columns.append(c);
    };
    auto linked = [&](const FieldRef& f) { return readsFromLink(form, f, tableColumns); };
    for (const FieldRef& f : form.fields())
        if (!linked(f)) select(columnOf(f));
    QStringList keyNames;
    for (const QString& k : keys.columns) {
        const Column c = columnOf(FieldRef{form.table, k});
        select(c);
        keyNames.append(quoteName(c.name));
    }
    q.shownColumns = q.columns.size();

    // A linked table's field has no column here: SQL leaves its terms to the memory filter.
    const SqlCondition where = toSqlCondition(
        selection, [&](const FieldRef& f) { return linked(f) ? Column{} : columnOf(f); });
    q.filterInMemory = !where.complete;
    if (q.filterInMemory) {
        for (const FieldRef& f : selection.fields()) {
            if (linked(f)) {
                q.filterAfterLinks = true;
            } else {
                select(columnOf(f));
            }
        }
    }
    QStringList order;
    for (const SortField& s : sort.isEmpty() ? form.sort : sort) {
        const Column c = columnOf(s.field);
        order.append(quoteName(c.name) + (s.descending ? QStringLiteral(" DESC") : QString()));
    }
    if (q.columns.isEmpty()) {
        // A form that shows no field still prints one detail per row.
        if (tableColumns.isEmpty())
            fail(err::Data, QStringLiteral("%1 no tiene columnas").arg(form.table));
        q.columns.append(tableColumns.front());
    }

    QStringList names;
    for (const Column& c : q.columns) names.append(quoteName(c.name));
    q.sql = QStringLiteral("SELECT %1 FROM %2")
                .arg(names.join(QStringLiteral(", ")), quoteTable(form.table));
    QString condition = where.text;
    q.parameters = where.parameters;
    if (!keyNames.isEmpty()) {
        // One value list for a single key column; a list of alternatives for several.
        QStringList alternatives;
        for (const QList<vb::Variant>& values : keys.values) {
            QStringList terms;
            for (qsizetype i = 0; i < keyNames.size(); ++i) {
                terms.append(keyNames.size() == 1 ? QStringLiteral("?")
                                                  : keyNames[i] + QStringLiteral(" = ?"));
                q.parameters.append(values.value(i, vb::Variant::null()));
            }
            alternatives.append(keyNames.size() == 1
                                    ? terms.front()
                                    : u'(' + terms.join(QStringLiteral(" AND ")) + u')');
        }
        const QString keyed = alternatives.isEmpty() ? QStringLiteral("1 = 0")
                              : keyNames.size() == 1
                                  ? keyNames.front() + QStringLiteral(" IN (") +
                                        alternatives.join(QStringLiteral(", ")) + u')'
                                  : u'(' + alternatives.join(QStringLiteral(" OR ")) + u')';
        condition =
            condition.isEmpty() ? keyed : u'(' + condition + QStringLiteral(") AND ") + keyed;
    }
    if (!condition.isEmpty()) q.sql += QStringLiteral(" WHERE ") + condition;
    if (!order.isEmpty()) q.sql += QStringLiteral(" ORDER BY ") + order.join(QStringLiteral(", "));
    return q;
}

ReportData fetchRows(const ReportForm& form, Selection selection, const QList<SortField>& sort,
                     DataSource& source, const KeySet& keys) {
    const ReportQuery q = buildQuery(form, selection, sort, source, keys);
    ReportData data;
    // Rows waiting for their linked values keep the whole select list until they are filtered.
    const bool filterNow = q.filterInMemory && !q.filterAfterLinks;
    const int kept = q.filterAfterLinks ? q.columns.size() : q.shownColumns;
    for (const Column& c : q.columns.mid(0, kept)) data.columns.append({c.name, c.kind});
    data.rows.addColumns(kept);
    selection.bind([&q](const FieldRef& f) {
        for (int i = 0; i < q.columns.size(); ++i) {
            if (sameName(q.columns[i].name, f.column)) return i;
        }
        return -1;
    });
    try {
        source.select(q.sql, q.parameters, [&](const QList<vb::Variant>& row) {
            ui::repaintNowAndThen();
            if (filterNow && !selection.matches(row)) return;
            data.rows.append(row, kept);
        });
    } catch (const vb::VbError& e) {
        // The store's own (a full disk for the rows past the memory budget) is told as it is.
        if (e.Source == errorSource()) throw;
        fail(err::Data, QStringLiteral("Error al leer los datos del reporte: (%1) %2")
                            .arg(e.Number)
                            .arg(e.Description));
    }
    if (q.filterAfterLinks)
        filterOnLinkedRows(form, q, &selection, &data, source);
    else
        fetchLinkedColumns(form, &data, source);
    return data;
}

}  // namespace reportengine
