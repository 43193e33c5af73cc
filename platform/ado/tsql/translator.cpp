#include "platform/ado/tsql/translator.h"

#include "platform/ado/tsql/passes.h"
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

// How many items the SELECT at `select` lists before its FROM; -1 for "*".
qsizetype selectItemCount(const ParsedStatement& s, qsizetype select);

// The value [v, end] written through the storing call `call`; the index of the value's last
// token afterwards. Null goes in as it is.
qsizetype storeValue(ParsedStatement& s, const Tokens& call, qsizetype v, qsizetype end);
void storeInsertedValues(ParsedStatement& s, qsizetype insert);

// INSERT ... SELECT: the query's columns, named in order, each go through the storing call
// of the column it goes to.
void storeSelected(ParsedStatement& s, const QList<Tokens>& calls, qsizetype select);
void storeUpdatedValues(ParsedStatement& s, qsizetype update);

qsizetype selectItemCount(const ParsedStatement& s, qsizetype select) {
    qsizetype k = firstSelectItem(s, select);
    if (k < s.t.size() && s.t[k].is(K::Operator) && s.t[k].text == u"*") return -1;
    qsizetype count = 1;
    int depth = 0;
    for (; k < s.t.size(); ++k) {
        if (s.t[k].is(K::Open)) ++depth;
        if (s.t[k].is(K::Close) && --depth < 0) break;
        if (depth > 0) continue;
        if (s.t[k].is(K::Comma)) ++count;
        if (isAnyWord(s.t[k], {u"FROM", u"WHERE", u"GROUP", u"ORDER", u"UNION"})) break;
    }
    return count;
}

qsizetype storeValue(ParsedStatement& s, const Tokens& call, qsizetype v, qsizetype end) {
    if (call.isEmpty() || s.t[v].isWord(u"NULL") || s.t[v].isWord(u"DEFAULT")) return end;
    return v + wrap(s, v, end, call) - 1;
}

void storeInsertedValues(ParsedStatement& s, qsizetype insert) {
    qsizetype name = nextSignificant(s.t, insert + 1);
    if (name < s.t.size() && s.t[name].isWord(u"INTO")) name = nextSignificant(s.t, name + 1);
    if (name >= s.t.size() || !isName(s.t[name])) return;
    const qsizetype last = nameEnd(s.t, name);
    const QList<Column> columns = columnsOf(s, bareName(s.t[last]));
    if (columns.isEmpty()) return;
    // The storing call of the column each value goes to (none for a name the table does
    // not have).
    QList<Tokens> calls;
    qsizetype k = nextSignificant(s.t, last + 1);
    if (k < s.t.size() && s.t[k].is(K::Open)) {
        const qsizetype close = matchingClose(s.t, k);
        for (qsizetype c = k + 1; c < close; ++c) {
            if (!isName(s.t[c])) continue;
            const Column* found = nullptr;
            for (const Column& col : columns) {
                if (col.name.compare(bareName(s.t[c]), Qt::CaseInsensitive) == 0) found = &col;
            }
            calls.append(storingCall(found));
        }
        k = nextSignificant(s.t, close + 1);
    } else {
        for (const Column& col : columns) calls.append(storingCall(&col));
    }
    if (k >= s.t.size() ||
        std::all_of(calls.cbegin(), calls.cend(), [](const auto& c) { return c.isEmpty(); }))
        return;
    if (s.t[k].isWord(u"SELECT")) return storeSelected(s, calls, k);
    if (!s.t[k].isWord(u"VALUES")) return;
    // Each row of values: (v1, v2, ...), (...)
    qsizetype open = nextSignificant(s.t, k + 1);
    while (open < s.t.size() && s.t[open].is(K::Open)) {
        qsizetype v = nextSignificant(s.t, open + 1);
        for (qsizetype n = 0; v < s.t.size() && !s.t[v].is(K::Close); ++n) {
            // The value runs to the comma or parenthesis that closes it.
            qsizetype end = v;
            int depth = 0;
            for (qsizetype e = v; e < s.t.size(); ++e) {
                if (s.t[e].is(K::Open)) ++depth;
                if (s.t[e].is(K::Close) && depth-- == 0) break;
                if (depth == 0 && s.t[e].is(K::Comma)) break;
                if (!s.t[e].isBlank()) end = e;
            }
            end = storeValue(s, calls.value(n), v, end);
            const qsizetype next = nextSignificant(s.t, end + 1);
            if (next >= s.t.size() || !s.t[next].is(K::Comma)) {
                v = next;
                break;
            }
            v = nextSignificant(s.t, next + 1);
        }
        const qsizetype comma = nextSignificant(s.t, v + 1);
        if (comma >= s.t.size() || !s.t[comma].is(K::Comma)) break;
        open = nextSignificant(s.t, comma + 1);
    }
}

void storeSelected(ParsedStatement& s, const QList<Tokens>& calls, qsizetype select) {
    QStringList names, values;
    for (qsizetype n = 0; n < calls.size(); ++n) {
        const QString name = QStringLiteral("c%1").arg(n + 1);
        names << name;
        values << (calls[n].isEmpty() ? name : join(calls[n]) + name + u')');
    }
    insertText(s.t, statementEnd(s.t),
               QStringLiteral(") SELECT ") + values.join(QStringLiteral(", ")) +
                   QStringLiteral(" FROM tsql_values"));
    insertText(s.t, select,
               QStringLiteral("WITH tsql_values(") + names.join(QStringLiteral(", ")) +
                   QStringLiteral(") AS ("));
}

void storeUpdatedValues(ParsedStatement& s, qsizetype update) {
    const qsizetype name = nextSignificant(s.t, update + 1);
    if (name >= s.t.size() || !isName(s.t[name])) return;
    const qsizetype last = nameEnd(s.t, name);
    const QList<Column> columns = columnsOf(s, bareName(s.t[last]));
    const qsizetype set = nextSignificant(s.t, last + 1);
    if (set >= s.t.size() || !s.t[set].isWord(u"SET")) return;
    qsizetype c = nextSignificant(s.t, set + 1);
    while (c < s.t.size() && isName(s.t[c])) {
        const qsizetype columnEnd = nameEnd(s.t, c);
        const QString column = bareName(s.t[columnEnd]);
        const qsizetype eq = nextSignificant(s.t, columnEnd + 1);
        if (eq >= s.t.size() || s.t[eq].text != u"=") return;
        const qsizetype v = nextSignificant(s.t, eq + 1);
        qsizetype end = v;
        int depth = 0;
        for (qsizetype e = v; e < s.t.size(); ++e) {
            if (s.t[e].is(K::Open)) ++depth;
            if (s.t[e].is(K::Close)) --depth;
            if (depth < 0) break;
            if (depth == 0 && (s.t[e].is(K::Comma) || s.t[e].is(K::Semicolon) ||
                               isAnyWord(s.t[e], {u"WHERE", u"FROM"})))
                break;
            if (!s.t[e].isBlank()) end = e;
        }
        const Column* target = nullptr;
        for (const Column& col : columns) {
            if (col.name.compare(column, Qt::CaseInsensitive) == 0) target = &col;
        }
        if (v < s.t.size()) end = storeValue(s, storingCall(target), v, end);
        const qsizetype next = nextSignificant(s.t, end + 1);
        if (next >= s.t.size() || !s.t[next].is(K::Comma)) return;
        c = nextSignificant(s.t, next + 1);
    }
}

}  // namespace

void plainComments(ParsedStatement& s) {
    for (qsizetype i = 0; i < s.t.size(); ++i)
        if (isAmbiguousComment(s.t, i)) s.t[i].text = QStringLiteral(" ");
}

void dropPrefixes(ParsedStatement& s) {
    for (qsizetype i = 0; i + 1 < s.t.size(); ++i) {
        if (s.t[i].isWord(u"N") && s.t[i + 1].is(K::String)) {
            s.t.remove(i);
        } else if ((s.t[i].isWord(u"dbo") ||
                    (s.t[i].is(K::Quoted) &&
                     bareName(s.t[i]).compare(u"dbo", Qt::CaseInsensitive) == 0)) &&
                   s.t[i + 1].is(K::Dot)) {
            s.t.remove(i, 2);
            --i;
        }
    }
}

void rewriteIfExists(ParsedStatement& s) {
    const qsizetype i = first(s);
    if (i >= s.t.size() || !s.t[i].isWord(u"IF")) return;
    qsizetype j = nextSignificant(s.t, i + 1);
    const bool negated = j < s.t.size() && s.t[j].isWord(u"NOT");
    if (negated) j = nextSignificant(s.t, j + 1);
    if (j >= s.t.size() || !s.t[j].isWord(u"EXISTS")) return;
    const qsizetype open = nextSignificant(s.t, j + 1);
    if (open >= s.t.size() || !s.t[open].is(K::Open)) return;
    const qsizetype close = matchingClose(s.t, open);
    if (close >= s.t.size()) return;
    const QString condition =
        (negated ? QStringLiteral("NOT ") : QString()) + join(s.t, j, close + 1);

    const qsizetype insert = nextSignificant(s.t, close + 1);
    if (insert >= s.t.size() || !s.t[insert].isWord(u"INSERT")) return;
    qsizetype k = nextSignificant(s.t, insert + 1);
    if (k < s.t.size() && s.t[k].isWord(u"INTO")) k = nextSignificant(s.t, k + 1);
    if (k >= s.t.size() || !isName(s.t[k])) return;
    k = nextSignificant(s.t, nameEnd(s.t, k) + 1);
    if (k < s.t.size() && s.t[k].is(K::Open)) {
        k = nextSignificant(s.t, matchingClose(s.t, k) + 1);
    }
    if (k >= s.t.size()) return;
    const qsizetype end = statementEnd(s.t);
    const QString target = join(s.t, insert, k);
    QString text;
    if (s.t[k].isWord(u"VALUES")) {
        const qsizetype v = nextSignificant(s.t, k + 1);
        if (v >= s.t.size() || !s.t[v].is(K::Open)) return;
        const qsizetype vc = matchingClose(s.t, v);
        if (vc >= s.t.size() || nextSignificant(s.t, vc + 1) < end) return;
        text = target + QStringLiteral("SELECT ") + join(s.t, v + 1, vc) +
               QStringLiteral(" WHERE ") + condition;
    } else if (s.t[k].isWord(u"SELECT")) {
        text = target + QStringLiteral("SELECT * FROM (") + join(s.t, k, end) +
               QStringLiteral(") WHERE ") + condition;
    } else {
        return;
    }
    s.t = tokenize(text);
}

void dropTableHints(ParsedStatement& s) {
    for (qsizetype i = 0; i < s.t.size(); ++i) {
        if (!s.t[i].isWord(u"WITH")) continue;
        const qsizetype open = nextSignificant(s.t, i + 1);
        if (open >= s.t.size() || !s.t[open].is(K::Open)) continue;
        const qsizetype close = matchingClose(s.t, open);
        if (close >= s.t.size()) continue;
        bool hints = true;
        for (qsizetype k = open + 1; k < close && hints; ++k) {
            hints = s.t[k].isBlank() || s.t[k].is(K::Comma) ||
                    isAnyWord(s.t[k], {u"NOLOCK", u"READUNCOMMITTED", u"ROWLOCK", u"UPDLOCK",
                                       u"HOLDLOCK", u"READPAST", u"NOWAIT"});
        }
        if (!hints || nextSignificant(s.t, open + 1) == close) continue;
        qsizetype from = i;
        const bool spaceFollows = close + 1 >= s.t.size() || s.t[close + 1].isBlank();
        if (spaceFollows && from > 0 && s.t[from - 1].is(K::Space)) --from;
        s.t.remove(from, close - from + 1);
        i = from - 1;
    }
}

void dropJoinHints(ParsedStatement& s) {
    for (qsizetype i = 0; i < s.t.size(); ++i) {
        if (!isAnyWord(s.t[i], {u"LOOP", u"HASH", u"MERGE", u"REMOTE"})) continue;
        const qsizetype next = nextSignificant(s.t, i + 1);
        if (next >= s.t.size() || !s.t[next].isWord(u"JOIN")) continue;
        qsizetype before = i - 1;
        while (before >= 0 && s.t[before].isBlank()) --before;
        if (before < 0 ||
            !isAnyWord(s.t[before], {u"INNER", u"LEFT", u"RIGHT", u"FULL", u"OUTER"}))
            continue;
        s.t.remove(before + 1, next - before - 1);
        s.t.insert(before + 1, Token{K::Space, QStringLiteral(" ")});
        i = before + 1;
    }
}

void completeInsert(ParsedStatement& s) {
    const qsizetype i = first(s);
    if (i >= s.t.size() || !s.t[i].isWord(u"INSERT")) return;
    qsizetype name = nextSignificant(s.t, i + 1);
    if (name >= s.t.size()) return;
    if (!s.t[name].isWord(u"INTO")) {
        insertText(s.t, name, QStringLiteral("INTO "));
        name += 2;
    } else {
        name = nextSignificant(s.t, name + 1);
    }
    if (name >= s.t.size() || !isName(s.t[name])) return;
    const qsizetype last = nameEnd(s.t, name);
    const qsizetype k = nextSignificant(s.t, last + 1);
    if (k >= s.t.size() || !(s.t[k].isWord(u"SELECT") || s.t[k].isWord(u"VALUES"))) return;

    const QList<Column> columns = columnsOf(s, bareName(s.t[last]));
    if (columns.isEmpty()) return;
    QStringList targets;
    for (const Column& c : columns) {
        if (!c.identity) targets.append(c.name);
    }
    qsizetype count = -1;
    if (s.t[k].isWord(u"SELECT")) {
        count = selectItemCount(s, k);
    } else {
        const qsizetype open = nextSignificant(s.t, k + 1);
        if (open >= s.t.size() || !s.t[open].is(K::Open)) return;
        count = 1;
        int depth = 0;
        for (qsizetype v = open; v < s.t.size(); ++v) {
            if (s.t[v].is(K::Open)) ++depth;
            if (s.t[v].is(K::Close) && --depth == 0) break;
            if (depth == 1 && s.t[v].is(K::Comma)) ++count;
        }
    }
    if (count < 0) count = targets.size();
    if (count > targets.size()) return;   // the engine reports the mismatch
    if (count == columns.size()) return;  // no identity to skip: the text is right as it is
    QStringList list;
    for (qsizetype c = 0; c < count; ++c) {
        list.append(QLatin1Char('[') + targets[c] + QLatin1Char(']'));
    }
    insertText(s.t, last + 1, QStringLiteral(" (") + list.join(QStringLiteral(", ")) + u')');
}

void completeDelete(ParsedStatement& s) {
    const qsizetype i = first(s);
    if (i >= s.t.size() || !s.t[i].isWord(u"DELETE")) return;
    const qsizetype k = nextSignificant(s.t, i + 1);
    if (k >= s.t.size() || !isName(s.t[k]) || s.t[k].isWord(u"FROM") || s.t[k].isWord(u"TOP")) {
        return;
    }
    insertText(s.t, k, QStringLiteral("FROM "));
}

void joinTexts(ParsedStatement& s) {
    for (qsizetype i = 0; i < s.t.size(); ++i) {
        if (!s.t[i].is(K::Operator) || s.t[i].text != u"+") continue;
        const Operand l = leftOperand(s, i);
        const Operand r = rightOperand(s, i);
        if (l == Operand::None || r == Operand::None) continue;
        if (l == Operand::Number || r == Operand::Number) continue;
        if (l == Operand::Date || r == Operand::Date) continue;
        if (l == Operand::Text || r == Operand::Text ||
            (l == Operand::Name && r == Operand::Name)) {
            s.t[i].text = QStringLiteral("||");
        }
    }
}

void storeValues(ParsedStatement& s) {
    const qsizetype i = first(s);
    if (i >= s.t.size()) return;
    if (s.t[i].isWord(u"INSERT")) storeInsertedValues(s, i);
    if (s.t[i].isWord(u"UPDATE")) storeUpdatedValues(s, i);
}

void collateLiterals(ParsedStatement& s) {
    SetListTracker setList(s);
    for (qsizetype i = 0; i < s.t.size(); ++i) {
        const Token& t = s.t[i];
        const bool assigning = setList.inSetList(t);
        // A bound parameter stands where a literal would.
        if (!t.is(K::String) && !isParameter(t)) continue;
        const qsizetype l = previousSignificant(s.t, i - 1);
        const qsizetype r = nextSignificant(s.t, i + 1);
        const bool leftCompared = l >= 0 && isComparison(s.t[l]);
        const bool rightCompared = r < s.t.size() && isComparison(s.t[r]);
        if (!leftCompared && !rightCompared) continue;
        // SET column = 'value' assigns, it does not compare.
        if (assigning && leftCompared && s.t[l].text == u"=" && !rightCompared) {
            continue;
        }
        if (r < s.t.size() && s.t[r].isWord(u"COLLATE")) continue;
        // Against a number column the column's own comparison is right, and a collation
        // there would keep SQLite from using the column's index.
        const Operand other = leftCompared ? leftOperand(s, l) : rightOperand(s, r);
        if (other == Operand::Number) continue;
        if (other == Operand::Date) {
            const qsizetype keyed = compareDateColumn(s, i, leftCompared ? l : r);
            if (keyed >= 0) {
                i = keyed;
                continue;
            }
            // The literal in the stored form of a date-time, whatever shape it has.
            i += wrapDate(s, i, i) - 1;
            continue;
        }
        insertText(s.t, i + 1, QStringLiteral(" COLLATE SSCI"));
    }
}

void numberParameters(ParsedStatement& s) {
    int n = 0;
    for (Token& t : s.t) {
        if (t.is(K::Other) && t.text == u"?") t.text = QStringLiteral("?%1").arg(++n);
    }
}

void rewriteFunctions(ParsedStatement& s) {
    for (qsizetype i = 0; i < s.t.size(); ++i) {
        Token& t = s.t[i];
        if (t.is(K::Variable) && t.text.compare(u"@@IDENTITY", Qt::CaseInsensitive) == 0) {
            t = Token{K::Word, QStringLiteral("last_insert_rowid()")};
            continue;
        }
        const qsizetype open = nextSignificant(s.t, i + 1);
        if (open >= s.t.size() || !s.t[open].is(K::Open)) continue;
        if (t.isWord(u"ISNULL")) {
            // ISNULL is an operator keyword to SQLite.
            t.text = QStringLiteral("ifnull");
        } else if (isAnyWord(t, {u"DATEADD", u"DATEDIFF", u"DATEPART"})) {
            const bool datediff = t.isWord(u"DATEDIFF"), datepart = t.isWord(u"DATEPART");
            // The date part is a keyword SQLite would read as a column: hand it over as text.
            const qsizetype part = nextSignificant(s.t, open + 1);
            const qsizetype comma = nextSignificant(s.t, part + 1);
            if (part < s.t.size() && s.t[part].is(K::Word) && comma < s.t.size() &&
                s.t[comma].is(K::Comma))
                s.t[part] = Token{K::String, u'\'' + s.t[part].text + u'\''};
            if (datediff) markLiteralDates(s, open, 1, 3);
            if (datepart) markLiteralDates(s, open, 1, 2);
            if (datediff)
                readStoredDates(s, open, 1, 2);
            else
                readStoredDates(s, open, datepart ? 1 : 2, 1);
        } else if (isAnyWord(t, {u"YEAR", u"MONTH", u"DAY"})) {
            markLiteralDates(s, open, 0, 1);
            readStoredDates(s, open, 0, 1);
        } else if (t.isWord(u"CAST")) {
            // CAST(x AS type) converts as CONVERT(type, x) does.
            const qsizetype close = matchingClose(s.t, open);
            const qsizetype as = castAs(s.t, open);
            if (as < 0 || close >= s.t.size()) continue;
            QString typeText;
            for (qsizetype k = as + 1; k < close; ++k) {
                if (!s.t[k].isBlank()) typeText += s.t[k].text;
            }
            if (typeText.isEmpty()) continue;
            s.t[i].text = QStringLiteral("tsql_convert");
            s.t.remove(as, close - as);
            insertText(s.t, open + 1, u'\'' + typeText.toUpper() + QStringLiteral("', "));
            readStoredDates(s, open, 1, 1);
        } else if (t.isWord(u"CONVERT")) {
            // The type is a name SQLite would read as a column: hand it over as text.
            const qsizetype type = nextSignificant(s.t, open + 1);
            if (type >= s.t.size() || !s.t[type].is(K::Word)) continue;
            qsizetype typeEnd = type;
            const qsizetype size = nextSignificant(s.t, type + 1);
            if (size < s.t.size() && s.t[size].is(K::Open)) typeEnd = matchingClose(s.t, size);
            const qsizetype comma = nextSignificant(s.t, typeEnd + 1);
            if (comma >= s.t.size() || !s.t[comma].is(K::Comma)) continue;
            QString typeText;
            for (qsizetype k = type; k <= typeEnd; ++k) {
                if (!s.t[k].isBlank()) typeText += s.t[k].text;
            }
            s.t.remove(i, comma - i + 1);
            insertText(
                s.t, i,
                QStringLiteral("tsql_convert('") + typeText.toUpper() + QStringLiteral("',"));
            readStoredDates(s, nextSignificant(s.t, i + 1), 1, 1);
        }
    }
}

void rewriteTop(ParsedStatement& s) {
    QHash<int, QString> limits;  // by parenthesis depth
    int depth = 0;
    for (qsizetype i = 0; i < s.t.size(); ++i) {
        if (s.t[i].is(K::Open)) ++depth;
        if (s.t[i].is(K::Close)) {
            if (limits.contains(depth)) {
                const qsizetype at = previousSignificant(s.t, i - 1) + 1;
                i += insertText(s.t, at, limits.take(depth));  // still the same ")"
            }
            --depth;
            continue;
        }
        if (!s.t[i].isWord(u"SELECT")) continue;
        qsizetype top = nextSignificant(s.t, i + 1);
        if (top < s.t.size() && (s.t[top].isWord(u"ALL") || s.t[top].isWord(u"DISTINCT"))) {
            top = nextSignificant(s.t, top + 1);
        }
        if (top >= s.t.size() || !s.t[top].isWord(u"TOP")) continue;
        const qsizetype count = nextSignificant(s.t, top + 1);
        if (count >= s.t.size()) continue;
        qsizetype last = count;
        if (s.t[count].is(K::Open)) {
            last = matchingClose(s.t, count);
            if (last >= s.t.size()) continue;
        } else if (!s.t[count].is(K::Number)) {
            continue;
        }
        QString limit = join(s.t, count, last + 1).trimmed();
        const qsizetype percent = nextSignificant(s.t, last + 1);
        if (percent < s.t.size() && s.t[percent].isWord(u"PERCENT")) {
            // Only "everything" has a meaning SQLite can say; another share stays a
            // syntax error rather than a wrong result.
            if (limit.remove(u'(').remove(u')').trimmed().toDouble() < 100) continue;
            last = percent;
            limit.clear();
        }
        const qsizetype resume = nextSignificant(s.t, last + 1);
        s.t.remove(top, resume - top);
        if (!limit.isEmpty()) limits.insert(depth, QStringLiteral(" LIMIT ") + limit);
    }
    if (limits.contains(0)) insertText(s.t, statementEnd(s.t), limits.take(0));
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

namespace {

// The passes, in the order they run (passes.h).
using Pass = void (*)(ParsedStatement&);
const Pass kPasses[] = {
    numberParameters, dropPrefixes,
    rewriteIfExists,  [](ParsedStatement& s) { rewriteTableDefinition(s.t); },
    dropTableHints,   dropJoinHints,
    completeInsert,   completeDelete,
    storeValues,      dateArithmetic,
    extremesOfReadings, compareDates,
    joinTexts,        collateLiterals,
    rewriteFunctions, orderByReadings,
    rewriteTop,
    plainComments,
};

}  // namespace

QString Translator::translate(const QString& statement) const {
    ParsedStatement s(statement, columns_, order_, apart_);
    for (const Pass pass : kPasses) pass(s);
    return join(s.t);
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
