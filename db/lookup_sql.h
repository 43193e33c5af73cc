#pragma once

#include "platform/vb/variant.h"

#include <QString>

#include <optional>

// The statements of the database class's single-row lookups and schema change, as SQL Server
// text before the synonym and Oracle rewrites. Values that go inside quotes get their
// apostrophes doubled; numbers use "." whatever the locale.
namespace lookupsql {

QString ExisteEnTabla(const QString& Tabla, const QString& ValorBuscado, const QString& Campo,
                      const vb::Variant& Tipodato, const QString& Condicion);
QString ExisteEnTablaST(const QString& Tabla, const QString& ValorBuscado, const QString& Campo,
                        const vb::Variant& Tipodato, const QString& Condicion);
// `jet`: a date is written between "#" only for a Jet file; elsewhere between apostrophes.
QString DatosTabla(const QString& Tabla, const QString& ValorBuscado, const QString& Campo,
                   const vb::Variant& Tipodato, const QString& Condicion, bool UsaTrim, bool jet);
// A condition that is absent, empty or blank adds no WHERE clause.
QString BuscaMaximo(const QString& QueTabla, const QString& QueCampo,
                    const std::optional<QString>& Condicion);
QString BuscaMinimo(const QString& QueTabla, const QString& QueCampo,
                    const std::optional<QString>& Condicion);
QString BuscaUltimoCodigo(const QString& QueTabla, const QString& QueCampo,
                          const QString& Condicion);
QString AddField(const QString& Tabla, const QString& Campo, const QString& Tipo,
                 bool PermiteNulos, const std::optional<vb::Variant>& ValorDefault);

}  // namespace lookupsql
