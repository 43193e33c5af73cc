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

// The translator's reading of one statement's tokens, and the passes that rewrite them: the
// date-times' (daterewrites.cpp), the table definitions' (tabledefinitions.cpp) and the rest
// (translator.cpp). Internal to the translator.
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

// CREATE TABLE and ALTER TABLE ... ADD: SQL Server column types made SQLite's.
void rewriteTableDefinition(Tokens& t);

// One statement's tokens, rewritten pass by pass into SQLite's text.
class Rewriter {
public:
    Rewriter(const QString& text, const ColumnLookup& columns, const OrderLookup& order,
             const ApartLookup& apart)
        : t_(tokenize(text)), columns_(columns), order_(order), apart_(apart) {}

    QString run();

private:
    // ---- reading the statement (rewriter.cpp)

    qsizetype first() const;
    bool startsWith(QStringView word) const;
    QList<Column> columnsOf(const QString& table);

    // The tables and views the statement names after FROM, JOIN, UPDATE and INTO.
    QStringList referencedObjects() const;

    // The first object the statement names that has the column `name`, and that column.
    std::optional<std::pair<QString, Column>> findColumn(const QString& name);
    // The object and column of the (qualified) name [first, last]: the one its qualifier names
    // (a table or its alias), else as findColumn finds it.
    std::optional<std::pair<QString, Column>> columnAt(qsizetype first, qsizetype last);
    // The table or view the statement reads by the name or alias `name`; empty for none.
    QString objectNamed(const QString& name);

    Operand operandOfName(const QString& name);

    // What a call of the function named at `f`, whose parenthesis opens at `open`, gives.
    Operand operandOfCall(qsizetype f, qsizetype open);

    // Where the values of the arguments of the parenthesis at `open` end (each just before a
    // comma or the closing parenthesis).
    QList<qsizetype> valueEnds(qsizetype open) const;

    // The values a CASE closed at `end` may give: its THEN and ELSE results.
    QList<qsizetype> resultEnds(qsizetype end) const;

    // A date when one of the values that end before `ends` is a date (a datetime outranks
    // numbers and texts in SQL Server's types); what else they are is left open.
    Operand dateIfAnyOf(const QList<qsizetype>& ends);

    // What the operand that ends before, or starts after, the operator at `plus` is.
    Operand leftOperand(qsizetype plus);
    Operand rightOperand(qsizetype plus);

    // Wraps the tokens [from, to] in the tokens of `call` ... ); returns how many tokens they
    // became.
    qsizetype wrap(qsizetype from, qsizetype to, const Tokens& call);

    // The last token of the expression that starts at `i`: a literal, a parameter, a (qualified)
    // name, a call, a parenthesised group, or a signed number.
    qsizetype primaryEnd(qsizetype i) const;

    // The first token of the expression that ends at `i`: a (qualified) name or a call.
    qsizetype primaryStart(qsizetype i) const;

    // ---- the date-times' passes (daterewrites.cpp)

    // Wraps the tokens [from, to] in tsql_datetime( ... ); returns how many tokens they became.
    qsizetype wrapDate(qsizetype from, qsizetype to);

    // SQL Server adds days to a date-time with "+" and "-"; SQLite would add numbers to the
    // year. A date on the left of "+" or "-", or a number plus a date, makes the operation a
    // date's. Its left side is all that "+" and "-" have joined before it (they join from the
    // left), its right side one term: products and signs bind first.
    void dateArithmetic();

    // Whether [from, to] is one call that gives a date-time in the stored form.
    bool givesStoredDate(qsizetype from, qsizetype to) const;
    // The text of the date [from, to], read through tsql_datevalue unless it gives a date-time
    // in the stored form already: a date column may hold the number SQLite made of a date
    // written without separators, which is that date, never a count of days.
    QString storedDateText(qsizetype from, qsizetype to) const;
    // The same for the arguments of the call whose parenthesis opens at `open`, `count` of them
    // from the argument `first` on, that are dates (a number or a text given there is left to
    // convert as SQL Server converts it).
    void readStoredDates(qsizetype open, qsizetype first, qsizetype count);

    // MAX and MIN of a date take the reading that sorts last or first as ORDER BY the date
    // sorts them (tsql_maxdate, tsql_mindate), not the text that does; a window's are left.
    void extremesOfReadings();

    // Whether the token at `i` ends an operand, so that a "+" or "-" after it adds or
    // subtracts rather than signs what follows it.
    bool endsOperand(qsizetype i) const;

    // The first token of the expression that ends at `i` on the left of a "+" or "-": its
    // terms joined by "+" and "-", each a product of signed factors.
    qsizetype leftSideStart(qsizetype i) const;

    // The last token of the term that starts at `i`: a product of signed factors.
    qsizetype termEnd(qsizetype i) const;

    // Every comparison of a date with a date compares their readings, as SQL Server's does:
    // =, <>, <, <=, >, >=, BETWEEN and IN, with a value, a parameter, an expression, a
    // subquery or another date column. A date column's are made on its keys
    // (keyedComparison), so that its index serves; two expressions compare the stored forms
    // of their readings, which sort as time does.
    void compareDates();
    // The comparison at `op` of a date; returns the index of its last token, or -1 when its
    // sides are not whole operands or neither is a date.
    qsizetype compareTwoDates(qsizetype op);
    // "c [NOT] BETWEEN a AND b" and "c [NOT] IN (a, b, ...)" of a bare date column become
    // "[NOT] (c >= a AND c <= b)" and "[NOT] (c = a OR c = b ...)", compared then on the
    // column's keys; of another date, the bounds and items in the stored form of their
    // readings. The BETWEEN or IN is at `word`; returns the index of the last token written,
    // or -1 when the shape is another.
    qsizetype compareRangeOfDates(qsizetype word);
    // "d [NOT] IN (SELECT x ...)": d and x read as dates. The list opens at `open`.
    qsizetype compareWithQuery(qsizetype left, qsizetype leftEnd, bool column, qsizetype open);

    // The first token of the side of a comparison that ends at `last`, or -1 when it is no
    // whole operand (a term of a sum, the tail of a qualified name).
    qsizetype sideStart(qsizetype last) const;
    // The last token of the side of a comparison that starts at `first`, or -1 likewise.
    qsizetype sideEnd(qsizetype first) const;
    // Whether [first, last] is a (qualified) column name and nothing else.
    bool isBareColumn(qsizetype first, qsizetype last) const;

    // What a date compares with: a date column (whose comparison converts a value),
    // another date (whose values are made stored dates) or the bounds of a range.
    enum class Against { Column, Date, Bounds };
    // The call that puts the operand [from, to] in the stored form of its reading, for a
    // comparison against `against`: tsql_datetime( for a value written in the statement (but
    // against a column, whose keys convert it), tsql_reading( for a date of another shape (a
    // column, a subquery) or a value no type tells; empty where it already is one.
    QString readingCall(qsizetype from, qsizetype to, Against against);
    // Wraps [from, to] in `call` ... ) unless the call is empty; returns how many tokens the
    // operand became.
    qsizetype wrapIn(qsizetype from, qsizetype to, const QString& call);
    // The operator that compares the other way round (x < c reads c > x).
    static QString mirrored(const QString& op);

    // A date column compared with a value: stored texts of the ISO shapes sort by their day
    // whatever their shape ("2026-03-29", "2026-03-29 00:00", "2026-03-29T10:00", the stored
    // form), so the column's index finds the texts that may read as the value's day (from its
    // low key to the key of the next day) and only those rows compare their readings
    // (tsql_datecmp); whole days inside the range are taken by their text, when it starts with
    // an ISO date. Where the column holds texts that sort apart from their day (the apart
    // lookup), every row compares its reading. The comparison at `op` of the literal or
    // parameter at `value` becomes that; returns the index of its last token, or -1 when the
    // other side is not a bare column.
    qsizetype compareDateColumn(qsizetype value, qsizetype op);
    // The same for the column [first, last] compared by `o` (the column on the left) with the
    // value `x`, in place of the tokens [from, to].
    qsizetype keyedComparison(qsizetype first, qsizetype last, const QString& x, const QString& o,
                              qsizetype from, qsizetype to);

    // SQL Server reads a text given as it is as a date of DATEDIFF, DATEPART, YEAR, MONTH or
    // DAY into a datetime2, which keeps what a datetime would round: the call whose parenthesis
    // opens at `open`, with `count` arguments, the dates from the argument `firstDate` on, gets
    // a last argument that marks which dates are such texts (bit 0 the first date).
    void markLiteralDates(qsizetype open, qsizetype firstDate, qsizetype count);

    // ORDER BY a date, in any SELECT or window: by its reading (tsql_sortkey), Null first, then
    // as the engine orders the values themselves, which keeps rows of one reading in the order
    // they had; left to the column's own order (and its index) where that already is the
    // readings' (the order lookup). A compound SELECT's order, which SQLite takes only by the
    // names of its columns, is left as it is.
    void orderByReadings();
    // The terms of the ORDER BY whose BY is at `by` and that ends before `to`, each ordered by
    // its reading where it is a date.
    void orderTermsByReadings(qsizetype by, qsizetype to);
    // The first and last token of the date whose reading the term [from, last] (its direction
    // left out) orders by: the term itself, or the item of the select list that its place or
    // its alias names. Nothing when it is no date, when the column's own order already is the
    // readings', or when that cannot be told.
    std::optional<std::pair<qsizetype, qsizetype>> dateOfTerm(qsizetype by, qsizetype from,
                                                              qsizetype last);
    // Whether the ORDER BY at `order` orders a compound SELECT (after UNION and its kin).
    bool ordersCompound(qsizetype order) const;
    // The items of the select list of the SELECT whose ORDER BY is at `by`: each expression's
    // first and last token and its alias (empty for none). Empty when the items cannot be told
    // apart ("*") or there is no such SELECT.
    struct SelectItem {
        qsizetype first = -1, last = -1;
        QString alias;
    };
    QList<SelectItem> selectItemsBefore(qsizetype by) const;
    // Whether the statement reads one table or view alone, so that a column it names is that
    // object's.
    bool readsOneObject() const;

    // ---- the other passes (translator.cpp)

    // SQLite neither nests block comments nor ends a line comment at a lone carriage return:
    // such a comment goes as a blank, so that nothing SQL Server reads as comment runs.
    void plainComments();

    // N'text' is a plain literal; dbo. names the only schema there is.
    void dropPrefixes();

    // IF [NOT] EXISTS (q) INSERT ... becomes one guarded INSERT ... SELECT ... WHERE [NOT] EXISTS
    // (q), so the test and the insert run as one statement.
    void rewriteIfExists();

    // WITH (NOLOCK) and its kin: the engine reads one connection's data either way.
    void dropTableHints();

    // How many items the SELECT at `select` lists before its FROM; -1 for "*".
    qsizetype selectItemCount(qsizetype select) const;

    // INSERT [INTO] t SELECT/VALUES without a column list: as on SQL Server the values go to the
    // columns after the identity, in order.
    void completeInsert();

    // DELETE t WHERE ...: SQLite wants the FROM.
    void completeDelete();

    // SQL Server joins texts with "+"; SQLite would add them as numbers.
    void joinTexts();

    // The value [v, end] written through the storing call `call`; the index of the value's last
    // token afterwards. Null goes in as it is.
    qsizetype storeValue(const Tokens& call, qsizetype v, qsizetype end);

    // Values written into a column (INSERT ... VALUES, INSERT ... SELECT, UPDATE ... SET) go
    // through its storing call: a date's in the stored form of a date-time; any other as SQL
    // Server converts it, or refused.
    // The column's declared type is read from the database at hand, whoever made it.
    void storeValues();

    void storeInsertedValues(qsizetype insert);
    // INSERT ... SELECT: the query's columns, named in order, each go through the storing call
    // of the column it goes to.
    void storeSelected(const QList<Tokens>& calls, qsizetype select);

    void storeUpdatedValues(qsizetype update);

    // A literal (or parameter) compared with text compares as SQL Server's default collation
    // does, even when the other side is an expression that carries no collation of its own.
    void collateLiterals();

    // Each "?" becomes "?N", its place among the statement's parameters, so a rewrite may use
    // a parameter twice and still bind one value.
    void numberParameters();

    // @@IDENTITY, ISNULL(, CONVERT(type, ...) and CAST(... AS type) in the forms SQLite can
    // run.
    void rewriteFunctions();

    // SELECT TOP n: LIMIT n at the end of that SELECT's own scope (the parenthesis that closes
    // it, or the end of the statement), where SQLite wants it, after ORDER BY.
    void rewriteTop();

    Tokens t_;
    const ColumnLookup& columns_;
    const OrderLookup& order_;
    const ApartLookup& apart_;
    QHash<QString, QList<Column>> cache_;
};

}  // namespace tsql
