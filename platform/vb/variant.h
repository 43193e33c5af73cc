#pragma once

#include "platform/vb/currency.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <cstdint>
#include <variant>

namespace vb {

// The program's date-times are wall-clock readings, a date and a time of day with no zone, as
// VB's Date and SQL Server's datetime are. One is held in a QDateTime in Qt::UTC, used only as
// the container of that reading: no local clock change can make it invalid or move it.
inline QDateTime wallClock(const QDate& date, const QTime& time = QTime(0, 0)) {
    return QDateTime(date, time, Qt::UTC);
}
// The reading of a zoned date-time (the clock's now, a file's time): its own local fields.
inline QDateTime wallClock(const QDateTime& zoned) {
    return zoned.timeSpec() == Qt::UTC ? zoned : QDateTime(zoned.date(), zoned.time(), Qt::UTC);
}

// VB's variant: Empty, Null and "" stay distinct. A date is a wall-clock reading: a QDateTime
// given to it is kept as the reading of its own fields.
class Variant {
public:
    // The codes of VB's VarType.
    enum class Type {
        Empty = 0,
        Null = 1,
        Integer = 2,
        Long = 3,
        Double = 5,
        Currency = 6,
        Date = 7,
        String = 8,
        Boolean = 11,
        LongLong = 20,
        Bytes = 8209,  // vbArray + vbByte
    };

    Variant() = default;  // Empty
    Variant(bool v) : value_(v) {}
    Variant(std::int16_t v) : value_(v) {}
    Variant(int v) : value_(static_cast<std::int32_t>(v)) {}
    Variant(long v);
    Variant(long long v) : value_(static_cast<std::int64_t>(v)) {}
    Variant(double v) : value_(v) {}
    Variant(Currency v) : value_(v) {}
    Variant(const QDateTime& v) : value_(wallClock(v)) {}
    Variant(const QDate& v) : value_(wallClock(v)) {}
    Variant(const QString& v) : value_(v) {}
    Variant(const char* v) : value_(QString::fromUtf8(v)) {}
    Variant(const char16_t* v) : value_(QString::fromUtf16(v)) {}
    Variant(const QByteArray& v) : value_(v) {}

    static Variant null() {
        Variant v;
        v.value_ = NullTag{};
        return v;
    }

    Type type() const;
    bool isEmpty() const { return std::holds_alternative<std::monostate>(value_); }
    bool isNull() const { return std::holds_alternative<NullTag>(value_); }
    bool isString() const { return std::holds_alternative<QString>(value_); }
    bool isDate() const { return std::holds_alternative<QDateTime>(value_); }
    bool isBytes() const { return std::holds_alternative<QByteArray>(value_); }
    bool isBoolean() const { return std::holds_alternative<bool>(value_); }
    // A number type (Boolean not included).
    bool isNumber() const;

    // Raw access; each raises Type mismatch when the variant holds another type.
    const QString& string() const;
    // A date's wall-clock reading, held in Qt::UTC (see wallClock).
    const QDateTime& date() const;
    const QByteArray& bytes() const;
    Currency currency() const;
    bool boolean() const;
    // The value of a number or Boolean as a double (True is -1, as in VB).
    double number() const;
    // The exact value of a whole-number type (Integer, Long, LongLong) or Boolean (True is
    // -1); raises Type mismatch for any other type. 64-bit values keep every digit.
    std::int64_t wholeNumber() const;

    // Same type and same value (Empty == Empty, Null == Null); no VB coercion.
    friend bool operator==(const Variant& a, const Variant& b) { return a.value_ == b.value_; }

private:
    struct NullTag {
        friend bool operator==(NullTag, NullTag) { return true; }
    };
    std::variant<std::monostate, NullTag, bool, std::int16_t, std::int32_t, std::int64_t, double,
                 Currency, QDateTime, QString, QByteArray>
        value_;
};

}  // namespace vb
