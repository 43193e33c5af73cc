// The GoogleTest main of every test: a fixed environment, the Qt application object, and an
// operator that fails the test on any prompt nobody scripted.
#include "platform/shell/settings.h"
#include "platform/vb/app.h"
#include "tests/support/scripted_operator.h"
#include "tests/support/test_environment.h"

#include <gtest/gtest.h>

#ifdef ZX_GUI_TESTS
#include <QApplication>
#else
#include <QCoreApplication>
#endif

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

int main(int argc, char** argv) {
    zxtest::setTestEnvironment();
    // A temporary folder of this process: tests that run side by side write files of the same
    // name (style sheets, reports named by the time) in the program's temporary folder.
    QTemporaryDir temporales(QDir::tempPath() + QStringLiteral("/zentrik-test-XXXXXX"));
    if (temporales.isValid()) {
        qputenv("TMPDIR", QFile::encodeName(temporales.path()));
        // Saved settings (form positions, FTP server) stay in this run and this process too.
        shell::setSettingsFolder(temporales.filePath(QStringLiteral("ajustes")));
    }
    ::testing::InitGoogleTest(&argc, argv);
#ifdef ZX_GUI_TESTS
    QApplication app(argc, argv);
#else
    QCoreApplication app(argc, argv);
#endif
    // Settings and data the code keeps per user go to Qt's test area, never the real ones.
    QStandardPaths::setTestModeEnabled(true);
    vb::setEndHandler([](int status) {
        ADD_FAILURE() << "the program ended with status " << status;
        throw vb::ProgramEnded{status};
    });
    zxtest::ScriptedOperator strict;  // no answers: any unexpected prompt fails the test
    strict.setStrictAtEnd(false);
    return RUN_ALL_TESTS();
}
