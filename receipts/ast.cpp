#include "receipts/ast.h"

#include "core/config.h"
#include "db/db_dll.h"
#include "platform/vb/steps.h"
#include "platform/vb/strings.h"
#include "platform/vendrix/clsutil.h"
#include "receipts/buscacuenta.h"
#include "receipts/comparacion.h"

namespace ast {

using IMP_Recibos::iguales;

namespace {

// A column of the current row as the checks read it: Null as empty text, blanks trimmed.
QString campo(const ado::Recordset& rs, const QString& nombre) {
    return vb::Trim(gUtil().NuloAVacio(rs[nombre]));
}

// The account whose `columna` holds the trimmed code, left current in `rs`.
bool existe(const QString& columna, const QString& codigo, ado::Recordset& rs) {
    return gDB().ExisteEnTabla(QStringLiteral("ma_cuentas"), vb::Trim(codigo), columna, &rs, 8,
                               QString(), true);
}

const QString kCodigo = QStringLiteral("Codigo");
const QString kCodigoOpcional = QStringLiteral("CodigoOpcional");
const QString kDescripcion = QStringLiteral("Descripcion");
const QString kMedioDePago = QStringLiteral("MedioDePago");

// The checks that look an account up by code first and hand back only its description.
bool validaPorCodigo(const QString& CodigoOpcional, QString& Descripcion, const QString& Codigo,
                     const char* medio) {
    ado::Recordset rs;
    bool hallada = false;
    if (!Codigo.isEmpty())
        hallada = existe(kCodigo, Codigo, rs);
    else if (!vb::Trim(CodigoOpcional).isEmpty())
        hallada = existe(kCodigoOpcional, CodigoOpcional, rs);
    if (!hallada) {
        gDB().CierraRecordset(rs);
        return false;
    }
    const bool es = iguales(campo(rs, kMedioDePago), QString::fromLatin1(medio));
    Descripcion = campo(rs, kDescripcion);
    gDB().CierraRecordset(rs);
    return es;
}

// The checks that look an account up by optional code first and hand back its code too;
// `prueba` gets the row and whether the optional code found it.
template <typename Prueba>
bool validaPorOpcional(const QString& CodigoOpcional, QString& Codigo, QString& Descripcion,
                       Prueba prueba) {
    ado::Recordset rs;
    bool porOpcional = false;
    bool hallada = false;
    if (!CodigoOpcional.isEmpty()) {
        porOpcional = true;
        hallada = existe(kCodigoOpcional, CodigoOpcional, rs);
    } else if (!vb::Trim(Codigo).isEmpty()) {
        hallada = existe(kCodigo, Codigo, rs);
    }
    if (!hallada) {
        gDB().CierraRecordset(rs);
        return false;
    }
    const bool es = prueba(rs, porOpcional);
    Descripcion = campo(rs, kDescripcion);
    Codigo = campo(rs, kCodigo);
    gDB().CierraRecordset(rs);
    return es;
}

}  // namespace

void CuentaIVADF(QString& CtaRetIVA, QString& CtaRetIBrutos, QString& CtaRetGanancias,
                 QString& CtaDescuento, std::int16_t EsCobranza) {
    vb::Steps step([](const vb::VbError& e) -> int {
        return gDB().TratamientoErrores(e, std::nullopt, QStringLiteral("CuentaIVADF"));
    });
    ado::Recordset rs;
    const QString clave = QStringLiteral("CuentaDesCuentosObtenidos");
    const QString prefijo = EsCobranza ? QStringLiteral("CB_") : QStringLiteral("PG_");
    bool vacia = false;
    step([&] {
        gDB().AbrirRecordset(QStringLiteral("SELECT * FROM TA_CUENTASIVA with(nolock)  "), rs,
                             nullptr, ado::adOpenForwardOnly, ado::adLockReadOnly, -1, true);
    });
    step([&] { vacia = rs.Bof(); });
    if (vacia) {
        step([&] {
            CtaRetIVA.clear();
            CtaRetGanancias.clear();
            CtaRetIBrutos.clear();
        });
        step([&] { CtaDescuento = ModGlobal::Cfg(clave); });
        gDB().CierraRecordset(rs);
        return;
    }
    // Each role column falls back to the column that serves collections and payments alike.
    const auto rol = [&](QString& cuenta, const QString& columna, const char* respaldo) {
        step([&] { cuenta = campo(rs, prefijo + columna); });
        step([&] {
            if (cuenta.isEmpty()) cuenta = campo(rs, QString::fromLatin1(respaldo));
        });
    };
    rol(CtaRetIVA, QStringLiteral("RETIVA"), "CFI_RETPERC");
    rol(CtaRetGanancias, QStringLiteral("RETGAN"), "CFI_RETIGAN");
    rol(CtaRetIBrutos, QStringLiteral("RETIB"), "CFI_RETIBTOS");
    step([&] { CtaDescuento = campo(rs, prefijo + QStringLiteral("DESCUENTO")); });
    step([&] {
        if (CtaDescuento.isEmpty()) CtaDescuento = ModGlobal::Cfg(clave);
    });
    gDB().CierraRecordset(rs);
}

bool ValidaCuentaEfectivoRetencion(const QString& CodigoOpcional, QString& Descripcion,
                                   const QString& Codigo) {
    Descripcion.clear();
    ado::Recordset rs;
    bool hallada = false;
    if (!Codigo.isEmpty()) {
        hallada = existe(kCodigo, Codigo, rs);
    } else if (!vb::Trim(CodigoOpcional).isEmpty()) {
        QString cuenta = vb::Trim(CodigoOpcional);
        bool porOpcional = true;
        hallada = ModGlobal::BuscaCuenta(cuenta, rs, true, porOpcional);
    }
    if (!hallada) {
        gDB().CierraRecordset(rs);
        return false;
    }
    const bool es = vb::IsOneOf(campo(rs, kMedioDePago), {"EF", "RI", "RG", "RB", "RO"});
    Descripcion = campo(rs, kDescripcion);
    gDB().CierraRecordset(rs);
    return es;
}

bool ValidaCuentaBancoCheque(const QString& CodigoOpcional, QString& Codigo, const QString&,
                             QString& Descripcion) {
    return validaPorOpcional(
        CodigoOpcional, Codigo, Descripcion, [](const ado::Recordset& rs, bool) {
            return iguales(campo(rs, QStringLiteral("TipoVista")), QStringLiteral("BC")) &&
                   iguales(campo(rs, kMedioDePago), QStringLiteral("CH"));
        });
}

bool ValidaCuentaDebito(const QString& CodigoOpcional, QString& Codigo, const QString&,
                        QString& Descripcion) {
    return validaPorOpcional(
        CodigoOpcional, Codigo, Descripcion, [](const ado::Recordset& rs, bool porOpcional) {
            const QString medio = gUtil().NuloAVacio(rs[kMedioDePago]);
            return iguales(porOpcional ? medio : vb::Trim(medio), QStringLiteral("DB"));
        });
}

bool ValidaCuentaCheque(const QString& CodigoOpcional, QString& Descripcion,
                        const QString& Codigo) {
    return validaPorCodigo(CodigoOpcional, Descripcion, Codigo, "CH");
}

bool ValidaCuentaTarjeta(const QString& CodigoOpcional, QString& Descripcion,
                         const QString& Codigo) {
    return validaPorCodigo(CodigoOpcional, Descripcion, Codigo, "TJ");
}

}  // namespace ast
