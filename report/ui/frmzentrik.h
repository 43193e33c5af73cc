#pragma once

#include <QDialog>
#include <QList>
#include <QString>

#include <cstdint>

class QGroupBox;
class QLabel;
class QLineEdit;
class SkinFramework;
class TBarRep;

// The program's start-up window "Informe de Errores": four ranges (date, user, workstation,
// error number) and the report toolbar that sends the error-log report to the screen, the
// printer or the send dialog. Loading it brings the program up; closing it ends the program.
class frmZentrik : public QDialog {
    Q_OBJECT

public:
    // `lineaComando`: the connection items the program starts with; empty means the
    // program's own command line.
    explicit frmZentrik(const QString& lineaComando = {}, QWidget* parent = nullptr);

    // Events.
    void Form_Load();
    void Form_Unload(int& Cancel);
    void txtfields_GotFocus(int Index);
    void txtfields_LostFocus(int Index);
    void txtfields_KeyDown(int Index, int& KeyCode, int Shift);
    void txtfields_KeyPress(int Index, int& KeyAscii);
    void txtfields_MouseDown(int Index, int Button, int Shift, float X, float Y);
    void TBarRep1_ClickBoton(const QString& Boton);

    void ValidaCampo(QLineEdit& CampoTexto);
    void Consultar();
    void GeneraInforme();

    // Form-level data.
    std::int16_t IndiceCampo = 0;
    bool HayErrorCampo = false;

    // Controls, with their given names as object names; the range fields form the control
    // array "txtfields" and their labels the array "Label1", both by the field's Index.
    QList<QLineEdit*> txtfields;  // by Index
    QList<QLabel*> Label1;        // by the Index of their field
    QGroupBox* Frame10;
    QGroupBox* Frame1;
    QGroupBox* Frame2;
    QGroupBox* Frame3;
    TBarRep* TBarRep1;
    SkinFramework* SkinFramework1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    QLineEdit* campo(const QString& dataField) const;
    // Paints a range field with Windows colour numbers (0x00BBGGRR).
    void colorea(QLineEdit& campo, std::int32_t fondo, std::int32_t letra);

    QString lineaComando_;
};
