#pragma once

#include <QString>

#include <cstdint>
#include <ostream>

namespace vb {

// VB's Currency: a whole number of ten-thousandths, so sums of money never pick up binary noise.
class Currency {
public:
    constexpr Currency() = default;
    static constexpr Currency fromScaled(std::int64_t tenThousandths) {
        Currency c;
        c.scaled_ = tenThousandths;
        return c;
    }
    // Rounds to four decimals, half to even (VB's CCur); raises Overflow out of range.
    static Currency fromDouble(double value);
    // Exact parse of "[-]digits[.digits]" with "." as decimal point; false on anything else,
    // an amount past the range included.
    static bool parse(const QString& text, Currency* out);

    constexpr std::int64_t scaled() const { return scaled_; }
    double toDouble() const { return static_cast<double>(scaled_) / 10000.0; }
    // "." decimal point, no grouping, trailing zeros of the fraction dropped ("12.5", "-3").
    QString toPlainString() const;

    friend constexpr bool operator==(Currency a, Currency b) { return a.scaled_ == b.scaled_; }
    friend constexpr auto operator<=>(Currency a, Currency b) { return a.scaled_ <=> b.scaled_; }
    // Raise Overflow past the range, as VB does, rather than wrap into a garbage amount.
    friend Currency operator+(Currency a, Currency b);
    friend Currency operator-(Currency a, Currency b);

    friend void PrintTo(Currency c, std::ostream* os) { *os << c.toPlainString().toStdString(); }

private:
    std::int64_t scaled_ = 0;
};

}  // namespace vb
