#include "tests/support/smtp_server.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QThread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace zxtest {

namespace {

// Debian's aiosmtpd belongs to the system interpreter, not to whatever python3 is first on PATH.
const QString kPython = QStringLiteral("/usr/bin/python3");

QString readText(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(f.readAll());
}

// A TCP socket bound to 127.0.0.1 on a port the system picks; -1 on failure.
int boundSocket(int* port) {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return -1;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    socklen_t len = sizeof addr;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        ::close(fd);
        return -1;
    }
    *port = ntohs(addr.sin_port);
    return fd;
}

bool portAnswers(int port) {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return false;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<uint16_t>(port));
    bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    ::close(fd);
    return ok;
}

QList<QPair<QString, QString>> pairs(const QJsonArray& array) {
    QList<QPair<QString, QString>> out;
    for (const auto& item : array) {
        const QJsonArray pair = item.toArray();
        out.append({pair.at(0).toString(), pair.at(1).toString()});
    }
    return out;
}

QString find(const QList<QPair<QString, QString>>& list, const QString& name) {
    for (const auto& [key, value] : list)
        if (key.compare(name, Qt::CaseInsensitive) == 0) return value;
    return {};
}

ReceivedMail parseRecord(const QJsonObject& o, QByteArray raw) {
    ReceivedMail m;
    m.mailFrom = o.value("mail_from").toString();
    for (const auto& r : o.value("rcpt_tos").toArray()) m.recipients << r.toString();
    m.tls = o.value("tls").toBool();
    m.login = o.value("login").toString();
    m.structure = o.value("structure").toString();
    for (const auto& d : o.value("defects").toArray()) m.defects << d.toString();
    for (const auto& item : o.value("parts").toArray()) {
        const QJsonObject p = item.toObject();
        m.parts.append({p.value("content_type").toString(), p.value("charset").toString(),
                        p.value("transfer_encoding").toString(), p.value("disposition").toString(),
                        p.value("filename").toString(),
                        QByteArray::fromBase64(p.value("content").toString().toLatin1())});
    }
    m.headers = pairs(o.value("headers").toArray());
    m.rawHeaders = pairs(o.value("raw_headers").toArray());
    m.raw = std::move(raw);
    return m;
}

}  // namespace

QString ReceivedMail::header(const QString& name) const {
    return find(headers, name);
}

QString ReceivedMail::rawHeader(const QString& name) const {
    return find(rawHeaders, name);
}

int ReceivedMail::headerCount(const QString& name) const {
    int n = 0;
    for (const auto& pair : headers)
        if (pair.first.compare(name, Qt::CaseInsensitive) == 0) ++n;
    return n;
}

SmtpServer::SmtpServer() : SmtpServer(Options{}) {}

SmtpServer::SmtpServer(Options options) {
    if (!dir_.isValid()) throw std::runtime_error("no temporary folder for the SMTP server");
    static const char* const kTls[] = {"none", "starttls", "implicit"};
    QStringList args{QStringLiteral(ZX_SUPPORT_SOURCE_DIR "/tests/support/smtp_server.py"),
                     "--outdir",
                     dir_.path(),
                     "--login",
                     options.login,
                     "--password",
                     options.password,
                     "--logins",
                     QString::number(options.logins),
                     "--tls",
                     QString::fromLatin1(kTls[static_cast<int>(options.tls)])};
    for (const QString& address : options.refuse) args << "--refuse" << address;
    process_.setStandardErrorFile(dir_.filePath("server.err"));
    process_.start(kPython, args);

    // The server prints its port once it listens; then the port must answer.
    QDeadlineTimer deadline(15000);
    while (!process_.canReadLine() && process_.state() != QProcess::NotRunning &&
           !deadline.hasExpired())
        process_.waitForReadyRead(100);
    port_ = process_.canReadLine() ? process_.readLine().trimmed().toInt() : 0;
    while (port_ > 0 && !portAnswers(port_) && !deadline.hasExpired()) QThread::msleep(20);
    if (port_ <= 0 || !portAnswers(port_)) {
        const QString why = readText(dir_.filePath("server.err"));
        stop();
        throw std::runtime_error(
            ("the SMTP server did not start: " + kPython + " " + args.join(' ') + "\n" + why)
                .toStdString());
    }
}

SmtpServer::~SmtpServer() {
    stop();
}

void SmtpServer::stop() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.terminate();
    if (!process_.waitForFinished(5000)) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

QString SmtpServer::certificateFile() const {
    return dir_.filePath("cert.pem");
}

QList<ReceivedMail> SmtpServer::messages() const {
    QList<ReceivedMail> out;
    for (int n = 1;; ++n) {
        const QString base = dir_.filePath(QStringLiteral("msg-%1").arg(n));
        QFile json(base + ".json");
        if (!json.open(QIODevice::ReadOnly)) break;
        QFile eml(base + ".eml");
        eml.open(QIODevice::ReadOnly);
        out.append(parseRecord(QJsonDocument::fromJson(json.readAll()).object(), eml.readAll()));
    }
    return out;
}

QStringList SmtpServer::events() const {
    return readText(dir_.filePath("events.log")).split('\n', Qt::SkipEmptyParts);
}

int SmtpServer::connections() const {
    QSet<QString> peers;
    for (const QString& line : events())
        if (line.startsWith("ehlo ")) peers.insert(line.mid(5));
    return peers.size();
}

SilentServer::SilentServer() {
    fd_ = boundSocket(&port_);
    // Connections complete in the kernel's backlog and then nothing is ever said.
    if (fd_ < 0 || ::listen(fd_, 16) != 0)
        throw std::runtime_error("no port for the silent server");
}

SilentServer::~SilentServer() {
    if (fd_ >= 0) ::close(fd_);
}

int closedPort() {
    int port = 0;
    int fd = boundSocket(&port);
    if (fd < 0) throw std::runtime_error("no free port");
    ::close(fd);
    return port;
}

}  // namespace zxtest
