#pragma once

#include <QString>
#include <QWidget>

class QToolButton;

// The report toolbar a report form carries (object name "TBarRep1"): one button per output
// (screen, printer, mail), the lookup button and the close button. A press, by mouse or by
// the key codes the form hands to ProcesaTecla, arrives as ClickBoton with the button's key
// text: "PANTALLA", "IMPRESORA", "MENSAJE", "CONSULTAR" or "CERRAR".
class TBarRep : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool HabilitaConsulta READ HabilitaConsulta WRITE setHabilitaConsulta)
    // The station's toolbar style: non-zero draws the buttons flat.
    Q_PROPERTY(double StyleBar READ StyleBar WRITE setStyleBar)

public:
    explicit TBarRep(QWidget* parent = nullptr);

    // Whether the lookup button (and its key) can be used.
    bool HabilitaConsulta() const;
    void setHabilitaConsulta(bool habilitada);

    double StyleBar() const { return styleBar_; }
    void setStyleBar(double estilo);

    // A key code typed in the form (Windows key codes): F2 presses "CONSULTAR" when it is
    // enabled, F5 "PANTALLA", F6 "IMPRESORA", F7 "MENSAJE". Every other code does nothing.
    void ProcesaTecla(int KeyCode);

    // The button of a key text; nullptr when there is none.
    QToolButton* Boton(const QString& clave) const;

signals:
    void ClickBoton(const QString& Boton);

private:
    QToolButton* agrega(const QString& clave, const QString& texto, const QIcon& icono,
                        const QString& tecla);

    double styleBar_ = 0;
};
