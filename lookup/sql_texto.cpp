#include "lookup/sql_texto.h"

#include <QStringList>

namespace sqltexto {

namespace {

bool esLetra(QChar c) {
    return c.isLetterOrNumber() || c == '_' || c == '@' || c == '#';
}

// Calls `visita(i)` for every position at the outer level, outside quotes and brackets;
// stops when it returns true.
template <class F>
int recorre(const QString& sql, F visita) {
    int nivel = 0;
    const int n = sql.size();
    for (int i = 0; i < n; ++i) {
        const QChar c = sql[i];
        if (c == '\'' || c == '"' || c == '[') {
            const QChar cierre = c == '[' ? QChar(']') : c;
            int j = i + 1;
            while (j < n) {
                if (sql[j] == cierre) {
                    if (j + 1 < n && sql[j + 1] == cierre && c != '[') {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            i = j;
        } else if (c == '(') {
            ++nivel;
        } else if (c == ')') {
            if (nivel > 0) --nivel;
        } else if (nivel == 0 && visita(i)) {
            return i;
        }
    }
    return -1;
}

// The length of `clave` matched at `i` as whole words, or 0.
int coincide(const QString& sql, int i, const QStringList& palabras) {
    if (i > 0 && esLetra(sql[i - 1])) return 0;
    int j = i;
    for (int k = 0; k < palabras.size(); ++k) {
        if (k > 0) {
            const int antes = j;
            while (j < sql.size() && sql[j].isSpace()) ++j;
            if (j == antes) return 0;
        }
        const QString& p = palabras[k];
        if (sql.mid(j, p.size()).compare(p, Qt::CaseInsensitive) != 0) return 0;
        j += p.size();
    }
    if (j < sql.size() && esLetra(sql[j])) return 0;
    return j - i;
}

}  // namespace

int buscaClave(const QString& sql, const QString& clave) {
    const QStringList palabras = clave.split(' ', Qt::SkipEmptyParts);
    if (palabras.isEmpty()) return -1;
    return recorre(sql, [&](int i) { return coincide(sql, i, palabras) > 0; });
}

QString tablaConsultada(const QString& sql) {
    const int from = buscaClave(sql, QStringLiteral("FROM"));
    if (from < 0) return {};
    int i = from + 4;
    while (i < sql.size() && sql[i].isSpace()) ++i;
    int j = i;
    while (j < sql.size() && !sql[j].isSpace() && sql[j] != '(' && sql[j] != ')' && sql[j] != ',')
        ++j;
    return sql.mid(i, j - i);
}

}  // namespace sqltexto
