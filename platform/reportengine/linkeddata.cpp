#include "platform/reportengine/linkeddata.h"

#include "platform/reportengine/errors.h"
#include "platform/reportengine/sqlcondition.h"
#include "platform/vb/conversions.h"

namespace reportengine {

namespace {

bool sameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString withoutTrailingBlanks(const QString& text) {
    qsizetype end = text.size();
    while (end > 0 && text[end - 1] == u' ') --end;
    return text.left(end);
}

bool sameKey(const QList<vb::Variant>& a, const QList<vb::Variant>& b) {
    if (a.size() != b.size()) return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (!sameKeyValue(a[i], b[i])) return false;
    return true;
}

bool hasNull(const QList<vb::Variant>& key) {
    for (const vb::Variant& v : key)
        if (v.isNull() || v.isEmpty()) return true;
    return false;
}

[[noreturn]] void dataFailed(const QString& table, const vb::VbError& e) {
    fail(err::Data, QStringLiteral("Error al leer %1: (%2) %3").arg(table).arg(e.Number).arg(
                        e.Description));
}

// The database's spelling of each column, err::Field for one the table does not have.
QList<Column> columnsOf(const QString& table, const QStringList& names, DataSource& source) {
    QList<Column> all;
    try {
        all = source.describe(table);
    } catch (const vb::VbError& e) {
        dataFailed(table, e);
    }
    QList<Column> out;
    for (const QString& name : names) {
        bool found = false;
        for (const Column& c : all) {
            if (sameName(c.name, name)) {
                out.append(c);
                found = true;
                break;
            }
        }
        if (!found)
            fail(err::Field, QStringLiteral("No existe el campo {%1.%2}").arg(table, name));
    }
    return out;
}

// One linked table: the columns of it that `fields` name and the rows do not hold yet, read
// once for each distinct key. Under a name that is also an alias, the columns of the report's
// own table (`tableColumns`) are not the link's.
void fetchLink(const ReportForm& form, const TableLink& link, const QList<FieldRef>& fields,
               const QList<Column>& tableColumns, ReportData* data, DataSource& source) {
    QStringList wanted;
    for (const FieldRef& f : fields) {
        if (!sameName(f.table, link.table) || !readsFromLink(form, f, tableColumns)) continue;
        if (wanted.contains(f.column, Qt::CaseInsensitive)) continue;
        bool held = false;
        for (const Column& c : data->columns)
            held = held || sameName(c.name, link.table + u'.' + f.column);
        if (!held) wanted.append(f.column);
    }
    if (wanted.isEmpty()) return;
    const QList<Column> shown = columnsOf(link.table, wanted, source);
    QStringList theirs;
    QList<int> ours;
    for (const KeyLink& k : link.keys) {
        theirs.append(k.theirs);
        ours.append(data->columnOf(FieldRef{form.table, k.ours}));
    }
    const QList<Column> keyColumns = columnsOf(link.table, theirs, source);

    QStringList names, terms;
    for (const Column& c : shown) names.append(quoteName(c.name));
    for (const Column& c : keyColumns) terms.append(quoteName(c.name) + QStringLiteral(" = ?"));
    const QString sql = QStringLiteral("SELECT %1 FROM %2 WHERE %3")
                            .arg(names.join(QStringLiteral(", ")), quoteTable(link.table),
                                 terms.join(QStringLiteral(" AND ")));

    QList<QPair<QList<vb::Variant>, QList<vb::Variant>>> known;  // key, values
    const QList<vb::Variant> none(shown.size(), vb::Variant::null());
    for (QList<vb::Variant>& row : data->rows) {
        QList<vb::Variant> key;
        for (int column : ours) key.append(column >= 0 ? row.at(column) : vb::Variant::null());
        const QList<vb::Variant>* values = nullptr;
        for (const auto& [k, v] : known) {
            if (sameKey(k, key)) values = &v;
        }
        if (!values) {
            QList<vb::Variant> found = none;
            if (!hasNull(key)) {
                bool first = true;
                try {
                    source.select(sql, key, [&](const QList<vb::Variant>& r) {
                        if (first) found = r;
                        first = false;
                    });
                } catch (const vb::VbError& e) {
                    dataFailed(link.table, e);
                }
            }
            known.append({key, found});
            values = &known.back().second;
        }
        row.append(*values);
    }
    for (const Column& c : shown)
        data->columns.append({link.table + u'.' + c.name, c.kind});
}

}  // namespace

void checkLinks(const ReportForm& form, DataSource& source) {
    if (form.links.isEmpty()) return;
    QList<Column> ours;
    try {
        ours = source.describe(form.table);
    } catch (const vb::VbError&) {
        return;  // the report's own table is told about by its query
    }
    const auto has = [](const QList<Column>& columns, const QString& name) {
        for (const Column& c : columns)
            if (sameName(c.name, name)) return true;
        return false;
    };
    for (const TableLink& link : form.links) {
        const auto invalid = [&](const QString& what) {
            fail(err::Field,
                 QStringLiteral("El enlace con %1 no es válido: %2").arg(link.table, what));
        };
        QList<Column> theirs;
        try {
            theirs = source.describe(link.table);
        } catch (const vb::VbError& e) {
            invalid(QStringLiteral("no existe la tabla %1 (%2)").arg(link.table, e.Description));
        }
        for (const KeyLink& k : link.keys) {
            if (!has(theirs, k.theirs))
                invalid(QStringLiteral("no existe el campo {%1.%2}").arg(link.table, k.theirs));
            if (!has(ours, k.ours))
                invalid(QStringLiteral("no existe el campo {%1.%2}").arg(form.table, k.ours));
        }
    }
}

bool sameKeyValue(const vb::Variant& a, const vb::Variant& b) {
    if (a.isNull() || b.isNull() || a.isEmpty() || b.isEmpty()) return false;
    if (a.isString() && b.isString())
        return withoutTrailingBlanks(a.string()).compare(withoutTrailingBlanks(b.string()),
                                                         Qt::CaseInsensitive) == 0;
    if (a.isNumber() && b.isNumber()) return a.number() == b.number();
    if (a.isBytes() || b.isBytes()) return a == b;
    try {
        return withoutTrailingBlanks(vb::CStr(a)).compare(withoutTrailingBlanks(vb::CStr(b)),
                                                          Qt::CaseInsensitive) == 0;
    } catch (const vb::VbError&) {
        return false;
    }
}

void fetchLinkedColumns(const ReportForm& form, ReportData* data, DataSource& source,
                        const QList<FieldRef>& alsoFields) {
    QList<FieldRef> fields = form.fields();
    fields.append(alsoFields);
    QList<Column> tableColumns;
    bool aliasLinked = false;
    for (const TableLink& link : form.links) aliasLinked = aliasLinked || form.reads(link.table);
    if (aliasLinked) {
        try {
            tableColumns = source.describe(form.table);
        } catch (const vb::VbError& e) {
            dataFailed(form.table, e);
        }
    }
    for (const TableLink& link : form.links)
        fetchLink(form, link, fields, tableColumns, data, source);
}

const SubreportData::Group* SubreportData::groupOf(const QList<vb::Variant>& key) const {
    for (const Group& g : groups)
        if (sameKey(g.key, key)) return &g;
    return nullptr;
}

QList<vb::Variant> subreportKey(const ReportObject& subreport, const QString& table,
                                const ReportData& data, const QList<vb::Variant>& row) {
    QList<vb::Variant> key;
    for (const KeyLink& k : subreport.links) {
        const int column = data.columnOf(FieldRef{table, k.ours});
        key.append(column >= 0 && column < row.size() ? row.at(column) : vb::Variant::null());
    }
    return key;
}

QList<SubreportData> fetchSubreports(const ReportForm& form, const ReportData& data,
                                     const QStringList& names, DataSource& source) {
    QList<SubreportData> out;
    for (const ReportObject* o : form.subreports()) {
        bool asked = false;
        for (const QString& n : names) asked = asked || sameName(n.trimmed(), o->name);
        if (!asked || !o->subreport) continue;
        bool seen = false;
        for (const SubreportData& s : out) seen = seen || sameName(s.name, o->name);
        if (seen) continue;

        SubreportData sub;
        sub.name = o->name;
        QList<QList<vb::Variant>> done;
        for (const QList<vb::Variant>& row : data.rows) {
            const QList<vb::Variant> key = subreportKey(*o, form.table, data, row);
            if (hasNull(key)) continue;
            bool again = false;
            for (const auto& k : done) again = again || sameKey(k, key);
            if (again) continue;
            done.append(key);
            QList<KeyValue> keys;
            for (qsizetype i = 0; i < key.size(); ++i) keys.append({o->links[i].theirs, key[i]});
            ReportData rows = fetchRows(*o->subreport, Selection(), {}, source, keys);
            fetchLinkedColumns(*o->subreport, &rows, source);
            sub.columns = rows.columns;
            if (!rows.rows.isEmpty()) sub.groups.append({key, rows.rows});
        }
        out.append(sub);
    }
    return out;
}

}  // namespace reportengine
