#pragma once

#include "platform/reportengine/layout.h"

#include <QImage>
#include <QPageLayout>
#include <QString>

class QPainter;

// The one renderer of reports: a laid-out page painted with QPainter, on a PDF, a printer or
// an image for the preview.
namespace reportengine {

// Paints page `index` (0-based) on a painter whose device has `dotsPerInch`, with the page's
// top left corner at the painter's origin.
void paintPage(QPainter& painter, const LaidOutReport& report, int index, double dotsPerInch);

// A page as an image, white background, at the given resolution.
QImage pageImage(const LaidOutReport& report, int index, double dotsPerInch);

// The page of a report (size, orientation, no margins: the form places everything itself).
QPageLayout pageLayout(const LaidOutReport& report);

// Writes the report as a PDF. The file appears whole or not at all; raises err::WriteFailed.
void writePdf(const LaidOutReport& report, const QString& path);

}  // namespace reportengine
