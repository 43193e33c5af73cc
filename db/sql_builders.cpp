#include "db/sql_builders.h"

#include "db/connection_string.h"
#include "db/db_dll.h"
#include "db/hooks.h"

#include "platform/ui/operator.h"
#include "platform/vb/conversions.h"
#include "platform/vb/steps.h"
#include "platform/vb/strings.h"
#include "platform/vendrix/clsutil.h"

namespace ModGlobal {

namespace {

QString columnas(const QList<ParCampoValor>& pares) {
    QStringList out;
    for (const ParCampoValor& p : pares) out.append(p.CampoSQL);
    return out.join(u',');
}

QString valores(const QList<ParCampoValor>& pares) {
    QStringList out;
    for (const ParCampoValor& p : pares) out.append(p.ValorSQL);
    return out.join(u',');
}

// The first "top" that is a word of its own outside quoted text; -1 when there is none.
qsizetype palabraTop(const QString& texto) {
    bool comillas = false;
    for (qsizetype i = 0; i + 4 <= texto.size(); ++i) {
        if (texto[i] == u'\'') comillas = !comillas;
        if (comillas) continue;
        if (texto.mid(i, 4).compare(QLatin1String("top "), Qt::CaseInsensitive) != 0) continue;
        if (i > 0 && (texto[i - 1].isLetterOrNumber() || texto[i - 1] == u'_')) continue;
        return i;
    }
    return -1;
}

}  // namespace

QList<ParCampoValor>& ParesSQL() {
    static QList<ParCampoValor> pares;
    return pares;
}

QString AdaptaSQLOracle(const QString& Texto) {
    if (!connstr::isOracle(gDB().gConnString)) return Texto;
    if (gUtil().CuentaPalabras(Texto) < 2)
        return Texto.toUpper() == QLatin1String("LEN") ? QStringLiteral("LENGTH") : Texto;
    const qsizetype p = palabraTop(Texto);
    if (p < 0) return Texto;
    const QString resto = Texto.mid(p + 3);
    const qsizetype asterisco = resto.indexOf(u'*');
    if (asterisco < 0) return Texto;
    return Texto.left(p) + QStringLiteral(" * ") + resto.mid(asterisco + 1) +
           QStringLiteral(" WHERE ROWNUM <= ") + resto.left(asterisco);
}

void AgregaCampoSQL(const QString& NombreCampo, const vb::Variant& Valor, const QString& Tipo,
                    bool Primero) {
    QList<ParCampoValor>& pares = ParesSQL();
    if (Primero) pares.clear();
    ParCampoValor par;
    par.CampoSQL = NombreCampo;
    // The value goes in as typed, its apostrophes doubled by SQLValue: dropping them would
    // store another name, and the text "NULL" is a text. Only a Null value is Null.
    par.ValorSQL = Valor.isNull() ? QStringLiteral("Null") : vb::CStr(gDB().SQLValue(Valor, Tipo));
    pares.append(par);
}

void ArmaSentenciaSQL(QList<ParCampoValor>& Pares, QStringList& Sentencias, const QString& Tabla,
                      bool EsUpdate, QString& Condicion, bool ConservarPares) {
    QString sentencia;
    if (EsUpdate) {
        QStringList lista;
        for (const ParCampoValor& p : Pares)
            lista.append(p.CampoSQL + QStringLiteral(" = ") + p.ValorSQL);
        if (!vb::Holds(Condicion, QStringLiteral("WHERE")))
            Condicion = QStringLiteral(" WHERE ") + Condicion;
        sentencia = QStringLiteral("UPDATE ") + Tabla + QStringLiteral(" SET ") +
                    lista.join(u',') + u' ' + Condicion;
    } else {
        sentencia = QStringLiteral("INSERT INTO ") + Tabla + QStringLiteral(" (") +
                    columnas(Pares) + QStringLiteral(") VALUES (") + valores(Pares) + u')';
    }
    Sentencias.append(sentencia);
    Sentencias.append(QString());
    if (!ConservarPares) Pares = {ParCampoValor{}};
}

void ArmaInsertSQL(QString& Sentencia, QList<ParCampoValor>& Pares, bool Limpiar) {
    Sentencia += u'(' + columnas(Pares) + QStringLiteral(") VALUES (") + valores(Pares) + u')';
    if (Limpiar) Pares.clear();
}

bool TieneApostrofo(const QString& Texto) {
    return Texto.contains(u'\'');
}

vb::DateTime FechaServidor() {
    std::optional<vb::DateTime> fecha;
    ado::Recordset rs;
    vb::Steps step(vb::silentHandler());
    step([&] {
        gDB().AbrirRecordset(QStringLiteral("select  getDate() as fecha"), rs, nullptr, 0, 1, -1,
                             true);
    });
    step([&] {
        // A query that could not be opened counts as no row.
        if (rs.State() == ado::adStateClosed || rs.Eof()) return;
        const vb::Variant valor = rs[QStringLiteral("fecha")];
        if (!valor.isNull()) fecha = vb::CDate(valor);
    });
    step([&] {
        if (fecha) return;
        if (dbhooks::UtilizarFechaDia()) {
            const QString operativa = dbhooks::Cfg(QStringLiteral("FECHAOPERHASTA"));
            if (vb::IsDate(operativa)) fecha = vb::CDate(operativa);
        }
    });
    step([&] { gDB().CierraRecordset(rs); });
    return fecha ? *fecha : ui::clock().now();
}

}  // namespace ModGlobal
