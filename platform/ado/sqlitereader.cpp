#include "platform/ado/sqlitereader.h"

#include "platform/ado/sqlitedialect.h"
#include "platform/ado/sqliteerror.h"
#include "platform/ado/tsql/tokens.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <optional>

namespace ado {

namespace {

const char* skipBlanks(const char* p, const char* end) {
    while (p < end) {
        const char c = *p;
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == ';' || c == '\f' ||
            c == '\v') {
            ++p;
        } else if (c == '-' && p + 1 < end && p[1] == '-') {
            while (p < end && *p != '\n') ++p;
        } else if (c == '/' && p + 1 < end && p[1] == '*') {
            p += 2;
            while (p + 1 < end && !(p[0] == '*' && p[1] == '/')) ++p;
            p = std::min(end, p + 2);
        } else {
            break;
        }
    }
    return p;
}

bool isWordChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

// The word at p (letters, digits, "_"), upper-cased; `after` gets its end.
QByteArray wordAt(const char* p, const char* end, const char** after) {
    const char* q = p;
    while (q < end && isWordChar(*q)) ++q;
    *after = q;
    return QByteArray(p, static_cast<int>(q - p)).toUpper();
}

const char* skipSpaces(const char* p, const char* end) {
    while (p < end && (*p == ' ' || *p == '\t')) ++p;
    return p;
}

bool atStatementEnd(const char* p, const char* end) {
    p = skipSpaces(p, end);
    return p >= end || *p == ';' || *p == '\r' || *p == '\n';
}

// How deep parentheses may nest in one text. The translator's rewrites look for the end of
// each parenthesis, so a text nested thousands deep would take it minutes; SQL Server itself
// refuses such a text, with error 191.
constexpr int kMaxNesting = 128;

bool refuseDeepNesting(const QString& text, BatchOutcome& out) {
    int depth = 0;
    for (const tsql::Token& t : tsql::tokenize(text)) {
        if (t.is(tsql::Token::Kind::Open) && ++depth > kMaxNesting) {
            out.failed = true;
            out.errors << sqlServerError(
                191, QStringLiteral("Some part of your SQL statement is nested too deeply. "
                                    "Rewrite the query or break it up into smaller queries."));
            return false;
        }
        if (t.is(tsql::Token::Kind::Close) && depth > 0) --depth;
    }
    return true;
}

// SQL Server's number for a text it cannot read.
constexpr long kIncorrectSyntax = 102;

// The error of a text SQLite reads nothing of, from `p` on.
Error nothingReadAt(const char* p) {
    return sqlServerError(
        kIncorrectSyntax,
        QStringLiteral("Incorrect syntax near '%1'.").arg(QString::fromUtf8(p, 1)));
}

bool onlyBlanks(const char* p, const char* end) {
    return skipBlanks(p, end) >= end;
}

}  // namespace

Error cursorEngineError(long number, const QString& text) {
    return Error{number, text, QStringLiteral("Microsoft Cursor Engine"), QString(), 0};
}

SqliteBackend::Reader::Reader(SqliteBackend& b, const QString& batch,
                              const QList<vb::Variant>& parameters, bool editable)
    : b_(b), parameters_(parameters), editable_(editable), deadline_(b.clock_.fromNow()) {
    if (!b_.db_)
        throw ProviderFailure{{cursorEngineError(err::ProviderFailure,
                                                 QStringLiteral("The connection is closed."))}};
    if (!refuseNul(batch, out_) || !refuseDeepNesting(batch, out_)) {
        stopped_ = true;
        return;
    }
    const CommandClock::Scope command(b_.clock_, deadline_);
    statements_ = sqliteStatements(batch, b_.db_);
    if (statements_.size() > 1) {
        schema_ = schemaVersion(b_.db_);
        // SQL Server compiles the whole batch before it runs any of it.
        QStringList texts;
        for (const tsql::Statement& s : statements_) texts << s.sql;
        if (!b_.refuseSyntaxErrors(texts, out_)) {
            stopped_ = true;
            return;
        }
    }
    runUntilResult();
}

SqliteBackend::Tx SqliteBackend::transactionAt(const char* p, const char* end,
                                               const char** after) {
    const QByteArray first = wordAt(p, end, after);
    if (first != "BEGIN" && first != "COMMIT" && first != "ROLLBACK" && first != "END")
        return Tx::None;
    const char* q = skipSpaces(*after, end);
    const char* afterSecond = nullptr;
    const QByteArray second = wordAt(q, end, &afterSecond);
    const bool tranWord =
        second == "TRAN" || second == "TRANS" || second == "TRANSACTION" || second == "WORK";
    if (!tranWord && (first == "END" || !atStatementEnd(*after, end))) return Tx::None;
    if (tranWord) *after = afterSecond;
    // An optional transaction name alone on the rest of the line.
    const char* r = skipSpaces(*after, end);
    const char* afterName = nullptr;
    if (r < end && isWordChar(*r)) {
        wordAt(r, end, &afterName);
        if (atStatementEnd(afterName, end)) *after = afterName;
    }
    return first == "BEGIN" ? Tx::Begin : first == "ROLLBACK" ? Tx::Rollback : Tx::Commit;
}

bool SqliteBackend::refuseSyntaxErrors(const QStringList& statements, BatchOutcome& out) {
    for (const QString& text : statements) {
        const QByteArray utf8 = text.toUtf8();
        const char* p = utf8.constData();
        const char* end = p + utf8.size();
        while ((p = skipBlanks(p, end)) < end) {
            const char* after = nullptr;
            if (transactionAt(p, end, &after) != Tx::None) {
                p = after;
                continue;
            }
            sqlite3_stmt* stmt = nullptr;
            const char* tail = nullptr;
            const int rc = sqlite3_prepare_v2(db_, p, static_cast<int>(end - p), &stmt, &tail);
            sqlite3_finalize(stmt);
            std::optional<Error> syntax;
            if (rc != SQLITE_OK) {
                const Error e = sqliteError(db_, QString::fromUtf8(p, static_cast<int>(end - p)));
                // Any other error (a table an earlier statement creates, a lock) is the
                // statement's own when it runs; where it ends is unknown here.
                if (e.NativeError != kIncorrectSyntax) break;
                syntax = e;
            } else if (!stmt && (!tail || tail <= p)) {
                syntax = nothingReadAt(p);
            }
            if (syntax) {
                out.errors << *syntax;
                out.failed = true;
                return false;
            }
            p = tail;
        }
    }
    return true;
}

SqliteBackend::Reader::~Reader() {
    sqlite3_finalize(stmt_);
}

void SqliteBackend::Reader::fail(const Error& e) {
    out_.errors << e;
    out_.failed = true;
}

void SqliteBackend::Reader::runUntilResult() {
    while (!stopped_ && !stmt_) {
        p_ = skipBlanks(p_, end_);
        if (p_ >= end_) {
            if (nextStatement_ >= statements_.size()) return;
            const tsql::Statement& next = statements_[nextStatement_++];
            // A table an earlier statement created or altered has columns this one's
            // translation did not see.
            if (nextStatement_ > 1 && (schema_ < 0 || schemaVersion(b_.db_) != schema_)) {
                schema_ = -1;
                text_ = sqliteStatement(next, b_.db_).toUtf8();
            } else {
                text_ = next.sql.toUtf8();
            }
            p_ = text_.constData();
            end_ = p_ + text_.size();
            continue;
        }

        // SQL Server's transaction statements, whatever their spelling, keep the count.
        const char* after = nullptr;
        if (const Tx tx = transactionAt(p_, end_, &after); tx != Tx::None) {
            b_.applyTransaction(tx, out_);
            p_ = after;
            ranOne();
            continue;
        }

        sqlite3_stmt* stmt = nullptr;
        const char* tail = nullptr;
        const int rc = sqlite3_prepare_v2(b_.db_, p_, static_cast<int>(end_ - p_), &stmt, &tail);
        if (rc != SQLITE_OK) {
            fail(sqliteError(b_.db_, QString::fromUtf8(p_, static_cast<int>(end_ - p_))));
            p_ = end_;  // where this statement ends is unknown: the rest of the text goes with it
            ranOne();
            continue;
        }
        if (!stmt) {
            if (!tail || tail <= p_) {
                // SQLite read nothing: the text stops there for it, so nothing after runs.
                fail(nothingReadAt(p_));
                p_ = end_;
                ranOne();
                continue;
            }
            p_ = tail;
            continue;
        }
        const QString sql = QString::fromUtf8(p_, static_cast<int>(tail - p_));
        bool rowidFirst = false;
        if (editable_ && !haveResult_ && sqlite3_column_count(stmt) > 0 &&
            onlyBlanks(tail, end_)) {
            // The row's rowid as a hidden first column finds the row again for an update.
            const char* afterSelect = nullptr;
            if (wordAt(p_, tail, &afterSelect) == "SELECT") {
                const QByteArray withRowid =
                    "SELECT _rowid_, " +
                    QByteArray(afterSelect, static_cast<int>(tail - afterSelect));
                sqlite3_stmt* keyed = nullptr;
                if (sqlite3_prepare_v2(b_.db_, withRowid.constData(),
                                       static_cast<int>(withRowid.size()), &keyed,
                                       nullptr) == SQLITE_OK &&
                    keyed) {
                    sqlite3_finalize(stmt);
                    stmt = keyed;
                    rowidFirst = true;
                } else {
                    sqlite3_finalize(keyed);
                }
            }
        }
        if (!bindParameters(stmt)) {
            sqlite3_finalize(stmt);
            p_ = end_;
            ranOne();
            continue;
        }
        p_ = tail;
        if (!haveResult_ && sqlite3_column_count(stmt) > 0) {
            startResult(stmt, sql, rowidFirst);
            return;
        }
        runWhole(stmt, sql);
        ranOne();
    }
}

void SqliteBackend::Reader::ranOne() {
    // SQL Server cancels the whole batch at its time-out: what follows does not run.
    if (deadline_.passed) stopped_ = true;
}

void SqliteBackend::Reader::startResult(sqlite3_stmt* stmt, const QString& sql, bool rowidFirst) {
    stmt_ = stmt;
    haveResult_ = true;
    sql_ = sql;
    rowidFirst_ = rowidFirst;
    changesBefore_ = sqlite3_total_changes(b_.db_);
    n_ = sqlite3_column_count(stmt);
    first_ = rowidFirst ? 1 : 0;
    std::optional<QList<bool>> texts;
    for (int i = first_; i < n_; ++i) {
        const DeclaredType t = declaredType(QString::fromUtf8(sqlite3_column_decltype(stmt, i)));
        Column c;
        c.name = QString::fromUtf8(sqlite3_column_name(stmt, i));
        c.type = t.type;
        c.definedSize = t.definedSize;
        c.baseColumn = QString::fromUtf8(sqlite3_column_origin_name(stmt, i));
        ReadColumn read = readFor(t);
        if (read.kind == Read::Expr) {
            // A text until its values say otherwise (see complete()).
            c.type = adVarChar;
            c.definedSize = 255;
            // An expression that makes a text (CONVERT to varchar) stays one, whatever it
            // spells.
            if (!texts) texts = tsql::textResultColumns(sql);
            if (texts->value(i - first_)) read.kind = Read::Text;
        }
        row_.columns << c;
        reads_.push_back(read);
    }
}

bool SqliteBackend::Reader::step(ResultSet& rows, bool toTheEnd) {
    // The loop on locals: a result of many rows spends its time here.
    sqlite3_stmt* const stmt = stmt_;
    const int first = first_;
    const int n = n_;
    const ReadColumn* const reads = reads_.data();
    int rc;
    do {
        rc = sqlite3_step(stmt);
        if (rc != SQLITE_ROW) break;
        if (rowidFirst_)
            rows.keys.emplace_back(static_cast<long long>(sqlite3_column_int64(stmt, 0)));
        for (int i = first; i < n; ++i) appendCell(rows.cells, stmt, i, reads[i - first]);
    } while (toTheEnd);
    if (rc == SQLITE_ROW) return true;
    rowsDone_ = true;
    if (rc != SQLITE_DONE) {
        resultFailed_ = true;
        fail(sqliteError(b_.db_, sql_));
    }
    return false;
}

void SqliteBackend::Reader::answer() {
    if (deadline_.answering) return;
    deadline_.answering = true;
    answeredAt_ = CommandClock::Clock::now();
}

void SqliteBackend::Reader::resume() {
    if (!deadline_.answering) return;
    deadline_.answering = false;
    deadline_.at += CommandClock::Clock::now() - answeredAt_;
}

bool SqliteBackend::Reader::fetch(ResultSet& rows) {
    if (!stmt_ || rowsDone_) return false;
    const CommandClock::Scope command(b_.clock_, deadline_);
    const bool read = step(rows, false);
    if (read) answer();
    return read;
}

void SqliteBackend::Reader::fetchAll(ResultSet& rows) {
    if (!stmt_ || rowsDone_) return;
    const CommandClock::Scope command(b_.clock_, deadline_);
    if (!deadline_.answering) {
        // Up to the first row (a sort, a scan that finds none) on the command's time.
        if (!step(rows, false)) return;
        answer();
    }
    step(rows, true);
}

void SqliteBackend::Reader::complete(ResultSet& rows) {
    if (!stmt_ || resultFailed_) return;
    const CommandClock::Scope command(b_.clock_, deadline_);
    for (long i = 0; i < rows.columnCount(); ++i) {
        if (reads_[i].kind == Read::Expr) inferExpressionType(rows, i);
    }
    if (editable_) b_.describeEditing(stmt_, rowidFirst_, rows);
}

void SqliteBackend::Reader::runWhole(sqlite3_stmt* stmt, const QString& sql) {
    const int before = sqlite3_total_changes(b_.db_);
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE) fail(sqliteError(b_.db_, sql));
    endStatement(stmt, before);
}

void SqliteBackend::Reader::endStatement(sqlite3_stmt* stmt, int changesBefore) {
    const char* text = sqlite3_sql(stmt);
    const char* verbEnd = nullptr;
    const QByteArray verb = wordAt(text, text + std::strlen(text), &verbEnd);
    if (verb == "INSERT" || verb == "UPDATE" || verb == "DELETE" || verb == "REPLACE")
        out_.addAffected(sqlite3_total_changes(b_.db_) - changesBefore);
    sqlite3_finalize(stmt);
    // SQLite may have ended the transaction itself (a failed COMMIT, a full disk, a write
    // interrupted at the time-out).
    if (b_.trancount_ > 0 && sqlite3_get_autocommit(b_.db_)) b_.trancount_ = 0;
}

BatchOutcome SqliteBackend::Reader::finish() {
    if (finished_) return out_;
    finished_ = true;
    rowsDone_ = true;  // the rows not read are let go
    resume();
    {
        const CommandClock::Scope command(b_.clock_, deadline_);
        if (stmt_) {
            endStatement(stmt_, changesBefore_);
            stmt_ = nullptr;
            ranOne();
        }
        runUntilResult();
    }
    if (!out_.failed && nextParameter_ < parameters_.size()) {
        fail(Error{err::CommandTextError, QStringLiteral("Wrong number of parameters."),
                   sqlServerSource(), QStringLiteral("07001"), 0});
    }
    out_.result.columns = row_.columns;
    return out_;
}

bool SqliteBackend::Reader::bindParameters(sqlite3_stmt* stmt) {
    const int wanted = sqlite3_bind_parameter_count(stmt);
    for (int i = 1; i <= wanted; ++i) {
        if (nextParameter_ >= parameters_.size()) {
            fail(Error{err::MissingParameter,
                       QStringLiteral("No value given for one or more required parameters."),
                       sqlServerSource(), QStringLiteral("07002"), 0});
            return false;
        }
        bindValue(stmt, i, parameters_.at(nextParameter_++));
    }
    return true;
}

}  // namespace ado
