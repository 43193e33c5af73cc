#include "core/settings.h"

#include "core/config.h"
#include "core/globals.h"
#include "db/db_dll.h"
#include "platform/vb/app.h"
#include "platform/vb/conversions.h"
#include "platform/vb/steps.h"
#include "platform/vb/strings.h"
#include "platform/vendrix/clsutil.h"

#include <QStringList>

#include <functional>

namespace ModGlobal {

namespace {

bool igual(const QString& a, const char* b) {
    return a.compare(QLatin1String(b), Qt::CaseInsensitive) == 0;
}

// The readings of a key's text (Cfg gives " " for a missing key and "" for Null).
bool si(const QString& clave) {
    return igual(Cfg(clave), "SI");
}
bool siRecortado(const QString& clave) {
    return igual(vb::Trim(Cfg(clave)), "SI");
}
bool noEsNo(const QString& clave) {
    const QString v = Cfg(clave);
    return !vb::Trim(v).isEmpty() && !igual(v, "NO");
}
bool noEsNoPorDefectoSi(const QString& clave) {
    return !igual(vb::Trim(Cfg(clave)), "NO");
}
QString texto(const QString& clave) {
    return vb::Trim(Cfg(clave));
}
std::int16_t entero(const QString& clave) {
    return vb::CInt(vb::Val(Cfg(clave)));
}
vb::Currency importe(const QString& clave) {
    return gUtil().ValorNumerico(vb::Trim(Cfg(clave)));
}
std::int32_t color(const QString& clave) {
    return vb::CLng(gUtil().ValorNumerico(Cfg(clave)));
}

// The suite's sales-side programs, which take their decimals from "CantidadDecimalesVentas".
const QStringList& programasDeVentas() {
    static const QStringList nombres = {
        QStringLiteral("ZXVENTAS"),       QStringLiteral("ZXVENTAS2"),
        QStringLiteral("ZXPOS"),          QStringLiteral("ZXPOSTOUCH"),
        QStringLiteral("ZXCOMANDAS"),     QStringLiteral("ZXMOZOS"),
        QStringLiteral("ZXORDENTRABAJO"), QStringLiteral("ZXOTTALLER"),
        QStringLiteral("ZXIMPDIFERIDA"),
    };
    return nombres;
}

}  // namespace

void CargaConfiguracion(const QString& RutaPrograma) {
    // A load whose failure must never interrupt: each failing step is skipped.
    vb::Steps paso(vb::silentHandler());
    using K = QString;
    paso([&] { gTablaConfiguracion = QStringLiteral("ta_configuracion"); });
    paso([&] { gMostrarStockenConsultas = si(K("MostrarStockenConsultas")); });
    paso([&] { gTituloClientes = texto(K("TituloClientes")); });
    paso([&] { gTituloProveedores = texto(K("TituloProveedores")); });
    paso([&] { gArchivoDocTareas = RutaPrograma + QStringLiteral("KQDOCTareas.kqv"); });
    paso([&] { gExigeClaveConsultaLikeArticulos = si(K("EXIGECLAVECONSULTALIKEARTICULOS")); });
    paso([&] { gUsaConsultaLike = si(K("UsaConsultaLike")); });
    paso([&] { gCantidadDecimales = Cfg(K("CantidadDecimales")); });
    paso([&] { gConfidencialidad = si(K("SS_CONFIDENCIALIDAD")); });
    paso([&] {
        if (!programasDeVentas().contains(vb::App().EXEName, Qt::CaseInsensitive)) return;
        const QString ventas = Cfg(K("CantidadDecimalesVentas"));
        if (vb::Val(ventas) > 0) gCantidadDecimales = ventas;
    });
    paso([&] { gUsaMultilesMonedas = si(K("UsaMultilesMonedas")); });
    paso([&] { gUsaFacturaProforma = si(K("UsaFacturaProforma")); });
    paso([&] { gUsaCCosto = si(K("USACCOSTO")); });
    paso([&] { gUsaStkStockUdKg = si(K("USA_STK_STOCK_UDKG")); });

    ado::Recordset usuario;
    paso([&] {
        gDB().AbrirRecordset(QStringLiteral("Select * from ta_usuarios  with(nolock)  where "
                                            "Nombre = ") +
                                 vb::CStr(gDB().SQLValue(gUsuarioLogeado, "'")),
                             usuario, nullptr, ado::adOpenForwardOnly, ado::adLockReadOnly, -1,
                             true);
    });
    paso([&] {
        if (usuario.Eof()) return;
        gUNegocio = gUtil().NuloAVacio(usuario[QStringLiteral("UNegocio")]);
    });
    paso([&] {
        if (usuario.Eof() || !gUsaFacturaProforma) return;
        // A Null flag reads as "may not see them".
        const vb::Variant verProforma = usuario[QStringLiteral("verproforma")];
        gUsaFacturaProforma = !verProforma.isNull() && vb::CBool(verProforma);
    });
    paso([&] { gDB().CierraRecordset(usuario); });

    paso([&] {
        if (gUNegocio.isEmpty()) gUNegocio = QStringLiteral("   1");
    });
    paso([&] { gUnidadMedidaM3 = texto(K("UNIDADDEMEDIDA_M3")); });
    paso([&] { gUnidadMedidaBL = texto(K("UNIDADDEMEDIDA_BL")); });
    paso([&] { gUnidadMedidaKG = texto(K("UNIDADDEMEDIDA_KG")); });
    paso([&] { gPeriodo = entero(K("PERIODO")); });
    paso([&] { gRazonSocialPorUneg = siRecortado(K("RazonSocialPorUneg")); });
    paso([&] { gValidaCodigoBarra = siRecortado(K("VALIDACODIGOBARRA")); });
    paso([&] { gColorFondo = color(K("CFondo")); });
    paso([&] { gColorLetra = color(K("CLetra")); });
    paso([&] {
        if (gColorFondo == 0) gColorFondo = 16776960;  // cyan
    });
    paso([&] { gModuloOrdenDeTrabajo = noEsNoPorDefectoSi(K("ModuloOrdenDeTrabajo")); });
    paso([&] { gVModificaCPrecio = noEsNo(K("V_ModificaCPrecio")); });
    paso([&] { gCModificaCPrecio = noEsNo(K("C_ModificaCPrecio")); });
    paso([&] { gMaderera = noEsNo(K("MADERERA")); });
    paso([&] { gMadTiras = texto(K("MAD_TIRAS")); });
    paso([&] { gMadP2 = texto(K("MAD_P2")); });
    paso([&] { gMadML = texto(K("MAD_ML")); });
    paso([&] { gMadM2 = texto(K("MAD_M2")); });
    paso([&] { gMadHojas = texto(K("MAD_HOJAS")); });
    paso([&] { gMadMLP2 = texto(K("MAD_ML_P2")); });
    paso([&] { gMadM2P2 = texto(K("MAD_M2_P2")); });
    paso([&] { gMadMLM2 = texto(K("MAD_ML_M2")); });
    paso([&] { gCuentaCtroDist = texto(K("CuentaCtroDist")); });
    paso([&] { gMaxDto = importe(K("MaxDto")); });
    paso([&] { gMaxDtoProforma = importe(K("MaxDtoProforma")); });
    paso([&] { gPideClaveStockNeg = noEsNo(K("PideClave_StockNeg")); });
    paso([&] { gPideClaveMarkUpBase = noEsNo(K("PideClave_MarkUpBase")); });
    paso([&] { gPideClaveLimiteCredito = noEsNo(K("PideClave_LimiteCredito")); });
    paso([&] { gBloqueoActivo = si(K("SS_BloqueoActivo")); });
    paso([&] { gUtilizarFechaDia = si(K("UTILIZARFECHADIA")); });
    paso([&] { gAsignacionAutomaticaDeLoteING = si(K("AsignacionAutomaticaDeLoteING")); });
    paso([&] { gAsignacionAutomaticaDeLoteINGOP = si(K("AsignacionAutomaticaDeLoteINGOP")); });
    paso([&] { gCondIvaEmpresa = entero(K("CONDIVAEMPRESA")); });
    paso([&] {
        if (gCondIvaEmpresa == 0) gCondIvaEmpresa = entero(K("CONDIVA"));
    });
    paso([&] {
        if (gCondIvaEmpresa == 0) gCondIvaEmpresa = 1;
    });
    paso([&] {
        gTopDefault = Cfg(K("Top_Default"));
        if (vb::Trim(gTopDefault).isEmpty()) gTopDefault = QStringLiteral("1000");
    });
}

}  // namespace ModGlobal
