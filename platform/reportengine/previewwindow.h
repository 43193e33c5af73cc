#pragma once

#include "platform/reportengine/layout.h"

#include <QDialog>

class QComboBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QTimer;

namespace reportengine {

// The screen destination: a report's pages with page buttons, a page-number field, zoom (fit to
// width, whole page or a percentage), print and export to PDF. It opens at fit to width. Keys:
// PgUp/PgDn the previous and next page, Home/End and Ctrl+Home/End the first and last.
// It lays out only the page it shows: page 1 at once, while the pages are counted a piece at a
// time between the window's events, the count shown as it grows ("de 37+") and "{pages}"
// showing "…" until it is known. A page past those counted is shown once counting reaches it,
// under the hourglass.
class PreviewWindow : public QDialog {
    Q_OBJECT
public:
    explicit PreviewWindow(const ReportDocument& document, QWidget* parent = nullptr);
    ~PreviewWindow() override;

    // The report shown: its form, formula values, selection and rows.
    const ReportDocument& document() const { return pages_.document(); }
    int currentPage() const { return page_; }  // 0-based
    // The pages counted so far: all of them once the count is known.
    int pageCount() const { return pages_.pagesFound(); }
    bool pageCountKnown() const { return pages_.counted(); }
    // The page on the screen, as laid out.
    const Page& shownPage() const { return shown_; }
    double zoom() const { return zoom_; }

    void showPage(int index);
    // A fixed factor (1.0 is 100%); leaves fit to width or whole page.
    void setZoom(double factor);
    // Asks for a printer through the print dialog and prints what it chose: every page, a
    // range, or the page shown; the copies, collated or not; in order or last first.
    void printPages();
    // Asks for a file name and writes the report there as a PDF.
    void exportPdf();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    enum class Fit { None, Width, Page };
    // The longest the count goes on before the window's events come in again.
    static constexpr int kCountingSliceMs = 15;
    // Counts on for a slice of at most kCountingSliceMs, never letting events in meanwhile,
    // and shows what it found; the counting timer calls it until the count is known.
    void countOn();
    // Shows page `index`, or asks for it once it is counted. The page field shows its number,
    // unless `keepTyped` and the operator has typed into the field since.
    void turnTo(int index, bool keepTyped);
    // Lays out the current page when it is not the one laid out, or it was laid out before the
    // count was known and now it is; whether it did. Raises what the layout raises.
    bool layOutShown();
    void setWaiting(bool waiting);
    // The page and the controls; the controls alone.
    void refresh();
    void refreshControls();
    // The factor that fits the page to the visible area, for the fit modes.
    double fittedZoom() const;
    void zoomChosen(int index);
    void goToTypedPage();
    // Turns pages for PgUp/PgDn, Home/End and Ctrl+Home/End; false for any other key.
    // `inText`: Home and End without Ctrl stay with the text being typed.
    bool pagingKey(const QKeyEvent& event, bool inText);

    PagedReport pages_;
    Page shown_;
    int shownIndex_ = -1;
    bool shownCounted_ = false;  // laid out with the page count known
    int wanted_ = -1;            // a page asked for beyond those counted
    bool waiting_ = false;       // the hourglass is on for it
    QTimer* counter_ = nullptr;  // counts between the window's events while the count is not known
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

// The screen destination of report runs (Services::preview): the report in this window,
// shown modally through the operator service.
void showPreviewWindow(const ReportDocument& document);

}  // namespace reportengine
