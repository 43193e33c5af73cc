#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

#include <compare>

namespace vb {

// A wall-clock reading: a date and a time of day to the millisecond, with no zone, as VB's
// Date and SQL Server's datetime are. No clock change can make one invalid or move it. A real
// instant (a QDateTime) becomes one only where it enters: the clock, a file's time.
class DateTime {
public:
    DateTime() = default;  // no reading: isValid() is false
    // Invalid when the date is; an invalid time stands for midnight, as in a QDateTime.
    DateTime(const QDate& date, const QTime& time);

    // A count of milliseconds from the reading 1970-01-01 00:00, which orders as the readings
    // do.
    static DateTime fromMSecsSinceEpoch(qint64 ms);
    qint64 toMSecsSinceEpoch() const;

    bool isValid() const { return date_.isValid(); }
    QDate date() const { return date_; }
    QTime time() const;

    // Arithmetic on the reading itself: a day is always 24 hours long. An invalid reading
    // stays invalid.
    DateTime addDays(qint64 days) const;
    DateTime addMonths(int months) const;
    DateTime addYears(int years) const;
    DateTime addSecs(qint64 secs) const;
    DateTime addMSecs(qint64 ms) const;
    qint64 daysTo(const DateTime& other) const;
    qint64 secsTo(const DateTime& other) const;
    qint64 msecsTo(const DateTime& other) const;

    // The reading in one of Qt's date-time formats ("yyyy-MM-dd HH:mm:ss"); empty when
    // invalid.
    QString toString(const QString& format) const;
    // For Qt's own classes that take a QDateTime (a driver's parameter): one in UTC, whose
    // fields are the reading's.
    QDateTime toQDateTime() const;

    friend bool operator==(const DateTime& a, const DateTime& b) {
        return a.date_ == b.date_ && a.ms_ == b.ms_;
    }
    // Invalid readings sort first.
    friend std::strong_ordering operator<=>(const DateTime& a, const DateTime& b) {
        if (auto c = a.date_.toJulianDay() <=> b.date_.toJulianDay(); c != 0) return c;
        return a.ms_ <=> b.ms_;
    }

private:
    QDate date_;
    int ms_ = 0;  // of the day, 0 to 86,399,999
};

// The reading of a date and a time of day.
inline DateTime wallClock(const QDate& date, const QTime& time = QTime(0, 0)) {
    return DateTime(date, time);
}
// The reading an instant shows in its own zone (the local clock's for a local one): its own
// date and time fields.
DateTime wallClock(const QDateTime& instant);

// The instant of a date and time of day in UTC, as machine listings and tests give times.
QDateTime utcInstant(const QDate& date, const QTime& time = QTime(0, 0));

}  // namespace vb
