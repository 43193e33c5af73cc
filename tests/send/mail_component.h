#pragma once

#include "send/mailcomponent.h"
#include "tests/support/smtp_server.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace sendtest {

// What the send asked of the mail component.
struct ComponentLog {
    int created = 0;
    QString host;  // as the send asked for them
    int port = 0;
    QString login;
    QStringList recipients;
    QStringList attachments;
};

// While it lives, the send gets the real mail component pointed at `server` (127.0.0.1 and
// its port, whatever host and port the send asks for), and `log` records the calls.
class ComponentOnServer {
public:
    explicit ComponentOnServer(const zxtest::SmtpServer& server);
    ~ComponentOnServer();
    const ComponentLog& log() const { return *log_; }
    // Runs before each Enviar (to stop the server, say).
    void beforeSend(std::function<void()> f) { *beforeSend_ = std::move(f); }

private:
    std::shared_ptr<ComponentLog> log_;
    std::shared_ptr<std::function<void()>> beforeSend_;
    send::MailComponentFactory previous_;
};

// While it lives, no mail component can be created.
class NoComponent {
public:
    NoComponent();
    ~NoComponent();

private:
    send::MailComponentFactory previous_;
};

}  // namespace sendtest
