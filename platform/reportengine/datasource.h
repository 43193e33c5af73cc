#pragma once

#include "platform/vb/variant.h"

#include <QList>
#include <QString>

#include <functional>

namespace reportengine {

// How the engine treats a column's values when it compares them in SQL.
enum class ColumnKind { Text, Number, Date, Other };

struct Column {
    QString name;  // as the database spells it
    ColumnKind kind = ColumnKind::Other;
};

// Where a report reads its rows: one table or view of a database, queried with SQL Server's
// dialect and positional parameters ("?"), whose values are bound, never written into the text.
// Texts compare as SQL Server's default collation does: without regard to case, trailing
// blanks ignored.
class DataSource {
public:
    virtual ~DataSource() = default;

    // The columns of a table or view. Raises a VbError when it does not exist.
    virtual QList<Column> describe(const QString& table) = 0;
    // Runs a SELECT and hands each row (values in the order of its select list) to `onRow`.
    virtual void select(const QString& sql, const QList<vb::Variant>& parameters,
                        const std::function<void(const QList<vb::Variant>&)>& onRow) = 0;
};

}  // namespace reportengine
