#pragma once

#include <QString>
#include <QUrl>

#include <functional>

// What the desktop does for the program: opening a file with its program and putting a
// shortcut on the desktop.
namespace shell {

// Opens a file (or a web link) with the desktop's default program for it. False when the
// desktop refused it or its opener failed; an opener still running after a few seconds (a
// browser started in the foreground) has opened it, and is not waited for further. A file
// name wrapped in double quotes is taken without them.
bool openWithAssociated(const QString& pathOrLink);

// Takes the desktop's place while set (tests record what would have been opened): it gets
// each file, as a file URL, or link, and its answer is the result. Gives the one set before.
using Opener = std::function<bool(const QUrl&)>;
Opener setOpener(Opener opener);

// The user's desktop folder.
QString desktopFolder();

// Writes "<name>.desktop" in `folder`: a launcher that starts `target` with `icon`. The file
// is made executable, as desktops require before they trust a launcher. False when it cannot
// be written.
bool createDesktopShortcut(const QString& name, const QString& target, const QString& icon,
                           const QString& folder = desktopFolder());

}  // namespace shell
