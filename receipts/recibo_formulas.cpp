#include "receipts/recibo.h"

#include "core/formats.h"
#include "db/db_dll.h"
#include "db/sql_text.h"
#include "platform/vb/conversions.h"
#include "platform/vb/strings.h"
#include "platform/vendrix/clsutil.h"

#include <functional>

namespace IMP_Recibos {

namespace {

// The amount text of a formula: configured decimals, no grouping, the locale's separator.
QString M(vb::Currency importe) {
    return gUtil().NuloAVacio(ModGlobal::FmtMoneda(vb::CStr(importe), -1, false));
}

// Every word with its first letter in capitals and the rest in small letters; words are
// separated by blanks, tabs and line ends.
QString tipoTitulo(const QString& texto) {
    QString out = texto.toLower();
    bool inicio = true;
    for (QChar& c : out) {
        if (c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\v' || c == u'\f' ||
            c == QChar(0)) {
            inicio = true;
        } else {
            if (inicio) c = c.toUpper();
            inicio = false;
        }
    }
    return out;
}

}  // namespace

void ReciboPagoCobranza::TotalesDeRespaldo() {
    if (step.left()) return;
    const QString S = QStringLiteral("SELECT * From V_MV_CPTE  WHERE TC = '") +
                      sqltext::comillas(TC4()) + QStringLiteral("' AND IDCOMPROBANTE = '") +
                      sqltext::comillas(IdComprobante()) + u'\'';
    const auto V = [&](const char* campo) {
        return gUtil().ValorNumerico(gUtil().NuloAVacio(rsCpte[QString::fromLatin1(campo)]));
    };
    const auto abre = [&] {
        step([&] {
            gDB().AbrirRecordset(S, rsCpte, nullptr, ado::adOpenForwardOnly, ado::adLockReadOnly,
                                 -1, true);
        });
        bool bof = true;
        step([&] { bof = rsCpte.Bof(); });
        return !bof;
    };

    bool sinRetenciones = false;
    step([&] {
        sinRetenciones = TotalRetGanancias + TotalRetIVA + TotalRetIBrutos + TotalDescuentos ==
                             vb::Currency() &&
                         CantAsiento == 0;
    });
    if (sinRetenciones) {
        if (abre()) {
            step([&] { TotalRetGanancias = V("RetGan_Importe"); });
            step([&] { TotalRetIVA = V("RetIVA_importe"); });
            step([&] { TotalRetIBrutos = V("RETIBR_Importe"); });
            step([&] { TotalDescuentos = V("ImpDescuento1"); });
            step([&] { TotalRetSUSS = V("retsuss_importe"); });
        }
        gDB().CierraRecordset(rsCpte);
    }
    bool sinSuss = false;
    step([&] { sinSuss = TotalRetSUSS == vb::Currency(); });
    if (sinSuss) {
        if (abre()) step([&] { TotalRetSUSS = V("retsuss_importe"); });
        gDB().CierraRecordset(rsCpte);
    }
}

void ReciboPagoCobranza::AgregaFormulas() {
    step([&] { NroFormula = 0; });
    // A formula whose value fails still takes its index.
    const auto formula = [&](const char* nombre, const std::function<QString()>& valor) {
        step([&] { AgregaFormula(); });
        step([&] {
            Formulas[NroFormula] =
                QString::fromLatin1(nombre) + QStringLiteral(" = '") + valor() + u'\'';
        });
    };
    formula("Prm_ImporteCpte", [&] { return M(TotalCpte); });
    // The applied amount always goes with a decimal point.
    formula("Prm_ImporteAplicado", [&] {
        return vb::Replace(M(TotalAplicado), QStringLiteral(","), QStringLiteral("."));
    });
    formula("Prm_ImporteSaldo", [&] { return M(TotalSaldo); });
    formula("Prm_ImporteEnLetras", [&] {
        return tipoTitulo(
            ModGlobal::ImporteEnLetras(vb::CStr(TotalMediosPago), 0, QStringLiteral(" Pesos ")));
    });
    formula("Prm_ImporteMP", [&] { return M(TotalMediosPago); });
    formula("Prm_RetGanancias", [&] { return M(TotalRetGanancias); });
    // The other retentions that are not SUSS are shown with the IVA ones.
    formula("Prm_RetIVA", [&] { return M(TotalRetIVA + TotalRetOtras); });
    formula("Prm_RetIBrtos", [&] { return M(TotalRetIBrutos); });
    formula("Prm_RetSUSS", [&] { return M(TotalRetSUSS); });
    formula("Prm_DescuentosOtorgados", [&] { return M(TotalDescuentos); });
    formula("Prm_Concepto", [&] { return ConceptoRecibo; });
}

// The list grows or shrinks to end at the next index, keeping what it held below it.
void ReciboPagoCobranza::AgregaFormula() {
    ++NroFormula;
    Formulas.resize(NroFormula + 1);
}

}  // namespace IMP_Recibos
