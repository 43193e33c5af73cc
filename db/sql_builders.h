#pragma once

#include "platform/vb/variant.h"

#include <QList>
#include <QString>
#include <QStringList>

// Procedures of the shared module that write SQL text by hand, and the server's clock.
namespace ModGlobal {

// A column and its value already written as an SQL literal (or the text "Null").
struct ParCampoValor {
    QString CampoSQL;
    QString ValorSQL;
};

// The module's pair array, filled by AgregaCampoSQL.
QList<ParCampoValor>& ParesSQL();

// A short SQL Server text adapted for an Oracle connection of gDB(); unchanged otherwise,
// and unchanged when no "*" follows TOP.
QString AdaptaSQLOracle(const QString& Texto);

// Adds a pair to ParesSQL() (`Primero` starts the array again): the value written by
// SQLValue (a text quoted, its apostrophes doubled), or "Null" for a Null value.
void AgregaCampoSQL(const QString& NombreCampo, const vb::Variant& Valor, const QString& Tipo,
                    bool Primero);

// Appends an INSERT (or UPDATE, with " WHERE " put in front of a `Condicion` that lacks it)
// and an empty text to `Sentencias`; `ConservarPares` false leaves one empty pair.
void ArmaSentenciaSQL(QList<ParCampoValor>& Pares, QStringList& Sentencias, const QString& Tabla,
                      bool EsUpdate, QString& Condicion, bool ConservarPares);

// Appends "(columns) VALUES (values)" to the head the caller put in `Sentencia`; `Limpiar`
// empties the pairs.
void ArmaInsertSQL(QString& Sentencia, QList<ParCampoValor>& Pares, bool Limpiar);

bool TieneApostrofo(const QString& Texto);

// The database server's date and time, as a wall-clock reading. When the server gives no row
// (or the query cannot be opened): the configured operating date when that setting is on and
// valid, else the local clock's reading.
vb::DateTime FechaServidor();

}  // namespace ModGlobal
