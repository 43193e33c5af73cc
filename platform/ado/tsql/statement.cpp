#include "platform/ado/tsql/statement.h"

#include "platform/ado/tsql/tokens.h"

#include <QStringList>

#include <optional>

namespace tsql {

namespace {

using K = Token::Kind;

bool isTransactionWord(const Token& t) {
    return t.isWord(u"TRAN") || t.isWord(u"TRANS") || t.isWord(u"TRANSACTION");
}

bool isObjectWord(const Token& t) {
    static const QStringView words[] = {
        u"TABLE",   u"VIEW",     u"INDEX",     u"UNIQUE", u"CLUSTERED", u"NONCLUSTERED",
        u"TRIGGER", u"FUNCTION", u"PROCEDURE", u"PROC",   u"SCHEMA",    u"DATABASE",
        u"SYNONYM", u"TYPE",     u"USER",      u"LOGIN",  u"SEQUENCE"};
    for (QStringView w : words) {
        if (t.isWord(w)) return true;
    }
    return false;
}

const Token* nextWord(const Tokens& tokens, qsizetype i) {
    const qsizetype j = nextSignificant(tokens, i + 1);
    return j < tokens.size() ? &tokens[j] : nullptr;
}

// SET NOCOUNT ON/OFF starting at `i`: the index of its last token, or -1.
qsizetype setNocountEnd(const Tokens& tokens, qsizetype i) {
    if (!tokens[i].isWord(u"SET")) return -1;
    const qsizetype j = nextSignificant(tokens, i + 1);
    if (j >= tokens.size() || !tokens[j].isWord(u"NOCOUNT")) return -1;
    const qsizetype k = nextSignificant(tokens, j + 1);
    if (k >= tokens.size() || !(tokens[k].isWord(u"ON") || tokens[k].isWord(u"OFF"))) return -1;
    return k;
}

// Whether the word at `i` can open a statement of its own.
bool isStarter(const Tokens& tokens, qsizetype i) {
    const Token& t = tokens[i];
    if (t.isWord(u"SELECT") || t.isWord(u"INSERT") || t.isWord(u"UPDATE") || t.isWord(u"DELETE") ||
        t.isWord(u"COMMIT") || t.isWord(u"ROLLBACK") || t.isWord(u"IF")) {
        return true;
    }
    const Token* next = nextWord(tokens, i);
    if (!next) return false;
    if (t.isWord(u"BEGIN")) return isTransactionWord(*next) || next->isWord(u"DISTRIBUTED");
    if (t.isWord(u"CREATE") || t.isWord(u"ALTER") || t.isWord(u"DROP")) return isObjectWord(*next);
    return false;
}

Statement::Kind kindOf(const Tokens& tokens) {
    const qsizetype i = nextSignificant(tokens, 0);
    if (i >= tokens.size()) return Statement::Kind::Plain;
    if (tokens[i].isWord(u"COMMIT")) return Statement::Kind::CommitTransaction;
    if (tokens[i].isWord(u"ROLLBACK")) return Statement::Kind::RollbackTransaction;
    if (tokens[i].isWord(u"BEGIN") && isStarter(tokens, i)) {
        return Statement::Kind::BeginTransaction;
    }
    return Statement::Kind::Plain;
}

// Follows one statement as its tokens go by, to tell whether a statement word that comes after
// a line break opens a new statement or belongs to this one.
class Progress {
public:
    void see(const Tokens& tokens, qsizetype i, int depth) {
        const Token& t = tokens[i];
        if (t.isBlank()) return;
        lastSignificant_ = &t;
        if (depth > 0 || t.kind != K::Word) return;
        if (head_.isEmpty()) {
            head_ = t.text.toUpper();
            // The statement a condition or a common table expression introduces is part of it.
            if (head_ == u"IF" || head_ == u"WITH") awaitingBody_ = true;
            if (head_ == u"INSERT") insertOpen_ = true;
            return;
        }
        if (awaitingBody_ && isStarter(tokens, i)) {
            awaitingBody_ = false;
            if (t.isWord(u"INSERT")) insertOpen_ = true;
            return;
        }
        if (insertOpen_ && (t.isWord(u"VALUES") || t.isWord(u"SELECT"))) insertOpen_ = false;
    }

    bool empty() const { return head_.isEmpty(); }
    bool isTransactionStatement() const {
        return head_ == u"BEGIN" || head_ == u"COMMIT" || head_ == u"ROLLBACK";
    }

    // Whether the statement word at `i` continues this statement.
    bool continuedBy(const Tokens& tokens, qsizetype i) const {
        if (isTransactionStatement()) return false;
        if (awaitingBody_) return true;
        const Token& t = tokens[i];
        const Token* last = lastSignificant_;
        if (t.isWord(u"SELECT")) {
            if (insertOpen_) return true;
            if (last &&
                (last->kind == K::Operator || last->kind == K::Comma || last->kind == K::Open ||
                 last->isWord(u"AS") || last->isWord(u"UNION") || last->isWord(u"ALL") ||
                 last->isWord(u"EXCEPT") || last->isWord(u"INTERSECT") ||
                 last->isWord(u"EXISTS") || last->isWord(u"IN"))) {
                return true;
            }
        }
        // ON DELETE / ON UPDATE of a foreign key.
        if (last && last->isWord(u"ON")) return true;
        return false;
    }

private:
    QString head_;
    const Token* lastSignificant_ = nullptr;
    bool awaitingBody_ = false;
    bool insertOpen_ = false;
};

// At the start of the statement or of a line.
bool lineBreakBefore(const Tokens& tokens, qsizetype i, qsizetype start) {
    if (i == nextSignificant(tokens, start)) return true;
    for (qsizetype j = i - 1; j >= 0 && tokens[j].isBlank(); --j) {
        if (tokens[j].holdsLineBreak()) return true;
    }
    return false;
}

bool lineBreakAfter(const Tokens& tokens, qsizetype i) {
    for (qsizetype j = i + 1; j < tokens.size() && tokens[j].isBlank(); ++j) {
        if (tokens[j].holdsLineBreak()) return true;
    }
    return nextSignificant(tokens, i + 1) >= tokens.size();
}

// One thing of a query: a token, or a whole parenthesised group (kind Open, at its "(").
struct Item {
    K kind;
    qsizetype at;
};
using Items = QList<Item>;

// Walks the items of one query (WITH ... SELECT, query terms joined by set operators) clause
// by clause. Expressions are followed only as far as telling where one ends: a name or a
// value right after a finished expression, where no alias may stand, starts another
// statement, as does any reserved word a SELECT does not take there.
class QueryWalk {
public:
    QueryWalk(const Tokens& tokens, Items items) : t_(tokens), v_(std::move(items)) {}

    // Whether the items are the query and nothing else (but one ";" when `outermost`).
    bool walk(bool outermost) {
        if (word(0, u"WITH") && !commonTables()) return false;
        for (;;) {
            if (!selectHead() || !queryTerm()) return false;
            if (p_ >= v_.size() || v_[p_].kind == K::Semicolon) break;
            ++p_;  // UNION [ALL], EXCEPT or INTERSECT, then the next query term
            if (word(p_, u"ALL")) ++p_;
        }
        return p_ >= v_.size() || (outermost && p_ + 1 == v_.size());
    }

private:
    enum Clause { List = 1, From, Where, GroupBy, Having, OrderBy };

    bool word(qsizetype i, QStringView w) const { return i < v_.size() && tok(i).isWord(w); }
    bool isGroup(qsizetype i) const { return i < v_.size() && v_[i].kind == K::Open; }
    bool isName(qsizetype i) const {
        return i < v_.size() &&
               ((v_[i].kind == K::Word && !isReserved(tok(i))) || v_[i].kind == K::Quoted);
    }
    const Token& tok(qsizetype i) const { return t_[v_[i].at]; }

    // WITH name [(columns)] AS (query) [, ...]
    bool commonTables() {
        do {
            ++p_;
            if (!isName(p_)) return false;
            ++p_;
            if (isGroup(p_)) ++p_;
            if (!word(p_, u"AS") || !isGroup(p_ + 1)) return false;
            p_ += 2;
        } while (p_ < v_.size() && v_[p_].kind == K::Comma);
        return true;
    }

    // SELECT [ALL | DISTINCT] [TOP n | TOP (n) [PERCENT] [WITH TIES]]
    bool selectHead() {
        if (!word(p_, u"SELECT")) return false;
        ++p_;
        if (word(p_, u"ALL") || word(p_, u"DISTINCT")) ++p_;
        if (word(p_, u"TOP")) {
            ++p_;
            if (!isGroup(p_) && !(p_ < v_.size() && v_[p_].kind == K::Number)) return false;
            ++p_;
            if (word(p_, u"PERCENT")) ++p_;
            if (word(p_, u"WITH")) {
                if (!word(p_ + 1, u"TIES")) return false;
                p_ += 2;
            }
        }
        clause_ = List;
        joinOn_ = false;
        cases_ = 0;
        startOperand();
        return true;
    }

    // The clauses of one query term, up to a set operator, a ";" or the end.
    bool queryTerm() {
        for (; p_ < v_.size(); ++p_) {
            const Item& it = v_[p_];
            if (it.kind == K::Semicolon) break;
            if (it.kind == K::Word && isReserved(tok(p_))) {
                if (isAnyWord(tok(p_), {u"UNION", u"EXCEPT", u"INTERSECT"})) {
                    if (!operand_ || cases_ != 0 || clause_ == OrderBy) return false;
                    break;
                }
                if (!keyword(tok(p_))) return false;
            } else if (!value(it)) {
                return false;
            }
        }
        return operand_ && cases_ == 0;
    }

    // Names, values, groups, operators and commas.
    bool value(const Item& it) {
        switch (it.kind) {
            case K::Word:
            case K::Quoted:
                if (!operand_) return endOperand(true);
                return alias();
            case K::String:
                if (!operand_) return endOperand(false);
                return clause_ == List && alias();
            case K::Number:
            case K::Variable:
                return !operand_ && endOperand(false);
            case K::Open:  // a subquery or an expression, a call, or a hint such as (NOLOCK)
                return (!operand_ || named_) && endOperand(false);
            case K::Dot:  // a part of a name: db..table, T.column, T.*
                if (!operand_ || !named_) return false;
                while (p_ + 1 < v_.size() && v_[p_ + 1].kind == K::Dot) ++p_;
                ++p_;
                if (p_ < v_.size() && (v_[p_].kind == K::Word || v_[p_].kind == K::Quoted))
                    return endOperand(true);
                return p_ < v_.size() && tok(p_).text == u"*" && clause_ == List && endAll();
            case K::Operator:
                if (operand_) return startOperand();
                if (tok(p_).text == u"*") return clause_ == List && cases_ == 0 && endAll();
                return tok(p_).text == u"-" || tok(p_).text == u"+" || tok(p_).text == u"~";
            case K::Comma:
                if (!operand_ || cases_ != 0 || clause_ == Where || clause_ == Having)
                    return false;
                joinOn_ = false;
                return startOperand();
            default:
                return false;
        }
    }

    // The reserved words a SELECT takes, each where it may stand.
    bool keyword(const Token& t) {
        if (t.isWord(u"FROM")) return newClause(From);
        if (t.isWord(u"WHERE")) return newClause(Where);
        if (t.isWord(u"HAVING")) return newClause(Having);
        if (t.isWord(u"GROUP") || t.isWord(u"ORDER")) {
            const Clause c = t.isWord(u"GROUP") ? GroupBy : OrderBy;
            return word(++p_, u"BY") && newClause(c);
        }
        if ((t.isWord(u"LEFT") || t.isWord(u"RIGHT")) && !operand_ && isGroup(p_ + 1)) {
            ++p_;  // the text functions
            return endOperand(false);
        }
        if (isAnyWord(t, {u"INNER", u"LEFT", u"RIGHT", u"FULL", u"CROSS", u"OUTER", u"JOIN"}))
            return join(t);
        if (t.isWord(u"ON")) {
            if (clause_ != From || !operand_ || joinOn_ || cases_ != 0) return false;
            joinOn_ = true;
            return startOperand();
        }
        if (t.isWord(u"AS")) {
            ++p_;
            return p_ < v_.size() && operand_ &&
                   (isName(p_) || (clause_ == List && v_[p_].kind == K::String)) && alias();
        }
        if (t.isWord(u"WITH")) {  // a table hint: WITH (NOLOCK)
            if (clause_ != From || joinOn_ || !operand_ || !isGroup(p_ + 1)) return false;
            ++p_;
            aliasOk_ = named_ = false;
            return true;
        }
        if (isAnyWord(t, {u"AND", u"OR", u"LIKE", u"BETWEEN", u"ESCAPE", u"IN"}))
            return operand_ && startOperand();
        if (t.isWord(u"NOT")) {
            return !operand_ || word(p_ + 1, u"IN") || word(p_ + 1, u"LIKE") ||
                   word(p_ + 1, u"BETWEEN");
        }
        if (t.isWord(u"IS")) {  // IS [NOT] NULL
            if (!operand_) return false;
            if (word(p_ + 1, u"NOT")) ++p_;
            return word(++p_, u"NULL") && endOperand(false);
        }
        if (isAnyWord(t,
                      {u"EXISTS", u"ANY", u"SOME", u"ALL", u"CONVERT", u"TRY_CONVERT", u"COALESCE",
                       u"NULLIF", u"CONTAINS", u"FREETEXT", u"CONTAINSTABLE", u"FREETEXTTABLE"})) {
            return !operand_ && isGroup(++p_) && endOperand(false);
        }
        if (isAnyWord(t, {u"NULL", u"CURRENT_TIMESTAMP", u"CURRENT_USER", u"SESSION_USER",
                          u"SYSTEM_USER", u"USER"})) {
            return !operand_ && endOperand(false);
        }
        return caseWord(t) || afterOperand(t);
    }

    // [INNER | {LEFT | RIGHT | FULL} [OUTER]] [LOOP | HASH | MERGE | REMOTE] JOIN, CROSS JOIN,
    // {CROSS | OUTER} APPLY
    bool join(const Token& t) {
        if (clause_ != From || !operand_ || cases_ != 0) return false;
        if (t.isWord(u"CROSS") || t.isWord(u"OUTER")) {
            if (!word(p_ + 1, u"APPLY") && !(t.isWord(u"CROSS") && word(p_ + 1, u"JOIN")))
                return false;
            ++p_;
        } else if (!t.isWord(u"JOIN")) {
            if (!t.isWord(u"INNER") && word(p_ + 1, u"OUTER")) ++p_;
            // A hint on how the server joins; it follows a join type only.
            if (p_ + 1 < v_.size() &&
                isAnyWord(tok(p_ + 1), {u"LOOP", u"HASH", u"MERGE", u"REMOTE"}))
                ++p_;
            if (!word(++p_, u"JOIN")) return false;
        }
        joinOn_ = false;
        return startOperand();
    }

    bool caseWord(const Token& t) {
        if (t.isWord(u"CASE")) {
            if (operand_) return false;
            ++cases_;
            caseOpened_ = true;
            return true;
        }
        if (t.isWord(u"WHEN")) {
            if (cases_ == 0 || !(operand_ || caseOpened_)) return false;
            caseOpened_ = false;
            return startOperand();
        }
        if (t.isWord(u"THEN") || t.isWord(u"ELSE"))
            return cases_ != 0 && operand_ && startOperand();
        if (t.isWord(u"END")) {
            if (cases_ == 0 || !operand_) return false;
            --cases_;
            return endOperand(false);
        }
        return false;
    }

    // COLLATE name, OVER (...), ASC and DESC: they follow a finished expression. Any other
    // reserved word (INTO, FOR, OPTION, a statement's first word) makes this no lone SELECT.
    bool afterOperand(const Token& t) {
        if (!operand_) return false;
        if (t.isWord(u"COLLATE")) return isName(++p_);
        if (t.isWord(u"OVER")) return isGroup(++p_);
        if (t.isWord(u"ASC") || t.isWord(u"DESC")) {
            named_ = false;
            return clause_ == OrderBy;
        }
        return false;
    }

    bool aliasPlace() const {
        return cases_ == 0 && (clause_ == List || (clause_ == From && !joinOn_));
    }
    bool endOperand(bool name) {
        operand_ = true;
        named_ = name;
        aliasOk_ = aliasPlace();
        return true;
    }
    // "*" for all columns: a whole expression that takes no alias.
    bool endAll() {
        operand_ = true;
        named_ = aliasOk_ = false;
        return true;
    }
    bool startOperand() {
        operand_ = named_ = aliasOk_ = false;
        return true;
    }
    bool alias() {
        if (!aliasOk_) return false;
        aliasOk_ = named_ = false;
        return true;
    }
    bool newClause(Clause c) {
        if (!operand_ || cases_ != 0 || c <= clause_) return false;
        clause_ = c;
        joinOn_ = false;
        return startOperand();
    }

    const Tokens& t_;
    const Items v_;
    qsizetype p_ = 0;
    Clause clause_ = List;
    bool operand_ = false;  // an expression (or table source) just ended
    bool named_ = false;    // ... and it was a name, which "(" or "." may continue
    bool aliasOk_ = false;  // ... and an alias may follow it
    bool joinOn_ = false;   // in the condition of a join
    bool caseOpened_ = false;
    int cases_ = 0;
};

// Whether a text is one SELECT: its parentheses balance, every group in it holds a query that
// is one SELECT itself or something else without a ";" or a call on another server (SQL
// Server runs no statement inside parentheses), and the text walks as one query.
class SelectCheck {
public:
    explicit SelectCheck(Tokens tokens) : t_(std::move(tokens)), close_(t_.size(), -1) {
        QList<qsizetype> open;
        for (qsizetype i = 0; i < t_.size() && balanced_; ++i) {
            // A line comment ended by a lone carriage return may run on to the line feed on
            // the server, taking in what lies between.
            if (isAmbiguousComment(t_, i) && t_[i].text.startsWith(u"--")) balanced_ = false;
            if (t_[i].is(K::Open)) open.append(i);
            if (t_[i].is(K::Close)) {
                balanced_ = !open.isEmpty();
                if (balanced_) close_[open.takeLast()] = i;
            }
        }
        balanced_ = balanced_ && open.isEmpty();
    }

    bool holds() const { return balanced_ && query(0, t_.size(), true, 0); }

private:
    static constexpr int kMaxDepth = 64;

    bool query(qsizetype from, qsizetype to, bool outermost, int depth) const {
        std::optional<Items> found = items(from, to, depth);
        return found && QueryWalk(t_, std::move(*found)).walk(outermost);
    }

    // The items of [from, to); nothing when a group in it fails.
    std::optional<Items> items(qsizetype from, qsizetype to, int depth) const {
        Items out;
        for (qsizetype i = nextSignificant(t_, from); i < to; i = nextSignificant(t_, i)) {
            const Token& t = t_[i];
            if (t.is(K::Open)) {
                if (close_[i] >= to || !group(i, close_[i], depth + 1)) return std::nullopt;
                out.append({K::Open, i});
                i = close_[i] + 1;
                continue;
            }
            // N'text' and 0x1F are one value each. Any other word right after a number may be
            // read by the server as part of it (1e, 0x) and a statement after it.
            const bool touches = i + 1 < to && t.is(K::Number) && t_[i + 1].is(K::Word);
            if (touches && !isHex(t, t_[i + 1])) return std::nullopt;
            const bool prefixed =
                touches || (i + 1 < to && t.isWord(u"N") && t_[i + 1].is(K::String));
            out.append({prefixed ? K::String : t.kind, i});
            i += prefixed ? 2 : 1;
        }
        return out;
    }

    // 0x followed by hexadecimal digits only.
    static bool isHex(const Token& number, const Token& word) {
        if (number.text != u"0" || !word.text.startsWith(u'x', Qt::CaseInsensitive)) return false;
        for (qsizetype i = 1; i < word.text.size(); ++i) {
            const char16_t c = word.text[i].unicode();
            if (!(c >= u'0' && c <= u'9') && !(c >= u'a' && c <= u'f') &&
                !(c >= u'A' && c <= u'F'))
                return false;
        }
        return true;
    }

    bool group(qsizetype open, qsizetype close, int depth) const {
        if (depth > kMaxDepth) return false;
        const qsizetype first = nextSignificant(t_, open + 1);
        if (first < close && (t_[first].isWord(u"SELECT") || t_[first].isWord(u"WITH")))
            return query(open + 1, close, false, depth);
        const std::optional<Items> inside = items(open + 1, close, depth);
        if (!inside) return false;
        for (const Item& it : *inside) {
            const Token& t = t_[it.at];
            if (t.is(K::Semicolon) ||
                isAnyWord(t, {u"OPENQUERY", u"OPENROWSET", u"OPENDATASOURCE", u"OPENXML"})) {
                return false;
            }
        }
        return true;
    }

    Tokens t_;
    QList<qsizetype> close_;
    bool balanced_ = true;
};

}  // namespace

QList<Statement> splitBatch(const QString& batch) {
    const Tokens tokens = tokenize(batch);
    QList<Statement> out;
    qsizetype start = 0;
    int depth = 0;
    Progress progress;

    auto flush = [&](qsizetype end) {
        const Tokens piece = tokens.mid(start, end - start);
        const QString text = join(piece).trimmed();
        if (!text.isEmpty()) out.append(Statement{kindOf(piece), text, text});
        progress = Progress();
        depth = 0;
    };

    for (qsizetype i = 0; i < tokens.size(); ++i) {
        const Token& t = tokens[i];
        // Inside parentheses a ";" ends nothing: SQL Server refuses such a text whole, so it
        // goes to the engine whole, to be refused there, never run in pieces.
        if (t.is(K::Semicolon) && depth == 0) {
            flush(i);
            start = i + 1;
            continue;
        }
        if (t.is(K::Open)) ++depth;
        if (t.is(K::Close) && depth > 0) --depth;
        if (t.is(K::Word) && depth == 0) {
            if (t.isWord(u"GO") && lineBreakBefore(tokens, i, start) &&
                lineBreakAfter(tokens, i)) {
                flush(i);
                start = i + 1;
                continue;
            }
            if (const qsizetype last = setNocountEnd(tokens, i); last >= 0) {
                flush(i);
                start = last + 1;
                i = last;
                continue;
            }
            if (!progress.empty() && isStarter(tokens, i) && !progress.continuedBy(tokens, i) &&
                (lineBreakBefore(tokens, i, start) || progress.isTransactionStatement())) {
                flush(i);
                start = i;
            }
        }
        progress.see(tokens, i, depth);
    }
    flush(tokens.size());

    for (Statement& s : out) {
        switch (s.kind) {
            case Statement::Kind::BeginTransaction:
                s.sql = QStringLiteral("BEGIN");
                break;
            case Statement::Kind::CommitTransaction:
                s.sql = QStringLiteral("COMMIT");
                break;
            case Statement::Kind::RollbackTransaction:
                s.sql = QStringLiteral("ROLLBACK");
                break;
            case Statement::Kind::Plain:
                break;
        }
    }
    return out;
}

bool isSingleRead(const QString& text) {
    return SelectCheck(tokenize(text)).holds();
}

}  // namespace tsql
