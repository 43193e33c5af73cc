#include "platform/ado/tsql/translator.h"

#include "platform/ado/tsql/storage.h"
#include "platform/ado/tsql/tokens.h"

#include <QHash>

#include <sqlite3.h>

#include <algorithm>
#include <optional>

namespace tsql {

namespace {

using K = Token::Kind;

bool isName(const Token& t) {
    return t.is(K::Word) || t.is(K::Quoted);
}

// A bound parameter: "?", or "?N" once the statement's parameters are numbered.
bool isParameter(const Token& t) {
    return t.is(K::Other) && t.text.startsWith(u'?');
}

// The name without its brackets or double quotes.
QString bareName(const Token& t) {
    if (t.is(K::Quoted) && t.text.size() >= 2) {
        const QChar close = t.text.front() == u'[' ? u']' : u'"';
        return t.text.mid(1, t.text.size() - 2).replace(QString(2, close), QString(close));
    }
    return t.text;
}

// The index of the last token of a possibly qualified name starting at `i` (a.b.c).
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

// Index of the parenthesis that opens the one closed at `close` (-1 when unbalanced).
qsizetype matchingOpen(const Tokens& t, qsizetype close) {
    int depth = 0;
    for (qsizetype i = close; i >= 0; --i) {
        if (t[i].is(K::Close)) ++depth;
        if (t[i].is(K::Open) && --depth == 0) return i;
    }
    return -1;
}

// Index of the CASE that the END at `end` closes (-1 when there is none).
qsizetype matchingCase(const Tokens& t, qsizetype end) {
    int nested = 0;
    for (qsizetype i = end - 1; i >= 0; --i) {
        if (t[i].isWord(u"END")) ++nested;
        if (t[i].isWord(u"CASE") && nested-- == 0) return i;
    }
    return -1;
}

// Index of the END that closes the CASE at `start` (the end of the tokens when none does).
qsizetype matchingEnd(const Tokens& t, qsizetype start) {
    int nested = 0;
    for (qsizetype i = start + 1; i < t.size(); ++i) {
        if (t[i].isWord(u"CASE")) ++nested;
        if (t[i].isWord(u"END") && nested-- == 0) return i;
    }
    return t.size();
}

// Whether the word before a parenthesis names a function called with it, rather than being a
// keyword the parenthesised expression follows.
bool namesFunction(const Token& word) {
    return word.is(K::Word) &&
           !isAnyWord(word, {u"SELECT", u"WHERE", u"AND", u"OR", u"NOT", u"ON", u"WHEN", u"THEN",
                             u"ELSE", u"SET", u"RETURN", u"DISTINCT", u"HAVING"});
}

// Returns how many tokens went in.
qsizetype insertTokens(Tokens& t, qsizetype at, const Tokens& add) {
    // One move of the tokens after `at`, whatever the number put in.
    t.insert(at, add.size(), Token{});
    std::copy(add.cbegin(), add.cend(), t.begin() + at);
    return add.size();
}

qsizetype insertText(Tokens& t, qsizetype at, const QString& text) {
    return insertTokens(t, at, tokenize(text));
}

// Where text appended to the statement goes: before its trailing blanks and semicolons.
qsizetype statementEnd(const Tokens& t) {
    qsizetype end = t.size();
    while (end > 0 && (t[end - 1].isBlank() || t[end - 1].is(K::Semicolon))) --end;
    return end;
}

bool isTextType(const QString& type) {
    static const QStringView types[] = {u"CHAR", u"VARCHAR", u"NCHAR",   u"NVARCHAR",
                                        u"TEXT", u"NTEXT",   u"SYSNAME", u"CHARACTER"};
    for (QStringView w : types) {
        if (type.compare(w, Qt::CaseInsensitive) == 0) return true;
    }
    return false;
}

enum class Operand { None, Text, Number, Date, Name, Unknown };

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
    if (isAnyWord(f, {u"GETDATE", u"TSQL_DATETIME", u"TSQL_DATEADD", u"TSQL_DATESUB", u"DATEADD"}))
        return Operand::Date;
    if (isAnyWord(f, {u"DATEPART"})) return Operand::Number;
    return Operand::Unknown;
}

// The AS of CAST(x AS type), whose parenthesis opens at `open`: the first outside any
// parenthesis inside it (-1 when there is none).
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

// The type a conversion named at `f`, whose parenthesis opens at `open`, converts to: of
// CONVERT(type, ...), CAST(... AS type) or, once translated, tsql_convert('type', ...); a null
// text for any other call.
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

// The tokens of the call a value written into `column` goes through, up to its value: a
// date's makes the stored form of a date-time; any other type SQL Server converts into takes
// the value as SQL Server converts it, or refuses it with its error (tsql_store). None when
// the value goes in as it is.
Tokens storingCall(const Column* column) {
    if (!column) return {};
    // Every INSERT and UPDATE asks: the few types a database declares are read once.
    thread_local QHash<QString, Tokens> known;
    const QString& declared = column->declaredType;
    if (const auto it = known.constFind(declared); it != known.constEnd()) return *it;
    // A text of no set length takes any text, and any number as its text.
    const StorageType type = storageType(declared);
    const bool checked = type.kind != StorageType::Kind::Unchecked &&
                         !(type.kind == StorageType::Kind::Text && type.length == 0);
    QString call;
    if (operandOfType(declared) == Operand::Date) {
        call = QStringLiteral("tsql_datetime(");
    } else if (checked) {
        call = QStringLiteral("tsql_store('") +
               QString(declared).replace(u'\'', QStringLiteral("''")) + QStringLiteral("', ");
    }
    if (known.size() >= 256) known.clear();
    return *known.insert(declared, tokenize(call));
}

class Rewriter {
public:
    Rewriter(const QString& text, const ColumnLookup& columns)
        : t_(tokenize(text)), columns_(columns) {}

    QString run() {
        numberParameters();
        dropPrefixes();
        rewriteIfExists();
        rewriteTableDefinition();
        dropTableHints();
        completeInsert();
        completeDelete();
        storeValues();
        dateArithmetic();
        joinTexts();
        collateLiterals();
        rewriteFunctions();
        rewriteTop();
        plainComments();
        return join(t_);
    }

private:
    // SQLite neither nests block comments nor ends a line comment at a lone carriage return:
    // such a comment goes as a blank, so that nothing SQL Server reads as comment runs.
    void plainComments() {
        for (qsizetype i = 0; i < t_.size(); ++i)
            if (isAmbiguousComment(t_, i)) t_[i].text = QStringLiteral(" ");
    }

    qsizetype first() const { return nextSignificant(t_, 0); }
    bool startsWith(QStringView word) const {
        const qsizetype i = first();
        return i < t_.size() && t_[i].isWord(word);
    }

    QList<Column> columnsOf(const QString& table) {
        if (!columns_) return {};
        const QString key = table.toUpper();
        auto it = cache_.constFind(key);
        if (it != cache_.constEnd()) return *it;
        const QList<Column> cols = columns_(table);
        cache_.insert(key, cols);
        return cols;
    }

    // N'text' is a plain literal; dbo. names the only schema there is.
    void dropPrefixes() {
        for (qsizetype i = 0; i + 1 < t_.size(); ++i) {
            if (t_[i].isWord(u"N") && t_[i + 1].is(K::String)) {
                t_.remove(i);
            } else if ((t_[i].isWord(u"dbo") ||
                        (t_[i].is(K::Quoted) &&
                         bareName(t_[i]).compare(u"dbo", Qt::CaseInsensitive) == 0)) &&
                       t_[i + 1].is(K::Dot)) {
                t_.remove(i, 2);
                --i;
            }
        }
    }

    // IF [NOT] EXISTS (q) INSERT ... becomes one guarded INSERT ... SELECT ... WHERE [NOT] EXISTS
    // (q), so the test and the insert run as one statement.
    void rewriteIfExists() {
        const qsizetype i = first();
        if (i >= t_.size() || !t_[i].isWord(u"IF")) return;
        qsizetype j = nextSignificant(t_, i + 1);
        const bool negated = j < t_.size() && t_[j].isWord(u"NOT");
        if (negated) j = nextSignificant(t_, j + 1);
        if (j >= t_.size() || !t_[j].isWord(u"EXISTS")) return;
        const qsizetype open = nextSignificant(t_, j + 1);
        if (open >= t_.size() || !t_[open].is(K::Open)) return;
        const qsizetype close = matchingClose(t_, open);
        if (close >= t_.size()) return;
        const QString condition =
            (negated ? QStringLiteral("NOT ") : QString()) + join(t_, j, close + 1);

        const qsizetype insert = nextSignificant(t_, close + 1);
        if (insert >= t_.size() || !t_[insert].isWord(u"INSERT")) return;
        qsizetype k = nextSignificant(t_, insert + 1);
        if (k < t_.size() && t_[k].isWord(u"INTO")) k = nextSignificant(t_, k + 1);
        if (k >= t_.size() || !isName(t_[k])) return;
        k = nextSignificant(t_, nameEnd(t_, k) + 1);
        if (k < t_.size() && t_[k].is(K::Open)) {
            k = nextSignificant(t_, matchingClose(t_, k) + 1);
        }
        if (k >= t_.size()) return;
        const qsizetype end = statementEnd(t_);
        const QString target = join(t_, insert, k);
        QString text;
        if (t_[k].isWord(u"VALUES")) {
            const qsizetype v = nextSignificant(t_, k + 1);
            if (v >= t_.size() || !t_[v].is(K::Open)) return;
            const qsizetype vc = matchingClose(t_, v);
            if (vc >= t_.size() || nextSignificant(t_, vc + 1) < end) return;
            text = target + QStringLiteral("SELECT ") + join(t_, v + 1, vc) +
                   QStringLiteral(" WHERE ") + condition;
        } else if (t_[k].isWord(u"SELECT")) {
            text = target + QStringLiteral("SELECT * FROM (") + join(t_, k, end) +
                   QStringLiteral(") WHERE ") + condition;
        } else {
            return;
        }
        t_ = tokenize(text);
    }

    // CREATE TABLE and ALTER TABLE ... ADD: SQL Server column types made SQLite's.
    void rewriteTableDefinition() {
        const qsizetype i = first();
        if (i >= t_.size()) return;
        const qsizetype j = nextSignificant(t_, i + 1);
        if (j >= t_.size() || !t_[j].isWord(u"TABLE")) return;
        const qsizetype name = nextSignificant(t_, j + 1);
        if (name >= t_.size() || !isName(t_[name])) return;
        const qsizetype after = nextSignificant(t_, nameEnd(t_, name) + 1);
        if (after >= t_.size()) return;
        if (t_[i].isWord(u"CREATE") && t_[after].is(K::Open)) {
            const qsizetype close = matchingClose(t_, after);
            if (close < t_.size()) rewriteItems(after + 1, close, true);
        } else if (t_[i].isWord(u"ALTER") && t_[after].isWord(u"ADD")) {
            rewriteItems(after + 1, statementEnd(t_), false);
        }
    }

    // The comma-separated column definitions and constraints in [from, to).
    void rewriteItems(qsizetype from, qsizetype to, bool constraintsAllowed) {
        QList<std::pair<qsizetype, qsizetype>> items;
        int depth = 0;
        qsizetype start = from;
        for (qsizetype k = from; k < to; ++k) {
            if (t_[k].is(K::Open)) ++depth;
            if (t_[k].is(K::Close)) --depth;
            if (depth == 0 && t_[k].is(K::Comma)) {
                items.append({start, k});
                start = k + 1;
            }
        }
        items.append({start, to});
        // Back to front, so the positions of the earlier items stay valid.
        for (auto it = items.crbegin(); it != items.crend(); ++it) {
            Tokens item = t_.mid(it->first, it->second - it->first);
            const qsizetype f = nextSignificant(item, 0);
            if (f >= item.size()) continue;
            const bool constraint = isAnyWord(
                item[f], {u"CONSTRAINT", u"PRIMARY", u"UNIQUE", u"CHECK", u"FOREIGN", u"INDEX"});
            if (constraint) {
                if (!constraintsAllowed) continue;
                removeWords(item, {u"CLUSTERED", u"NONCLUSTERED"});
            } else {
                item = rewriteColumn(item);
            }
            t_.remove(it->first, it->second - it->first);
            for (qsizetype k = 0; k < item.size(); ++k) t_.insert(it->first + k, item[k]);
        }
    }

    static void removeWords(Tokens& t, std::initializer_list<QStringView> words) {
        for (qsizetype k = t.size() - 1; k >= 0; --k) {
            if (isAnyWord(t[k], words)) t.remove(k);
        }
    }

    static Tokens rewriteColumn(const Tokens& item) {
        const qsizetype name = nextSignificant(item, 0);
        const qsizetype type = nextSignificant(item, name + 1);
        if (type >= item.size() || !item[type].is(K::Word)) return item;
        Tokens typeTokens{item[type]};
        qsizetype typeEnd = type;
        bool max = false;
        const qsizetype open = nextSignificant(item, type + 1);
        if (open < item.size() && item[open].is(K::Open)) {
            typeEnd = matchingClose(item, open);
            if (typeEnd >= item.size()) return item;
            const qsizetype inner = nextSignificant(item, open + 1);
            max = item[inner].isWord(u"MAX");
            if (!max) typeTokens = item.mid(type, typeEnd - type + 1);
        }
        Tokens rest = item.mid(typeEnd + 1);

        bool identity = false;
        for (qsizetype k = 0; k < rest.size(); ++k) {
            if (!rest[k].isWord(u"IDENTITY")) continue;
            identity = true;
            qsizetype last = k;
            const qsizetype args = nextSignificant(rest, k + 1);
            if (args < rest.size() && rest[args].is(K::Open)) last = matchingClose(rest, args);
            rest.remove(k, qMin(last, rest.size() - 1) - k + 1);
            break;
        }
        bool collate = false;
        for (qsizetype k = 0; k < rest.size(); ++k) {
            if (!rest[k].isWord(u"COLLATE")) continue;
            collate = true;
            const qsizetype c = nextSignificant(rest, k + 1);
            if (c >= rest.size()) break;
            const QString wanted = bareName(rest[c]);
            // SQL Server's case-insensitive collations compare as SSCI; the rest as bytes.
            if (wanted.compare(u"SSCI", Qt::CaseInsensitive) != 0 &&
                wanted.compare(u"NOCASE", Qt::CaseInsensitive) != 0 &&
                wanted.compare(u"RTRIM", Qt::CaseInsensitive) != 0) {
                rest[c] = Token{K::Word, wanted.contains(u"_CI", Qt::CaseInsensitive)
                                             ? QStringLiteral("SSCI")
                                             : QStringLiteral("BINARY")};
            }
        }
        removeWords(rest, {u"CLUSTERED", u"NONCLUSTERED"});

        if (identity) {
            // The engine fills only an INTEGER PRIMARY KEY by itself.
            for (qsizetype k = 0; k + 1 < rest.size(); ++k) {
                const qsizetype key = nextSignificant(rest, k + 1);
                if (rest[k].isWord(u"PRIMARY") && key < rest.size() && rest[key].isWord(u"KEY")) {
                    rest.remove(k, key - k + 1);
                    break;
                }
            }
            typeTokens = tokenize(QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT"));
        } else if (max) {
            // SQLite takes no MAX; the size is the one SQL Server reports for such a column.
            typeTokens = Tokens{item[type]} + tokenize(QStringLiteral("(2147483647)"));
        }
        if (!identity && isTextType(item[type].text) && !collate) {
            typeTokens += tokenize(QStringLiteral(" COLLATE SSCI"));
        }
        return item.mid(0, type) + typeTokens + rest;
    }

    // WITH (NOLOCK) and its kin: the engine reads one connection's data either way.
    void dropTableHints() {
        for (qsizetype i = 0; i < t_.size(); ++i) {
            if (!t_[i].isWord(u"WITH")) continue;
            const qsizetype open = nextSignificant(t_, i + 1);
            if (open >= t_.size() || !t_[open].is(K::Open)) continue;
            const qsizetype close = matchingClose(t_, open);
            if (close >= t_.size()) continue;
            bool hints = true;
            for (qsizetype k = open + 1; k < close && hints; ++k) {
                hints = t_[k].isBlank() || t_[k].is(K::Comma) ||
                        isAnyWord(t_[k], {u"NOLOCK", u"READUNCOMMITTED", u"ROWLOCK", u"UPDLOCK",
                                          u"HOLDLOCK", u"READPAST", u"NOWAIT"});
            }
            if (!hints || nextSignificant(t_, open + 1) == close) continue;
            qsizetype from = i;
            const bool spaceFollows = close + 1 >= t_.size() || t_[close + 1].isBlank();
            if (spaceFollows && from > 0 && t_[from - 1].is(K::Space)) --from;
            t_.remove(from, close - from + 1);
            i = from - 1;
        }
    }

    // How many items the SELECT at `select` lists before its FROM; -1 for "*".
    qsizetype selectItemCount(qsizetype select) const {
        qsizetype k = nextSignificant(t_, select + 1);
        if (k < t_.size() && (t_[k].isWord(u"ALL") || t_[k].isWord(u"DISTINCT"))) {
            k = nextSignificant(t_, k + 1);
        }
        if (k < t_.size() && t_[k].isWord(u"TOP")) {
            k = nextSignificant(t_, k + 1);
            if (k < t_.size() && t_[k].is(K::Open)) k = matchingClose(t_, k);
            k = nextSignificant(t_, k + 1);
            if (k < t_.size() && t_[k].isWord(u"PERCENT")) k = nextSignificant(t_, k + 1);
        }
        if (k < t_.size() && t_[k].is(K::Operator) && t_[k].text == u"*") return -1;
        qsizetype count = 1;
        int depth = 0;
        for (; k < t_.size(); ++k) {
            if (t_[k].is(K::Open)) ++depth;
            if (t_[k].is(K::Close) && --depth < 0) break;
            if (depth > 0) continue;
            if (t_[k].is(K::Comma)) ++count;
            if (isAnyWord(t_[k], {u"FROM", u"WHERE", u"GROUP", u"ORDER", u"UNION"})) break;
        }
        return count;
    }

    // INSERT [INTO] t SELECT/VALUES without a column list: as on SQL Server the values go to the
    // columns after the identity, in order.
    void completeInsert() {
        const qsizetype i = first();
        if (i >= t_.size() || !t_[i].isWord(u"INSERT")) return;
        qsizetype name = nextSignificant(t_, i + 1);
        if (name >= t_.size()) return;
        if (!t_[name].isWord(u"INTO")) {
            insertText(t_, name, QStringLiteral("INTO "));
            name += 2;
        } else {
            name = nextSignificant(t_, name + 1);
        }
        if (name >= t_.size() || !isName(t_[name])) return;
        const qsizetype last = nameEnd(t_, name);
        const qsizetype k = nextSignificant(t_, last + 1);
        if (k >= t_.size() || !(t_[k].isWord(u"SELECT") || t_[k].isWord(u"VALUES"))) return;

        const QList<Column> columns = columnsOf(bareName(t_[last]));
        if (columns.isEmpty()) return;
        QStringList targets;
        for (const Column& c : columns) {
            if (!c.identity) targets.append(c.name);
        }
        qsizetype count = -1;
        if (t_[k].isWord(u"SELECT")) {
            count = selectItemCount(k);
        } else {
            const qsizetype open = nextSignificant(t_, k + 1);
            if (open >= t_.size() || !t_[open].is(K::Open)) return;
            count = 1;
            int depth = 0;
            for (qsizetype v = open; v < t_.size(); ++v) {
                if (t_[v].is(K::Open)) ++depth;
                if (t_[v].is(K::Close) && --depth == 0) break;
                if (depth == 1 && t_[v].is(K::Comma)) ++count;
            }
        }
        if (count < 0) count = targets.size();
        if (count > targets.size()) return;   // the engine reports the mismatch
        if (count == columns.size()) return;  // no identity to skip: the text is right as it is
        QStringList list;
        for (qsizetype c = 0; c < count; ++c) {
            list.append(QLatin1Char('[') + targets[c] + QLatin1Char(']'));
        }
        insertText(t_, last + 1, QStringLiteral(" (") + list.join(QStringLiteral(", ")) + u')');
    }

    // DELETE t WHERE ...: SQLite wants the FROM.
    void completeDelete() {
        const qsizetype i = first();
        if (i >= t_.size() || !t_[i].isWord(u"DELETE")) return;
        const qsizetype k = nextSignificant(t_, i + 1);
        if (k >= t_.size() || !isName(t_[k]) || t_[k].isWord(u"FROM") || t_[k].isWord(u"TOP")) {
            return;
        }
        insertText(t_, k, QStringLiteral("FROM "));
    }

    // The tables and views the statement names after FROM, JOIN, UPDATE and INTO.
    QStringList referencedObjects() const {
        QStringList names;
        for (qsizetype i = 0; i < t_.size(); ++i) {
            if (!isAnyWord(t_[i], {u"FROM", u"JOIN", u"UPDATE", u"INTO"})) continue;
            const qsizetype n = nextSignificant(t_, i + 1);
            if (n < t_.size() && isName(t_[n])) names.append(bareName(t_[nameEnd(t_, n)]));
        }
        return names;
    }

    // The first object the statement names that has the column `name`, and that column.
    std::optional<std::pair<QString, Column>> findColumn(const QString& name) {
        for (const QString& object : referencedObjects()) {
            for (const Column& c : columnsOf(object)) {
                if (c.name.compare(name, Qt::CaseInsensitive) == 0) return std::pair{object, c};
            }
        }
        return std::nullopt;
    }

    Operand operandOfName(const QString& name) {
        const auto found = findColumn(name);
        return found ? operandOfType(found->second.declaredType) : Operand::Name;
    }

    // What a call of the function named at `f`, whose parenthesis opens at `open`, gives.
    Operand operandOfCall(qsizetype f, qsizetype open) {
        const QString type = convertedType(t_, f, open);
        if (!type.isNull()) return operandOfType(type);
        // These give one of their arguments' values.
        if (isAnyWord(t_[f], {u"MAX", u"MIN", u"ISNULL", u"IFNULL", u"COALESCE", u"NULLIF"}))
            return dateIfAnyOf(valueEnds(open));
        return operandOfFunction(t_[f]);
    }

    // Where the values of the arguments of the parenthesis at `open` end (each just before a
    // comma or the closing parenthesis).
    QList<qsizetype> valueEnds(qsizetype open) const {
        QList<qsizetype> ends;
        const qsizetype close = matchingClose(t_, open);
        int depth = 0;
        for (qsizetype k = open + 1; k < t_.size() && k <= close; ++k) {
            if (t_[k].is(K::Open)) ++depth;
            if (t_[k].is(K::Close) && k < close) --depth;
            if (depth == 0 && (k == close || t_[k].is(K::Comma))) ends.append(k);
        }
        return ends;
    }

    // The values a CASE closed at `end` may give: its THEN and ELSE results.
    QList<qsizetype> resultEnds(qsizetype end) const {
        QList<qsizetype> ends;
        const qsizetype start = matchingCase(t_, end);
        if (start < 0) return ends;
        int depth = 0;
        int nested = 0;
        bool firstWhen = true;
        for (qsizetype k = start + 1; k <= end; ++k) {
            const Token& t = t_[k];
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

    // A date when one of the values that end before `ends` is a date (a datetime outranks
    // numbers and texts in SQL Server's types); what else they are is left open.
    Operand dateIfAnyOf(const QList<qsizetype>& ends) {
        for (qsizetype e : ends) {
            if (leftOperand(e) == Operand::Date) return Operand::Date;
        }
        return Operand::Unknown;
    }

    Operand leftOperand(qsizetype plus) {
        const qsizetype l = previousSignificant(t_, plus - 1);
        if (l < 0) return Operand::None;
        const Token& t = t_[l];
        if (t.is(K::String)) return Operand::Text;
        if (t.is(K::Number)) return Operand::Number;
        if (t.isWord(u"NULL")) return Operand::Unknown;
        if (t.isWord(u"END")) return dateIfAnyOf(resultEnds(l));
        if (isName(t)) return operandOfName(bareName(t));
        if (t.is(K::Close)) {
            const qsizetype open = matchingOpen(t_, l);
            if (open < 0) return Operand::Unknown;
            const qsizetype f = open > 0 ? previousSignificant(t_, open - 1) : -1;
            if (f >= 0 && namesFunction(t_[f])) return operandOfCall(f, open);
            return dateIfAnyOf({l});
        }
        return Operand::None;
    }

    Operand rightOperand(qsizetype plus) {
        qsizetype r = nextSignificant(t_, plus + 1);
        if (r >= t_.size()) return Operand::None;
        if (t_[r].is(K::String)) return Operand::Text;
        if (t_[r].is(K::Number)) return Operand::Number;
        if (t_[r].is(K::Open)) {
            const qsizetype close = matchingClose(t_, r);
            return close < t_.size() ? dateIfAnyOf({close}) : Operand::Unknown;
        }
        if (t_[r].isWord(u"CASE")) {
            const qsizetype end = matchingEnd(t_, r);
            return end < t_.size() ? dateIfAnyOf(resultEnds(end)) : Operand::Unknown;
        }
        if (t_[r].isWord(u"NULL")) return Operand::Unknown;
        if (!isName(t_[r])) return Operand::None;
        r = nameEnd(t_, r);
        const qsizetype after = nextSignificant(t_, r + 1);
        if (after < t_.size() && t_[after].is(K::Open)) return operandOfCall(r, after);
        return operandOfName(bareName(t_[r]));
    }

    // SQL Server joins texts with "+"; SQLite would add them as numbers.
    void joinTexts() {
        for (qsizetype i = 0; i < t_.size(); ++i) {
            if (!t_[i].is(K::Operator) || t_[i].text != u"+") continue;
            const Operand l = leftOperand(i);
            const Operand r = rightOperand(i);
            if (l == Operand::None || r == Operand::None) continue;
            if (l == Operand::Number || r == Operand::Number) continue;
            if (l == Operand::Date || r == Operand::Date) continue;
            if (l == Operand::Text || r == Operand::Text ||
                (l == Operand::Name && r == Operand::Name)) {
                t_[i].text = QStringLiteral("||");
            }
        }
    }

    // Wraps the tokens [from, to] in the tokens of `call` ... ); returns how many tokens they
    // became.
    qsizetype wrap(qsizetype from, qsizetype to, const Tokens& call) {
        static const Tokens close{Token{K::Close, QStringLiteral(")")}};
        insertTokens(t_, to + 1, close);
        insertTokens(t_, from, call);
        return to - from + 2 + call.size();
    }

    // Wraps the tokens [from, to] in tsql_datetime( ... ); returns how many tokens they became.
    qsizetype wrapDate(qsizetype from, qsizetype to) {
        static const Tokens call = tokenize(QStringLiteral("tsql_datetime("));
        return wrap(from, to, call);
    }

    // The value [v, end] written through the storing call `call`; the index of the value's last
    // token afterwards. Null goes in as it is.
    qsizetype storeValue(const Tokens& call, qsizetype v, qsizetype end) {
        if (call.isEmpty() || t_[v].isWord(u"NULL") || t_[v].isWord(u"DEFAULT")) return end;
        return v + wrap(v, end, call) - 1;
    }

    // The last token of the expression that starts at `i`: a literal, a parameter, a (qualified)
    // name, a call, a parenthesised group, or a signed number.
    qsizetype primaryEnd(qsizetype i) const {
        if (i >= t_.size()) return -1;
        const Token& t = t_[i];
        if (t.is(K::Operator) && (t.text == u"-" || t.text == u"+")) {
            const qsizetype n = nextSignificant(t_, i + 1);
            return n < t_.size() && t_[n].is(K::Number) ? n : -1;
        }
        if (t.is(K::Open)) {
            const qsizetype close = matchingClose(t_, i);
            return close < t_.size() ? close : -1;
        }
        if (t.is(K::String) || t.is(K::Number) || t.is(K::Variable) || isParameter(t)) {
            return i;
        }
        if (t.isWord(u"CASE")) {
            const qsizetype end = matchingEnd(t_, i);
            return end < t_.size() ? end : -1;
        }
        if (!isName(t)) return -1;
        const qsizetype end = nameEnd(t_, i);
        const qsizetype open = nextSignificant(t_, end + 1);
        if (open < t_.size() && t_[open].is(K::Open)) {
            const qsizetype close = matchingClose(t_, open);
            return close < t_.size() ? close : -1;
        }
        return end;
    }

    // The first token of the expression that ends at `i`: a (qualified) name or a call.
    qsizetype primaryStart(qsizetype i) const {
        if (i < 0) return -1;
        if (t_[i].is(K::Close)) {
            const qsizetype open = matchingOpen(t_, i);
            if (open < 0) return -1;
            const qsizetype f = previousSignificant(t_, open - 1);
            return f >= 0 && namesFunction(t_[f]) ? f : open;
        }
        if (t_[i].isWord(u"END")) return matchingCase(t_, i);
        if (!isName(t_[i])) return -1;
        qsizetype start = i;
        for (;;) {
            const qsizetype dot = previousSignificant(t_, start - 1);
            if (dot < 0 || !t_[dot].is(K::Dot)) return start;
            const qsizetype part = previousSignificant(t_, dot - 1);
            if (part < 0 || !isName(t_[part])) return start;
            start = part;
        }
    }

    // Values written into a column (INSERT ... VALUES, INSERT ... SELECT, UPDATE ... SET) go
    // through its storing call: a date's in the stored form of a date-time, so do the bounds of
    // BETWEEN and the items of IN against one; any other as SQL Server converts it, or refused.
    // The column's declared type is read from the database at hand, whoever made it.
    void storeValues() {
        const qsizetype i = first();
        if (i >= t_.size()) return;
        if (t_[i].isWord(u"INSERT")) storeInsertedValues(i);
        if (t_[i].isWord(u"UPDATE")) storeUpdatedValues(i);
        for (qsizetype k = 0; k < t_.size(); ++k) {
            if (!t_[k].isWord(u"BETWEEN") && !t_[k].isWord(u"IN")) continue;
            qsizetype left = previousSignificant(t_, k - 1);
            if (left >= 0 && t_[left].isWord(u"NOT")) left = previousSignificant(t_, left - 1);
            if (left < 0 || leftOperand(left + 1) != Operand::Date) continue;
            if (const qsizetype compared = comparisonsOfColumn(left, k); compared >= 0) {
                k = compared;
                continue;
            }
            if (t_[k].isWord(u"BETWEEN")) {
                qsizetype low = nextSignificant(t_, k + 1);
                qsizetype end = primaryEnd(low);
                if (end < 0) continue;
                end = low + wrapDate(low, end) - 1;
                const qsizetype conj = nextSignificant(t_, end + 1);
                if (conj >= t_.size() || !t_[conj].isWord(u"AND")) continue;
                const qsizetype high = nextSignificant(t_, conj + 1);
                const qsizetype highEnd = primaryEnd(high);
                if (highEnd >= 0) wrapDate(high, highEnd);
            } else {
                const qsizetype open = nextSignificant(t_, k + 1);
                if (open >= t_.size() || !t_[open].is(K::Open)) continue;
                const qsizetype first = nextSignificant(t_, open + 1);
                if (first < t_.size() && t_[first].isWord(u"SELECT")) continue;
                for (qsizetype v = first; v < t_.size() && !t_[v].is(K::Close);) {
                    const qsizetype end = primaryEnd(v);
                    if (end < 0) break;
                    const qsizetype next = nextSignificant(t_, v + wrapDate(v, end));
                    if (next >= t_.size() || !t_[next].is(K::Comma)) break;
                    v = nextSignificant(t_, next + 1);
                }
            }
        }
    }

    void storeInsertedValues(qsizetype insert) {
        qsizetype name = nextSignificant(t_, insert + 1);
        if (name < t_.size() && t_[name].isWord(u"INTO")) name = nextSignificant(t_, name + 1);
        if (name >= t_.size() || !isName(t_[name])) return;
        const qsizetype last = nameEnd(t_, name);
        const QList<Column> columns = columnsOf(bareName(t_[last]));
        if (columns.isEmpty()) return;
        // The storing call of the column each value goes to (none for a name the table does
        // not have).
        QList<Tokens> calls;
        qsizetype k = nextSignificant(t_, last + 1);
        if (k < t_.size() && t_[k].is(K::Open)) {
            const qsizetype close = matchingClose(t_, k);
            for (qsizetype c = k + 1; c < close; ++c) {
                if (!isName(t_[c])) continue;
                const Column* found = nullptr;
                for (const Column& col : columns) {
                    if (col.name.compare(bareName(t_[c]), Qt::CaseInsensitive) == 0) found = &col;
                }
                calls.append(storingCall(found));
            }
            k = nextSignificant(t_, close + 1);
        } else {
            for (const Column& col : columns) calls.append(storingCall(&col));
        }
        if (k >= t_.size() ||
            std::all_of(calls.cbegin(), calls.cend(), [](const auto& c) { return c.isEmpty(); }))
            return;
        if (t_[k].isWord(u"SELECT")) return storeSelected(calls, k);
        if (!t_[k].isWord(u"VALUES")) return;
        // Each row of values: (v1, v2, ...), (...)
        qsizetype open = nextSignificant(t_, k + 1);
        while (open < t_.size() && t_[open].is(K::Open)) {
            qsizetype v = nextSignificant(t_, open + 1);
            for (qsizetype n = 0; v < t_.size() && !t_[v].is(K::Close); ++n) {
                // The value runs to the comma or parenthesis that closes it.
                qsizetype end = v;
                int depth = 0;
                for (qsizetype e = v; e < t_.size(); ++e) {
                    if (t_[e].is(K::Open)) ++depth;
                    if (t_[e].is(K::Close) && depth-- == 0) break;
                    if (depth == 0 && t_[e].is(K::Comma)) break;
                    if (!t_[e].isBlank()) end = e;
                }
                end = storeValue(calls.value(n), v, end);
                const qsizetype next = nextSignificant(t_, end + 1);
                if (next >= t_.size() || !t_[next].is(K::Comma)) {
                    v = next;
                    break;
                }
                v = nextSignificant(t_, next + 1);
            }
            const qsizetype comma = nextSignificant(t_, v + 1);
            if (comma >= t_.size() || !t_[comma].is(K::Comma)) break;
            open = nextSignificant(t_, comma + 1);
        }
    }

    // INSERT ... SELECT: the query's columns, named in order, each go through the storing call
    // of the column it goes to.
    void storeSelected(const QList<Tokens>& calls, qsizetype select) {
        QStringList names, values;
        for (qsizetype n = 0; n < calls.size(); ++n) {
            const QString name = QStringLiteral("c%1").arg(n + 1);
            names << name;
            values << (calls[n].isEmpty() ? name : join(calls[n]) + name + u')');
        }
        insertText(t_, statementEnd(t_),
                   QStringLiteral(") SELECT ") + values.join(QStringLiteral(", ")) +
                       QStringLiteral(" FROM tsql_values"));
        insertText(t_, select,
                   QStringLiteral("WITH tsql_values(") + names.join(QStringLiteral(", ")) +
                       QStringLiteral(") AS ("));
    }

    void storeUpdatedValues(qsizetype update) {
        const qsizetype name = nextSignificant(t_, update + 1);
        if (name >= t_.size() || !isName(t_[name])) return;
        const qsizetype last = nameEnd(t_, name);
        const QList<Column> columns = columnsOf(bareName(t_[last]));
        const qsizetype set = nextSignificant(t_, last + 1);
        if (set >= t_.size() || !t_[set].isWord(u"SET")) return;
        qsizetype c = nextSignificant(t_, set + 1);
        while (c < t_.size() && isName(t_[c])) {
            const qsizetype columnEnd = nameEnd(t_, c);
            const QString column = bareName(t_[columnEnd]);
            const qsizetype eq = nextSignificant(t_, columnEnd + 1);
            if (eq >= t_.size() || t_[eq].text != u"=") return;
            const qsizetype v = nextSignificant(t_, eq + 1);
            qsizetype end = v;
            int depth = 0;
            for (qsizetype e = v; e < t_.size(); ++e) {
                if (t_[e].is(K::Open)) ++depth;
                if (t_[e].is(K::Close)) --depth;
                if (depth < 0) break;
                if (depth == 0 && (t_[e].is(K::Comma) || t_[e].is(K::Semicolon) ||
                                   isAnyWord(t_[e], {u"WHERE", u"FROM"})))
                    break;
                if (!t_[e].isBlank()) end = e;
            }
            const Column* target = nullptr;
            for (const Column& col : columns) {
                if (col.name.compare(column, Qt::CaseInsensitive) == 0) target = &col;
            }
            if (v < t_.size()) end = storeValue(storingCall(target), v, end);
            const qsizetype next = nextSignificant(t_, end + 1);
            if (next >= t_.size() || !t_[next].is(K::Comma)) return;
            c = nextSignificant(t_, next + 1);
        }
    }

    // SQL Server adds days to a date-time with "+" and "-"; SQLite would add numbers to the
    // year. A date on the left of "+" or "-", or a number plus a date, makes the operation a
    // date's. Its left side is all that "+" and "-" have joined before it (they join from the
    // left), its right side one term: products and signs bind first.
    void dateArithmetic() {
        for (qsizetype i = 0; i < t_.size(); ++i) {
            if (!t_[i].is(K::Operator) || (t_[i].text != u"+" && t_[i].text != u"-")) continue;
            const bool plus = t_[i].text == u"+";
            const bool dateLeft = leftOperand(i) == Operand::Date;
            const bool dateRight = plus && !dateLeft && leftOperand(i) == Operand::Number &&
                                   rightOperand(i) == Operand::Date;
            if (!dateLeft && !dateRight) continue;
            const qsizetype leftEnd = previousSignificant(t_, i - 1);
            const qsizetype start = leftSideStart(leftEnd);
            const qsizetype right = nextSignificant(t_, i + 1);
            const qsizetype end = termEnd(right);
            if (start < 0 || end < 0) continue;
            const QString left = join(t_, start, leftEnd + 1);
            const QString other = join(t_, right, end + 1);
            const QString call =
                (plus ? QStringLiteral("tsql_dateadd(") : QStringLiteral("tsql_datesub(")) +
                (dateLeft ? left : other) + QStringLiteral(", ") + (dateLeft ? other : left) +
                QStringLiteral(")");
            t_.remove(start, end - start + 1);
            i = start + insertText(t_, start, call) - 1;
        }
    }

    static bool isSign(const Token& t) {
        return t.is(K::Operator) && (t.text == u"+" || t.text == u"-");
    }
    static bool isProduct(const Token& t) {
        return t.is(K::Operator) && (t.text == u"*" || t.text == u"/" || t.text == u"%");
    }

    // Whether the token at `i` ends an operand, so that a "+" or "-" after it adds or
    // subtracts rather than signs what follows it.
    bool endsOperand(qsizetype i) const {
        if (i < 0) return false;
        const Token& t = t_[i];
        if (t.is(K::Word))
            return !isReserved(t) || isAnyWord(t, {u"END", u"NULL", u"CURRENT_TIMESTAMP"});
        return t.is(K::Number) || t.is(K::String) || t.is(K::Variable) || t.is(K::Quoted) ||
               t.is(K::Close) || isParameter(t);
    }

    // The first token of the expression that ends at `i` on the left of a "+" or "-": its
    // terms joined by "+" and "-", each a product of signed factors.
    qsizetype leftSideStart(qsizetype i) const {
        for (qsizetype end = i;;) {
            if (end < 0) return -1;
            const Token& t = t_[end];
            qsizetype start =
                t.is(K::Number) || t.is(K::String) || t.is(K::Variable) || isParameter(t)
                    ? end
                    : primaryStart(end);
            if (start < 0) return -1;
            qsizetype before = previousSignificant(t_, start - 1);
            while (before >= 0 && isSign(t_[before]) &&
                   !endsOperand(previousSignificant(t_, before - 1))) {
                start = before;
                before = previousSignificant(t_, before - 1);
            }
            if (before < 0 || (!isSign(t_[before]) && !isProduct(t_[before]))) return start;
            end = previousSignificant(t_, before - 1);
        }
    }

    // The last token of the term that starts at `i`: a product of signed factors.
    qsizetype termEnd(qsizetype i) const {
        for (;;) {
            while (i < t_.size() && isSign(t_[i])) i = nextSignificant(t_, i + 1);
            const qsizetype end = primaryEnd(i);
            if (end < 0) return -1;
            const qsizetype after = nextSignificant(t_, end + 1);
            if (after >= t_.size() || !isProduct(t_[after])) return end;
            i = nextSignificant(t_, after + 1);
        }
    }

    static bool isComparison(const Token& t) {
        if (!t.is(K::Operator)) return false;
        static const QStringView ops[] = {u"=", u"<>", u"!=", u"<", u">", u"<=", u">="};
        for (QStringView op : ops) {
            if (t.text == op) return true;
        }
        return false;
    }

    // A literal (or parameter) compared with text compares as SQL Server's default collation
    // does, even when the other side is an expression that carries no collation of its own.
    void collateLiterals() {
        const bool update = startsWith(u"UPDATE");
        bool inSet = false;
        int depth = 0;
        for (qsizetype i = 0; i < t_.size(); ++i) {
            const Token& t = t_[i];
            if (t.is(K::Open)) ++depth;
            if (t.is(K::Close)) --depth;
            if (update && depth == 0 && t.isWord(u"SET")) inSet = true;
            if (update && depth == 0 && (t.isWord(u"WHERE") || t.isWord(u"FROM"))) inSet = false;
            // A bound parameter stands where a literal would.
            if (!t.is(K::String) && !isParameter(t)) continue;
            const qsizetype l = previousSignificant(t_, i - 1);
            const qsizetype r = nextSignificant(t_, i + 1);
            const bool leftCompared = l >= 0 && isComparison(t_[l]);
            const bool rightCompared = r < t_.size() && isComparison(t_[r]);
            if (!leftCompared && !rightCompared) continue;
            // SET column = 'value' assigns, it does not compare.
            if (inSet && depth == 0 && leftCompared && t_[l].text == u"=" && !rightCompared) {
                continue;
            }
            if (r < t_.size() && t_[r].isWord(u"COLLATE")) continue;
            // Against a number column the column's own comparison is right, and a collation
            // there would keep SQLite from using the column's index.
            const Operand other = leftCompared ? leftOperand(l) : rightOperand(r);
            if (other == Operand::Number) continue;
            if (other == Operand::Date) {
                const qsizetype keyed = compareDateColumn(i, leftCompared ? l : r);
                if (keyed >= 0) {
                    i = keyed;
                    continue;
                }
                // The literal in the stored form of a date-time, whatever shape it has.
                i += wrapDate(i, i) - 1;
                continue;
            }
            insertText(t_, i + 1, QStringLiteral(" COLLATE SSCI"));
        }
    }

    // "c [NOT] BETWEEN a AND b" and "c [NOT] IN (a, b, ...)" of a bare column c and single
    // values become "[NOT] (c >= a AND c <= b)" and "[NOT] (c = a OR c = b ...)", whose
    // comparisons are then made on the column's keys (compareDateColumn). c ends at `column`,
    // the BETWEEN or IN is at `word`; returns the index of the last token written, or -1 when
    // the shape is another.
    qsizetype comparisonsOfColumn(qsizetype column, qsizetype word) {
        if (!isName(t_[column])) return -1;
        const qsizetype before = previousSignificant(t_, word - 1);
        const bool negated = before != column;  // the NOT between them
        const qsizetype first = primaryStart(column);
        const qsizetype outside = previousSignificant(t_, first - 1);
        if (outside >= 0 && (t_[outside].is(K::Operator) || t_[outside].is(K::Dot))) return -1;
        const auto single = [&](qsizetype at) {
            return at < t_.size() &&
                   (t_[at].is(K::String) || t_[at].is(K::Number) || isParameter(t_[at]));
        };
        const QString c = join(t_, first, column + 1);
        QStringList terms;
        qsizetype last = -1;
        if (t_[word].isWord(u"BETWEEN")) {
            const qsizetype low = nextSignificant(t_, word + 1);
            const qsizetype conj = nextSignificant(t_, low + 1);
            const qsizetype high = nextSignificant(t_, conj + 1);
            if (!single(low) || conj >= t_.size() || !t_[conj].isWord(u"AND") || !single(high))
                return -1;
            const qsizetype after = nextSignificant(t_, high + 1);
            if (after < t_.size() && (t_[after].is(K::Operator) || t_[after].is(K::Dot)))
                return -1;
            terms << QStringLiteral("%1 >= %2 AND %1 <= %3").arg(c, t_[low].text, t_[high].text);
            last = high;
        } else {
            const qsizetype open = nextSignificant(t_, word + 1);
            if (open >= t_.size() || !t_[open].is(K::Open)) return -1;
            qsizetype v = nextSignificant(t_, open + 1);
            while (true) {
                if (!single(v)) return -1;
                terms << QStringLiteral("%1 = %2").arg(c, t_[v].text);
                const qsizetype next = nextSignificant(t_, v + 1);
                if (next >= t_.size()) return -1;
                if (t_[next].is(K::Close)) {
                    last = next;
                    break;
                }
                if (!t_[next].is(K::Comma)) return -1;
                v = nextSignificant(t_, next + 1);
            }
        }
        const QString text = (negated ? QStringLiteral("NOT (") : QStringLiteral("(")) +
                             terms.join(QStringLiteral(" OR ")) + u')';
        t_.remove(first, last - first + 1);
        return first + insertText(t_, first, text) - 1;
    }

    // A date column compared with a value: stored texts of the ISO shapes sort by their day
    // whatever their shape ("2026-03-29", "2026-03-29 00:00", "2026-03-29T10:00", the stored
    // form), so the column's index finds the texts that may read as the value's day (from its
    // low key to the key of the next day) and only those rows compare their readings
    // (tsql_datecmp); whole days inside the range are taken by their text, when it starts with
    // an ISO date. A text of another shape sorts apart from its day: it is taken only by its
    // reading, where the index reaches it. The comparison at `op` of the value at `value`
    // becomes that; returns the index of its last token, or -1 when the other side is not a
    // bare column.
    qsizetype compareDateColumn(qsizetype value, qsizetype op) {
        const bool valueFirst = op > value;
        qsizetype first = -1, last = -1;
        if (valueFirst) {
            first = nextSignificant(t_, op + 1);
            if (first >= t_.size() || !isName(t_[first]) || t_[first].isWord(u"CASE")) return -1;
            last = nameEnd(t_, first);
            const qsizetype after = nextSignificant(t_, last + 1);
            if (after < t_.size() &&
                (t_[after].is(K::Open) || t_[after].is(K::Dot) || t_[after].is(K::Operator)))
                return -1;
        } else {
            last = previousSignificant(t_, op - 1);
            if (last < 0 || !isName(t_[last]) || t_[last].isWord(u"END")) return -1;
            first = primaryStart(last);
            const qsizetype before = previousSignificant(t_, first - 1);
            if (before >= 0 && (t_[before].is(K::Operator) || t_[before].is(K::Dot))) return -1;
        }
        const QString column = join(t_, first, last + 1);
        const QString x = t_[value].text;
        QString o = t_[op].text;
        if (valueFirst) {  // x < c reads c > x
            if (o == u"<")
                o = QStringLiteral(">");
            else if (o == u">")
                o = QStringLiteral("<");
            else if (o == u"<=")
                o = QStringLiteral(">=");
            else if (o == u">=")
                o = QStringLiteral("<=");
        }
        const auto key = [&](const char* which) {
            return QStringLiteral("%1(%2)").arg(QLatin1String(which), x);
        };
        const QString cmp = QStringLiteral("tsql_datecmp(%1, %2)").arg(column, x);
        // Dashes where an ISO date has them and a digit closing its day: a cheap test, as it
        // runs on every row of the range, that no other shape a datetime takes passes.
        // (The pattern is split where "??-" would read as a trigraph.)
        // A date written without separators is stored as the number SQLite makes of it, which
        // sorts before every text: where the column holds any, the range from the value's low
        // key starts at the least of them instead (one look in the index), so that ">=", ">"
        // and "=" reach them too.
        QString low = key("tsql_lowkey");
        if (const auto found = findColumn(bareName(t_[last]))) {
            const auto quoted = [](QString name) {
                return u'"' + name.replace(u'"', QStringLiteral("\"\"")) + u'"';
            };
            low = QStringLiteral(
                      "coalesce((SELECT min(%1) FROM %2 WHERE %1 BETWEEN 17530101 AND "
                      "99991231), %3)")
                      .arg(quoted(found->second.name), quoted(found->first), low);
        }
        const QString iso = QStringLiteral(
                                "%1 GLOB '????"
                                "-??"
                                "-?[0-9]*'")
                                .arg(column);
        QString sql;
        if (o == u">=" || o == u">") {
            sql = QStringLiteral("(%1 >= %2 AND ((%1 >= %3 AND %4) OR %5 %6 0))")
                      .arg(column, low, key(o == u">=" ? "tsql_ceildaykey" : "tsql_nextdaykey"),
                           iso, cmp, o);
        } else if (o == u"<" || o == u"<=") {
            sql = QStringLiteral("(%1 < %2 AND ((%1 < %3 AND %4) OR %5 %6 0))")
                      .arg(column, key(o == u"<" ? "tsql_ceildaykey" : "tsql_nextdaykey"),
                           key("tsql_lowkey"), iso, cmp, o);
        } else if (o == u"=") {
            sql = QStringLiteral("(%1 >= %2 AND %1 < %3 AND %4 = 0)")
                      .arg(column, low, key("tsql_nextdaykey"), cmp);
        } else if (o == u"<>" || o == u"!=") {
            sql = QStringLiteral("(%1 <> 0)").arg(cmp);
        } else {
            return -1;
        }
        const qsizetype from = std::min(first, value);
        const qsizetype to = std::max(last, value);
        t_.remove(from, to - from + 1);
        return from + insertText(t_, from, sql) - 1;
    }

    // Each "?" becomes "?N", its place among the statement's parameters, so a rewrite may use
    // a parameter twice and still bind one value.
    void numberParameters() {
        int n = 0;
        for (Token& t : t_) {
            if (t.is(K::Other) && t.text == u"?") t.text = QStringLiteral("?%1").arg(++n);
        }
    }

    // @@IDENTITY, ISNULL(, CONVERT(type, ...) and CAST(... AS type) in the forms SQLite can
    // run.
    void rewriteFunctions() {
        for (qsizetype i = 0; i < t_.size(); ++i) {
            Token& t = t_[i];
            if (t.is(K::Variable) && t.text.compare(u"@@IDENTITY", Qt::CaseInsensitive) == 0) {
                t = Token{K::Word, QStringLiteral("last_insert_rowid()")};
                continue;
            }
            const qsizetype open = nextSignificant(t_, i + 1);
            if (open >= t_.size() || !t_[open].is(K::Open)) continue;
            if (t.isWord(u"ISNULL")) {
                // ISNULL is an operator keyword to SQLite.
                t.text = QStringLiteral("ifnull");
            } else if (isAnyWord(t, {u"DATEADD", u"DATEDIFF", u"DATEPART"})) {
                const bool datediff = t.isWord(u"DATEDIFF"), datepart = t.isWord(u"DATEPART");
                // The date part is a keyword SQLite would read as a column: hand it over as text.
                const qsizetype part = nextSignificant(t_, open + 1);
                const qsizetype comma = nextSignificant(t_, part + 1);
                if (part < t_.size() && t_[part].is(K::Word) && comma < t_.size() &&
                    t_[comma].is(K::Comma))
                    t_[part] = Token{K::String, u'\'' + t_[part].text + u'\''};
                if (datediff) markLiteralDates(open, 1, 3);
                if (datepart) markLiteralDates(open, 1, 2);
            } else if (isAnyWord(t, {u"YEAR", u"MONTH", u"DAY"})) {
                markLiteralDates(open, 0, 1);
            } else if (t.isWord(u"CAST")) {
                // CAST(x AS type) converts as CONVERT(type, x) does.
                const qsizetype close = matchingClose(t_, open);
                const qsizetype as = castAs(t_, open);
                if (as < 0 || close >= t_.size()) continue;
                QString typeText;
                for (qsizetype k = as + 1; k < close; ++k) {
                    if (!t_[k].isBlank()) typeText += t_[k].text;
                }
                if (typeText.isEmpty()) continue;
                t_[i].text = QStringLiteral("tsql_convert");
                t_.remove(as, close - as);
                insertText(t_, open + 1, u'\'' + typeText.toUpper() + QStringLiteral("', "));
            } else if (t.isWord(u"CONVERT")) {
                // The type is a name SQLite would read as a column: hand it over as text.
                const qsizetype type = nextSignificant(t_, open + 1);
                if (type >= t_.size() || !t_[type].is(K::Word)) continue;
                qsizetype typeEnd = type;
                const qsizetype size = nextSignificant(t_, type + 1);
                if (size < t_.size() && t_[size].is(K::Open)) typeEnd = matchingClose(t_, size);
                const qsizetype comma = nextSignificant(t_, typeEnd + 1);
                if (comma >= t_.size() || !t_[comma].is(K::Comma)) continue;
                QString typeText;
                for (qsizetype k = type; k <= typeEnd; ++k) {
                    if (!t_[k].isBlank()) typeText += t_[k].text;
                }
                t_.remove(i, comma - i + 1);
                insertText(
                    t_, i,
                    QStringLiteral("tsql_convert('") + typeText.toUpper() + QStringLiteral("',"));
            }
        }
    }

    // SQL Server reads a text given as it is as a date of DATEDIFF, DATEPART, YEAR, MONTH or
    // DAY into a datetime2, which keeps what a datetime would round: the call whose parenthesis
    // opens at `open`, with `count` arguments, the dates from the argument `firstDate` on, gets
    // a last argument that marks which dates are such texts (bit 0 the first date).
    void markLiteralDates(qsizetype open, qsizetype firstDate, qsizetype count) {
        const QList<qsizetype> ends = valueEnds(open);
        if (ends.size() != count || !t_[ends.last()].is(K::Close)) return;
        int marks = 0;
        qsizetype from = open + 1;
        for (qsizetype a = 0; a < count; from = ends[a++] + 1) {
            const qsizetype v = nextSignificant(t_, from);
            if (a >= firstDate && v < ends[a] && t_[v].is(K::String) &&
                nextSignificant(t_, v + 1) == ends[a])
                marks |= 1 << (a - firstDate);
        }
        if (marks != 0) insertText(t_, ends.last(), QStringLiteral(", %1").arg(marks));
    }

    // SELECT TOP n: LIMIT n at the end of that SELECT's own scope (the parenthesis that closes
    // it, or the end of the statement), where SQLite wants it, after ORDER BY.
    void rewriteTop() {
        QHash<int, QString> limits;  // by parenthesis depth
        int depth = 0;
        for (qsizetype i = 0; i < t_.size(); ++i) {
            if (t_[i].is(K::Open)) ++depth;
            if (t_[i].is(K::Close)) {
                if (limits.contains(depth)) {
                    const qsizetype at = previousSignificant(t_, i - 1) + 1;
                    i += insertText(t_, at, limits.take(depth));  // still the same ")"
                }
                --depth;
                continue;
            }
            if (!t_[i].isWord(u"SELECT")) continue;
            qsizetype top = nextSignificant(t_, i + 1);
            if (top < t_.size() && (t_[top].isWord(u"ALL") || t_[top].isWord(u"DISTINCT"))) {
                top = nextSignificant(t_, top + 1);
            }
            if (top >= t_.size() || !t_[top].isWord(u"TOP")) continue;
            const qsizetype count = nextSignificant(t_, top + 1);
            if (count >= t_.size()) continue;
            qsizetype last = count;
            if (t_[count].is(K::Open)) {
                last = matchingClose(t_, count);
                if (last >= t_.size()) continue;
            } else if (!t_[count].is(K::Number)) {
                continue;
            }
            QString limit = join(t_, count, last + 1).trimmed();
            const qsizetype percent = nextSignificant(t_, last + 1);
            if (percent < t_.size() && t_[percent].isWord(u"PERCENT")) {
                // Only "everything" has a meaning SQLite can say; another share stays a
                // syntax error rather than a wrong result.
                if (limit.remove(u'(').remove(u')').trimmed().toDouble() < 100) continue;
                last = percent;
                limit.clear();
            }
            const qsizetype resume = nextSignificant(t_, last + 1);
            t_.remove(top, resume - top);
            if (!limit.isEmpty()) limits.insert(depth, QStringLiteral(" LIMIT ") + limit);
        }
        if (limits.contains(0)) insertText(t_, statementEnd(t_), limits.take(0));
    }

    Tokens t_;
    const ColumnLookup& columns_;
    QHash<QString, QList<Column>> cache_;
};

}  // namespace

ColumnLookup columnsIn(sqlite3* db) {
    return [db](const QString& table) {
        QList<Column> out;
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT name, type, pk FROM pragma_table_info(?1)", -1, &stmt,
                               nullptr) != SQLITE_OK) {
            return out;
        }
        const QByteArray name = table.toUtf8();
        sqlite3_bind_text(stmt, 1, name.constData(), static_cast<int>(name.size()),
                          SQLITE_TRANSIENT);
        int keys = 0;
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            Column c;
            c.name =
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
            c.declaredType =
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1)));
            const int pk = sqlite3_column_int(stmt, 2);
            if (pk > 0) ++keys;
            c.identity = pk == 1 && c.declaredType.compare(u"INTEGER", Qt::CaseInsensitive) == 0;
            out.append(c);
        }
        sqlite3_finalize(stmt);
        // Only a key of one INTEGER column is filled by the engine.
        if (keys != 1) {
            for (Column& c : out) c.identity = false;
        }
        return out;
    };
}

QList<bool> textResultColumns(const QString& sqliteText) {
    const Tokens t = tokenize(sqliteText);
    QList<bool> out;
    qsizetype k = nextSignificant(t, 0);
    if (k >= t.size() || !t[k].isWord(u"SELECT")) return out;
    k = nextSignificant(t, k + 1);
    if (k < t.size() && (t[k].isWord(u"ALL") || t[k].isWord(u"DISTINCT")))
        k = nextSignificant(t, k + 1);
    // Each item of the select list: what it starts with, up to the comma that ends it.
    while (k < t.size()) {
        const Token& first = t[k];
        if (first.is(K::Operator) && first.text == u"*") return out;
        bool text = false;
        qsizetype end = k;
        if (first.is(K::String)) {
            text = true;
        } else if (first.is(K::Word)) {
            const qsizetype open = nextSignificant(t, k + 1);
            if (open < t.size() && t[open].is(K::Open)) {
                const QString type = convertedType(t, k, open);
                text = !type.isNull() && operandOfType(type) == Operand::Text;
                end = matchingClose(t, open);
            }
        }
        // The rest of the item (an alias) decides nothing; an operator after the call does.
        int depth = 0;
        for (qsizetype e = end + 1; e < t.size(); ++e) {
            if (t[e].is(K::Open)) ++depth;
            if (t[e].is(K::Close)) --depth;
            if (depth < 0) return out;
            if (depth > 0) continue;
            if (t[e].is(K::Operator)) text = false;
            if (t[e].is(K::Comma) ||
                isAnyWord(t[e], {u"FROM", u"WHERE", u"GROUP", u"ORDER", u"UNION", u"LIMIT"})) {
                end = e;
                break;
            }
            end = e;
        }
        out.append(text);
        if (end >= t.size() || !t[end].is(K::Comma)) return out;
        k = nextSignificant(t, end + 1);
    }
    return out;
}

QString storedParameter(const QString& declaredType) {
    const Column column{QString(), declaredType};
    const Tokens call = storingCall(&column);
    return call.isEmpty() ? QStringLiteral("?") : join(call) + QStringLiteral("?)");
}

Translator::Translator(ColumnLookup columns) : columns_(std::move(columns)) {}

QString Translator::translate(const QString& statement) const {
    return Rewriter(statement, columns_).run();
}

QList<Statement> translateBatch(const QString& batch, sqlite3* db) {
    return Translator(columnsIn(db)).translateBatch(batch);
}

QList<Statement> Translator::translateBatch(const QString& batch) const {
    QList<Statement> statements = splitBatch(batch);
    for (Statement& s : statements) {
        if (s.kind == Statement::Kind::Plain) s.sql = translate(s.source);
    }
    return statements;
}

}  // namespace tsql
