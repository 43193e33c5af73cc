#pragma once

#include "platform/vb/currency.h"
#include "platform/vb/datetime.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <variant>

namespace vb {

// VB's variant: Empty, Null and "" stay distinct. A date is a wall-clock reading.
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
    Variant(const DateTime& v) : value_(v) {}
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
    bool isDate() const { return std::holds_alternative<DateTime>(value_); }
    bool isBytes() const { return std::holds_alternative<QByteArray>(value_); }
    bool isBoolean() const { return std::holds_alternative<bool>(value_); }
    // A number type (Boolean not included).
    bool isNumber() const;

    // Raw access; each raises Type mismatch when the variant holds another type.
    const QString& string() const;
    const DateTime& date() const;
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
                 Currency, DateTime, QString, QByteArray>
        value_;
};

}  // namespace vb
