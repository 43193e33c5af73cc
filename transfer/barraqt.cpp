#include "transfer/barraqt.h"

#include <QProgressBar>

namespace transfer {

QProgressBar* BarraQt::nueva(QWidget* parent) {
    auto* bar = new QProgressBar(parent);
    bar->setObjectName(QStringLiteral("pb"));
    return bar;
}

void BarraQt::setMin(int value) {
    bar_->setMinimum(value);
}

void BarraQt::setMax(int value) {
    bar_->setMaximum(value);
}

void BarraQt::setValue(int value) {
    bar_->setValue(value);
}

}  // namespace transfer
