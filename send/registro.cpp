#include "send/registro.h"

#include "core/errordialog.h"
#include "core/globals.h"
#include "db/column_fit.h"
#include "db/db_dll.h"
#include "db/sql_builders.h"
#include "platform/vb/conversions.h"
#include "platform/vb/steps.h"
#include "platform/vb/strings.h"
#include "platform/vendrix/clsutil.h"

#include <QPair>

namespace send {

QStringList gSeleccionMultiple{QString()};

void RegistrarEnvio(const DialogoEnvio& d, bool HayError, const QString& TextoError,
                    const QString& CodigoActivador, bool esWhatsapp) {
    const auto texto = [&](const char* campo) { return d.Texto(QString::fromLatin1(campo)); };
    QString para;
    if (esWhatsapp) {
        para = d.ParaWhatsapp();
        for (const char* signo : {" ", "-", "/"}) para.remove(QString::fromLatin1(signo));
        para = gUtil().LimpiaTexto(para);
    }
    const QString usuario = ModGlobal::gUsuarioLogeado;
    // The columns in the order the log has always been written.
    const QList<QPair<QString, std::function<vb::Variant()>>> columnas = {
        {"De", [&] { return vb::Variant(esWhatsapp ? usuario : texto("De")); }},
        {"Para", [&] { return vb::Variant(esWhatsapp ? para : texto("Para")); }},
        {"Asunto",
         [&] {
             return vb::Variant(esWhatsapp ? QStringLiteral("Enviado Via Whatsapp")
                                           : texto("Asunto"));
         }},
        {"Mensaje",
         [&] { return vb::Variant(esWhatsapp ? d.MensajeWhatsapp() : texto("Mensaje")); }},
        {"adjunto", [&] { return vb::Variant(esWhatsapp ? QString() : d.Adjuntos()); }},
        {"CodigoActivador", [&] { return vb::Variant(CodigoActivador); }},
        {"FechaHora", [&] { return vb::Variant(ModGlobal::FechaServidor()); }},
        {"Usuario", [&] { return vb::Variant(usuario); }},
        {"TC", [&] { return vb::Variant(d.TC); }},
        {"IdComprobante", [&] { return vb::Variant(d.IdComprobante); }},
        {"Status", [&] { return vb::Variant(HayError ? TextoError : QStringLiteral("OK")); }},
        {"Cuenta", [&] { return vb::Variant(d.Cuenta); }},
        {"CuentaEmail",
         [&] {
             return vb::Variant(esWhatsapp ? QStringLiteral("Whatsapp") : d.CuentaEnvio.Usuario);
         }},
        {"Tipo", [&] { return vb::Variant(QStringLiteral("E")); }},
    };

    ado::Recordset rs;
    vb::Steps paso([](const vb::VbError& e) { return ModGlobal::ManejaError(e); });
    const QString tabla = QStringLiteral("v_ma_emailmov");
    // The columns' sizes are read before the row is opened, as an engine that serves one
    // statement at a time would refuse the read while the row's recordset is open.
    paso([&] { columnfit::tamanos(gDB().gCnn, tabla); });
    paso([&] {
        gDB().AbrirRecordset(QStringLiteral("select top 1 * from v_ma_emailmov"), rs, nullptr,
                             ado::adOpenDynamic, ado::adLockOptimistic, -1, true);
    });
    paso([&] { rs.AddNew(); });
    // Each text cut to its column as the database defines it: a long list of recipients, a
    // long subject or a server's long error text must not cost the record of the send.
    for (const auto& [nombre, valor] : columnas)
        paso([&, nombre = nombre, valor = valor] {
            rs.Fields(nombre).setValue(columnfit::ajusta(gDB().gCnn, tabla, nombre, valor()));
        });
    paso([&] { rs.Update(); });
    // A row the operator gave up on is dropped, and the recordset goes either way.
    vb::runSteps(vb::silentHandler(),
                 {[&] {
                      if (rs.State() != ado::adStateClosed && rs.EditMode() != ado::adEditNone)
                          rs.CancelUpdate();
                  },
                  [&] { gDB().CierraRecordset(rs); }});
}

void ActualizaContestado(const QString& Usuario, const QString& UIDL, const QString&) {
    if (vb::Trim(UIDL).isEmpty()) return;
    gDB().EjecutaConsultaSQL(
        QStringLiteral("Update V_MA_EMAILMOV set STATUS='HTML',contestadopor=") +
        vb::CStr(gDB().SQLValue(vb::Trim(Usuario), QStringLiteral("'"))) +
        QStringLiteral(" where uidl=") + vb::CStr(gDB().SQLValue(UIDL, QStringLiteral("'"))));
}

}  // namespace send
