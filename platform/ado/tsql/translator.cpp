#include "platform/ado/tsql/translator.h"

#include "platform/ado/tsql/rewriter.h"
#include "platform/ado/tsql/storage.h"
#include "platform/ado/tsql/tokens.h"

#include <QHash>

#include <sqlite3.h>

#include <algorithm>

namespace tsql {

namespace {

using K = Token::Kind;

// The tokens of the call a value written into `column` goes through, up to its value: a
// date's makes the stored form of a date-time; any other type SQL Server converts into takes
// the value as SQL Server converts it, or refuses it with its error (tsql_store). None when
// the value goes in as it is.
Tokens storingCall(const Column* column) {
    if (!column) return {};
    // Every INSERT and UPDATE asks: the few types a database declares are read once.
    thread_local QHash<QString, Tokens> known;
    const QString& declared = column->declaredType;
    if (const auto it = known.constFind(declared); it != known.constEnd()) return *it;
    // A text of no set length takes any text, and any number as its text.
    const StorageType type = storageType(declared);
    const bool checked = type.kind != StorageType::Kind::Unchecked &&
                         !(type.kind == StorageType::Kind::Text && type.length == 0);
    QString call;
    if (operandOfType(declared) == Operand::Date) {
        call = QStringLiteral("tsql_datetime(");
    } else if (checked) {
        call = QStringLiteral("tsql_store('") +
               QString(declared).replace(u'\'', QStringLiteral("''")) + QStringLiteral("', ");
    }
    if (known.size() >= 256) known.clear();
    return *known.insert(declared, tokenize(call));
}

}  // namespace

QString Rewriter::run() {
    numberParameters();
    dropPrefixes();
    rewriteIfExists();
    rewriteTableDefinition(t_);
    dropTableHints();
    completeInsert();
    completeDelete();
    storeValues();
    dateArithmetic();
    extremesOfReadings();
    compareDates();
    joinTexts();
    collateLiterals();
    rewriteFunctions();
    orderByReadings();
    rewriteTop();
    plainComments();
    return join(t_);
}

void Rewriter::plainComments() {
    for (qsizetype i = 0; i < t_.size(); ++i)
        if (isAmbiguousComment(t_, i)) t_[i].text = QStringLiteral(" ");
}

void Rewriter::dropPrefixes() {
    for (qsizetype i = 0; i + 1 < t_.size(); ++i) {
        if (t_[i].isWord(u"N") && t_[i + 1].is(K::String)) {
            t_.remove(i);
        } else if ((t_[i].isWord(u"dbo") ||
                    (t_[i].is(K::Quoted) &&
                     bareName(t_[i]).compare(u"dbo", Qt::CaseInsensitive) == 0)) &&
                   t_[i + 1].is(K::Dot)) {
            t_.remove(i, 2);
            --i;
        }
    }
}

void Rewriter::rewriteIfExists() {
    const qsizetype i = first();
    if (i >= t_.size() || !t_[i].isWord(u"IF")) return;
    qsizetype j = nextSignificant(t_, i + 1);
    const bool negated = j < t_.size() && t_[j].isWord(u"NOT");
    if (negated) j = nextSignificant(t_, j + 1);
    if (j >= t_.size() || !t_[j].isWord(u"EXISTS")) return;
    const qsizetype open = nextSignificant(t_, j + 1);
    if (open >= t_.size() || !t_[open].is(K::Open)) return;
    const qsizetype close = matchingClose(t_, open);
    if (close >= t_.size()) return;
    const QString condition =
        (negated ? QStringLiteral("NOT ") : QString()) + join(t_, j, close + 1);

    const qsizetype insert = nextSignificant(t_, close + 1);
    if (insert >= t_.size() || !t_[insert].isWord(u"INSERT")) return;
    qsizetype k = nextSignificant(t_, insert + 1);
    if (k < t_.size() && t_[k].isWord(u"INTO")) k = nextSignificant(t_, k + 1);
    if (k >= t_.size() || !isName(t_[k])) return;
    k = nextSignificant(t_, nameEnd(t_, k) + 1);
    if (k < t_.size() && t_[k].is(K::Open)) {
        k = nextSignificant(t_, matchingClose(t_, k) + 1);
    }
    if (k >= t_.size()) return;
    const qsizetype end = statementEnd(t_);
    const QString target = join(t_, insert, k);
    QString text;
    if (t_[k].isWord(u"VALUES")) {
        const qsizetype v = nextSignificant(t_, k + 1);
        if (v >= t_.size() || !t_[v].is(K::Open)) return;
        const qsizetype vc = matchingClose(t_, v);
        if (vc >= t_.size() || nextSignificant(t_, vc + 1) < end) return;
        text = target + QStringLiteral("SELECT ") + join(t_, v + 1, vc) +
               QStringLiteral(" WHERE ") + condition;
    } else if (t_[k].isWord(u"SELECT")) {
        text = target + QStringLiteral("SELECT * FROM (") + join(t_, k, end) +
               QStringLiteral(") WHERE ") + condition;
    } else {
        return;
    }
    t_ = tokenize(text);
}

void Rewriter::dropTableHints() {
    for (qsizetype i = 0; i < t_.size(); ++i) {
        if (!t_[i].isWord(u"WITH")) continue;
        const qsizetype open = nextSignificant(t_, i + 1);
        if (open >= t_.size() || !t_[open].is(K::Open)) continue;
        const qsizetype close = matchingClose(t_, open);
        if (close >= t_.size()) continue;
        bool hints = true;
        for (qsizetype k = open + 1; k < close && hints; ++k) {
            hints = t_[k].isBlank() || t_[k].is(K::Comma) ||
                    isAnyWord(t_[k], {u"NOLOCK", u"READUNCOMMITTED", u"ROWLOCK", u"UPDLOCK",
                                      u"HOLDLOCK", u"READPAST", u"NOWAIT"});
        }
        if (!hints || nextSignificant(t_, open + 1) == close) continue;
        qsizetype from = i;
        const bool spaceFollows = close + 1 >= t_.size() || t_[close + 1].isBlank();
        if (spaceFollows && from > 0 && t_[from - 1].is(K::Space)) --from;
        t_.remove(from, close - from + 1);
        i = from - 1;
    }
}

qsizetype Rewriter::selectItemCount(qsizetype select) const {
    qsizetype k = nextSignificant(t_, select + 1);
    if (k < t_.size() && (t_[k].isWord(u"ALL") || t_[k].isWord(u"DISTINCT"))) {
        k = nextSignificant(t_, k + 1);
    }
    if (k < t_.size() && t_[k].isWord(u"TOP")) {
        k = nextSignificant(t_, k + 1);
        if (k < t_.size() && t_[k].is(K::Open)) k = matchingClose(t_, k);
        k = nextSignificant(t_, k + 1);
        if (k < t_.size() && t_[k].isWord(u"PERCENT")) k = nextSignificant(t_, k + 1);
    }
    if (k < t_.size() && t_[k].is(K::Operator) && t_[k].text == u"*") return -1;
    qsizetype count = 1;
    int depth = 0;
    for (; k < t_.size(); ++k) {
        if (t_[k].is(K::Open)) ++depth;
        if (t_[k].is(K::Close) && --depth < 0) break;
        if (depth > 0) continue;
        if (t_[k].is(K::Comma)) ++count;
        if (isAnyWord(t_[k], {u"FROM", u"WHERE", u"GROUP", u"ORDER", u"UNION"})) break;
    }
    return count;
}

void Rewriter::completeInsert() {
    const qsizetype i = first();
    if (i >= t_.size() || !t_[i].isWord(u"INSERT")) return;
    qsizetype name = nextSignificant(t_, i + 1);
    if (name >= t_.size()) return;
    if (!t_[name].isWord(u"INTO")) {
        insertText(t_, name, QStringLiteral("INTO "));
        name += 2;
    } else {
        name = nextSignificant(t_, name + 1);
    }
    if (name >= t_.size() || !isName(t_[name])) return;
    const qsizetype last = nameEnd(t_, name);
    const qsizetype k = nextSignificant(t_, last + 1);
    if (k >= t_.size() || !(t_[k].isWord(u"SELECT") || t_[k].isWord(u"VALUES"))) return;

    const QList<Column> columns = columnsOf(bareName(t_[last]));
    if (columns.isEmpty()) return;
    QStringList targets;
    for (const Column& c : columns) {
        if (!c.identity) targets.append(c.name);
    }
    qsizetype count = -1;
    if (t_[k].isWord(u"SELECT")) {
        count = selectItemCount(k);
    } else {
        const qsizetype open = nextSignificant(t_, k + 1);
        if (open >= t_.size() || !t_[open].is(K::Open)) return;
        count = 1;
        int depth = 0;
        for (qsizetype v = open; v < t_.size(); ++v) {
            if (t_[v].is(K::Open)) ++depth;
            if (t_[v].is(K::Close) && --depth == 0) break;
            if (depth == 1 && t_[v].is(K::Comma)) ++count;
        }
    }
    if (count < 0) count = targets.size();
    if (count > targets.size()) return;   // the engine reports the mismatch
    if (count == columns.size()) return;  // no identity to skip: the text is right as it is
    QStringList list;
    for (qsizetype c = 0; c < count; ++c) {
        list.append(QLatin1Char('[') + targets[c] + QLatin1Char(']'));
    }
    insertText(t_, last + 1, QStringLiteral(" (") + list.join(QStringLiteral(", ")) + u')');
}

void Rewriter::completeDelete() {
    const qsizetype i = first();
    if (i >= t_.size() || !t_[i].isWord(u"DELETE")) return;
    const qsizetype k = nextSignificant(t_, i + 1);
    if (k >= t_.size() || !isName(t_[k]) || t_[k].isWord(u"FROM") || t_[k].isWord(u"TOP")) {
        return;
    }
    insertText(t_, k, QStringLiteral("FROM "));
}

void Rewriter::joinTexts() {
    for (qsizetype i = 0; i < t_.size(); ++i) {
        if (!t_[i].is(K::Operator) || t_[i].text != u"+") continue;
        const Operand l = leftOperand(i);
        const Operand r = rightOperand(i);
        if (l == Operand::None || r == Operand::None) continue;
        if (l == Operand::Number || r == Operand::Number) continue;
        if (l == Operand::Date || r == Operand::Date) continue;
        if (l == Operand::Text || r == Operand::Text ||
            (l == Operand::Name && r == Operand::Name)) {
            t_[i].text = QStringLiteral("||");
        }
    }
}

qsizetype Rewriter::storeValue(const Tokens& call, qsizetype v, qsizetype end) {
    if (call.isEmpty() || t_[v].isWord(u"NULL") || t_[v].isWord(u"DEFAULT")) return end;
    return v + wrap(v, end, call) - 1;
}

void Rewriter::storeValues() {
    const qsizetype i = first();
    if (i >= t_.size()) return;
    if (t_[i].isWord(u"INSERT")) storeInsertedValues(i);
    if (t_[i].isWord(u"UPDATE")) storeUpdatedValues(i);
}

void Rewriter::storeInsertedValues(qsizetype insert) {
    qsizetype name = nextSignificant(t_, insert + 1);
    if (name < t_.size() && t_[name].isWord(u"INTO")) name = nextSignificant(t_, name + 1);
    if (name >= t_.size() || !isName(t_[name])) return;
    const qsizetype last = nameEnd(t_, name);
    const QList<Column> columns = columnsOf(bareName(t_[last]));
    if (columns.isEmpty()) return;
    // The storing call of the column each value goes to (none for a name the table does
    // not have).
    QList<Tokens> calls;
    qsizetype k = nextSignificant(t_, last + 1);
    if (k < t_.size() && t_[k].is(K::Open)) {
        const qsizetype close = matchingClose(t_, k);
        for (qsizetype c = k + 1; c < close; ++c) {
            if (!isName(t_[c])) continue;
            const Column* found = nullptr;
            for (const Column& col : columns) {
                if (col.name.compare(bareName(t_[c]), Qt::CaseInsensitive) == 0) found = &col;
            }
            calls.append(storingCall(found));
        }
        k = nextSignificant(t_, close + 1);
    } else {
        for (const Column& col : columns) calls.append(storingCall(&col));
    }
    if (k >= t_.size() ||
        std::all_of(calls.cbegin(), calls.cend(), [](const auto& c) { return c.isEmpty(); }))
        return;
    if (t_[k].isWord(u"SELECT")) return storeSelected(calls, k);
    if (!t_[k].isWord(u"VALUES")) return;
    // Each row of values: (v1, v2, ...), (...)
    qsizetype open = nextSignificant(t_, k + 1);
    while (open < t_.size() && t_[open].is(K::Open)) {
        qsizetype v = nextSignificant(t_, open + 1);
        for (qsizetype n = 0; v < t_.size() && !t_[v].is(K::Close); ++n) {
            // The value runs to the comma or parenthesis that closes it.
            qsizetype end = v;
            int depth = 0;
            for (qsizetype e = v; e < t_.size(); ++e) {
                if (t_[e].is(K::Open)) ++depth;
                if (t_[e].is(K::Close) && depth-- == 0) break;
                if (depth == 0 && t_[e].is(K::Comma)) break;
                if (!t_[e].isBlank()) end = e;
            }
            end = storeValue(calls.value(n), v, end);
            const qsizetype next = nextSignificant(t_, end + 1);
            if (next >= t_.size() || !t_[next].is(K::Comma)) {
                v = next;
                break;
            }
            v = nextSignificant(t_, next + 1);
        }
        const qsizetype comma = nextSignificant(t_, v + 1);
        if (comma >= t_.size() || !t_[comma].is(K::Comma)) break;
        open = nextSignificant(t_, comma + 1);
    }
}

void Rewriter::storeSelected(const QList<Tokens>& calls, qsizetype select) {
    QStringList names, values;
    for (qsizetype n = 0; n < calls.size(); ++n) {
        const QString name = QStringLiteral("c%1").arg(n + 1);
        names << name;
        values << (calls[n].isEmpty() ? name : join(calls[n]) + name + u')');
    }
    insertText(t_, statementEnd(t_),
               QStringLiteral(") SELECT ") + values.join(QStringLiteral(", ")) +
                   QStringLiteral(" FROM tsql_values"));
    insertText(t_, select,
               QStringLiteral("WITH tsql_values(") + names.join(QStringLiteral(", ")) +
                   QStringLiteral(") AS ("));
}

void Rewriter::storeUpdatedValues(qsizetype update) {
    const qsizetype name = nextSignificant(t_, update + 1);
    if (name >= t_.size() || !isName(t_[name])) return;
    const qsizetype last = nameEnd(t_, name);
    const QList<Column> columns = columnsOf(bareName(t_[last]));
    const qsizetype set = nextSignificant(t_, last + 1);
    if (set >= t_.size() || !t_[set].isWord(u"SET")) return;
    qsizetype c = nextSignificant(t_, set + 1);
    while (c < t_.size() && isName(t_[c])) {
        const qsizetype columnEnd = nameEnd(t_, c);
        const QString column = bareName(t_[columnEnd]);
        const qsizetype eq = nextSignificant(t_, columnEnd + 1);
        if (eq >= t_.size() || t_[eq].text != u"=") return;
        const qsizetype v = nextSignificant(t_, eq + 1);
        qsizetype end = v;
        int depth = 0;
        for (qsizetype e = v; e < t_.size(); ++e) {
            if (t_[e].is(K::Open)) ++depth;
            if (t_[e].is(K::Close)) --depth;
            if (depth < 0) break;
            if (depth == 0 && (t_[e].is(K::Comma) || t_[e].is(K::Semicolon) ||
                               isAnyWord(t_[e], {u"WHERE", u"FROM"})))
                break;
            if (!t_[e].isBlank()) end = e;
        }
        const Column* target = nullptr;
        for (const Column& col : columns) {
            if (col.name.compare(column, Qt::CaseInsensitive) == 0) target = &col;
        }
        if (v < t_.size()) end = storeValue(storingCall(target), v, end);
        const qsizetype next = nextSignificant(t_, end + 1);
        if (next >= t_.size() || !t_[next].is(K::Comma)) return;
        c = nextSignificant(t_, next + 1);
    }
}

void Rewriter::collateLiterals() {
    const bool update = startsWith(u"UPDATE");
    bool inSet = false;
    int depth = 0;
    for (qsizetype i = 0; i < t_.size(); ++i) {
        const Token& t = t_[i];
        if (t.is(K::Open)) ++depth;
        if (t.is(K::Close)) --depth;
        if (update && depth == 0 && t.isWord(u"SET")) inSet = true;
        if (update && depth == 0 && (t.isWord(u"WHERE") || t.isWord(u"FROM"))) inSet = false;
        // A bound parameter stands where a literal would.
        if (!t.is(K::String) && !isParameter(t)) continue;
        const qsizetype l = previousSignificant(t_, i - 1);
        const qsizetype r = nextSignificant(t_, i + 1);
        const bool leftCompared = l >= 0 && isComparison(t_[l]);
        const bool rightCompared = r < t_.size() && isComparison(t_[r]);
        if (!leftCompared && !rightCompared) continue;
        // SET column = 'value' assigns, it does not compare.
        if (inSet && depth == 0 && leftCompared && t_[l].text == u"=" && !rightCompared) {
            continue;
        }
        if (r < t_.size() && t_[r].isWord(u"COLLATE")) continue;
        // Against a number column the column's own comparison is right, and a collation
        // there would keep SQLite from using the column's index.
        const Operand other = leftCompared ? leftOperand(l) : rightOperand(r);
        if (other == Operand::Number) continue;
        if (other == Operand::Date) {
            const qsizetype keyed = compareDateColumn(i, leftCompared ? l : r);
            if (keyed >= 0) {
                i = keyed;
                continue;
            }
            // The literal in the stored form of a date-time, whatever shape it has.
            i += wrapDate(i, i) - 1;
            continue;
        }
        insertText(t_, i + 1, QStringLiteral(" COLLATE SSCI"));
    }
}

void Rewriter::numberParameters() {
    int n = 0;
    for (Token& t : t_) {
        if (t.is(K::Other) && t.text == u"?") t.text = QStringLiteral("?%1").arg(++n);
    }
}

void Rewriter::rewriteFunctions() {
    for (qsizetype i = 0; i < t_.size(); ++i) {
        Token& t = t_[i];
        if (t.is(K::Variable) && t.text.compare(u"@@IDENTITY", Qt::CaseInsensitive) == 0) {
            t = Token{K::Word, QStringLiteral("last_insert_rowid()")};
            continue;
        }
        const qsizetype open = nextSignificant(t_, i + 1);
        if (open >= t_.size() || !t_[open].is(K::Open)) continue;
        if (t.isWord(u"ISNULL")) {
            // ISNULL is an operator keyword to SQLite.
            t.text = QStringLiteral("ifnull");
        } else if (isAnyWord(t, {u"DATEADD", u"DATEDIFF", u"DATEPART"})) {
            const bool datediff = t.isWord(u"DATEDIFF"), datepart = t.isWord(u"DATEPART");
            // The date part is a keyword SQLite would read as a column: hand it over as text.
            const qsizetype part = nextSignificant(t_, open + 1);
            const qsizetype comma = nextSignificant(t_, part + 1);
            if (part < t_.size() && t_[part].is(K::Word) && comma < t_.size() &&
                t_[comma].is(K::Comma))
                t_[part] = Token{K::String, u'\'' + t_[part].text + u'\''};
            if (datediff) markLiteralDates(open, 1, 3);
            if (datepart) markLiteralDates(open, 1, 2);
            if (datediff)
                readStoredDates(open, 1, 2);
            else
                readStoredDates(open, datepart ? 1 : 2, 1);
        } else if (isAnyWord(t, {u"YEAR", u"MONTH", u"DAY"})) {
            markLiteralDates(open, 0, 1);
            readStoredDates(open, 0, 1);
        } else if (t.isWord(u"CAST")) {
            // CAST(x AS type) converts as CONVERT(type, x) does.
            const qsizetype close = matchingClose(t_, open);
            const qsizetype as = castAs(t_, open);
            if (as < 0 || close >= t_.size()) continue;
            QString typeText;
            for (qsizetype k = as + 1; k < close; ++k) {
                if (!t_[k].isBlank()) typeText += t_[k].text;
            }
            if (typeText.isEmpty()) continue;
            t_[i].text = QStringLiteral("tsql_convert");
            t_.remove(as, close - as);
            insertText(t_, open + 1, u'\'' + typeText.toUpper() + QStringLiteral("', "));
            readStoredDates(open, 1, 1);
        } else if (t.isWord(u"CONVERT")) {
            // The type is a name SQLite would read as a column: hand it over as text.
            const qsizetype type = nextSignificant(t_, open + 1);
            if (type >= t_.size() || !t_[type].is(K::Word)) continue;
            qsizetype typeEnd = type;
            const qsizetype size = nextSignificant(t_, type + 1);
            if (size < t_.size() && t_[size].is(K::Open)) typeEnd = matchingClose(t_, size);
            const qsizetype comma = nextSignificant(t_, typeEnd + 1);
            if (comma >= t_.size() || !t_[comma].is(K::Comma)) continue;
            QString typeText;
            for (qsizetype k = type; k <= typeEnd; ++k) {
                if (!t_[k].isBlank()) typeText += t_[k].text;
            }
            t_.remove(i, comma - i + 1);
            insertText(
                t_, i,
                QStringLiteral("tsql_convert('") + typeText.toUpper() + QStringLiteral("',"));
            readStoredDates(nextSignificant(t_, i + 1), 1, 1);
        }
    }
}

void Rewriter::rewriteTop() {
    QHash<int, QString> limits;  // by parenthesis depth
    int depth = 0;
    for (qsizetype i = 0; i < t_.size(); ++i) {
        if (t_[i].is(K::Open)) ++depth;
        if (t_[i].is(K::Close)) {
            if (limits.contains(depth)) {
                const qsizetype at = previousSignificant(t_, i - 1) + 1;
                i += insertText(t_, at, limits.take(depth));  // still the same ")"
            }
            --depth;
            continue;
        }
        if (!t_[i].isWord(u"SELECT")) continue;
        qsizetype top = nextSignificant(t_, i + 1);
        if (top < t_.size() && (t_[top].isWord(u"ALL") || t_[top].isWord(u"DISTINCT"))) {
            top = nextSignificant(t_, top + 1);
        }
        if (top >= t_.size() || !t_[top].isWord(u"TOP")) continue;
        const qsizetype count = nextSignificant(t_, top + 1);
        if (count >= t_.size()) continue;
        qsizetype last = count;
        if (t_[count].is(K::Open)) {
            last = matchingClose(t_, count);
            if (last >= t_.size()) continue;
        } else if (!t_[count].is(K::Number)) {
            continue;
        }
        QString limit = join(t_, count, last + 1).trimmed();
        const qsizetype percent = nextSignificant(t_, last + 1);
        if (percent < t_.size() && t_[percent].isWord(u"PERCENT")) {
            // Only "everything" has a meaning SQLite can say; another share stays a
            // syntax error rather than a wrong result.
            if (limit.remove(u'(').remove(u')').trimmed().toDouble() < 100) continue;
            last = percent;
            limit.clear();
        }
        const qsizetype resume = nextSignificant(t_, last + 1);
        t_.remove(top, resume - top);
        if (!limit.isEmpty()) limits.insert(depth, QStringLiteral(" LIMIT ") + limit);
    }
    if (limits.contains(0)) insertText(t_, statementEnd(t_), limits.take(0));
}

ColumnLookup columnsIn(sqlite3* db) {
    return [db](const QString& table) {
        QList<Column> out;
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT name, type, pk FROM pragma_table_info(?1)", -1, &stmt,
                               nullptr) != SQLITE_OK) {
            return out;
        }
        const QByteArray name = table.toUtf8();
        sqlite3_bind_text(stmt, 1, name.constData(), static_cast<int>(name.size()),
                          SQLITE_TRANSIENT);
        int keys = 0;
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            Column c;
            c.name =
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
            c.declaredType =
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1)));
            const int pk = sqlite3_column_int(stmt, 2);
            if (pk > 0) ++keys;
            c.identity = pk == 1 && c.declaredType.compare(u"INTEGER", Qt::CaseInsensitive) == 0;
            out.append(c);
        }
        sqlite3_finalize(stmt);
        // Only a key of one INTEGER column is filled by the engine.
        if (keys != 1) {
            for (Column& c : out) c.identity = false;
        }
        return out;
    };
}

QList<bool> textResultColumns(const QString& sqliteText) {
    const Tokens t = tokenize(sqliteText);
    QList<bool> out;
    qsizetype k = nextSignificant(t, 0);
    if (k >= t.size() || !t[k].isWord(u"SELECT")) return out;
    k = nextSignificant(t, k + 1);
    if (k < t.size() && (t[k].isWord(u"ALL") || t[k].isWord(u"DISTINCT")))
        k = nextSignificant(t, k + 1);
    // Each item of the select list: what it starts with, up to the comma that ends it.
    while (k < t.size()) {
        const Token& first = t[k];
        if (first.is(K::Operator) && first.text == u"*") return out;
        bool text = false;
        qsizetype end = k;
        if (first.is(K::String)) {
            text = true;
        } else if (first.is(K::Word)) {
            const qsizetype open = nextSignificant(t, k + 1);
            if (open < t.size() && t[open].is(K::Open)) {
                const QString type = convertedType(t, k, open);
                text = !type.isNull() && operandOfType(type) == Operand::Text;
                end = matchingClose(t, open);
            }
        }
        // The rest of the item (an alias) decides nothing; an operator after the call does.
        int depth = 0;
        for (qsizetype e = end + 1; e < t.size(); ++e) {
            if (t[e].is(K::Open)) ++depth;
            if (t[e].is(K::Close)) --depth;
            if (depth < 0) return out;
            if (depth > 0) continue;
            if (t[e].is(K::Operator)) text = false;
            if (t[e].is(K::Comma) ||
                isAnyWord(t[e], {u"FROM", u"WHERE", u"GROUP", u"ORDER", u"UNION", u"LIMIT"})) {
                end = e;
                break;
            }
            end = e;
        }
        out.append(text);
        if (end >= t.size() || !t[end].is(K::Comma)) return out;
        k = nextSignificant(t, end + 1);
    }
    return out;
}

QString storedParameter(const QString& declaredType) {
    const Column column{QString(), declaredType};
    const Tokens call = storingCall(&column);
    return call.isEmpty() ? QStringLiteral("?") : join(call) + QStringLiteral("?)");
}

namespace {

// Asks `function`('table', 'column') of an open database; `otherwise` when it cannot answer.
std::function<bool(const QString&, const QString&)> columnQuestion(sqlite3* db, const char* sql,
                                                                   bool otherwise) {
    return [db, sql, otherwise](const QString& table, const QString& column) {
        sqlite3_stmt* stmt = nullptr;
        bool holds = otherwise;
        if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) == SQLITE_OK) {
            const QByteArray t = table.toUtf8(), c = column.toUtf8();
            sqlite3_bind_text(stmt, 1, t.constData(), static_cast<int>(t.size()),
                              SQLITE_TRANSIENT);
            sqlite3_bind_text(stmt, 2, c.constData(), static_cast<int>(c.size()),
                              SQLITE_TRANSIENT);
            if (sqlite3_step(stmt) == SQLITE_ROW) holds = sqlite3_column_int(stmt, 0) == 1;
        }
        sqlite3_finalize(stmt);
        return holds;
    };
}

}  // namespace

OrderLookup readingOrderIn(sqlite3* db) {
    return columnQuestion(db, "SELECT tsql_readingorder(?1, ?2)", false);
}

ApartLookup datesApartIn(sqlite3* db) {
    return columnQuestion(db, "SELECT tsql_datesapart(?1, ?2)", true);
}

Translator::Translator(ColumnLookup columns, OrderLookup order, ApartLookup apart)
    : columns_(std::move(columns)), order_(std::move(order)), apart_(std::move(apart)) {}

Translator Translator::of(sqlite3* db) {
    return Translator(columnsIn(db), readingOrderIn(db), datesApartIn(db));
}

QString Translator::translate(const QString& statement) const {
    return Rewriter(statement, columns_, order_, apart_).run();
}

QList<Statement> translateBatch(const QString& batch, sqlite3* db) {
    return Translator::of(db).translateBatch(batch);
}

QList<Statement> Translator::translateBatch(const QString& batch) const {
    QList<Statement> statements = splitBatch(batch);
    for (Statement& s : statements) {
        if (s.kind == Statement::Kind::Plain) s.sql = translate(s.source);
    }
    return statements;
}

}  // namespace tsql
