#pragma once

#include <QList>
#include <QString>

namespace tsql {

// One statement of a batch. The transaction kinds let the connection keep SQL Server's nesting
// count (BEGIN counts up, COMMIT counts down, ROLLBACK undoes everything).
struct Statement {
    enum class Kind { Plain, BeginTransaction, CommitTransaction, RollbackTransaction };

    Kind kind = Kind::Plain;
    QString source;  // the SQL Server text of the statement, trimmed
    QString sql;     // the text to run: `source` until translated; BEGIN/COMMIT/ROLLBACK for the
                     // transaction kinds
};

// Splits a SQL Server batch into its statements: at ";" and at line breaks before a statement
// start (outside literals, names, comments and parentheses). Lines holding only GO and
// SET NOCOUNT ON/OFF are dropped.
QList<Statement> splitBatch(const QString& batch);

// Whether `text` is one statement that only reads: it starts with SELECT or WITH, and holds no
// ";" followed by more text, no second SELECT outside a set operator, and no word that writes,
// runs or declares something (outside literals, names and comments). SQL Server runs a second
// statement that follows without a separator, so the separator alone proves nothing.
bool isSingleRead(const QString& text);

}  // namespace tsql
