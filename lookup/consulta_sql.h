#pragma once

#include "lookup/mascaras.h"

#include <QString>
#include <QStringList>

#include <optional>

// The SQL text of a lookup, built in one of three ways: from a given SELECT, from a record of
// the definition file, or from the columns discovered on the table.
namespace consultas {

// A condition longer than one character that does not begin with "(" is wrapped in " (" and
// ") ".
QString envuelveWhere(const QString& where);

// The row limit of `TopConsArt`: its number rounded; 0 or less (blank, missing) reads 1000.
int limiteFilas(const QString& topConsArt);

// A given SELECT: the article view is read through its stock view, and `where` (given
// " WHERE " when it lacks it; the caller's variable is changed) is appended.
QString conSelect(const QString& sql, QString& where);

// From a definition record. Nothing when the record lists a single column and no search
// column was given (the lookup cannot be ordered): the caller tells the operator.
std::optional<QString> desdeMascara(const MascaraConsulta& mascara, int limite,
                                    QString& campoBusqueda, const QString& where);

// Whether a definition's filter holds a statement separator (";") outside literals, names and
// comments: such a filter would end the lookup's statement and start another.
bool filtroConSeparador(const QString& filtro);

// Whether the columns of `tabla` must be discovered by reading one row of it.
bool requiereDescubrir(const QString& tabla, const QString& sentenciaOpcional);

// From the discovered fields of `tabla` (in their order); `campoBusqueda` receives the chosen
// search column. Columns whose name holds "PASSWORD" never reach a lookup.
QString porDescubrimiento(const QString& tabla, int limite, const QStringList& campos,
                          QString& campoBusqueda, const QString& where,
                          const QString& sentenciaOpcional);

}  // namespace consultas
