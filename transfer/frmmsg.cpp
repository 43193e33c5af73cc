#include "transfer/frmmsg.h"

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

FrmMsg::FrmMsg(QWidget* parent)
    : QDialog(parent), pbBar(transfer::BarraQt::nueva(this)), barra_(pbBar) {
    setObjectName(QStringLiteral("FrmMsg"));
    Label1 = new QLabel(QStringLiteral("..."), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    lbllinea1 = new QLabel(QStringLiteral("..."), this);
    lbllinea1->setObjectName(QStringLiteral("lbllinea1"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(lbllinea1);
    layout->addWidget(pbBar);
}

void FrmMsg::setLabel1(const QString& text) {
    Label1->setText(text);
    repaint();
}
