#pragma once

#include "platform/vb/variant.h"

#include <QString>

// Pieces of SQL text as the database class writes them.
namespace sqltext {

// A number as SQL reads it: "." as decimal point, no grouping, whatever the locale.
QString numero(double valor);
// Text for inside '...': every apostrophe doubled.
QString comillas(const QString& texto);
// The number a value holds: numbers as they are, texts by their leading number (Val), Null
// and Empty 0.
double numeroDe(const vb::Variant& valor);
// A value given as a kind code ("8" counts as 8); -1 when it names none.
long codigo(const vb::Variant& valor);

}  // namespace sqltext
