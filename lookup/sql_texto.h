#pragma once

#include <QString>

// Reading the outer structure of a lookup's SQL text: keywords are found as whole words at
// the outer level, never inside parentheses, quoted texts, bracketed names or longer words
// (a column "ORDERS" or "GROUP_BYTES" is not a keyword).
namespace sqltexto {

// 0-based position of the first outer `clave` ("WHERE", "ORDER BY", "GROUP BY"; blanks in it
// match any run of white space), without regard to case; -1 when there is none.
int buscaClave(const QString& sql, const QString& clave);

// The word after the outer FROM (the looked-up table); empty when there is none.
QString tablaConsultada(const QString& sql);

}  // namespace sqltexto
