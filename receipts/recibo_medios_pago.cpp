#include "receipts/recibo.h"

#include "core/config.h"
#include "db/db_dll.h"
#include "platform/vb/conversions.h"
#include "platform/vb/strings.h"
#include "platform/vendrix/clsutil.h"
#include "receipts/ast.h"
#include "receipts/comparacion.h"
#include "receipts/imp_recibos.h"

#include <functional>

namespace IMP_Recibos {

namespace {

// A stored flag: Null counts as false.
bool verdadero(const vb::Variant& valor) {
    return !valor.isNull() && !valor.isEmpty() && vb::CBool(valor);
}

// "Socio: " joined to the member number as variant addition does: Null stays Null, and a
// value that is no text cannot be joined.
vb::Variant socio(const vb::Variant& numero) {
    const QString rotulo = QStringLiteral("Socio: ");
    if (numero.isNull()) return vb::Variant::null();
    if (numero.isEmpty()) return rotulo;
    if (!numero.isString()) vb::raise(vb::err::TypeMismatch);
    return rotulo + numero.string();
}

const QString kMarcaMedioPago = QStringLiteral("   1");

}  // namespace

void ReciboPagoCobranza::ColumnasMedioPago() {
    // Lines that are neither a retention, a discount nor a means of payment are passed over
    // within the same row.
    for (;;) {
        if (step.left()) return;
        QString A;
        step([&] { A = gUtil().NuloAVacio(rsAsiento[QStringLiteral("Cuenta")]); });
        step([&] { EsLineaCuenta = false; });
        step([&] {
            if (!Cuenta.isEmpty() && !rsAplicados.Bof() && !rsAplicados.Eof() &&
                iguales(gUtil().NuloAVacio(rsAplicados[QStringLiteral("CUENTA")]), Cuenta) &&
                iguales(A, Cuenta))
                EsLineaCuenta = true;
        });
        step([&] {
            if (!EsLineaCuenta && ast::ValidaCuentaEfectivoRetencion({}, DescCuenta, A) &&
                iguales(A, Cuenta))
                EsLineaCuenta = true;
        });
        step([&] {
            if (!EsLineaCuenta && iguales(CtaDescuento, Cuenta)) CtaDescuento.clear();
        });
        step([&] {
            if (vb::Trim(ConceptoRecibo).isEmpty())
                ConceptoRecibo =
                    vb::Trim(gUtil().NuloAVacio(rsAsiento[QStringLiteral("Detalle")]));
        });

        const auto prueba = [&](const std::function<bool()>& condicion) {
            bool cumple = false;
            step([&] { cumple = condicion(); });
            return cumple;
        };

        // A blank account is never a retention nor the discount account: the checks answer
        // an empty text for it, which would equal it.
        const bool conCuenta = !vb::Trim(A).isEmpty();
        const auto retencion = [&](QString (*chequeo)(const QString&)) {
            return prueba([&] { return conCuenta && iguales(chequeo(A), A); });
        };

        if (retencion(EsCuentaRetOtra)) {
            bool suss = false;
            step([&] {
                suss = iguales(vb::Trim(ModGlobal::Cfg(QStringLiteral("CTA_RET_OTRA_") + A)),
                               QStringLiteral("SU"));
            });
            SumaLinea(suss ? TotalRetSUSS : TotalRetOtras);
            return;
        }
        if (retencion(EsCuentaRetIVA)) {
            SumaLinea(TotalRetIVA);
            return;
        }
        if (retencion(EsCuentaRetIBrutos)) {
            SumaLinea(TotalRetIBrutos);
            return;
        }
        if (retencion(EsCuentaRetGanancias)) {
            SumaLinea(TotalRetGanancias);
            return;
        }
        // The discount account may come padded from the settings.
        if (prueba([&] { return conCuenta && iguales(vb::Trim(A), vb::Trim(CtaDescuento)); })) {
            SumaLinea(TotalDescuentos);
            return;
        }
        if (prueba([&] {
                // Both sides are asked, as the description comes from the check.
                const bool efectivo = ast::ValidaCuentaEfectivoRetencion({}, DescCuenta, A);
                return efectivo && !EsLineaCuenta;
            })) {
            asigna(QStringLiteral("COLUMNA4"), DescCuenta);
            CierraMedioPago();
            return;
        }
        if (PruebaChequeBancoDebito(A)) return;
        if (PruebaTarjeta(A)) return;

        bool fin = true;
        step([&] { fin = rsAsiento.Eof(); });
        if (fin) return;
        step([&] { rsAsiento.MoveNext(); });
        step([&] { fin = rsAsiento.Eof(); });
        if (fin) return;
    }
}

bool ReciboPagoCobranza::PruebaChequeBancoDebito(const QString& A) {
    bool cumple = false;
    step([&] {
        // All three checks are asked; each that finds the account leaves its description.
        const bool cheque = ast::ValidaCuentaCheque({}, DescCuenta, A);
        QString codigo = A;
        const bool banco = ast::ValidaCuentaBancoCheque({}, codigo, {}, DescCuenta);
        codigo = A;
        const bool debito = ast::ValidaCuentaDebito({}, codigo, {}, DescCuenta);
        cumple = cheque || banco || (debito && !EsLineaCuenta);
    });
    if (!cumple) return false;
    step([&] {
        const bool propio = verdadero(rsAsiento[QStringLiteral("ChPropio")]);
        asigna(QStringLiteral("COLUMNA4"),
               propio ? DescCuenta + QStringLiteral("(Propio)") : DescCuenta);
    });
    step([&] {
        const QString N =
            vb::UCase(gUtil().NuloAVacio(rsAsiento[QStringLiteral("NROCOMPROBANTEBANCARIO")]));
        const QString O =
            vb::Trim(gUtil().NuloAVacio(rsAsiento[QStringLiteral("tj_observaciones")]));
        if (IncluirCuitLibrador && !O.isEmpty())
            asigna(QStringLiteral("COLUMNA5"),
                   N + QStringLiteral(" (") +
                       gUtil().QuitaCaracter(O, QStringLiteral("-"), QStringLiteral("/")) + u')');
        else
            asigna(QStringLiteral("COLUMNA5"), N);
    });
    step([&] {
        const QString B = gUtil().NuloAVacio(rsAsiento[QStringLiteral("IdBanco")]);
        const QString D = gUtil().NuloAVacio(
            gDB().DatosTabla(QStringLiteral("V_TA_BANCOS"), B, QStringLiteral("DESCRIPCION"),
                             QStringLiteral("IDBANCO"), 8, QString(), true, false));
        asigna(QStringLiteral("COLUMNA6"), B + u'-' + D);
    });
    step([&] {
        asigna(QStringLiteral("COLUMNA7"),
               gUtil().NuloAVacio(rsAsiento[QStringLiteral("Vencimiento")]));
    });
    CierraMedioPago();
    return true;
}

bool ReciboPagoCobranza::PruebaTarjeta(const QString& A) {
    bool cumple = false;
    step([&] {
        const bool tarjeta = ast::ValidaCuentaTarjeta({}, DescCuenta, A);
        cumple = tarjeta && !EsLineaCuenta;
    });
    if (!cumple) return false;
    asigna(QStringLiteral("COLUMNA4"), DescCuenta + QStringLiteral("(Propio)"));
    step([&] {
        asigna(QStringLiteral("COLUMNA5"),
               vb::UCase(gUtil().NuloAVacio(rsAsiento[QStringLiteral("TJ_NroCupon")])));
    });
    step([&] {
        asigna(QStringLiteral("COLUMNA6"), socio(rsAsiento[QStringLiteral("TJ_NroSocio")]));
    });
    step([&] {
        asigna(QStringLiteral("COLUMNA7"),
               QStringLiteral(" N\u00BA Cuotas ") +
                   gUtil().NuloAVacio(rsAsiento[QStringLiteral("TJ_cuotas")]));
    });
    CierraMedioPago();
    return true;
}

// The amount of a means of payment (the stored value, so a Null amount is an error here), its
// place in the paid total and the row's means-of-payment mark.
void ReciboPagoCobranza::CierraMedioPago() {
    step([&] {
        const vb::Currency importe =
            gUtil().ValorNumerico(vb::CStr(rsAsiento[QStringLiteral("Importe")]));
        asigna(QStringLiteral("COLUMNA8"), vb::Format(importe, QStringLiteral("########0.00")));
    });
    SumaLinea(TotalMediosPago);
    asigna(QStringLiteral("COLUMNA10"), kMarcaMedioPago);
}

// The entry line's amount added to a total; an empty or Null amount adds 0.
void ReciboPagoCobranza::SumaLinea(vb::Currency& total) {
    step([&] {
        total = total +
                gUtil().ValorNumerico(gUtil().NuloAVacio(rsAsiento[QStringLiteral("Importe")]));
    });
}

}  // namespace IMP_Recibos
