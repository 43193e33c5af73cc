#include "voucherprint/impresoracomprobante.h"

#include "core/errordialog.h"
#include "db/db_dll.h"
#include "db/sql_text.h"
#include "platform/ado/ado.h"
#include "platform/ui/operator.h"
#include "platform/vb/conversions.h"
#include "platform/vb/steps.h"
#include "platform/vb/strings.h"
#include "platform/vendrix/clssistema.h"
#include "platform/vendrix/clsutil.h"

namespace ModGlobal {

namespace {

// The leading number of a column's text, to a 16-bit whole number with halves to even.
std::int16_t entero(const vb::Variant& valor) {
    return vb::CInt(vb::Val(gUtil().NuloAVacio(valor)));
}

}  // namespace

void ObtieneImpresoraComprobante(const QString& TC, const QString& Letra, QString& Impresora,
                                 std::int16_t& CantCopias, std::int16_t& CantLineas,
                                 QString& DestinoDefault, QString& Usuario) {
    const vb::ErrorHandler dialogo = manejaError(QStringLiteral("ObtieneImpresoraComprobante"));
    vb::Steps paso([&](const vb::VbError& e) {
        ui::op().setBusy(false);
        return dialogo(e);
    });
    ado::Recordset rs;
    QString sql;
    paso([&] {
        if (vb::Trim(Usuario).isEmpty())
            Usuario = gSistema().NombreMaquina() + u'|' + gSistema().NombreUsuario();
    });
    paso([&] {
        sql = QStringLiteral("SELECT * FROM TA_CONFIG_IMP_CPTE  with(nolock)  WHERE TC = '") +
              sqltext::comillas(TC) + QStringLiteral("' AND LETRA = '") +
              sqltext::comillas(Letra) + QStringLiteral("' AND USUARIO ");
    });
    paso([&] {
        gDB().AbrirRecordset(sql + QStringLiteral("= '") + sqltext::comillas(Usuario) + u'\'', rs,
                             nullptr, ado::adOpenForwardOnly, ado::adLockReadOnly, -1, true);
    });
    bool sinFila = false;
    paso([&] { sinFila = rs.Bof(); });
    if (sinFila) {
        paso([&] {
            gDB().AbrirRecordset(sql + QStringLiteral("IS NULL"), rs, nullptr,
                                 ado::adOpenForwardOnly, ado::adLockReadOnly, -1, true);
        });
        paso([&] { sinFila = rs.Bof(); });
    }
    if (sinFila) {
        paso([&] {
            Impresora.clear();
            CantCopias = 0;
        });
    } else {
        paso([&] { Impresora = vb::Trim(gUtil().NuloAVacio(rs[QStringLiteral("impresora")])); });
        paso([&] { CantCopias = entero(rs[QStringLiteral("CantCopias")]); });
        paso([&] { CantLineas = entero(rs[QStringLiteral("CantLineas")]); });
        paso([&] {
            DestinoDefault = vb::Trim(gUtil().NuloAVacio(rs[QStringLiteral("DestinoDefault")]));
        });
    }
    if (!paso.left()) paso([&] { gDB().CierraRecordset(rs); });
}

}  // namespace ModGlobal
