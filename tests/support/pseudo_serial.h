#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <termios.h>

namespace zxtest {

// A pseudo-terminal standing in for the serial port "COMn": the port's setting points at the
// terminal's device in a private settings store, and the test reads what was sent from the
// other side. Everything restored when it goes away.
class PseudoSerialPort {
public:
    explicit PseudoSerialPort(int port);
    ~PseudoSerialPort();
    PseudoSerialPort(const PseudoSerialPort&) = delete;
    PseudoSerialPort& operator=(const PseudoSerialPort&) = delete;

    int port() const { return port_; }
    QString device() const { return device_; }
    // Points another port number at a path of the test's choice (a missing device, a file).
    void mapPort(int port, const QString& path);
    // The line settings the program left on the terminal.
    termios lineSettings() const;
    // Every byte sent so far and not read yet; waits until the line has been quiet a moment.
    QByteArray received();

private:
    int port_;
    int master_ = -1;
    int slave_ = -1;
    QString device_;
    QTemporaryDir store_;
    QString previousStore_;
};

}  // namespace zxtest
