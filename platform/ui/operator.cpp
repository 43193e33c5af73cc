#include "platform/ui/operator.h"

#include "platform/vb/vberror.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSysInfo>

#include <pwd.h>
#include <unistd.h>

namespace ui {

namespace {

// Used before the program installs its operator: nothing can be shown without a display.
class HeadlessOperator : public Operator {
public:
    int msgBox(const QString& text, int, const QString&) override { refuse(text); }
    std::optional<QString> inputBox(const QString& prompt, const QString&,
                                    const QString&) override {
        refuse(prompt);
    }
    std::optional<QString> openFile(const QString& title, const QString&,
                                    const QString&) override {
        refuse(title);
    }
    std::optional<QString> saveFile(const QString& title, const QString&,
                                    const QString&) override {
        refuse(title);
    }
    std::optional<QDate> pickDate(const QDate&, const QString& title) override { refuse(title); }
    int showModal(QDialog&) override { refuse(QStringLiteral("form")); }
    void doEvents() override {
        if (QCoreApplication::instance()) QCoreApplication::processEvents();
    }
    void setBusy(bool) override {}

private:
    [[noreturn]] static void refuse(const QString& what) {
        throw vb::VbError(vb::err::InvalidProcedureCall,
                          QStringLiteral("No operator to ask: %1").arg(what),
                          QStringLiteral("ui"));
    }
};

}  // namespace

std::optional<QStringList> Operator::openFiles(const QString& title, const QString& filter,
                                               const QString& initialDir) {
    const std::optional<QString> path = openFile(title, filter, initialDir);
    if (!path) return std::nullopt;
    return QStringList{*path};
}

namespace {

HeadlessOperator& headless() {
    static HeadlessOperator h;
    return h;
}
SystemClock& systemClock() {
    static SystemClock c;
    return c;
}
SystemStation& systemStation() {
    static SystemStation s;
    return s;
}

Operator* gOperator = nullptr;
Clock* gClock = nullptr;
Station* gStation = nullptr;

}  // namespace

Operator& op() {
    return gOperator ? *gOperator : headless();
}
Clock& clock() {
    return gClock ? *gClock : systemClock();
}
Station& station() {
    return gStation ? *gStation : systemStation();
}

BusyPointer::BusyPointer() {
    op().setBusy(true);
}
BusyPointer::~BusyPointer() {
    op().setBusy(false);
}

void repaintNowAndThen() {
    static QElapsedTimer since;
    if (since.isValid() && since.elapsed() < 100) return;
    since.start();
    op().repaint();
}

Operator* setOperator(Operator* service) {
    return std::exchange(gOperator, service);
}
Clock* setClock(Clock* service) {
    return std::exchange(gClock, service);
}
Station* setStation(Station* service) {
    return std::exchange(gStation, service);
}

QDateTime SystemClock::instant() const {
    return QDateTime::currentDateTime();
}

QString SystemStation::computerName() const {
    return QSysInfo::machineHostName();
}

QString SystemStation::userName() const {
    if (const passwd* pw = getpwuid(geteuid())) return QString::fromLocal8Bit(pw->pw_name);
    return qEnvironmentVariable("USER");
}

}  // namespace ui
