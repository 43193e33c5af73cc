#include "transfer/frmmsgbox.h"

#include "platform/ui/operator.h"
#include "platform/vb/vberror.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QThread>
#include <QVBoxLayout>

FrmMsgBox::FrmMsgBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FrmMsgBox"));
    setWindowTitle(QStringLiteral("Aviso al operador"));
    LblMensaje = new QLabel(QStringLiteral("Atencion!"), this);
    LblMensaje->setObjectName(QStringLiteral("LblMensaje"));
    LblMensaje->setWordWrap(true);
    LblMensaje->setAlignment(Qt::AlignCenter);
    CmdAceptar = new QPushButton(QStringLiteral("&Aceptar"), this);
    CmdAceptar->setObjectName(QStringLiteral("CmdAceptar"));
    CmdAceptar->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(LblMensaje, 1);
    layout->addWidget(CmdAceptar, 0, Qt::AlignHCenter);
    resize(360, 140);

    connect(CmdAceptar, &QPushButton::clicked, this, [this] { CmdAceptar_Click(); });
}

void FrmMsgBox::ActualizarLeyenda() {
    setWindowTitle(Titulo);
    LblMensaje->setText(Mensaje);
    LblMensaje->repaint();
}

void FrmMsgBox::CmdAceptar_Click() {
    closed_ = true;
    done(QDialog::Accepted);
}

void FrmMsgBox::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!loaded_) {
        loaded_ = true;
        Form_Load();
    }
    closed_ = false;
    // The wait starts once the box is on screen and the caller's modal loop runs.
    QMetaObject::invokeMethod(this, &FrmMsgBox::Form_Activate, Qt::QueuedConnection);
}

void FrmMsgBox::Form_Load() {
    if (const QScreen* pantalla = screen() ? screen() : QGuiApplication::primaryScreen()) {
        // Centred in what the panels leave of the screen, where the operator looks.
        const QRect area = pantalla->availableGeometry();
        move(area.left() + (area.width() - width()) / 2,
             area.top() + (area.height() - height()) / 2);
    }
    setWindowTitle(Titulo);
    LblMensaje->setText(Mensaje);
}

void FrmMsgBox::Form_Activate() {
    if (Espera <= 0 || !isVisible()) return;
    // Measured between instants of the injected clock, so a wait that starts just before
    // midnight or a clock change still lasts Espera seconds.
    const QDateTime limite = ui::clock().instant().addMSecs(qint64(Espera) * 1000);
    try {
        while (ui::clock().instant() < limite) {
            ui::op().doEvents();
            if (closed_ || !isVisible()) return;
            QThread::msleep(10);  // yield the processor between rounds of events
        }
    } catch (const vb::VbError&) {
        return;  // a failed wait leaves the box to its button
    }
    hide();
}
