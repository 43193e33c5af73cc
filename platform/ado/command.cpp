#include "platform/ado/command.h"

#include "platform/ado/types.h"

namespace ado {

namespace {

bool isObjectName(const QString& text) {
    if (text.isEmpty()) return false;
    if (text.startsWith(QLatin1Char('[')) && text.endsWith(QLatin1Char(']')) &&
        text.indexOf(QLatin1Char(']')) == text.size() - 1)
        return true;
    for (QChar c : text) {
        if (!(c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('.') ||
              c == QLatin1Char('@') || c == QLatin1Char('#')))
            return false;
    }
    return !text.front().isDigit();
}

}  // namespace

QString commandTextFor(const QString& source, long options, bool guessTable) {
    const QString name = source.trimmed();
    const bool table = options == adCmdTable || options == adCmdTableDirect;
    if (table || (guessTable && options == adCmdUnspecified && isObjectName(name))) {
        return QStringLiteral("SELECT * FROM ") + name;
    }
    return source;
}

}  // namespace ado
