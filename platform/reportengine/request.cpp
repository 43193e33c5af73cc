#include "platform/reportengine/request.h"

#include "platform/reportengine/errors.h"

#include <QRegularExpression>

namespace reportengine {

std::optional<Assignment> parseAssignment(const QString& text) {
    if (text.trimmed().isEmpty()) return std::nullopt;
    const int equals = text.indexOf(u'=');
    const QString name = equals < 0 ? QString() : text.left(equals).trimmed();
    if (name.isEmpty()) {
        fail(err::Formula, QStringLiteral("Asignación de fórmula incorrecta: %1").arg(text));
    }
    const int first = text.indexOf(u'\'', equals + 1);
    const int last = text.lastIndexOf(u'\'');
    if (first < 0) return Assignment{name, text.mid(equals + 1).trimmed()};
    if (first == last) {
        fail(err::Formula,
             QStringLiteral("Asignación de fórmula con un apóstrofo sin cerrar: %1").arg(text));
    }
    return Assignment{name, text.mid(first + 1, last - first - 1)};
}

std::optional<SortField> parseSortField(const QString& text) {
    static const QRegularExpression shape(
        QStringLiteral("^\\s*([+-])\\s*\\{\\s*([^.{}]+)\\.([^{}]+)\\}\\s*$"));
    const auto m = shape.match(text);
    if (!m.hasMatch()) return std::nullopt;
    SortField s;
    s.descending = m.captured(1) == u"-";
    s.field.table = m.captured(2).trimmed();
    s.field.column = m.captured(3).trimmed();
    return s;
}

Logon parseLogon(const QString& text) {
    Logon logon;
    for (const QString& part : text.split(u';')) {
        const int equals = part.indexOf(u'=');
        if (equals < 0) continue;
        const QString key = part.left(equals).trimmed();
        const QString value = part.mid(equals + 1).trimmed();
        if (key.compare(QLatin1String("DSN"), Qt::CaseInsensitive) == 0) {
            logon.database = value;
        } else if (key.compare(QLatin1String("UID"), Qt::CaseInsensitive) == 0) {
            logon.user = value;
        } else if (key.compare(QLatin1String("PWD"), Qt::CaseInsensitive) == 0) {
            logon.password = value;
        }
    }
    return logon;
}

}  // namespace reportengine
