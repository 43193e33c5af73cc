#pragma once

#include "platform/ado/tsql/tokens.h"
#include "platform/ado/tsql/translator.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>
#include <utility>

// One statement parsed into tokens, with what the translator knows of the database it runs
// on, and how the passes (passes.h) read it. Internal to the translator.
namespace tsql {

inline bool isName(const Token& t) {
    return t.is(Token::Kind::Word) || t.is(Token::Kind::Quoted);
}

// =, <>, !=, <, >, <= and >=.
inline bool isComparison(const Token& t) {
    if (!t.is(Token::Kind::Operator)) return false;
    static const QStringView ops[] = {u"=", u"<>", u"!=", u"<", u">", u"<=", u">="};
    for (QStringView op : ops) {
        if (t.text == op) return true;
    }
    return false;
}

// A bound parameter: "?", or "?N" once the statement's parameters are numbered.
inline bool isParameter(const Token& t) {
    return t.is(Token::Kind::Other) && t.text.startsWith(u'?');
}

// The name without its brackets or double quotes.
QString bareName(const Token& t);
// The index of the last token of a possibly qualified name starting at `i` (a.b.c).
qsizetype nameEnd(const Tokens& t, qsizetype i);
// Index of the parenthesis that opens the one closed at `close` (-1 when unbalanced).
qsizetype matchingOpen(const Tokens& t, qsizetype close);
// Index of the CASE that the END at `end` closes (-1 when there is none).
qsizetype matchingCase(const Tokens& t, qsizetype end);
// Index of the END that closes the CASE at `start` (the end of the tokens when none does).
qsizetype matchingEnd(const Tokens& t, qsizetype start);
// Whether the word before a parenthesis names a function called with it, rather than being a
// keyword the parenthesised expression follows.
bool namesFunction(const Token& word);
// Returns how many tokens went in.
qsizetype insertTokens(Tokens& t, qsizetype at, const Tokens& add);
qsizetype insertText(Tokens& t, qsizetype at, const QString& text);
// Where text appended to the statement goes: before its trailing blanks and semicolons.
qsizetype statementEnd(const Tokens& t);

// What an operand of "+", a comparison or a conversion is, as far as the rewrites go.
enum class Operand { None, Text, Number, Date, Name, Unknown };

Operand operandOfType(const QString& declared);
Operand operandOfFunction(const Token& f);
// The AS of CAST(x AS type), whose parenthesis opens at `open`: the first outside any
// parenthesis inside it (-1 when there is none).
qsizetype castAs(const Tokens& t, qsizetype open);
// The type a conversion named at `f`, whose parenthesis opens at `open`, converts to: of
// CONVERT(type, ...), CAST(... AS type) or, once translated, tsql_convert('type', ...); a null
// text for any other call.
QString convertedType(const Tokens& t, qsizetype f, qsizetype open);

// One statement's tokens, which the passes rewrite in turn into SQLite's text, and the
// lookups that tell what the database holds.
struct ParsedStatement {
    ParsedStatement(const QString& text, const ColumnLookup& columns, const OrderLookup& order,
                    const ApartLookup& apart)
        : t(tokenize(text)), columns(columns), order(order), apart(apart) {}

    Tokens t;
    const ColumnLookup& columns;
    const OrderLookup& order;
    const ApartLookup& apart;
    QHash<QString, QList<Column>> cache;  // the columns of each object looked up, by name
};

// ---- reading the statement (parsed.cpp)

qsizetype first(const ParsedStatement& s);
bool startsWith(const ParsedStatement& s, QStringView word);
QList<Column> columnsOf(ParsedStatement& s, const QString& table);

// The first token of the list the SELECT at `select` makes, past ALL or DISTINCT and
// TOP n [PERCENT] [WITH TIES].
qsizetype firstSelectItem(const ParsedStatement& s, qsizetype select);

// Follows a statement token by token and tells whether the token at hand stands at the top
// level of an UPDATE's SET list, where "=" assigns rather than compares.
class SetListTracker {
public:
    explicit SetListTracker(const ParsedStatement& s) : update_(startsWith(s, u"UPDATE")) {}
    // Takes the next token in; true when it lies at the top level of the SET list.
    bool inSetList(const Token& t);

private:
    bool update_;
    bool inSet_ = false;
    int depth_ = 0;
};

// The tables and views the statement names after FROM, JOIN, UPDATE and INTO.
QStringList referencedObjects(const ParsedStatement& s);

// The first object the statement names that has the column `name`, and that column.
std::optional<std::pair<QString, Column>> findColumn(ParsedStatement& s, const QString& name);

// The object and column of the (qualified) name [first, last]: the one its qualifier names
// (a table or its alias), else as findColumn finds it.
std::optional<std::pair<QString, Column>> columnAt(ParsedStatement& s, qsizetype first,
                                                   qsizetype last);

// The table or view the statement reads by the name or alias `name`; empty for none.
QString objectNamed(ParsedStatement& s, const QString& name);
Operand operandOfName(ParsedStatement& s, const QString& name);

// What a call of the function named at `f`, whose parenthesis opens at `open`, gives.
Operand operandOfCall(ParsedStatement& s, qsizetype f, qsizetype open);

// Where the values of the arguments of the parenthesis at `open` end (each just before a
// comma or the closing parenthesis).
QList<qsizetype> valueEnds(const ParsedStatement& s, qsizetype open);

// The values a CASE closed at `end` may give: its THEN and ELSE results.
QList<qsizetype> resultEnds(const ParsedStatement& s, qsizetype end);

// A date when one of the values that end before `ends` is a date (a datetime outranks
// numbers and texts in SQL Server's types); what else they are is left open.
Operand dateIfAnyOf(ParsedStatement& s, const QList<qsizetype>& ends);

// What the operand that ends before, or starts after, the operator at `plus` is.
Operand leftOperand(ParsedStatement& s, qsizetype plus);
Operand rightOperand(ParsedStatement& s, qsizetype plus);

// Wraps the tokens [from, to] in the tokens of `call` ... ); returns how many tokens they
// became.
qsizetype wrap(ParsedStatement& s, qsizetype from, qsizetype to, const Tokens& call);

// The last token of the expression that starts at `i`: a literal, a parameter, a (qualified)
// name, a call, a parenthesised group, or a signed number.
qsizetype primaryEnd(const ParsedStatement& s, qsizetype i);

// The first token of the expression that ends at `i`: a (qualified) name or a call.
qsizetype primaryStart(const ParsedStatement& s, qsizetype i);

// ---- shared by the date-times' passes and the others (daterewrites.cpp)

// Wraps the tokens [from, to] in tsql_datetime( ... ); returns how many tokens they became.
qsizetype wrapDate(ParsedStatement& s, qsizetype from, qsizetype to);

// The same for the arguments of the call whose parenthesis opens at `open`, `count` of them
// from the argument `first` on, that are dates (a number or a text given there is left to
// convert as SQL Server converts it).
void readStoredDates(ParsedStatement& s, qsizetype open, qsizetype first, qsizetype count);

// A date column compared with a value: stored texts of the ISO shapes sort by their day
// whatever their shape ("2026-03-29", "2026-03-29 00:00", "2026-03-29T10:00", the stored
// form), so the column's index finds the texts that may read as the value's day (from its
// low key to the key of the next day) and only those rows compare their readings
// (tsql_datecmp); whole days inside the range are taken by their text, when it starts with
// an ISO date. Where the column holds texts that sort apart from their day (the apart
// lookup), every row compares its reading. The comparison at `op` of the literal or
// parameter at `value` becomes that; returns the index of its last token, or -1 when the
// other side is not a bare column.
qsizetype compareDateColumn(ParsedStatement& s, qsizetype value, qsizetype op);

// SQL Server reads a text given as it is as a date of DATEDIFF, DATEPART, YEAR, MONTH or
// DAY into a datetime2, which keeps what a datetime would round: the call whose parenthesis
// opens at `open`, with `count` arguments, the dates from the argument `firstDate` on, gets
// a last argument that marks which dates are such texts (bit 0 the first date).
void markLiteralDates(ParsedStatement& s, qsizetype open, qsizetype firstDate, qsizetype count);

}  // namespace tsql
