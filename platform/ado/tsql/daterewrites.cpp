#include "platform/ado/tsql/passes.h"

#include <algorithm>

namespace tsql {

namespace {

using K = Token::Kind;

bool isSign(const Token& t) {
    return t.is(K::Operator) && (t.text == u"+" || t.text == u"-");
}

bool isProduct(const Token& t) {
    return t.is(K::Operator) && (t.text == u"*" || t.text == u"/" || t.text == u"%");
}

// An item of a select list: its expression's first and last token and its alias (empty for
// none).
struct SelectItem {
    qsizetype first = -1, last = -1;
    QString alias;
};

// What a date compares with: a date column (whose comparison converts a value),
// another date (whose values are made stored dates) or the bounds of a range.
enum class Against { Column, Date, Bounds };

// Whether [from, to] is one call that gives a date-time in the stored form.
bool givesStoredDate(const ParsedStatement& s, qsizetype from, qsizetype to);

// The text of the date [from, to], read through tsql_datevalue unless it gives a date-time
// in the stored form already: a date column may hold the number SQLite made of a date
// written without separators, which is that date, never a count of days.
QString storedDateText(const ParsedStatement& s, qsizetype from, qsizetype to);

// Whether the token at `i` ends an operand, so that a "+" or "-" after it adds or
// subtracts rather than signs what follows it.
bool endsOperand(const ParsedStatement& s, qsizetype i);

// The first token of the expression that ends at `i` on the left of a "+" or "-": its
// terms joined by "+" and "-", each a product of signed factors.
qsizetype leftSideStart(const ParsedStatement& s, qsizetype i);

// The last token of the term that starts at `i`: a product of signed factors.
qsizetype termEnd(const ParsedStatement& s, qsizetype i);

// The comparison at `op` of a date; returns the index of its last token, or -1 when its
// sides are not whole operands or neither is a date.
qsizetype compareTwoDates(ParsedStatement& s, qsizetype op);

// "c [NOT] BETWEEN a AND b" and "c [NOT] IN (a, b, ...)" of a bare date column become
// "[NOT] (c >= a AND c <= b)" and "[NOT] (c = a OR c = b ...)", compared then on the
// column's keys; of another date, the bounds and items in the stored form of their
// readings. The BETWEEN or IN is at `word`; returns the index of the last token written,
// or -1 when the shape is another.
qsizetype compareRangeOfDates(ParsedStatement& s, qsizetype word);

// "d [NOT] IN (SELECT x ...)": d and x read as dates. The list opens at `open`.
qsizetype compareWithQuery(ParsedStatement& s, qsizetype left, qsizetype leftEnd, bool column,
                           qsizetype open);
// The first token of the side of a comparison that ends at `last`, or -1 when it is no
// whole operand (a term of a sum, the tail of a qualified name).
qsizetype sideStart(const ParsedStatement& s, qsizetype last);

// The last token of the side of a comparison that starts at `first`, or -1 likewise.
qsizetype sideEnd(const ParsedStatement& s, qsizetype first);

// Whether [first, last] is a (qualified) column name and nothing else.
bool isBareColumn(const ParsedStatement& s, qsizetype first, qsizetype last);

// The call that puts the operand [from, to] in the stored form of its reading, for a
// comparison against `against`: tsql_datetime( for a value written in the statement (but
// against a column, whose keys convert it), tsql_reading( for a date of another shape (a
// column, a subquery) or a value no type tells; empty where it already is one.
QString readingCall(ParsedStatement& s, qsizetype from, qsizetype to, Against against);

// Wraps [from, to] in `call` ... ) unless the call is empty; returns how many tokens the
// operand became.
qsizetype wrapIn(ParsedStatement& s, qsizetype from, qsizetype to, const QString& call);

// The operator that compares the other way round (x < c reads c > x).
QString mirrored(const QString& op);

// The same for the column [first, last] compared by `o` (the column on the left) with the
// value `x`, in place of the tokens [from, to].
qsizetype keyedComparison(ParsedStatement& s, qsizetype first, qsizetype last, const QString& x,
                          const QString& o, qsizetype from, qsizetype to);
// The terms of the ORDER BY whose BY is at `by` and that ends before `to`, each ordered by
// its reading where it is a date.
void orderTermsByReadings(ParsedStatement& s, qsizetype by, qsizetype to);

// The first and last token of the date whose reading the term [from, last] (its direction
// left out) orders by: the term itself, or the item of the select list that its place or
// its alias names. Nothing when it is no date, when the column's own order already is the
// readings', or when that cannot be told.
std::optional<std::pair<qsizetype, qsizetype>> dateOfTerm(ParsedStatement& s, qsizetype by,
                                                          qsizetype from, qsizetype last);
// Whether the ORDER BY at `order` orders a compound SELECT (after UNION and its kin).
bool ordersCompound(const ParsedStatement& s, qsizetype order);
QList<SelectItem> selectItemsBefore(const ParsedStatement& s, qsizetype by);

// Whether the statement reads one table or view alone, so that a column it names is that
// object's.
bool readsOneObject(const ParsedStatement& s);

bool givesStoredDate(const ParsedStatement& s, qsizetype from, qsizetype to) {
    if (from > to || !s.t[from].is(K::Word)) return false;
    const qsizetype open = nextSignificant(s.t, from + 1);
    if (open >= s.t.size() || !s.t[open].is(K::Open) || matchingClose(s.t, open) != to)
        return false;
    if (operandOfFunction(s.t[from]) == Operand::Date) return true;
    // A conversion into a date gives its day alone ("2026-03-29"), not the stored form.
    const QString type = convertedType(s.t, from, open);
    return !type.isNull() && type.compare(u"DATE", Qt::CaseInsensitive) != 0;
}

QString storedDateText(const ParsedStatement& s, qsizetype from, qsizetype to) {
    const QString text = join(s.t, from, to + 1);
    return givesStoredDate(s, from, to) ? text : QStringLiteral("tsql_datevalue(") + text + u')';
}

bool endsOperand(const ParsedStatement& s, qsizetype i) {
    if (i < 0) return false;
    const Token& t = s.t[i];
    if (t.is(K::Word))
        return !isReserved(t) || isAnyWord(t, {u"END", u"NULL", u"CURRENT_TIMESTAMP"});
    return t.is(K::Number) || t.is(K::String) || t.is(K::Variable) || t.is(K::Quoted) ||
           t.is(K::Close) || isParameter(t);
}

qsizetype leftSideStart(const ParsedStatement& s, qsizetype i) {
    for (qsizetype end = i;;) {
        if (end < 0) return -1;
        const Token& t = s.t[end];
        qsizetype start = t.is(K::Number) || t.is(K::String) || t.is(K::Variable) || isParameter(t)
                              ? end
                              : primaryStart(s, end);
        if (start < 0) return -1;
        qsizetype before = previousSignificant(s.t, start - 1);
        while (before >= 0 && isSign(s.t[before]) &&
               !endsOperand(s, previousSignificant(s.t, before - 1))) {
            start = before;
            before = previousSignificant(s.t, before - 1);
        }
        if (before < 0 || (!isSign(s.t[before]) && !isProduct(s.t[before]))) return start;
        end = previousSignificant(s.t, before - 1);
    }
}

qsizetype termEnd(const ParsedStatement& s, qsizetype i) {
    for (;;) {
        while (i < s.t.size() && isSign(s.t[i])) i = nextSignificant(s.t, i + 1);
        const qsizetype end = primaryEnd(s, i);
        if (end < 0) return -1;
        const qsizetype after = nextSignificant(s.t, end + 1);
        if (after >= s.t.size() || !isProduct(s.t[after])) return end;
        i = nextSignificant(s.t, after + 1);
    }
}

qsizetype sideStart(const ParsedStatement& s, qsizetype last) {
    if (last < 0) return -1;
    const Token& t = s.t[last];
    const qsizetype first =
        t.is(K::String) || t.is(K::Number) || isParameter(t) ? last : primaryStart(s, last);
    if (first < 0) return -1;
    const qsizetype before = previousSignificant(s.t, first - 1);
    if (before >= 0 && (s.t[before].is(K::Operator) || s.t[before].is(K::Dot))) return -1;
    return first;
}

qsizetype sideEnd(const ParsedStatement& s, qsizetype first) {
    const qsizetype last = primaryEnd(s, first);
    if (last < 0) return -1;
    const qsizetype after = nextSignificant(s.t, last + 1);
    if (after < s.t.size() &&
        (s.t[after].is(K::Operator) || s.t[after].is(K::Dot) || s.t[after].isWord(u"COLLATE")))
        return -1;
    return last;
}

bool isBareColumn(const ParsedStatement& s, qsizetype first, qsizetype last) {
    return isName(s.t[first]) && !isReserved(s.t[first]) && !isReserved(s.t[last]) &&
           nameEnd(s.t, first) == last && primaryEnd(s, first) == last;
}

QString readingCall(ParsedStatement& s, qsizetype from, qsizetype to, Against against) {
    static const QString datetime = QStringLiteral("tsql_datetime(");
    static const QString reading = QStringLiteral("tsql_reading(");
    if (from == to && (s.t[from].is(K::String) || isParameter(s.t[from])))
        return against == Against::Column ? QString() : datetime;
    const Operand type =
        from == to && s.t[from].is(K::Number) ? Operand::Number : leftOperand(s, to + 1);
    if (type == Operand::Date) return givesStoredDate(s, from, to) ? QString() : reading;
    switch (against) {
        case Against::Column:
            return type == Operand::Text || type == Operand::Number ? QString() : reading;
        case Against::Date:
            return QString();
        case Against::Bounds:
            return datetime;
    }
    return QString();
}

qsizetype wrapIn(ParsedStatement& s, qsizetype from, qsizetype to, const QString& call) {
    if (call.isEmpty()) return to - from + 1;
    return wrap(s, from, to, tokenize(call));
}

qsizetype compareTwoDates(ParsedStatement& s, qsizetype op) {
    const qsizetype leftEnd = previousSignificant(s.t, op - 1);
    const qsizetype left = sideStart(s, leftEnd);
    const qsizetype right = nextSignificant(s.t, op + 1);
    const qsizetype rightEnd = right < s.t.size() ? sideEnd(s, right) : -1;
    if (left < 0 || rightEnd < 0 || s.t[left].isWord(u"NULL") || s.t[right].isWord(u"NULL"))
        return -1;
    const Operand l = leftOperand(s, op), r = rightOperand(s, op);
    if (l != Operand::Date && r != Operand::Date) return -1;
    const auto value = [&](qsizetype from, qsizetype to) {
        const QString call = readingCall(s, from, to, Against::Column);
        const QString text = join(s.t, from, to + 1);
        return call.isEmpty() ? text : call + text + u')';
    };
    if (l == Operand::Date && isBareColumn(s, left, leftEnd))
        return keyedComparison(s, left, leftEnd, value(right, rightEnd), s.t[op].text, left,
                               rightEnd);
    if (r == Operand::Date && isBareColumn(s, right, rightEnd))
        return keyedComparison(s, right, rightEnd, value(left, leftEnd), mirrored(s.t[op].text),
                               left, rightEnd);
    // Two expressions: each side in the stored form of its reading, which sorts as time does.
    const qsizetype rightSize =
        wrapIn(s, right, rightEnd, readingCall(s, right, rightEnd, Against::Date));
    const qsizetype leftSize =
        wrapIn(s, left, leftEnd, readingCall(s, left, leftEnd, Against::Date));
    return right + rightSize - 1 + (leftSize - (leftEnd - left + 1));
}

qsizetype compareRangeOfDates(ParsedStatement& s, qsizetype word) {
    qsizetype leftEnd = previousSignificant(s.t, word - 1);
    const bool negated = leftEnd >= 0 && s.t[leftEnd].isWord(u"NOT");
    if (negated) leftEnd = previousSignificant(s.t, leftEnd - 1);
    const qsizetype left = sideStart(s, leftEnd);
    if (left < 0 || leftOperand(s, leftEnd + 1) != Operand::Date) return -1;
    const bool column = isBareColumn(s, left, leftEnd);
    QList<std::pair<qsizetype, qsizetype>> values;
    qsizetype last = -1;
    if (s.t[word].isWord(u"BETWEEN")) {
        const qsizetype low = nextSignificant(s.t, word + 1);
        const qsizetype lowEnd = termEnd(s, low);
        if (lowEnd < 0) return -1;
        const qsizetype conj = nextSignificant(s.t, lowEnd + 1);
        if (conj >= s.t.size() || !s.t[conj].isWord(u"AND")) return -1;
        const qsizetype high = nextSignificant(s.t, conj + 1);
        const qsizetype highEnd = termEnd(s, high);
        if (highEnd < 0) return -1;
        const qsizetype after = nextSignificant(s.t, highEnd + 1);
        if (after < s.t.size() && (s.t[after].is(K::Operator) || s.t[after].is(K::Dot))) return -1;
        values = {{low, lowEnd}, {high, highEnd}};
        last = highEnd;
    } else {
        const qsizetype open = nextSignificant(s.t, word + 1);
        if (open >= s.t.size() || !s.t[open].is(K::Open)) return -1;
        last = matchingClose(s.t, open);
        if (last >= s.t.size()) return -1;
        const qsizetype item = nextSignificant(s.t, open + 1);
        if (item < last && s.t[item].isWord(u"SELECT"))
            return compareWithQuery(s, left, leftEnd, column, open);
        qsizetype from = open + 1;
        for (const qsizetype end : valueEnds(s, open)) {
            const qsizetype a = nextSignificant(s.t, from), b = previousSignificant(s.t, end - 1);
            if (a > b) return -1;
            values.append({a, b});
            from = end + 1;
        }
    }
    if (column) {
        // "c BETWEEN a AND b" and "c IN (a, b, ...)" become "(c >= a AND c <= b)" and
        // "(c = a OR c = b ...)", each comparison then made on the column's keys.
        const QString c = join(s.t, left, leftEnd + 1);
        const auto text = [&](const std::pair<qsizetype, qsizetype>& v) {
            return join(s.t, v.first, v.second + 1);
        };
        QStringList terms;
        if (s.t[word].isWord(u"BETWEEN")) {
            terms << QStringLiteral("%1 >= %2 AND %1 <= %3")
                         .arg(c, text(values[0]), text(values[1]));
        } else {
            for (const auto& v : values) terms << QStringLiteral("%1 = %2").arg(c, text(v));
        }
        const QString sql = (negated ? QStringLiteral("NOT (") : QStringLiteral("(")) +
                            terms.join(QStringLiteral(" OR ")) + u')';
        s.t.remove(left, last - left + 1);
        return left + insertText(s.t, left, sql) - 1;
    }
    // Back to front, so that the places of the values before stay where they are.
    qsizetype grown = 0;
    for (auto it = values.crbegin(); it != values.crend(); ++it) {
        const auto [from, to] = *it;
        grown += wrapIn(s, from, to, readingCall(s, from, to, Against::Bounds)) - (to - from + 1);
    }
    grown += wrapIn(s, left, leftEnd, readingCall(s, left, leftEnd, Against::Date)) -
             (leftEnd - left + 1);
    return last + grown;
}

qsizetype compareWithQuery(ParsedStatement& s, qsizetype left, qsizetype leftEnd, bool column,
                           qsizetype open) {
    const qsizetype close = matchingClose(s.t, open);
    qsizetype from = -1;
    int depth = 0;
    for (qsizetype k = open + 1; k < close && from < 0; ++k) {
        if (s.t[k].is(K::Open)) ++depth;
        if (s.t[k].is(K::Close)) --depth;
        if (depth == 0 && s.t[k].isWord(u"FROM")) from = k;
    }
    const QList<SelectItem> items = selectItemsBefore(s, from >= 0 ? from : close);
    if (items.size() != 1) return -1;
    const qsizetype first = items[0].first, last = items[0].last;
    const qsizetype itemSize =
        wrapIn(s, first, last,
               givesStoredDate(s, first, last) ? QString() : QStringLiteral("tsql_reading("));
    const QString call =
        column ? QStringLiteral("tsql_reading(") : readingCall(s, left, leftEnd, Against::Date);
    const qsizetype leftSize = wrapIn(s, left, leftEnd, call);
    return close + (itemSize - (last - first + 1)) + (leftSize - (leftEnd - left + 1));
}

QString mirrored(const QString& op) {
    if (op == u"<") return QStringLiteral(">");
    if (op == u">") return QStringLiteral("<");
    if (op == u"<=") return QStringLiteral(">=");
    if (op == u">=") return QStringLiteral("<=");
    return op;
}

qsizetype keyedComparison(ParsedStatement& s, qsizetype first, qsizetype last, const QString& x,
                          const QString& o, qsizetype from, qsizetype to) {
    const QString column = join(s.t, first, last + 1);
    const auto key = [&](const char* which) {
        return QStringLiteral("%1(%2)").arg(QLatin1String(which), x);
    };
    const QString cmp = QStringLiteral("tsql_datecmp(%1, %2)").arg(column, x);
    const auto found = columnAt(s, first, last);
    QString sql;
    if (o != u"=" && o != u"<>" && o != u"!=" && o != u"<" && o != u"<=" && o != u">" &&
        o != u">=")
        return -1;
    if (o == u"<>" || o == u"!=") {
        sql = QStringLiteral("(%1 <> 0)").arg(cmp);
    } else if (found && s.apart && s.apart(found->first, found->second.name)) {
        // Texts that sort apart from their day are out of reach of the keys: every row
        // compares its reading.
        sql = QStringLiteral("(%1 %2 0)").arg(cmp, o);
    } else {
        // Dashes where an ISO date has them and a digit closing its day: a cheap test, as it
        // runs on every row of the range, that no other shape a datetime takes passes.
        // (The pattern is split where "??-" would read as a trigraph.)
        // A date written without separators is stored as the number SQLite makes of it, which
        // sorts before every text: where the column holds any, the range from the value's low
        // key starts at the least of them instead (one look in the index), so that ">=", ">"
        // and "=" reach them too.
        QString low = key("tsql_lowkey");
        if (found) {
            const auto quoted = [](QString name) {
                return u'"' + name.replace(u'"', QStringLiteral("\"\"")) + u'"';
            };
            low = QStringLiteral(
                      "coalesce((SELECT min(%1) FROM %2 WHERE %1 BETWEEN 17530101 AND "
                      "99991231), %3)")
                      .arg(quoted(found->second.name), quoted(found->first), low);
        }
        const QString iso = QStringLiteral(
                                "%1 GLOB '????"
                                "-??"
                                "-?[0-9]*'")
                                .arg(column);
        if (o == u">=" || o == u">") {
            sql = QStringLiteral("(%1 >= %2 AND ((%1 >= %3 AND %4) OR %5 %6 0))")
                      .arg(column, low, key(o == u">=" ? "tsql_ceildaykey" : "tsql_nextdaykey"),
                           iso, cmp, o);
        } else if (o == u"<" || o == u"<=") {
            sql = QStringLiteral("(%1 < %2 AND ((%1 < %3 AND %4) OR %5 %6 0))")
                      .arg(column, key(o == u"<" ? "tsql_ceildaykey" : "tsql_nextdaykey"),
                           key("tsql_lowkey"), iso, cmp, o);
        } else {
            sql = QStringLiteral("(%1 >= %2 AND %1 < %3 AND %4 = 0)")
                      .arg(column, low, key("tsql_nextdaykey"), cmp);
        }
    }
    s.t.remove(from, to - from + 1);
    return from + insertText(s.t, from, sql) - 1;
}

bool ordersCompound(const ParsedStatement& s, qsizetype order) {
    int depth = 0;
    for (qsizetype k = order - 1; k >= 0; --k) {
        const Token& t = s.t[k];
        if (t.is(K::Close)) ++depth;
        if (t.is(K::Open) && depth-- == 0) return false;
        if (depth == 0 && t.is(K::Semicolon)) return false;
        if (depth == 0 && isAnyWord(t, {u"UNION", u"EXCEPT", u"INTERSECT"})) return true;
    }
    return false;
}

void orderTermsByReadings(ParsedStatement& s, qsizetype by, qsizetype to) {
    QList<std::pair<qsizetype, qsizetype>> terms;
    qsizetype start = by + 1;
    int depth = 0;
    for (qsizetype k = by + 1; k <= to; ++k) {
        if (k < to && s.t[k].is(K::Open)) ++depth;
        if (k < to && s.t[k].is(K::Close)) --depth;
        if (k == to || (depth == 0 && s.t[k].is(K::Comma))) {
            terms.append({nextSignificant(s.t, start), previousSignificant(s.t, k - 1)});
            start = k + 1;
        }
    }
    // Back to front, so that the places of the terms before stay where they are.
    for (auto it = terms.crbegin(); it != terms.crend(); ++it) {
        const auto [from, to] = *it;
        if (from > to) continue;
        const bool directed = isAnyWord(s.t[to], {u"ASC", u"DESC"});
        const qsizetype last = directed ? previousSignificant(s.t, to - 1) : to;
        if (last < from) continue;
        const auto date = dateOfTerm(s, by, from, last);
        if (!date) continue;
        // The term itself after its reading keeps rows of one reading in the engine's order.
        const QString direction = directed ? u' ' + s.t[to].text : QString();
        insertText(s.t, from,
                   QStringLiteral("tsql_sortkey(") + join(s.t, date->first, date->second + 1) +
                       QStringLiteral(") COLLATE SSCI") + direction + QStringLiteral(", "));
    }
}

std::optional<std::pair<qsizetype, qsizetype>> dateOfTerm(ParsedStatement& s, qsizetype by,
                                                          qsizetype from, qsizetype last) {
    qsizetype first = from;
    // A place in the select list, or an alias it gives, stands for that item.
    if (from == last &&
        (s.t[from].is(K::Number) || s.t[from].is(K::Word) || s.t[from].is(K::Quoted))) {
        const QList<SelectItem> items = selectItemsBefore(s, by);
        const SelectItem* named = nullptr;
        if (s.t[from].is(K::Number)) {
            bool whole = false;
            const int place = s.t[from].text.toInt(&whole);
            if (!whole || place < 1 || place > items.size()) return std::nullopt;
            named = &items[place - 1];
        } else {
            for (const SelectItem& item : items) {
                if (item.alias.compare(bareName(s.t[from]), Qt::CaseInsensitive) == 0) {
                    named = &item;
                    break;
                }
            }
        }
        if (named) {
            first = named->first;
            last = named->last;
        } else if (s.t[from].is(K::Number)) {
            return std::nullopt;
        }
    }
    // One operand alone: a column, a call, a CASE or a parenthesised group; not a query, whose
    // text the order would hold twice (and its own ORDER BY's terms twice again).
    if (primaryStart(s, last) != first || leftOperand(s, last + 1) != Operand::Date)
        return std::nullopt;
    for (qsizetype k = first; k <= last; ++k)
        if (s.t[k].isWord(u"SELECT")) return std::nullopt;
    // A column of the one table read, whose own order already is its readings', is left to it.
    if (isName(s.t[last]) && primaryEnd(s, first) == last && s.order && readsOneObject(s)) {
        const auto found = findColumn(s, bareName(s.t[last]));
        if (found && s.order(found->first, found->second.name)) return std::nullopt;
    }
    return std::pair{first, last};
}

QList<SelectItem> selectItemsBefore(const ParsedStatement& s, qsizetype by) {
    qsizetype select = -1;
    int depth = 0;
    for (qsizetype k = by - 1; k >= 0 && select < 0; --k) {
        if (s.t[k].is(K::Close)) ++depth;
        if (s.t[k].is(K::Open) && depth-- == 0) return {};
        if (depth == 0 && s.t[k].isWord(u"SELECT")) select = k;
    }
    if (select < 0) return {};
    qsizetype k = firstSelectItem(s, select);
    QList<SelectItem> items;
    qsizetype start = k;
    depth = 0;
    for (; k <= by; ++k) {
        const bool ends =
            k == by ||
            (depth == 0 && (s.t[k].is(K::Comma) || isAnyWord(s.t[k], {u"FROM", u"INTO"})));
        if (k < by && s.t[k].is(K::Open)) ++depth;
        if (k < by && s.t[k].is(K::Close)) --depth;
        if (!ends) continue;
        SelectItem item{nextSignificant(s.t, start), previousSignificant(s.t, k - 1), {}};
        if (item.first > item.last || s.t[item.last].text == u"*") return {};
        const qsizetype before = previousSignificant(s.t, item.last - 1);
        if (before >= item.first && isName(s.t[item.last]) && !isReserved(s.t[item.last]) &&
            (s.t[before].isWord(u"AS") || primaryEnd(s, item.first) == before)) {
            item.alias = bareName(s.t[item.last]);
            item.last = s.t[before].isWord(u"AS") ? previousSignificant(s.t, before - 1) : before;
        }
        items.append(item);
        if (k == by || !s.t[k].is(K::Comma)) break;
        start = k + 1;
    }
    return items;
}

bool readsOneObject(const ParsedStatement& s) {
    const QStringList objects = referencedObjects(s);
    for (const QString& o : objects)
        if (o.compare(objects.front(), Qt::CaseInsensitive) != 0) return false;
    // A list of tables after FROM names more than referencedObjects sees.
    for (qsizetype i = 0; i < s.t.size(); ++i) {
        if (!s.t[i].isWord(u"FROM")) continue;
        int depth = 0;
        for (qsizetype k = i + 1; k < s.t.size(); ++k) {
            if (s.t[k].is(K::Open)) ++depth;
            if (s.t[k].is(K::Close) && depth-- == 0) break;
            if (depth > 0) continue;
            if (s.t[k].is(K::Comma)) return false;
            if (s.t[k].is(K::Semicolon) ||
                isAnyWord(s.t[k], {u"WHERE", u"GROUP", u"HAVING", u"ORDER", u"UNION", u"EXCEPT",
                                   u"INTERSECT"}))
                break;
        }
    }
    return !objects.isEmpty();
}

}  // namespace

qsizetype wrapDate(ParsedStatement& s, qsizetype from, qsizetype to) {
    static const Tokens call = tokenize(QStringLiteral("tsql_datetime("));
    return wrap(s, from, to, call);
}

void dateArithmetic(ParsedStatement& s) {
    for (qsizetype i = 0; i < s.t.size(); ++i) {
        if (!s.t[i].is(K::Operator) || (s.t[i].text != u"+" && s.t[i].text != u"-")) continue;
        const bool plus = s.t[i].text == u"+";
        const bool dateLeft = leftOperand(s, i) == Operand::Date;
        const bool dateRight = plus && !dateLeft && leftOperand(s, i) == Operand::Number &&
                               rightOperand(s, i) == Operand::Date;
        if (!dateLeft && !dateRight) continue;
        const qsizetype leftEnd = previousSignificant(s.t, i - 1);
        const qsizetype start = leftSideStart(s, leftEnd);
        const qsizetype right = nextSignificant(s.t, i + 1);
        const qsizetype end = termEnd(s, right);
        if (start < 0 || end < 0) continue;
        // The number, or a date on the right: a date less a date, or plus one, counts days.
        const QString date =
            dateLeft ? storedDateText(s, start, leftEnd) : storedDateText(s, right, end);
        const QString other = !dateLeft                             ? join(s.t, start, leftEnd + 1)
                              : rightOperand(s, i) == Operand::Date ? storedDateText(s, right, end)
                                                                    : join(s.t, right, end + 1);
        const QString call =
            (plus ? QStringLiteral("tsql_dateadd(") : QStringLiteral("tsql_datesub(")) + date +
            QStringLiteral(", ") + other + QStringLiteral(")");
        s.t.remove(start, end - start + 1);
        i = start + insertText(s.t, start, call) - 1;
    }
}

void readStoredDates(ParsedStatement& s, qsizetype open, qsizetype first, qsizetype count) {
    static const Tokens call = tokenize(QStringLiteral("tsql_datevalue("));
    const QList<qsizetype> ends = valueEnds(s, open);
    if (ends.isEmpty() || !s.t[ends.last()].is(K::Close)) return;
    // Back to front, so that the places of the arguments before stay where they are.
    for (qsizetype a = std::min(first + count, ends.size()) - 1; a >= first; --a) {
        const qsizetype from = nextSignificant(s.t, (a == 0 ? open : ends[a - 1]) + 1);
        const qsizetype to = previousSignificant(s.t, ends[a] - 1);
        if (from > to || leftOperand(s, ends[a]) != Operand::Date || givesStoredDate(s, from, to))
            continue;
        wrap(s, from, to, call);
    }
}

void extremesOfReadings(ParsedStatement& s) {
    for (qsizetype i = 0; i < s.t.size(); ++i) {
        if (!isAnyWord(s.t[i], {u"MAX", u"MIN"})) continue;
        const qsizetype open = nextSignificant(s.t, i + 1);
        if (open >= s.t.size() || !s.t[open].is(K::Open)) continue;
        const QList<qsizetype> ends = valueEnds(s, open);
        if (ends.size() != 1 || !s.t[ends[0]].is(K::Close) ||
            leftOperand(s, ends[0]) != Operand::Date)
            continue;
        const qsizetype after = nextSignificant(s.t, ends[0] + 1);
        if (after < s.t.size() && s.t[after].isWord(u"OVER")) continue;
        s.t[i].text = s.t[i].isWord(u"MAX") ? QStringLiteral("tsql_maxdate")
                                            : QStringLiteral("tsql_mindate");
    }
}

void compareDates(ParsedStatement& s) {
    for (qsizetype k = 0; k < s.t.size(); ++k) {
        if (!s.t[k].isWord(u"BETWEEN") && !s.t[k].isWord(u"IN")) continue;
        if (const qsizetype end = compareRangeOfDates(s, k); end >= 0) k = end;
    }
    SetListTracker setList(s);
    for (qsizetype i = 0; i < s.t.size(); ++i) {
        const Token& t = s.t[i];
        const bool assigning = setList.inSetList(t);
        if (!isComparison(t)) continue;
        // SET column = value assigns, it does not compare.
        if (assigning && t.text == u"=") continue;
        if (const qsizetype end = compareTwoDates(s, i); end >= 0) i = end;
    }
}

qsizetype compareDateColumn(ParsedStatement& s, qsizetype value, qsizetype op) {
    const bool valueFirst = op > value;
    qsizetype first = -1, last = -1;
    if (valueFirst) {
        first = nextSignificant(s.t, op + 1);
        if (first >= s.t.size() || !isName(s.t[first]) || s.t[first].isWord(u"CASE")) return -1;
        last = nameEnd(s.t, first);
        const qsizetype after = nextSignificant(s.t, last + 1);
        if (after < s.t.size() &&
            (s.t[after].is(K::Open) || s.t[after].is(K::Dot) || s.t[after].is(K::Operator)))
            return -1;
    } else {
        last = previousSignificant(s.t, op - 1);
        if (last < 0 || !isName(s.t[last]) || s.t[last].isWord(u"END")) return -1;
        first = primaryStart(s, last);
        const qsizetype before = previousSignificant(s.t, first - 1);
        if (before >= 0 && (s.t[before].is(K::Operator) || s.t[before].is(K::Dot))) return -1;
    }
    // x < c reads c > x
    const QString o = valueFirst ? mirrored(s.t[op].text) : s.t[op].text;
    return keyedComparison(s, first, last, s.t[value].text, o, std::min(first, value),
                           std::max(last, value));
}

std::optional<std::pair<QString, Column>> columnAt(ParsedStatement& s, qsizetype first,
                                                   qsizetype last) {
    const QString name = bareName(s.t[last]);
    const qsizetype dot = previousSignificant(s.t, last - 1);
    const qsizetype qualifier = dot > first ? previousSignificant(s.t, dot - 1) : -1;
    if (qualifier >= first) {
        const QString object = objectNamed(s, bareName(s.t[qualifier]));
        for (const Column& c : columnsOf(s, object))
            if (c.name.compare(name, Qt::CaseInsensitive) == 0) return std::pair{object, c};
    }
    return findColumn(s, name);
}

QString objectNamed(ParsedStatement& s, const QString& name) {
    for (qsizetype i = 0; i < s.t.size(); ++i) {
        if (!isAnyWord(s.t[i], {u"FROM", u"JOIN", u"UPDATE", u"INTO"}) && !s.t[i].is(K::Comma))
            continue;
        const qsizetype n = nextSignificant(s.t, i + 1);
        if (n >= s.t.size() || !isName(s.t[n])) continue;
        const qsizetype end = nameEnd(s.t, n);
        const QString object = bareName(s.t[end]);
        qsizetype alias = nextSignificant(s.t, end + 1);
        if (alias < s.t.size() && s.t[alias].isWord(u"AS"))
            alias = nextSignificant(s.t, alias + 1);
        const bool named = object.compare(name, Qt::CaseInsensitive) == 0 ||
                           (alias < s.t.size() && isName(s.t[alias]) && !isReserved(s.t[alias]) &&
                            bareName(s.t[alias]).compare(name, Qt::CaseInsensitive) == 0);
        if (named && !columnsOf(s, object).isEmpty()) return object;
    }
    return {};
}

void markLiteralDates(ParsedStatement& s, qsizetype open, qsizetype firstDate, qsizetype count) {
    const QList<qsizetype> ends = valueEnds(s, open);
    if (ends.size() != count || !s.t[ends.last()].is(K::Close)) return;
    int marks = 0;
    qsizetype from = open + 1;
    for (qsizetype a = 0; a < count; from = ends[a++] + 1) {
        const qsizetype v = nextSignificant(s.t, from);
        if (a >= firstDate && v < ends[a] && s.t[v].is(K::String) &&
            nextSignificant(s.t, v + 1) == ends[a])
            marks |= 1 << (a - firstDate);
    }
    if (marks != 0) insertText(s.t, ends.last(), QStringLiteral(", %1").arg(marks));
}

void orderByReadings(ParsedStatement& s) {
    for (qsizetype i = 0; i < s.t.size(); ++i) {
        if (!s.t[i].isWord(u"ORDER")) continue;
        const qsizetype by = nextSignificant(s.t, i + 1);
        if (by >= s.t.size() || !s.t[by].isWord(u"BY") || ordersCompound(s, i)) continue;
        // The clause runs to the end of its scope, or to the words that may follow it there.
        qsizetype to = by + 1;
        for (int depth = 0; to < s.t.size(); ++to) {
            const Token& t = s.t[to];
            if (t.is(K::Open)) ++depth;
            if (t.is(K::Close) && depth-- == 0) break;
            if (depth == 0 &&
                (t.is(K::Semicolon) ||
                 isAnyWord(t, {u"LIMIT", u"OFFSET", u"FETCH", u"FOR", u"OPTION", u"ROWS", u"RANGE",
                               u"GROUPS", u"UNION", u"EXCEPT", u"INTERSECT"})))
                break;
        }
        orderTermsByReadings(s, by, to);
    }
}

}  // namespace tsql
