#include "tests/support/pseudo_serial.h"

#include "platform/serial/ports.h"
#include "platform/shell/settings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace zxtest {

PseudoSerialPort::PseudoSerialPort(int port)
    : port_(port), previousStore_(shell::setSettingsFolder(store_.path())) {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
        ADD_FAILURE() << "no pseudo-terminal could be made";
        return;
    }
    device_ = QString::fromLocal8Bit(ptsname(master_));
    // Held open by the test, so the line keeps its settings between the program's opens.
    slave_ = ::open(device_.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave_ < 0) ADD_FAILURE() << "the pseudo-terminal's device does not open";
    if (!serial::setDevicePath(port, device_)) ADD_FAILURE() << "the port setting was not saved";
}

PseudoSerialPort::~PseudoSerialPort() {
    if (slave_ >= 0) ::close(slave_);
    if (master_ >= 0) ::close(master_);
    shell::setSettingsFolder(previousStore_);
}

void PseudoSerialPort::mapPort(int port, const QString& path) {
    if (!serial::setDevicePath(port, path)) ADD_FAILURE() << "the port setting was not saved";
}

termios PseudoSerialPort::lineSettings() const {
    termios tio{};
    if (slave_ < 0 || tcgetattr(slave_, &tio) != 0) ADD_FAILURE() << "no line settings";
    return tio;
}

QByteArray PseudoSerialPort::received() {
    QByteArray out;
    if (master_ < 0) return out;
    // The terminal hands written bytes over asynchronously: wait for the first ones, then
    // read until nothing more comes.
    int wait = 500;
    for (;;) {
        pollfd p{master_, POLLIN, 0};
        if (poll(&p, 1, wait) <= 0 || !(p.revents & POLLIN)) break;
        char buffer[4096];
        const ssize_t n = ::read(master_, buffer, sizeof buffer);
        if (n <= 0) break;
        out.append(buffer, n);
        wait = 50;
    }
    return out;
}

}  // namespace zxtest
