#include "tests/support/screen_fit_display.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QThread>

namespace zxtest {

namespace {

constexpr int kStartMs = 15000;

}  // namespace

ManagedDisplay::ManagedDisplay(QSize pixels) {
    // -displayfd: the server takes the first free display number and writes it out.
    server_.setProcessChannelMode(QProcess::SeparateChannels);
    server_.start(
        QStringLiteral("Xvfb"),
        {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
         QStringLiteral("0"), QStringLiteral("%1x%2x24").arg(pixels.width()).arg(pixels.height()),
         QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    if (!server_.waitForStarted(kStartMs)) {
        error_ = QStringLiteral("Xvfb does not start: ") + server_.errorString();
        return;
    }
    QByteArray number;
    const QDeadlineTimer serverDeadline(kStartMs);
    while (!number.contains('\n') && server_.state() == QProcess::Running &&
           !serverDeadline.hasExpired()) {
        server_.waitForReadyRead(100);
        number += server_.readAllStandardOutput();
    }
    if (!number.contains('\n')) {
        error_ = QStringLiteral("Xvfb gives no display: ") +
                 QString::fromLocal8Bit(server_.readAllStandardError());
        stop();
        return;
    }
    const QString display = QLatin1Char(':') + QString::fromLatin1(number.trimmed());

    // openbox runs the --startup command once it manages the screen.
    const QString ready = folder_.filePath(QStringLiteral("listo"));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display);
    env.insert(QStringLiteral("HOME"), folder_.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), folder_.path());
    manager_.setProcessEnvironment(env);
    manager_.setProcessChannelMode(QProcess::MergedChannels);
    manager_.start(QStringLiteral("openbox"),
                   {QStringLiteral("--sm-disable"), QStringLiteral("--config-file"),
                    QStringLiteral("/etc/xdg/openbox/rc.xml"), QStringLiteral("--startup"),
                    QStringLiteral("touch ") + ready});
    if (!manager_.waitForStarted(kStartMs)) {
        error_ = QStringLiteral("openbox does not start: ") + manager_.errorString();
        stop();
        return;
    }
    const QDeadlineTimer managerDeadline(kStartMs);
    while (!QFileInfo::exists(ready) && manager_.state() == QProcess::Running &&
           !managerDeadline.hasExpired())
        QThread::msleep(20);
    if (!QFileInfo::exists(ready)) {
        error_ = QStringLiteral("openbox does not manage the display: ") +
                 QString::fromLocal8Bit(manager_.readAll());
        stop();
        return;
    }
    display_ = display;
}

ManagedDisplay::~ManagedDisplay() {
    stop();
}

QProcessEnvironment ManagedDisplay::environment(double scale) const {
    QProcessEnvironment env;
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("DISPLAY"), display_);
    env.insert(QStringLiteral("QT_SCALE_FACTOR"), QString::number(scale));
    // libxkbcommon-x11 hands strndup atom names that end at their length, not at a NUL: the
    // sanitizer's strict string checks take that for an overflow.
    const QString sanitizer = qEnvironmentVariable("ASAN_OPTIONS");
    if (!sanitizer.isEmpty())
        env.insert(QStringLiteral("ASAN_OPTIONS"),
                   sanitizer + QStringLiteral(":strict_string_checks=0"));
    return env;
}

void ManagedDisplay::stop() {
    for (QProcess* p : {&manager_, &server_}) {
        if (p->state() == QProcess::NotRunning) continue;
        p->terminate();
        if (!p->waitForFinished(5000)) {
            p->kill();
            p->waitForFinished(5000);
        }
    }
}

}  // namespace zxtest
