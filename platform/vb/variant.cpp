#include "platform/vb/variant.h"

#include "platform/vb/vberror.h"

#include <limits>

namespace vb {

Variant::Variant(long v) {
    if (v >= std::numeric_limits<std::int32_t>::min() &&
        v <= std::numeric_limits<std::int32_t>::max())
        value_ = static_cast<std::int32_t>(v);
    else
        value_ = static_cast<std::int64_t>(v);
}

Variant::Type Variant::type() const {
    switch (value_.index()) {
        case 0:
            return Type::Empty;
        case 1:
            return Type::Null;
        case 2:
            return Type::Boolean;
        case 3:
            return Type::Integer;
        case 4:
            return Type::Long;
        case 5:
            return Type::LongLong;
        case 6:
            return Type::Double;
        case 7:
            return Type::Currency;
        case 8:
            return Type::Date;
        case 9:
            return Type::String;
        default:
            return Type::Bytes;
    }
}

bool Variant::isNumber() const {
    switch (type()) {
        case Type::Integer:
        case Type::Long:
        case Type::LongLong:
        case Type::Double:
        case Type::Currency:
            return true;
        default:
            return false;
    }
}

const QString& Variant::string() const {
    if (auto p = std::get_if<QString>(&value_)) return *p;
    raise(err::TypeMismatch);
}

const DateTime& Variant::date() const {
    if (auto p = std::get_if<DateTime>(&value_)) return *p;
    raise(err::TypeMismatch);
}

const QByteArray& Variant::bytes() const {
    if (auto p = std::get_if<QByteArray>(&value_)) return *p;
    raise(err::TypeMismatch);
}

Currency Variant::currency() const {
    if (auto p = std::get_if<Currency>(&value_)) return *p;
    raise(err::TypeMismatch);
}

bool Variant::boolean() const {
    if (auto p = std::get_if<bool>(&value_)) return *p;
    raise(err::TypeMismatch);
}

double Variant::number() const {
    switch (type()) {
        case Type::Boolean:
            return std::get<bool>(value_) ? -1.0 : 0.0;
        case Type::Integer:
            return std::get<std::int16_t>(value_);
        case Type::Long:
            return std::get<std::int32_t>(value_);
        case Type::LongLong:
            return static_cast<double>(std::get<std::int64_t>(value_));
        case Type::Double:
            return std::get<double>(value_);
        case Type::Currency:
            return std::get<Currency>(value_).toDouble();
        default:
            raise(err::TypeMismatch);
    }
}

std::int64_t Variant::wholeNumber() const {
    switch (type()) {
        case Type::Boolean:
            return std::get<bool>(value_) ? -1 : 0;
        case Type::Integer:
            return std::get<std::int16_t>(value_);
        case Type::Long:
            return std::get<std::int32_t>(value_);
        case Type::LongLong:
            return std::get<std::int64_t>(value_);
        default:
            raise(err::TypeMismatch);
    }
}

}  // namespace vb
