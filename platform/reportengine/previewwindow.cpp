#include "platform/reportengine/previewwindow.h"

#include "platform/reportengine/printing.h"
#include "platform/reportengine/renderer.h"
#include "platform/ui/operator.h"
#include "platform/vb/steps.h"
#include "platform/vb/vberror.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include <algorithm>

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
    : QDialog(parent), document_(document), report_(layOut(document)) {
    setObjectName(QStringLiteral("PreviewWindow"));
    setWindowTitle(report_.title.isEmpty() ? QStringLiteral("Vista previa") : report_.title);
    first_ = button(QStringLiteral("firstPage"), QStringLiteral("|<"), this);
    previous_ = button(QStringLiteral("previousPage"), QStringLiteral("<"), this);
    next_ = button(QStringLiteral("nextPage"), QStringLiteral(">"), this);
    last_ = button(QStringLiteral("lastPage"), QStringLiteral(">|"), this);
    pageLabel_ = new QLabel(this);
    pageLabel_->setObjectName(QStringLiteral("pageLabel"));
    zoomBox_ = new QComboBox(this);
    zoomBox_->setObjectName(QStringLiteral("zoom"));
    for (int percent : {50, 75, 100, 150, 200}) {
        zoomBox_->addItem(QStringLiteral("%1%").arg(percent), percent / 100.0);
    }
    zoomBox_->setCurrentIndex(2);
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
    for (QWidget* w :
         std::initializer_list<QWidget*>{first_, previous_, pageLabel_, next_, last_, zoomBox_}) {
        bar->addWidget(w);
    }
    bar->addStretch();
    bar->addWidget(print);
    bar->addWidget(exportButton);
    bar->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(scroll_);

    connect(first_, &QPushButton::clicked, this, [this] { showPage(0); });
    connect(previous_, &QPushButton::clicked, this, [this] { showPage(page_ - 1); });
    connect(next_, &QPushButton::clicked, this, [this] { showPage(page_ + 1); });
    connect(last_, &QPushButton::clicked, this, [this] { showPage(pageCount() - 1); });
    connect(zoomBox_, &QComboBox::currentIndexChanged, this,
            [this](int index) { setZoom(zoomBox_->itemData(index).toDouble()); });
    connect(print, &QPushButton::clicked, this, &PreviewWindow::printPages);
    connect(exportButton, &QPushButton::clicked, this, &PreviewWindow::exportPdf);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    resize(1000, 760);
    refresh();
}

void PreviewWindow::showPage(int index) {
    page_ = std::clamp(index, 0, std::max(0, pageCount() - 1));
    refresh();
}

void PreviewWindow::setZoom(double factor) {
    zoom_ = std::clamp(factor, 0.1, 8.0);
    refresh();
}

void PreviewWindow::refresh() {
    const double dpi = logicalDpiX() * zoom_;
    pageView_->setPixmap(QPixmap::fromImage(pageImage(report_, page_, dpi)));
    pageView_->adjustSize();
    pageLabel_->setText(QStringLiteral("Página %1 de %2").arg(page_ + 1).arg(pageCount()));
    first_->setEnabled(page_ > 0);
    previous_->setEnabled(page_ > 0);
    next_->setEnabled(page_ + 1 < pageCount());
    last_->setEnabled(page_ + 1 < pageCount());
}

void PreviewWindow::printPages() {
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    if (ui::op().showModal(dialog) != QDialog::Accepted) return;
    try {
        printReport(report_, printer);
    } catch (const vb::VbError& e) {
        showError(e);
    }
}

void PreviewWindow::exportPdf() {
    QString suggested = report_.title.isEmpty() ? QStringLiteral("reporte") : report_.title;
    const auto path =
        ui::op().saveFile(QStringLiteral("Exportar a PDF"), QStringLiteral("Documento PDF |*.pdf"),
                          suggested + QStringLiteral(".pdf"));
    if (!path) return;
    try {
        writePdf(report_, *path);
    } catch (const vb::VbError& e) {
        showError(e);
    }
}

}  // namespace reportengine
