#pragma once

#include "platform/reportengine/layout.h"

#include <QList>
#include <QString>

// A report with every page laid out and held at once, for tests that look at every page.
namespace zxtest {

struct LaidOutReport {
    QString title;
    double width = 0, height = 0;  // page size
    QList<reportengine::Page> pages;
};

// Lays out a whole document, as the outputs do a page at a time. Raises err::FormInvalid when
// the page leaves no room for details.
LaidOutReport layOut(const reportengine::ReportDocument& document);

}  // namespace zxtest
