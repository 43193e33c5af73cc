#include "platform/serial/ports.h"

#include "platform/shell/settings.h"

namespace serial {

namespace {

const QString kApplication = QStringLiteral("Zentrik");
const QString kSection = QStringLiteral("Puertos");

QString key(int port) {
    return QStringLiteral("COM") + QString::number(port);
}

}  // namespace

QString devicePath(int port) {
    if (port < 1) return {};
    const QString chosen = shell::GetSetting(kApplication, kSection, key(port)).trimmed();
    if (!chosen.isEmpty()) return chosen;
    return QStringLiteral("/dev/ttyS") + QString::number(port - 1);
}

bool setDevicePath(int port, const QString& path) {
    return shell::SaveSetting(kApplication, kSection, key(port), path);
}

}  // namespace serial
