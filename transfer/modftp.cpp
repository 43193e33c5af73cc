#include "transfer/modftp.h"

#include "platform/vb/variant.h"

#include <QDate>
#include <QTime>

namespace modFTP {

bool gFTPAutomatico = false;

QDateTime FileTimeAFecha(std::uint64_t fileTime) {
    constexpr std::int64_t kMsPerDay = 86'400'000;
    // Local time the way the platform gives it: the current offset, whatever the date.
    const std::int64_t offsetMs =
        static_cast<std::int64_t>(QDateTime::currentDateTime().offsetFromUtc()) * 1000;
    const std::int64_t ms = static_cast<std::int64_t>(fileTime / 10'000) + offsetMs;
    std::int64_t days = ms / kMsPerDay;
    std::int64_t rest = ms % kMsPerDay;
    if (rest < 0) {
        rest += kMsPerDay;
        --days;
    }
    // A reading of the local clock, as a Date is: made as a local date-time it would be
    // invalid where that clock skipped it.
    return vb::wallClock(QDate(1601, 1, 1).addDays(days),
                         QTime::fromMSecsSinceStartOfDay(static_cast<int>(rest)));
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
