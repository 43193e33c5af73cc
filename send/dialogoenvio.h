#pragma once

#include "send/cuentaenvio.h"

#include <QImage>
#include <QString>
#include <QStringList>

namespace send {

// The addresses chosen in the multi-select address lookup; element 0 is empty. The "Para"
// field then reads "Seleccion Multiple".
extern QStringList gSeleccionMultiple;

// The send dialog's data: its public members and its form-level state.
struct EstadoEnvio {
    // Public members, in the order the suite knows them.
    QString IdEvento;           // an unattended send: success hides the dialog silently
    bool desdeTablero = false;  // stored only
    QString NroOT;              // stored only
    bool seEnvio = false;       // stored only
    bool MostrarAntes = false;  // opened for the operator: preview, messages, close after
    QString ArchivoWeb;         // HTML page previewed when MostrarAntes
    QString TC;                 // voucher type, for the send log
    QString IdComprobante;      // voucher identifier, for the send log
    QString Cuenta;             // addressee's account code, for the send log
    bool EnvioManual = false;   // keeps the preview hidden
    QString archAdjunto;        // attachment path; a report file becomes its PDF at load
    QString pTC;                // stored only
    QString pIDCPTE;            // stored only
    bool pSalir = false;        // the dialog is done

    // Form-level state.
    CuentaCorreo CuentaEnvio;
    QString TextoHTML;      // HTML body of the last mail built
    QString LinkDocumento;  // web link of the last file uploaded
};

// The send dialog as its procedures see it: its data, and what those procedures do to its
// window. FrmEnviar is the one implementation.
class DialogoEnvio : public EstadoEnvio {
public:
    virtual ~DialogoEnvio() = default;

    // One e-mail send at a time (send::EnviarPyMail): set while one runs, which an unload
    // does not change; a way out taken meanwhile asks it to stop (send::CancelaEnvio).
    bool EnvioEnCurso = false;
    bool EnvioCancelado = false;

    // The text of the field whose data field is `campo` ("De", "Para", "Asunto", "Mensaje");
    // line ends of the message are CR LF.
    virtual QString Texto(const QString& campo) const = 0;
    virtual void SetTexto(const QString& campo, const QString& texto) = 0;
    // The attachment box: paths separated by ";".
    virtual QString Adjuntos() const = 0;
    virtual void SetAdjuntos(const QString& texto) = 0;
    // The WhatsApp frame's number and message (line ends CR LF), and its label.
    virtual QString ParaWhatsapp() const = 0;
    virtual QString MensajeWhatsapp() const = 0;
    virtual void SetParaWhatsapp(const QString& numero) = 0;
    virtual void SetMensajeWhatsapp(const QString& texto) = 0;
    virtual void SetEtiquetaWhatsapp(const QString& texto) = 0;
    // The wait panel shown while a file goes up.
    virtual void MuestraEspera(bool visible) = 0;
    // The message's picture, shown scaled in its box (a null image clears it), and the
    // picture's tool-tip.
    virtual void MuestraImagen(const QImage& imagen) = 0;
    virtual QImage Imagen() const = 0;
    virtual void SetDescripcionImagen(const QString& texto) = 0;
    // The HTML page above a short message field; an empty page hides it and gives the
    // message field its full height.
    virtual void VistaPrevia(const QString& pagina) = 0;
    // The last message or the signature into an empty message field.
    virtual void CargaMensaje() = 0;
    // The send button of the e-mail frame.
    virtual void cmdSend_Click() = 0;
    // Shows the dialog without waiting for it.
    virtual void MuestraSinEsperar() = 0;
    // Lets the interface process its events, waiting for one when none is pending.
    virtual void EsperaEventos() = 0;
    virtual void HabilitaEnvio(bool habilitado) = 0;
    virtual void LimpiaEstado() = 0;    // empties the status list
    virtual void LimpiaProgreso() = 0;  // empties the progress label
    virtual void Oculta() = 0;
    // Unloads the dialog: it closes, and the next show loads it afresh.
    virtual void Descarga() = 0;
};

}  // namespace send
