#include "platform/shell/settings.h"

#include "platform/vb/safefile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>

#include <optional>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace shell {

namespace {

QString& folderSetting() {
    static QString folder;
    return folder;
}

QString storeFile(const QString& application) {
    return QDir(settingsFolder()).filePath(application + QStringLiteral(".ini"));
}

// Section and key as one path, without empty parts (the settings library's own form).
QString entryKey(const QString& section, const QString& key) {
    return (section + u'/' + key).split(u'/', Qt::SkipEmptyParts).join(u'/');
}

bool isHexDigit(char16_t c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// A section or key name as the settings library writes it in its INI files: letters, digits,
// "_", "-" and "." as they are, "/" as "\", any other character as %XX (%UXXXX past Latin-1).
QByteArray iniName(const QString& name) {
    QByteArray out;
    for (const QChar ch : name) {
        const char16_t c = ch.unicode();
        if (c == '/') {
            out += '\\';
        } else if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                   c == '_' || c == '-' || c == '.') {
            out += static_cast<char>(c);
        } else if (c <= 0xFF) {
            out += '%' + QByteArray::number(c, 16).toUpper().rightJustified(2, '0');
        } else {
            out += "%U" + QByteArray::number(c, 16).toUpper().rightJustified(4, '0');
        }
    }
    return out;
}

// A text value as the settings library reads it back: backslash escapes for quotes,
// backslashes and control characters, quotes around a text that holds a separator or has
// blanks at its ends, and "@" doubled in front, where the library's typed values begin.
QByteArray iniText(QString text) {
    if (text.startsWith(u'@')) text.prepend(u'@');
    QString out;
    bool quoted = false;
    bool afterHexEscape = false;  // a hex digit right after "\x1" would be read into it
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c == ';' || c == ',' || c == '=') quoted = true;
        if (afterHexEscape && isHexDigit(c)) {
            out += QStringLiteral("\\x") + QString::number(c, 16);
            continue;
        }
        afterHexEscape = false;
        switch (c) {
            case '\\':
            case '"':
                out += u'\\';
                out += ch;
                break;
            case '\n':
                out += QStringLiteral("\\n");
                break;
            case '\r':
                out += QStringLiteral("\\r");
                break;
            case '\t':
                out += QStringLiteral("\\t");
                break;
            default:
                if (c < 0x20) {
                    out += QStringLiteral("\\x") + QString::number(c, 16);
                    afterHexEscape = true;
                } else {
                    out += ch;
                }
        }
    }
    if (quoted || out.startsWith(u' ') || out.endsWith(u' ')) out = u'"' + out + u'"';
    return out.toUtf8();
}

QByteArray iniValue(const QVariant& value) {
    if (value.typeId() != QMetaType::QStringList) return iniText(value.toString());
    const QStringList items = value.toStringList();
    if (items.isEmpty()) return "@Invalid()";
    QByteArrayList texts;
    for (const QString& item : items) texts << iniText(item);
    return texts.join(", ");
}

// The whole store as INI text the settings library reads: a section per first part of the
// keys ("[General]" for keys without one), then its keys.
QByteArray iniFile(const QMap<QString, QVariant>& entries) {
    QMap<QString, QList<QPair<QString, QVariant>>> sections;
    for (auto it = entries.cbegin(); it != entries.cend(); ++it) {
        const qsizetype slash = it.key().indexOf(u'/');
        const QString section = slash < 0 ? QString() : it.key().left(slash);
        sections[section].append({it.key().mid(slash + 1), it.value()});
    }
    QByteArray out;
    for (auto it = sections.cbegin(); it != sections.cend(); ++it) {
        if (!out.isEmpty()) out += '\n';
        if (it.key().isEmpty())
            out += "[General]\n";
        else if (it.key().compare(QLatin1String("general"), Qt::CaseInsensitive) == 0)
            out += "[%" + iniName(it.key()) + "]\n";
        else
            out += '[' + iniName(it.key()) + "]\n";
        for (const auto& [key, value] : it.value())
            out += iniName(key) + '=' + iniValue(value) + '\n';
    }
    return out;
}

// Held while a save reads and rewrites the store, so that two programs saving at once do not
// lose each other's key. It locks the folder: a lock file would need room of its own.
class FolderLock {
public:
    explicit FolderLock(const QString& folder)
        : fd_(::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
        locked_ = fd_ >= 0 && ::flock(fd_, LOCK_EX) == 0;
    }
    ~FolderLock() {
        if (fd_ >= 0) ::close(fd_);
    }
    bool locked() const { return locked_; }

private:
    int fd_;
    bool locked_ = false;
};

// The keys of the store; nothing when a store is there and cannot be read, so that a save
// never replaces what it could not read.
std::optional<QMap<QString, QVariant>> storedEntries(const QString& path) {
    QMap<QString, QVariant> entries;
    if (!QFileInfo::exists(path)) return entries;
    if (!QFile(path).open(QIODevice::ReadOnly)) return std::nullopt;
    QSettings store(path, QSettings::IniFormat);
    if (store.status() != QSettings::NoError) return std::nullopt;
    for (const QString& key : store.allKeys()) entries.insert(key, store.value(key));
    return entries;
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
    const QString entry = entryKey(section, key);
    if (entry.isEmpty()) return false;
    const QString folder = settingsFolder();
    if (!QDir().mkpath(folder)) return false;
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const FolderLock lock(folder);
    if (!lock.locked()) return false;
    const QString path = storeFile(application);
    std::optional<QMap<QString, QVariant>> entries = storedEntries(path);
    if (!entries) return false;
    entries->insert(entry, value);

    // The settings library writes its files by a road of its own that a full disk leaves
    // empty or short: the store is written whole aside and put in place by the safe writer.
    vb::ReplacementFile store(path);
    if (!store.open(0600) || !store.write(iniFile(*entries))) return false;
    // The library also keeps what it last read of a file for as long as the file's size and
    // time stay the same: the new store is stamped later than the one it replaces.
    auto* file = static_cast<QFileDevice*>(store.device());
    const QDateTime before = QFileInfo(path).lastModified();
    if (!file->flush()) return false;
    const QDateTime written = file->fileTime(QFileDevice::FileModificationTime);
    if (before.isValid() && written <= before)
        file->setFileTime(before.addMSecs(1), QFileDevice::FileModificationTime);
    return store.commit();
}

}  // namespace shell
