#include "send/envio.h"

#include "core/config.h"
#include "db/db_dll.h"
#include "platform/mail/pyemail.h"
#include "platform/ui/operator.h"
#include "platform/vb/app.h"
#include "platform/vb/steps.h"
#include "platform/vb/strings.h"
#include "platform/vendrix/clsutil.h"
#include "send/emailaux.h"
#include "send/hooks.h"
#include "send/mailcomponent.h"
#include "send/registro.h"

namespace send {

namespace {

const QString kAviso = QStringLiteral("Aviso al operador");
const QString kSinComponente = QStringLiteral(
    "No se encuentra la biblioteca PyEmail.DLL o la misma no esta registrada correctamente, "
    "verifiquelo y vuelva a intentarlo");
const QString kSinConexion = QStringLiteral(
    "No se ha podido autenticar en el server SMTP con los parametros indicados, verifiquelo y "
    "vuelva a intentarlo");
const QString kSinCorreo = QStringLiteral(
    "No se ha podido crear el correo con los parametros indicados, verifiquelo y vuelva a "
    "intentarlo");
const QString kSinDestinatario = QStringLiteral(
    "No se ha podido agregar los destinatarios el correo con los parametros indicados, "
    "verifiquelo y vuelva a intentarlo");
const QString kSinAdjunto = QStringLiteral(
    "No se ha podido Adjuntar al correo con los parametros indicados, verifiquelo y vuelva a "
    "intentarlo");
const QString kRechazado =
    QStringLiteral("No se pudo enviar el correo, verifique la configuracion de la cuenta");
const QString kSinCifrado = QStringLiteral(
    "El server SMTP no ofrece una conexión cifrada (TLS) y la cuenta no se envía sin cifrar, "
    "verifique la configuración del servidor y vuelva a intentarlo");
const QString kCancelado = QStringLiteral("Envío cancelado por el operador");

// The step failed and the loop goes on with the next recipient.
struct SaltaDestinatario {};
// The operator stopped the send: no further mail goes.
struct Cancelado {};

// The run of one send: the dialog, the component and what the send has left behind.
class Envio {
public:
    explicit Envio(DialogoEnvio& d) : d_(d) {}

    void ejecuta() {
        const QString paraOriginal = d_.Texto(QStringLiteral("Para"));
        // From the connection on: a press meanwhile must not start a second send.
        d_.HabilitaEnvio(false);
        try {
            recorre();
        } catch (const Cancelado&) {
            restaura(paraOriginal);
            return;
        } catch (const vb::VbError& e) {
            muestraError(e);
            restaura(paraOriginal);
            return;
        }
        if (!conectado_) {
            restaura(QString());
            return;
        }
        d_.EnvioManual = false;
        d_.HabilitaEnvio(true);
        // A failed mail keeps the dialog open with what the operator wrote, and not done:
        // whoever waits for the dialog goes on waiting.
        const bool quedaAbierto = d_.MostrarAntes && fallos_ > 0;
        if (!quedaAbierto) d_.pSalir = true;
        if (d_.MostrarAntes) {
            const QString de = vb::Trim(d_.Texto(QStringLiteral("De")));
            if (!de.isEmpty() && vb::Trim(ModGlobal::Cfg(QStringLiteral("email_de"))).isEmpty())
                ModGlobal::GrabaDfg(QStringLiteral("email_de"), de, QString(), false,
                                    QStringLiteral("DATOS"), true);
            if (!quedaAbierto)
                d_.Descarga();
            else
                d_.SetTexto(QStringLiteral("Para"), paraOriginal);
        }
        ocupado(false);
    }

private:
    void recorre() {
        ModGlobal::GrabaDfg(
            QStringLiteral("UM_") + vb::Trim(gDB().gUsuario) + vb::Trim(vb::App().EXEName),
            QString(), d_.Texto(QStringLiteral("Mensaje")), false, QStringLiteral("DATOS"), true);
        const ServidorSmtp servidor = ServidorYPuerto(d_.CuentaEnvio);
        mail_ = createMailComponent();
        if (!mail_) {
            ui::op().msgBox(kSinComponente, vb::vbCritical, kAviso);
            return;
        }
        mail_->setCancelCheck([&d = d_] { return d.EnvioCancelado; });
        if (!mail_->Conectar(servidor.host, d_.CuentaEnvio.Usuario, d_.CuentaEnvio.Password,
                             servidor.port)) {
            if (d_.EnvioCancelado) cancelado();
            const bool sinCifrado = mail_->lastConnectFailure() == mail::ConnectFailure::NoTls;
            ui::op().msgBox(sinCifrado ? kSinCifrado : kSinConexion, vb::vbCritical, kAviso);
            return;
        }
        conectado_ = true;

        const QString para = vb::Trim(d_.Texto(QStringLiteral("Para")));
        if (vb::StrComp(para, QStringLiteral("Seleccion Multiple"), vb::Compare::Text) != 0) {
            if (para.contains(u';')) {
                for (const QString& pieza : para.split(u';')) {
                    d_.SetTexto(QStringLiteral("Para"), pieza);
                    if (!vb::Trim(pieza).isEmpty()) unCorreo();
                }
            } else {
                unCorreo();
            }
        } else {
            for (const QString& direccion : QStringList(gSeleccionMultiple)) {
                d_.SetTexto(QStringLiteral("Para"), direccion);
                if (!vb::Trim(direccion).isEmpty()) unCorreo();
            }
        }
    }

    // One mail to the recipient the "Para" field holds now.
    void unCorreo() {
        if (d_.EnvioCancelado) cancelado();
        try {
            armaYEnvia();
        } catch (const SaltaDestinatario&) {
        } catch (const vb::VbError& e) {
            if (e.Number == mail::err::Cancelled || d_.EnvioCancelado) cancelado();
            if (e.Number != vb::err::SubscriptOutOfRange) throw;
        }
    }

    // The operator stopped the send: the mail that did not go is logged as cancelled, which
    // is no failure of the account or the server, and nothing more is tried.
    [[noreturn]] void cancelado() {
        vb::runSteps(vb::silentHandler(), {[&] { d_.LimpiaProgreso(); }});
        RegistrarEnvio(d_, true, kCancelado, QString(), false);
        throw Cancelado{};
    }

    void armaYEnvia() {
        d_.HabilitaEnvio(false);
        d_.LimpiaEstado();
        ocupado(true);
        if (!mail_->Crear()) falla(kSinCorreo);
        const QString de = d_.Texto(QStringLiteral("De"));
        mail_->Remitente(de);
        mail_->ResponderA(de);

        const QString para = d_.Texto(QStringLiteral("Para"));
        if (!vb::Trim(para).contains(u';')) {
            if (!mail_->AgregarDestinatario(para)) falla(kSinDestinatario);
        } else {
            for (const QString& pieza : vb::Trim(para).split(u';'))
                mail_->AgregarDestinatario(pieza);
        }
        mail_->Motivo(d_.Texto(QStringLiteral("Asunto")));

        const QString mensaje = d_.Texto(QStringLiteral("Mensaje"));
        QString html = mensaje;
        d_.TextoHTML = eMailAux::TextoAHTML(html);
        mail_->MensajeTexto(gUtil().LimpiaTexto(mensaje));
        mail_->MensajeHTML(gUtil().LimpiaTexto(d_.TextoHTML));

        // Every piece of the list is attached, or the mail does not go: a mail without the
        // file the operator meant to send is not a sent mail.
        const QString adjuntos = vb::Trim(d_.Adjuntos());
        for (const QString& pieza : adjuntos.split(u';', Qt::SkipEmptyParts)) {
            const QString ruta = vb::Trim(pieza);
            if (!ruta.isEmpty() && !mail_->Adjuntar(ruta)) falla(kSinAdjunto);
        }

        if (mail_->Enviar())
            EnvioCorrecto();
        else
            ErrorEnvio(kRechazado);
    }

    // A mail that cannot be built: told, logged as failed, and the send goes on.
    [[noreturn]] void falla(const QString& texto) {
        ui::op().msgBox(texto, vb::vbCritical, kAviso);
        ++fallos_;
        vb::runSteps(vb::silentHandler(), {[&] { d_.LimpiaProgreso(); }});
        RegistrarEnvio(d_, true, texto, QString(), false);
        throw SaltaDestinatario{};
    }

    void EnvioCorrecto() {
        vb::runSteps(vb::silentHandler(),
                     {[&] { RegistrarEnvio(d_, false, QString(), QString(), false); },
                      [&] {
                          if (!d_.IdEvento.isEmpty()) {
                              d_.LimpiaProgreso();
                              d_.Oculta();
                          } else if (gSeleccionMultiple.size() - 1 >= 2) {
                              d_.LimpiaProgreso();
                          } else {
                              sendhooks::MuestraAviso(
                                  QStringLiteral("Aviso del mail"),
                                  QStringLiteral("Mensaje Enviado correctamente"), 3);
                              d_.LimpiaProgreso();
                          }
                      }});
    }

    void ErrorEnvio(const QString& texto) {
        ++fallos_;
        if (d_.MostrarAntes)
            ui::op().msgBox(
                QStringLiteral("El envío del Email falló por las posibles razones:: \r\n") + texto,
                vb::vbOKOnly, QString());
        d_.LimpiaProgreso();
        ocupado(false);
        d_.HabilitaEnvio(true);
        RegistrarEnvio(d_, true, texto, QString(), false);
    }

    void muestraError(const vb::VbError& e) {
        QString titulo = QStringLiteral(" No se envió el correo. ");
        QString texto = e.Description;
        switch (e.Number) {
            case 3749:
                titulo = QStringLiteral("Aviso al Operador");
                texto = QStringLiteral(
                    "Los datos de cuenta no son correctos. Por favor verifique la configuración "
                    "de su Cuenta");
                break;
            case mail::err::NoConnection:
                titulo = QStringLiteral("Error al enviar correo");
                texto = QStringLiteral(" No hay conexión a internet. Proceso cancelado.");
                break;
            case mail::err::MissingData:
                titulo = QStringLiteral("Error al enviar correo");
                texto = QStringLiteral("Faltan Datos. Verifique su Configuracion");
                break;
            case mail::err::LoginRefused:
                titulo = QStringLiteral(" No se envió el correo ");
                texto = QStringLiteral(
                    "La dirección de correo y/o la contraseña\r\nno son correctas.");
                break;
            default:
                break;
        }
        ui::op().msgBox(texto, vb::vbCritical, titulo);
    }

    // The dialog stays open: the send button and the pointer come back, and "Para" holds
    // what the operator wrote again.
    void restaura(const QString& paraOriginal) {
        vb::runSteps(vb::silentHandler(), {[&] { d_.HabilitaEnvio(true); },
                                           [&] {
                                               if (conectado_)
                                                   d_.SetTexto(QStringLiteral("Para"),
                                                               paraOriginal);
                                           }});
        ocupado(false);
    }

    // The hourglass pointer, set once however many mails ask for it.
    void ocupado(bool si) {
        if (si == ocupado_) return;
        ocupado_ = si;
        ui::op().setBusy(si);
    }

    DialogoEnvio& d_;
    std::unique_ptr<MailComponent> mail_;
    bool conectado_ = false;
    bool ocupado_ = false;
    int fallos_ = 0;
};

}  // namespace

bool EnviarPyMail(DialogoEnvio& dialogo) {
    if (dialogo.EnvioEnCurso) return false;
    dialogo.EnvioEnCurso = true;
    dialogo.EnvioCancelado = false;
    struct Fin {
        DialogoEnvio& d;
        ~Fin() {
            d.EnvioEnCurso = false;
            d.EnvioCancelado = false;
        }
    } fin{dialogo};
    Envio(dialogo).ejecuta();
    return false;
}

bool CancelaEnvio(DialogoEnvio& dialogo) {
    if (!dialogo.EnvioEnCurso) return false;
    dialogo.EnvioCancelado = true;
    return true;
}

}  // namespace send
