#include "db/connection_string.h"
#include "db/db_dll.h"
#include "db/lookup_sql.h"
#include "db/sql_text.h"

#include "platform/ui/operator.h"
#include "platform/vb/conversions.h"
#include "platform/vb/steps.h"
#include "platform/vb/strings.h"
#include "platform/vendrix/clsutil.h"

namespace {

// The lookups' own box: no log line, and Abort keeps the result reached so far.
int cajaAviso(const vb::VbError& e) {
    return ui::op().msgBox(e.Description, vb::vbAbortRetryIgnore + vb::vbCritical,
                           QStringLiteral("Aviso al Operador"));
}

void cierraSinAvisar(ado::Recordset& rs) {
    try {
        if (rs.State() != ado::adStateClosed) rs.Close();
    } catch (const vb::VbError&) {
    }
}

}  // namespace

bool DB_Dll::ExisteEnTablaComun(bool st, const QString& Tabla, const QString& ValorBuscado,
                                const QString& Campo, ado::Recordset* Lrcs,
                                const vb::Variant& Tipodato, const QString& Condicion,
                                bool SoloLectura) {
    ado::Connection& conexion = st ? gDB().gCnn : gCnn;
    bool resultado = false;
    QString sql;
    ado::Recordset propio;
    vb::Steps step(cajaAviso);
    step([&] {
        sql = st ? lookupsql::ExisteEnTablaST(Tabla, ValorBuscado, Campo, Tipodato, Condicion)
                 : lookupsql::ExisteEnTabla(Tabla, ValorBuscado, Campo, Tipodato, Condicion);
    });
    if (!st) step([&] { sql = SS_TSinonimos(sql); });
    if (!Lrcs) {
        step([&] { propio.Open(st ? sql : ORACLE_Dicc(sql), conexion, 0, 1, -1); });
        step([&] { resultado = !propio.Bof(); });
        step([&] { propio.Close(); });
        cierraSinAvisar(propio);
        return resultado;
    }
    step([&] {
        if (Lrcs->State() != ado::adStateClosed) Lrcs->Close();
    });
    step([&] {
        if (SoloLectura)
            Lrcs->Open(sql, conexion, ado::adOpenForwardOnly, ado::adLockReadOnly);
        else
            Lrcs->Open(sql, conexion, Lrcs->CursorType(), Lrcs->LockType());
    });
    step([&] { resultado = !Lrcs->Bof(); });
    return resultado;
}

bool DB_Dll::ExisteEnTablaST(const QString& Tabla, const QString& ValorBuscado,
                             const QString& Campo, ado::Recordset* Lrcs,
                             const vb::Variant& Tipodato, const QString& Condicion,
                             bool SoloLectura) {
    return ExisteEnTablaComun(true, Tabla, ValorBuscado, Campo, Lrcs, Tipodato, Condicion,
                              SoloLectura);
}

bool DB_Dll::ExisteEnTabla(const QString& Tabla, const QString& ValorBuscado, const QString& Campo,
                           ado::Recordset* Lrcs, const vb::Variant& Tipodato,
                           const QString& Condicion, bool SoloLectura) {
    return ExisteEnTablaComun(false, Tabla, ValorBuscado, Campo, Lrcs, Tipodato, Condicion,
                              SoloLectura);
}

vb::Variant DB_Dll::DatosTabla(const QString& Tabla, const QString& ValorBuscado,
                               const QString& CampoDevuelto, const QString& Campo,
                               const vb::Variant& Tipodato, const QString& Condicion, bool UsaTrim,
                               bool IgnoraError) {
    vb::Variant resultado;  // Empty: no value at all
    ado::Recordset rs;
    vb::Steps step([&](const vb::VbError& e) -> int {
        if (IgnoraError) {
            resultado = QString();
            return vb::vbAbort;
        }
        return cajaAviso(e);
    });
    QString sql;
    step([&] {
        sql = lookupsql::DatosTabla(Tabla, ValorBuscado, Campo, Tipodato, Condicion, UsaTrim,
                                    connstr::isJet(gCnn.ConnectionString()));
    });
    step([&] { AbrirRecordset(sql, rs, nullptr, 0, 1, -1, true); });
    step([&] {
        if (!gOpenFlag) throw vb::ExitProcedure{};
    });
    step([&] { resultado = rs.Eof() ? QString() : gUtil().NuloAVacio(rs[CampoDevuelto]); });
    step([&] { CierraRecordset(rs); });
    cierraSinAvisar(rs);
    return resultado;
}

vb::Variant DB_Dll::BuscaMaximoUnaVez(const QString& QueTabla, const QString& QueCampo,
                                      const vb::Variant& Tipo, QString* Condicion,
                                      bool reglaUsada) {
    const std::optional<QString> condicion =
        Condicion ? std::optional<QString>(*Condicion) : std::nullopt;
    ado::Recordset rs;
    rs.Open(lookupsql::BuscaMaximo(QueTabla, QueCampo, condicion), gCnn, 0, 1, -1);
    vb::Variant resultado;
    if (!rs.Eof()) {
        const vb::Variant mayor = rs[QStringLiteral("MAYOR")];
        const bool articulos =
            QueTabla.compare(QLatin1String("V_MA_ARTICULOS"), Qt::CaseInsensitive) == 0;
        // Article codes that begin with "0" never count as the largest; the rule runs once.
        if (articulos && !reglaUsada && vb::Left(vb::Trim(gUtil().NuloAVacio(mayor)), 1) == u"0") {
            const QString regla = QStringLiteral(" substring(ltrim(idarticulo),1,1)<>'0'");
            QString extendida = !condicion || vb::Trim(*condicion).isEmpty()
                                    ? regla
                                    : *condicion + QStringLiteral(" and") + regla;
            rs.Close();
            if (Condicion) {
                *Condicion = extendida;
                return BuscaMaximoUnaVez(QueTabla, QueCampo, Tipo, Condicion, true);
            }
            return BuscaMaximoUnaVez(QueTabla, QueCampo, Tipo, &extendida, true);
        }
        if (sqltext::codigo(Tipo) == 7)
            resultado = gUtil().NuloAVacio(mayor);
        else
            resultado = sqltext::numeroDe(mayor.isNull() ? vb::Variant() : mayor);
    }
    rs.Close();
    return resultado;
}

vb::Variant DB_Dll::BuscaMaximo(const QString& QueTabla, const QString& QueCampo,
                                const vb::Variant& Tipo, QString* Condicion) {
    return BuscaMaximoUnaVez(QueTabla, QueCampo, Tipo, Condicion, false);
}

double DB_Dll::BuscaMinimo(const QString& QueTabla, const QString& QueCampo,
                           const vb::Variant& Tipo, const std::optional<QString>& Condicion) {
    ado::Recordset rs;
    rs.Open(lookupsql::BuscaMinimo(QueTabla, QueCampo, Condicion), gCnn, 0, 1, -1);
    const double resultado = rs.Eof() ? 0 : sqltext::numeroDe(rs[QStringLiteral("MENOR")]);
    rs.Close();
    return resultado;
}

double DB_Dll::BuscaUltimoCodigo(const QString& QueTabla, const QString& QueCampo,
                                 const vb::Variant& Tipo, const QString& Condicion) {
    ado::Recordset rs;
    rs.Open(lookupsql::BuscaUltimoCodigo(QueTabla, QueCampo, Condicion), gCnn, 0, 1, -1);
    const double resultado = rs.Eof() ? 0 : sqltext::numeroDe(rs[QStringLiteral("MAYOR")]);
    rs.Close();
    return resultado;
}
