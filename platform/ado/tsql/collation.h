#pragma once

#include <QStringView>

namespace tsql {

// The one comparison of text of the system, the database's default collation: without regard
// to case (for every letter, Ñ and ñ included), an accented letter sorting next to its base
// letter (and ñ as a letter of its own between n and o), accents still telling equal texts
// apart, trailing blanks ignored. Returns -1, 0 or 1.
//
// The embedded engine's collation SSCI, the report engine's memory filter and the range
// checks of the selection formulas all compare through it, so that every path selects the
// same rows.
int compareText(QStringView a, QStringView b);
// The same comparison of two UTF-8 texts (as SQLite hands them to a collation).
int compareTextUtf8(const void* a, int bytesA, const void* b, int bytesB);

}  // namespace tsql
