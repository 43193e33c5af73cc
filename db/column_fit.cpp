#include "db/column_fit.h"

#include "platform/ado/datatype.h"
#include "platform/vb/conversions.h"
#include "platform/vb/vberror.h"

namespace columnfit {

namespace {

// A size that limits nothing: SQL Server lists varchar(max) as -1, the embedded engine as
// the largest 32-bit number.
bool limita(long tamano) {
    return tamano > 0 && tamano < 2147483647;
}

// A size in the list, the smaller one when a column appears twice (tables of the same name
// under two owners): whatever fits it fits both.
void anota(QHash<QString, long>& lista, const QString& columna, long tamano) {
    if (!limita(tamano)) return;
    const QString clave = columna.toUpper();
    const auto hay = lista.constFind(clave);
    if (hay == lista.constEnd() || tamano < *hay) lista.insert(clave, tamano);
}

QHash<QString, long> delEsquema(ado::Connection& cnn, const QString& tabla) {
    QHash<QString, long> lista;
    ado::Recordset rs =
        cnn.OpenSchema(ado::adSchemaColumns, {vb::Variant(), vb::Variant(), vb::Variant(tabla)});
    while (!rs.Eof()) {
        const vb::Variant tamano = rs[QStringLiteral("CHARACTER_MAXIMUM_LENGTH")];
        if (!tamano.isNull() && !tamano.isEmpty())
            anota(lista, vb::CStr(rs[QStringLiteral("COLUMN_NAME")]), vb::CLng(tamano));
        rs.MoveNext();
    }
    return lista;
}

// What a read of no rows tells of the table's columns, for an engine whose column list
// cannot be had.
QHash<QString, long> deUnaLectura(ado::Connection& cnn, const QString& tabla) {
    QHash<QString, long> lista;
    ado::Recordset rs =
        cnn.Execute(QStringLiteral("SELECT * FROM ") + tabla + QStringLiteral(" WHERE 1 = 0"));
    for (long i = 0; i < rs.FieldCount(); ++i) {
        const ado::Field campo = rs.Fields(i);
        if (ado::isTextType(campo.Type())) anota(lista, campo.Name(), campo.DefinedSize());
    }
    return lista;
}

struct Entrada {
    const ado::Backend* motor = nullptr;
    QString conexion;
    QHash<QString, long> lista;
};

// By connection, then by table in capitals.
QHash<const ado::Connection*, QHash<QString, Entrada>>& guardadas() {
    static QHash<const ado::Connection*, QHash<QString, Entrada>> todas;
    return todas;
}

}  // namespace

QString corta(const QString& texto, long tamano) {
    if (tamano <= 0 || texto.size() <= tamano) return texto;
    qsizetype fin = tamano;
    // The first half of a pair alone would be a character the engine cannot store.
    if (texto.at(fin - 1).isHighSurrogate() && texto.at(fin).isLowSurrogate()) --fin;
    return texto.left(fin);
}

QHash<QString, long> tamanos(ado::Connection& cnn, const QString& tabla) {
    if (cnn.State() != ado::adStateOpen) return {};
    // The engine it opened and where, besides the connection: one opened again elsewhere
    // reads again.
    QHash<QString, Entrada>& deLaConexion = guardadas()[&cnn];
    const QString clave = tabla.toUpper();
    const QString conexion = cnn.ConnectionString() + u'\n' + cnn.DefaultDatabase();
    const auto hay = deLaConexion.constFind(clave);
    if (hay != deLaConexion.constEnd() && hay->motor == cnn.backend() && hay->conexion == conexion)
        return hay->lista;

    const QList<ado::Error> previos = cnn.errors().items();
    QHash<QString, long> lista;
    bool leida = false;
    try {
        lista = delEsquema(cnn, tabla);
        leida = true;
    } catch (const vb::VbError&) {
    }
    if (!leida) {
        try {
            lista = deUnaLectura(cnn, tabla);
            leida = true;
        } catch (const vb::VbError&) {
        }
    }
    // What failed in here is no error of the caller's.
    cnn.errors().replace(previos);
    if (leida) deLaConexion.insert(clave, Entrada{cnn.backend(), conexion, lista});
    return lista;
}

void olvida(const ado::Connection& cnn) {
    guardadas().remove(&cnn);
}

QString ajusta(ado::Connection& cnn, const QString& tabla, const QString& columna,
               const QString& texto) {
    return corta(texto, tamanos(cnn, tabla).value(columna.toUpper(), 0));
}

vb::Variant ajusta(ado::Connection& cnn, const QString& tabla, const QString& columna,
                   const vb::Variant& valor) {
    if (!valor.isString()) return valor;
    return vb::Variant(ajusta(cnn, tabla, columna, valor.string()));
}

}  // namespace columnfit
