#include "send/verificaemail.h"

#include "core/config.h"
#include "core/errordialog.h"
#include "db/db_dll.h"
#include "db/sql_text.h"
#include "platform/ui/operator.h"
#include "platform/vb/conversions.h"
#include "platform/vb/steps.h"
#include "platform/vb/strings.h"
#include "platform/vendrix/clsreporte.h"
#include "platform/vendrix/clsutil.h"
#include "send/contactos.h"
#include "send/emailaux.h"
#include "send/hooks.h"

#include <QDir>
#include <QFile>

namespace send {

namespace {

const std::initializer_list<const char*> kCompras = {"FCC",  "NCC", "LNCC", "NDC",
                                                     "LNDC", "RMC", "FPC",  "NCCP"};
const std::initializer_list<const char*> kCobranzas = {"CB", "CBCT", "CBFP"};
const std::initializer_list<const char*> kPagos = {"PG", "PGFP", "OPG", "IBR", "IVA", "GAN"};

// The report printer's file type of an attachment format.
int tipoArchivo(const QString& formato) {
    if (vb::IsOneOf(formato, {"HTML", "HTM"})) return 22;
    if (vb::IsOneOf(formato, {"RTF"})) return 15;
    if (vb::IsOneOf(formato, {"XLS"})) return 25;
    if (vb::IsOneOf(formato, {"RPT"})) return 7;
    return 0;
}

QString formatoAdjunto() {
    const QString formato = vb::Trim(ModGlobal::Cfg(QStringLiteral("eMail_formatoadjunto")));
    return formato.isEmpty() ? QStringLiteral("PDF") : formato;
}

[[noreturn]] void sinServicio() {
    vb::raise(vb::err::ObjectVariableNotSet);
}

// One run of the operation: its arguments, the rule and what the print stage leaves.
class Verificacion {
public:
    Verificacion(DialogoEnvio& d, QString& Cuenta, QString& TC, const vb::Variant& Id,
                 bool& PorPantalla)
        : d_(d),
          cuenta_(Cuenta),
          tc_(TC),
          id_(Id),
          porPantalla_(PorPantalla),
          paso_(ModGlobal::manejaError(QStringLiteral("Aceptar"))) {}

    void conRegla() {
        ado::Recordset regla;
        bool hayRegla = false;
        paso_([&] {
            gDB().AbrirRecordset(
                QStringLiteral("select * from v_ma_email where codigoactivador like ") +
                    vb::CStr(gDB().SQLValue(u'%' + tc_ + u'%', QStringLiteral("'"))) +
                    QStringLiteral(" and baja = 0"),
                regla);
        });
        paso_([&] { hayRegla = regla.State() != ado::adStateClosed && !regla.Eof(); });
        if (hayRegla) {
            paso_([&] { regla.MoveFirst(); });
            paso_([&] {
                const vb::Variant sin = regla[QStringLiteral("SinConfirmacion")];
                confirmacion_ = !sin.isNull() && vb::CBool(sin);
            });
            impresion();
            if (!paso_.left() && !porPantalla_) envio(&regla);
        }
        vb::runSteps(vb::silentHandler(), {[&] { gDB().CierraRecordset(regla); }});
        if (hayRegla && porPantalla_) return;
        paso_([&] { d_.Descarga(); });
    }

    void forzado() {
        confirmacion_ = false;
        porPantalla_ = false;
        impresion();
        envio(nullptr);
        paso_([&] { d_.Descarga(); });
    }

private:
    QString id() const { return vb::CStr(id_); }

    void impresion() {
        paso_([&] {
            if (vb::Trim(cuenta_).isEmpty()) cuenta_ = id();
        });
        // The account names the files of the send: it must stay a plain name in the folder.
        paso_([&] {
            if (cuenta_.contains(u'/') || cuenta_.contains(u'\\') || cuenta_ == u"." ||
                cuenta_ == u"..")
                throw vb::VbError(52, QStringLiteral("Bad file name or number: ") + cuenta_);
        });
        if (paso_.left()) return;
        paso_([&] { carpeta_ = carpetaEnvio(); });
        paso_([&] {
            gReporte().Propiedad(QStringLiteral("PrintFileName"),
                                 carpeta_ + cuenta_ + QStringLiteral(".htm"));
        });
        paso_(
            [&] { gReporte().Propiedad(QStringLiteral("PrintFileType"), QStringLiteral("22")); });
        paso_([&] {
            gReporte().Destino =
                porPantalla_ ? gReporte().DestinoPantalla() : gReporte().DestinoArchivo();
        });
        // A cash closing has no report form to print: its message goes without attachment.
        if (!vb::IsOneOf(tc_, {"@CJA"})) imprimeDocumento();
        if (porPantalla_) return;
        paso_([&] {
            QString pie;
            ModGlobal::GeneraPiePagina(pie);
            d_.VistaPrevia(pie);
        });
    }

    // The print data, the page and the attachment file of the document.
    void imprimeDocumento() {
        QString seleccion;
        QString selector = QStringLiteral("Todos");
        if (vb::IsOneOf(tc_, kCompras))
            seleccion = QStringLiteral("{C_MV_CPTE.CUENTA}= '") +
                        sqltext::comillas(vb::Trim(cuenta_)) + u'\'';
        QStringList formulas{QString()};
        const QString numero = id();
        if (vb::IsOneOf(tc_, kCobranzas) || vb::IsOneOf(tc_, kPagos)) {
            selector.clear();
            paso_([&] {
                auto& genera = sendhooks::servicios().GeneraAuxiliarRecibo_PagoCobranza;
                if (!genera) sinServicio();
                genera(tc_, vb::Mid(numero, 1, 4), vb::Mid(numero, 5, 8), vb::Mid(numero, 13, 1),
                       vb::IsOneOf(tc_, kPagos) ? cuenta_ : QString(), formulas,
                       static_cast<std::int32_t>(gUtil().ValorEntero(
                           ModGlobal::Cfg(QStringLiteral("CobranzasCopiasPorPagina")))),
                       static_cast<std::int32_t>(
                           gUtil().ValorEntero(ModGlobal::Cfg(QStringLiteral("CobranzasItems")))));
            });
        } else {
            paso_([&] {
                auto& genera = sendhooks::servicios().GeneraAuxiliarComprobantes;
                if (!genera) sinServicio();
                // The build writes the type back as its tables hold it (padded); the
                // document keeps its own for the form, the subject and the log.
                QString tipo = tc_;
                genera(tipo, vb::Mid(numero, 1, 4), vb::Mid(numero, 5, 8), vb::Mid(numero, 13, 1),
                       QStringLiteral("0"), 3, QString(), QString(), QString(), QString(),
                       QString(), QString(), QString(), false);
            });
        }
        const auto imprime = [&] {
            paso_([&] {
                auto& imprimir = sendhooks::servicios().ImprimirComprobante;
                if (!imprimir) sinServicio();
                QStringList orden{QString()};
                QString sel = seleccion;
                std::int16_t destino = gReporte().Destino;
                bool externa = false;
                QString fecha;
                QString formulario = selector;
                bool contable = false;
                bool unaCopia = true;
                imprimir(tc_, numero, QStringLiteral("0"), tc_, orden, sel, formulas, destino,
                         externa, fecha, formulario, contable, unaCopia);
            });
        };
        imprime();
        paso_([&] {
            const QString formato = formatoAdjunto();
            const QString extension =
                vb::IsOneOf(formato, {"PDF"}) ? QStringLiteral("RPT") : formato;
            adjunto_ = carpeta_ + cuenta_ + QStringLiteral("1.") + extension;
            gReporte().Propiedad(QStringLiteral("PrintFileName"), adjunto_);
            gReporte().Propiedad(QStringLiteral("PrintFileType"), tipoArchivo(extension));
        });
        imprime();
        // A print to the screen wrote no file there is to export.
        if (porPantalla_) return;
        paso_([&] {
            const QString formato = formatoAdjunto();
            if (!vb::IsOneOf(formato, {"PDF"})) return;
            eMailAux::ExportarArchivo(carpeta_ + cuenta_ + QStringLiteral("1.RPT"),
                                      carpeta_ + cuenta_ + QStringLiteral("1.") + formato, 31);
            adjunto_ = carpeta_ + cuenta_ + QStringLiteral("1.") + formato;
        });
    }

    // The folder of this send: E-MAILS/ENVIOS/<date>/<time> under the temporary folder.
    static QString carpetaEnvio() {
        const vb::DateTime ahora = ui::clock().now();
        const QString fecha = vb::Format(vb::Variant(ahora.date()), QStringLiteral("Short Date"))
                                  .replace(u'/', u'-');
        const QString hora =
            vb::Format(vb::Variant(ahora), QStringLiteral("Long Time")).replace(u':', u'.');
        const QString carpeta = gUtil().BarraFinal(core::temporaryFolder()) +
                                QStringLiteral("E-MAILS/ENVIOS/") + fecha + u'/' + hora + u'/';
        if (!QDir().mkpath(carpeta)) vb::raise(vb::err::PathNotFound);
        return carpeta;
    }

    void envio(ado::Recordset* regla) {
        const auto campo = [&](const char* nombre) { return QString::fromLatin1(nombre); };
        QString pie;
        paso_([&] { ModGlobal::GeneraPiePagina(pie); });
        paso_([&] {
            d_.MostrarAntes = !confirmacion_;
            d_.ArchivoWeb = pie;
            d_.TC = tc_;
            d_.IdComprobante = id();
            d_.Cuenta = cuenta_;
            d_.SetAdjuntos(adjunto_);
            d_.archAdjunto = adjunto_;
        });
        paso_([&] {
            if (vb::Trim(cuenta_).isEmpty()) return;
            const QString telefono = vb::Trim(vb::CStr(
                gDB().DatosTabla(QStringLiteral("vt_clientes"), cuenta_, QStringLiteral("fax"),
                                 QStringLiteral("Codigo"), 8, QString(), true, false)));
            d_.SetParaWhatsapp(telefono);
            d_.SetEtiquetaWhatsapp(telefono);
        });
        if (!regla) {
            paso_([&] { d_.SetTexto(campo("Mensaje"), QString()); });
            paso_([&] {
                if (vb::Trim(d_.Texto(campo("De"))).isEmpty())
                    d_.SetTexto(campo("De"), vb::Trim(ModGlobal::Cfg(QStringLiteral("email_de"))));
            });
            paso_([&] {
                if (!vb::Trim(cuenta_).isEmpty() && vb::Trim(d_.Texto(campo("Para"))).isEmpty())
                    d_.SetTexto(campo("Para"), ModGlobal::ObtieneMailsContactos(tc_, cuenta_));
            });
            paso_([&] {
                if (vb::Trim(d_.Texto(campo("Asunto"))).isEmpty())
                    d_.SetTexto(campo("Asunto"), tc_ + u' ' + id());
            });
        } else {
            ado::Recordset& r = *regla;
            paso_([&] { d_.SetTexto(campo("De"), gUtil().NuloAVacio(r[campo("De")])); });
            paso_([&] {
                QString para = ModGlobal::ObtieneMailsContactos(tc_, cuenta_);
                if (vb::Trim(para).isEmpty()) para = gUtil().NuloAVacio(r[campo("Para")]);
                d_.SetTexto(campo("Para"), para);
            });
            paso_([&] {
                d_.SetTexto(campo("Asunto"), gUtil().NuloAVacio(r[campo("Asunto")]) + u'(' + tc_ +
                                                 u' ' + id() + u')');
            });
            paso_([&] { d_.SetTexto(campo("Mensaje"), gUtil().NuloAVacio(r[campo("Mensaje")])); });
        }
        paso_([&] { d_.VistaPrevia(QString()); });
        paso_([&] { d_.CargaMensaje(); });
        paso_([&] { d_.MostrarAntes = false; });
        if (confirmacion_) {
            paso_([&] { d_.cmdSend_Click(); });
            paso_([&] { d_.Descarga(); });
        } else {
            paso_([&] {
                d_.pSalir = false;
                d_.MostrarAntes = true;
            });
            paso_([&] {
                // The operator's events wake the wait: nothing spins while the dialog is open.
                while (!d_.pSalir) {
                    d_.MuestraSinEsperar();
                    d_.EsperaEventos();
                }
            });
        }
        paso_([&] {
            const QString htm = carpeta_ + cuenta_ + QStringLiteral(".htm");
            if (QFile::exists(htm)) QFile::remove(htm);
        });
    }

    DialogoEnvio& d_;
    QString& cuenta_;
    QString& tc_;
    const vb::Variant& id_;
    bool& porPantalla_;
    vb::Steps paso_;
    bool confirmacion_ = false;
    QString carpeta_;
    QString adjunto_;
};

}  // namespace

void VerificaeMail(DialogoEnvio& dialogo, QString& Cuenta, QString& TC,
                   const vb::Variant& IdComprobante, bool& PorPantalla, bool& ForzarEnvio) {
    Verificacion v(dialogo, Cuenta, TC, IdComprobante, PorPantalla);
    if (ForzarEnvio)
        v.forzado();
    else
        v.conRegla();
}

}  // namespace send
