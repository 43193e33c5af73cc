#include "platform/ado/tsql/rewriter.h"

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

}  // namespace

qsizetype Rewriter::wrapDate(qsizetype from, qsizetype to) {
    static const Tokens call = tokenize(QStringLiteral("tsql_datetime("));
    return wrap(from, to, call);
}

void Rewriter::dateArithmetic() {
    for (qsizetype i = 0; i < t_.size(); ++i) {
        if (!t_[i].is(K::Operator) || (t_[i].text != u"+" && t_[i].text != u"-")) continue;
        const bool plus = t_[i].text == u"+";
        const bool dateLeft = leftOperand(i) == Operand::Date;
        const bool dateRight = plus && !dateLeft && leftOperand(i) == Operand::Number &&
                               rightOperand(i) == Operand::Date;
        if (!dateLeft && !dateRight) continue;
        const qsizetype leftEnd = previousSignificant(t_, i - 1);
        const qsizetype start = leftSideStart(leftEnd);
        const qsizetype right = nextSignificant(t_, i + 1);
        const qsizetype end = termEnd(right);
        if (start < 0 || end < 0) continue;
        // The number, or a date on the right: a date less a date, or plus one, counts days.
        const QString date =
            dateLeft ? storedDateText(start, leftEnd) : storedDateText(right, end);
        const QString other = !dateLeft                          ? join(t_, start, leftEnd + 1)
                              : rightOperand(i) == Operand::Date ? storedDateText(right, end)
                                                                 : join(t_, right, end + 1);
        const QString call =
            (plus ? QStringLiteral("tsql_dateadd(") : QStringLiteral("tsql_datesub(")) + date +
            QStringLiteral(", ") + other + QStringLiteral(")");
        t_.remove(start, end - start + 1);
        i = start + insertText(t_, start, call) - 1;
    }
}

bool Rewriter::givesStoredDate(qsizetype from, qsizetype to) const {
    if (from > to || !t_[from].is(K::Word)) return false;
    const qsizetype open = nextSignificant(t_, from + 1);
    if (open >= t_.size() || !t_[open].is(K::Open) || matchingClose(t_, open) != to) return false;
    return operandOfFunction(t_[from]) == Operand::Date || !convertedType(t_, from, open).isNull();
}

QString Rewriter::storedDateText(qsizetype from, qsizetype to) const {
    const QString text = join(t_, from, to + 1);
    return givesStoredDate(from, to) ? text : QStringLiteral("tsql_datevalue(") + text + u')';
}

void Rewriter::readStoredDates(qsizetype open, qsizetype first, qsizetype count) {
    static const Tokens call = tokenize(QStringLiteral("tsql_datevalue("));
    const QList<qsizetype> ends = valueEnds(open);
    if (ends.isEmpty() || !t_[ends.last()].is(K::Close)) return;
    // Back to front, so that the places of the arguments before stay where they are.
    for (qsizetype a = std::min(first + count, ends.size()) - 1; a >= first; --a) {
        const qsizetype from = nextSignificant(t_, (a == 0 ? open : ends[a - 1]) + 1);
        const qsizetype to = previousSignificant(t_, ends[a] - 1);
        if (from > to || leftOperand(ends[a]) != Operand::Date || givesStoredDate(from, to))
            continue;
        wrap(from, to, call);
    }
}

void Rewriter::extremesOfReadings() {
    for (qsizetype i = 0; i < t_.size(); ++i) {
        if (!isAnyWord(t_[i], {u"MAX", u"MIN"})) continue;
        const qsizetype open = nextSignificant(t_, i + 1);
        if (open >= t_.size() || !t_[open].is(K::Open)) continue;
        const QList<qsizetype> ends = valueEnds(open);
        if (ends.size() != 1 || !t_[ends[0]].is(K::Close) || leftOperand(ends[0]) != Operand::Date)
            continue;
        const qsizetype after = nextSignificant(t_, ends[0] + 1);
        if (after < t_.size() && t_[after].isWord(u"OVER")) continue;
        t_[i].text =
            t_[i].isWord(u"MAX") ? QStringLiteral("tsql_maxdate") : QStringLiteral("tsql_mindate");
    }
}

bool Rewriter::endsOperand(qsizetype i) const {
    if (i < 0) return false;
    const Token& t = t_[i];
    if (t.is(K::Word))
        return !isReserved(t) || isAnyWord(t, {u"END", u"NULL", u"CURRENT_TIMESTAMP"});
    return t.is(K::Number) || t.is(K::String) || t.is(K::Variable) || t.is(K::Quoted) ||
           t.is(K::Close) || isParameter(t);
}

qsizetype Rewriter::leftSideStart(qsizetype i) const {
    for (qsizetype end = i;;) {
        if (end < 0) return -1;
        const Token& t = t_[end];
        qsizetype start = t.is(K::Number) || t.is(K::String) || t.is(K::Variable) || isParameter(t)
                              ? end
                              : primaryStart(end);
        if (start < 0) return -1;
        qsizetype before = previousSignificant(t_, start - 1);
        while (before >= 0 && isSign(t_[before]) &&
               !endsOperand(previousSignificant(t_, before - 1))) {
            start = before;
            before = previousSignificant(t_, before - 1);
        }
        if (before < 0 || (!isSign(t_[before]) && !isProduct(t_[before]))) return start;
        end = previousSignificant(t_, before - 1);
    }
}

qsizetype Rewriter::termEnd(qsizetype i) const {
    for (;;) {
        while (i < t_.size() && isSign(t_[i])) i = nextSignificant(t_, i + 1);
        const qsizetype end = primaryEnd(i);
        if (end < 0) return -1;
        const qsizetype after = nextSignificant(t_, end + 1);
        if (after >= t_.size() || !isProduct(t_[after])) return end;
        i = nextSignificant(t_, after + 1);
    }
}

void Rewriter::storeDateBounds() {
    for (qsizetype k = 0; k < t_.size(); ++k) {
        if (!t_[k].isWord(u"BETWEEN") && !t_[k].isWord(u"IN")) continue;
        qsizetype left = previousSignificant(t_, k - 1);
        if (left >= 0 && t_[left].isWord(u"NOT")) left = previousSignificant(t_, left - 1);
        if (left < 0 || leftOperand(left + 1) != Operand::Date) continue;
        if (const qsizetype compared = comparisonsOfColumn(left, k); compared >= 0) {
            k = compared;
            continue;
        }
        if (t_[k].isWord(u"BETWEEN")) {
            qsizetype low = nextSignificant(t_, k + 1);
            qsizetype end = primaryEnd(low);
            if (end < 0) continue;
            end = low + wrapDate(low, end) - 1;
            const qsizetype conj = nextSignificant(t_, end + 1);
            if (conj >= t_.size() || !t_[conj].isWord(u"AND")) continue;
            const qsizetype high = nextSignificant(t_, conj + 1);
            const qsizetype highEnd = primaryEnd(high);
            if (highEnd >= 0) wrapDate(high, highEnd);
        } else {
            const qsizetype open = nextSignificant(t_, k + 1);
            if (open >= t_.size() || !t_[open].is(K::Open)) continue;
            const qsizetype first = nextSignificant(t_, open + 1);
            if (first < t_.size() && t_[first].isWord(u"SELECT")) continue;
            for (qsizetype v = first; v < t_.size() && !t_[v].is(K::Close);) {
                const qsizetype end = primaryEnd(v);
                if (end < 0) break;
                const qsizetype next = nextSignificant(t_, v + wrapDate(v, end));
                if (next >= t_.size() || !t_[next].is(K::Comma)) break;
                v = nextSignificant(t_, next + 1);
            }
        }
    }
}

qsizetype Rewriter::comparisonsOfColumn(qsizetype column, qsizetype word) {
    if (!isName(t_[column])) return -1;
    const qsizetype before = previousSignificant(t_, word - 1);
    const bool negated = before != column;  // the NOT between them
    const qsizetype first = primaryStart(column);
    const qsizetype outside = previousSignificant(t_, first - 1);
    if (outside >= 0 && (t_[outside].is(K::Operator) || t_[outside].is(K::Dot))) return -1;
    const auto single = [&](qsizetype at) {
        return at < t_.size() &&
               (t_[at].is(K::String) || t_[at].is(K::Number) || isParameter(t_[at]));
    };
    const QString c = join(t_, first, column + 1);
    QStringList terms;
    qsizetype last = -1;
    if (t_[word].isWord(u"BETWEEN")) {
        const qsizetype low = nextSignificant(t_, word + 1);
        const qsizetype conj = nextSignificant(t_, low + 1);
        const qsizetype high = nextSignificant(t_, conj + 1);
        if (!single(low) || conj >= t_.size() || !t_[conj].isWord(u"AND") || !single(high))
            return -1;
        const qsizetype after = nextSignificant(t_, high + 1);
        if (after < t_.size() && (t_[after].is(K::Operator) || t_[after].is(K::Dot))) return -1;
        terms << QStringLiteral("%1 >= %2 AND %1 <= %3").arg(c, t_[low].text, t_[high].text);
        last = high;
    } else {
        const qsizetype open = nextSignificant(t_, word + 1);
        if (open >= t_.size() || !t_[open].is(K::Open)) return -1;
        qsizetype v = nextSignificant(t_, open + 1);
        while (true) {
            if (!single(v)) return -1;
            terms << QStringLiteral("%1 = %2").arg(c, t_[v].text);
            const qsizetype next = nextSignificant(t_, v + 1);
            if (next >= t_.size()) return -1;
            if (t_[next].is(K::Close)) {
                last = next;
                break;
            }
            if (!t_[next].is(K::Comma)) return -1;
            v = nextSignificant(t_, next + 1);
        }
    }
    const QString text = (negated ? QStringLiteral("NOT (") : QStringLiteral("(")) +
                         terms.join(QStringLiteral(" OR ")) + u')';
    t_.remove(first, last - first + 1);
    return first + insertText(t_, first, text) - 1;
}

qsizetype Rewriter::compareDateColumn(qsizetype value, qsizetype op) {
    const bool valueFirst = op > value;
    qsizetype first = -1, last = -1;
    if (valueFirst) {
        first = nextSignificant(t_, op + 1);
        if (first >= t_.size() || !isName(t_[first]) || t_[first].isWord(u"CASE")) return -1;
        last = nameEnd(t_, first);
        const qsizetype after = nextSignificant(t_, last + 1);
        if (after < t_.size() &&
            (t_[after].is(K::Open) || t_[after].is(K::Dot) || t_[after].is(K::Operator)))
            return -1;
    } else {
        last = previousSignificant(t_, op - 1);
        if (last < 0 || !isName(t_[last]) || t_[last].isWord(u"END")) return -1;
        first = primaryStart(last);
        const qsizetype before = previousSignificant(t_, first - 1);
        if (before >= 0 && (t_[before].is(K::Operator) || t_[before].is(K::Dot))) return -1;
    }
    const QString column = join(t_, first, last + 1);
    const QString x = t_[value].text;
    QString o = t_[op].text;
    if (valueFirst) {  // x < c reads c > x
        if (o == u"<")
            o = QStringLiteral(">");
        else if (o == u">")
            o = QStringLiteral("<");
        else if (o == u"<=")
            o = QStringLiteral(">=");
        else if (o == u">=")
            o = QStringLiteral("<=");
    }
    const auto key = [&](const char* which) {
        return QStringLiteral("%1(%2)").arg(QLatin1String(which), x);
    };
    const QString cmp = QStringLiteral("tsql_datecmp(%1, %2)").arg(column, x);
    // Dashes where an ISO date has them and a digit closing its day: a cheap test, as it
    // runs on every row of the range, that no other shape a datetime takes passes.
    // (The pattern is split where "??-" would read as a trigraph.)
    // A date written without separators is stored as the number SQLite makes of it, which
    // sorts before every text: where the column holds any, the range from the value's low
    // key starts at the least of them instead (one look in the index), so that ">=", ">"
    // and "=" reach them too.
    QString low = key("tsql_lowkey");
    if (const auto found = findColumn(bareName(t_[last]))) {
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
    QString sql;
    if (o == u">=" || o == u">") {
        sql = QStringLiteral("(%1 >= %2 AND ((%1 >= %3 AND %4) OR %5 %6 0))")
                  .arg(column, low, key(o == u">=" ? "tsql_ceildaykey" : "tsql_nextdaykey"), iso,
                       cmp, o);
    } else if (o == u"<" || o == u"<=") {
        sql = QStringLiteral("(%1 < %2 AND ((%1 < %3 AND %4) OR %5 %6 0))")
                  .arg(column, key(o == u"<" ? "tsql_ceildaykey" : "tsql_nextdaykey"),
                       key("tsql_lowkey"), iso, cmp, o);
    } else if (o == u"=") {
        sql = QStringLiteral("(%1 >= %2 AND %1 < %3 AND %4 = 0)")
                  .arg(column, low, key("tsql_nextdaykey"), cmp);
    } else if (o == u"<>" || o == u"!=") {
        sql = QStringLiteral("(%1 <> 0)").arg(cmp);
    } else {
        return -1;
    }
    const qsizetype from = std::min(first, value);
    const qsizetype to = std::max(last, value);
    t_.remove(from, to - from + 1);
    return from + insertText(t_, from, sql) - 1;
}

void Rewriter::markLiteralDates(qsizetype open, qsizetype firstDate, qsizetype count) {
    const QList<qsizetype> ends = valueEnds(open);
    if (ends.size() != count || !t_[ends.last()].is(K::Close)) return;
    int marks = 0;
    qsizetype from = open + 1;
    for (qsizetype a = 0; a < count; from = ends[a++] + 1) {
        const qsizetype v = nextSignificant(t_, from);
        if (a >= firstDate && v < ends[a] && t_[v].is(K::String) &&
            nextSignificant(t_, v + 1) == ends[a])
            marks |= 1 << (a - firstDate);
    }
    if (marks != 0) insertText(t_, ends.last(), QStringLiteral(", %1").arg(marks));
}

void Rewriter::orderByReadings() {
    for (qsizetype i = 0; i < t_.size(); ++i) {
        if (!t_[i].isWord(u"ORDER")) continue;
        const qsizetype by = nextSignificant(t_, i + 1);
        if (by >= t_.size() || !t_[by].isWord(u"BY") || ordersCompound(i)) continue;
        // The clause runs to the end of its scope, or to the words that may follow it there.
        qsizetype to = by + 1;
        for (int depth = 0; to < t_.size(); ++to) {
            const Token& t = t_[to];
            if (t.is(K::Open)) ++depth;
            if (t.is(K::Close) && depth-- == 0) break;
            if (depth == 0 &&
                (t.is(K::Semicolon) ||
                 isAnyWord(t, {u"LIMIT", u"OFFSET", u"FETCH", u"FOR", u"OPTION", u"ROWS", u"RANGE",
                               u"GROUPS", u"UNION", u"EXCEPT", u"INTERSECT"})))
                break;
        }
        orderTermsByReadings(by, to);
    }
}

bool Rewriter::ordersCompound(qsizetype order) const {
    int depth = 0;
    for (qsizetype k = order - 1; k >= 0; --k) {
        const Token& t = t_[k];
        if (t.is(K::Close)) ++depth;
        if (t.is(K::Open) && depth-- == 0) return false;
        if (depth == 0 && t.is(K::Semicolon)) return false;
        if (depth == 0 && isAnyWord(t, {u"UNION", u"EXCEPT", u"INTERSECT"})) return true;
    }
    return false;
}

void Rewriter::orderTermsByReadings(qsizetype by, qsizetype to) {
    QList<std::pair<qsizetype, qsizetype>> terms;
    qsizetype start = by + 1;
    int depth = 0;
    for (qsizetype k = by + 1; k <= to; ++k) {
        if (k < to && t_[k].is(K::Open)) ++depth;
        if (k < to && t_[k].is(K::Close)) --depth;
        if (k == to || (depth == 0 && t_[k].is(K::Comma))) {
            terms.append({nextSignificant(t_, start), previousSignificant(t_, k - 1)});
            start = k + 1;
        }
    }
    // Back to front, so that the places of the terms before stay where they are.
    for (auto it = terms.crbegin(); it != terms.crend(); ++it) {
        const auto [from, to] = *it;
        if (from > to) continue;
        const bool directed = isAnyWord(t_[to], {u"ASC", u"DESC"});
        const qsizetype last = directed ? previousSignificant(t_, to - 1) : to;
        if (last < from) continue;
        const auto date = dateOfTerm(by, from, last);
        if (!date) continue;
        // The term itself after its reading keeps rows of one reading in the engine's order.
        const QString direction = directed ? u' ' + t_[to].text : QString();
        insertText(t_, from,
                   QStringLiteral("tsql_sortkey(") + join(t_, date->first, date->second + 1) +
                       QStringLiteral(") COLLATE SSCI") + direction + QStringLiteral(", "));
    }
}

std::optional<std::pair<qsizetype, qsizetype>> Rewriter::dateOfTerm(qsizetype by, qsizetype from,
                                                                    qsizetype last) {
    qsizetype first = from;
    // A place in the select list, or an alias it gives, stands for that item.
    if (from == last &&
        (t_[from].is(K::Number) || t_[from].is(K::Word) || t_[from].is(K::Quoted))) {
        const QList<SelectItem> items = selectItemsBefore(by);
        const SelectItem* named = nullptr;
        if (t_[from].is(K::Number)) {
            bool whole = false;
            const int place = t_[from].text.toInt(&whole);
            if (!whole || place < 1 || place > items.size()) return std::nullopt;
            named = &items[place - 1];
        } else {
            for (const SelectItem& item : items) {
                if (item.alias.compare(bareName(t_[from]), Qt::CaseInsensitive) == 0) {
                    named = &item;
                    break;
                }
            }
        }
        if (named) {
            first = named->first;
            last = named->last;
        } else if (t_[from].is(K::Number)) {
            return std::nullopt;
        }
    }
    // One operand alone: a column, a call, a CASE or a parenthesised group; not a query, whose
    // text the order would hold twice (and its own ORDER BY's terms twice again).
    if (primaryStart(last) != first || leftOperand(last + 1) != Operand::Date) return std::nullopt;
    for (qsizetype k = first; k <= last; ++k)
        if (t_[k].isWord(u"SELECT")) return std::nullopt;
    // A column of the one table read, whose own order already is its readings', is left to it.
    if (isName(t_[last]) && primaryEnd(first) == last && order_ && readsOneObject()) {
        const auto found = findColumn(bareName(t_[last]));
        if (found && order_(found->first, found->second.name)) return std::nullopt;
    }
    return std::pair{first, last};
}

QList<Rewriter::SelectItem> Rewriter::selectItemsBefore(qsizetype by) const {
    qsizetype select = -1;
    int depth = 0;
    for (qsizetype k = by - 1; k >= 0 && select < 0; --k) {
        if (t_[k].is(K::Close)) ++depth;
        if (t_[k].is(K::Open) && depth-- == 0) return {};
        if (depth == 0 && t_[k].isWord(u"SELECT")) select = k;
    }
    if (select < 0) return {};
    qsizetype k = nextSignificant(t_, select + 1);
    if (k < t_.size() && isAnyWord(t_[k], {u"ALL", u"DISTINCT"})) k = nextSignificant(t_, k + 1);
    if (k < t_.size() && t_[k].isWord(u"TOP")) {
        k = nextSignificant(t_, k + 1);
        if (k < t_.size() && t_[k].is(K::Open)) k = matchingClose(t_, k);
        k = nextSignificant(t_, k + 1);
        if (k < t_.size() && t_[k].isWord(u"PERCENT")) k = nextSignificant(t_, k + 1);
        if (k < t_.size() && t_[k].isWord(u"WITH"))  // TIES
            k = nextSignificant(t_, nextSignificant(t_, k + 1) + 1);
    }
    QList<SelectItem> items;
    qsizetype start = k;
    depth = 0;
    for (; k <= by; ++k) {
        const bool ends =
            k == by ||
            (depth == 0 && (t_[k].is(K::Comma) || isAnyWord(t_[k], {u"FROM", u"INTO"})));
        if (k < by && t_[k].is(K::Open)) ++depth;
        if (k < by && t_[k].is(K::Close)) --depth;
        if (!ends) continue;
        SelectItem item{nextSignificant(t_, start), previousSignificant(t_, k - 1), {}};
        if (item.first > item.last || t_[item.last].text == u"*") return {};
        const qsizetype before = previousSignificant(t_, item.last - 1);
        if (before >= item.first && isName(t_[item.last]) && !isReserved(t_[item.last]) &&
            (t_[before].isWord(u"AS") || primaryEnd(item.first) == before)) {
            item.alias = bareName(t_[item.last]);
            item.last = t_[before].isWord(u"AS") ? previousSignificant(t_, before - 1) : before;
        }
        items.append(item);
        if (k == by || !t_[k].is(K::Comma)) break;
        start = k + 1;
    }
    return items;
}

bool Rewriter::readsOneObject() const {
    const QStringList objects = referencedObjects();
    for (const QString& o : objects)
        if (o.compare(objects.front(), Qt::CaseInsensitive) != 0) return false;
    // A list of tables after FROM names more than referencedObjects sees.
    for (qsizetype i = 0; i < t_.size(); ++i) {
        if (!t_[i].isWord(u"FROM")) continue;
        int depth = 0;
        for (qsizetype k = i + 1; k < t_.size(); ++k) {
            if (t_[k].is(K::Open)) ++depth;
            if (t_[k].is(K::Close) && depth-- == 0) break;
            if (depth > 0) continue;
            if (t_[k].is(K::Comma)) return false;
            if (t_[k].is(K::Semicolon) ||
                isAnyWord(t_[k], {u"WHERE", u"GROUP", u"HAVING", u"ORDER", u"UNION", u"EXCEPT",
                                  u"INTERSECT"}))
                break;
        }
    }
    return !objects.isEmpty();
}

}  // namespace tsql
