#pragma once

#include "platform/vb/variant.h"

#include <QDate>
#include <QList>
#include <QString>

#include <functional>
#include <vector>

// The record-selection language of report forms:
//
//     TrimLeft(TrimRight({AUX_ERR.USUARIO})) >= 'ANA'  AND tonumber({AUX_ERR.ERROR}) <= 200
//     ({T.PC} LIKE 'A*' OR {T.PC} LIKE 'B?') AND NOT {T.fecha} < Date(2026,12,09)
//
// Fields in braces, the functions TrimLeft, TrimRight, Trim and tonumber, the comparisons
// = <> < > <= >=, LIKE with "*" and "?", NOT, AND (binding tighter than OR), parentheses,
// texts between apostrophes ('' for one apostrophe), numbers and Date(yyyy,mm,dd).
// Keywords and function names are read without regard to case.
namespace reportengine {

// A report field, "{TABLE.COLUMN}".
struct FieldRef {
    QString table;
    QString column;
    QString text() const { return QStringLiteral("{%1.%2}").arg(table, column); }
    friend bool operator==(const FieldRef&, const FieldRef&) = default;
};

// One node of a parsed formula.
struct Expr {
    enum class Kind { Or, And, Not, Compare, Like, Field, Function, Text, Number, Date };
    enum class Op { Eq, Ne, Lt, Le, Gt, Ge };
    enum class Function { TrimLeft, TrimRight, Trim, ToNumber };

    Kind kind = Kind::Text;
    Op op = Op::Eq;  // Compare
    Function function = Function::Trim;
    FieldRef field;              // Field
    int slot = -1;               // Field: index of its value in a row (see Selection::bind)
    QString text;                // Text
    double number = 0;           // Number
    QDate date;                  // Date
    std::vector<Expr> children;  // operands, in order (Or, And: two or more terms)

    bool isCondition() const;
};

// A parsed selection formula. An empty (or blank) formula selects every row.
class Selection {
public:
    Selection() = default;
    // Raises err::Formula, naming the position, when the text is not a formula.
    static Selection parse(const QString& formula);

    bool isEmpty() const { return root_.empty(); }
    const Expr& root() const { return root_.front(); }
    // Every field the formula names, once each, in order of appearance.
    QList<FieldRef> fields() const;

    // Gives every field its index in the rows that `matches` will see.
    void bind(const std::function<int(const FieldRef&)>& slotOf);
    // Whether a row (values by slot) is selected. Texts compare as the database does
    // (tsql::compareText); a Null operand makes its comparison false; a Date(...) compared with a
    // date-time compares its calendar date.
    bool matches(const QList<vb::Variant>& row) const;

private:
    std::vector<Expr> root_;  // empty, or the one root node
};

// LIKE's matching: "*" any run of characters, "?" one character, the whole value, without
// regard to case.
bool likeMatches(const QString& value, const QString& pattern);

}  // namespace reportengine
