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
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScrollArea>
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

    auto* bar = new QHBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*>{first_, previous_, pageLabel_, next_, last_,
                                                      goLabel, pageField_, zoomBox_}) {
        bar->addWidget(w);
    }
    bar->addStretch();
    bar->addWidget(print);
    bar->addWidget(exportButton);
    bar->addWidget(close);
    // The bar scrolls with the page area on a screen too narrow for it; the window itself is
    // never larger than the screen.
    auto* layout = new QVBoxLayout(ui::scrollingBody(*this));
    ui::keepWithinScreen(*this);
    layout->addLayout(bar);
    layout->addWidget(scroll_);

    connect(first_, &QPushButton::clicked, this, [this] { showPage(0); });
    connect(previous_, &QPushButton::clicked, this, [this] { showPage(page_ - 1); });
    connect(next_, &QPushButton::clicked, this, [this] { showPage(page_ + 1); });
    connect(last_, &QPushButton::clicked, this,
            [this] { showPage(pageCountKnown() ? pageCount() - 1 : INT_MAX); });
    connect(zoomBox_, &QComboBox::currentIndexChanged, this, &PreviewWindow::zoomChosen);
    connect(pageField_, &QLineEdit::returnPressed, this, &PreviewWindow::goToTypedPage);
    // Paging keys reach the window before the controls that would use them otherwise.
    for (QWidget* w :
         std::initializer_list<QWidget*>{scroll_, scroll_->viewport(), zoomBox_, pageField_}) {
        w->installEventFilter(this);
    }
    connect(print, &QPushButton::clicked, this, &PreviewWindow::printPages);
    connect(exportButton, &QPushButton::clicked, this, &PreviewWindow::exportPdf);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    resize(1000, 760);
    // Page 1 at once; a report that cannot be laid out is told to whoever asked for it.
    layOutShown();
    refresh();
    if (!pageCountKnown())
        QMetaObject::invokeMethod(this, &PreviewWindow::countOn, Qt::QueuedConnection);
}

PreviewWindow::~PreviewWindow() {
    setWaiting(false);
}

void installPreviewWindow() {
    setPreviewHandler([](const ReportDocument& document) {
        PreviewWindow preview(document);
        ui::op().showModal(preview);
    });
}

void PreviewWindow::showPage(int index) {
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
    if (counting_) return;
    // A step that finds no page means a print or an export is counting meanwhile: this
    // window leaves the count to it and goes on once it ends (print and export call it then).
    bool elsewhere = false;
    if (!pageCountKnown()) {
        counting_ = true;
        bool failed = false;
        QElapsedTimer moment;
        moment.start();
        try {
            // A piece short enough that the window answers the operator between pieces.
            for (int found = pages_.pagesFound(); !pages_.countMore(1);
                 found = pages_.pagesFound()) {
                elsewhere = pages_.pagesFound() == found;
                if (elsewhere || moment.elapsed() >= 40) break;
            }
        } catch (const vb::VbError& e) {
            failed = true;
            setWaiting(false);
            showError(e);
        }
        counting_ = false;
        if (failed) return;
    }
    // The count may have been finished elsewhere (a print, an export): a page asked for
    // meanwhile shows then too.
    if (wanted_ >= 0 && (wanted_ < pageCount() || pageCountKnown())) {
        showPage(wanted_);
    } else {
        // The count shown grows, and "{pages}" on the page is right once it is known.
        bool laidOut = false;
        try {
            laidOut = layOutShown();
        } catch (const vb::VbError& e) {
            showError(e);
        }
        if (laidOut)
            refresh();
        else
            refreshControls();
    }
    if (!pageCountKnown() && !elsewhere)
        QMetaObject::invokeMethod(this, &PreviewWindow::countOn, Qt::QueuedConnection);
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
    return QDialog::eventFilter(watched, event);
}

void PreviewWindow::keyPressEvent(QKeyEvent* event) {
    if (pagingKey(*event, false)) return;
    QDialog::keyPressEvent(event);
}

void PreviewWindow::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (fit_ != Fit::None) refresh();
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
    if (!pageField_->hasFocus() || wanted_ < 0) pageField_->setText(QString::number(page_ + 1));
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
