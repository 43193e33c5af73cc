#pragma once

#include <QString>

// What the desktop does for the program: opening a file with its program and putting a
// shortcut on the desktop.
namespace shell {

// Opens a file (or a web link) with the desktop's default program for it. False when the
// desktop refused it. A file name wrapped in double quotes is taken without them.
bool openWithAssociated(const QString& pathOrLink);

// The user's desktop folder.
QString desktopFolder();

// Writes "<name>.desktop" in `folder`: a launcher that starts `target` with `icon`. The file
// is made executable, as desktops require before they trust a launcher. False when it cannot
// be written.
bool createDesktopShortcut(const QString& name, const QString& target, const QString& icon,
                           const QString& folder = desktopFolder());

}  // namespace shell
