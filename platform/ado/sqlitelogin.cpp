#include "platform/ado/sqlitelogin.h"

#include "platform/ado/errors.h"
#include "platform/vb/safefile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QUuid>

#include <algorithm>

namespace ado {

QString embeddedLoginFile(const QString& databaseFile) {
    const QFileInfo info(databaseFile);
    return info.dir().filePath(info.completeBaseName() + QStringLiteral(".login"));
}

namespace {

QByteArray passwordDigest(const QByteArray& salt, const QString& password) {
    return QCryptographicHash::hash(salt + password.toUtf8(), QCryptographicHash::Sha256).toHex();
}

// One line of a login file: the user, tab, the salt, tab, the password's digest.
struct RecordedLogin {
    QString user;
    QByteArray salt, digest;

    bool isUser(const QString& name) const {
        return user.compare(name.trimmed(), Qt::CaseInsensitive) == 0;
    }
};

QList<RecordedLogin> recordedLogins(const QString& path) {
    QList<RecordedLogin> logins;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return logins;
    for (const QByteArray& line : f.readAll().split('\n')) {
        const QList<QByteArray> parts = line.trimmed().split('\t');
        if (parts.size() == 3) logins.append({QString::fromUtf8(parts[0]), parts[1], parts[2]});
    }
    return logins;
}

// Whether others than the file's owner may read or change it.
bool openToOthers(const QFile& f) {
    constexpr QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                                QFileDevice::ReadOther | QFileDevice::WriteOther;
    return (f.permissions() & others) != QFileDevice::Permissions();
}

[[noreturn]] void refuseLogin(const QString& why) {
    throw ProviderFailure{{sqlServerError(18456, why)}};
}

}  // namespace

void checkEmbeddedLogin(const QString& databaseFile, const QString& user,
                        const QString& password) {
    const QString blocked = QStringLiteral(
        " puede ser leído o modificado por otros usuarios: no se admite ningún ingreso hasta "
        "que sólo su dueño pueda leerlo y modificarlo (chmod 600).");
    QFile f(embeddedLoginFile(databaseFile));
    if (!f.exists()) {
        refuseLogin(QStringLiteral("No existe el archivo de acceso %1: la base de datos no "
                                   "registra ningún ingreso y no se admite ninguno. Para "
                                   "registrar uno ejecute: zentrik-login <carpeta> <base> "
                                   "<usuario>")
                        .arg(f.fileName()));
    }
    if (openToOthers(f))
        refuseLogin(QStringLiteral("El archivo de acceso %1").arg(f.fileName()) + blocked);
    if (openToOthers(QFile(databaseFile)))
        refuseLogin(QStringLiteral("El archivo de base de datos %1").arg(databaseFile) + blocked);
    const QList<RecordedLogin> logins = recordedLogins(f.fileName());
    const bool admitted = std::any_of(logins.begin(), logins.end(), [&](const RecordedLogin& l) {
        return l.isUser(user) && passwordDigest(l.salt, password) == l.digest;
    });
    if (!admitted) refuseLogin(QStringLiteral("Login failed for user '%1'.").arg(user));
}

namespace {

// Writes the login file with this login, after the others it records when `keepOthers`.
bool writeLogin(const QString& databaseFile, const QString& user, const QString& password,
                bool keepOthers, QString* error) {
    const QString path = embeddedLoginFile(databaseFile);
    const QString name = user.trimmed();
    if (name.isEmpty() || name.contains(u'\t') || name.contains(u'\n') || name.contains(u'\r')) {
        if (error) *error = QStringLiteral("%1: not a login name: '%2'").arg(path, user);
        return false;
    }
    QByteArray text;
    if (keepOthers) {
        for (const RecordedLogin& l : recordedLogins(path)) {
            if (!l.isUser(name)) text += l.user.toUtf8() + '\t' + l.salt + '\t' + l.digest + '\n';
        }
    }
    const QByteArray salt = QUuid::createUuid().toRfc4122().toHex();
    text += name.toUtf8() + '\t' + salt + '\t' + passwordDigest(salt, password) + '\n';
    QString why;
    if (!vb::replaceFile(path, text, 0600, &why)) {
        if (error) *error = QStringLiteral("%1: %2").arg(path, why);
        return false;
    }
    return true;
}

}  // namespace

bool recordEmbeddedLogin(const QString& databaseFile, const QString& user, const QString& password,
                         QString* error) {
    return writeLogin(databaseFile, user, password, false, error);
}

bool addEmbeddedLogin(const QString& databaseFile, const QString& user, const QString& password,
                      QString* error) {
    return writeLogin(databaseFile, user, password, true, error);
}

}  // namespace ado
