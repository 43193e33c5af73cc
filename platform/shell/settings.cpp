#include "platform/shell/settings.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>

#include <utility>

namespace shell {

namespace {

QString& folderSetting() {
    static QString folder;
    return folder;
}

QString storeFile(const QString& application) {
    return QDir(settingsFolder()).filePath(application + QStringLiteral(".ini"));
}

QString entryKey(const QString& section, const QString& key) {
    return section + u'/' + key;
}

}  // namespace

QString settingsFolder() {
    if (folderSetting().isEmpty()) {
        return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
               QStringLiteral("/zentrik");
    }
    return folderSetting();
}

QString setSettingsFolder(const QString& folder) {
    QString previous = settingsFolder();
    folderSetting() = folder;
    return previous;
}

QString GetSetting(const QString& application, const QString& section, const QString& key,
                   const QString& defaultValue) {
    const QString path = storeFile(application);
    if (!QFile::exists(path)) return defaultValue;
    QSettings store(path, QSettings::IniFormat);
    return store.value(entryKey(section, key), defaultValue).toString();
}

bool SaveSetting(const QString& application, const QString& section, const QString& key,
                 const QString& value) {
    const QString folder = settingsFolder();
    if (!QDir().mkpath(folder)) return false;
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString path = storeFile(application);
    {
        QSettings store(path, QSettings::IniFormat);
        store.setValue(entryKey(section, key), value);
        store.sync();
        if (store.status() != QSettings::NoError) return false;
    }
    return QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
}

}  // namespace shell
