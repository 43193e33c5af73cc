#include "report/formula.h"

#include "platform/ado/tsql/collation.h"
#include "platform/vb/conversions.h"
#include "platform/vb/strings.h"
#include "platform/vb/vberror.h"
#include "platform/vendrix/clsutil.h"

#include <QRegularExpression>

#include <cmath>
#include <limits>
#include <optional>

namespace {

constexpr std::int16_t adSmallInt = 2;
constexpr std::int16_t adSingle = 4;
constexpr std::int16_t adDouble = 5;
constexpr std::int16_t adCurrency = 6;
constexpr std::int16_t adDate = 7;
constexpr std::int16_t adBigInt = 20;

bool esNumero(std::int16_t tipo) {
    return tipo == adSmallInt || tipo == adSingle || tipo == adDouble || tipo == adCurrency ||
           tipo == adBigInt;
}

// Types whose bounds may be LIKE patterns: text and the numbers other than adDouble.
bool admitePatron(std::int16_t tipo) {
    return tipo != adDate && tipo != adDouble;
}

bool esPatron(const QString& cota, std::int16_t tipo) {
    return admitePatron(tipo) && cota.contains(QLatin1Char('*'));
}

// A bound without NUL characters (fixed-width fields pad with them) and blanks.
QString limpia(const QString& cota) {
    return vb::Trim(gUtil().QuitaCaracter(cota, QString(QChar(0))));
}

bool dada(const QString& cota) {
    return !vb::Trim(cota).isEmpty();
}

// Inside a quoted text of the formula an apostrophe is written twice.
QString comillas(const QString& texto) {
    QString t = texto;
    return t.replace(QLatin1Char('\''), QStringLiteral("''"));
}

// A number bound as the report language reads it: the report engine knows no "+" sign.
QString numeroEscrito(const QString& cota) {
    const QString t = vb::Trim(cota);
    return t.startsWith(QLatin1Char('+')) ? t.mid(1) : cota;
}

// The value of a number bound in its type's comparison; nothing when it is not a number of
// that type (letters, or beyond the type's range).
std::optional<double> valorNumerico(const QString& cota, std::int16_t tipo) {
    static const QRegularExpression forma(QStringLiteral(R"(^[+-]?\d+(\.\d+)?$)"));
    const QString t = vb::Trim(cota);
    if (!forma.match(t).hasMatch()) return std::nullopt;
    const double valor = t.toDouble();
    if (!std::isfinite(valor)) return std::nullopt;
    try {
        switch (tipo) {
            case adSmallInt:
            case adCurrency:
                return vb::CInt(vb::Variant(valor));
            case adBigInt:
                return vb::CLng(vb::Variant(valor));
            case adSingle:
                if (std::fabs(valor) > std::numeric_limits<float>::max()) return std::nullopt;
                return static_cast<float>(valor);
            default:
                return valor;
        }
    } catch (const vb::VbError&) {
        return std::nullopt;
    }
}

// Checks one range; the message of the first fault, or nothing.
std::optional<QString> revisa(const FiltroRango& f) {
    const QString enCampo = QStringLiteral(" , Campo : ") + f.Campo;
    if (f.Tipo == adDate) {
        const QString desde = limpia(f.Desde);
        const QString hasta = limpia(f.Hasta);
        std::optional<vb::DateTime> d, h;
        if (!desde.isEmpty() && !(d = vb::parseDate(desde)))
            return QStringLiteral("Fecha Desde Incorrecta") + enCampo;
        if (!hasta.isEmpty() && !(h = vb::parseDate(hasta)))
            return QStringLiteral("Fecha Desde Incorrecta") + enCampo;
        if (d && h && *h < *d) return QStringLiteral("Fecha Desde Mayor que Hasta") + enCampo;
        return std::nullopt;
    }
    const QString alReves = QStringLiteral("Desde Mayor que Hasta, Campo : ") + f.Campo;
    const bool desdeDada = dada(f.Desde);
    const bool hastaDada = f.Tipo == adBigInt ? !limpia(f.Hasta).isEmpty() : dada(f.Hasta);
    const bool patron = esPatron(f.Desde, f.Tipo) || esPatron(f.Hasta, f.Tipo);
    if (esNumero(f.Tipo)) {
        // A pattern bound is no number: it is checked by the engine's LIKE, not here.
        const bool desdeNumero = desdeDada && !esPatron(f.Desde, f.Tipo);
        const bool hastaNumero = hastaDada && !esPatron(f.Hasta, f.Tipo);
        const auto d = desdeNumero ? valorNumerico(f.Desde, f.Tipo) : std::nullopt;
        const auto h = hastaNumero ? valorNumerico(f.Hasta, f.Tipo) : std::nullopt;
        if ((desdeNumero && !d) || (hastaNumero && !h))
            return QStringLiteral("Valor numerico incorrecto") + enCampo;
        if (d && h && *d > *h) return alReves;
        return std::nullopt;
    }
    // In the database's order of text, the one the report's rows are selected by.
    if (desdeDada && hastaDada && !patron &&
        tsql::compareText(vb::Trim(f.Desde), vb::Trim(f.Hasta)) > 0)
        return alReves;
    return std::nullopt;
}

// The test of one range (may be empty); every comparison ends with a blank.
QString prueba(const FiltroRango& f) {
    const bool texto = !esNumero(f.Tipo) && f.Tipo != adDate;
    const QString q = texto ? QStringLiteral("'") : QString();
    QString p, s;
    if (f.Tipo == adDouble) {
        p = QStringLiteral("tonumber(");
        s = QStringLiteral(")");
    } else if (texto && !f.SinRecorte) {
        p = QStringLiteral("TrimLeft(TrimRight(");
        s = QStringLiteral("))");
    }
    const QString campo = p + f.Campo + s;
    // A bound as it goes between the quotes (or bare, for numbers).
    auto valor = [&](const QString& cota) { return texto ? comillas(cota) : numeroEscrito(cota); };

    QString t;
    if (f.Tipo == adDate || f.Tipo == adDouble) {
        auto escrito = [&](const QString& cota) {
            if (f.Tipo == adDouble) return numeroEscrito(cota);
            return gUtil().FormulaValor(vb::Variant(*vb::parseDate(limpia(cota))));
        };
        const bool desdeDada = f.Tipo == adDate ? !limpia(f.Desde).isEmpty() : dada(f.Desde);
        const bool hastaDada = f.Tipo == adDate ? !limpia(f.Hasta).isEmpty() : dada(f.Hasta);
        if (desdeDada) t = campo + QStringLiteral(" >= ") + escrito(f.Desde) + QStringLiteral(" ");
        if (hastaDada) {
            const QString parte =
                campo + QStringLiteral(" <= ") + escrito(f.Hasta) + QStringLiteral(" ");
            t = vb::Trim(t).isEmpty() ? parte : t + QStringLiteral(" AND ") + parte;
        }
        return t;
    }

    const bool desdePatron = esPatron(f.Desde, f.Tipo);
    const bool hastaPatron = esPatron(f.Hasta, f.Tipo);
    const bool hastaDada = f.Tipo == adBigInt ? !limpia(f.Hasta).isEmpty() : dada(f.Hasta);
    if (desdePatron) {
        t = QStringLiteral(" (") + campo + QStringLiteral(" LIKE '") + comillas(f.Desde) +
            QStringLiteral("' ");
    } else if (dada(f.Desde)) {
        t = campo + QStringLiteral(" >= ") + q + valor(f.Desde) + q + QStringLiteral(" ");
    }
    if (hastaPatron) {
        const QString parte =
            campo + QStringLiteral(" LIKE '") + comillas(f.Hasta) + QStringLiteral("' ");
        const QString union_ = desdePatron ? QStringLiteral(" OR ") : QStringLiteral(" AND ");
        t = vb::Trim(t).isEmpty() ? parte : t + union_ + parte;
    } else if (hastaDada) {
        const QString parte =
            campo + QStringLiteral(" <= ") + q + valor(f.Hasta) + q + QStringLiteral(" ");
        t = t.isEmpty() ? parte : t + QStringLiteral(" AND ") + parte;
    }
    if (desdePatron) t += QStringLiteral(")");
    return t;
}

}  // namespace

namespace ModGlobal {

void ArmaFormulaSeleccion(const QList<FiltroRango>& Filtros, QString& Formula, QString* Mensaje) {
    QString armada;
    std::int16_t cuenta = 0;
    for (const FiltroRango& f : Filtros) {
        QString operador = vb::Trim(f.Operador);
        if (operador.isEmpty()) operador = QStringLiteral("AND");
        if (operador.compare(QLatin1String("AND"), Qt::CaseInsensitive) != 0 &&
            operador.compare(QLatin1String("OR"), Qt::CaseInsensitive) != 0) {
            if (Mensaje) *Mensaje = QStringLiteral("Operador logico incorrecto");
            return;
        }
        if (const auto falla = revisa(f)) {
            if (Mensaje) *Mensaje = *falla;
            return;
        }
        const QString t = prueba(f);
        if (vb::Trim(t).isEmpty()) continue;
        armada = cuenta == 0 ? t : armada + QLatin1Char(' ') + operador + QLatin1Char(' ') + t;
        ++cuenta;
    }
    Formula = armada;
}

}  // namespace ModGlobal
