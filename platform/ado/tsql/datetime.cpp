#include "platform/ado/tsql/datetime.h"

#include "platform/vb/dategrammars.h"

#include <QRegularExpression>

namespace tsql {

vb::DateTime datetimePrecision(const vb::DateTime& reading) {
    const int ms = reading.time().msec();
    if (ms == 0) return reading;
    const int ticks = (ms * 3 + 5) / 10;  // three-hundredths, a half rounded up
    const int rounded = (ticks * 10 + 1) / 3;
    return rounded == ms ? reading : reading.addMSecs(rounded - ms);
}

namespace {

using vb::dates::Grammar;

// A datetime's texts, in the order they are tried: the stored form first, as most texts are.
constexpr Grammar kDatetimeGrammars[] = {Grammar::Iso, Grammar::SqlServerIso,
                                         Grammar::SqlServerTimeOfDay, Grammar::DayFirst,
                                         Grammar::LooseIso};

std::optional<vb::DateTime> precise(const std::optional<vb::DateTime>& reading) {
    if (!reading) return std::nullopt;
    return datetimePrecision(*reading);
}

// CONVERT's styles whose text is one grammar.
std::optional<Grammar> grammarOfStyle(int style) {
    switch (style) {
        case 108:
            return Grammar::SqlServerTimeOfDay;
        case 101:
            return Grammar::MonthDayYearSlash;
        case 102:
            return Grammar::YearMonthDayDot;
        case 103:
            return Grammar::DayMonthYearSlash;
        case 104:
            return Grammar::DayMonthYearDot;
        case 105:
            return Grammar::DayMonthYearDash;
        case 111:
            return Grammar::YearMonthDaySlash;
        default:
            return std::nullopt;
    }
}

}  // namespace

std::optional<vb::DateTime> readDateTime(QStringView text) {
    return precise(vb::dates::read(kDatetimeGrammars, text));
}

std::optional<vb::DateTime> readDateTime(const char* utf8, int length) {
    if (auto iso = vb::dates::readIso(utf8, length)) return datetimePrecision(*iso);
    return readDateTime(QString::fromUtf8(utf8, length));
}

std::optional<vb::DateTime> readDateTime2(QStringView text) {
    // Digits past the thousandths of a second are below what a reading holds: they are cut,
    // never rounded up.
    static const QRegularExpression longFraction(QStringLiteral("(:\\d{1,2}\\.\\d{3})\\d+"));
    const QString cut = text.trimmed().toString().replace(longFraction, QStringLiteral("\\1"));
    return vb::dates::read(kDatetimeGrammars, cut);
}

std::optional<vb::DateTime> readInStyle(QStringView text, int style) {
    if (const auto grammar = grammarOfStyle(style)) {
        const Grammar grammars[] = {*grammar};
        return precise(vb::dates::read(grammars, text));
    }
    switch (style) {
        case 23:
        case 112:
        case 120:
        case 121:
        case 126:
            return readDateTime(text);
        default:
            return std::nullopt;
    }
}

std::optional<vb::DateTime> readCompactDate(long long number) {
    if (number < 17530101 || number > 99991231) return std::nullopt;
    const QDate date(static_cast<int>(number / 10000), static_cast<int>(number / 100 % 100),
                     static_cast<int>(number % 100));
    if (!date.isValid()) return std::nullopt;
    return vb::wallClock(date);
}

QString storedText(const vb::DateTime& reading) {
    const QDate d = reading.date();
    const QTime t = reading.time();
    char16_t text[23];
    const auto put = [&text](int at, int value, int width) {
        for (int k = width - 1; k >= 0; --k, value /= 10)
            text[at + k] = static_cast<char16_t>(u'0' + value % 10);
    };
    put(0, d.year(), 4);
    text[4] = u'-';
    put(5, d.month(), 2);
    text[7] = u'-';
    put(8, d.day(), 2);
    text[10] = u' ';
    put(11, t.hour(), 2);
    text[13] = u':';
    put(14, t.minute(), 2);
    text[16] = u':';
    put(17, t.second(), 2);
    if (t.msec() == 0) return QString(reinterpret_cast<const QChar*>(text), 19);
    text[19] = u'.';
    put(20, t.msec(), 3);
    return QString(reinterpret_cast<const QChar*>(text), 23);
}

}  // namespace tsql
