#pragma once

#include <QDialog>
#include <QString>

#include <cstdint>

class QLabel;
class QPushButton;

// A message box with a title, a text and an "&Aceptar" button that can close itself: with
// `Espera` above 0 it hides itself that many seconds after it appears, which ends the
// caller's modal show. The caller sets the members, shows it modally, then discards it.
class FrmMsgBox : public QDialog {
    Q_OBJECT

public:
    explicit FrmMsgBox(QWidget* parent = nullptr);

    QString Titulo;
    QString Mensaje;
    // Seconds before the box hides itself; 0 or less: it waits for the button.
    std::int16_t Espera = 0;

    // Caption and text taken again from Titulo and Mensaje, the label repainted at once.
    void ActualizarLeyenda();
    void CmdAceptar_Click();

    // Controls, with their given names as object names.
    QLabel* LblMensaje;
    QPushButton* CmdAceptar;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Form_Load();
    void Form_Activate();

    bool loaded_ = false;
    bool closed_ = false;  // the button closed it while the timed wait ran
};
