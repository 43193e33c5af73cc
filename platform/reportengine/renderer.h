#pragma once

#include "platform/reportengine/layout.h"

#include <QImage>
#include <QPageLayout>
#include <QString>

class QPainter;

// The one renderer of reports: a laid-out page painted with QPainter, on a PDF, a printer or
// an image for the preview.
namespace reportengine {

// Paints a page on a painter whose device has `dotsPerInch`, with the page's top left corner
// at the painter's origin.
void paintPage(QPainter& painter, const Page& page, double dotsPerInch);

// A page as an image, white background, at the given resolution; `width` and `height` are the
// page's size in millimetres.
QImage pageImage(const Page& page, double width, double height, double dotsPerInch);

// The page of a report (size, orientation, no margins: the form places everything itself).
QPageLayout pageLayout(double width, double height);

// Writes the report as a PDF, one page laid out and drawn at a time. The file appears whole or
// not at all; raises err::WriteFailed.
void writePdf(PagedReport& report, const QString& path);

}  // namespace reportengine
