#include "db/lookup_sql.h"

#include "db/sql_text.h"

#include "platform/vb/conversions.h"
#include "platform/vb/strings.h"

using vb::Trim;

namespace lookupsql {

namespace {

bool esNumero(long tipo) {
    return tipo == 3 || tipo == 4 || tipo == 5;
}

QString textoNumero(const QString& valor) {
    return sqltext::numero(vb::Val(valor)).trimmed();
}

QString separador(const QString& Condicion) {
    return vb::Holds(Condicion, QStringLiteral(" WHERE ")) ? QStringLiteral(" ")
                                                           : QStringLiteral(" WHERE ");
}

bool hayCondicion(const std::optional<QString>& Condicion) {
    return Condicion && !Trim(*Condicion).isEmpty();
}

// A value that is not a number goes in as its own text; a number with "." as SQL reads it.
QString textoValor(const vb::Variant& valor) {
    if (valor.isNumber()) return sqltext::numero(valor.number());
    return vb::CStr(valor);
}

}  // namespace

QString ExisteEnTabla(const QString& Tabla, const QString& ValorBuscado, const QString& Campo,
                      const vb::Variant& Tipodato, const QString& Condicion) {
    if (!Condicion.isEmpty())
        return QStringLiteral("SELECT TOP 1 * FROM ") + Tabla + QStringLiteral(" with(nolock) ") +
               separador(Condicion) + Condicion;
    const long tipo = sqltext::codigo(Tipodato);
    if (tipo == 8)
        return QStringLiteral("SELECT TOP 1  * FROM ") + Tabla +
               QStringLiteral(" with(nolock)  WHERE LTRIM(RTRIM(") + Campo +
               QStringLiteral(")) ='") + sqltext::comillas(Trim(ValorBuscado)) + u'\'';
    const QString cabeza =
        QStringLiteral("SELECT TOP 1 * FROM ") + Tabla + QStringLiteral(" with(nolock)  WHERE ");
    if (tipo == 7) return cabeza + Campo + QStringLiteral(" = ") + Trim(ValorBuscado) + u' ';
    if (esNumero(tipo)) return cabeza + Campo + QStringLiteral(" = ") + textoNumero(ValorBuscado);
    return cabeza + Campo + QStringLiteral(" = ") + ValorBuscado;
}

QString ExisteEnTablaST(const QString& Tabla, const QString& ValorBuscado, const QString& Campo,
                        const vb::Variant& Tipodato, const QString& Condicion) {
    if (!Condicion.isEmpty())
        return QStringLiteral("SELECT * FROM ") + Tabla + QStringLiteral(" with(nolock)  ") +
               separador(Condicion) + Condicion;
    const long tipo = sqltext::codigo(Tipodato);
    const QString cabeza =
        QStringLiteral("SELECT * FROM ") + Tabla + QStringLiteral(" with(nolock)   WHERE ");
    if (tipo == 8)
        return cabeza + Campo + QStringLiteral(" ='") + sqltext::comillas(ValorBuscado) + u'\'';
    if (tipo == 7) return cabeza + Campo + QStringLiteral(" = ") + Trim(ValorBuscado) + u' ';
    if (esNumero(tipo)) return cabeza + Campo + QStringLiteral(" = ") + textoNumero(ValorBuscado);
    return cabeza + Campo + QStringLiteral(" = ") + ValorBuscado;
}

QString DatosTabla(const QString& Tabla, const QString& ValorBuscado, const QString& Campo,
                   const vb::Variant& Tipodato, const QString& Condicion, bool UsaTrim, bool jet) {
    const QString conj = Trim(Condicion).isEmpty() ? QString() : QStringLiteral(" AND ");
    const QString cabeza =
        QStringLiteral("SELECT TOP 1 * FROM ") + Tabla + QStringLiteral(" with(nolock)  WHERE ");
    const long tipo = sqltext::codigo(Tipodato);
    if (tipo == 8 && UsaTrim)
        return cabeza + QStringLiteral("LTRIM(RTRIM(") + Campo + QStringLiteral(")) ='") +
               sqltext::comillas(Trim(ValorBuscado)) + QStringLiteral("' ") + conj + Condicion;
    if (tipo == 8)
        return cabeza + Campo + QStringLiteral(" ='") + sqltext::comillas(ValorBuscado) +
               QStringLiteral("' ") + conj + Condicion;
    if (tipo == 7) {
        const QString fecha = jet ? u'#' + Trim(ValorBuscado) + u'#'
                                  : u'\'' + sqltext::comillas(Trim(ValorBuscado)) + u'\'';
        return cabeza + Campo + QStringLiteral(" = ") + fecha + u' ' + conj + Condicion;
    }
    if (esNumero(tipo))
        return cabeza + Campo + QStringLiteral(" = ") + textoNumero(ValorBuscado) + conj +
               Condicion;
    return cabeza + Campo + QStringLiteral(" = ") + ValorBuscado + conj + Condicion;
}

QString BuscaMaximo(const QString& QueTabla, const QString& QueCampo,
                    const std::optional<QString>& Condicion) {
    QString sql =
        QStringLiteral("SELECT MAX(") + QueCampo + QStringLiteral(") AS MAYOR FROM ") + QueTabla;
    if (hayCondicion(Condicion)) sql += QStringLiteral(" WHERE ") + Trim(*Condicion);
    return sql;
}

QString BuscaMinimo(const QString& QueTabla, const QString& QueCampo,
                    const std::optional<QString>& Condicion) {
    QString sql = QStringLiteral("SELECT MIN(") + QueCampo + QStringLiteral(") AS MENOR FROM ") +
                  QueTabla + QStringLiteral("  with(nolock) ");
    if (hayCondicion(Condicion)) sql += QStringLiteral(" WHERE ") + Trim(*Condicion);
    return sql;
}

QString BuscaUltimoCodigo(const QString& QueTabla, const QString& QueCampo,
                          const QString& Condicion) {
    QString sql =
        QStringLiteral("SELECT MAX(") + QueCampo + QStringLiteral(") AS MAYOR FROM ") + QueTabla;
    if (!Trim(Condicion).isEmpty()) sql += QStringLiteral(" WHERE ") + Condicion;
    return sql;
}

QString AddField(const QString& Tabla, const QString& Campo, const QString& Tipo,
                 bool PermiteNulos, const std::optional<vb::Variant>& ValorDefault) {
    QString sql = QStringLiteral("ALTER TABLE dbo.") + Tabla + QStringLiteral(" ADD ") + Campo +
                  u' ' + Tipo +
                  (PermiteNulos ? QStringLiteral(" Null ") : QStringLiteral(" Not Null "));
    if (ValorDefault)
        sql += QStringLiteral(" CONSTRAINT DF_") + Trim(Tabla) + u'_' + Trim(Campo) +
               QStringLiteral(" DEFAULT (") + textoValor(*ValorDefault) + u')';
    return sql;
}

}  // namespace lookupsql
