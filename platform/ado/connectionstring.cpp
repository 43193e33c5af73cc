#include "platform/ado/connectionstring.h"

#include "platform/ado/errors.h"
#include "platform/ado/types.h"

namespace ado {

namespace {

QString normaliseKey(const QString& key) {
    QString out;
    out.reserve(key.size());
    for (QChar c : key) {
        if (!c.isSpace()) out.append(c.toLower());
    }
    return out;
}

}  // namespace

ConnectionString::ConnectionString(const QString& text) {
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        // key up to "="
        const qsizetype eq = text.indexOf(QLatin1Char('='), i);
        if (eq < 0) break;
        const QString key = normaliseKey(text.mid(i, eq - i));
        i = eq + 1;
        while (i < n && text[i] == QLatin1Char(' ')) ++i;
        QString value;
        if (i < n && (text[i] == QLatin1Char('\'') || text[i] == QLatin1Char('"'))) {
            const QChar quote = text[i++];
            while (i < n) {
                if (text[i] == quote) {
                    if (i + 1 < n && text[i + 1] == quote) {
                        value.append(quote);
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                value.append(text[i++]);
            }
            const qsizetype semi = text.indexOf(QLatin1Char(';'), i);
            i = semi < 0 ? n : semi + 1;
        } else {
            const qsizetype semi = text.indexOf(QLatin1Char(';'), i);
            value = text.mid(i, (semi < 0 ? n : semi) - i).trimmed();
            i = semi < 0 ? n : semi + 1;
        }
        if (!key.isEmpty()) pairs_.append({key, value});
    }
}

QString ConnectionString::value(std::initializer_list<const char*> keys) const {
    for (const char* k : keys) {
        const QString wanted = normaliseKey(QString::fromLatin1(k));
        for (const auto& [key, value] : pairs_) {
            if (key == wanted) return value;
        }
    }
    return {};
}

bool ConnectionString::has(std::initializer_list<const char*> keys) const {
    for (const char* k : keys) {
        const QString wanted = normaliseKey(QString::fromLatin1(k));
        for (const auto& pair : pairs_) {
            if (pair.first == wanted) return true;
        }
    }
    return false;
}

bool isEmbeddedServer(const QString& server) {
    return server.startsWith(QLatin1String("sqlite:"), Qt::CaseInsensitive);
}

ConnectionSettings parseConnectionSettings(const QString& text, const QString& user,
                                           const QString& password) {
    const ConnectionString cs(text);
    ConnectionSettings s;
    s.text = text;
    s.provider = cs.value({"Provider"});
    s.user = user.isEmpty() ? cs.value({"User Id", "UId", "User"}) : user;
    s.password = password.isEmpty() ? cs.value({"Password", "Pwd"}) : password;
    const QString provider = s.provider.toLower();
    if (provider == QLatin1String("sqloledb") || provider.startsWith(QLatin1String("sqloledb."))) {
        s.server = cs.value({"Server", "Data Source", "Address", "Addr", "Network Address"});
        s.database = cs.value({"Database", "Initial Catalog"});
        if (isEmbeddedServer(s.server)) {
            s.kind = ProviderKind::Embedded;
            s.server = s.server.mid(7);
        } else {
            s.kind = ProviderKind::SqlServer;
        }
    } else if (provider.startsWith(QLatin1String("oraoledb.oracle"))) {
        s.kind = ProviderKind::Oracle;
        s.dataSource = cs.value({"Data Source"});
    } else if (provider.startsWith(QLatin1String("microsoft.jet.oledb."))) {
        s.kind = ProviderKind::Jet;
        s.dataSource = cs.value({"Data Source"});
    } else {
        raiseAdo(err::ProviderNotFound, QStringLiteral("ADODB.Connection"));
    }
    return s;
}

}  // namespace ado
