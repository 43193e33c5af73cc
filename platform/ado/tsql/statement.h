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

// Whether `text` is one SELECT (or WITH ... SELECT) and nothing else: its query terms joined
// by set operators, its clauses in order, and at most a ";" after it (outside literals, names
// and comments). Anything that does not read as that is refused, whatever its words:
// SQL Server runs a second statement that follows without a separator, SELECT ... INTO
// writes, and OPENQUERY and its kin run text on another server.
bool isSingleRead(const QString& text);

}  // namespace tsql
