#include "send/adjuntos.h"

#include "core/files.h"
#include "db/db_dll.h"
#include "lookup/lib_clscons3.h"
#include "platform/ui/operator.h"
#include "platform/vb/conversions.h"
#include "platform/vb/steps.h"
#include "platform/vb/strings.h"
#include "platform/vb/textfile.h"
#include "platform/vendrix/clssistema.h"
#include "platform/vendrix/clsutil.h"
#include "send/emailaux.h"

namespace send {

namespace {

// The common dialog's error when its user cancels.
constexpr long kCancelado = 32755;

}  // namespace

void AgregaAdjuntos(DialogoEnvio& d) {
    try {
        const std::optional<QStringList> elegidos = ui::op().openFiles(
            QStringLiteral("Select File Attachment(s)"),
            QStringLiteral("All Files (*.*)|*.*|HTML Files (*.htm;*.html;*.shtml)|*.htm;*.html;"
                           "*.shtml|Images (*.bmp;*.jpg;*.gif)|*.bmp;*.jpg;*.gif"));
        if (!elegidos) throw vb::VbError(kCancelado, QStringLiteral("Cancel was selected."));
        QString adjuntos = d.Adjuntos();
        for (const QString& ruta : *elegidos)
            adjuntos += (adjuntos.isEmpty() ? QString() : QStringLiteral(";")) + ruta;
        d.SetAdjuntos(adjuntos);
    } catch (const vb::VbError& e) {
        ui::op().msgBox(e.Description, vb::vbCritical, QStringLiteral("Error"));
    }
}

void AbrirAdjunto(const QString& QueArchivo, bool MostrarVentana) {
    ModGlobal::AbreArchivo(QueArchivo, MostrarVentana);
}

void AbreAdjuntos(const DialogoEnvio& d) {
    // Each path of the list on its own: the list as one name names no file.
    for (const QString& ruta : d.Adjuntos().split(u';'))
        if (!vb::Trim(ruta).isEmpty()) AbrirAdjunto(vb::Trim(ruta), true);
}

void ConsultaDirecciones(DialogoEnvio& d) {
    Lib_ClsCons3& consultas = gConsultas();
    consultas.Checks = true;
    consultas.CampoDevuelto = QStringLiteral("email");
    consultas.ConsultaSearch(QStringLiteral("Select * from vt_e_mail order by razonsocial"));
    QString resultado;
    if (consultas.Valores && !consultas.Valores->isEmpty()) {
        gSeleccionMultiple = QStringList{QString()} + *consultas.Valores;
        resultado = consultas.Valores->size() == 1 ? consultas.Valores->first()
                                                   : QStringLiteral("Seleccion Multiple");
    }
    d.SetTexto(QStringLiteral("Para"), resultado);
}

void ConsultaContacto(DialogoEnvio& d) {
    Lib_ClsCons3& consultas = gConsultas();
    consultas.Checks = false;
    consultas.CampoDevuelto = QStringLiteral("telefono");
    consultas.ConsultaSearch(
        QStringLiteral("select nombre_y_apellido,telefono From ma_contactos where cuentarel=") +
        vb::CStr(gDB().SQLValue(d.Cuenta, QStringLiteral("'"))) +
        QStringLiteral(" order by nombre_y_apellido "));
    d.SetParaWhatsapp(gUtil().NuloAVacio(consultas.ValorDevuelto));
}

void EnviarMail_Especial(DialogoEnvio& d, const QString& Cuenta, const QString& Arch) {
    const QString carpeta = gUtil().BarraFinal(gSistema().CarpetaTemporal());
    d.MostrarAntes = true;
    d.ArchivoWeb = Arch;
    QString direccion;
    ado::Recordset rs;
    if (gDB().ExisteEnTabla(QStringLiteral("MA_CUENTASADIC"), Cuenta, QStringLiteral("CODIGO"),
                            &rs))
        direccion = gUtil().NuloAVacio(rs[QStringLiteral("Mail")]);
    gDB().CierraRecordset(rs);
    if (gDB().ExisteEnTabla(QStringLiteral("ta_usuarios"), gDB().gUsuario,
                            QStringLiteral("nombre"), &rs))
        d.SetTexto(QStringLiteral("De"), gUtil().NuloAVacio(rs[QStringLiteral("email_usuario")]));
    gDB().CierraRecordset(rs);
    if (Arch.isEmpty()) return;
    const std::optional<QStringList> lineas = vb::readTextLines(Arch);
    if (!lineas) vb::raise(vb::err::FileNotFound);
    eMailAux::GeneraEstiloCSS(carpeta);
    d.SetAdjuntos(Arch + u';');
    d.SetTexto(QStringLiteral("Mensaje"), lineas->join(QString()));
    d.SetTexto(QStringLiteral("Para"), direccion);
    d.MuestraSinEsperar();
}

QString ColorARGB(const QString& Color) {
    return eMailAux::ColorHTML(Color);
}

}  // namespace send
