#pragma once

#include <QString>

#include <initializer_list>

// VB's string functions, 1-based where VB is.
namespace vb {

QString Left(const QString& s, int n);
QString Right(const QString& s, int n);
// Mid$(s, start[, length]); start is 1-based; a negative length means "to the end".
QString Mid(const QString& s, int start, int length = -1);
// InStr([start,] haystack, needle[, compare]): 1-based position or 0. An empty needle gives start.
enum class Compare { Binary = 0, Text = 1 };
int InStr(const QString& haystack, const QString& needle, Compare compare = Compare::Binary);
int InStr(int start, const QString& haystack, const QString& needle,
          Compare compare = Compare::Binary);
// InStrRev(haystack, needle[, start]); start -1 searches from the end.
int InStrRev(const QString& haystack, const QString& needle, int start = -1,
             Compare compare = Compare::Binary);
// VB's Trim family removes blanks (space characters) only, not tabs or line ends.
QString Trim(const QString& s);
QString LTrim(const QString& s);
QString RTrim(const QString& s);
QString UCase(const QString& s);
QString LCase(const QString& s);
// -1, 0 or 1.
int StrComp(const QString& a, const QString& b, Compare compare = Compare::Binary);
// Replace(expression, find, replace[, start[, count[, compare]]]); VB returns the text from
// `start` on.
QString Replace(const QString& s, const QString& find, const QString& with, int start = 1,
                int count = -1, Compare compare = Compare::Binary);
QString Space(int n);
// String$(n, character).
QString String(int n, QChar c);
// Whether s holds needle, without regard to case (the system's usual "holds" test).
bool Holds(const QString& s, const QString& needle);
// Whether a code (a voucher type, a setting) is one of the list, without regard to case.
bool IsOneOf(const QString& value, std::initializer_list<const char*> list);

}  // namespace vb
