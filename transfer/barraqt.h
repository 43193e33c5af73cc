#pragma once

#include "transfer/ventanas.h"

class QProgressBar;
class QWidget;

namespace transfer {

// A form's progress bar as the FTP logic sets it.
class BarraQt : public BarraProgreso {
public:
    explicit BarraQt(QProgressBar* bar) : bar_(bar) {}
    // A form's bar, named "pb" as the forms name it.
    static QProgressBar* nueva(QWidget* parent);

    void setMin(int value) override;
    void setMax(int value) override;
    void setValue(int value) override;

private:
    QProgressBar* bar_;
};

}  // namespace transfer
