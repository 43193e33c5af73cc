#include "transfer/frmnotificacionrecepcioon.h"

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

FrmNotificacionRecepcioon::FrmNotificacionRecepcioon(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowDoesNotAcceptFocus),
      pbBar(transfer::BarraQt::nueva(this)),
      barra_(pbBar) {
    setObjectName(QStringLiteral("FrmNotificacionRecepcioon"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(QStringLiteral("Recepcionando..."));
    LblTitulo = new QLabel(QStringLiteral("Recepcionando información de Puntos de Venta"), this);
    LblTitulo->setObjectName(QStringLiteral("LblTitulo"));
    QFont font = LblTitulo->font();
    font.setBold(true);
    LblTitulo->setFont(font);
    LblInfo = new QLabel(QStringLiteral("..."), this);
    LblInfo->setObjectName(QStringLiteral("LblInfo"));
    LblInfo->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(LblTitulo);
    layout->addWidget(LblInfo, 1);
    layout->addWidget(pbBar);
    // The popup grows and shrinks below its contents' size while it comes and goes.
    layout->setSizeConstraint(QLayout::SetNoConstraint);
    // 6375 by 2190 twips, the size the job gives it.
    resize(425, 146);
}

void FrmNotificacionRecepcioon::setCaption(const QString& text) {
    setWindowTitle(text);
}

void FrmNotificacionRecepcioon::setLblTitulo(const QString& text) {
    LblTitulo->setText(text);
    LblTitulo->repaint();
}

void FrmNotificacionRecepcioon::setLblInfo(const QString& text) {
    LblInfo->setText(text);
    LblInfo->repaint();
}
