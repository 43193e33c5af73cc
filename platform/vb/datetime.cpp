#include "platform/vb/datetime.h"

namespace vb {

namespace {

constexpr qint64 kMsPerDay = 86'400'000;
const qint64 kEpochDay = QDate(1970, 1, 1).toJulianDay();

// Floor division, so that readings before 1970 count back from their day's midnight.
qint64 floorDiv(qint64 a, qint64 b) {
    const qint64 q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

}  // namespace

DateTime::DateTime(const QDate& date, const QTime& time)
    : date_(date), ms_(date.isValid() && time.isValid() ? time.msecsSinceStartOfDay() : 0) {}

DateTime DateTime::fromMSecsSinceEpoch(qint64 ms) {
    const qint64 days = floorDiv(ms, kMsPerDay);
    DateTime out;
    out.date_ = QDate::fromJulianDay(kEpochDay + days);
    out.ms_ = out.date_.isValid() ? static_cast<int>(ms - days * kMsPerDay) : 0;
    return out;
}

qint64 DateTime::toMSecsSinceEpoch() const {
    return (date_.toJulianDay() - kEpochDay) * kMsPerDay + ms_;
}

QTime DateTime::time() const {
    return isValid() ? QTime::fromMSecsSinceStartOfDay(ms_) : QTime();
}

DateTime DateTime::addDays(qint64 days) const {
    DateTime out = *this;
    out.date_ = date_.addDays(days);
    if (!out.date_.isValid()) out.ms_ = 0;
    return out;
}

DateTime DateTime::addMonths(int months) const {
    return DateTime(date_.addMonths(months), time());
}

DateTime DateTime::addYears(int years) const {
    return DateTime(date_.addYears(years), time());
}

DateTime DateTime::addSecs(qint64 secs) const {
    return addMSecs(secs * 1000);
}

DateTime DateTime::addMSecs(qint64 ms) const {
    if (!isValid()) return {};
    const qint64 total = ms_ + ms;
    const qint64 days = floorDiv(total, kMsPerDay);
    DateTime out = addDays(days);
    if (out.isValid()) out.ms_ = static_cast<int>(total - days * kMsPerDay);
    return out;
}

qint64 DateTime::daysTo(const DateTime& other) const {
    return isValid() && other.isValid() ? date_.daysTo(other.date_) : 0;
}

qint64 DateTime::secsTo(const DateTime& other) const {
    return msecsTo(other) / 1000;
}

qint64 DateTime::msecsTo(const DateTime& other) const {
    if (!isValid() || !other.isValid()) return 0;
    return date_.daysTo(other.date_) * kMsPerDay + (other.ms_ - ms_);
}

QString DateTime::toString(const QString& format) const {
    return isValid() ? toQDateTime().toString(format) : QString();
}

QDateTime DateTime::toQDateTime() const {
    // UTC has no clock changes: it holds every reading's fields as they are.
    return isValid() ? QDateTime(date_, time(), Qt::UTC) : QDateTime();
}

DateTime wallClock(const QDateTime& instant) {
    return DateTime(instant.date(), instant.time());
}

QDateTime utcInstant(const QDate& date, const QTime& time) {
    return QDateTime(date, time, Qt::UTC);
}

}  // namespace vb
