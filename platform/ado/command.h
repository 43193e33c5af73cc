#pragma once

#include <QString>

namespace ado {

// The text a source or command becomes: adCmdTable, or with `guessTable` a bare table name,
// reads the whole table, as ADO does when the provider does not take the text as a command.
QString commandTextFor(const QString& source, long options, bool guessTable);

}  // namespace ado
