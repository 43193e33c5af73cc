#include "core/config.h"

#include "core/errordialog.h"
#include "core/globals.h"
#include "db/db_dll.h"
#include "platform/vb/conversions.h"
#include "platform/vb/steps.h"
#include "platform/vb/strings.h"
#include "platform/vendrix/clsutil.h"

namespace ModGlobal {

namespace {

QString literal(DB_Dll& db, const QString& texto) {
    return vb::CStr(db.SQLValue(texto, "'"));
}

QString leeClave(DB_Dll& db, const QString& Clave, QString* ValorAux, const QString& rutina) {
    QString resultado;
    ado::Recordset rs;
    // Only Ignore goes on; any other answer gives the empty text.
    vb::Steps paso([rutina](const vb::VbError& e) {
        const int respuesta = ManejaError(e, std::nullopt, rutina);
        return respuesta == vb::vbIgnore ? respuesta : static_cast<int>(vb::vbAbort);
    });
    QString sql;
    paso([&] {
        if (vb::Trim(gTablaConfiguracion).isEmpty())
            gTablaConfiguracion = QStringLiteral("TA_CONFIGURACION");
    });
    paso([&] {
        const QString clave = vb::Trim(Clave);
        sql = QStringLiteral("SELECT VALOR, valoraux FROM ") + gTablaConfiguracion +
              QStringLiteral(" with(nolock)  WHERE CLAVE = ") + literal(db, clave);
        const QString mayusculas = vb::UCase(clave);
        if (mayusculas == QLatin1String("[FECHA HASTA]") ||
            mayusculas == QLatin1String("[FECHA DESDE]"))
            sql = vb::UCase(sql);
    });
    paso([&] {
        db.AbrirRecordset(sql, rs, nullptr, ado::adOpenForwardOnly, ado::adLockReadOnly, -1, true);
    });
    paso([&] {
        if (rs.Bof()) {
            resultado = QStringLiteral(" ");
            if (ValorAux) ValorAux->clear();
        } else {
            resultado = gUtil().NuloAVacio(rs[QStringLiteral("Valor")]);
            if (ValorAux) *ValorAux = gUtil().NuloAVacio(rs[QStringLiteral("ValorAux")]);
        }
    });
    if (paso.left()) {
        try {
            db.CierraRecordset(rs);
        } catch (const vb::VbError&) {
        }
        return {};
    }
    paso([&] { db.CierraRecordset(rs); });
    paso([&] {
        if (vb::UCase(Clave) == QLatin1String("THEME") && vb::Trim(resultado).isEmpty())
            resultado = QStringLiteral("1");
    });
    return paso.left() ? QString() : resultado;
}

void grabaClave(DB_Dll& db, const QString& Clave, const vb::Variant& Valor,
                const QString& ValorAux, bool PoliticaNegocio, const QString& Grupo,
                bool RecortaValor) {
    // A writer whose failure must never interrupt: each failing step is skipped.
    vb::Steps paso(vb::silentHandler());
    ado::Recordset rs;
    // Before anything read the configuration the table name is still blank.
    if (vb::Trim(gTablaConfiguracion).isEmpty())
        gTablaConfiguracion = QStringLiteral("TA_CONFIGURACION");
    const QString sql = QStringLiteral("SELECT * FROM ") + gTablaConfiguracion +
                        QStringLiteral(" with(nolock)  WHERE CLAVE = ") + literal(db, Clave);
    paso([&] {
        db.AbrirRecordset(sql, rs, &db.gCnn, ado::adOpenDynamic, ado::adLockOptimistic, -1, true);
    });
    paso([&] {
        if (rs.Bof())
            rs.AddNew();
        else
            rs.MoveFirst();
    });
    paso([&] { rs.Fields(QStringLiteral("Grupo")).setValue(gUtil().NuloAVacio(Grupo)); });
    paso([&] { rs.Fields(QStringLiteral("Clave")).setValue(vb::UCase(vb::Trim(Clave))); });
    paso([&] {
        QString valor = gUtil().NuloAVacio(Valor);
        if (RecortaValor) valor = vb::Trim(valor);
        rs.Fields(QStringLiteral("Valor")).setValue(valor);
    });
    paso([&] { rs.Fields(QStringLiteral("PoliticaNegocio")).setValue(PoliticaNegocio); });
    paso([&] {
        if (!ValorAux.isEmpty())
            rs.Fields(QStringLiteral("ValorAux")).setValue(vb::Trim(ValorAux));
    });
    paso([&] { rs.Update(); });
    paso([&] { db.CierraRecordset(rs); });
}

}  // namespace

QString Cfg(const QString& Clave, QString* ValorAux) {
    if (!gDB().gOpenFlag) return {};
    return leeClave(gDB(), Clave, ValorAux, QStringLiteral("Cfg"));
}

QString CfgKQ(const QString& Clave, QString* ValorAux) {
    // Start-up leaves the statistics connection closed, silently, when it cannot open it: its
    // keys then read as empty, as the company's do without a connection.
    if (!gDBEstadisticas().gOpenFlag) return {};
    return leeClave(gDBEstadisticas(), Clave, ValorAux, QStringLiteral("CfgKQ"));
}

void GrabaDfg(const QString& Clave, const vb::Variant& Valor, const QString& ValorAux,
              bool PoliticaNegocio, const QString& Grupo, bool RecortaValor) {
    grabaClave(gDB(), Clave, Valor, ValorAux, PoliticaNegocio, Grupo, RecortaValor);
}

void GrabaCfgKQ(const QString& Clave, const vb::Variant& Valor, const QString& ValorAux,
                bool PoliticaNegocio, const QString& Grupo, bool RecortaValor) {
    if (!gDBEstadisticas().gOpenFlag) return;
    grabaClave(gDBEstadisticas(), Clave, Valor, ValorAux, PoliticaNegocio, Grupo, RecortaValor);
}

}  // namespace ModGlobal
