#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

namespace zxtest {

// A test server written in Python and run by Debian's interpreter (the server packages belong
// to /usr/bin/python3, not to whatever python3 is first on the PATH). The script prints the
// port it listens on; start() waits for that line and for the port to answer.
class PythonServer {
public:
    ~PythonServer();
    // Raises std::runtime_error, naming `what` and the script's error output (written to
    // `errorFile`), when the server is not up within 15 seconds.
    void start(const QString& what, const QStringList& scriptAndArguments,
               const QString& errorFile, const QString& host = QStringLiteral("127.0.0.1"));
    void stop();
    int port() const { return port_; }

private:
    QProcess process_;
    int port_ = 0;
};

// Whether something accepts connections on host:port.
bool portAnswers(const QString& host, int port);
// A UTF-8 text file's contents (empty when it cannot be read).
QString readTextFile(const QString& path);

}  // namespace zxtest
