#include "transfer/modftp.h"

#include <QDateTime>

namespace modFTP {

bool gFTPAutomatico = false;

vb::DateTime FileTimeAFecha(std::uint64_t fileTime) {
    // Milliseconds from 1 January 1601 to 1 January 1970, both UTC.
    constexpr std::int64_t kEpochMs = 11'644'473'600'000;
    // Local time the way the platform gives it: the current offset, whatever the date. A
    // reading, so a local clock that skipped that time cannot make it invalid.
    const std::int64_t offsetMs =
        static_cast<std::int64_t>(QDateTime::currentDateTime().offsetFromUtc()) * 1000;
    return vb::DateTime::fromMSecsSinceEpoch(static_cast<std::int64_t>(fileTime / 10'000) -
                                             kEpochMs + offsetMs);
}

bool NombreLocalValido(const QString& nombre) {
    if (nombre.isEmpty() || nombre == QLatin1String(".") || nombre == QLatin1String(".."))
        return false;
    if (nombre.size() >= 2 && nombre[1] == u':') return false;
    for (const QChar ch : nombre)
        if (ch == u'/' || ch == u'\\' || ch.category() == QChar::Other_Control) return false;
    return true;
}

}  // namespace modFTP
