#pragma once

#include <QByteArray>
#include <QString>

namespace zxtest {

// The text of a PDF as pdftotext (poppler-utils) lays it out, pages ended by form feeds.
// Fails the test when pdftotext is missing or refuses the file.
QString pdfText(const QString& pdf);

// One page of a PDF (1-based) as pdftoppm renders it, as PNG bytes at that resolution; empty,
// with a test failure, when pdftoppm is missing or refuses the file.
QByteArray pdfPageImage(const QString& pdf, int page, int dotsPerInch);

}  // namespace zxtest
