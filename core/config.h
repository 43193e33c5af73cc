#pragma once

#include "platform/vb/variant.h"

#include <QString>

// The configuration table (TA_CONFIGURACION) of the main and of the statistics database.
namespace ModGlobal {

// The VALOR of a key: a single blank when the key is missing, the empty text when it is Null
// or the main connection is closed. `ValorAux`, when given, receives the key's ValorAux
// (left alone when the connection is closed).
QString Cfg(const QString& Clave, QString* ValorAux = nullptr);
// Cfg on the statistics connection.
QString CfgKQ(const QString& Clave, QString* ValorAux = nullptr);

// Inserts the key or updates its row; never reports a failure. An empty `ValorAux` keeps
// the stored one.
void GrabaDfg(const QString& Clave, const vb::Variant& Valor, const QString& ValorAux,
              bool PoliticaNegocio, const QString& Grupo, bool RecortaValor);
// GrabaDfg on the statistics connection.
void GrabaCfgKQ(const QString& Clave, const vb::Variant& Valor, const QString& ValorAux,
                bool PoliticaNegocio, const QString& Grupo, bool RecortaValor);

}  // namespace ModGlobal
