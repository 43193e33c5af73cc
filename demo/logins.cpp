#include "demo/logins.h"

#include "platform/ado/sqlitebackend.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

namespace logins {

namespace {

constexpr QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                            QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                            QFileDevice::WriteOther | QFileDevice::ExeOther;

// Whether SQLite reads the file as a database: its header and its list of tables, read only.
bool isDatabase(const QString& file, QString* why) {
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(db, "SELECT COUNT(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) *why = QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
    sqlite3_close(db);
    return rc == SQLITE_OK;
}

bool fail(QString* error, const QString& why) {
    if (error) *error = why;
    return false;
}

}  // namespace

QString databaseFile(const QString& folder, const QString& base, QString* error) {
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        fail(error, QStringLiteral("No existe la carpeta %1.").arg(folder));
        return {};
    }
    const QString name = base.trimmed();
    if (name.isEmpty()) {
        fail(error, QStringLiteral("Falta el nombre de la base de datos."));
        return {};
    }
    if (name.contains(u'/') || name.contains(u'\\') || name == u"." || name == u"..") {
        fail(error, QStringLiteral("\"%1\" no es un nombre de base de datos: se da sin carpeta "
                                   "y sin \".db\".")
                        .arg(base));
        return {};
    }
    // As the engine finds it: the exact name first, then the name in another case.
    const QDir dir(folder);
    const QString wanted = name + QStringLiteral(".db");
    QString file;
    if (QFileInfo(dir.filePath(wanted)).isFile()) {
        file = dir.filePath(wanted);
    } else {
        for (const QString& entry : dir.entryList(QDir::Files)) {
            if (entry.compare(wanted, Qt::CaseInsensitive) == 0) file = dir.filePath(entry);
        }
    }
    if (file.isEmpty()) {
        fail(error, QStringLiteral("No existe la base de datos %1 en la carpeta %2 (el archivo "
                                   "%3).")
                        .arg(name, folder, wanted));
        return {};
    }
    QString why;
    if (!isDatabase(file, &why)) {
        fail(error, QStringLiteral("El archivo %1 no es una base de datos: %2.").arg(file, why));
        return {};
    }
    return file;
}

bool giveLogin(const QString& file, const QString& user, const QString& password, bool keepOthers,
               QString* error) {
    const QString name = user.trimmed();
    if (name.isEmpty()) return fail(error, QStringLiteral("Falta el usuario."));
    if (name.contains(u'\t') || name.contains(u'\n') || name.contains(u'\r'))
        return fail(error, QStringLiteral("\"%1\" no es un nombre de usuario: no puede llevar "
                                          "tabulaciones ni saltos de línea.")
                               .arg(user));
    if (password.isEmpty())
        return fail(error, QStringLiteral("La contraseña no puede estar vacía."));
    // The engine lets nobody into a database others may read or change.
    const QFileDevice::Permissions mode = QFile::permissions(file);
    const bool open = (mode & others) != QFileDevice::Permissions();
    if (open && !QFile::setPermissions(file, mode & ~others)) {
        return fail(error, QStringLiteral("No se pudo dejar el archivo %1 legible sólo por su "
                                          "dueño.")
                               .arg(file));
    }
    QString why;
    const bool written = keepOthers ? ado::addEmbeddedLogin(file, name, password, &why)
                                    : ado::recordEmbeddedLogin(file, name, password, &why);
    if (!written) {
        if (open) QFile::setPermissions(file, mode);
        return fail(error, QStringLiteral("No se pudo registrar el ingreso: %1").arg(why));
    }
    return true;
}

}  // namespace logins
