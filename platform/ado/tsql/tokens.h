#pragma once

#include <QList>
#include <QString>

#include <initializer_list>

namespace tsql {

// One lexical piece of SQL Server text. The rewrites work on these, so nothing inside a quoted
// literal, a bracketed name or a comment is ever touched.
struct Token {
    enum class Kind {
        Space,     // blanks, tabs and line breaks
        Comment,   // -- to the end of the line, or /* ... */
        Word,      // a name or a keyword
        Variable,  // @name or @@name
        Quoted,    // [name] or "name"
        String,    // 'text' with '' inside
        Number,    // 12, 1.5, .5, 1e3
        Operator,  // + - * / % = < > <> != <= >= !< !> || & | ^ ~
        Open,      // (
        Close,     // )
        Comma,
        Dot,
        Semicolon,
        Other,  // anything else, kept as written
    };

    Kind kind = Kind::Other;
    QString text;

    bool is(Kind k) const { return kind == k; }
    // A word equal to `keyword` without regard to case.
    bool isWord(QStringView keyword) const;
    // Blanks and comments carry no meaning.
    bool isBlank() const { return kind == Kind::Space || kind == Kind::Comment; }
    bool holdsLineBreak() const;
};

using Tokens = QList<Token>;

// Whether `t` is one of the keywords `words`, without regard to case.
bool isAnyWord(const Token& t, std::initializer_list<QStringView> words);
// SQL Server's reserved words, and GO: none of them is ever a name or an alias unless it is
// bracketed.
bool isReserved(const Token& t);

// Splits `text` into tokens; joining their texts gives `text` back. An unclosed literal,
// name or comment runs to the end.
Tokens tokenize(const QString& text);

QString join(const Tokens& tokens, qsizetype from = 0, qsizetype to = -1);

// Index of the first non-blank token at or after `i` (tokens.size() when none).
qsizetype nextSignificant(const Tokens& tokens, qsizetype i);
// Index of the last non-blank token at or before `i` (-1 when none).
qsizetype previousSignificant(const Tokens& tokens, qsizetype i);
// Index of the parenthesis that closes the one at `open` (tokens.size() when unbalanced).
qsizetype matchingClose(const Tokens& tokens, qsizetype open);

// Whether the comment at `i` is read otherwise by a reader that neither nests block comments
// nor ends a line comment at a lone carriage return (as SQLite, and perhaps a server).
bool isAmbiguousComment(const Tokens& tokens, qsizetype i);

}  // namespace tsql
