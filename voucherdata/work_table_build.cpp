#include "voucherdata/work_table_build.h"

#include "db/db_dll.h"
#include "db/sql_builders.h"
#include "db/sql_text.h"
#include "platform/qr/pyqr.h"
#include "platform/ui/operator.h"
#include "platform/vb/app.h"
#include "platform/vb/strings.h"
#include "platform/vendrix/clssistema.h"
#include "platform/vendrix/clsutil.h"

namespace voucherdata {

QString WorkTableBuild::station() {
    return gSistema().NombreMaquina() + u'|' + gSistema().NombreUsuario();
}

bool WorkTableBuild::typeIs(const char* tipo) const {
    return vb::Trim(TC).compare(QLatin1String(tipo), Qt::CaseInsensitive) == 0;
}

void WorkTableBuild::openRead(const QString& sql, ado::Recordset& rs) {
    gDB().AbrirRecordset(sql, rs, nullptr, ado::adOpenForwardOnly, ado::adLockReadOnly, -1, true);
}

bool WorkTableBuild::atEnd(const ado::Recordset& rs) {
    try {
        return rs.Eof();
    } catch (const vb::VbError&) {
        return true;
    }
}

QString WorkTableBuild::field(const ado::Recordset& rs, const char* name) {
    return gUtil().NuloAVacio(rs[QString::fromLatin1(name)]);
}

QString WorkTableBuild::quoted(const QString& text) {
    return u'\'' + sqltext::comillas(text) + u'\'';
}

vb::ErrorHandler WorkTableBuild::stageHandler() {
    return [](const vb::VbError& e) -> int {
        return e.Number == qr::Fail ? vb::vbAbort : vb::vbIgnore;
    };
}

QString WorkTableBuild::stationRows() const {
    return QStringLiteral(" WHERE USUARIO = ") + quoted(vb::Trim(station())) +
           QStringLiteral(" AND TC = ") + quoted(gUtil().Rellena(TC, 4)) +
           QStringLiteral(" AND IDCOMPROBANTE = ") + quoted(idComprobante()) +
           QStringLiteral(" AND IDCOMPLEMENTO = ") + IdComplemento;
}

void WorkTableBuild::execute(const QString& sql) {
    gDB().EjecutaConsultaSQL(sql);
}

void WorkTableBuild::startRow(const QString& tipo) const {
    ModGlobal::ParesSQL().clear();
    pair(QStringLiteral("Usuario"), quoted(station()));
    pair(QStringLiteral("TC"), quoted(TC));
    pair(QStringLiteral("IdComprobante"), quoted(idComprobante()));
    pair(QStringLiteral("IdComplemento"), IdComplemento);
    pair(QStringLiteral("Tipo"), quoted(tipo));
}

void WorkTableBuild::pair(const QString& campo, const QString& valor) {
    ModGlobal::ParesSQL().append({campo, valor});
}

void WorkTableBuild::pair(vb::Steps& paso, const QString& campo,
                          const std::function<QString()>& valor) {
    paso([&] { pair(campo, valor()); });
}

void WorkTableBuild::insertPairs() {
    QString sql = QStringLiteral("INSERT INTO AUX_MV_CPTE ");
    ModGlobal::ArmaInsertSQL(sql, ModGlobal::ParesSQL(), true);
    execute(sql);
}

void WorkTableBuild::showInsertError() {
    const ado::Errors& errores = gDB().gCnn.errors();
    if (errores.Count() > 0)
        ui::op().msgBox(errores.Item(0).Description, vb::vbOKOnly, vb::App().Title);
}

void WorkTableBuild::amountInWords() {
    vb::Steps paso(stageHandler());
    // The stored text begins with one blank.
    paso([&] {
        execute(QStringLiteral("UPDATE AUX_MV_CPTE SET IMPORTEENLETRAS = ") +
                quoted(u' ' + ImporteLetras) + stationRows());
    });
}

void WorkTableBuild::headerStamp() {
    if (!IdTarea.isEmpty()) return;
    vb::Steps paso(stageHandler());
    QString texto = QStringLiteral(".");
    paso([&] { observation(QStringLiteral(" AND Tipo_Obs = 'EN' "), texto); });
    paso([&] {
        execute(QStringLiteral("UPDATE Aux_MV_Cpte SET Encabezado=") + quoted(texto) +
                stationRows());
    });
}

}  // namespace voucherdata
