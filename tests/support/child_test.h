#pragma once

#include <QProcessEnvironment>
#include <QSize>
#include <QString>

#include <initializer_list>

namespace zxtest {

// True in a child process started by runTestInChild: the test body does its checks there.
bool inChildTest();

// Runs the current test again in a child process of this test program, with `environment`
// over this process's own; true when the child's test passed. `output` gets what the child
// wrote, for the failure message.
bool runTestInChild(const QProcessEnvironment& environment, QString* output = nullptr);
// The same for the tests a gtest filter names ("Suite.*").
bool runTestsInChild(const QString& filter, const QProcessEnvironment& environment,
                     QString* output = nullptr);

// Runs the current test again in a child process under each machine language in `languages`
// ("C", "en_US.UTF-8", …), a failed child failing this test, and gives true; in such a child
// it gives false, and the test goes on to its checks there.
bool ranInLanguages(std::initializer_list<const char*> languages);

// The environment of an offscreen screen of `pixels` device pixels (no task bar) shown at
// `scale` (QT_SCALE_FACTOR): its settings file is written in `folder`.
QProcessEnvironment offscreenScreen(const QString& folder, QSize pixels, double scale);

}  // namespace zxtest
