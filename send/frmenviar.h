#pragma once

#include "send/dialogoenvio.h"

#include "platform/vb/variant.h"

#include <QDialog>
#include <QImage>
#include <QList>
#include <QString>

#include <functional>

class QBoxLayout;
class QFrame;
class QGridLayout;
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
// sends it by e-mail, or as a WhatsApp link with the attachment and a picture uploaded to the
// web. A report file handed in as the attachment is exported to PDF when the dialog loads.
class FrmEnviar : public QDialog, public send::DialogoEnvio {
    Q_OBJECT

public:
    explicit FrmEnviar(QWidget* parent = nullptr);
    ~FrmEnviar() override;

    // The program-wide instance, created on first use.
    static FrmEnviar& Default();

    // Public methods.
    QString uploadAdjuntoWeb(const QString& archivoOriginal, QString& NombreArchivo, QString& ext,
                             bool MantenerNombre);
    void crearArchivo(const QString& Ruta, const QString& dato, bool NoAgrega);
    QString ColorARGB(const QString& Color);
    // Acts on the program-wide instance.
    void EnviarMail_Especial(const QString& Cuenta, const QString& Arch);
    void AbrirAdjunto(const QString& QueArchivo, bool MostrarVentana);
    void AsignarFoto(const QString& Imagen);
    void GeneraThumb(QString& Tmp, const QString& ID);
    // Paints the picture into the box, fitted (never enlarged) and centred.
    void Escalar_Imagen(const QImage& Img1, QLabel* Destino);
    void cmdSend_Click() override;
    void ActualizaContestado(const QString& Usuario, const QString& UIDL,
                             const QString& CuentaEmail);
    void CargaMensaje() override;
    void Rtf_Html_EliminarTemp(const QString& Ruta);
    void RegistrarEnvio(bool HayError, const QString& TextoError, const QString& CodigoActivador,
                        bool esWhatsapp);
    void VerificaeMail(QString& Cuenta, QString& TC, const vb::Variant& IdComprobante,
                       bool& PorPantalla, bool& ForzarEnvio);
    QString GetStringFile(QString& Value, bool Force);
    bool EnviarPyMail();

    // Unloads the dialog: the unload handler runs, the dialog closes, and its members (but
    // pSalir) and controls return to how a new dialog has them, so the next show loads it
    // afresh and nothing of an earlier send is carried into the next.
    void Unload();

    // Events.
    void Form_KeyDown(int KeyCode, int Shift);
    void cmdExit_Click();
    void CmdConsultar_Click();
    void optMetodoEnvio_Click(int Index);
    void cmdEnviarWhatsapp_Click();
    void cmdSalir_Click();
    void cmdConsultarContacto_Click();
    void cmdBrowse_Click();
    void CmdAbrir_Click();
    void cmdPegar_Click();
    void CmdBuscar_Click();
    void imglogo_DblClick();
    void cmdAbrirImg_Click();

    // send::DialogoEnvio
    QString Texto(const QString& campo) const override;
    void SetTexto(const QString& campo, const QString& texto) override;
    QString Adjuntos() const override;
    void SetAdjuntos(const QString& texto) override;
    QString ParaWhatsapp() const override;
    QString MensajeWhatsapp() const override;
    void SetParaWhatsapp(const QString& numero) override;
    void SetMensajeWhatsapp(const QString& texto) override;
    void SetEtiquetaWhatsapp(const QString& texto) override;
    void MuestraEspera(bool visible) override;
    void MuestraImagen(const QImage& imagen) override;
    QImage Imagen() const override;
    void SetDescripcionImagen(const QString& texto) override;
    void VistaPrevia(const QString& pagina) override;
    void MuestraSinEsperar() override;
    void EsperaEventos() override;
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
    QLabel* imglogo;  // holds the picture; PicLogo shows it
    QPushButton* cmdAbrirImg;
    QLabel* Label2;
    QLabel* Label5;
    QFrame* frmEspera;
    QLabel* Label4;
    QLabel* Label3;
    QLabel* Label6;

    void setVisible(bool visible) override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void reject() override;

private:
    // The constructor's three parts: the controls with their names and texts, made in the
    // order Tab follows; their places; and what each of them sets off.
    void creaControles();
    void colocaControles();
    void conectaControles();
    void Form_Load();
    void Form_Unload();
    void CargaCuentaEnvio();
    bool modoEmail() const;
    QWidget* campo(const QString& dataField) const;
    void reiniciaControles();
    // The form's height within the screen (the mode switch and every show set it).
    void altoDelFormulario();
    // The message box's height range, under a previewed page or alone.
    void altoDelMensaje(bool conPagina);
    // Loads the dialog when it is not loaded yet, as a first use of its controls does.
    void cargaSiHaceFalta();
    // Runs an event's work; a run-time error goes to the error dialog under the event's name.
    void evento(const char* rutina, const std::function<void()>& trabajo);
    // True when a send runs: it is asked to stop, and the dialog is left when it has.
    bool saleDuranteEnvio();

    // The picture beside its texts and buttons, or under them on a narrow screen.
    void acomodaImagen();

    QWidget* cuerpo_;               // the scrolling body of the frames
    QGridLayout* controlesImagen_;  // the picture's texts and buttons
    QBoxLayout* imagen_;            // them and the picture, side by side or one over the other
    int anchoImagenAlLado_ = 0;     // the body's least width with the picture beside

    bool loaded_ = false;
    bool unloading_ = false;
    QString pdfExportado_;          // the PDF the load made, deleted at unload
    bool salidaPendiente_ = false;  // left during a send: leave when it ends
};
