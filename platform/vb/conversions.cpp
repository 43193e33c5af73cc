#include "platform/vb/conversions.h"

#include "platform/vb/dategrammars.h"
#include "platform/vb/vberror.h"

#include <QRegularExpression>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>

namespace vb {

namespace {

QLocale& localeStorage() {
    static QLocale l = QLocale::system();
    return l;
}

// The locale's decimal point, asked of the locale once: a long lookup writes numbers by the
// hundred thousand.
QString& decimalPointStorage() {
    static QString point = localeStorage().decimalPoint();
    return point;
}

const QDate kZeroDate(1899, 12, 30);

double toOADate(const DateTime& dt) {
    const double days = static_cast<double>(kZeroDate.daysTo(dt.date()));
    const double frac = dt.time().msecsSinceStartOfDay() / 86400000.0;
    // VB counts the time of negative dates away from zero as well.
    return days < 0 ? days - frac : days + frac;
}

DateTime fromOADate(double value) {
    if (!std::isfinite(value) || value < -657434.0 || value > 2958465.99999999)
        raise(err::Overflow);
    const double whole = std::trunc(value);
    double frac = std::fabs(value - whole);
    qint64 ms = std::llround(frac * 86400000.0);
    qint64 days = static_cast<qint64>(whole);
    if (ms >= 86400000) {
        ms -= 86400000;
        days += value < 0 ? -1 : 1;
    }
    return wallClock(kZeroDate.addDays(days),
                     QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms)));
}

// A number to format: a double, or an amount of money whose every digit counts.
struct Amount {
    double value = 0;
    std::optional<Currency> exact;
    Amount(double v) : value(v) {}
    Amount(Currency c) : value(c.toDouble()), exact(c) {}
};

// The digits `mant` with the point after `pointPos` of them, rounded half away from zero to
// `decimals`, as whole and fraction digits.
void roundDigits(QString mant, int pointPos, int decimals, QString* whole, QString* fraction) {
    if (pointPos < 0) {
        mant = QString(-pointPos, u'0') + mant;
        pointPos = 0;
    }
    if (mant.size() < pointPos) mant += QString(pointPos - mant.size(), u'0');
    QString intPart = mant.left(pointPos);
    QString fracPart = mant.mid(pointPos);
    if (fracPart.size() <= decimals) {
        fracPart += QString(decimals - fracPart.size(), u'0');
    } else {
        const bool up = fracPart[decimals].digitValue() >= 5;
        fracPart = fracPart.left(decimals);
        if (up) {
            QString digits = intPart + fracPart;
            int k = static_cast<int>(digits.size()) - 1;
            while (k >= 0 && digits[k] == u'9') {
                digits[k] = u'0';
                --k;
            }
            if (k < 0)
                digits.prepend(u'1');
            else
                digits[k] = QChar(digits[k].unicode() + 1);
            intPart = digits.left(digits.size() - decimals);
            fracPart = digits.right(decimals);
        }
    }
    while (intPart.size() > 1 && intPart.startsWith(u'0')) intPart.remove(0, 1);
    if (intPart.isEmpty()) intPart = QStringLiteral("0");
    *whole = intPart;
    *fraction = fracPart;
}

// Plain decimal digits of |amount| (times 100 for a percentage) rounded half away from zero to
// `decimals`: a double through the 15 significant digits it holds (so 1.005 rounds as written,
// to 1.01), money through every digit it has.
void roundedDigits(const Amount& amount, bool percent, int decimals, QString* whole,
                   QString* fraction) {
    if (amount.exact) {
        const std::int64_t scaled = amount.exact->scaled();
        const QString digits = QString::number(scaled < 0 ? 0 - static_cast<std::uint64_t>(scaled)
                                                          : static_cast<std::uint64_t>(scaled));
        return roundDigits(digits, static_cast<int>(digits.size()) - 4 + (percent ? 2 : 0),
                           decimals, whole, fraction);
    }
    const double a = std::fabs(amount.value) * (percent ? 100.0 : 1.0);
    QString s = QString::number(a, 'e', 14);  // d.dddddddddddddde±x
    const int ePos = static_cast<int>(s.indexOf(u'e'));
    const int exp = s.mid(ePos + 1).toInt();
    // value = 0.mant * 10^(exp+1): the point after exp + 1 of its 15 digits
    roundDigits(s.left(ePos).remove(u'.'), exp + 1, decimals, whole, fraction);
}

// The text of a number with at most four decimals well inside 15 digits (prices, quantities):
// the same digits as 15 significant ones give, without the general conversion's cost.
std::optional<QString> shortDecimalText(double d, QChar decimalPoint) {
    constexpr double kScale = 10000;
    if (!(std::fabs(d) < 1e10)) return std::nullopt;
    const double scaled = d * kScale;
    if (scaled != std::nearbyint(scaled)) return std::nullopt;
    const long long n = static_cast<long long>(scaled);
    unsigned long long magnitude =
        n < 0 ? 0ull - static_cast<unsigned long long>(n) : static_cast<unsigned long long>(n);
    char16_t text[32];
    char16_t* end = text + 32;
    char16_t* p = end;
    unsigned long long fraction = magnitude % 10000;
    magnitude /= 10000;
    if (fraction != 0) {
        int digits = 4;
        while (fraction % 10 == 0) {
            fraction /= 10;
            --digits;
        }
        for (int k = 0; k < digits; ++k, fraction /= 10)
            *--p = static_cast<char16_t>(u'0' + fraction % 10);
        *--p = decimalPoint.unicode();
    }
    do {
        *--p = static_cast<char16_t>(u'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (n < 0) *--p = u'-';
    return QString(reinterpret_cast<const QChar*>(p), end - p);
}

QString doubleText(double d) {
    if (d == 0) return QStringLiteral("0");
    const QString& point = decimalPointStorage();
    if (point.size() == 1) {
        if (auto quick = shortDecimalText(d, point.front())) return *quick;
    }
    QString s = QString::number(d, 'g', 15);
    const auto e = s.indexOf(u'e');
    if (e >= 0) {
        // VB writes exponents as E+20 / E-07.
        QString mant = s.left(e);
        QString ex = s.mid(e + 1);
        const QChar sign = ex[0] == u'-' ? u'-' : u'+';
        if (ex[0] == u'-' || ex[0] == u'+') ex.remove(0, 1);
        while (ex.size() > 2 && ex.startsWith(u'0')) ex.remove(0, 1);
        if (ex.size() < 2) ex.prepend(u'0');
        s = mant + u'E' + sign + ex;
    }
    s.replace(u'.', locale().decimalPoint());
    return s;
}

char* twoDigits(char* out, int n) {
    *out++ = static_cast<char>('0' + n / 10);
    *out++ = static_cast<char>('0' + n % 10);
    return out;
}

// "dd/MM/yyyy HH:mm:ss" as QDate::toString and QTime::toString write it (the year at least four
// digits, a minus sign before a year before 1), the digits written directly: a long lookup
// shows a date in every row, and reading the format again for each took most of its time.
QString dateText(const DateTime& dt) {
    if (!dt.isValid()) return QString();
    const QDate date = dt.date();
    const QTime time = dt.time();
    const bool hasTime = time != QTime(0, 0);
    const bool hasDate = date != kZeroDate;
    char text[48];
    char* p = text;
    if (hasDate || !hasTime) {
        int year = 0, month = 0, day = 0;
        date.getDate(&year, &month, &day);
        p = twoDigits(p, day);
        *p++ = '/';
        p = twoDigits(p, month);
        *p++ = '/';
        if (year < 0) *p++ = '-';
        char digits[12];
        int n = 0;
        for (unsigned y = year < 0 ? 0u - static_cast<unsigned>(year) : unsigned(year); y; y /= 10)
            digits[n++] = static_cast<char>('0' + y % 10);
        for (int k = n; k < 4; ++k) *p++ = '0';
        while (n > 0) *p++ = digits[--n];
    }
    if (hasTime) {
        if (p != text) *p++ = ' ';
        p = twoDigits(p, time.hour());
        *p++ = ':';
        p = twoDigits(p, time.minute());
        *p++ = ':';
        p = twoDigits(p, time.second());
    }
    return QString::fromLatin1(text, p - text);
}

// Text to number by the locale (group separators allowed anywhere, as VB's coercion does).
std::optional<double> parseLocaleNumber(const QString& text) {
    QString t = text.trimmed();
    if (t.isEmpty()) return std::nullopt;
    if (t.startsWith(QLatin1String("&H"), Qt::CaseInsensitive) ||
        t.startsWith(QLatin1String("&O"), Qt::CaseInsensitive))
        return Val(t);
    const QLocale& l = locale();
    bool ok = false;
    double d = l.toDouble(t, &ok);
    if (ok) return d;
    QString bare = t;
    bare.remove(l.groupSeparator());
    d = l.toDouble(bare, &ok);
    if (ok) return d;
    // A plain C-style number ("1e3", "-.5") still reads.
    bare.replace(l.decimalPoint(), QStringLiteral("."));
    d = QLocale::c().toDouble(bare, &ok);
    if (ok) return d;
    return std::nullopt;
}

std::int64_t roundHalfEven(double d) {
    double r = std::nearbyint(d);  // default rounding mode: to nearest, ties to even
    return static_cast<std::int64_t>(r);
}

// ---- number masks -------------------------------------------------------------------------

struct Token {
    enum Kind { Digit, Point, Comma, Percent, Literal } kind;
    QString text;  // Digit: "0" or "#"; Literal: the text
};

QList<Token> tokenizeNumberMask(const QString& mask) {
    QList<Token> tokens;
    for (int i = 0; i < mask.size(); ++i) {
        const QChar c = mask[i];
        if (c == u'0' || c == u'#') {
            tokens.append(Token{Token::Digit, QString(c)});
        } else if (c == u'.') {
            tokens.append(Token{Token::Point, {}});
        } else if (c == u',') {
            tokens.append(Token{Token::Comma, {}});
        } else if (c == u'%') {
            tokens.append(Token{Token::Percent, {}});
        } else if (c == u'\\' && i + 1 < mask.size()) {
            tokens.append(Token{Token::Literal, QString(mask[++i])});
        } else if (c == u'"') {
            const auto close = mask.indexOf(u'"', i + 1);
            const int end = close < 0 ? static_cast<int>(mask.size()) : static_cast<int>(close);
            tokens.append(Token{Token::Literal, mask.mid(i + 1, end - i - 1)});
            i = end;
        } else {
            tokens.append(Token{Token::Literal, QString(c)});
        }
    }
    return tokens;
}

QStringList splitSections(const QString& mask) {
    QStringList sections;
    QString cur;
    bool quoted = false;
    for (int i = 0; i < mask.size(); ++i) {
        const QChar c = mask[i];
        if (c == u'"') quoted = !quoted;
        if (c == u'\\' && i + 1 < mask.size()) {
            cur += c;
            cur += mask[++i];
            continue;
        }
        if (c == u';' && !quoted) {
            sections.append(cur);
            cur.clear();
            continue;
        }
        cur += c;
    }
    sections.append(cur);
    return sections;
}

QString formatNumberSection(const Amount& amount, const QString& section, bool withSign) {
    const QList<Token> tokens = tokenizeNumberMask(section);
    int pointIdx = -1;
    for (int i = 0; i < tokens.size(); ++i)
        if (tokens[i].kind == Token::Point) {
            pointIdx = i;
            break;
        }
    const int intEnd = pointIdx < 0 ? static_cast<int>(tokens.size()) : pointIdx;

    int firstIntDigit = -1, lastIntDigit = -1, requiredInt = 0, fracPlaces = 0;
    bool percent = false;
    for (int i = 0; i < tokens.size(); ++i) {
        if (tokens[i].kind == Token::Percent) percent = true;
        if (tokens[i].kind != Token::Digit) continue;
        if (i < intEnd) {
            if (firstIntDigit < 0) firstIntDigit = i;
            lastIntDigit = i;
        } else {
            ++fracPlaces;
        }
    }
    bool grouping = false;
    for (int i = firstIntDigit + 1; i < lastIntDigit && firstIntDigit >= 0; ++i)
        if (tokens[i].kind == Token::Comma) grouping = true;
    bool seenZero = false;
    for (int i = firstIntDigit; i <= lastIntDigit && firstIntDigit >= 0; ++i) {
        if (tokens[i].kind != Token::Digit) continue;
        if (tokens[i].text == QLatin1String("0")) seenZero = true;
        if (seenZero) ++requiredInt;
    }

    QString whole, frac;
    roundedDigits(amount, percent, fracPlaces, &whole, &frac);
    const bool isZero = whole == QLatin1String("0") && !frac.contains(QRegularExpression("[1-9]"));
    if (whole == QLatin1String("0") && requiredInt == 0) whole.clear();
    if (whole.size() < requiredInt) whole.prepend(QString(requiredInt - whole.size(), u'0'));

    const QLocale& l = locale();
    // The digits that the integer placeholders receive, right-aligned.
    QStringList intSlots;
    QString out;
    if (grouping || firstIntDigit < 0) {
        QString grouped;
        if (grouping) {
            for (int i = 0; i < whole.size(); ++i) {
                if (i > 0 && (whole.size() - i) % 3 == 0) grouped += l.groupSeparator();
                grouped += whole[i];
            }
        } else {
            grouped = whole;
        }
        for (int i = 0; i < intEnd; ++i) {
            const Token& t = tokens[i];
            if (i == firstIntDigit) out += grouped;
            if (t.kind == Token::Literal) out += t.text;
            if (t.kind == Token::Percent) out += u'%';
        }
        if (firstIntDigit < 0) out += grouped;
    } else {
        // Right-to-left fill, so literals between placeholders ("000-000") stay in place.
        QString rev;
        int digitPos = static_cast<int>(whole.size()) - 1;
        for (int i = intEnd - 1; i >= 0; --i) {
            const Token& t = tokens[i];
            if (t.kind == Token::Digit) {
                if (i == firstIntDigit) {
                    QString rest = whole.left(digitPos + 1);
                    std::reverse(rest.begin(), rest.end());
                    rev += rest;
                    digitPos = -1;
                } else if (digitPos >= 0) {
                    rev += whole[digitPos--];
                }
            } else if (t.kind == Token::Literal) {
                QString lit = t.text;
                std::reverse(lit.begin(), lit.end());
                rev += lit;
            } else if (t.kind == Token::Percent) {
                rev += u'%';
            }
        }
        std::reverse(rev.begin(), rev.end());
        out = rev;
    }
    if (pointIdx >= 0) {
        // '#' places past the last '0' place drop trailing zeros.
        int lastZeroPlace = -1, place = 0;
        for (int i = pointIdx + 1; i < tokens.size(); ++i)
            if (tokens[i].kind == Token::Digit) {
                if (tokens[i].text == QLatin1String("0")) lastZeroPlace = place;
                ++place;
            }
        int keep = static_cast<int>(frac.size());
        while (keep > lastZeroPlace + 1 && keep > 0 && frac[keep - 1] == u'0') --keep;
        out += l.decimalPoint();
        place = 0;
        for (int i = pointIdx + 1; i < tokens.size(); ++i) {
            const Token& t = tokens[i];
            if (t.kind == Token::Digit) {
                if (place < keep) out += frac[place];
                ++place;
            } else if (t.kind == Token::Literal) {
                out += t.text;
            } else if (t.kind == Token::Percent) {
                out += u'%';
            } else if (t.kind == Token::Point) {
                // Only the first point is the decimal point.
            }
        }
    }
    if (withSign && amount.value < 0 && !isZero) out.prepend(u'-');
    return out;
}

QString formatNumber(const Amount& amount, const QString& mask) {
    const QStringList sections = splitSections(mask);
    if (amount.value < 0 && sections.size() >= 2 && !sections[1].isEmpty())
        return formatNumberSection(amount, sections[1], false);
    if (amount.value == 0 && sections.size() >= 3 && !sections[2].isEmpty())
        return formatNumberSection(0.0, sections[2], false);
    return formatNumberSection(amount, sections[0], true);
}

// ---- date masks ---------------------------------------------------------------------------

QString formatDate(const DateTime& dt, const QString& mask) {
    const QLocale& l = locale();
    QString out;
    bool lastWasHour = false;
    const QDate d = dt.date();
    const QTime t = dt.time();
    auto run = [&](int i, QChar c) {
        int n = 0;
        while (i + n < mask.size() && mask[i + n].toLower() == c) ++n;
        return n;
    };
    bool ampm = mask.contains(QLatin1String("AM/PM"), Qt::CaseInsensitive) ||
                mask.contains(QLatin1String("A/P"), Qt::CaseInsensitive);
    for (int i = 0; i < mask.size();) {
        const QChar c = mask[i];
        const QChar lc = c.toLower();
        if (c == u'\\' && i + 1 < mask.size()) {
            out += mask[i + 1];
            i += 2;
            continue;
        }
        if (c == u'"') {
            const auto close = mask.indexOf(u'"', i + 1);
            const int end = close < 0 ? static_cast<int>(mask.size()) : static_cast<int>(close);
            out += mask.mid(i + 1, end - i - 1);
            i = end + 1;
            continue;
        }
        if (mask.mid(i, 5).compare(QLatin1String("AM/PM"), Qt::CaseInsensitive) == 0) {
            const bool upper = mask[i].isUpper();
            QString s = t.hour() < 12 ? QStringLiteral("AM") : QStringLiteral("PM");
            out += upper ? s : s.toLower();
            i += 5;
            continue;
        }
        if (mask.mid(i, 3).compare(QLatin1String("A/P"), Qt::CaseInsensitive) == 0) {
            const bool upper = mask[i].isUpper();
            QString s = t.hour() < 12 ? QStringLiteral("A") : QStringLiteral("P");
            out += upper ? s : s.toLower();
            i += 3;
            continue;
        }
        if (lc == u'd') {
            const int n = run(i, u'd');
            if (n == 1)
                out += QString::number(d.day());
            else if (n == 2)
                out += QStringLiteral("%1").arg(d.day(), 2, 10, QLatin1Char('0'));
            else if (n == 3)
                out += l.dayName(d.dayOfWeek(), QLocale::ShortFormat);
            else if (n == 4)
                out += l.dayName(d.dayOfWeek(), QLocale::LongFormat);
            else if (n == 5)
                out += d.toString(QStringLiteral("dd/MM/yyyy"));
            else
                out += l.toString(d, QLocale::LongFormat);
            i += n;
            lastWasHour = false;
            continue;
        }
        if (lc == u'y') {
            const int n = run(i, u'y');
            if (n >= 3)
                out += QStringLiteral("%1").arg(d.year(), 4, 10, QLatin1Char('0'));
            else if (n == 2)
                out += QStringLiteral("%1").arg(d.year() % 100, 2, 10, QLatin1Char('0'));
            else
                out += QString::number(d.dayOfYear());
            i += n;
            lastWasHour = false;
            continue;
        }
        if (lc == u'm') {
            const int n = run(i, u'm');
            if (lastWasHour && n <= 2) {
                out += n == 1 ? QString::number(t.minute())
                              : QStringLiteral("%1").arg(t.minute(), 2, 10, QLatin1Char('0'));
            } else if (n == 1) {
                out += QString::number(d.month());
            } else if (n == 2) {
                out += QStringLiteral("%1").arg(d.month(), 2, 10, QLatin1Char('0'));
            } else if (n == 3) {
                out += l.monthName(d.month(), QLocale::ShortFormat);
            } else {
                out += l.monthName(d.month(), QLocale::LongFormat);
            }
            i += n;
            lastWasHour = false;
            continue;
        }
        if (lc == u'h') {
            const int n = run(i, u'h');
            int h = t.hour();
            if (ampm) {
                h %= 12;
                if (h == 0) h = 12;
            }
            out +=
                n == 1 ? QString::number(h) : QStringLiteral("%1").arg(h, 2, 10, QLatin1Char('0'));
            i += n;
            lastWasHour = true;
            continue;
        }
        if (lc == u'n') {
            const int n = run(i, u'n');
            out += n == 1 ? QString::number(t.minute())
                          : QStringLiteral("%1").arg(t.minute(), 2, 10, QLatin1Char('0'));
            i += n;
            lastWasHour = false;
            continue;
        }
        if (lc == u's') {
            const int n = run(i, u's');
            out += n == 1 ? QString::number(t.second())
                          : QStringLiteral("%1").arg(t.second(), 2, 10, QLatin1Char('0'));
            i += n;
            lastWasHour = false;
            continue;
        }
        if (lc == u'w') {
            const int n = run(i, u'w');
            out +=
                n == 1 ? QString::number(d.dayOfWeek() % 7 + 1) : QString::number(d.weekNumber());
            i += n;
            continue;
        }
        if (lc == u'q') {
            out += QString::number((d.month() - 1) / 3 + 1);
            ++i;
            continue;
        }
        if (lc == u'c') {
            out += dateText(dt);
            ++i;
            continue;
        }
        out += c;  // separators and other literals; lastWasHour survives ":" between h and m
        ++i;
    }
    return out;
}

bool looksLikeDateMask(const QString& mask) {
    bool quoted = false;
    for (int i = 0; i < mask.size(); ++i) {
        const QChar c = mask[i];
        if (c == u'"') quoted = !quoted;
        if (quoted) continue;
        if (c == u'\\') {
            ++i;
            continue;
        }
        switch (c.toLower().unicode()) {
            case 'd':
            case 'm':
            case 'y':
            case 'h':
            case 'n':
            case 's':
            case 'w':
            case 'q':
                return true;
            default:
                break;
        }
    }
    return false;
}

bool looksLikeNumberMask(const QString& mask) {
    bool quoted = false;
    for (int i = 0; i < mask.size(); ++i) {
        const QChar c = mask[i];
        if (c == u'"') quoted = !quoted;
        if (quoted) continue;
        if (c == u'\\') {
            ++i;
            continue;
        }
        if (c == u'0' || c == u'#') return true;
    }
    return false;
}

QString formatString(const QString& s, const QString& mask) {
    QString text = s;
    QString m = mask;
    if (m.contains(u'>')) text = text.toUpper();
    if (m.contains(u'<')) text = text.toLower();
    m.remove(u'>').remove(u'<');
    if (!m.contains(u'@') && !m.contains(u'&')) return text;
    const bool leftToRight = m.contains(u'!');
    m.remove(u'!');
    QString out;
    if (leftToRight) {
        int k = 0;
        for (const QChar c : m) {
            if (c == u'@' || c == u'&') {
                if (k < text.size())
                    out += text[k++];
                else if (c == u'@')
                    out += u' ';
            } else {
                out += c;
            }
        }
        out += text.mid(k);
    } else {
        int k = static_cast<int>(text.size()) - 1;
        for (int i = static_cast<int>(m.size()) - 1; i >= 0; --i) {
            const QChar c = m[i];
            if (c == u'@' || c == u'&') {
                if (k >= 0)
                    out.prepend(text[k--]);
                else if (c == u'@')
                    out.prepend(u' ');
            } else {
                out.prepend(c);
            }
        }
        out.prepend(text.left(k + 1));
    }
    return out;
}

}  // namespace

const QLocale& locale() {
    return localeStorage();
}
void setLocale(const QLocale& l) {
    localeStorage() = l;
    decimalPointStorage() = l.decimalPoint();
}

DateTime zeroDate() {
    return wallClock(kZeroDate);
}

double Val(const QString& text) {
    int i = 0;
    const int n = static_cast<int>(text.size());
    auto isBlank = [](QChar c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'; };
    while (i < n && isBlank(text[i])) ++i;
    if (i + 1 < n && text[i] == u'&') {
        const QChar kind = text[i + 1].toUpper();
        const int base = kind == u'H' ? 16 : (kind == u'O' ? 8 : 0);
        if (base != 0) {
            QString digits;
            for (int k = i + 2; k < n; ++k) {
                const int dv = text[k].toUpper().unicode();
                const bool ok = base == 16 ? (std::isxdigit(dv) != 0) : (dv >= '0' && dv <= '7');
                if (!ok) break;
                digits += text[k];
            }
            if (digits.isEmpty()) return 0;
            const qulonglong u = digits.toULongLong(nullptr, base);
            if (u <= 0xFFFF) return static_cast<std::int16_t>(u);
            return static_cast<std::int32_t>(u);
        }
    }
    QString number;
    bool seenDigit = false, seenPoint = false, seenExp = false;
    for (; i < n; ++i) {
        const QChar c = text[i];
        if (isBlank(c)) continue;
        if (c.isDigit() && c.unicode() < 128) {
            number += c;
            seenDigit = true;
        } else if ((c == u'-' || c == u'+') && number.isEmpty()) {
            number += c;
        } else if (c == u'.' && !seenPoint && !seenExp) {
            number += c;
            seenPoint = true;
        } else if ((c.toUpper() == u'E' || c.toUpper() == u'D') && seenDigit && !seenExp) {
            // Only an exponent when digits follow (with an optional sign).
            int k = i + 1;
            while (k < n && isBlank(text[k])) ++k;
            if (k < n && (text[k] == u'-' || text[k] == u'+')) ++k;
            while (k < n && isBlank(text[k])) ++k;
            if (k < n && text[k].isDigit()) {
                number += u'e';
                seenExp = true;
                ++i;
                while (i < n && isBlank(text[i])) ++i;
                if (text[i] == u'-' || text[i] == u'+')
                    number += text[i];
                else
                    --i;
            } else {
                break;
            }
        } else {
            break;
        }
    }
    if (!seenDigit) return 0;
    bool ok = false;
    const double d = QLocale::c().toDouble(number, &ok);
    return ok ? d : 0;
}

QString CStr(const Variant& v) {
    switch (v.type()) {
        case Variant::Type::Empty:
            return {};
        case Variant::Type::Null:
            raise(err::InvalidUseOfNull);
        case Variant::Type::Boolean:
            return v.boolean() ? QStringLiteral("True") : QStringLiteral("False");
        case Variant::Type::Integer:
        case Variant::Type::Long:
        case Variant::Type::LongLong:
            return QString::number(v.wholeNumber());
        case Variant::Type::Double:
            return doubleText(v.number());
        case Variant::Type::Currency: {
            QString s = v.currency().toPlainString();
            s.replace(u'.', locale().decimalPoint());
            return s;
        }
        case Variant::Type::Date:
            return dateText(v.date());
        case Variant::Type::String:
            return v.string();
        case Variant::Type::Bytes:
            return QString::fromLatin1(v.bytes());
    }
    return {};
}

double CDbl(const Variant& v) {
    switch (v.type()) {
        case Variant::Type::Empty:
            return 0;
        case Variant::Type::Null:
            raise(err::InvalidUseOfNull);
        case Variant::Type::Date:
            return toOADate(v.date());
        case Variant::Type::String: {
            if (auto d = parseLocaleNumber(v.string())) return *d;
            raise(err::TypeMismatch);
        }
        case Variant::Type::Bytes:
            raise(err::TypeMismatch);
        default:
            return v.number();
    }
}

Currency CCur(const Variant& v) {
    switch (v.type()) {
        case Variant::Type::Currency:
            return v.currency();
        case Variant::Type::Integer:
        case Variant::Type::Long:
        case Variant::Type::LongLong:
            if (std::llabs(v.wholeNumber()) > 922337203685477LL) raise(err::Overflow);
            return Currency::fromScaled(v.wholeNumber() * 10000);
        case Variant::Type::String: {
            const QLocale& l = locale();
            QString t = v.string().trimmed();
            t.remove(l.groupSeparator());
            t.replace(l.decimalPoint(), QStringLiteral("."));
            Currency c;
            if (Currency::parse(t, &c)) return c;
            return Currency::fromDouble(CDbl(v));
        }
        default:
            return Currency::fromDouble(CDbl(v));
    }
}

std::int32_t CLng(const Variant& v) {
    if (v.type() == Variant::Type::Currency) {
        // Exact half-to-even on the scaled value.
        const std::int64_t s = v.currency().scaled();
        std::int64_t q = s / 10000, r = s % 10000;
        if (r < 0) {
            r += 10000;
            q -= 1;
        }
        if (r > 5000 || (r == 5000 && (q % 2 != 0))) q += 1;
        if (q < std::numeric_limits<std::int32_t>::min() ||
            q > std::numeric_limits<std::int32_t>::max())
            raise(err::Overflow);
        return static_cast<std::int32_t>(q);
    }
    const double d = CDbl(v);
    if (!std::isfinite(d) || d < -2147483648.5 || d >= 2147483647.5) raise(err::Overflow);
    return static_cast<std::int32_t>(roundHalfEven(d));
}

std::int16_t CInt(const Variant& v) {
    const double d = v.type() == Variant::Type::Currency ? v.currency().toDouble() : CDbl(v);
    if (!std::isfinite(d) || d < -32768.5 || d >= 32767.5) raise(err::Overflow);
    return static_cast<std::int16_t>(roundHalfEven(d));
}

bool CBool(const Variant& v) {
    switch (v.type()) {
        case Variant::Type::Empty:
            return false;
        case Variant::Type::Null:
            raise(err::InvalidUseOfNull);
        case Variant::Type::Boolean:
            return v.boolean();
        case Variant::Type::String: {
            const QString t = v.string().trimmed();
            if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) return true;
            if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0) return false;
            if (auto d = parseLocaleNumber(t)) return *d != 0;
            raise(err::TypeMismatch);
        }
        case Variant::Type::Date:
            return toOADate(v.date()) != 0;
        case Variant::Type::Bytes:
            raise(err::TypeMismatch);
        default:
            return v.number() != 0;
    }
}

DateTime CDate(const Variant& v) {
    switch (v.type()) {
        case Variant::Type::Empty:
            return zeroDate();
        case Variant::Type::Null:
            raise(err::InvalidUseOfNull);
        case Variant::Type::Date:
            return v.date();
        case Variant::Type::String: {
            if (auto d = parseDate(v.string())) return *d;
            if (auto n = parseLocaleNumber(v.string())) return fromOADate(*n);
            raise(err::TypeMismatch);
        }
        case Variant::Type::Bytes:
            raise(err::TypeMismatch);
        default:
            return fromOADate(v.number());
    }
}

bool IsNumeric(const Variant& v) {
    switch (v.type()) {
        case Variant::Type::Empty:
            return true;
        case Variant::Type::Null:
        case Variant::Type::Date:
        case Variant::Type::Bytes:
            return false;
        case Variant::Type::String:
            return parseLocaleNumber(v.string()).has_value();
        default:
            return true;
    }
}

bool IsDate(const Variant& v) {
    if (v.isDate()) return true;
    if (v.isString()) return parseDate(v.string()).has_value();
    return false;
}

std::optional<DateTime> parseDate(const QString& text) {
    using dates::Grammar;
    // CDate's date texts, in the order they are tried.
    static constexpr Grammar kGrammars[] = {Grammar::Iso, Grammar::DayFirst, Grammar::LooseIso,
                                            Grammar::VbTimeOfDay};
    return dates::read(kGrammars, text);
}

QString Format(const Variant& value, const QString& mask) {
    if (value.isNull()) return {};
    if (mask.isEmpty()) return CStr(value);
    const QString named = mask.trimmed().toLower();
    const QLocale& l = locale();
    // Money keeps every digit it has; any other number goes through a double.
    const bool money = value.type() == Variant::Type::Currency;
    const auto amount = [&]() { return money ? Amount(value.currency()) : Amount(CDbl(value)); };
    if (named == QLatin1String("general number")) return money ? CStr(value) : CStr(CDbl(value));
    if (named == QLatin1String("fixed")) return formatNumber(amount(), QStringLiteral("0.00"));
    if (named == QLatin1String("standard"))
        return formatNumber(amount(), QStringLiteral("#,##0.00"));
    if (named == QLatin1String("percent")) return formatNumber(amount(), QStringLiteral("0.00%"));
    if (named == QLatin1String("currency")) return l.toCurrencyString(CDbl(value));
    if (named == QLatin1String("short date"))
        return CDate(value).date().toString(QStringLiteral("dd/MM/yyyy"));
    if (named == QLatin1String("long date"))
        return l.toString(CDate(value).date(), QLocale::LongFormat);
    if (named == QLatin1String("short time"))
        return CDate(value).time().toString(QStringLiteral("HH:mm"));
    if (named == QLatin1String("long time"))
        return CDate(value).time().toString(QStringLiteral("HH:mm:ss"));
    if (named == QLatin1String("general date")) return dateText(CDate(value));

    const bool numberMask = looksLikeNumberMask(mask);
    const bool dateMask = looksLikeDateMask(mask);
    switch (value.type()) {
        case Variant::Type::Date:
            if (dateMask || !numberMask) return formatDate(value.date(), mask);
            return formatNumber(CDbl(value), mask);
        case Variant::Type::String: {
            const QString& s = value.string();
            if (numberMask) {
                if (auto d = parseLocaleNumber(s)) return formatNumber(*d, mask);
            }
            if (dateMask) {
                if (auto d = parseDate(s)) return formatDate(*d, mask);
            }
            return formatString(s, mask);
        }
        case Variant::Type::Empty:
            if (numberMask) return formatNumber(0, mask);
            return {};
        case Variant::Type::Bytes:
            return formatString(CStr(value), mask);
        default:
            if (numberMask || !dateMask) return formatNumber(amount(), mask);
            return formatDate(CDate(value), mask);
    }
}

}  // namespace vb
