#include "tests/support/child_test.h"

#include "tests/support/fixtures.h"

#include <QCoreApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

namespace zxtest {

namespace {
const char kChild[] = "ZX_CHILD_TEST";
}  // namespace

bool inChildTest() {
    return qEnvironmentVariableIsSet(kChild);
}

bool runTestInChild(const QProcessEnvironment& environment, QString* output) {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    return runTestsInChild(QStringLiteral("%1.%2").arg(QString::fromUtf8(test->test_suite_name()),
                                                       QString::fromUtf8(test->name())),
                           environment, output);
}

bool runTestsInChild(const QString& filter, const QProcessEnvironment& environment,
                     QString* output) {
    QProcessEnvironment all = QProcessEnvironment::systemEnvironment();
    all.insert(environment);
    all.insert(QString::fromLatin1(kChild), QStringLiteral("1"));
    QProcess child;
    child.setProcessEnvironment(all);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=") + filter});
    const bool ended = child.waitForFinished(-1);
    if (output) *output = QString::fromLocal8Bit(child.readAll());
    return ended && child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0;
}

bool ranInLanguages(std::initializer_list<const char*> languages) {
    if (inChildTest()) return false;
    for (const char* language : languages) {
        SCOPED_TRACE(language);
        QProcessEnvironment env;
        for (const char* variable : {"LANG", "LC_ALL", "LC_MESSAGES", "LANGUAGE"})
            env.insert(QString::fromLatin1(variable), QString::fromLatin1(language));
        QString output;
        EXPECT_TRUE(runTestInChild(env, &output)) << output.toStdString();
    }
    return true;
}

QProcessEnvironment offscreenScreen(const QString& folder, QSize pixels, double scale) {
    const QJsonObject screen{{"name", "pantalla"},
                             {"x", 0},
                             {"y", 0},
                             {"width", pixels.width()},
                             {"height", pixels.height()}};
    const QString file = QDir(folder).filePath(QStringLiteral("pantalla.json"));
    writeFile(file, QJsonDocument(QJsonObject{{"screens", QJsonArray{screen}}}).toJson());
    QProcessEnvironment env;
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen:configfile=") + file);
    env.insert(QStringLiteral("QT_SCALE_FACTOR"), QString::number(scale));
    return env;
}

}  // namespace zxtest
