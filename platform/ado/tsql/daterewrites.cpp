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

qsizetype Rewriter::sideStart(qsizetype last) const {
    if (last < 0) return -1;
    const Token& t = t_[last];
    const qsizetype first =
        t.is(K::String) || t.is(K::Number) || isParameter(t) ? last : primaryStart(last);
    if (first < 0) return -1;
    const qsizetype before = previousSignificant(t_, first - 1);
    if (before >= 0 && (t_[before].is(K::Operator) || t_[before].is(K::Dot))) return -1;
    return first;
}

qsizetype Rewriter::sideEnd(qsizetype first) const {
    const qsizetype last = primaryEnd(first);
    if (last < 0) return -1;
    const qsizetype after = nextSignificant(t_, last + 1);
    if (after < t_.size() &&
        (t_[after].is(K::Operator) || t_[after].is(K::Dot) || t_[after].isWord(u"COLLATE")))
        return -1;
    return last;
}

bool Rewriter::isBareColumn(qsizetype first, qsizetype last) const {
    return isName(t_[first]) && !isReserved(t_[first]) && !isReserved(t_[last]) &&
           nameEnd(t_, first) == last && primaryEnd(first) == last;
}

QString Rewriter::readingCall(qsizetype from, qsizetype to, Against against) {
    static const QString datetime = QStringLiteral("tsql_datetime(");
    static const QString reading = QStringLiteral("tsql_reading(");
    if (from == to && (t_[from].is(K::String) || isParameter(t_[from])))
        return against == Against::Column ? QString() : datetime;
    const Operand type =
        from == to && t_[from].is(K::Number) ? Operand::Number : leftOperand(to + 1);
    if (type == Operand::Date) return givesStoredDate(from, to) ? QString() : reading;
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

qsizetype Rewriter::wrapIn(qsizetype from, qsizetype to, const QString& call) {
    if (call.isEmpty()) return to - from + 1;
    return wrap(from, to, tokenize(call));
}

void Rewriter::compareDates() {
    for (qsizetype k = 0; k < t_.size(); ++k) {
        if (!t_[k].isWord(u"BETWEEN") && !t_[k].isWord(u"IN")) continue;
        if (const qsizetype end = compareRangeOfDates(k); end >= 0) k = end;
    }
    const bool update = startsWith(u"UPDATE");
    bool inSet = false;
    int depth = 0;
    for (qsizetype i = 0; i < t_.size(); ++i) {
        const Token& t = t_[i];
        if (t.is(K::Open)) ++depth;
        if (t.is(K::Close)) --depth;
        if (update && depth == 0 && t.isWord(u"SET")) inSet = true;
        if (update && depth == 0 && (t.isWord(u"WHERE") || t.isWord(u"FROM"))) inSet = false;
        if (!isComparison(t)) continue;
        // SET column = value assigns, it does not compare.
        if (inSet && depth == 0 && t.text == u"=") continue;
        if (const qsizetype end = compareTwoDates(i); end >= 0) i = end;
    }
}

qsizetype Rewriter::compareTwoDates(qsizetype op) {
    const qsizetype leftEnd = previousSignificant(t_, op - 1);
    const qsizetype left = sideStart(leftEnd);
    const qsizetype right = nextSignificant(t_, op + 1);
    const qsizetype rightEnd = right < t_.size() ? sideEnd(right) : -1;
    if (left < 0 || rightEnd < 0 || t_[left].isWord(u"NULL") || t_[right].isWord(u"NULL"))
        return -1;
    const Operand l = leftOperand(op), r = rightOperand(op);
    if (l != Operand::Date && r != Operand::Date) return -1;
    const auto value = [&](qsizetype from, qsizetype to) {
        const QString call = readingCall(from, to, Against::Column);
        const QString text = join(t_, from, to + 1);
        return call.isEmpty() ? text : call + text + u')';
    };
    if (l == Operand::Date && isBareColumn(left, leftEnd))
        return keyedComparison(left, leftEnd, value(right, rightEnd), t_[op].text, left, rightEnd);
    if (r == Operand::Date && isBareColumn(right, rightEnd))
        return keyedComparison(right, rightEnd, value(left, leftEnd), mirrored(t_[op].text), left,
                               rightEnd);
    // Two expressions: each side in the stored form of its reading, which sorts as time does.
    const qsizetype rightSize =
        wrapIn(right, rightEnd, readingCall(right, rightEnd, Against::Date));
    const qsizetype leftSize = wrapIn(left, leftEnd, readingCall(left, leftEnd, Against::Date));
    return right + rightSize - 1 + (leftSize - (leftEnd - left + 1));
}

qsizetype Rewriter::compareRangeOfDates(qsizetype word) {
    qsizetype leftEnd = previousSignificant(t_, word - 1);
    const bool negated = leftEnd >= 0 && t_[leftEnd].isWord(u"NOT");
    if (negated) leftEnd = previousSignificant(t_, leftEnd - 1);
    const qsizetype left = sideStart(leftEnd);
    if (left < 0 || leftOperand(leftEnd + 1) != Operand::Date) return -1;
    const bool column = isBareColumn(left, leftEnd);
    QList<std::pair<qsizetype, qsizetype>> values;
    qsizetype last = -1;
    if (t_[word].isWord(u"BETWEEN")) {
        const qsizetype low = nextSignificant(t_, word + 1);
        const qsizetype lowEnd = termEnd(low);
        if (lowEnd < 0) return -1;
        const qsizetype conj = nextSignificant(t_, lowEnd + 1);
        if (conj >= t_.size() || !t_[conj].isWord(u"AND")) return -1;
        const qsizetype high = nextSignificant(t_, conj + 1);
        const qsizetype highEnd = termEnd(high);
        if (highEnd < 0) return -1;
        const qsizetype after = nextSignificant(t_, highEnd + 1);
        if (after < t_.size() && (t_[after].is(K::Operator) || t_[after].is(K::Dot))) return -1;
        values = {{low, lowEnd}, {high, highEnd}};
        last = highEnd;
    } else {
        const qsizetype open = nextSignificant(t_, word + 1);
        if (open >= t_.size() || !t_[open].is(K::Open)) return -1;
        last = matchingClose(t_, open);
        if (last >= t_.size()) return -1;
        const qsizetype item = nextSignificant(t_, open + 1);
        if (item < last && t_[item].isWord(u"SELECT"))
            return compareWithQuery(left, leftEnd, column, open);
        qsizetype from = open + 1;
        for (const qsizetype end : valueEnds(open)) {
            const qsizetype a = nextSignificant(t_, from), b = previousSignificant(t_, end - 1);
            if (a > b) return -1;
            values.append({a, b});
            from = end + 1;
        }
    }
    if (column) {
        // "c BETWEEN a AND b" and "c IN (a, b, ...)" become "(c >= a AND c <= b)" and
        // "(c = a OR c = b ...)", each comparison then made on the column's keys.
        const QString c = join(t_, left, leftEnd + 1);
        const auto text = [&](const std::pair<qsizetype, qsizetype>& v) {
            return join(t_, v.first, v.second + 1);
        };
        QStringList terms;
        if (t_[word].isWord(u"BETWEEN")) {
            terms << QStringLiteral("%1 >= %2 AND %1 <= %3")
                         .arg(c, text(values[0]), text(values[1]));
        } else {
            for (const auto& v : values) terms << QStringLiteral("%1 = %2").arg(c, text(v));
        }
        const QString sql = (negated ? QStringLiteral("NOT (") : QStringLiteral("(")) +
                            terms.join(QStringLiteral(" OR ")) + u')';
        t_.remove(left, last - left + 1);
        return left + insertText(t_, left, sql) - 1;
    }
    // Back to front, so that the places of the values before stay where they are.
    qsizetype grown = 0;
    for (auto it = values.crbegin(); it != values.crend(); ++it) {
        const auto [from, to] = *it;
        grown += wrapIn(from, to, readingCall(from, to, Against::Bounds)) - (to - from + 1);
    }
    grown +=
        wrapIn(left, leftEnd, readingCall(left, leftEnd, Against::Date)) - (leftEnd - left + 1);
    return last + grown;
}

qsizetype Rewriter::compareWithQuery(qsizetype left, qsizetype leftEnd, bool column,
                                     qsizetype open) {
    const qsizetype close = matchingClose(t_, open);
    qsizetype from = -1;
    int depth = 0;
    for (qsizetype k = open + 1; k < close && from < 0; ++k) {
        if (t_[k].is(K::Open)) ++depth;
        if (t_[k].is(K::Close)) --depth;
        if (depth == 0 && t_[k].isWord(u"FROM")) from = k;
    }
    const QList<SelectItem> items = selectItemsBefore(from >= 0 ? from : close);
    if (items.size() != 1) return -1;
    const qsizetype first = items[0].first, last = items[0].last;
    const qsizetype itemSize = wrapIn(
        first, last, givesStoredDate(first, last) ? QString() : QStringLiteral("tsql_reading("));
    const QString call =
        column ? QStringLiteral("tsql_reading(") : readingCall(left, leftEnd, Against::Date);
    const qsizetype leftSize = wrapIn(left, leftEnd, call);
    return close + (itemSize - (last - first + 1)) + (leftSize - (leftEnd - left + 1));
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
    // x < c reads c > x
    const QString o = valueFirst ? mirrored(t_[op].text) : t_[op].text;
    return keyedComparison(first, last, t_[value].text, o, std::min(first, value),
                           std::max(last, value));
}

QString Rewriter::mirrored(const QString& op) {
    if (op == u"<") return QStringLiteral(">");
    if (op == u">") return QStringLiteral("<");
    if (op == u"<=") return QStringLiteral(">=");
    if (op == u">=") return QStringLiteral("<=");
    return op;
}

qsizetype Rewriter::keyedComparison(qsizetype first, qsizetype last, const QString& x,
                                    const QString& o, qsizetype from, qsizetype to) {
    const QString column = join(t_, first, last + 1);
    const auto key = [&](const char* which) {
        return QStringLiteral("%1(%2)").arg(QLatin1String(which), x);
    };
    const QString cmp = QStringLiteral("tsql_datecmp(%1, %2)").arg(column, x);
    const auto found = columnAt(first, last);
    QString sql;
    if (o != u"=" && o != u"<>" && o != u"!=" && o != u"<" && o != u"<=" && o != u">" &&
        o != u">=")
        return -1;
    if (o == u"<>" || o == u"!=") {
        sql = QStringLiteral("(%1 <> 0)").arg(cmp);
    } else if (found && apart_ && apart_(found->first, found->second.name)) {
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
    t_.remove(from, to - from + 1);
    return from + insertText(t_, from, sql) - 1;
}

std::optional<std::pair<QString, Column>> Rewriter::columnAt(qsizetype first, qsizetype last) {
    const QString name = bareName(t_[last]);
    const qsizetype dot = previousSignificant(t_, last - 1);
    const qsizetype qualifier = dot > first ? previousSignificant(t_, dot - 1) : -1;
    if (qualifier >= first) {
        const QString object = objectNamed(bareName(t_[qualifier]));
        for (const Column& c : columnsOf(object))
            if (c.name.compare(name, Qt::CaseInsensitive) == 0) return std::pair{object, c};
    }
    return findColumn(name);
}

QString Rewriter::objectNamed(const QString& name) {
    for (qsizetype i = 0; i < t_.size(); ++i) {
        if (!isAnyWord(t_[i], {u"FROM", u"JOIN", u"UPDATE", u"INTO"}) && !t_[i].is(K::Comma))
            continue;
        const qsizetype n = nextSignificant(t_, i + 1);
        if (n >= t_.size() || !isName(t_[n])) continue;
        const qsizetype end = nameEnd(t_, n);
        const QString object = bareName(t_[end]);
        qsizetype alias = nextSignificant(t_, end + 1);
        if (alias < t_.size() && t_[alias].isWord(u"AS")) alias = nextSignificant(t_, alias + 1);
        const bool named = object.compare(name, Qt::CaseInsensitive) == 0 ||
                           (alias < t_.size() && isName(t_[alias]) && !isReserved(t_[alias]) &&
                            bareName(t_[alias]).compare(name, Qt::CaseInsensitive) == 0);
        if (named && !columnsOf(object).isEmpty()) return object;
    }
    return {};
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
