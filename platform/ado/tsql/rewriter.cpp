#include "platform/ado/tsql/rewriter.h"

namespace tsql {

namespace {

using K = Token::Kind;

}  // namespace

QString bareName(const Token& t) {
    if (t.is(K::Quoted) && t.text.size() >= 2) {
        const QChar close = t.text.front() == u'[' ? u']' : u'"';
        return t.text.mid(1, t.text.size() - 2).replace(QString(2, close), QString(close));
    }
    return t.text;
}

qsizetype nameEnd(const Tokens& t, qsizetype i) {
    qsizetype end = i;
    while (true) {
        const qsizetype dot = nextSignificant(t, end + 1);
        if (dot >= t.size() || !t[dot].is(K::Dot)) return end;
        const qsizetype part = nextSignificant(t, dot + 1);
        if (part >= t.size() || !isName(t[part])) return end;
        end = part;
    }
}

qsizetype matchingOpen(const Tokens& t, qsizetype close) {
    int depth = 0;
    for (qsizetype i = close; i >= 0; --i) {
        if (t[i].is(K::Close)) ++depth;
        if (t[i].is(K::Open) && --depth == 0) return i;
    }
    return -1;
}

qsizetype matchingCase(const Tokens& t, qsizetype end) {
    int nested = 0;
    for (qsizetype i = end - 1; i >= 0; --i) {
        if (t[i].isWord(u"END")) ++nested;
        if (t[i].isWord(u"CASE") && nested-- == 0) return i;
    }
    return -1;
}

qsizetype matchingEnd(const Tokens& t, qsizetype start) {
    int nested = 0;
    for (qsizetype i = start + 1; i < t.size(); ++i) {
        if (t[i].isWord(u"CASE")) ++nested;
        if (t[i].isWord(u"END") && nested-- == 0) return i;
    }
    return t.size();
}

bool namesFunction(const Token& word) {
    return word.is(K::Word) &&
           !isAnyWord(word, {u"SELECT", u"WHERE", u"AND", u"OR", u"NOT", u"ON", u"WHEN", u"THEN",
                             u"ELSE", u"SET", u"RETURN", u"DISTINCT", u"HAVING"});
}

qsizetype insertTokens(Tokens& t, qsizetype at, const Tokens& add) {
    // One move of the tokens after `at`, whatever the number put in.
    t.insert(at, add.size(), Token{});
    std::copy(add.cbegin(), add.cend(), t.begin() + at);
    return add.size();
}

qsizetype insertText(Tokens& t, qsizetype at, const QString& text) {
    return insertTokens(t, at, tokenize(text));
}

qsizetype statementEnd(const Tokens& t) {
    qsizetype end = t.size();
    while (end > 0 && (t[end - 1].isBlank() || t[end - 1].is(K::Semicolon))) --end;
    return end;
}

Operand operandOfType(const QString& declared) {
    const QString t = declared.toUpper();
    if (t.contains(u"CHAR") || t.contains(u"TEXT") || t.contains(u"CLOB") ||
        t.contains(u"SYSNAME")) {
        return Operand::Text;
    }
    if (t.contains(u"DATE") || t.contains(u"TIME")) return Operand::Date;
    static const QStringView numeric[] = {u"INT",  u"NUM",  u"DEC",  u"MONEY",
                                          u"REAL", u"FLOA", u"DOUB", u"BIT"};
    for (QStringView w : numeric) {
        if (t.contains(w)) return Operand::Number;
    }
    return Operand::Name;
}

Operand operandOfFunction(const Token& f) {
    if (isAnyWord(f, {u"LTRIM", u"RTRIM", u"TRIM", u"SUBSTRING", u"SUBSTR", u"UPPER", u"LOWER",
                      u"REPLACE", u"LEFT", u"RIGHT", u"SPACE", u"REPLICATE", u"STR"})) {
        return Operand::Text;
    }
    if (isAnyWord(f, {u"LEN", u"COUNT", u"SUM", u"AVG", u"CHARINDEX", u"ABS", u"ROUND",
                      u"DATEDIFF", u"YEAR", u"MONTH", u"DAY", u"LENGTH"})) {
        return Operand::Number;
    }
    if (isAnyWord(f, {u"GETDATE", u"TSQL_DATETIME", u"TSQL_DATEADD", u"TSQL_DATESUB", u"DATEADD",
                      u"TSQL_DATEVALUE", u"TSQL_MAXDATE", u"TSQL_MINDATE", u"TSQL_READING"}))
        return Operand::Date;
    if (isAnyWord(f, {u"DATEPART"})) return Operand::Number;
    return Operand::Unknown;
}

qsizetype castAs(const Tokens& t, qsizetype open) {
    const qsizetype close = matchingClose(t, open);
    int depth = 0;
    for (qsizetype k = open + 1; k < close; ++k) {
        if (t[k].is(K::Open)) ++depth;
        if (t[k].is(K::Close)) --depth;
        if (depth == 0 && t[k].isWord(u"AS")) return k;
    }
    return -1;
}

QString convertedType(const Tokens& t, qsizetype f, qsizetype open) {
    if (t[f].isWord(u"CONVERT") || t[f].isWord(u"tsql_convert")) {
        const qsizetype type = nextSignificant(t, open + 1);
        if (type < t.size() && t[type].is(K::Word)) return t[type].text;
        if (type < t.size() && t[type].is(K::String)) return t[type].text.mid(1).chopped(1);
    } else if (t[f].isWord(u"CAST")) {
        const qsizetype as = castAs(t, open);
        if (as < 0) return {};
        const qsizetype type = nextSignificant(t, as + 1);
        if (type < matchingClose(t, open) && t[type].is(K::Word)) return t[type].text;
    }
    return {};
}

qsizetype Rewriter::first() const {
    return nextSignificant(t_, 0);
}

bool Rewriter::startsWith(QStringView word) const {
    const qsizetype i = first();
    return i < t_.size() && t_[i].isWord(word);
}

QList<Column> Rewriter::columnsOf(const QString& table) {
    if (!columns_) return {};
    const QString key = table.toUpper();
    auto it = cache_.constFind(key);
    if (it != cache_.constEnd()) return *it;
    const QList<Column> cols = columns_(table);
    cache_.insert(key, cols);
    return cols;
}

QStringList Rewriter::referencedObjects() const {
    QStringList names;
    for (qsizetype i = 0; i < t_.size(); ++i) {
        if (!isAnyWord(t_[i], {u"FROM", u"JOIN", u"UPDATE", u"INTO"})) continue;
        const qsizetype n = nextSignificant(t_, i + 1);
        if (n < t_.size() && isName(t_[n])) names.append(bareName(t_[nameEnd(t_, n)]));
    }
    return names;
}

std::optional<std::pair<QString, Column>> Rewriter::findColumn(const QString& name) {
    for (const QString& object : referencedObjects()) {
        for (const Column& c : columnsOf(object)) {
            if (c.name.compare(name, Qt::CaseInsensitive) == 0) return std::pair{object, c};
        }
    }
    return std::nullopt;
}

Operand Rewriter::operandOfName(const QString& name) {
    const auto found = findColumn(name);
    return found ? operandOfType(found->second.declaredType) : Operand::Name;
}

Operand Rewriter::operandOfCall(qsizetype f, qsizetype open) {
    const QString type = convertedType(t_, f, open);
    if (!type.isNull()) return operandOfType(type);
    // These give one of their arguments' values.
    if (isAnyWord(t_[f], {u"MAX", u"MIN", u"ISNULL", u"IFNULL", u"COALESCE", u"NULLIF"}))
        return dateIfAnyOf(valueEnds(open));
    return operandOfFunction(t_[f]);
}

QList<qsizetype> Rewriter::valueEnds(qsizetype open) const {
    QList<qsizetype> ends;
    const qsizetype close = matchingClose(t_, open);
    int depth = 0;
    for (qsizetype k = open + 1; k < t_.size() && k <= close; ++k) {
        if (t_[k].is(K::Open)) ++depth;
        if (t_[k].is(K::Close) && k < close) --depth;
        if (depth == 0 && (k == close || t_[k].is(K::Comma))) ends.append(k);
    }
    return ends;
}

QList<qsizetype> Rewriter::resultEnds(qsizetype end) const {
    QList<qsizetype> ends;
    const qsizetype start = matchingCase(t_, end);
    if (start < 0) return ends;
    int depth = 0;
    int nested = 0;
    bool firstWhen = true;
    for (qsizetype k = start + 1; k <= end; ++k) {
        const Token& t = t_[k];
        if (t.is(K::Open)) ++depth;
        if (t.is(K::Close)) --depth;
        if (depth != 0) continue;
        if (t.isWord(u"CASE")) ++nested;
        if (t.isWord(u"END") && k < end) --nested;
        if (nested != 0 || t.isWord(u"CASE") || (t.isWord(u"END") && k < end)) continue;
        // The first WHEN follows the CASE or its input expression, not a result.
        if (t.isWord(u"WHEN") && firstWhen) {
            firstWhen = false;
        } else if (t.isWord(u"WHEN") || t.isWord(u"ELSE") || t.isWord(u"END")) {
            ends.append(k);
        }
    }
    return ends;
}

Operand Rewriter::dateIfAnyOf(const QList<qsizetype>& ends) {
    for (qsizetype e : ends) {
        if (leftOperand(e) == Operand::Date) return Operand::Date;
    }
    return Operand::Unknown;
}

Operand Rewriter::leftOperand(qsizetype plus) {
    const qsizetype l = previousSignificant(t_, plus - 1);
    if (l < 0) return Operand::None;
    const Token& t = t_[l];
    if (t.is(K::String)) return Operand::Text;
    if (t.is(K::Number)) return Operand::Number;
    if (t.isWord(u"NULL")) return Operand::Unknown;
    if (t.isWord(u"END")) return dateIfAnyOf(resultEnds(l));
    if (isName(t)) return operandOfName(bareName(t));
    if (t.is(K::Close)) {
        const qsizetype open = matchingOpen(t_, l);
        if (open < 0) return Operand::Unknown;
        const qsizetype f = open > 0 ? previousSignificant(t_, open - 1) : -1;
        if (f >= 0 && namesFunction(t_[f])) return operandOfCall(f, open);
        return dateIfAnyOf({l});
    }
    return Operand::None;
}

Operand Rewriter::rightOperand(qsizetype plus) {
    qsizetype r = nextSignificant(t_, plus + 1);
    if (r >= t_.size()) return Operand::None;
    if (t_[r].is(K::String)) return Operand::Text;
    if (t_[r].is(K::Number)) return Operand::Number;
    if (t_[r].is(K::Open)) {
        const qsizetype close = matchingClose(t_, r);
        return close < t_.size() ? dateIfAnyOf({close}) : Operand::Unknown;
    }
    if (t_[r].isWord(u"CASE")) {
        const qsizetype end = matchingEnd(t_, r);
        return end < t_.size() ? dateIfAnyOf(resultEnds(end)) : Operand::Unknown;
    }
    if (t_[r].isWord(u"NULL")) return Operand::Unknown;
    if (!isName(t_[r])) return Operand::None;
    r = nameEnd(t_, r);
    const qsizetype after = nextSignificant(t_, r + 1);
    if (after < t_.size() && t_[after].is(K::Open)) return operandOfCall(r, after);
    return operandOfName(bareName(t_[r]));
}

qsizetype Rewriter::wrap(qsizetype from, qsizetype to, const Tokens& call) {
    static const Tokens close{Token{K::Close, QStringLiteral(")")}};
    insertTokens(t_, to + 1, close);
    insertTokens(t_, from, call);
    return to - from + 2 + call.size();
}

qsizetype Rewriter::primaryEnd(qsizetype i) const {
    if (i >= t_.size()) return -1;
    const Token& t = t_[i];
    if (t.is(K::Operator) && (t.text == u"-" || t.text == u"+")) {
        const qsizetype n = nextSignificant(t_, i + 1);
        return n < t_.size() && t_[n].is(K::Number) ? n : -1;
    }
    if (t.is(K::Open)) {
        const qsizetype close = matchingClose(t_, i);
        return close < t_.size() ? close : -1;
    }
    if (t.is(K::String) || t.is(K::Number) || t.is(K::Variable) || isParameter(t)) {
        return i;
    }
    if (t.isWord(u"CASE")) {
        const qsizetype end = matchingEnd(t_, i);
        return end < t_.size() ? end : -1;
    }
    if (!isName(t)) return -1;
    const qsizetype end = nameEnd(t_, i);
    const qsizetype open = nextSignificant(t_, end + 1);
    if (open < t_.size() && t_[open].is(K::Open)) {
        const qsizetype close = matchingClose(t_, open);
        return close < t_.size() ? close : -1;
    }
    return end;
}

qsizetype Rewriter::primaryStart(qsizetype i) const {
    if (i < 0) return -1;
    if (t_[i].is(K::Close)) {
        const qsizetype open = matchingOpen(t_, i);
        if (open < 0) return -1;
        const qsizetype f = previousSignificant(t_, open - 1);
        return f >= 0 && namesFunction(t_[f]) ? f : open;
    }
    if (t_[i].isWord(u"END")) return matchingCase(t_, i);
    if (!isName(t_[i])) return -1;
    qsizetype start = i;
    for (;;) {
        const qsizetype dot = previousSignificant(t_, start - 1);
        if (dot < 0 || !t_[dot].is(K::Dot)) return start;
        const qsizetype part = previousSignificant(t_, dot - 1);
        if (part < 0 || !isName(t_[part])) return start;
        start = part;
    }
}

}  // namespace tsql
