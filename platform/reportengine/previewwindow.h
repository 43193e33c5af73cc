#pragma once

#include "platform/reportengine/layout.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;
class QScrollArea;

namespace reportengine {

// The screen destination: a report's pages with page buttons, zoom, print and export to PDF.
class PreviewWindow : public QDialog {
    Q_OBJECT
public:
    explicit PreviewWindow(const ReportDocument& document, QWidget* parent = nullptr);

    // The report shown: its form, formula values, selection and rows.
    const ReportDocument& document() const { return document_; }
    int currentPage() const { return page_; }  // 0-based
    int pageCount() const { return report_.pages.size(); }
    double zoom() const { return zoom_; }

    void showPage(int index);
    void setZoom(double factor);
    // Asks for a printer through the print dialog and prints every page.
    void printPages();
    // Asks for a file name and writes the report there as a PDF.
    void exportPdf();

private:
    void refresh();

    ReportDocument document_;
    LaidOutReport report_;
    int page_ = 0;
    double zoom_ = 1.0;
    QPushButton* first_;
    QPushButton* previous_;
    QPushButton* next_;
    QPushButton* last_;
    QLabel* pageLabel_;
    QComboBox* zoomBox_;
    QScrollArea* scroll_;
    QLabel* pageView_;
};

}  // namespace reportengine
