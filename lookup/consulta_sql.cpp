#include "lookup/consulta_sql.h"

#include "platform/ado/tsql/tokens.h"
#include "platform/vb/conversions.h"
#include "platform/vb/strings.h"
#include "platform/vendrix/clsutil.h"

#include <cmath>

namespace consultas {

namespace {

bool igual(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// " ORDER BY <column>", or nothing when there is no column to order by.
QString ordenPor(const QString& campo) {
    return vb::Trim(campo).isEmpty() ? QString() : QStringLiteral(" ORDER BY ") + campo;
}

}  // namespace

QString envuelveWhere(const QString& where) {
    if (vb::Trim(where).size() > 1 && !where.startsWith('(')) {
        return QStringLiteral(" (") + where + QStringLiteral(") ");
    }
    return where;
}

int limiteFilas(const QString& topConsArt) {
    const double n = std::nearbyint(vb::Val(topConsArt));
    return n <= 0 ? 1000 : static_cast<int>(std::min(n, 2147483647.0));
}

QString conSelect(const QString& sql, QString& where) {
    QString texto = sql;
    if (vb::Holds(texto, QStringLiteral("V_MA_ARTICULOS"))) {
        texto = gUtil().ReemplazaTexto(texto, QStringLiteral("V_MA_ARTICULOS"),
                                       QStringLiteral("VT_MA_ARTICULOS"));
    }
    if (!vb::Trim(where).isEmpty()) {
        if (!vb::Holds(where, QStringLiteral("WHERE"))) where = QStringLiteral(" WHERE ") + where;
        texto += where;
    }
    return texto;
}

std::optional<QString> desdeMascara(const MascaraConsulta& mascara, int limite,
                                    QString& campoBusqueda, const QString& where) {
    QString tabla = mascaras::limpia(mascara.TablaMascara);
    QString columnas = vb::Trim(gUtil().Reemplaza(mascara.Columnas, "|", ","));
    if (columnas.startsWith(',')) columnas.remove(0, 1);
    if (columnas.endsWith(',')) columnas.chop(1);
    if (columnas.isEmpty()) columnas = QStringLiteral("*");

    if (campoBusqueda.isEmpty()) {
        const int coma = columnas.indexOf(',');
        if (coma < 0) return std::nullopt;
        campoBusqueda = columnas.left(coma);
    }

    QString filtro = mascaras::limpia(mascara.Filtro);
    if (filtro.isEmpty() && !vb::Trim(where).isEmpty()) filtro = where;

    if (igual(tabla, "VT_PROVEEDORES") || igual(tabla, "VT_CLIENTES")) {
        if (filtro.isEmpty()) filtro = QStringLiteral("Dada_De_Baja = 0");
    } else if (igual(tabla, "V_MA_ARTICULOS")) {
        tabla = QStringLiteral("VT_MA_ARTICULOS");
        if (filtro.isEmpty()) filtro = QStringLiteral("SUSPENDIDO = 0");
    }

    const QString condicion =
        vb::Trim(filtro).isEmpty() ? filtro : QStringLiteral(" WHERE ") + filtro;
    const QString inicio =
        QStringLiteral("SELECT TOP %1 %2 FROM %3").arg(limite).arg(columnas, tabla);
    if (!campoBusqueda.isEmpty()) {
        return inicio + QStringLiteral("  with(nolock) ") + condicion + ordenPor(campoBusqueda);
    }
    return inicio + QStringLiteral(" with(nolock) ") + condicion;
}

bool filtroConSeparador(const QString& filtro) {
    for (const tsql::Token& t : tsql::tokenize(filtro)) {
        if (t.is(tsql::Token::Kind::Semicolon)) return true;
    }
    return false;
}

bool requiereDescubrir(const QString& tabla, const QString& sentenciaOpcional) {
    return sentenciaOpcional.isEmpty() && !igual(tabla, "V_TA_DEPOSITO");
}

QString porDescubrimiento(const QString& tabla, int limite, const QStringList& campos,
                          QString& campoBusqueda, const QString& where,
                          const QString& sentenciaOpcional) {
    if (!sentenciaOpcional.isEmpty()) return sentenciaOpcional;

    QString lista;
    if (igual(tabla, "V_TA_DEPOSITO")) {
        lista = QStringLiteral("Descripcion,IdDeposito,UnidadNegocio,");
        campoBusqueda = QStringLiteral("IDDEPOSITO");
    } else {
        const bool conIdentidad =
            igual(tabla, "v_mv_mutuales") || igual(tabla, "V_MV_TROPA_STOCK");
        for (const QString& campo : campos) {
            // Users' mail passwords live in such columns: a lookup never shows them.
            if (vb::Holds(campo, QStringLiteral("PASSWORD"))) continue;
            const bool identidad = igual(campo, "ID") || igual(campo, "FECHAHORA_MODIFICACION") ||
                                   igual(campo, "FECHAHORA_GRABACION");
            const bool descriptivo =
                igual(campo, "DESCRIPCION") || igual(campo, "NOMBRE") || igual(campo, "DETALLE");
            if (identidad) {
                if (!conIdentidad) continue;
                campoBusqueda = campo;
            } else if (descriptivo || lista.isEmpty()) {
                campoBusqueda = campo;
            }
            // Kept fields go in front, so the list comes out in reverse field order.
            lista = campo + ',' + lista;
        }
    }

    const QString columnas = vb::Trim(lista).isEmpty() ? QStringLiteral(" * ") : lista.chopped(1);
    QString sql = QStringLiteral("SELECT TOP %1 %2 FROM %3").arg(limite).arg(columnas, tabla);
    if (!vb::Trim(QStringLiteral(" ") + where).isEmpty()) sql += QStringLiteral(" WHERE ");
    return sql + QStringLiteral(" ") + where + ordenPor(campoBusqueda);
}

}  // namespace consultas
