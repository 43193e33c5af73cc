#pragma once

#include "tests/support/python_server.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace zxtest {

// A real FTP server (python3-pyftpdlib) on a local address and a free port, for the life of
// the object. It serves the folder root() to the accounts given and logs every command it
// receives (passwords masked).
class FtpServer {
public:
    struct Account {
        QString login;
        QString password;
        QString permissions = QStringLiteral("elradfmwMT");  // pyftpdlib's letters: all
    };
    struct Options {
        QList<Account> accounts = {{QStringLiteral("vendrix"), QStringLiteral("73915046")}};
        QString host = QStringLiteral("127.0.0.1");
        bool machineListing = true;  // false: MLSD is answered as an unknown command
        // Not empty: every folder listing (MLSD and LIST) answers these bytes instead.
        QByteArray listing;
        // Not empty: a download of this file name stops after `cutAfter` bytes with "426".
        QString cutFile;
        qint64 cutAfter = 0;
        // true: that download ends there as if whole, the data connection closed and "226".
        bool cutEndsComplete = false;
        bool sizeCommand = true;  // false: SIZE is refused with "550", as some servers do
    };

    FtpServer();
    explicit FtpServer(Options options);
    ~FtpServer();

    int port() const { return server_.port(); }
    QString host() const { return host_; }
    QString login() const { return login_; }
    QString password() const { return password_; }
    // The folder the accounts see as "/".
    QString root() const;
    // A path below root(), "/" separated.
    QString file(const QString& relative) const;
    // The commands received so far, in order ("USER vendrix", "PASS ****", "STOR /a.txt"…).
    QStringList commands() const;
    // Only those commands whose verb is one of `verbs`.
    QStringList commands(const QStringList& verbs) const;
    void stop();

private:
    QTemporaryDir dir_;
    PythonServer server_;
    QString host_, login_, password_;
};

}  // namespace zxtest
