#include "platform/serial/mscomm.h"

#include "platform/serial/ports.h"
#include "platform/vb/textfile.h"
#include "platform/vb/vberror.h"

#include <QStringList>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

const QString kSource = QStringLiteral("MSComm");

[[noreturn]] void raise(long number, const QString& description) {
    throw vb::VbError(number, description, kSource);
}

struct LineSettings {
    speed_t speed = B9600;
    char parity = 'n';
    int dataBits = 8;
    int stopBits = 1;
};

bool parseSettings(const QString& text, LineSettings* out) {
    const QStringList parts = text.split(u',');
    if (parts.size() != 4) return false;
    bool ok = false;
    const int baud = parts[0].trimmed().toInt(&ok);
    if (!ok) return false;
    static const struct {
        int baud;
        speed_t speed;
    } speeds[] = {{110, B110},     {300, B300},     {600, B600},      {1200, B1200},
                  {2400, B2400},   {4800, B4800},   {9600, B9600},    {19200, B19200},
                  {38400, B38400}, {57600, B57600}, {115200, B115200}};
    bool known = false;
    for (const auto& s : speeds) {
        if (s.baud == baud) {
            out->speed = s.speed;
            known = true;
        }
    }
    if (!known) return false;
    const QString parity = parts[1].trimmed().toLower();
    if (parity != u"n" && parity != u"e" && parity != u"o") return false;
    out->parity = parity[0].toLatin1();
    out->dataBits = parts[2].trimmed().toInt(&ok);
    if (!ok || out->dataBits < 5 || out->dataBits > 8) return false;
    out->stopBits = parts[3].trimmed().toInt(&ok);
    return ok && (out->stopBits == 1 || out->stopBits == 2);
}

bool applySettings(int fd, const LineSettings& line) {
    termios tio{};
    if (tcgetattr(fd, &tio) != 0) return false;
    cfmakeraw(&tio);
    cfsetispeed(&tio, line.speed);
    cfsetospeed(&tio, line.speed);
    tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
    tio.c_cflag |= CLOCAL | CREAD;
    switch (line.dataBits) {
        case 5:
            tio.c_cflag |= CS5;
            break;
        case 6:
            tio.c_cflag |= CS6;
            break;
        case 7:
            tio.c_cflag |= CS7;
            break;
        default:
            tio.c_cflag |= CS8;
            break;
    }
    if (line.parity != 'n') tio.c_cflag |= PARENB;
    if (line.parity == 'o') tio.c_cflag |= PARODD;
    if (line.stopBits == 2) tio.c_cflag |= CSTOPB;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    return tcsetattr(fd, TCSANOW, &tio) == 0;
}

}  // namespace

MSComm::~MSComm() {
    close();
}

void MSComm::setCommPort(std::int16_t port) {
    if (PortOpen())
        raise(serial::err::PortOpen,
              QStringLiteral("Operation not valid while the port is opened"));
    if (port < 1) raise(serial::err::PortInvalid, QStringLiteral("Invalid port number"));
    commPort_ = port;
}

void MSComm::setSettings(const QString& settings) {
    LineSettings line;
    if (!parseSettings(settings, &line))
        raise(serial::err::InvalidPropertyValue, QStringLiteral("Invalid property value"));
    settings_ = settings;
}

void MSComm::setPortOpen(bool open) {
    if (open == PortOpen()) {
        if (open) raise(serial::err::PortAlreadyOpen, QStringLiteral("Port already open"));
        return;
    }
    if (open)
        this->open();
    else
        close();
}

void MSComm::open() {
    const QString device = serial::devicePath(commPort_);
    const QByteArray path = device.toLocal8Bit();
    const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == EBUSY || errno == EACCES)
            raise(serial::err::PortAlreadyOpen, QStringLiteral("Port already open"));
        raise(serial::err::PortInvalid, QStringLiteral("Invalid port number"));
    }
    if (!isatty(fd)) {
        ::close(fd);
        raise(serial::err::PortInvalid, QStringLiteral("Invalid port number"));
    }
    // One program at a time on a port, as Windows gives it: the lock tells another program
    // (or another control of this one) that the port is taken.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        raise(serial::err::PortAlreadyOpen, QStringLiteral("Port already open"));
    }
    ioctl(fd, TIOCEXCL);
    LineSettings line;
    parseSettings(settings_, &line);
    if (!applySettings(fd, line)) {
        ::close(fd);
        raise(serial::err::SetCommStateFailed, QStringLiteral("Could not set comm state"));
    }
    // Writes wait for room in the driver's buffer rather than losing bytes.
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    fd_ = fd;
}

void MSComm::close() {
    if (fd_ < 0) return;
    ioctl(fd_, TIOCNXCL);
    flock(fd_, LOCK_UN);
    ::close(fd_);
    fd_ = -1;
}

void MSComm::Output(const QByteArray& bytes) {
    if (!PortOpen()) raise(serial::err::PortNotOpen, QStringLiteral("The device is not open"));
    qsizetype sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.constData() + sent, bytes.size() - sent);
        if (n < 0) {
            if (errno == EINTR) continue;
            raise(serial::err::WriteFailed, QStringLiteral("Error writing to the comm device: ") +
                                                QString::fromLocal8Bit(std::strerror(errno)));
        }
        sent += n;
    }
}

void MSComm::Output(const QString& text) {
    Output(vb::toCp1252(text));
}
