#include "platform/reportengine/previewwindow.h"

#include "platform/reportengine/engine.h"
#include "platform/reportengine/printing.h"
#include "platform/reportengine/renderer.h"
#include "platform/ui/operator.h"
#include "platform/ui/screenfit.h"
#include "platform/vb/steps.h"
#include "platform/vb/vberror.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QStyle>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>

namespace reportengine {

namespace {

QPushButton* button(const QString& name, const QString& text, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

void showError(const vb::VbError& e) {
    ui::op().msgBox(e.Description, vb::vbOKOnly + vb::vbCritical,
                    QStringLiteral("Aviso al Operador"));
}

// The tool bar's groups of controls in rows: as many groups to a row as its width takes, the
// last group at the row's right end, so that on a narrow screen the bar takes two rows or
// three instead of reaching past the window's edge.
class GroupRows : public QLayout {
public:
    using QLayout::QLayout;
    ~GroupRows() override {
        while (QLayoutItem* item = takeAt(0)) delete item;
    }

    void addItem(QLayoutItem* item) override { items_.append(item); }
    int count() const override { return static_cast<int>(items_.size()); }
    QLayoutItem* itemAt(int index) const override { return items_.value(index); }
    QLayoutItem* takeAt(int index) override {
        return index >= 0 && index < items_.size() ? items_.takeAt(index) : nullptr;
    }
    Qt::Orientations expandingDirections() const override { return {}; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override { return place(QRect(0, 0, width, 0), false); }
    void setGeometry(const QRect& rect) override {
        QLayout::setGeometry(rect);
        place(rect, true);
    }
    // All in one row.
    QSize sizeHint() const override {
        QSize size;
        for (const QLayoutItem* item : items_) {
            size.rwidth() += item->sizeHint().width() + (size.width() > 0 ? spacing() : 0);
            size.setHeight(std::max(size.height(), item->sizeHint().height()));
        }
        const QMargins m = contentsMargins();
        return size + QSize(m.left() + m.right(), m.top() + m.bottom());
    }
    // The widest group alone in its row.
    QSize minimumSize() const override {
        QSize size;
        for (const QLayoutItem* item : items_) size = size.expandedTo(item->sizeHint());
        const QMargins m = contentsMargins();
        return size + QSize(m.left() + m.right(), m.top() + m.bottom());
    }

private:
    // Lays the groups out in `rect` (only measures unless `apply`); the height they take.
    int place(const QRect& rect, bool apply) const {
        const QRect area = rect.marginsRemoved(contentsMargins());
        int x = area.left(), y = area.top(), rowHeight = 0;
        for (qsizetype i = 0; i < items_.size(); ++i) {
            QLayoutItem* item = items_[i];
            const QSize size = item->sizeHint();
            if (x > area.left() && x + size.width() > area.right() + 1) {
                x = area.left();
                y += rowHeight + spacing();
                rowHeight = 0;
            }
            int left = x;
            if (i == items_.size() - 1) left = std::max(x, area.right() + 1 - size.width());
            if (apply)
                item->setGeometry(QRect(QPoint(left, y), size.boundedTo(area.size().expandedTo(
                                                             QSize(0, size.height())))));
            x = left + size.width() + spacing();
            rowHeight = std::max(rowHeight, size.height());
        }
        return y + rowHeight - rect.top() + contentsMargins().bottom();
    }

    QList<QLayoutItem*> items_;
};

// Controls that stay together in one row of the tool bar.
QWidget* group(std::initializer_list<QWidget*> controls, QWidget* parent) {
    auto* holder = new QWidget(parent);
    auto* row = new QHBoxLayout(holder);
    row->setContentsMargins(0, 0, 0, 0);
    for (QWidget* w : controls) row->addWidget(w);
    return holder;
}

}  // namespace

PreviewWindow::PreviewWindow(const ReportDocument& document, QWidget* parent)
    : QDialog(parent), pages_(document) {
    setObjectName(QStringLiteral("PreviewWindow"));
    setWindowTitle(pages_.title().isEmpty() ? QStringLiteral("Vista previa") : pages_.title());
    first_ = button(QStringLiteral("firstPage"), QStringLiteral("|<"), this);
    first_->setToolTip(QStringLiteral("Primera página (Ctrl+Inicio)"));
    previous_ = button(QStringLiteral("previousPage"), QStringLiteral("<"), this);
    previous_->setToolTip(QStringLiteral("Página anterior (RePág)"));
    next_ = button(QStringLiteral("nextPage"), QStringLiteral(">"), this);
    next_->setToolTip(QStringLiteral("Página siguiente (AvPág)"));
    last_ = button(QStringLiteral("lastPage"), QStringLiteral(">|"), this);
    last_->setToolTip(QStringLiteral("Última página (Ctrl+Fin)"));
    // The page buttons show a sign each: as wide as it, not as a worded button, so that the
    // page controls take one row of a narrow screen.
    const int signWidth = fontMetrics().horizontalAdvance(QStringLiteral("0>|0")) +
                          2 * style()->pixelMetric(QStyle::PM_ButtonMargin);
    for (QPushButton* b : {first_, previous_, next_, last_}) b->setMaximumWidth(signWidth);
    pageLabel_ = new QLabel(this);
    pageLabel_->setObjectName(QStringLiteral("pageLabel"));
    auto* goLabel = new QLabel(QStringLiteral("Ir a:"), this);
    pageField_ = new QLineEdit(this);
    pageField_->setObjectName(QStringLiteral("pageNumber"));
    pageField_->setToolTip(QStringLiteral("Escriba el número de página y pulse Enter"));
    pageField_->setValidator(new QIntValidator(1, 9999999, pageField_));
    pageField_->setMaximumWidth(fontMetrics().horizontalAdvance(QStringLiteral("0000000")));
    goLabel->setBuddy(pageField_);
    zoomBox_ = new QComboBox(this);
    zoomBox_->setObjectName(QStringLiteral("zoom"));
    zoomBox_->setToolTip(QStringLiteral("Tamaño de la página en pantalla"));
    for (int percent : {50, 75, 100, 150, 200}) {
        zoomBox_->addItem(QStringLiteral("%1%").arg(percent), percent / 100.0);
    }
    // The fit modes carry no factor: it follows the window's size.
    zoomBox_->addItem(QStringLiteral("Ancho de página"), -1.0);
    zoomBox_->addItem(QStringLiteral("Página completa"), -2.0);
    zoomBox_->setCurrentIndex(zoomBox_->count() - 2);
    auto* print = button(QStringLiteral("printButton"), QStringLiteral("Imprimir"), this);
    auto* exportButton =
        button(QStringLiteral("exportButton"), QStringLiteral("Exportar a PDF"), this);
    auto* close = button(QStringLiteral("closeButton"), QStringLiteral("Cerrar"), this);

    scroll_ = new QScrollArea(this);
    scroll_->setObjectName(QStringLiteral("pageArea"));
    scroll_->setAlignment(Qt::AlignHCenter);
    scroll_->setBackgroundRole(QPalette::Dark);
    pageView_ = new QLabel;
    pageView_->setObjectName(QStringLiteral("pageView"));
    scroll_->setWidget(pageView_);

    // The window is never larger than the screen: the bar takes more rows on a narrow one, and
    // the page area's own scroll bars reach the rest of the page.
    QWidget* body = ui::scrollingBody(*this);
    ui::keepWithinScreen(*this);
    auto* bar = new GroupRows;
    bar->setContentsMargins(0, 0, 0, 0);
    // A gap between the groups plainly wider than the one within them.
    bar->setSpacing(2 * fontMetrics().averageCharWidth());
    bar->addWidget(group({first_, previous_, pageLabel_, next_, last_}, body));
    bar->addWidget(group({goLabel, pageField_, zoomBox_}, body));
    bar->addWidget(group({print, exportButton, close}, body));
    auto* layout = new QVBoxLayout(body);
    layout->addLayout(bar);
    layout->addWidget(scroll_, 1);

    connect(first_, &QPushButton::clicked, this, [this] { showPage(0); });
    connect(previous_, &QPushButton::clicked, this, [this] { showPage(page_ - 1); });
    connect(next_, &QPushButton::clicked, this, [this] { showPage(page_ + 1); });
    connect(last_, &QPushButton::clicked, this,
            [this] { showPage(pageCountKnown() ? pageCount() - 1 : INT_MAX); });
    connect(zoomBox_, &QComboBox::currentIndexChanged, this, &PreviewWindow::zoomChosen);
    connect(pageField_, &QLineEdit::returnPressed, this, &PreviewWindow::goToTypedPage);
    // Paging keys reach the window before the control that has the focus, whichever it is,
    // and before the scroll areas that would take them otherwise; the page area also tells
    // when its size changes, for the fit modes.
    for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);
    connect(print, &QPushButton::clicked, this, &PreviewWindow::printPages);
    connect(exportButton, &QPushButton::clicked, this, &PreviewWindow::exportPdf);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    resize(1000, 760);
    // Page 1 at once; a report that cannot be laid out is told to whoever asked for it.
    layOutShown();
    refresh();
    pageField_->setText(QStringLiteral("1"));
    scroll_->setFocus();
    counter_ = new QTimer(this);
    connect(counter_, &QTimer::timeout, this, &PreviewWindow::countOn);
    if (!pageCountKnown()) counter_->start(0);
}

PreviewWindow::~PreviewWindow() {
    setWaiting(false);
}

void showPreviewWindow(const ReportDocument& document) {
    PreviewWindow preview(document);
    ui::op().showModal(preview);
}

void PreviewWindow::showPage(int index) {
    turnTo(index, false);
}

void PreviewWindow::turnTo(int index, bool keepTyped) {
    if (index >= pageCount() && !pageCountKnown()) {
        // Shown once counting gets there; the current page stays meanwhile.
        wanted_ = index;
        setWaiting(true);
        refresh();
        return;
    }
    wanted_ = -1;
    setWaiting(false);
    page_ = std::clamp(index, 0, std::max(0, pageCount() - 1));
    if (!keepTyped || !pageField_->isModified()) pageField_->setText(QString::number(page_ + 1));
    try {
        layOutShown();
    } catch (const vb::VbError& e) {
        showError(e);
    }
    refresh();
    scroll_->verticalScrollBar()->setValue(0);
}

bool PreviewWindow::layOutShown() {
    bool laidOut = false;
    // Laying out the last page found may find the count: then once more, with it.
    while (shownIndex_ != page_ || (!shownCounted_ && pageCountKnown())) {
        const bool counted = pageCountKnown();
        shown_ = pages_.page(page_);
        shownIndex_ = page_;
        shownCounted_ = counted;
        laidOut = true;
    }
    return laidOut;
}

void PreviewWindow::countOn() {
    if (!pageCountKnown()) {
        QElapsedTimer slice;
        slice.start();
        try {
            // Short enough that the window answers the operator between one and the next.
            while (!pages_.countMore(1) && slice.elapsed() < kCountingSliceMs) {
            }
        } catch (const vb::VbError& e) {
            counter_->stop();
            setWaiting(false);
            showError(e);
            return;
        }
    }
    if (pageCountKnown()) counter_->stop();
    // The count may have been finished elsewhere (a print, an export): a page asked for
    // meanwhile shows then too.
    if (wanted_ >= 0 && (wanted_ < pageCount() || pageCountKnown())) {
        // What the operator has typed anew into the page field meanwhile stays.
        turnTo(wanted_, true);
        return;
    }
    // The count shown grows, and "{pages}" on the page is right once it is known.
    bool laidOut = false;
    try {
        laidOut = layOutShown();
    } catch (const vb::VbError& e) {
        // Told once: it would fail the same at every tick.
        counter_->stop();
        showError(e);
    }
    if (laidOut)
        refresh();
    else
        refreshControls();
}

void PreviewWindow::setWaiting(bool waiting) {
    if (waiting == waiting_) return;
    waiting_ = waiting;
    ui::op().setBusy(waiting);
}

void PreviewWindow::setZoom(double factor) {
    fit_ = Fit::None;
    zoom_ = std::clamp(factor, 0.1, 8.0);
    refresh();
}

void PreviewWindow::zoomChosen(int index) {
    const double factor = zoomBox_->itemData(index).toDouble();
    if (factor > 0) {
        setZoom(factor);
        return;
    }
    fit_ = factor == -1.0 ? Fit::Width : Fit::Page;
    refresh();
}

double PreviewWindow::fittedZoom() const {
    const double dpi = logicalDpiX();
    const double pageWidth = pages_.width() / 25.4 * dpi;
    const double pageHeight = pages_.height() / 25.4 * dpi;
    if (pageWidth <= 0 || pageHeight <= 0) return 1.0;
    // Room for the frame and for a vertical scroll bar, which a long page shows at this width.
    const int frame = 2 * scroll_->frameWidth() + 4;
    const double width =
        scroll_->width() - frame - scroll_->verticalScrollBar()->sizeHint().width();
    const double height = scroll_->height() - frame;
    double factor = width / pageWidth;
    if (fit_ == Fit::Page)
        factor = std::min((scroll_->width() - frame) / pageWidth, height / pageHeight);
    return std::clamp(factor, 0.1, 8.0);
}

void PreviewWindow::goToTypedPage() {
    bool ok = false;
    const int number = pageField_->text().toInt(&ok);
    pageField_->setModified(false);
    if (ok) showPage(number - 1);
    refresh();
}

bool PreviewWindow::pagingKey(const QKeyEvent& event, bool inText) {
    const bool ctrl = event.modifiers() & Qt::ControlModifier;
    switch (event.key()) {
        case Qt::Key_PageDown:
            showPage(page_ + 1);
            return true;
        case Qt::Key_PageUp:
            showPage(page_ - 1);
            return true;
        case Qt::Key_Home:
            if (inText && !ctrl) return false;
            showPage(0);
            return true;
        case Qt::Key_End:
            if (inText && !ctrl) return false;
            showPage(pageCountKnown() ? pageCount() - 1 : INT_MAX);
            return true;
        default:
            return false;
    }
}

bool PreviewWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress &&
        pagingKey(static_cast<QKeyEvent&>(*event), watched == pageField_)) {
        return true;
    }
    // The page area's size follows the window and the tool bar's rows; the first time it is
    // laid out is when the window first shows.
    if (event->type() == QEvent::Resize && watched == scroll_ && fit_ != Fit::None) refresh();
    return QDialog::eventFilter(watched, event);
}

void PreviewWindow::keyPressEvent(QKeyEvent* event) {
    if (pagingKey(*event, false)) return;
    QDialog::keyPressEvent(event);
}

void PreviewWindow::refresh() {
    if (fit_ != Fit::None) zoom_ = fittedZoom();
    const double dpi = logicalDpiX() * zoom_;
    pageView_->setPixmap(
        QPixmap::fromImage(pageImage(shown_, pages_.width(), pages_.height(), dpi)));
    pageView_->adjustSize();
    refreshControls();
}

void PreviewWindow::refreshControls() {
    pageLabel_->setText(QStringLiteral("Página %1 de %2%3")
                            .arg(page_ + 1)
                            .arg(pageCount())
                            .arg(pageCountKnown() ? QString() : QStringLiteral("+")));
    const bool more = page_ + 1 < pageCount() || !pageCountKnown();
    first_->setEnabled(page_ > 0);
    previous_->setEnabled(page_ > 0);
    next_->setEnabled(more);
    last_->setEnabled(more);
}

void PreviewWindow::printPages() {
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage);
    if (pageCountKnown()) dialog.setMinMax(1, pageCount());
    if (ui::op().showModal(dialog) != QDialog::Accepted) return;
    if (printer.printRange() == QPrinter::CurrentPage) {
        printer.setPrintRange(QPrinter::PageRange);
        printer.setFromTo(page_ + 1, page_ + 1);
    }
    try {
        const ui::BusyPointer busy;
        printReport(pages_, printer);
    } catch (const vb::VbError& e) {
        showError(e);
    }
    // Printing counted every page: the page shown gets its count, and one asked for meanwhile
    // is shown.
    countOn();
}

void PreviewWindow::exportPdf() {
    QString suggested = pages_.title().isEmpty() ? QStringLiteral("reporte") : pages_.title();
    const auto path =
        ui::op().saveFile(QStringLiteral("Exportar a PDF"), QStringLiteral("Documento PDF |*.pdf"),
                          suggested + QStringLiteral(".pdf"));
    if (!path) return;
    try {
        const ui::BusyPointer busy;
        writePdf(pages_, *path);
    } catch (const vb::VbError& e) {
        showError(e);
    }
    // The export counted every page, as printing does.
    countOn();
}

}  // namespace reportengine
