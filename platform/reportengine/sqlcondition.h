#pragma once

#include "platform/reportengine/datasource.h"
#include "platform/reportengine/selection.h"

#include <QList>
#include <QString>

#include <functional>

namespace reportengine {

// The part of a selection formula that SQL can evaluate, as a WHERE condition with its values
// as parameters.
struct SqlCondition {
    QString text;                   // empty: no condition
    QList<vb::Variant> parameters;  // one per "?", in order
    bool complete = true;           // false: the rows still need the formula in memory
};

// The WHERE condition of a selection. A top-level AND keeps the terms SQL can evaluate and
// leaves the rest to the memory filter; any other term goes to SQL whole or not at all.
// `columnOf` gives the database column of a field of the formula; one without a name is a
// field SQL cannot read, whose terms are left to the memory filter.
SqlCondition toSqlCondition(const Selection& selection,
                            const std::function<Column(const FieldRef&)>& columnOf);

// A column name for SQL Server's dialect: "[NUMERO ASIENTO]".
QString quoteName(const QString& name);
// A table or view name, each part of "owner.name" quoted.
QString quoteTable(const QString& table);

}  // namespace reportengine
