#include "tests/support/smtp_server.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <thread>

namespace zxtest {

namespace {

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
    static const char* const kHold[] = {"none", "greeting", "ehlo", "data", "trickle", "body"};
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
                     QString::fromLatin1(kTls[static_cast<int>(options.tls)]),
                     "--hold",
                     QString::fromLatin1(kHold[static_cast<int>(options.hold)]),
                     "--hold-ms",
                     QString::number(options.holdLimitMs),
                     "--trickle-ms",
                     QString::number(options.trickleMs)};
    for (const QString& address : options.refuse) args << "--refuse" << address;
    server_.start(QStringLiteral("SMTP server"), args, dir_.filePath("server.err"));
}

SmtpServer::~SmtpServer() {
    stop();
}

void SmtpServer::stop() {
    server_.stop();
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
    return readTextFile(dir_.filePath("events.log")).split('\n', Qt::SkipEmptyParts);
}

bool SmtpServer::holding() const {
    int held = 0;
    for (const QString& line : events()) {
        if (line.startsWith("hold ")) ++held;
        if (line.startsWith("released ")) --held;
    }
    return held > 0;
}

bool SmtpServer::waitUntilHolding(int limitMs) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    while (!holding()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

void SmtpServer::release() {
    QFile file(dir_.filePath("release"));
    if (!file.open(QIODevice::WriteOnly)) throw std::runtime_error("cannot release the server");
}

namespace {

QByteArray clientBytes(const QString& path, bool overTls) {
    QByteArray out;
    for (const QString& line : readTextFile(path).split('\n', Qt::SkipEmptyParts)) {
        const QJsonObject chunk = QJsonDocument::fromJson(line.toUtf8()).object();
        if (chunk.value("tls").toBool() == overTls)
            out += QByteArray::fromBase64(chunk.value("data").toString().toLatin1());
    }
    return out;
}

}  // namespace

QByteArray SmtpServer::receivedInClear() const {
    return clientBytes(dir_.filePath("client.log"), false);
}

QByteArray SmtpServer::receivedOverTls() const {
    return clientBytes(dir_.filePath("client.log"), true);
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
