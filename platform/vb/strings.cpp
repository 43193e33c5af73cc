#include "platform/vb/strings.h"

#include "platform/vb/vberror.h"

namespace vb {

namespace {
Qt::CaseSensitivity cs(Compare c) {
    return c == Compare::Text ? Qt::CaseInsensitive : Qt::CaseSensitive;
}
}  // namespace

QString Left(const QString& s, int n) {
    if (n < 0) raise(err::InvalidProcedureCall);
    return s.left(n);
}

QString Right(const QString& s, int n) {
    if (n < 0) raise(err::InvalidProcedureCall);
    return s.right(n);
}

QString Mid(const QString& s, int start, int length) {
    if (start < 1) raise(err::InvalidProcedureCall);
    if (start > s.size()) return {};
    return length < 0 ? s.mid(start - 1) : s.mid(start - 1, length);
}

int InStr(const QString& haystack, const QString& needle, Compare compare) {
    return InStr(1, haystack, needle, compare);
}

int InStr(int start, const QString& haystack, const QString& needle, Compare compare) {
    if (start < 1) raise(err::InvalidProcedureCall);
    if (start > haystack.size()) return 0;
    if (needle.isEmpty()) return start;
    return static_cast<int>(haystack.indexOf(needle, start - 1, cs(compare))) + 1;
}

int InStrRev(const QString& haystack, const QString& needle, int start, Compare compare) {
    if (start == 0 || start < -1) raise(err::InvalidProcedureCall);
    if (start == -1) start = static_cast<int>(haystack.size());
    if (needle.isEmpty()) return start;
    if (start > haystack.size()) return 0;
    // The match must end at or before `start`.
    const int from = start - static_cast<int>(needle.size());
    if (from < 0) return 0;
    return static_cast<int>(haystack.lastIndexOf(needle, from, cs(compare))) + 1;
}

QString LTrim(const QString& s) {
    int i = 0;
    while (i < s.size() && s[i] == u' ') ++i;
    return s.mid(i);
}

QString RTrim(const QString& s) {
    auto n = s.size();
    while (n > 0 && s[n - 1] == u' ') --n;
    return s.left(n);
}

QString Trim(const QString& s) { return LTrim(RTrim(s)); }
QString UCase(const QString& s) { return s.toUpper(); }
QString LCase(const QString& s) { return s.toLower(); }

int StrComp(const QString& a, const QString& b, Compare compare) {
    const int r = QString::compare(a, b, cs(compare));
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

QString Replace(const QString& s, const QString& find, const QString& with, int start, int count,
                Compare compare) {
    if (start < 1) raise(err::InvalidProcedureCall);
    QString text = s.mid(start - 1);
    if (find.isEmpty() || count == 0) return text;
    QString out;
    qsizetype pos = 0;
    int done = 0;
    while (count < 0 || done < count) {
        const qsizetype hit = text.indexOf(find, pos, cs(compare));
        if (hit < 0) break;
        out += QStringView(text).mid(pos, hit - pos);
        out += with;
        pos = hit + find.size();
        ++done;
    }
    out += QStringView(text).mid(pos);
    return out;
}

QString Space(int n) {
    if (n < 0) raise(err::InvalidProcedureCall);
    return QString(n, u' ');
}

QString String(int n, QChar c) {
    if (n < 0) raise(err::InvalidProcedureCall);
    return QString(n, c);
}

bool Holds(const QString& s, const QString& needle) {
    return s.contains(needle, Qt::CaseInsensitive);
}

bool IsOneOf(const QString& value, std::initializer_list<const char*> list) {
    for (const char* item : list)
        if (value.compare(QLatin1String(item), Qt::CaseInsensitive) == 0) return true;
    return false;
}

}  // namespace vb
