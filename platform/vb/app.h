#pragma once

#include <QString>

#include <functional>

namespace vb {

// VB's App object: the program folder and the executable's name. Tests point Path at a
// temporary folder.
struct AppInfo {
    QString Path;     // program folder, without a trailing separator
    QString EXEName;  // executable name without extension
    QString Title;
    QString HelpFile;  // the program's help file
};

AppInfo& App();

// Ends the program with an exit status (VB's End). The installed handler decides how: the
// program's default flushes and exits the process; tests install one that records the call
// and throws ProgramEnded.
void End(int status = 0);
// Returns the handler it replaces.
std::function<void(int)> setEndHandler(std::function<void(int)> handler);

struct ProgramEnded {
    int status = 0;
};

}  // namespace vb
