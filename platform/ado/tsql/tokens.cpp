#include "platform/ado/tsql/tokens.h"

#include <QSet>
#include <QStringList>

namespace tsql {

bool Token::isWord(QStringView keyword) const {
    return kind == Kind::Word && text.compare(keyword, Qt::CaseInsensitive) == 0;
}

bool isAnyWord(const Token& t, std::initializer_list<QStringView> words) {
    for (QStringView w : words) {
        if (t.isWord(w)) return true;
    }
    return false;
}

bool isReserved(const Token& t) {
    static const QSet<QString> words = [] {
        const QString list = QStringLiteral(
            "ADD ALL ALTER AND ANY AS ASC AUTHORIZATION BACKUP BEGIN BETWEEN BREAK BROWSE BULK "
            "BY CASCADE CASE CHECK CHECKPOINT CLOSE CLUSTERED COALESCE COLLATE COLUMN COMMIT "
            "COMPUTE CONSTRAINT CONTAINS CONTAINSTABLE CONTINUE CONVERT CREATE CROSS CURRENT "
            "CURRENT_DATE CURRENT_TIME CURRENT_TIMESTAMP CURRENT_USER CURSOR DATABASE DBCC "
            "DEALLOCATE DECLARE DEFAULT DELETE DENY DESC DISK DISTINCT DISTRIBUTED DOUBLE DROP "
            "DUMP ELSE END ERRLVL ESCAPE EXCEPT EXEC EXECUTE EXISTS EXIT EXTERNAL FETCH FILE "
            "FILLFACTOR FOR FOREIGN FREETEXT FREETEXTTABLE FROM FULL FUNCTION GO GOTO GRANT "
            "GROUP HAVING HOLDLOCK IDENTITY IDENTITY_INSERT IDENTITYCOL IF IN INDEX INNER INSERT "
            "INTERSECT INTO IS JOIN KEY KILL LEFT LIKE LINENO LOAD MERGE NATIONAL NOCHECK "
            "NONCLUSTERED NOT NULL NULLIF OF OFF OFFSETS ON OPEN OPENDATASOURCE OPENQUERY "
            "OPENROWSET OPENXML OPTION OR ORDER OUTER OVER PERCENT PIVOT PLAN PRECISION PRIMARY "
            "PRINT PROC PROCEDURE PUBLIC RAISERROR READ READTEXT RECONFIGURE REFERENCES "
            "REPLICATION RESTORE RESTRICT RETURN REVERT REVOKE RIGHT ROLLBACK ROWCOUNT "
            "ROWGUIDCOL RULE SAVE SCHEMA SECURITYAUDIT SELECT SESSION_USER SET SETUSER SHUTDOWN "
            "SOME STATISTICS SYSTEM_USER TABLE TABLESAMPLE TEXTSIZE THEN TO TOP TRAN TRANSACTION "
            "TRIGGER TRUNCATE TRY_CONVERT TSEQUAL UNION UNIQUE UNPIVOT UPDATE UPDATETEXT USE "
            "USER VALUES VARYING VIEW WAITFOR WHEN WHERE WHILE WITH WITHIN WRITETEXT");
        const QStringList split = list.split(u' ', Qt::SkipEmptyParts);
        return QSet<QString>(split.begin(), split.end());
    }();
    return t.kind == Token::Kind::Word && words.contains(t.text.toUpper());
}

bool Token::holdsLineBreak() const {
    return isBlank() && (text.contains(u'\n') || text.contains(u'\r'));
}

namespace {

bool isWordStart(QChar c) {
    return c.isLetter() || c == u'_' || c == u'#';
}
bool isWordPart(QChar c) {
    return c.isLetterOrNumber() || c == u'_' || c == u'#' || c == u'@' || c == u'$';
}

// Where a literal or quoted name opened at `i` ends (one past its closing quote); a doubled
// closing quote stands for one inside.
qsizetype closeQuote(const QString& s, qsizetype i, QChar close) {
    qsizetype j = i + 1;
    while (j < s.size()) {
        if (s[j] == close) {
            if (j + 1 < s.size() && s[j + 1] == close) {
                j += 2;
                continue;
            }
            return j + 1;
        }
        ++j;
    }
    return s.size();
}

qsizetype numberEnd(const QString& s, qsizetype i) {
    qsizetype j = i;
    while (j < s.size() && s[j].isDigit()) ++j;
    if (j < s.size() && s[j] == u'.') {
        ++j;
        while (j < s.size() && s[j].isDigit()) ++j;
    }
    if (j < s.size() && (s[j] == u'e' || s[j] == u'E')) {
        qsizetype k = j + 1;
        if (k < s.size() && (s[k] == u'+' || s[k] == u'-')) ++k;
        if (k < s.size() && s[k].isDigit()) {
            while (k < s.size() && s[k].isDigit()) ++k;
            j = k;
        }
    }
    return j;
}

}  // namespace

Tokens tokenize(const QString& s) {
    using K = Token::Kind;
    Tokens out;
    qsizetype i = 0;
    const qsizetype n = s.size();
    auto push = [&](K kind, qsizetype end) {
        out.append(Token{kind, s.mid(i, end - i)});
        i = end;
    };
    while (i < n) {
        const QChar c = s[i];
        const QChar next = i + 1 < n ? s[i + 1] : QChar();
        if (c.isSpace()) {
            qsizetype j = i;
            while (j < n && s[j].isSpace()) ++j;
            push(K::Space, j);
        } else if (c == u'-' && next == u'-') {
            qsizetype j = i;
            while (j < n && s[j] != u'\n' && s[j] != u'\r') ++j;
            push(K::Comment, j);
        } else if (c == u'/' && next == u'*') {
            // SQL Server nests block comments.
            qsizetype j = i + 2;
            int depth = 1;
            while (j < n && depth > 0) {
                if (s[j] == u'/' && j + 1 < n && s[j + 1] == u'*') {
                    ++depth;
                    j += 2;
                } else if (s[j] == u'*' && j + 1 < n && s[j + 1] == u'/') {
                    --depth;
                    j += 2;
                } else {
                    ++j;
                }
            }
            push(K::Comment, j);
        } else if (c == u'\'') {
            push(K::String, closeQuote(s, i, u'\''));
        } else if (c == u'[') {
            push(K::Quoted, closeQuote(s, i, u']'));
        } else if (c == u'"') {
            push(K::Quoted, closeQuote(s, i, u'"'));
        } else if (c.isDigit() || (c == u'.' && next.isDigit())) {
            push(K::Number, numberEnd(s, i));
        } else if (c == u'@') {
            qsizetype j = i + 1;
            if (j < n && s[j] == u'@') ++j;
            while (j < n && isWordPart(s[j])) ++j;
            push(K::Variable, j);
        } else if (isWordStart(c)) {
            qsizetype j = i + 1;
            while (j < n && isWordPart(s[j])) ++j;
            push(K::Word, j);
        } else if (c == u'(') {
            push(K::Open, i + 1);
        } else if (c == u')') {
            push(K::Close, i + 1);
        } else if (c == u',') {
            push(K::Comma, i + 1);
        } else if (c == u'.') {
            push(K::Dot, i + 1);
        } else if (c == u';') {
            push(K::Semicolon, i + 1);
        } else if (QStringView(u"+-*/%=<>!|&^~").contains(c)) {
            static const QStringView pairs[] = {u"<>", u"!=", u"<=", u">=", u"!<", u"!>", u"||"};
            qsizetype len = 1;
            for (QStringView p : pairs) {
                if (QStringView(s).mid(i, 2) == p) len = 2;
            }
            push(K::Operator, i + len);
        } else if (c == u'?') {
            // A parameter, numbered ("?2") or not.
            qsizetype j = i + 1;
            while (j < n && s[j].isDigit()) ++j;
            push(K::Other, j);
        } else {
            push(K::Other, i + 1);
        }
    }
    return out;
}

QString join(const Tokens& tokens, qsizetype from, qsizetype to) {
    if (to < 0 || to > tokens.size()) to = tokens.size();
    QString out;
    for (qsizetype i = from; i < to; ++i) out += tokens[i].text;
    return out;
}

qsizetype nextSignificant(const Tokens& tokens, qsizetype i) {
    while (i < tokens.size() && tokens[i].isBlank()) ++i;
    return i;
}

qsizetype previousSignificant(const Tokens& tokens, qsizetype i) {
    while (i >= 0 && tokens[i].isBlank()) --i;
    return i;
}

qsizetype matchingClose(const Tokens& tokens, qsizetype open) {
    int depth = 0;
    for (qsizetype i = open; i < tokens.size(); ++i) {
        if (tokens[i].is(Token::Kind::Open)) ++depth;
        if (tokens[i].is(Token::Kind::Close) && --depth == 0) return i;
    }
    return tokens.size();
}

bool isAmbiguousComment(const Tokens& tokens, qsizetype i) {
    const Token& t = tokens[i];
    if (!t.is(Token::Kind::Comment)) return false;
    if (t.text.startsWith(u"/*")) return t.text.indexOf(u"/*", 2) >= 0;
    return i + 1 < tokens.size() && tokens[i + 1].text.startsWith(u'\r') &&
           !tokens[i + 1].text.startsWith(u"\r\n");
}

}  // namespace tsql
