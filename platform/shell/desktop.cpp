#include "platform/shell/desktop.h"

#include "platform/vb/safefile.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

namespace shell {

namespace {

QString unquoted(const QString& text) {
    const QString t = text.trimmed();
    if (t.size() >= 2 && t.startsWith(u'"') && t.endsWith(u'"')) return t.mid(1, t.size() - 2);
    return t;
}

// One argument of an Exec line, quoted as the desktop entry format asks when it needs it.
QString execArgument(const QString& argument) {
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool needsQuotes = argument.isEmpty();
    for (QChar c : argument) needsQuotes |= reserved.contains(c);
    QString escaped;
    for (QChar c : argument) {
        if (needsQuotes && (c == u'"' || c == u'`' || c == u'$' || c == u'\\')) escaped += u'\\';
        escaped += c;
    }
    escaped.replace(u'%', QStringLiteral("%%"));
    return needsQuotes ? u'"' + escaped + u'"' : escaped;
}

// Values of a desktop entry keep to one line; a backslash is written as its escape.
QString entryValue(QString value) {
    value.replace(u'\\', QStringLiteral("\\\\"));
    value.replace(u'\n', QStringLiteral("\\n"));
    value.replace(u'\r', QStringLiteral("\\r"));
    return value;
}

}  // namespace

bool openWithAssociated(const QString& pathOrLink) {
    const QString target = unquoted(pathOrLink);
    if (target.isEmpty()) return false;
    QUrl url(target);
    if (url.scheme().size() <= 1) url = QUrl::fromLocalFile(QFileInfo(target).absoluteFilePath());
    return QDesktopServices::openUrl(url);
}

QString desktopFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
}

bool createDesktopShortcut(const QString& name, const QString& target, const QString& icon,
                           const QString& folder) {
    if (name.isEmpty() || folder.isEmpty() || !QDir().mkpath(folder)) return false;
    const QString text =
        QStringLiteral(
            "[Desktop Entry]\n"
            "Type=Application\n"
            "Version=1.0\n"
            "Name=%1\n"
            "Exec=%2\n"
            "Icon=%3\n"
            "Terminal=false\n")
            .arg(entryValue(name), entryValue(execArgument(target)), entryValue(icon));
    // Executable, as desktops ask of a launcher they are to trust.
    return vb::replaceFile(QDir(folder).filePath(name + QStringLiteral(".desktop")), text.toUtf8(),
                           0755);
}

}  // namespace shell
