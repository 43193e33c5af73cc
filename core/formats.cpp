#include "core/formats.h"

#include "core/config.h"

#include "core/globals.h"
#include "platform/vendrix/clsutil.h"

#include "platform/vb/conversions.h"
#include "platform/vb/strings.h"
#include "platform/vb/vberror.h"

#include <QRegularExpression>

#include <cmath>

namespace ModGlobal {

namespace {

// The word tables, indexed from 1 (index 0 is always the empty text).
QString Unidades[10];
QString Decenas[10];
QString DecenasUnidas[10];
QString Centenas[11];
QString Especiales[16];

// Words of one group of three digits ("215" gives "doscientos quince").
QString palabrasDelGrupo(const QString& g) {
    const int h = g[0].digitValue();
    const int d = g[1].digitValue();
    const int u = g[2].digitValue();
    const int r = d * 10 + u;
    QString decena, unidad;
    if (u == 0) {
        decena = Decenas[r / 10];
    } else if (r >= 11 && r <= 15) {
        decena = Especiales[r];
    } else {
        unidad = Unidades[u];
        decena = DecenasUnidas[d];
    }
    const QString centena = (h == 1 && g == QLatin1String("100")) ? Centenas[10] : Centenas[h];
    return centena + u' ' + decena + unidad + u' ';
}

// The locale's number of fractional digits for money; 2 when the locale has no monetary data.
int digitosDelLocale() {
    const QLocale& l = vb::locale();
    if (l.currencySymbol().isEmpty()) return 2;
    const QString muestra = l.toCurrencyString(1.0, QStringLiteral(" "));
    const qsizetype p = muestra.indexOf(l.decimalPoint());
    if (p < 0) return 0;
    int n = 0;
    for (qsizetype i = p + l.decimalPoint().size(); i < muestra.size() && muestra[i].isDigit();
         ++i)
        ++n;
    return n;
}

// The amount rounded to n decimals, a half to the even digit.
vb::Currency redondea(vb::Currency importe, int n) {
    if (n >= 4) return importe;
    std::int64_t divisor = 1;
    for (int i = n; i < 4; ++i) divisor *= 10;
    std::int64_t q = importe.scaled() / divisor, r = importe.scaled() % divisor;
    if (r < 0) {
        r += divisor;
        q -= 1;
    }
    if (2 * r > divisor || (2 * r == divisor && q % 2 != 0)) q += 1;
    std::int64_t scaled = 0;
    if (__builtin_mul_overflow(q, divisor, &scaled)) vb::raise(vb::err::Overflow);
    return vb::Currency::fromScaled(scaled);
}

}  // namespace

QString FormatoFechaHora() {
    return QStringLiteral("dd/mm/yy hh:mm");
}
QString FormatoFecha() {
    return QStringLiteral("dd/mm/yy");
}
QString FormatoHora() {
    return QStringLiteral("hh:mm");
}

vb::Variant FmtMoneda(const QString& Importe, const vb::Variant& Decimales, bool Miles) {
    const std::int32_t codigo = vb::CLng(Decimales);
    if (codigo == -3) return Importe;
    std::int32_t n =
        codigo == -1 ? static_cast<std::int32_t>(vb::Val(gCantidadDecimales)) : codigo;
    if (n == 0) n = digitosDelLocale();
    if (n == -2) n = 0;
    if (n < 0) vb::raise(vb::err::InvalidProcedureCall);
    const QString mascara =
        (Miles ? QStringLiteral("###,###,###,###0.") : QStringLiteral("############0.")) +
        QString(n, u'0');
    QString texto = vb::Format(redondea(gUtil().ValorNumerico(Importe), n), mascara);
    if (n == 0 && (texto.endsWith(u'.') || texto.endsWith(u','))) texto.chop(1);
    return texto;
}

vb::Variant FormatoHoras(const vb::Variant& Minutos, std::int32_t* Horas,
                         std::int32_t* MinutosResto, bool DosPuntos) {
    QString separador = Cfg(QStringLiteral("SeparadorHora"));
    if (DosPuntos) separador = QStringLiteral(":");
    if (vb::Trim(separador).isEmpty()) separador = QStringLiteral(":");
    if (separador == QLatin1String(".")) {
        return vb::Format(vb::CDbl(Minutos) / 60, QStringLiteral("#####.00")).replace(u',', u'.');
    }
    // VB's \ and Mod round their operands to whole numbers first.
    const std::int32_t minutos = vb::CLng(Minutos);
    const std::int32_t horas = minutos / 60;
    const std::int32_t resto = minutos % 60;
    if (Horas) *Horas = horas;
    if (MinutosResto) *MinutosResto = resto;
    return vb::Format(horas, QStringLiteral("#####00")) + separador +
           vb::Format(resto, QStringLiteral("#####00"));
}

QString SeparadorDecimal() {
    return vb::CStr(10.0 / 3).contains(u',') ? QStringLiteral(",") : QStringLiteral(".");
}

void InicializaPalabrasNumeros() {
    const char16_t* unidades[] = {u"",      u"un",   u"dos",   u"tres", u"cuatro",
                                  u"cinco", u"seis", u"siete", u"ocho", u"nueve"};
    const char16_t* decenas[] = {u"",          u"diez",    u"veinte",  u"treinta", u"cuarenta",
                                 u"cincuenta", u"sesenta", u"setenta", u"ochenta", u"noventa"};
    const char16_t* unidas[] = {u"",           u"dieci",       u"veinti",
                                u"treinta y ", u"cuarenta y ", u"cincuenta y ",
                                u"sesenta y ", u"setenta y ",  u"ochenta y ",
                                u"noventa y "};
    const char16_t* centenas[] = {
        u"",           u"ciento",      u"doscientos",  u"trescientos", u"cuatrocientos",
        u"quinientos", u"seiscientos", u"setecientos", u"ochocientos", u"novecientos",
        u"cien"};
    const char16_t* especiales[] = {u"",     u"1",     u"2",       u"3",     u"4",  u"5",
                                    u"6",    u"7",     u"8",       u"9",     u"10", u"once",
                                    u"doce", u"trece", u"catorce", u"quince"};
    for (int i = 0; i < 10; ++i) {
        Unidades[i] = QString::fromUtf16(unidades[i]);
        Decenas[i] = QString::fromUtf16(decenas[i]);
        DecenasUnidas[i] = QString::fromUtf16(unidas[i]);
    }
    for (int i = 0; i < 11; ++i) Centenas[i] = QString::fromUtf16(centenas[i]);
    for (int i = 0; i < 16; ++i) Especiales[i] = QString::fromUtf16(especiales[i]);
}

QString NumeroEnLetras(const QString& Numero) {
    InicializaPalabrasNumeros();
    double numero = 0;
    try {
        numero = vb::CDbl(Numero);
    } catch (const vb::VbError&) {
        numero = 0;  // a text that is not a number reads as zero
    }
    const double v = std::fabs(numero);
    const bool negativo = numero != v;
    if (!(v >= 1)) return QStringLiteral("cero");
    // The words reach the thousands of millions: a larger amount has no text, and a cut one
    // would be a wrong amount on a voucher.
    if (v >= 1e12) vb::raise(vb::err::Overflow);

    // Twelve digits: four groups of three, units first.
    const QString t = QString::number(std::floor(v), 'f', 0).rightJustified(12, u'0').right(12);
    QString grupos[5];
    int c = 0;
    for (int k = 1; k <= 4; ++k) {
        grupos[k] = t.mid(12 - 3 * k, 3);
        if (grupos[k] != QLatin1String("000")) c = k;
    }

    QString resultado;
    bool unMillon = false;
    for (int k = 1; k <= c; ++k) {
        // A thousands group of exactly one is "mil", not "un mil"; the millions group of
        // "un millón" is already written.
        const bool grupoUno = grupos[k] == QLatin1String("001");
        const bool callar = grupoUno && (k == 2 || k == 4 || (k == 3 && unMillon));
        if (!callar) resultado = palabrasDelGrupo(grupos[k]) + resultado;
        if ((k == 1 || k == 3) && grupos[k + 1] != QLatin1String("000"))
            resultado = QStringLiteral(" mil ") + resultado;
        if (k == 2 && v > 999999) {
            unMillon = !(v > 1999999);
            resultado = (unMillon ? QStringLiteral("un millón ") : QStringLiteral(" millones ")) +
                        resultado;
        }
    }

    static const QRegularExpression blancos(QStringLiteral(" +"));
    resultado = vb::Trim(resultado).replace(blancos, QStringLiteral(" "));
    if (negativo) resultado = QStringLiteral("menos ") + resultado;
    return vb::Trim(resultado);
}

QString ImporteEnLetras(const QString& Importe, std::int16_t Ancho, const QString& Moneda,
                        const QString& Centavos) {
    const QString sepDec = vb::Format(25.5, QStringLiteral("#.#")).contains(u',')
                               ? QStringLiteral(",")
                               : QStringLiteral(".");
    const QString moneda =
        vb::Trim(Moneda).isEmpty() ? QStringLiteral(" ") : u' ' + vb::Trim(Moneda) + u' ';
    auto ajustar = [Ancho](const QString& s) {
        return Ancho == 0 ? s : s.leftJustified(Ancho, u' ', true);
    };

    QString texto = Importe;
    texto.remove(u' ');
    const int p = vb::InStr(texto, sepDec);
    if (p > 0) {
        const QString entero = vb::Left(texto, p - 1);
        const QString centavos = vb::Left(vb::Mid(texto, p + 1) + QStringLiteral("000"), 2);
        if (vb::Val(centavos) >= 1)
            return ajustar(vb::RTrim(NumeroEnLetras(entero) + moneda + QStringLiteral("con ") +
                                     centavos + QStringLiteral("/100")));
        return ajustar(vb::RTrim(NumeroEnLetras(entero) + moneda));
    }
    return ajustar(vb::RTrim(NumeroEnLetras(texto) + moneda)) + QStringLiteral(" con 00/100");
}

}  // namespace ModGlobal
