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

bool hasNull(const QList<vb::Variant>& key) {
    for (const vb::Variant& v : key)
        if (v.isNull() || v.isEmpty()) return true;
    return false;
}

[[noreturn]] void dataFailed(const QString& table, const vb::VbError& e) {
    fail(err::Data,
         QStringLiteral("Error al leer %1: (%2) %3").arg(table).arg(e.Number).arg(e.Description));
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
        if (data->indexOf({link.table, f.column}) < 0) wanted.append(f.column);
    }
    if (wanted.isEmpty()) return;
    const QList<Column> shown = columnsOf(link.table, wanted, source);
    QStringList theirs;
    QList<int> ours;
    for (const KeyLink& k : link.keys) {
        theirs.append(k.theirs);
        ours.append(data->indexOf({QString(), k.ours}));
    }
    const QList<Column> keyColumns = columnsOf(link.table, theirs, source);

    QStringList names, terms;
    for (const Column& c : shown) names.append(quoteName(c.name));
    for (const Column& c : keyColumns) terms.append(quoteName(c.name) + QStringLiteral(" = ?"));
    const QString sql = QStringLiteral("SELECT %1 FROM %2 WHERE %3")
                            .arg(names.join(QStringLiteral(", ")), quoteTable(link.table),
                                 terms.join(QStringLiteral(" AND ")));

    KeyIndex known;
    QList<QList<vb::Variant>> values;  // of each known key, by its number
    const QList<vb::Variant> none(shown.size(), vb::Variant::null());
    const int first = data->rows.columnCount();
    data->rows.addColumns(static_cast<int>(shown.size()));
    QList<vb::Variant> key;
    for (qsizetype r = 0; r < data->rows.size(); ++r) {
        key.clear();
        for (int column : ours) key.append(data->rows.value(r, column));
        const int at = known.insert(key);
        if (at == values.size()) {
            QList<vb::Variant> found = none;
            if (!hasNull(key)) {
                bool firstRow = true;
                try {
                    source.select(sql, key, [&](const QList<vb::Variant>& row) {
                        if (firstRow) found = row;
                        firstRow = false;
                    });
                } catch (const vb::VbError& e) {
                    dataFailed(link.table, e);
                }
            }
            values.append(found);
        }
        for (qsizetype k = 0; k < shown.size(); ++k)
            data->rows.set(r, first + static_cast<int>(k), values[at][k]);
    }
    for (const Column& c : shown) data->columns.append({c.name, c.kind, link.table});
}

// Keys a query may carry at once: SQL Server takes at most 2,100 parameters.
constexpr int kKeyParameters = 2000;

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

bool sameKey(const QList<vb::Variant>& a, const QList<vb::Variant>& b) {
    if (a.size() != b.size()) return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (!sameKeyValue(a[i], b[i])) return false;
    return true;
}

namespace {

// Numbers are the same by value whatever their type, and a number and a text when the text is
// the number's: both come to the value to the 15 digits a number's text shows.
QString numberText(double value) {
    return u'\x04' + QString::number(value == 0 ? 0.0 : value, 'g', 15);
}

// Whether a folded text has the shape of a number's text: "-12", "0,5", "1e+15".
bool looksLikeNumber(QStringView text) {
    qsizetype i = 0;
    const auto digits = [&] {
        const qsizetype from = i;
        while (i < text.size() && text[i] >= u'0' && text[i] <= u'9') ++i;
        return i > from;
    };
    if (i < text.size() && text[i] == u'-') ++i;
    if (!digits()) return false;
    if (i < text.size() && (text[i] == u',' || text[i] == u'.')) {
        ++i;
        if (!digits()) return false;
    }
    if (i < text.size() && text[i] == u'e') {
        ++i;
        if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) ++i;
        if (!digits()) return false;
    }
    return i == text.size();
}

// What a text (or a date or a Boolean, compared as its text) shares with every value the same:
// a number's text comes to the number's value.
QString textKey(const QString& text) {
    const QString folded = withoutTrailingBlanks(text).toCaseFolded();
    if (looksLikeNumber(folded)) {
        try {
            return numberText(vb::CDbl(vb::Variant(folded)));
        } catch (const vb::VbError&) {
            // Not a number in this locale: it is the same only as the text.
        }
    }
    return folded;
}

}  // namespace

QString keyText(const QList<vb::Variant>& key) {
    QString out;
    for (const vb::Variant& v : key) {
        if (v.isNull() || v.isEmpty()) {
            out += u'\x01';
        } else if (v.isBytes()) {
            out += u'\x02' + QString::number(qHash(v.bytes()));
        } else if (v.isNumber()) {
            out += numberText(v.number());
        } else if (v.isString()) {
            out += textKey(v.string());
        } else {
            try {
                out += textKey(vb::CStr(v));
            } catch (const vb::VbError&) {
                out += u'\x03';
            }
        }
        out += u'\x1f';
    }
    return out;
}

bool sameKeyValue(const vb::Variant& a, const vb::Variant& b) {
    if (a.isNull() || b.isNull() || a.isEmpty() || b.isEmpty()) return false;
    if (a.isString() && b.isString())
        return withoutTrailingBlanks(a.string())
                   .compare(withoutTrailingBlanks(b.string()), Qt::CaseInsensitive) == 0;
    if (a.isNumber() && b.isNumber()) return a.number() == b.number();
    if (a.isBytes() || b.isBytes()) return a == b;
    try {
        return withoutTrailingBlanks(vb::CStr(a))
                   .compare(withoutTrailingBlanks(vb::CStr(b)), Qt::CaseInsensitive) == 0;
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

int KeyIndex::find(const QList<vb::Variant>& key) const {
    return find(key, keyText(key));
}

int KeyIndex::insert(const QList<vb::Variant>& key) {
    const QString text = keyText(key);
    const int at = find(key, text);
    return at >= 0 ? at : add(key, text);
}

int KeyIndex::add(const QList<vb::Variant>& key) {
    return add(key, keyText(key));
}

int KeyIndex::find(const QList<vb::Variant>& key, const QString& text) const {
    // Of the keys that share the text, the first added that is the same.
    int first = -1;
    for (auto it = index_.constFind(text); it != index_.constEnd() && it.key() == text; ++it)
        if ((first < 0 || *it < first) && sameKey(keys_[*it], key)) first = *it;
    return first;
}

int KeyIndex::add(const QList<vb::Variant>& key, const QString& text) {
    keys_.append(key);
    index_.insert(text, static_cast<int>(keys_.size() - 1));
    return static_cast<int>(keys_.size() - 1);
}

void SubreportData::addGroup(const Group& group) {
    groups_.append(group);
    keys_.add(group.key);
}

const SubreportData::Group* SubreportData::groupOf(const QList<vb::Variant>& key) const {
    const int at = keys_.find(key);
    return at < 0 ? nullptr : &groups_[at];
}

QList<int> subreportKeyColumns(const ReportObject& subreport, const ReportData& data) {
    QList<int> columns;
    for (const KeyLink& k : subreport.links) columns.append(data.indexOf({QString(), k.ours}));
    return columns;
}

QList<vb::Variant> subreportKey(const QList<int>& keyColumns, const ReportData& data,
                                qsizetype row) {
    QList<vb::Variant> key;
    for (int column : keyColumns) {
        const vb::Variant v = data.rows.value(row, column);
        key.append(v.isEmpty() ? vb::Variant::null() : v);
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

        // The distinct keys of the report's rows, in the order they first come.
        KeyIndex keys;
        const QList<int> keyColumns = subreportKeyColumns(*o, data);
        for (qsizetype r = 0; r < data.rows.size(); ++r) {
            const QList<vb::Variant> key = subreportKey(keyColumns, data, r);
            if (!hasNull(key)) keys.insert(key);
        }
        KeySet set;
        for (const KeyLink& k : o->links) set.columns.append(k.theirs);
        const int perQuery = std::max(1, kKeyParameters / static_cast<int>(set.columns.size()));

        SubreportData sub;
        sub.name = o->name;
        // The rows of many keys come in one query; each key's rows are then put together, in
        // the subreport's order.
        for (qsizetype from = 0; from < keys.keys().size(); from += perQuery) {
            set.values = keys.keys().mid(from, perQuery);
            const ReportData rows = fetchRows(*o->subreport, Selection(), {}, source, set);
            if (sub.data.columns.isEmpty()) {
                sub.data.columns = rows.columns;
                sub.data.rows.addColumns(static_cast<int>(rows.columns.size()));
            }
            QList<int> theirColumns;
            for (const QString& c : set.columns) theirColumns.append(rows.indexOf({QString(), c}));
            KeyIndex found;
            QList<QList<qsizetype>> members;
            QList<vb::Variant> key;
            for (qsizetype r = 0; r < rows.rows.size(); ++r) {
                key.clear();
                for (int c : theirColumns) key.append(rows.rows.value(r, c));
                const int at = found.insert(key);
                if (at == members.size()) members.append(QList<qsizetype>());
                members[at].append(r);
            }
            for (const QList<vb::Variant>& k : std::as_const(set.values)) {
                const int at = found.find(k);
                if (at < 0) continue;
                SubreportData::Group group{k, sub.data.rows.size(), members[at].size()};
                for (qsizetype r : std::as_const(members[at])) sub.data.rows.append(rows.rows[r]);
                sub.addGroup(group);
            }
        }
        out.append(sub);
    }
    return out;
}

}  // namespace reportengine
