#include "platform/reportengine/selection.h"

#include "platform/ado/tsql/collation.h"
#include "platform/reportengine/errors.h"
#include "platform/vb/conversions.h"
#include "platform/vb/strings.h"

#include <algorithm>
#include <optional>

namespace reportengine {

namespace {

struct Token {
    enum Kind { End, Field, Word, Text, Number, Op, LParen, RParen, Comma, Minus };
    Kind kind = End;
    QString text;
    int position = 0;  // 1-based, for messages
};

[[noreturn]] void syntaxError(const QString& formula, int position, const QString& what) {
    fail(err::Formula, QStringLiteral("Error en la fórmula de selección, posición %1: %2\n%3")
                           .arg(position)
                           .arg(what, formula));
}

QList<Token> tokenize(const QString& s) {
    QList<Token> tokens;
    int i = 0;
    const int n = s.size();
    while (i < n) {
        const QChar c = s[i];
        if (c.isSpace()) {
            ++i;
            continue;
        }
        Token t;
        t.position = i + 1;
        if (c == u'{') {
            const int close = s.indexOf(u'}', i + 1);
            if (close < 0) syntaxError(s, i + 1, QStringLiteral("falta \"}\""));
            t.kind = Token::Field;
            t.text = s.mid(i + 1, close - i - 1);
            i = close + 1;
        } else if (c == u'\'') {
            t.kind = Token::Text;
            ++i;
            bool closed = false;
            while (i < n) {
                if (s[i] == u'\'') {
                    if (i + 1 < n && s[i + 1] == u'\'') {
                        t.text += u'\'';
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                t.text += s[i++];
            }
            if (!closed) syntaxError(s, t.position, QStringLiteral("texto sin cerrar"));
        } else if (c.isDigit() || (c == u'.' && i + 1 < n && s[i + 1].isDigit())) {
            t.kind = Token::Number;
            while (i < n && (s[i].isDigit() || s[i] == u'.')) t.text += s[i++];
            if (t.text.count(u'.') > 1)
                syntaxError(s, t.position, QStringLiteral("número mal escrito"));
        } else if (c.isLetter() || c == u'_') {
            t.kind = Token::Word;
            while (i < n && (s[i].isLetterOrNumber() || s[i] == u'_')) t.text += s[i++];
        } else if (c == u'<' || c == u'>' || c == u'=') {
            t.kind = Token::Op;
            t.text = c;
            ++i;
            if (i < n &&
                ((c == u'<' && (s[i] == u'>' || s[i] == u'=')) || (c == u'>' && s[i] == u'='))) {
                t.text += s[i++];
            }
        } else if (c == u'(') {
            t.kind = Token::LParen;
            ++i;
        } else if (c == u')') {
            t.kind = Token::RParen;
            ++i;
        } else if (c == u',') {
            t.kind = Token::Comma;
            ++i;
        } else if (c == u'-') {
            t.kind = Token::Minus;
            ++i;
        } else {
            syntaxError(s, i + 1, QStringLiteral("carácter inesperado \"%1\"").arg(c));
        }
        tokens.append(t);
    }
    Token end;
    end.position = n + 1;
    tokens.append(end);
    return tokens;
}

bool isWord(const Token& t, const char* word) {
    return t.kind == Token::Word && t.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

class Parser {
public:
    explicit Parser(const QString& formula) : formula_(formula), tokens_(tokenize(formula)) {}

    Expr parseAll() {
        Expr e = parseOr();
        if (peek().kind != Token::End) error(peek(), QStringLiteral("se esperaba AND u OR"));
        requireCondition(e, tokens_.front());
        return e;
    }

private:
    const Token& peek() const { return tokens_[pos_]; }
    Token take() { return tokens_[pos_++]; }
    [[noreturn]] void error(const Token& at, const QString& what) const {
        syntaxError(formula_, at.position, what);
    }
    void expect(Token::Kind kind, const QString& what) {
        if (peek().kind != kind) error(peek(), QStringLiteral("se esperaba %1").arg(what));
        ++pos_;
    }
    void requireCondition(const Expr& e, const Token& at) const {
        if (!e.isCondition()) error(at, QStringLiteral("se esperaba una comparación"));
    }
    void requireValue(const Expr& e, const Token& at) const {
        if (e.isCondition()) error(at, QStringLiteral("se esperaba un valor"));
    }

    Expr binary(Expr::Kind kind, Expr left, Expr right) {
        Expr e;
        e.kind = kind;
        e.children.push_back(std::move(left));
        e.children.push_back(std::move(right));
        return e;
    }

    // Each nested parenthesis, NOT or function call costs the parser stack: beyond this depth
    // the formula is refused instead of overflowing it.
    static constexpr int kMaxNesting = 200;
    struct Nesting {
        Nesting(Parser& p, const Token& at) : p_(p) {
            if (++p_.depth_ > kMaxNesting)
                p_.error(at, QStringLiteral("anidamiento de más de %1 niveles").arg(kMaxNesting));
        }
        ~Nesting() { --p_.depth_; }
        Parser& p_;
    };

    // A run of ANDs (or of ORs) is one node with a child per term, so a long chain of terms
    // makes no deep tree.
    Expr chained(Expr::Kind kind, Expr left, Expr right) {
        if (left.kind != kind) return binary(kind, std::move(left), std::move(right));
        left.children.push_back(std::move(right));
        return left;
    }

    Expr parseOr() {
        const Nesting nesting(*this, peek());
        const Token& first = peek();
        Expr left = parseAnd();
        while (isWord(peek(), "OR")) {
            requireCondition(left, first);
            take();
            const Token& at = peek();
            Expr right = parseAnd();
            requireCondition(right, at);
            left = chained(Expr::Kind::Or, std::move(left), std::move(right));
        }
        return left;
    }

    Expr parseAnd() {
        const Token& first = peek();
        Expr left = parseNot();
        while (isWord(peek(), "AND")) {
            requireCondition(left, first);
            take();
            const Token& at = peek();
            Expr right = parseNot();
            requireCondition(right, at);
            left = chained(Expr::Kind::And, std::move(left), std::move(right));
        }
        return left;
    }

    Expr parseNot() {
        if (isWord(peek(), "NOT")) {
            const Nesting nesting(*this, peek());
            take();
            const Token& at = peek();
            Expr operand = parseNot();
            requireCondition(operand, at);
            Expr e;
            e.kind = Expr::Kind::Not;
            e.children.push_back(std::move(operand));
            return e;
        }
        return parseComparison();
    }

    Expr parseComparison() {
        const Token& leftAt = peek();
        Expr left = parsePrimary();
        if (peek().kind == Token::Op || isWord(peek(), "LIKE")) {
            requireValue(left, leftAt);
            const Token op = take();
            const Token& rightAt = peek();
            Expr right = parsePrimary();
            requireValue(right, rightAt);
            Expr e = binary(Expr::Kind::Compare, std::move(left), std::move(right));
            if (op.kind == Token::Word) {
                e.kind = Expr::Kind::Like;
            } else if (op.text == u"=") {
                e.op = Expr::Op::Eq;
            } else if (op.text == u"<>") {
                e.op = Expr::Op::Ne;
            } else if (op.text == u"<") {
                e.op = Expr::Op::Lt;
            } else if (op.text == u"<=") {
                e.op = Expr::Op::Le;
            } else if (op.text == u">") {
                e.op = Expr::Op::Gt;
            } else {
                e.op = Expr::Op::Ge;
            }
            return e;
        }
        return left;
    }

    Expr parseField(const Token& t) const {
        const QString inner = t.text.trimmed();
        const int dot = inner.indexOf(u'.');
        if (inner.startsWith(u'@')) {
            error(t, QStringLiteral("una fórmula no puede usarse en la selección"));
        }
        if (dot <= 0 || dot == inner.size() - 1) {
            error(t, QStringLiteral("el campo {%1} no es TABLA.CAMPO").arg(t.text));
        }
        Expr e;
        e.kind = Expr::Kind::Field;
        e.field.table = inner.left(dot).trimmed();
        e.field.column = inner.mid(dot + 1).trimmed();
        return e;
    }

    int wholeNumber() {
        bool negative = false;
        if (peek().kind == Token::Minus) {
            take();
            negative = true;
        }
        const Token t = peek();
        bool ok = false;
        const int value = t.text.toInt(&ok);
        if (t.kind != Token::Number || !ok)
            error(t, QStringLiteral("se esperaba un número entero"));
        take();
        return negative ? -value : value;
    }

    Expr parseDate(const Token& word) {
        expect(Token::LParen, QStringLiteral("\"(\""));
        const int year = wholeNumber();
        expect(Token::Comma, QStringLiteral("\",\""));
        const int month = wholeNumber();
        expect(Token::Comma, QStringLiteral("\",\""));
        const int day = wholeNumber();
        expect(Token::RParen, QStringLiteral("\")\""));
        Expr e;
        e.kind = Expr::Kind::Date;
        e.date = QDate(year, month, day);
        if (!e.date.isValid()) error(word, QStringLiteral("fecha inexistente"));
        return e;
    }

    Expr parsePrimary() {
        const Token t = take();
        switch (t.kind) {
            case Token::LParen: {
                Expr inner = parseOr();
                expect(Token::RParen, QStringLiteral("\")\""));
                return inner;
            }
            case Token::Field:
                return parseField(t);
            case Token::Text: {
                Expr e;
                e.kind = Expr::Kind::Text;
                e.text = t.text;
                return e;
            }
            case Token::Minus:
            case Token::Number: {
                Token number = t;
                if (t.kind == Token::Minus) {
                    number = take();
                    if (number.kind != Token::Number)
                        error(number, QStringLiteral("se esperaba un número"));
                }
                Expr e;
                e.kind = Expr::Kind::Number;
                e.number = number.text.toDouble();
                if (t.kind == Token::Minus) e.number = -e.number;
                return e;
            }
            case Token::Word: {
                if (isWord(t, "Date")) return parseDate(t);
                Expr e;
                e.kind = Expr::Kind::Function;
                if (isWord(t, "TrimLeft")) {
                    e.function = Expr::Function::TrimLeft;
                } else if (isWord(t, "TrimRight")) {
                    e.function = Expr::Function::TrimRight;
                } else if (isWord(t, "Trim")) {
                    e.function = Expr::Function::Trim;
                } else if (isWord(t, "tonumber")) {
                    e.function = Expr::Function::ToNumber;
                } else {
                    error(t, QStringLiteral("nombre desconocido \"%1\"").arg(t.text));
                }
                expect(Token::LParen, QStringLiteral("\"(\""));
                const Token& argAt = peek();
                Expr arg = parseOr();
                requireValue(arg, argAt);
                expect(Token::RParen, QStringLiteral("\")\""));
                e.children.push_back(std::move(arg));
                return e;
            }
            case Token::End:
                error(t, QStringLiteral("la fórmula termina antes de tiempo"));
            default:
                error(t, QStringLiteral("se esperaba un campo o un valor"));
        }
    }

    QString formula_;
    QList<Token> tokens_;
    int depth_ = 0;
    int pos_ = 0;
};

void collectFields(const Expr& e, QList<FieldRef>* out) {
    if (e.kind == Expr::Kind::Field) {
        for (const FieldRef& f : *out) {
            if (f.table.compare(e.field.table, Qt::CaseInsensitive) == 0 &&
                f.column.compare(e.field.column, Qt::CaseInsensitive) == 0) {
                return;
            }
        }
        out->append(e.field);
    }
    for (const Expr& c : e.children) collectFields(c, out);
}

void bindFields(Expr& e, const std::function<int(const FieldRef&)>& slotOf) {
    if (e.kind == Expr::Kind::Field) e.slot = slotOf(e.field);
    for (Expr& c : e.children) bindFields(c, slotOf);
}

// A value during evaluation; a Date(...) literal is a calendar date, not an instant.
struct Value {
    vb::Variant v;
    QDate calendarDate;
    bool isCalendarDate() const { return calendarDate.isValid(); }
    bool isNull() const { return !isCalendarDate() && (v.isNull() || v.isEmpty()); }
};

QString plainText(const vb::Variant& v) {
    if (v.isString()) return v.string();
    if (v.isBoolean()) return v.boolean() ? QStringLiteral("1") : QStringLiteral("0");
    if (v.isNumber()) return QString::number(v.number(), 'g', 15);
    return vb::CStr(v);
}

std::optional<double> numberOf(const vb::Variant& v) {
    if (v.isBoolean()) return v.boolean() ? 1.0 : 0.0;
    if (v.isNumber()) return v.number();
    if (v.isString() && vb::IsNumeric(v)) return vb::CDbl(v);
    return std::nullopt;
}

std::optional<vb::DateTime> dateTimeOf(const vb::Variant& v) {
    if (v.isDate()) return v.date();
    if (v.isString()) return vb::parseDate(v.string());
    return std::nullopt;
}

Value evaluate(const Expr& e, const QList<vb::Variant>& row) {
    switch (e.kind) {
        case Expr::Kind::Field:
            return {e.slot >= 0 && e.slot < row.size() ? row[e.slot] : vb::Variant::null(), {}};
        case Expr::Kind::Text:
            return {vb::Variant(e.text), {}};
        case Expr::Kind::Number:
            return {vb::Variant(e.number), {}};
        case Expr::Kind::Date:
            return {vb::Variant(), e.date};
        case Expr::Kind::Function: {
            const Value arg = evaluate(e.children.front(), row);
            if (arg.isNull()) return {vb::Variant::null(), {}};
            if (e.function == Expr::Function::ToNumber) {
                if (arg.isCalendarDate()) return {vb::Variant::null(), {}};
                const auto n = numberOf(arg.v);
                return {n ? vb::Variant(*n) : vb::Variant::null(), {}};
            }
            if (arg.isCalendarDate()) return arg;
            const QString text = plainText(arg.v);
            if (e.function == Expr::Function::TrimLeft) return {vb::Variant(vb::LTrim(text)), {}};
            if (e.function == Expr::Function::TrimRight) return {vb::Variant(vb::RTrim(text)), {}};
            return {vb::Variant(vb::Trim(text)), {}};
        }
        default:
            return {};
    }
}

// -1, 0 or 1; nothing when the two values cannot be compared (a Null, a text that is not a
// number or not a date where one is needed).
std::optional<int> compareValues(const Value& a, const Value& b) {
    if (a.isNull() || b.isNull()) return std::nullopt;
    auto sign = [](auto x, auto y) { return x < y ? -1 : (y < x ? 1 : 0); };
    if (a.isCalendarDate() || b.isCalendarDate()) {
        const Value& literal = a.isCalendarDate() ? a : b;
        const Value& other = a.isCalendarDate() ? b : a;
        QDate day;
        if (other.isCalendarDate()) {
            day = other.calendarDate;
        } else {
            const auto when = dateTimeOf(other.v);
            if (!when) return std::nullopt;
            day = when->date();
        }
        const int s = sign(day, literal.calendarDate);
        return a.isCalendarDate() ? -s : s;
    }
    if (a.v.isDate() || b.v.isDate()) {
        const auto x = dateTimeOf(a.v);
        const auto y = dateTimeOf(b.v);
        if (!x || !y) return std::nullopt;
        return sign(*x, *y);
    }
    const bool aText = a.v.isString();
    const bool bText = b.v.isString();
    if (aText && bText) {
        // The database's own order, so that the rows the memory filter keeps are the ones SQL
        // would have selected.
        return tsql::compareText(a.v.string(), b.v.string());
    }
    const auto x = numberOf(a.v);
    const auto y = numberOf(b.v);
    if (!x || !y) return std::nullopt;
    return sign(*x, *y);
}

bool holds(const Expr& e, const QList<vb::Variant>& row) {
    switch (e.kind) {
        case Expr::Kind::Or:
            return std::any_of(e.children.begin(), e.children.end(),
                               [&](const Expr& c) { return holds(c, row); });
        case Expr::Kind::And:
            return std::all_of(e.children.begin(), e.children.end(),
                               [&](const Expr& c) { return holds(c, row); });
        case Expr::Kind::Not:
            return !holds(e.children[0], row);
        case Expr::Kind::Like: {
            const Value value = evaluate(e.children[0], row);
            const Value pattern = evaluate(e.children[1], row);
            if (value.isNull() || pattern.isNull() || value.isCalendarDate() ||
                pattern.isCalendarDate()) {
                return false;
            }
            return likeMatches(vb::RTrim(plainText(value.v)), plainText(pattern.v));
        }
        case Expr::Kind::Compare: {
            const auto c =
                compareValues(evaluate(e.children[0], row), evaluate(e.children[1], row));
            if (!c) return false;
            switch (e.op) {
                case Expr::Op::Eq:
                    return *c == 0;
                case Expr::Op::Ne:
                    return *c != 0;
                case Expr::Op::Lt:
                    return *c < 0;
                case Expr::Op::Le:
                    return *c <= 0;
                case Expr::Op::Gt:
                    return *c > 0;
                case Expr::Op::Ge:
                    return *c >= 0;
            }
            return false;
        }
        default:
            return false;
    }
}

}  // namespace

bool Expr::isCondition() const {
    return kind == Kind::Or || kind == Kind::And || kind == Kind::Not || kind == Kind::Compare ||
           kind == Kind::Like;
}

Selection Selection::parse(const QString& formula) {
    Selection s;
    if (formula.trimmed().isEmpty()) return s;
    Parser parser(formula);
    s.root_.push_back(parser.parseAll());
    return s;
}

QList<FieldRef> Selection::fields() const {
    QList<FieldRef> out;
    if (!isEmpty()) collectFields(root(), &out);
    return out;
}

void Selection::bind(const std::function<int(const FieldRef&)>& slotOf) {
    if (!isEmpty()) bindFields(root_.front(), slotOf);
}

bool Selection::matches(const QList<vb::Variant>& row) const {
    return isEmpty() || holds(root(), row);
}

bool likeMatches(const QString& value, const QString& pattern) {
    // Iterative wildcard match: on a mismatch after a "*", let that "*" take one more character.
    int v = 0, p = 0, starP = -1, starV = 0;
    const int nv = value.size(), np = pattern.size();
    while (v < nv) {
        if (p < np && pattern[p] == u'*') {
            starP = p++;
            starV = v;
        } else if (p < np &&
                   (pattern[p] == u'?' || pattern[p].toCaseFolded() == value[v].toCaseFolded())) {
            ++p;
            ++v;
        } else if (starP >= 0) {
            p = starP + 1;
            v = ++starV;
        } else {
            return false;
        }
    }
    while (p < np && pattern[p] == u'*') ++p;
    return p == np;
}

}  // namespace reportengine
