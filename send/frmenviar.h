#pragma once

#include "send/dialogoenvio.h"

#include <QDialog>
#include <QList>
#include <QString>

class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTextBrowser;

// The send dialog "Formulario Envio de eMail": a caller sets its public members, writes the
// subject into its "Asunto" field and shows it modally; the operator edits the message and
// sends it by e-mail. A report file handed in as the attachment is exported to PDF when the
// dialog loads.
class FrmEnviar : public QDialog, public send::DialogoEnvio {
    Q_OBJECT

public:
    explicit FrmEnviar(QWidget* parent = nullptr);
    ~FrmEnviar() override;

    // The program-wide instance, created on first use.
    static FrmEnviar& Default();

    // Public methods.
    void cmdSend_Click();
    void ActualizaContestado(const QString& Usuario, const QString& UIDL,
                             const QString& CuentaEmail);
    void CargaMensaje();
    void Rtf_Html_EliminarTemp(const QString& Ruta);
    void RegistrarEnvio(bool HayError, const QString& TextoError, const QString& CodigoActivador,
                        bool esWhatsapp);
    bool EnviarPyMail();

    // Unloads the dialog: the unload handler runs, the dialog closes, and its members (but
    // pSalir) and controls return to how a new dialog has them, so the next show loads it
    // afresh and nothing of an earlier send is carried into the next.
    void Unload();

    // Events.
    void Form_KeyDown(int KeyCode, int Shift);
    void cmdExit_Click();
    void CmdConsultar_Click();

    // send::DialogoEnvio
    QString Texto(const QString& campo) const override;
    void SetTexto(const QString& campo, const QString& texto) override;
    QString Adjuntos() const override;
    QString ParaWhatsapp() const override;
    QString MensajeWhatsapp() const override;
    void HabilitaEnvio(bool habilitado) override;
    void LimpiaEstado() override;
    void LimpiaProgreso() override;
    void Oculta() override;
    void Descarga() override;

    // Controls, with their given names as object names; the text fields form the control
    // array "txtfields" (index 0 "De", 1 "Para", 2 "Asunto", 3 "Mensaje", 74 "RutaImagen").
    QGroupBox* Frame1;
    QList<QRadioButton*> optMetodoEnvio;  // 0 "Email", 1 "Whatsapp"
    QGroupBox* Frame5;
    QLabel* lblServer;
    QLineEdit* txtServer;
    QLabel* Label1;
    QLabel* lblFrom;
    QLabel* lblTo;
    QPushButton* CmdConsultar;
    QLabel* lblSubject;
    QGroupBox* Frame3;
    QLabel* lblMsg;
    QList<QWidget*> txtfields;  // in the order of their Index
    QLabel* lblAttach;
    QLineEdit* txtAttach;
    QPushButton* cmdBrowse;
    QPushButton* CmdAbrir;
    QTextBrowser* WebBrowser1;
    QPushButton* cmdSend;
    QPushButton* cmdExit;
    QGroupBox* Frame4;
    QListWidget* lstStatus;
    QLabel* lblProgress;
    QGroupBox* frameWhatsapp;
    QLineEdit* txtParaWhatsapp;
    QPlainTextEdit* txtMensajeWhatsapp;
    QPushButton* cmdConsultarContacto;
    QPushButton* cmdEnviarWhatsapp;
    QPushButton* cmdSalir;
    QLabel* LblMailWSapp;
    QPushButton* cmdPegar;
    QPushButton* CmdBuscar;
    QLabel* PicLogo;
    QLabel* imglogo;
    QPushButton* cmdAbrirImg;
    QLabel* Label2;
    QLabel* Label5;
    QFrame* frmEspera;
    QLabel* Label4;
    QLabel* Label3;
    QLabel* Label6;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void reject() override;

private:
    void Form_Load();
    void Form_Unload();
    void CargaCuentaEnvio();
    bool modoEmail() const;
    QWidget* campo(const QString& dataField) const;
    void reiniciaControles();

    bool loaded_ = false;
    bool unloading_ = false;
    QString pdfExportado_;  // the PDF the load made, deleted at unload
};
