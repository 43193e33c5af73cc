#pragma once

#include "transfer/barraqt.h"
#include "transfer/ventanas.h"

#include <QWidget>

class QLabel;
class QProgressBar;

// The notification popup of the unattended FTP job: a title, a line of text and the
// transfer's bar, in a frameless window that stays above the others without taking the
// focus. MuestraNotificacion places, shows and hides it.
class FrmNotificacionRecepcioon : public QWidget, public transfer::NotificacionVista {
    Q_OBJECT

public:
    explicit FrmNotificacionRecepcioon(QWidget* parent = nullptr);

    void setCaption(const QString& text) override;
    void setLblTitulo(const QString& text) override;
    void setLblInfo(const QString& text) override;
    transfer::BarraProgreso& pb() override { return barra_; }

    // Controls, with their given names as object names.
    QLabel* LblTitulo;
    QLabel* LblInfo;
    QProgressBar* pbBar;

private:
    transfer::BarraQt barra_;
};
