#pragma once

#include "platform/ado/ado.h"
#include "platform/vb/variant.h"

#include <QHash>
#include <QString>

// The rows the program writes about itself (error, access and send logs, task rows) are kept
// whatever the length of their texts: each text is cut to its column's defined size.
namespace columnfit {

// `texto` cut to `tamano` UTF-16 code units, as the engines count a text's length, never
// keeping half of a surrogate pair; a size of 0 or less keeps it whole.
QString corta(const QString& texto, long tamano);

// The defined sizes of the text columns of `tabla` on `cnn`, by column name in capitals, as
// the database declares them: its column list (adSchemaColumns), or, when the engine has none,
// the columns of an empty read of the table. Kept per connection and table once read. A column
// without a limit is left out; nothing is known (an empty list) when neither can be read. The
// connection's error list is left as it was.
QHash<QString, long> tamanos(ado::Connection& cnn, const QString& tabla);

// Forgets what was read of `cnn`'s tables, for a connection about to open again (its tables
// may be defined otherwise).
void olvida(const ado::Connection& cnn);

// A text cut to the defined size of `tabla`.`columna`; whole when the size is not known.
QString ajusta(ado::Connection& cnn, const QString& tabla, const QString& columna,
               const QString& texto);
// The same for a value: a text is cut, any other value stays as it is.
vb::Variant ajusta(ado::Connection& cnn, const QString& tabla, const QString& columna,
                   const vb::Variant& valor);

}  // namespace columnfit
