#include "receipts/buscacuenta.h"

#include "db/db_dll.h"
#include "db/sql_text.h"
#include "platform/vendrix/clsutil.h"

namespace ModGlobal {

namespace {

// Opens the search by one column; true when it found a row.
bool busca(const QString& columna, const QString& valor, ado::Recordset& Lrcs, bool SoloLectura) {
    const QString sql = QStringLiteral("SELECT * FROM MA_CUENTAS  with(nolock)  WHERE ") +
                        columna + QStringLiteral(" =  '") + sqltext::comillas(valor) + u'\'';
    gDB().AbrirRecordset(sql, Lrcs, nullptr,
                         SoloLectura ? ado::adOpenForwardOnly : ado::adOpenDynamic,
                         SoloLectura ? ado::adLockReadOnly : ado::adLockOptimistic, -1, true);
    return !Lrcs.Bof();
}

}  // namespace

bool BuscaCuenta(QString& Cuenta, ado::Recordset& Lrcs, bool SoloLectura,
                 bool& PorCodigoOpcional) {
    const QString codigo = QStringLiteral("Codigo");
    const QString opcional = QStringLiteral("CodigoOpcional");
    if (busca(PorCodigoOpcional ? opcional : codigo, Cuenta, Lrcs, SoloLectura)) {
        Cuenta = gUtil().NuloAVacio(Lrcs[codigo]);
        return true;
    }
    if (PorCodigoOpcional) return busca(codigo, Cuenta, Lrcs, SoloLectura);
    if (!busca(opcional, Cuenta, Lrcs, SoloLectura)) return false;
    PorCodigoOpcional = true;
    Cuenta = gUtil().NuloAVacio(Lrcs[codigo]);
    return true;
}

}  // namespace ModGlobal
