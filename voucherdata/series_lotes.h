#pragma once

#include <QString>
#include <QStringList>

namespace ModGlobal {

// The batches of `Lista1` (separated by "|") whose entry of the same place in `Lista2` is a
// number above 0, each followed by one blank. Every Chr(255) is taken out of the caller's
// `Lista1`. Errors go to the database class's error box; leaving it gives the empty text.
QString Cuenta_Series_Lotes(QString& Lista1, QString& Lista2);

// `Lista` split on "|" into trimmed items, with one empty element after the last; a leading
// "|" is ignored and a trailing one adds nothing.
void Cuenta_Series_Y_Lotes(const QString& Lista, QStringList& Elementos);

}  // namespace ModGlobal
