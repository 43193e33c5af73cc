#include "platform/shell/desktop.h"

#include "platform/shell/process.h"
#include "platform/vb/safefile.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QStandardPaths>

#include <utility>

namespace shell {

namespace {

// How long the desktop's opener may take to fail: a few seconds, as it fails at once when
// nothing can open the file; one still running then has started its program in the
// foreground.
constexpr int kOpenerWaitMilliseconds = 3000;

Opener& standIn() {
    static Opener opener;
    return opener;
}

// The desktop's opener, run by us so that its exit status is known (Qt's services only start
// it). Only where there is a desktop: offscreen nothing is opened, as Qt's services do there.
QString desktopOpener() {
    const QString platform = QGuiApplication::platformName();
    if (platform != QLatin1String("xcb") && !platform.startsWith(QLatin1String("wayland")))
        return {};
    return QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
}

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
    // A scheme of one letter is a drive ("C:"): a file name.
    const bool file = url.scheme().size() <= 1;
    if (file) url = QUrl::fromLocalFile(QFileInfo(target).absoluteFilePath());
    if (standIn()) return standIn()(url);
    const QString opener = desktopOpener();
    if (opener.isEmpty()) return QDesktopServices::openUrl(url);
    const BoundedRun run =
        runAndWaitAtMost(opener, {file ? url.toLocalFile() : target}, kOpenerWaitMilliseconds);
    return run == BoundedRun::Succeeded || run == BoundedRun::StillRunning;
}

Opener setOpener(Opener opener) {
    return std::exchange(standIn(), std::move(opener));
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
