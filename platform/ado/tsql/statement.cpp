#include "platform/ado/tsql/statement.h"

#include "platform/ado/tsql/tokens.h"

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
            if (head_ == u"IF") awaitingBody_ = true;
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
        if (t.is(K::Semicolon)) {
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
    static const QStringView forbidden[] = {
        u"INSERT",   u"UPDATE",     u"DELETE",   u"MERGE",    u"DROP",     u"CREATE",
        u"ALTER",    u"TRUNCATE",   u"EXEC",     u"EXECUTE",  u"GRANT",    u"REVOKE",
        u"DENY",     u"DECLARE",    u"SET",      u"USE",      u"BEGIN",    u"COMMIT",
        u"ROLLBACK", u"SAVE",       u"WAITFOR",  u"DBCC",     u"BACKUP",   u"RESTORE",
        u"SHUTDOWN", u"KILL",       u"BULK",     u"INTO",     u"PRINT",    u"RAISERROR",
        u"THROW",    u"GOTO",       u"RETURN",   u"IF",       u"WHILE",    u"GO",
        u"OPEN",     u"DEALLOCATE", u"RECONFIGURE", u"CHECKPOINT", u"READTEXT", u"WRITETEXT",
        u"UPDATETEXT", u"ATTACH",   u"DETACH",   u"PRAGMA",   u"VACUUM",   u"REINDEX",
        u"ANALYZE",  u"REPLACE",    u"UPSERT"};
    const Tokens tokens = tokenize(text);
    const qsizetype first = nextSignificant(tokens, 0);
    if (first >= tokens.size()) return false;
    if (!tokens[first].isWord(u"SELECT") && !tokens[first].isWord(u"WITH")) return false;
    int depth = 0;
    for (qsizetype i = first; i < tokens.size(); ++i) {
        const Token& t = tokens[i];
        if (t.is(K::Semicolon)) {
            if (nextSignificant(tokens, i + 1) < tokens.size()) return false;
            continue;
        }
        if (t.is(K::Open)) ++depth;
        if (t.is(K::Close) && depth > 0) --depth;
        if (!t.is(K::Word)) continue;
        // REPLACE( is the text function; the word alone starts SQLite's write.
        if (t.isWord(u"REPLACE")) {
            const qsizetype j = nextSignificant(tokens, i + 1);
            if (j < tokens.size() && tokens[j].is(K::Open)) continue;
        }
        for (QStringView w : forbidden) {
            if (t.isWord(w)) return false;
        }
        if (i != first && depth == 0 && t.isWord(u"SELECT")) {
            const qsizetype p = previousSignificant(tokens, i - 1);
            const bool setOperator = p >= 0 && (tokens[p].isWord(u"UNION") ||
                                                tokens[p].isWord(u"ALL") ||
                                                tokens[p].isWord(u"EXCEPT") ||
                                                tokens[p].isWord(u"INTERSECT"));
            // WITH name AS (...) SELECT: the query of a common table expression.
            const bool afterCte = tokens[first].isWord(u"WITH") && p >= 0 && tokens[p].is(K::Close);
            if (!setOperator && !afterCte) return false;
        }
    }
    return true;
}

}  // namespace tsql
