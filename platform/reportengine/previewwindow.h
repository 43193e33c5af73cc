#pragma once

#include "platform/reportengine/layout.h"

#include <QDialog>

class QComboBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;

namespace reportengine {

// The screen destination: a report's pages with page buttons, a page-number field, zoom (fit to
// width, whole page or a percentage), print and export to PDF. It opens at fit to width. Keys:
// PgUp/PgDn the previous and next page, Home/End and Ctrl+Home/End the first and last.
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
    // A fixed factor (1.0 is 100%); leaves fit to width or whole page.
    void setZoom(double factor);
    // Asks for a printer through the print dialog and prints every page.
    void printPages();
    // Asks for a file name and writes the report there as a PDF.
    void exportPdf();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    enum class Fit { None, Width, Page };
    void refresh();
    // The factor that fits the page to the visible area, for the fit modes.
    double fittedZoom() const;
    void zoomChosen(int index);
    void goToTypedPage();
    // Turns pages for PgUp/PgDn, Home/End and Ctrl+Home/End; false for any other key.
    // `inText`: Home and End without Ctrl stay with the text being typed.
    bool pagingKey(const QKeyEvent& event, bool inText);

    ReportDocument document_;
    LaidOutReport report_;
    int page_ = 0;
    double zoom_ = 1.0;
    Fit fit_ = Fit::Width;
    QPushButton* first_;
    QPushButton* previous_;
    QPushButton* next_;
    QPushButton* last_;
    QLabel* pageLabel_;
    QLineEdit* pageField_;
    QComboBox* zoomBox_;
    QScrollArea* scroll_;
    QLabel* pageView_;
};

// Makes this window the screen destination of report runs (setPreviewHandler), shown modally
// through the operator service.
void installPreviewWindow();

}  // namespace reportengine
