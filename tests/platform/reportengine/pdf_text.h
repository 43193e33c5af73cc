#pragma once

#include <QString>

namespace zxtest {

// The text of a PDF as pdftotext (poppler-utils) lays it out, pages ended by form feeds.
// Fails the test when pdftotext is missing or refuses the file.
QString pdfText(const QString& pdf);

}  // namespace zxtest
