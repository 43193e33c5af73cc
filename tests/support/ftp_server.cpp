#include "tests/support/ftp_server.h"

#include <QDir>
#include <QFile>

#include <stdexcept>

namespace zxtest {

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
    if (!options.sizeCommand) args << "--no-size";
    if (!options.listing.isEmpty()) {
        const QString listing = dir_.filePath("listing.txt");
        QFile f(listing);
        if (!f.open(QIODevice::WriteOnly) || f.write(options.listing) != options.listing.size())
            throw std::runtime_error("cannot write the FTP server's listing");
        args << "--listing" << listing;
    }
    if (!options.cutFile.isEmpty())
        args << "--cut" << options.cutFile + u':' + QString::number(options.cutAfter);
    if (options.cutEndsComplete) args << "--cut-complete";
    server_.start(QStringLiteral("FTP server"), args, dir_.filePath("server.err"), host_);
}

FtpServer::~FtpServer() {
    stop();
}

void FtpServer::stop() {
    server_.stop();
}

QString FtpServer::root() const {
    return dir_.filePath("root");
}

QString FtpServer::file(const QString& relative) const {
    return root() + u'/' + relative;
}

QStringList FtpServer::commands() const {
    return readTextFile(dir_.filePath("commands.log")).split(u'\n', Qt::SkipEmptyParts);
}

QStringList FtpServer::commands(const QStringList& verbs) const {
    QStringList out;
    for (const QString& line : commands())
        if (verbs.contains(line.section(u' ', 0, 0))) out << line;
    return out;
}

}  // namespace zxtest
