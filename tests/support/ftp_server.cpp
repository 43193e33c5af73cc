#include "tests/support/ftp_server.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace zxtest {

namespace {

// Debian's pyftpdlib belongs to the system interpreter, not to whatever python3 is first on PATH.
const QString kPython = QStringLiteral("/usr/bin/python3");

bool answers(const QString& host, int port) {
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

QString readText(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(f.readAll());
}

}  // namespace

FtpServer::FtpServer() : FtpServer(Options{}) {}

FtpServer::FtpServer(Options options) : host_(options.host) {
    if (!dir_.isValid() || !QDir(dir_.path()).mkdir("root") || options.accounts.isEmpty())
        throw std::runtime_error("no temporary folder for the FTP server");
    login_ = options.accounts.first().login;
    password_ = options.accounts.first().password;
    QStringList args{QStringLiteral(ZX_SUPPORT_SOURCE_DIR "/tests/support/ftp_server.py"),
                     "--root",
                     root(),
                     "--logdir",
                     dir_.path(),
                     "--host",
                     host_};
    for (const Account& a : options.accounts)
        args << "--user" << a.login + u':' + a.password + u':' + a.permissions;
    if (!options.machineListing) args << "--no-mlsd";
    process_.setStandardErrorFile(dir_.filePath("server.err"));
    process_.start(kPython, args);

    // The server prints its port once it listens; then the port must answer.
    QDeadlineTimer deadline(15000);
    while (!process_.canReadLine() && process_.state() != QProcess::NotRunning &&
           !deadline.hasExpired())
        process_.waitForReadyRead(100);
    port_ = process_.canReadLine() ? process_.readLine().trimmed().toInt() : 0;
    while (port_ > 0 && !answers(host_, port_) && !deadline.hasExpired()) QThread::msleep(20);
    if (port_ <= 0 || !answers(host_, port_)) {
        const QString why = readText(dir_.filePath("server.err"));
        stop();
        throw std::runtime_error(
            ("the FTP server did not start: " + kPython + " " + args.join(' ') + "\n" + why)
                .toStdString());
    }
}

FtpServer::~FtpServer() {
    stop();
}

void FtpServer::stop() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.terminate();
    if (!process_.waitForFinished(5000)) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

QString FtpServer::root() const {
    return dir_.filePath("root");
}

QString FtpServer::file(const QString& relative) const {
    return root() + u'/' + relative;
}

QStringList FtpServer::commands() const {
    return readText(dir_.filePath("commands.log")).split(u'\n', Qt::SkipEmptyParts);
}

QStringList FtpServer::commands(const QStringList& verbs) const {
    QStringList out;
    for (const QString& line : commands())
        if (verbs.contains(line.section(u' ', 0, 0))) out << line;
    return out;
}

}  // namespace zxtest
