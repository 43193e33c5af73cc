#include "send/contactos.h"

#include "core/config.h"
#include "core/errordialog.h"
#include "db/db_dll.h"
#include "platform/vb/conversions.h"
#include "platform/vb/safefile.h"
#include "platform/vb/steps.h"
#include "platform/vb/strings.h"
#include "platform/vendrix/clsutil.h"

namespace ModGlobal {

namespace {

// A flag column: Null counts as not set.
bool marcado(const ado::Recordset& rs, const char* columna) {
    const vb::Variant valor = rs[QString::fromLatin1(columna)];
    return !valor.isNull() && vb::CBool(valor);
}

}  // namespace

QString ObtieneMailsContactos(const QString& TC, const QString& Cuenta) {
    ado::Recordset rs;
    gDB().AbrirRecordset(
        QStringLiteral("Select * from ma_contactos where mailPGCB = 1 and CuentaRel = ") +
            vb::CStr(gDB().SQLValue(Cuenta, QStringLiteral("'"))) +
            QStringLiteral(" and email <> ''"),
        rs);
    QString lista;
    while (rs.State() != ado::adStateClosed && !rs.Eof()) {
        bool recibe;
        if (vb::IsOneOf(TC, {"PG", "OPG", "PGFP", "CB", "CBFP", "CBCT"}))
            recibe = marcado(rs, "MAILPGCB");
        else if (vb::IsOneOf(TC, {"OT"}))
            recibe = marcado(rs, "MAILOT");
        else if (vb::IsOneOf(TC, {"OC"}))
            recibe = marcado(rs, "MAILOC");
        else
            recibe = !gUtil().NuloAVacio(rs[QStringLiteral("EMail")]).isEmpty();
        if (recibe) lista += gUtil().NuloAVacio(rs[QStringLiteral("EMail")]) + u';';
        rs.MoveNext();
    }
    gDB().CierraRecordset(rs);
    if (vb::Trim(lista).isEmpty())
        lista = vb::CStr(gDB().DatosTabla(QStringLiteral("ma_cuentasadic"), Cuenta,
                                          QStringLiteral("mail"), QStringLiteral("Codigo"), 8,
                                          QString(), true, false));
    const QString recortada = vb::Trim(lista);
    if (!recortada.isEmpty() && recortada.endsWith(u';')) lista = recortada.chopped(1);
    return lista;
}

void GeneraPiePagina(QString& Ruta) {
    QString ruta;
    vb::Steps paso([](const vb::VbError& e) { return ManejaError(e); });
    paso([&] {
        ruta = gUtil().BarraFinal(core::temporaryFolder()) + QStringLiteral("PiePag.htm");
    });
    paso([&] {
        const QStringList lineas = {
            QStringLiteral("<HTML>"),
            QStringLiteral("<HEAD>"),
            // Written in UTF-8 and saying so: readers that assume a charset show accents right.
            QStringLiteral(
                "<META http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">"),
            QStringLiteral("</HEAD>"),
            QStringLiteral("<BODY>"),
            QStringLiteral("<BR>"),
            QStringLiteral("<B>") + vb::Trim(Cfg(QStringLiteral("NOMBRE"))) +
                QStringLiteral("</B><BR>"),
            QStringLiteral("<BR>"),
            QStringLiteral("<BR>"),
            QStringLiteral("</BODY>"),
            QStringLiteral("</HTML>"),
        };
        const QByteArray bytes =
            (lineas.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8();
        if (!vb::replaceFile(ruta, bytes)) vb::raise(vb::err::PathFileAccess);
    });
    if (!paso.left()) Ruta = ruta;
}

}  // namespace ModGlobal
