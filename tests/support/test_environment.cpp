#include "tests/support/test_environment.h"

#include "tests/support/fixtures.h"
#include "tests/support/scripted_operator.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>

namespace zxtest {

void setTestEnvironment() {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("TZ", "America/Argentina/Buenos_Aires", 0);
    setenv("LC_ALL", "C.UTF-8", 0);
    tzset();
}

int writeExpectedFiles(int argc, char** argv, const QList<ExpectedFile>& files) {
    setTestEnvironment();
    ::testing::InitGoogleTest(&argc, argv);
    // A writer whose outputs need fonts or windows makes its own application first.
    std::unique_ptr<QCoreApplication> app;
    if (!QCoreApplication::instance()) app = std::make_unique<QCoreApplication>(argc, argv);
    // Settings and data the code keeps per user go to Qt's test area, never the real ones.
    QStandardPaths::setTestModeEnabled(true);
    ScriptedOperator strict;
    strict.setStrictAtEnd(false);
    int status = 0;
    for (const ExpectedFile& f : files) {
        const QString text = f.produce();
        QDir().mkpath(QFileInfo(f.path).path());
        if (!writeFile(f.path, text.toUtf8())) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(f.path));
            status = 1;
            continue;
        }
        std::printf("%s\n", qPrintable(f.path));
    }
    return status;
}

}  // namespace zxtest
