#pragma once

#include <QList>
#include <QString>

#include <functional>

namespace zxtest {

// The fixed surroundings of every test process, each kept where the caller already set it:
// offscreen windows, Buenos Aires time and a C UTF-8 locale.
void setTestEnvironment();

// One file of expected output and the code that produces its text.
struct ExpectedFile {
    QString path;
    std::function<QString()> produce;
};

// The main of a program that rewrites expected outputs in the source tree: the test
// environment, the Qt application (unless the caller made one), an operator that answers
// nothing, then every file written as UTF-8 and its path printed. Returns 1 when a file could
// not be written, else 0.
int writeExpectedFiles(int argc, char** argv, const QList<ExpectedFile>& files);

}  // namespace zxtest
