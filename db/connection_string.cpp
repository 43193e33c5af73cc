#include "db/connection_string.h"

#include "platform/ado/connectionstring.h"

namespace connstr {

QString quote(const QString& value) {
    const bool needs = value.contains(u';') || value.contains(u'=') || value.startsWith(u' ') ||
                       value.endsWith(u' ') || value.startsWith(u'"') || value.startsWith(u'\'');
    if (!needs) return value;
    if (!value.contains(u'"')) return u'"' + value + u'"';
    if (!value.contains(u'\'')) return u'\'' + value + u'\'';
    QString doubled = value;
    doubled.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return u'"' + doubled + u'"';
}

bool isOracle(const QString& connectionString) {
    return ado::ConnectionString(connectionString)
        .value({"Provider"})
        .contains(QStringLiteral("oracle"), Qt::CaseInsensitive);
}

bool isJet(const QString& connectionString) {
    return ado::ConnectionString(connectionString)
        .value({"Provider"})
        .startsWith(QStringLiteral("Microsoft.Jet.OLEDB"), Qt::CaseInsensitive);
}

}  // namespace connstr
