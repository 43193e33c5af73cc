#include "platform/reportengine/sqlcondition.h"

#include <optional>

namespace reportengine {

namespace {

struct ColumnExpr {
    QString sql;
    QString column;  // the bare column the expression reads
    ColumnKind kind = ColumnKind::Other;
};

Expr::Op flipped(Expr::Op op) {
    switch (op) {
        case Expr::Op::Lt:
            return Expr::Op::Gt;
        case Expr::Op::Le:
            return Expr::Op::Ge;
        case Expr::Op::Gt:
            return Expr::Op::Lt;
        case Expr::Op::Ge:
            return Expr::Op::Le;
        default:
            return op;
    }
}

QString opText(Expr::Op op) {
    switch (op) {
        case Expr::Op::Eq:
            return QStringLiteral("=");
        case Expr::Op::Ne:
            return QStringLiteral("<>");
        case Expr::Op::Lt:
            return QStringLiteral("<");
        case Expr::Op::Le:
            return QStringLiteral("<=");
        case Expr::Op::Gt:
            return QStringLiteral(">");
        case Expr::Op::Ge:
            return QStringLiteral(">=");
    }
    return {};
}

bool isLiteral(const Expr& e) {
    return e.kind == Expr::Kind::Text || e.kind == Expr::Kind::Number ||
           e.kind == Expr::Kind::Date;
}

// "*" and "?" become "%" and "_"; the characters LIKE would read as wildcards or classes are
// escaped with "\".
QString sqlLikePattern(const QString& pattern) {
    QString out;
    for (QChar c : pattern) {
        if (c == u'*') {
            out += u'%';
        } else if (c == u'?') {
            out += u'_';
        } else if (c == u'%' || c == u'_' || c == u'[' || c == u'\\') {
            out += u'\\';
            out += c;
        } else {
            out += c;
        }
    }
    return out;
}

class Translator {
public:
    explicit Translator(const std::function<Column(const FieldRef&)>& columnOf)
        : columnOf_(columnOf) {}

    // The SQL of a condition, its parameters appended to `params`; nothing (and `params`
    // untouched) when some part of it cannot be written in SQL.
    std::optional<QString> condition(const Expr& e, bool negated, QList<vb::Variant>* params) {
        QList<vb::Variant> local;
        std::optional<QString> sql;
        switch (e.kind) {
            case Expr::Kind::And:
            case Expr::Kind::Or: {
                // Terms of a chain, grouped from the left as the formula reads.
                const QString word =
                    e.kind == Expr::Kind::And ? QStringLiteral("AND") : QStringLiteral("OR");
                sql = condition(e.children[0], negated, &local);
                for (size_t i = 1; sql && i < e.children.size(); ++i) {
                    const auto b = condition(e.children[i], negated, &local);
                    sql = b ? std::optional<QString>(
                                  QStringLiteral("(%1 %2 %3)").arg(*sql, word, *b))
                            : std::nullopt;
                }
                break;
            }
            case Expr::Kind::Not: {
                const auto a = condition(e.children[0], !negated, &local);
                if (a) sql = QStringLiteral("NOT %1").arg(*a);
                break;
            }
            case Expr::Kind::Compare:
                sql = comparison(e, negated, &local);
                break;
            case Expr::Kind::Like:
                sql = like(e, negated, &local);
                break;
            default:
                break;
        }
        if (sql) params->append(local);
        return sql;
    }

private:
    std::optional<ColumnExpr> columnExpr(const Expr& e) const {
        if (e.kind == Expr::Kind::Field) {
            const Column c = columnOf_(e.field);
            if (c.name.isEmpty()) return std::nullopt;
            return ColumnExpr{quoteName(c.name), quoteName(c.name), c.kind};
        }
        if (e.kind != Expr::Kind::Function) return std::nullopt;
        auto inner = columnExpr(e.children.front());
        if (!inner) return std::nullopt;
        switch (e.function) {
            case Expr::Function::ToNumber:
                // Only a number column: converting text is left to the memory filter, which
                // treats a text that is not a number as no match.
                if (inner->kind != ColumnKind::Number) return std::nullopt;
                return inner;
            case Expr::Function::TrimLeft:
            case Expr::Function::TrimRight:
            case Expr::Function::Trim:
                if (inner->kind != ColumnKind::Text) return std::nullopt;
                if (e.function == Expr::Function::TrimLeft) {
                    inner->sql = QStringLiteral("LTRIM(%1)").arg(inner->sql);
                } else if (e.function == Expr::Function::TrimRight) {
                    inner->sql = QStringLiteral("RTRIM(%1)").arg(inner->sql);
                } else {
                    inner->sql = QStringLiteral("LTRIM(RTRIM(%1))").arg(inner->sql);
                }
                return inner;
        }
        return std::nullopt;
    }

    // SQL's comparison with a Null is unknown, and NOT unknown is unknown; the formula's is
    // false, and NOT false is true. Under a NOT the Null case is spelled out.
    static QString guarded(const ColumnExpr& c, const QString& sql, bool negated) {
        if (!negated) return sql;
        return QStringLiteral("(%1 IS NOT NULL AND %2)").arg(c.column, sql);
    }

    std::optional<QString> comparison(const Expr& e, bool negated, QList<vb::Variant>* params) {
        const Expr* columnSide = &e.children[0];
        const Expr* literal = &e.children[1];
        Expr::Op op = e.op;
        if (isLiteral(*columnSide) && !isLiteral(*literal)) {
            std::swap(columnSide, literal);
            op = flipped(op);
        }
        if (!isLiteral(*literal)) return std::nullopt;
        const auto c = columnExpr(*columnSide);
        if (!c) return std::nullopt;

        if (c->kind == ColumnKind::Text && literal->kind == Expr::Kind::Text) {
            params->append(vb::Variant(literal->text));
            return guarded(*c, QStringLiteral("%1 %2 ?").arg(c->sql, opText(op)), negated);
        }
        if (c->kind == ColumnKind::Number && literal->kind == Expr::Kind::Number) {
            params->append(vb::Variant(literal->number));
            return guarded(*c, QStringLiteral("%1 %2 ?").arg(c->sql, opText(op)), negated);
        }
        if (c->kind == ColumnKind::Date && literal->kind == Expr::Kind::Date &&
            columnSide->kind == Expr::Kind::Field) {
            // A calendar date against a date-time: the day is [start, next start).
            const QDate start = literal->date, next = literal->date.addDays(1);
            QString sql;
            switch (op) {
                case Expr::Op::Eq: {
                    // One after the other: the parameters go in the order of the text.
                    const QString from = dayBound(*c, false, start, params);
                    sql =
                        QStringLiteral("(%1 AND %2)").arg(from, dayBound(*c, true, next, params));
                    break;
                }
                case Expr::Op::Ne: {
                    const QString before = dayBound(*c, true, start, params);
                    sql = QStringLiteral("(%1 OR %2)")
                              .arg(before, dayBound(*c, false, next, params));
                    break;
                }
                case Expr::Op::Lt:
                    sql = dayBound(*c, true, start, params);
                    break;
                case Expr::Op::Le:
                    sql = dayBound(*c, true, next, params);
                    break;
                case Expr::Op::Gt:
                    sql = dayBound(*c, false, next, params);
                    break;
                case Expr::Op::Ge:
                    sql = dayBound(*c, false, start, params);
                    break;
            }
            return guarded(*c, sql, negated);
        }
        return std::nullopt;
    }

    // The column before the first moment of `day` (`below`), or at or after it. A datetime
    // holds the days from 1753-01-01 to 9999-12-31: a day outside them (the one after the
    // last, above all) is no value to bind, and is before or after every value the column has.
    static QString dayBound(const ColumnExpr& c, bool below, const QDate& day,
                            QList<vb::Variant>* params) {
        static const QDate first(1753, 1, 1), last(9999, 12, 31);
        const QString none = QStringLiteral("1 = 0");
        const QString any = QStringLiteral("%1 IS NOT NULL").arg(c.sql);
        if (day < first) return below ? none : any;
        if (day > last) return below ? any : none;
        params->append(vb::Variant(day));
        return QStringLiteral("%1 %2 ?").arg(c.sql,
                                             below ? QStringLiteral("<") : QStringLiteral(">="));
    }

    std::optional<QString> like(const Expr& e, bool negated, QList<vb::Variant>* params) {
        const Expr& pattern = e.children[1];
        // Every engine's LIKE folds the case of every letter (the embedded one's too), as the
        // memory filter does.
        if (pattern.kind != Expr::Kind::Text) return std::nullopt;
        const auto c = columnExpr(e.children[0]);
        if (!c || c->kind != ColumnKind::Text) return std::nullopt;
        params->append(vb::Variant(sqlLikePattern(pattern.text)));
        // SQL Server's LIKE ignores the value's trailing blanks; RTRIM makes every engine do so.
        return guarded(*c, QStringLiteral("RTRIM(%1) LIKE ? ESCAPE '\\'").arg(c->sql), negated);
    }

    const std::function<Column(const FieldRef&)>& columnOf_;
};

void conjuncts(const Expr& e, std::vector<const Expr*>* out) {
    if (e.kind == Expr::Kind::And) {
        for (const Expr& c : e.children) conjuncts(c, out);
    } else {
        out->push_back(&e);
    }
}

}  // namespace

QString quoteName(const QString& name) {
    QString escaped = name;
    escaped.replace(u']', QStringLiteral("]]"));
    return u'[' + escaped + u']';
}

QString quoteTable(const QString& table) {
    QStringList parts;
    for (const QString& part : table.split(u'.')) parts.append(quoteName(part.trimmed()));
    return parts.join(u'.');
}

SqlCondition toSqlCondition(const Selection& selection,
                            const std::function<Column(const FieldRef&)>& columnOf) {
    SqlCondition out;
    if (selection.isEmpty()) return out;
    Translator translator(columnOf);
    std::vector<const Expr*> terms;
    conjuncts(selection.root(), &terms);
    QStringList pushed;
    for (const Expr* term : terms) {
        if (auto sql = translator.condition(*term, false, &out.parameters)) {
            pushed.append(*sql);
        } else {
            out.complete = false;
        }
    }
    out.text = pushed.join(QStringLiteral(" AND "));
    return out;
}

}  // namespace reportengine
