#include "platform/toolbar/tbarrep.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QStyle>
#include <QToolButton>

namespace {

constexpr int kF2 = 113;
constexpr int kF5 = 116;
constexpr int kF6 = 117;
constexpr int kF7 = 118;

}  // namespace

TBarRep::TBarRep(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("TBarRep1"));
    auto* fila = new QHBoxLayout(this);
    fila->setContentsMargins(2, 2, 2, 2);
    fila->setSpacing(2);
    QStyle* s = style();
    agrega(QStringLiteral("PANTALLA"), QStringLiteral("Pantalla"),
           s->standardIcon(QStyle::SP_FileDialogContentsView), QStringLiteral("F5"));
    agrega(QStringLiteral("IMPRESORA"), QStringLiteral("Impresora"),
           QIcon::fromTheme(QStringLiteral("document-print"),
                            s->standardIcon(QStyle::SP_DriveHDIcon)),
           QStringLiteral("F6"));
    agrega(QStringLiteral("MENSAJE"), QStringLiteral("Mensaje"),
           QIcon::fromTheme(QStringLiteral("mail-send"), s->standardIcon(QStyle::SP_ArrowForward)),
           QStringLiteral("F7"));
    agrega(QStringLiteral("CONSULTAR"), QStringLiteral("Consultar"),
           s->standardIcon(QStyle::SP_FileDialogDetailedView), QStringLiteral("F2"));
    fila->addStretch(1);
    agrega(QStringLiteral("CERRAR"), QStringLiteral("Cerrar"),
           s->standardIcon(QStyle::SP_DialogCloseButton), {});
}

QToolButton* TBarRep::agrega(const QString& clave, const QString& texto, const QIcon& icono,
                             const QString& tecla) {
    auto* boton = new QToolButton(this);
    boton->setObjectName(clave);
    boton->setText(texto);
    boton->setIcon(icono);
    boton->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    boton->setToolTip(tecla.isEmpty() ? texto : texto + QStringLiteral(" (") + tecla + ')');
    // The range fields keep the focus; the toolbar is worked by mouse and function keys.
    boton->setFocusPolicy(Qt::NoFocus);
    connect(boton, &QToolButton::clicked, this, [this, clave] { emit ClickBoton(clave); });
    layout()->addWidget(boton);
    return boton;
}

bool TBarRep::HabilitaConsulta() const {
    return Boton(QStringLiteral("CONSULTAR"))->isEnabled();
}

void TBarRep::setHabilitaConsulta(bool habilitada) {
    Boton(QStringLiteral("CONSULTAR"))->setEnabled(habilitada);
}

void TBarRep::setStyleBar(double estilo) {
    styleBar_ = estilo;
    for (QToolButton* boton : findChildren<QToolButton*>()) boton->setAutoRaise(estilo != 0);
}

void TBarRep::ProcesaTecla(int KeyCode) {
    QString clave;
    switch (KeyCode) {
        case kF2:
            clave = QStringLiteral("CONSULTAR");
            break;
        case kF5:
            clave = QStringLiteral("PANTALLA");
            break;
        case kF6:
            clave = QStringLiteral("IMPRESORA");
            break;
        case kF7:
            clave = QStringLiteral("MENSAJE");
            break;
        default:
            return;
    }
    QToolButton* boton = Boton(clave);
    if (boton->isEnabled()) boton->click();
}

QToolButton* TBarRep::Boton(const QString& clave) const {
    return findChild<QToolButton*>(clave, Qt::FindDirectChildrenOnly);
}
