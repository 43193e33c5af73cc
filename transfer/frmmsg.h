#pragma once

#include "transfer/barraqt.h"
#include "transfer/ventanas.h"

#include <QDialog>

class QLabel;
class QProgressBar;

// The progress form of the FTP class: the server's reply and the transfer's bar. It is
// loaded hidden and nothing shows it.
class FrmMsg : public QDialog, public transfer::FrmMsgVista {
    Q_OBJECT

public:
    explicit FrmMsg(QWidget* parent = nullptr);

    void setLabel1(const QString& text) override;
    transfer::BarraProgreso& pb() override { return barra_; }

    // Controls, with their given names as object names.
    QLabel* Label1;
    QLabel* lbllinea1;
    QProgressBar* pbBar;

private:
    transfer::BarraQt barra_;
};
