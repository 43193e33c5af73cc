#pragma once

#include <QString>

// The per-user settings store, by application, section and key (VB's GetSetting and
// SaveSetting). Each application keeps one file, private to the user (it may hold passwords).
namespace shell {

// The stored value, else `defaultValue`.
QString GetSetting(const QString& application, const QString& section, const QString& key,
                   const QString& defaultValue = {});
// Writes the value at once. False when the store cannot be written.
bool SaveSetting(const QString& application, const QString& section, const QString& key,
                 const QString& value);

// The folder that holds the store's files (by default under the user's configuration folder).
QString settingsFolder();
// Moves the store (tests point it at a temporary folder); returns the previous folder.
QString setSettingsFolder(const QString& folder);

}  // namespace shell
