#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QSize>
#include <QString>
#include <QTemporaryDir>

namespace zxtest {

// An X server of its own (Xvfb, on a display number it finds free) with a window manager
// (openbox) on it, so that windows get the frame an operator's desktop gives them; both stop
// when the object goes. Tests that start one each run side by side.
class ManagedDisplay {
public:
    explicit ManagedDisplay(QSize pixels);
    ~ManagedDisplay();
    ManagedDisplay(const ManagedDisplay&) = delete;
    ManagedDisplay& operator=(const ManagedDisplay&) = delete;

    // Whether the server and the window manager are up; error() says why not.
    bool started() const { return !display_.isEmpty(); }
    QString error() const { return error_; }
    // The environment of a Qt program on the display, shown at `scale` (QT_SCALE_FACTOR).
    QProcessEnvironment environment(double scale) const;

private:
    void stop();

    QTemporaryDir folder_;
    QProcess server_;
    QProcess manager_;
    QString display_;
    QString error_;
};

}  // namespace zxtest
