#include "db/connection_string.h"
#include "db/db_dll.h"

#include "platform/vb/conversions.h"
#include "platform/vb/dategrammars.h"
#include "platform/vb/strings.h"
#include "platform/vendrix/clsutil.h"

#include <QList>
#include <QRegularExpression>

#include <algorithm>

using vb::Holds;

namespace {

QString reemplaza(const QString& texto, const QString& de, const QString& a) {
    return vb::Replace(texto, de, a, 1, -1, vb::Compare::Text);
}

// For each character: inside a '...' literal ('' is an apostrophe inside it).
QList<bool> dentroDeComillas(const QString& texto) {
    QList<bool> dentro(texto.size(), false);
    bool abierto = false;
    for (qsizetype i = 0; i < texto.size(); ++i) {
        if (texto[i] == u'\'') {
            dentro[i] = true;
            if (abierto && i + 1 < texto.size() && texto[i + 1] == u'\'') {
                dentro[++i] = true;
                continue;
            }
            abierto = !abierto;
            continue;
        }
        dentro[i] = abierto;
    }
    return dentro;
}

bool esLetraDeNombre(QChar c) {
    return c.isLetterOrNumber() || c == u'_' || c == u'@';
}

// First position (0-based, from `desde`) where `palabra` starts a word outside quoted text;
// when `finDePalabra`, the word must also end there. -1 when there is none.
qsizetype buscaPalabra(const QString& texto, const QList<bool>& comillas, const QString& palabra,
                       qsizetype desde, bool finDePalabra) {
    for (qsizetype p = texto.indexOf(palabra, desde, Qt::CaseInsensitive); p >= 0;
         p = texto.indexOf(palabra, p + 1, Qt::CaseInsensitive)) {
        if (comillas[p]) continue;
        if (p > 0 && esLetraDeNombre(texto[p - 1])) continue;
        const qsizetype fin = p + palabra.size();
        if (finDePalabra && fin < texto.size() && esLetraDeNombre(texto[fin])) continue;
        return p;
    }
    return -1;
}

// Rule 1: TOP n becomes a ROWNUM condition.
QString limiteDeFilas(const QString& texto) {
    const qsizetype p =
        buscaPalabra(texto, dentroDeComillas(texto), QStringLiteral("top "), 0, false);
    if (p < 0) return texto;
    const QString cabeza = texto.left(p);
    const QString resto = vb::Trim(texto.mid(p + 3));
    const qsizetype blanco = resto.indexOf(u' ');
    const QString cantidad = blanco < 0 ? resto : resto.left(blanco);
    QString cuerpo = blanco < 0 ? QString() : resto.mid(blanco);
    QString grupo, orden;
    const qsizetype g = texto.indexOf(QStringLiteral(" GROUP BY "), 0, Qt::CaseInsensitive);
    if (g >= 0) {
        grupo = vb::Trim(texto.mid(g));
    } else {
        const qsizetype o = texto.indexOf(QStringLiteral("ORDER BY "), 0, Qt::CaseInsensitive);
        if (o >= 0) orden = vb::Trim(texto.mid(o));
    }
    const QString apartado = grupo.isEmpty() ? orden : grupo;
    if (!apartado.isEmpty()) cuerpo = reemplaza(cuerpo, apartado, QStringLiteral(" "));
    const QString condicion = Holds(texto, QStringLiteral(" WHERE "))
                                  ? QStringLiteral(" AND ROWNUM <= ") + cantidad
                                  : QStringLiteral(" WHERE ROWNUM <= ") + cantidad;
    return cabeza + u' ' + cuerpo + u' ' + condicion + u' ' + grupo + u' ' + orden;
}

// Only day/month/year dates with a two- or four-digit year, and no time, are dates here.
std::optional<QDate> fechaDMA(const QString& texto) {
    const auto fecha = vb::dates::read(vb::dates::Grammar::DayFirstDate, texto);
    if (!fecha) return std::nullopt;
    return fecha->date();
}

// An ISO date ("2021-01-31"), to the minute or the second, as the system also writes dates:
// the Oracle mask that reads it, or nothing.
std::optional<QString> mascaraISO(const QString& texto) {
    // Iso's shapes without a fraction of a second, a blank before the time.
    const qsizetype largo = texto.size();
    if ((largo != 10 && largo != 16 && largo != 19) || (largo > 10 && texto[10] != u' '))
        return std::nullopt;
    if (!vb::dates::read(vb::dates::Grammar::Iso, texto)) return std::nullopt;
    if (largo == 19) return QStringLiteral("YYYY-MM-DD HH24:MI:SS");
    if (largo == 16) return QStringLiteral("YYYY-MM-DD HH24:MI");
    return QStringLiteral("YYYY-MM-DD");
}

// Rule 4: quoted dates become TO_DATE calls.
QString literalesDeFecha(QString texto) {
    qsizetype desde = 0;
    for (;;) {
        const qsizetype a = texto.indexOf(u'\'', desde);
        if (a < 0) break;
        const qsizetype b = texto.indexOf(u'\'', a + 1);
        if (b < 0) break;
        const QString entre = texto.mid(a + 1, b - a - 1);
        if (const auto mascara = mascaraISO(entre)) {
            // Already the argument of a TO_DATE: left as it is.
            if (texto.left(a).endsWith(QStringLiteral("TO_DATE("), Qt::CaseInsensitive)) {
                desde = b + 1;
                continue;
            }
            const QString oracle = QStringLiteral("TO_DATE('") + entre + QStringLiteral("','") +
                                   *mascara + QStringLiteral("')");
            texto.replace(u'\'' + entre + u'\'', oracle);
            desde = a + oracle.size();
            continue;
        }
        const std::optional<QDate> fecha = fechaDMA(entre);
        if (!fecha) {
            desde = b + 1;
            continue;
        }
        const QString oracle = QStringLiteral("TO_DATE('") +
                               fecha->toString(QStringLiteral("dd/MM/yyyy")) +
                               QStringLiteral("','DD/MM/YYYY')");
        texto.replace(u'\'' + entre + u'\'', oracle);
        desde = a + oracle.size();
    }
    while (Holds(texto, QStringLiteral("TO_DATE(TO_DATE("))) {
        texto = reemplaza(texto, QStringLiteral("TO_DATE(TO_DATE("), QStringLiteral("TO_DATE("));
        texto = reemplaza(texto, QStringLiteral("'DD/MM/YYYY'),'DD/MM/YYYY')"),
                          QStringLiteral("'DD/MM/YYYY')"));
    }
    return texto;
}

// Rule 7: from the first "WHERE " on, a test against '' is a test for NULL.
QString pruebasDeVacio(const QString& texto) {
    const qsizetype w = texto.indexOf(QStringLiteral("WHERE "), 0, Qt::CaseInsensitive);
    if (w < 0) return texto;
    QString cola = texto.mid(w);
    cola = reemplaza(cola, QStringLiteral("= ''"), QStringLiteral(" IS NULL "));
    cola = reemplaza(cola, QStringLiteral("=''"), QStringLiteral(" IS NULL "));
    return texto.left(w) + cola;
}

// Rule 8: style 103 of a TO_CHAR call is Oracle's date mask.
QString estiloDeFecha(QString texto) {
    const QString mascara = QStringLiteral("'DD/MM/YYYY'");
    for (qsizetype p = texto.indexOf(QStringLiteral("103")); p >= 0;
         p = texto.indexOf(QStringLiteral("103"), p + 1)) {
        const qsizetype parentesis = texto.lastIndexOf(u'(', p);
        if (parentesis < 7) continue;
        if (texto.mid(parentesis - 7, 8).toUpper() != QLatin1String("TO_CHAR(")) continue;
        texto.replace(p, 3, mascara);
        p += mascara.size() - 1;
    }
    return texto;
}

const char* const kComienzos[] = {"INSERT ",  "DELETE ",      "UPDATE ",         "CREATE ",
                                  "DROP ",    "ALTER ",       "SET TRANSACTION", "COMMIT",
                                  "ROLLBACK", "IF NOT EXIST", "IF EXIST",        "GRANT "};

// The first statement starter at or after `desde`, outside quoted text and not inside a
// longer name; -1 when none.
qsizetype proximoComienzo(const QString& guion, qsizetype desde) {
    const QList<bool> comillas = dentroDeComillas(guion);
    qsizetype mejor = -1;
    for (const char* c : kComienzos) {
        const QString palabra = QString::fromLatin1(c);
        const bool cierra = !palabra.endsWith(u' ') && !palabra.endsWith(QLatin1String("EXIST"));
        const qsizetype p = buscaPalabra(guion, comillas, palabra, desde, cierra);
        if (p >= 0 && (mejor < 0 || p < mejor)) mejor = p;
    }
    return mejor;
}

// The script with the SQL Server batch syntax taken out, quoted text left as written.
QString normalizaGuion(const QString& guion) {
    static const QList<QPair<QString, QString>> cambios = {
        {QStringLiteral("SET NOCOUNT ON"), QString()},
        {QStringLiteral("SET NOCOUNT OFF"), QString()},
        {QStringLiteral(" GO "), QStringLiteral(" ")},
        {QStringLiteral("\r\nGO "), QStringLiteral(" ")},
        {QStringLiteral("\r\nGO "), QStringLiteral(" ")},
        {QStringLiteral("\r\nGO\r\n"), QStringLiteral(" ")},
        {QStringLiteral("\r"), QStringLiteral(" ")},
        {QStringLiteral("\r\n"), QStringLiteral(" ")},
        {QStringLiteral("BEGIN TRANSACTION"), QStringLiteral("SET TRANSACTION")},
        {QStringLiteral("BEGIN TRANS"), QStringLiteral("SET TRANSACTION")},
        {QStringLiteral("COMMIT TRANSACTION"), QStringLiteral("COMMIT")},
        {QStringLiteral("COMMIT TRANS"), QStringLiteral("COMMIT")},
        {QStringLiteral("ROLLBACK TRANSACTION"), QStringLiteral("ROLLBACK")},
        {QStringLiteral("ROLLBACK TRANS"), QStringLiteral("ROLLBACK")},
    };
    // Split into unquoted and quoted runs; only the unquoted ones change.
    const QList<bool> comillas = dentroDeComillas(guion);
    QString out, tramo;
    bool tramoCitado = false;
    auto vuelca = [&] {
        if (!tramoCitado)
            for (const auto& [de, a] : cambios) tramo = reemplaza(tramo, de, a);
        out += tramo;
        tramo.clear();
    };
    for (qsizetype i = 0; i < guion.size(); ++i) {
        if (comillas[i] != tramoCitado) {
            vuelca();
            tramoCitado = comillas[i];
        }
        tramo += guion[i];
    }
    vuelca();
    return out;
}

// "IF [NOT] EXISTS (query) statement": the query and the statement, or nothing when the
// text does not have that shape.
struct Condicional {
    bool negado = false;
    QString consulta;
    QString sentencia;
};

std::optional<Condicional> separaCondicional(const QString& texto) {
    static const QRegularExpression cabeza(QStringLiteral("^IF\\s+(NOT\\s+)?EXISTS\\s*\\("),
                                           QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = cabeza.match(texto);
    if (!m.hasMatch()) return std::nullopt;
    const QList<bool> comillas = dentroDeComillas(texto);
    int nivel = 1;
    qsizetype i = m.capturedEnd();
    for (; i < texto.size() && nivel > 0; ++i) {
        if (comillas[i]) continue;
        if (texto[i] == u'(') ++nivel;
        if (texto[i] == u')') --nivel;
    }
    if (nivel != 0) return std::nullopt;
    Condicional c;
    c.negado = !m.captured(1).isEmpty();
    c.consulta = texto.mid(m.capturedEnd(), i - 1 - m.capturedEnd()).trimmed();
    c.sentencia = texto.mid(i).trimmed();
    if (c.consulta.isEmpty() || c.sentencia.isEmpty() || proximoComienzo(c.sentencia, 0) != 0)
        return std::nullopt;
    return c;
}

}  // namespace

QString DB_Dll::ORACLE_Dicc(const QString& Valor) {
    if (!connstr::isOracle(gConnString)) return Valor;
    if (gUtil().CuentaPalabras(Valor) < 2)
        return Valor.toUpper() == QLatin1String("LEN") ? QStringLiteral("LENGTH") : Valor;
    QString t = limiteDeFilas(Valor);
    for (int blancos = 1; blancos <= 4; ++blancos)
        t = reemplaza(t, QStringLiteral(" LEN") + QString(blancos, u' ') + u'(',
                      QStringLiteral(" LENGTH("));
    t = reemplaza(t, QStringLiteral(" LEN("), QStringLiteral(" LENGTH("));
    t.replace(u'[', u'"');
    t.replace(u']', u'"');
    t = literalesDeFecha(t);
    t = reemplaza(t, QStringLiteral("Charindex"), QStringLiteral("InStr"));
    t = reemplaza(t, QStringLiteral("CONVERT(NVARCHAR,"), QStringLiteral("TO_CHAR("));
    t = reemplaza(t, QStringLiteral("CONVERT(INT,"), QStringLiteral("TO_NUMBER("));
    t = pruebasDeVacio(t);
    t = estiloDeFecha(t);
    t = reemplaza(t, QStringLiteral("SUBSTRING("), QStringLiteral("SUBSTR("));
    t = reemplaza(t, QStringLiteral("ISNULL("), QStringLiteral("NVL("));
    return t;
}

QString DB_Dll::EjecutaScriptOracle(QString& Sentencia, long& RecordsAffected) {
    auto ejecuta = [&](QString sentencia) {
        sentencia = ORACLE_Dicc(sentencia);
        FiltraSentenciaOracle(sentencia);
        if (sentencia.trimmed().isEmpty()) return;
        long filas = 0;
        gCnn.Execute(sentencia, &filas, -1);
        RecordsAffected += filas;
    };
    Sentencia = normalizaGuion(Sentencia);
    for (;;) {
        const qsizetype inicio = proximoComienzo(Sentencia, 0);
        if (inicio < 0) break;
        const QString primero = Sentencia.mid(inicio);
        qsizetype fin = -1;  // first character after the statement
        if (std::optional<Condicional> c = separaCondicional(primero.trimmed())) {
            // The test and its statement run as one unit: the statement only when the
            // test holds.
            const qsizetype cuerpo = Sentencia.indexOf(c->sentencia, inicio);
            const qsizetype siguiente = proximoComienzo(Sentencia, cuerpo + 1);
            const QString dependiente =
                (siguiente < 0 ? Sentencia.mid(cuerpo) : Sentencia.mid(cuerpo, siguiente - cuerpo))
                    .trimmed();
            ado::Recordset prueba = gCnn.Execute(ORACLE_Dicc(c->consulta), nullptr, -1);
            const bool hayFilas = prueba.State() != ado::adStateClosed && !prueba.Eof();
            if (prueba.State() != ado::adStateClosed) prueba.Close();
            if (hayFilas != c->negado) ejecuta(dependiente);
            fin = siguiente;
        } else if (primero.startsWith(QLatin1String("IF"), Qt::CaseInsensitive)) {
            const QString texto =
                QStringLiteral("IF EXISTS sin consulta o sin sentencia: ") + primero.trimmed();
            ado::Error e;
            e.Number = ado::err::CommandTextError;
            e.Description = texto;
            e.Source = QStringLiteral("DB_Dll");
            gCnn.errors().replace({e});
            throw vb::VbError(e.Number, texto, e.Source);
        } else {
            fin = proximoComienzo(Sentencia, inicio + 1);
            const QString sentencia =
                (fin < 0 ? Sentencia.mid(inicio) : Sentencia.mid(inicio, fin - inicio)).trimmed();
            if (sentencia.compare(QLatin1String("SET TRANSACTION"), Qt::CaseInsensitive) == 0)
                gCnn.BeginTrans();
            else if (sentencia.compare(QLatin1String("COMMIT"), Qt::CaseInsensitive) == 0)
                gCnn.CommitTrans();
            else if (sentencia.compare(QLatin1String("ROLLBACK"), Qt::CaseInsensitive) == 0)
                gCnn.RollbackTrans();
            else
                ejecuta(sentencia);
        }
        Sentencia = fin < 0 ? QString() : vb::Trim(Sentencia.mid(fin));
    }
    // A lone informational notice of the provider is not a failure.
    if (gCnn.errors().Count() == 1 && gCnn.errors().Item(0).Number == 265929)
        gCnn.errors().Clear();
    return Sentencia;
}
