#include "platform/vb/currency.h"

#include "platform/vb/vberror.h"

#include <cmath>
#include <limits>

namespace vb {

Currency Currency::fromDouble(double value) {
    // 2^63 ten-thousandths bound the range; a double outside [-2^63, 2^63) is no Currency.
    constexpr double kLimit = 9223372036854775808.0;
    const double scaled = value * 10000.0;
    if (!(scaled >= -kLimit && scaled < kLimit)) raise(err::Overflow);
    // Go through the 15 significant digits a double holds, so 0.00005 is a half and not
    // 0.0000499999…, then round half to even.
    const double shown = std::stod(QString::number(scaled, 'g', 15).toStdString());
    double whole = std::floor(shown);
    const double frac = shown - whole;
    if (frac > 0.5 || (frac == 0.5 && std::fmod(whole, 2.0) != 0.0)) whole += 1.0;
    if (!(whole >= -kLimit && whole < kLimit)) raise(err::Overflow);
    return fromScaled(static_cast<std::int64_t>(whole));
}

Currency operator+(Currency a, Currency b) {
    std::int64_t sum = 0;
    if (__builtin_add_overflow(a.scaled_, b.scaled_, &sum)) raise(err::Overflow);
    return Currency::fromScaled(sum);
}

Currency operator-(Currency a, Currency b) {
    std::int64_t difference = 0;
    if (__builtin_sub_overflow(a.scaled_, b.scaled_, &difference)) raise(err::Overflow);
    return Currency::fromScaled(difference);
}

bool Currency::parse(const QString& text, Currency* out) {
    const QString t = text.trimmed();
    if (t.isEmpty()) return false;
    int i = 0;
    bool negative = false;
    if (t[0] == u'-' || t[0] == u'+') {
        negative = t[0] == u'-';
        i = 1;
    }
    QString whole;
    QString frac;
    bool inFraction = false;
    for (; i < t.size(); ++i) {
        const QChar c = t[i];
        if (c == u'.' && !inFraction) {
            inFraction = true;
        } else if (c.isDigit()) {
            (inFraction ? frac : whole) += c;
        } else {
            return false;
        }
    }
    if (whole.isEmpty() && frac.isEmpty()) return false;
    while (whole.size() > 1 && whole.startsWith(u'0')) whole.remove(0, 1);
    if (whole.size() > 15) return false;
    // The magnitude in 128 bits, so that of the lowest amount, one past the highest, fits too.
    __int128 magnitude = static_cast<__int128>(whole.isEmpty() ? 0 : whole.toLongLong()) * 10000 +
                         (frac + QStringLiteral("0000")).left(4).toLongLong();
    if (frac.size() > 4) {
        // Round half to even on the digits past the fourth, as CCur does.
        const QString rest = frac.mid(4);
        const int first = rest[0].digitValue();
        bool beyondHalf = false;
        for (int k = 1; k < rest.size(); ++k) beyondHalf |= rest[k] != u'0';
        if (first > 5 || (first == 5 && (beyondHalf || magnitude % 2 != 0))) ++magnitude;
    }
    // Past the range (-922337203685477.5808 to 922337203685477.5807) is no Currency.
    const __int128 scaled = negative ? -magnitude : magnitude;
    if (scaled < std::numeric_limits<std::int64_t>::min() ||
        scaled > std::numeric_limits<std::int64_t>::max())
        return false;
    *out = fromScaled(static_cast<std::int64_t>(scaled));
    return true;
}

QString Currency::toPlainString() const {
    // The magnitude unsigned, so the lowest amount has one too.
    const std::uint64_t a = scaled_ < 0 ? 0 - static_cast<std::uint64_t>(scaled_)
                                        : static_cast<std::uint64_t>(scaled_);
    QString s = QString::number(a / 10000);
    const std::uint64_t f = a % 10000;
    if (f != 0) {
        QString fs = QStringLiteral("%1").arg(f, 4, 10, QLatin1Char('0'));
        while (fs.endsWith(u'0')) fs.chop(1);
        s += u'.' + fs;
    }
    return scaled_ < 0 ? u'-' + s : s;
}

}  // namespace vb
