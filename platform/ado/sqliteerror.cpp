#include "platform/ado/sqliteerror.h"

#include "platform/ado/types.h"

#include <QRegularExpression>

#include <sqlite3.h>

namespace ado {

namespace {

// "INSERT", "UPDATE", "DELETE" or "MERGE": the verb SQL Server names in constraint messages.
QString verbOf(const QString& statement) {
    const QString head = statement.trimmed().section(QLatin1Char(' '), 0, 0).toUpper();
    if (head == QLatin1String("UPDATE") || head == QLatin1String("DELETE")) return head;
    return QStringLiteral("INSERT");
}

// The table of "T.c1, T.c2" in SQLite's constraint messages.
QString tableOfColumns(const QString& columns) {
    return columns.section(QLatin1Char(','), 0, 0).trimmed().section(QLatin1Char('.'), 0, 0);
}

QString afterColon(const QString& message) {
    const qsizetype colon = message.indexOf(QLatin1Char(':'));
    return colon < 0 ? QString() : message.mid(colon + 1).trimmed();
}

Error generalFailure(const QString& message) {
    return Error{err::ProviderFailure, message, sqlServerSource(), QStringLiteral("HY000"), 0};
}

}  // namespace

Error sqliteError(sqlite3* db, const QString& statement) {
    return sqliteError(sqlite3_extended_errcode(db), QString::fromUtf8(sqlite3_errmsg(db)),
                       statement);
}

Error sqliteError(int code, const QString& message, const QString& statement) {
    // Another program's lock outlasted the command's time, or the command ran out of it.
    const int primary = code & 0xff;
    if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED || primary == SQLITE_INTERRUPT)
        return queryTimeoutError();
    switch (code) {
        case SQLITE_CONSTRAINT_PRIMARYKEY: {
            const QString table = tableOfColumns(afterColon(message));
            return sqlServerError(2627,
                                  QStringLiteral("Violation of PRIMARY KEY constraint 'PK_%1'. "
                                                 "Cannot insert duplicate key in object "
                                                 "'dbo.%1'.")
                                      .arg(table));
        }
        case SQLITE_CONSTRAINT_UNIQUE: {
            const QString table = tableOfColumns(afterColon(message));
            return sqlServerError(2627,
                                  QStringLiteral("Violation of UNIQUE KEY constraint 'UQ_%1'. "
                                                 "Cannot insert duplicate key in object "
                                                 "'dbo.%1'.")
                                      .arg(table));
        }
        case SQLITE_CONSTRAINT_FOREIGNKEY:
            return sqlServerError(547,
                                  QStringLiteral("The %1 statement conflicted with a FOREIGN KEY "
                                                 "constraint.")
                                      .arg(verbOf(statement)));
        case SQLITE_CONSTRAINT_CHECK:
            return sqlServerError(547, QStringLiteral("The %1 statement conflicted with the CHECK "
                                                      "constraint \"%2\".")
                                           .arg(verbOf(statement), afterColon(message)));
        case SQLITE_CONSTRAINT_NOTNULL: {
            const QString target = afterColon(message);
            return sqlServerError(
                515, QStringLiteral("Cannot insert the value NULL into column "
                                    "'%1', table '%2'; column does not allow "
                                    "nulls. %3 fails.")
                         .arg(target.section(QLatin1Char('.'), 1),
                              target.section(QLatin1Char('.'), 0, 0), verbOf(statement)));
        }
        case SQLITE_MISMATCH:
            return sqlServerError(245, QStringLiteral("Conversion failed: %1.").arg(message));
        default:
            break;
    }
    if (primary == SQLITE_CONSTRAINT)
        return sqlServerError(547, QStringLiteral("The %1 statement conflicted with a "
                                                  "constraint: %2.")
                                       .arg(verbOf(statement), message));
    if (code != SQLITE_ERROR) return generalFailure(message);

    struct Pattern {
        const char* regex;
        long native;
        const char* text;
    };
    static const Pattern patterns[] = {
        // The translator's functions fail with SQL Server's own words: their numbers.
        {R"re(^(Error converting data type \w+ to \w+\.)$)re", 8114, "%1"},
        {R"re(^(Conversion failed when converting the \w+ value '.*' to data type \w+\.)$)re", 245,
         "%1"},
        {R"re(^(The conversion of the \w+ value '.*' overflowed an int column\.)$)re", 248, "%1"},
        {R"re(^(The conversion of the \w+ value '.*' overflowed an INT[12] column\. Use a )re"
         R"re(larger integer column\.)$)re",
         244, "%1"},
        {R"re(^(Arithmetic overflow error converting .+ to data type \w+\.)$)re", 8115, "%1"},
        {R"re(^(Cannot convert a char value to money\. The char value has incorrect )re"
         R"re(syntax\.)$)re",
         235, "%1"},
        {R"re(^(String or binary data would be truncated\.)$)re", 8152, "%1"},
        {R"re(^(Conversion failed when converting date and/or time from character )re"
         R"re(string\.)$)re",
         241, "%1"},
        {R"re(^no such table: (?:main\.)?(.+)$)re", 208, "Invalid object name '%1'."},
        {R"re(^no such column: (.+)$)re", 207, "Invalid column name '%1'."},
        {R"re(^near "(.*)": syntax error$)re", 102, "Incorrect syntax near '%1'."},
        {R"re(^incomplete input$)re", 102, "Incorrect syntax near the end of the statement.%1"},
        {R"re(^unrecognized token: "(.*)"$)re", 102, "Incorrect syntax near '%1'."},
        {R"re(^no such function: (.+)$)re", 195,
         "'%1' is not a recognized built-in function name."},
        {R"re(^ambiguous column name: (.+)$)re", 209, "Ambiguous column name '%1'."},
        {R"re(^table (\S+) has \d+ columns but \d+ values were supplied$)re", 213,
         "Column name or number of supplied values does not match table definition.%1"},
        {R"re(^\d+ values for \d+ columns()$)re", 213,
         "Column name or number of supplied values does not match table definition.%1"},
        // An INSERT ... SELECT whose query does not give one value a column.
        {R"re(^table tsql_values has \d+ values for \d+ columns()$)re", 213,
         "Column name or number of supplied values does not match table definition.%1"},
        {R"re(^(?:table|view|index) (\S+) already exists$)re", 2714,
         "There is already an object named '%1' in the database."},
        {R"re(^duplicate column name: (.+)$)re", 2705,
         "Column names in each table must be unique. Column name '%1' is specified more than "
         "once."},
    };
    for (const Pattern& p : patterns) {
        const QRegularExpression re(QString::fromLatin1(p.regex),
                                    QRegularExpression::DotMatchesEverythingOption);
        const QRegularExpressionMatch m = re.match(message);
        if (m.hasMatch()) {
            const QString arg = m.lastCapturedIndex() >= 1 ? m.captured(1) : QString();
            return sqlServerError(p.native, QString::fromLatin1(p.text).arg(arg));
        }
    }
    // Any other error of the statement's text.
    return Error{err::CommandTextError, message, sqlServerSource(), QStringLiteral("42000"), 0};
}

}  // namespace ado
