#include "platform/ado/tsql/passes.h"

namespace tsql {

namespace {

using K = Token::Kind;

bool isTextType(const QString& type) {
    static const QStringView types[] = {u"CHAR", u"VARCHAR", u"NCHAR",   u"NVARCHAR",
                                        u"TEXT", u"NTEXT",   u"SYSNAME", u"CHARACTER"};
    for (QStringView w : types) {
        if (type.compare(w, Qt::CaseInsensitive) == 0) return true;
    }
    return false;
}

void removeWords(Tokens& t, std::initializer_list<QStringView> words) {
    for (qsizetype k = t.size() - 1; k >= 0; --k) {
        if (isAnyWord(t[k], words)) t.remove(k);
    }
}

// A column's definition with its SQL Server type made SQLite's.
Tokens rewriteColumn(const Tokens& item) {
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

// The comma-separated column definitions and constraints in [from, to).
void rewriteItems(Tokens& t, qsizetype from, qsizetype to, bool constraintsAllowed) {
    QList<std::pair<qsizetype, qsizetype>> items;
    int depth = 0;
    qsizetype start = from;
    for (qsizetype k = from; k < to; ++k) {
        if (t[k].is(K::Open)) ++depth;
        if (t[k].is(K::Close)) --depth;
        if (depth == 0 && t[k].is(K::Comma)) {
            items.append({start, k});
            start = k + 1;
        }
    }
    items.append({start, to});
    // Back to front, so the positions of the earlier items stay valid.
    for (auto it = items.crbegin(); it != items.crend(); ++it) {
        Tokens item = t.mid(it->first, it->second - it->first);
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
        t.remove(it->first, it->second - it->first);
        for (qsizetype k = 0; k < item.size(); ++k) t.insert(it->first + k, item[k]);
    }
}

}  // namespace

void rewriteTableDefinition(Tokens& t) {
    const qsizetype i = nextSignificant(t, 0);
    if (i >= t.size()) return;
    const qsizetype j = nextSignificant(t, i + 1);
    if (j >= t.size() || !t[j].isWord(u"TABLE")) return;
    const qsizetype name = nextSignificant(t, j + 1);
    if (name >= t.size() || !isName(t[name])) return;
    const qsizetype after = nextSignificant(t, nameEnd(t, name) + 1);
    if (after >= t.size()) return;
    if (t[i].isWord(u"CREATE") && t[after].is(K::Open)) {
        const qsizetype close = matchingClose(t, after);
        if (close < t.size()) rewriteItems(t, after + 1, close, true);
    } else if (t[i].isWord(u"ALTER") && t[after].isWord(u"ADD")) {
        rewriteItems(t, after + 1, statementEnd(t), false);
    }
}

}  // namespace tsql
