#include "tests/support/python_server.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace zxtest {

namespace {
const QString kPython = QStringLiteral("/usr/bin/python3");
}  // namespace

bool portAnswers(const QString& host, int port) {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return false;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    ::inet_pton(AF_INET, host.toLatin1().constData(), &addr.sin_addr);
    addr.sin_port = htons(static_cast<uint16_t>(port));
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    ::close(fd);
    return ok;
}

QString readTextFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(f.readAll());
}

PythonServer::~PythonServer() {
    stop();
}

void PythonServer::start(const QString& what, const QStringList& scriptAndArguments,
                         const QString& errorFile, const QString& host) {
    process_.setStandardErrorFile(errorFile);
    process_.start(kPython, scriptAndArguments);

    QDeadlineTimer deadline(15000);
    while (!process_.canReadLine() && process_.state() != QProcess::NotRunning &&
           !deadline.hasExpired())
        process_.waitForReadyRead(100);
    port_ = process_.canReadLine() ? process_.readLine().trimmed().toInt() : 0;
    while (port_ > 0 && !portAnswers(host, port_) && !deadline.hasExpired()) QThread::msleep(20);
    if (port_ <= 0 || !portAnswers(host, port_)) {
        const QString why = readTextFile(errorFile);
        stop();
        throw std::runtime_error(("the " + what + " did not start: " + kPython + " " +
                                  scriptAndArguments.join(' ') + "\n" + why)
                                     .toStdString());
    }
}

void PythonServer::stop() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.terminate();
    if (!process_.waitForFinished(5000)) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

}  // namespace zxtest
