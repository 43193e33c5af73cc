#pragma once

#include <QString>

// Finding the suite's files, whose names other programs wrote in any letter case.
namespace vendrix {

// `path` with "\" turned into "/"; when no file of that exact name exists, the file (or
// folder) whose every folder and name match without regard to case. The path unchanged
// when there is none.
QString findFileIgnoringCase(const QString& path);

// A file of the program folder (vb::App().Path) when `name` is relative, else `name` itself;
// found as findFileIgnoringCase does.
QString programFile(const QString& name);

// The temporary folder of the shared procedures, with a trailing separator: the value of
// "tmp" when "temp" is not empty, else (or when that is blank) the utility library's folder.
QString temporaryFolder();

}  // namespace vendrix
