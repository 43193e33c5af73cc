#include "receipts/imp_recibos.h"

#include "db/db_dll.h"
#include "db/sql_text.h"
#include "platform/vb/strings.h"

namespace IMP_Recibos {

namespace {

QString esRetencion(const QString& Cuenta, const char* medio) {
    // A blank account is no account of the chart.
    if (vb::Trim(Cuenta).isEmpty()) return {};
    ado::Recordset rs;
    gDB().AbrirRecordset(QStringLiteral("select * from ma_cuentas where codigo = '") +
                             sqltext::comillas(Cuenta) +
                             QStringLiteral("' and MedioDePago = '%1'").arg(QLatin1String(medio)),
                         rs, nullptr, ado::adOpenForwardOnly, ado::adLockReadOnly, -1, true);
    const bool es = !rs.Bof();
    gDB().CierraRecordset(rs);
    return es ? Cuenta : QString();
}

}  // namespace

QString EsCuentaRetIVA(const QString& Cuenta) {
    return esRetencion(Cuenta, "RI");
}

QString EsCuentaRetGanancias(const QString& Cuenta) {
    return esRetencion(Cuenta, "RG");
}

QString EsCuentaRetIBrutos(const QString& Cuenta) {
    return esRetencion(Cuenta, "RB");
}

QString EsCuentaRetOtra(const QString& Cuenta) {
    return esRetencion(Cuenta, "RO");
}

}  // namespace IMP_Recibos
