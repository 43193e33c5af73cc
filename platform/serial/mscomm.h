#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

// The serial-port control as the suite uses it: a numbered port, opened and closed by
// PortOpen, and bytes sent through Output. The line is set to Settings when the port opens
// ("9600,n,8,1": baud, parity, data bits, stop bits), raw, without handshaking. Failures are
// raised as vb::VbError with the control's numbers (serial::err).
class MSComm {
public:
    MSComm() = default;
    ~MSComm();
    MSComm(const MSComm&) = delete;
    MSComm& operator=(const MSComm&) = delete;

    std::int16_t CommPort() const { return commPort_; }
    // Only while the port is closed (8000 otherwise); below 1 raises 8002.
    void setCommPort(std::int16_t port);

    QString Settings() const { return settings_; }
    // Taken when the port opens; a text that is not a line setting raises 380.
    void setSettings(const QString& settings);

    bool PortOpen() const { return fd_ >= 0; }
    // True opens the port's device (8002 when it does not exist or is not a serial line,
    // 8005 when another program holds it); False closes it (harmless when closed).
    void setPortOpen(bool open);

    // Sends the bytes as they are; each character of a text is one byte (Windows-1252).
    // 8012 when the port is closed; a failed write raises 8020.
    void Output(const QByteArray& bytes);
    void Output(const QString& text);

private:
    void open();
    void close();

    std::int16_t commPort_ = 1;
    QString settings_ = QStringLiteral("9600,n,8,1");
    int fd_ = -1;
};

namespace serial::err {
constexpr long InvalidPropertyValue = 380;
constexpr long PortOpen = 8000;         // operation not valid while the port is open
constexpr long PortInvalid = 8002;      // no such port
constexpr long PortAlreadyOpen = 8005;  // held by another program
constexpr long PortNotOpen = 8012;      // the device is not open
constexpr long SetCommStateFailed = 8015;
constexpr long WriteFailed = 8020;
}  // namespace serial::err
