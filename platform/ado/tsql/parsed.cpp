#include "platform/ado/tsql/parsed.h"

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

qsizetype first(const ParsedStatement& s) {
    return nextSignificant(s.t, 0);
}

bool startsWith(const ParsedStatement& s, QStringView word) {
    const qsizetype i = first(s);
    return i < s.t.size() && s.t[i].isWord(word);
}

qsizetype firstSelectItem(const ParsedStatement& s, qsizetype select) {
    qsizetype k = nextSignificant(s.t, select + 1);
    if (k < s.t.size() && isAnyWord(s.t[k], {u"ALL", u"DISTINCT"}))
        k = nextSignificant(s.t, k + 1);
    if (k < s.t.size() && s.t[k].isWord(u"TOP")) {
        k = nextSignificant(s.t, k + 1);
        if (k < s.t.size() && s.t[k].is(Token::Kind::Open)) k = matchingClose(s.t, k);
        k = nextSignificant(s.t, k + 1);
        if (k < s.t.size() && s.t[k].isWord(u"PERCENT")) k = nextSignificant(s.t, k + 1);
        if (k < s.t.size() && s.t[k].isWord(u"WITH"))  // TIES
            k = nextSignificant(s.t, nextSignificant(s.t, k + 1) + 1);
    }
    return k;
}

bool SetListTracker::inSetList(const Token& t) {
    if (t.is(Token::Kind::Open)) ++depth_;
    if (t.is(Token::Kind::Close)) --depth_;
    if (update_ && depth_ == 0 && t.isWord(u"SET")) inSet_ = true;
    if (update_ && depth_ == 0 && (t.isWord(u"WHERE") || t.isWord(u"FROM"))) inSet_ = false;
    return inSet_ && depth_ == 0;
}

QList<Column> columnsOf(ParsedStatement& s, const QString& table) {
    if (!s.columns) return {};
    const QString key = table.toUpper();
    auto it = s.cache.constFind(key);
    if (it != s.cache.constEnd()) return *it;
    const QList<Column> cols = s.columns(table);
    s.cache.insert(key, cols);
    return cols;
}

QStringList referencedObjects(const ParsedStatement& s) {
    QStringList names;
    for (qsizetype i = 0; i < s.t.size(); ++i) {
        if (!isAnyWord(s.t[i], {u"FROM", u"JOIN", u"UPDATE", u"INTO"})) continue;
        const qsizetype n = nextSignificant(s.t, i + 1);
        if (n < s.t.size() && isName(s.t[n])) names.append(bareName(s.t[nameEnd(s.t, n)]));
    }
    return names;
}

std::optional<std::pair<QString, Column>> findColumn(ParsedStatement& s, const QString& name) {
    for (const QString& object : referencedObjects(s)) {
        for (const Column& c : columnsOf(s, object)) {
            if (c.name.compare(name, Qt::CaseInsensitive) == 0) return std::pair{object, c};
        }
    }
    return std::nullopt;
}

Operand operandOfName(ParsedStatement& s, const QString& name) {
    const auto found = findColumn(s, name);
    return found ? operandOfType(found->second.declaredType) : Operand::Name;
}

Operand operandOfCall(ParsedStatement& s, qsizetype f, qsizetype open) {
    const QString type = convertedType(s.t, f, open);
    if (!type.isNull()) return operandOfType(type);
    // These give one of their arguments' values.
    if (isAnyWord(s.t[f], {u"MAX", u"MIN", u"ISNULL", u"IFNULL", u"COALESCE", u"NULLIF"}))
        return dateIfAnyOf(s, valueEnds(s, open));
    return operandOfFunction(s.t[f]);
}

QList<qsizetype> valueEnds(const ParsedStatement& s, qsizetype open) {
    QList<qsizetype> ends;
    const qsizetype close = matchingClose(s.t, open);
    int depth = 0;
    for (qsizetype k = open + 1; k < s.t.size() && k <= close; ++k) {
        if (s.t[k].is(K::Open)) ++depth;
        if (s.t[k].is(K::Close) && k < close) --depth;
        if (depth == 0 && (k == close || s.t[k].is(K::Comma))) ends.append(k);
    }
    return ends;
}

QList<qsizetype> resultEnds(const ParsedStatement& s, qsizetype end) {
    QList<qsizetype> ends;
    const qsizetype start = matchingCase(s.t, end);
    if (start < 0) return ends;
    int depth = 0;
    int nested = 0;
    bool firstWhen = true;
    for (qsizetype k = start + 1; k <= end; ++k) {
        const Token& t = s.t[k];
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

Operand dateIfAnyOf(ParsedStatement& s, const QList<qsizetype>& ends) {
    for (qsizetype e : ends) {
        if (leftOperand(s, e) == Operand::Date) return Operand::Date;
    }
    return Operand::Unknown;
}

Operand leftOperand(ParsedStatement& s, qsizetype plus) {
    const qsizetype l = previousSignificant(s.t, plus - 1);
    if (l < 0) return Operand::None;
    const Token& t = s.t[l];
    if (t.is(K::String)) return Operand::Text;
    if (t.is(K::Number)) return Operand::Number;
    if (t.isWord(u"NULL")) return Operand::Unknown;
    if (t.isWord(u"END")) return dateIfAnyOf(s, resultEnds(s, l));
    if (isName(t)) return operandOfName(s, bareName(t));
    if (t.is(K::Close)) {
        const qsizetype open = matchingOpen(s.t, l);
        if (open < 0) return Operand::Unknown;
        const qsizetype f = open > 0 ? previousSignificant(s.t, open - 1) : -1;
        if (f >= 0 && namesFunction(s.t[f])) return operandOfCall(s, f, open);
        return dateIfAnyOf(s, {l});
    }
    return Operand::None;
}

Operand rightOperand(ParsedStatement& s, qsizetype plus) {
    qsizetype r = nextSignificant(s.t, plus + 1);
    if (r >= s.t.size()) return Operand::None;
    if (s.t[r].is(K::String)) return Operand::Text;
    if (s.t[r].is(K::Number)) return Operand::Number;
    if (s.t[r].is(K::Open)) {
        const qsizetype close = matchingClose(s.t, r);
        return close < s.t.size() ? dateIfAnyOf(s, {close}) : Operand::Unknown;
    }
    if (s.t[r].isWord(u"CASE")) {
        const qsizetype end = matchingEnd(s.t, r);
        return end < s.t.size() ? dateIfAnyOf(s, resultEnds(s, end)) : Operand::Unknown;
    }
    if (s.t[r].isWord(u"NULL")) return Operand::Unknown;
    if (!isName(s.t[r])) return Operand::None;
    r = nameEnd(s.t, r);
    const qsizetype after = nextSignificant(s.t, r + 1);
    if (after < s.t.size() && s.t[after].is(K::Open)) return operandOfCall(s, r, after);
    return operandOfName(s, bareName(s.t[r]));
}

qsizetype wrap(ParsedStatement& s, qsizetype from, qsizetype to, const Tokens& call) {
    static const Tokens close{Token{K::Close, QStringLiteral(")")}};
    insertTokens(s.t, to + 1, close);
    insertTokens(s.t, from, call);
    return to - from + 2 + call.size();
}

qsizetype primaryEnd(const ParsedStatement& s, qsizetype i) {
    if (i >= s.t.size()) return -1;
    const Token& t = s.t[i];
    if (t.is(K::Operator) && (t.text == u"-" || t.text == u"+")) {
        const qsizetype n = nextSignificant(s.t, i + 1);
        return n < s.t.size() && s.t[n].is(K::Number) ? n : -1;
    }
    if (t.is(K::Open)) {
        const qsizetype close = matchingClose(s.t, i);
        return close < s.t.size() ? close : -1;
    }
    if (t.is(K::String) || t.is(K::Number) || t.is(K::Variable) || isParameter(t)) {
        return i;
    }
    if (t.isWord(u"CASE")) {
        const qsizetype end = matchingEnd(s.t, i);
        return end < s.t.size() ? end : -1;
    }
    if (!isName(t)) return -1;
    const qsizetype end = nameEnd(s.t, i);
    const qsizetype open = nextSignificant(s.t, end + 1);
    if (open < s.t.size() && s.t[open].is(K::Open)) {
        const qsizetype close = matchingClose(s.t, open);
        return close < s.t.size() ? close : -1;
    }
    return end;
}

qsizetype primaryStart(const ParsedStatement& s, qsizetype i) {
    if (i < 0) return -1;
    if (s.t[i].is(K::Close)) {
        const qsizetype open = matchingOpen(s.t, i);
        if (open < 0) return -1;
        const qsizetype f = previousSignificant(s.t, open - 1);
        return f >= 0 && namesFunction(s.t[f]) ? f : open;
    }
    if (s.t[i].isWord(u"END")) return matchingCase(s.t, i);
    if (!isName(s.t[i])) return -1;
    qsizetype start = i;
    for (;;) {
        const qsizetype dot = previousSignificant(s.t, start - 1);
        if (dot < 0 || !s.t[dot].is(K::Dot)) return start;
        const qsizetype part = previousSignificant(s.t, dot - 1);
        if (part < 0 || !isName(s.t[part])) return start;
        start = part;
    }
}

}  // namespace tsql
