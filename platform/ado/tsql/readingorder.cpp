#include "platform/ado/tsql/readingorder.h"

#include "platform/ado/tsql/datetime.h"
#include "platform/vb/dategrammars.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <sqlite3.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <mutex>
#include <optional>

namespace tsql {

namespace {

// The answers kept for every connection of the process, by the state of the database file
// they hold for (fileState) and the column.
struct SharedAnswers {
    std::mutex lock;
    QHash<QByteArray, bool> byStateAndColumn;
};

SharedAnswers& sharedAnswers() {
    static SharedAnswers answers;
    return answers;
}

// What changes with every write to the database file, whichever connection or program makes
// it: the file's identity and time, and the change counter SQLite adds one to at every commit
// in the rollback journal's mode. Nothing for a database in memory, one in WAL mode (whose
// file does not count its commits), or while this connection holds a transaction open (whose
// writes the file does not hold yet).
std::optional<QByteArray> fileState(sqlite3* db) {
    const char* path = sqlite3_db_filename(db, "main");
    if (!path || !*path || !sqlite3_get_autocommit(db)) return std::nullopt;
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat st {};
    unsigned char header[28] = {};
    const bool read = ::fstat(fd, &st) == 0 &&
                      ::pread(fd, header, sizeof header, 0) == static_cast<ssize_t>(sizeof header);
    ::close(fd);
    // Bytes 18 and 19 are 1 in the rollback journal's mode, 2 in WAL mode.
    if (!read || header[18] != 1 || header[19] != 1) return std::nullopt;
    return QByteArray(path) + '\0' + QByteArray::number(static_cast<qulonglong>(st.st_dev)) + ':' +
           QByteArray::number(static_cast<qulonglong>(st.st_ino)) + ':' +
           QByteArray::number(static_cast<qlonglong>(st.st_size)) + ':' +
           QByteArray::number(static_cast<qlonglong>(st.st_mtim.tv_sec)) + '.' +
           QByteArray::number(static_cast<qlonglong>(st.st_mtim.tv_nsec)) + ':' +
           QByteArray(reinterpret_cast<const char*>(header + 24), 4).toHex();
}

// The answers of one connection, with the state of the database they hold for: where the file
// tells no state its own.
struct Answers {
    struct Answer {
        sqlite3_int64 dataVersion = 0;  // other connections' writes
        sqlite3_int64 changes = 0;      // this connection's own
        bool holds = false;
    };
    QHash<QString, Answer> byColumn;
};

QString textArg(sqlite3_value* v) {
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(v)),
                             sqlite3_value_bytes(v));
}

QString quoted(QString name) {
    return u'"' + name.replace(u'"', QStringLiteral("\"\"")) + u'"';
}

// Runs `sql` with the texts `args` bound, handing each row to `row` until it answers false.
// False when the statement fails.
template <typename Row>
bool eachRow(sqlite3* db, const QString& sql, const QStringList& args, Row row) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &stmt, nullptr) != SQLITE_OK) {
        sqlite3_finalize(stmt);
        return false;
    }
    for (int i = 0; i < args.size(); ++i) {
        const QByteArray a = args[i].toUtf8();
        sqlite3_bind_text(stmt, i + 1, a.constData(), static_cast<int>(a.size()),
                          SQLITE_TRANSIENT);
    }
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        if (!row(stmt)) {
            rc = SQLITE_DONE;
            break;
        }
    }
    sqlite3_finalize(stmt);
    return rc == SQLITE_DONE;
}

sqlite3_int64 dataVersion(sqlite3* db) {
    sqlite3_int64 version = -1;
    eachRow(db, QStringLiteral("PRAGMA data_version"), {}, [&](sqlite3_stmt* s) {
        version = sqlite3_column_int64(s, 0);
        return false;
    });
    return version;
}

// Whether a whole index of the table (not a partial one) begins with the column.
bool indexBeginsWith(sqlite3* db, const QString& table, const QString& column) {
    QStringList indexes;
    eachRow(
        db, QStringLiteral("SELECT name FROM pragma_index_list(?1) WHERE partial = 0"), {table},
        [&](sqlite3_stmt* s) {
            indexes << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)));
            return true;
        });
    for (const QString& index : indexes) {
        bool begins = false;
        eachRow(db, QStringLiteral("SELECT name FROM pragma_index_info(?1) WHERE seqno = 0"),
                {index}, [&](sqlite3_stmt* s) {
                    begins =
                        QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)))
                            .compare(column, Qt::CaseInsensitive) == 0;
                    return false;
                });
        if (begins) return true;
    }
    return false;
}

// Whether the column's own order is the order of its readings: every value Null or a text in
// one of the ISO shapes of fixed-width fields with a blank before the time ("2026-03-29",
// "2026-03-29 10:30", "2026-03-29 10:30:15.5"), which sort as their readings do. A "T" there,
// an hour of one digit, a number or any other shape sorts apart from its reading. Nothing when
// the column could not be read whole (a time-out).
std::optional<bool> sortsByReading(sqlite3* db, const QString& table, const QString& column) {
    bool holds = true;
    const bool read =
        eachRow(db, QStringLiteral("SELECT %1 FROM %2").arg(quoted(column), quoted(table)), {},
                [&](sqlite3_stmt* s) {
                    const int type = sqlite3_column_type(s, 0);
                    if (type == SQLITE_NULL) return true;
                    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
                    const int n = sqlite3_column_bytes(s, 0);
                    holds = type == SQLITE_TEXT && n >= 10 && (n == 10 || text[10] == ' ') &&
                            vb::dates::readIso(text, n).has_value();
                    return holds;
                });
    if (!read) return std::nullopt;
    return holds;
}

// Whether a text starts with a date of the ISO shape ("2026-03-29..."): such a text sorts
// among the texts of that day (or, from 23:59:59.998, of the next one it rounds to).
bool startsWithIsoDay(const char* text, int n) {
    if (n < 10 || text[4] != '-' || text[7] != '-') return false;
    for (int k : {0, 1, 2, 3, 5, 6, 8, 9})
        if (text[k] < '0' || text[k] > '9') return false;
    return true;
}

// Whether a text reads as a date-time but sorts apart from its day (day first, no separators
// with a time, a blank first, a month of one digit), so that the keys of a day's range miss
// it, or has the dashes of an ISO date without its digits, which a range would take by its
// text.
bool readsApart(const char* text, int n) {
    if (startsWithIsoDay(text, n)) return false;
    if (n >= 10 && text[4] == '-' && text[7] == '-' && text[9] >= '0' && text[9] <= '9')
        return true;
    return readDateTime(text, n).has_value();
}

// Whether the date column holds a text that reads apart from its day. Through an index that
// begins with the column, one look per day held and per other text, from the least text up;
// without one, the whole column read once. Nothing when the column could not be read.
std::optional<bool> holdsDatesApart(sqlite3* db, const QString& table, const QString& column) {
    const QString c = quoted(column), t = quoted(table);
    if (!indexBeginsWith(db, table, column)) {
        bool apart = false;
        const bool read = eachRow(
            db, QStringLiteral("SELECT %1 FROM %2 WHERE typeof(%1) = 'text'").arg(c, t), {},
            [&](sqlite3_stmt* s) {
                apart = readsApart(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)),
                                   sqlite3_column_bytes(s, 0));
                return !apart;
            });
        if (!read) return std::nullopt;
        return apart;
    }
    // The least text from a key on: after a day's texts, the key past them ("2026-03-2:"
    // follows every text that begins "2026-03-29"); after any other text, the next one.
    const QString atOrAfter =
        QStringLiteral("SELECT %1 FROM %2 WHERE %1 >= ?1 ORDER BY %1 LIMIT 1").arg(c, t);
    const QString after =
        QStringLiteral("SELECT %1 FROM %2 WHERE %1 > ?1 ORDER BY %1 LIMIT 1").arg(c, t);
    QString key;  // the empty text sorts before every other, after every number
    bool inclusive = true;
    // A bound on the looks, past which the column counts as holding such a text.
    for (int looks = 0; looks < 100000; ++looks) {
        std::optional<QByteArray> next;
        bool blob = false;
        if (!eachRow(db, inclusive ? atOrAfter : after, {key}, [&](sqlite3_stmt* s) {
                blob = sqlite3_column_type(s, 0) == SQLITE_BLOB;
                next = QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)),
                                  sqlite3_column_bytes(s, 0));
                return false;
            }))
            return std::nullopt;
        if (!next || blob) return false;  // blobs sort after every text
        const char* text = next->constData();
        const int n = int(next->size());
        if (startsWithIsoDay(text, n)) {
            QByteArray past = next->left(10);
            past[9] = char(past[9] + 1);
            key = QString::fromLatin1(past);
            inclusive = true;
            continue;
        }
        if (readsApart(text, n)) return true;
        key = QString::fromUtf8(*next);
        inclusive = false;
    }
    return true;
}

// Answers a question about a table's column, `Ask`, with the answers of the connection kept
// in its user data and those kept for every connection under `tag`.
template <std::optional<bool> (*Ask)(sqlite3*, const QString&, const QString&), char Tag>
void cachedAnswerFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) != SQLITE_TEXT || sqlite3_value_type(argv[1]) != SQLITE_TEXT)
        return sqlite3_result_int(ctx, 0);
    sqlite3* db = sqlite3_context_db_handle(ctx);
    auto* answers = static_cast<Answers*>(sqlite3_user_data(ctx));
    const QString table = textArg(argv[0]), column = textArg(argv[1]);
    const QString key = table.toLower() + u'\x1f' + column.toLower();
    SharedAnswers& shared = sharedAnswers();
    const std::optional<QByteArray> state = fileState(db);
    const QByteArray sharedKey = state ? *state + '\0' + Tag + '\0' + key.toUtf8() : QByteArray();
    if (state) {
        const std::lock_guard<std::mutex> guard(shared.lock);
        if (const auto it = shared.byStateAndColumn.constFind(sharedKey);
            it != shared.byStateAndColumn.constEnd())
            return sqlite3_result_int(ctx, *it ? 1 : 0);
    }
    Answers::Answer now;
    now.dataVersion = dataVersion(db);
    now.changes = sqlite3_total_changes64(db);
    if (const auto it = answers->byColumn.constFind(key); it != answers->byColumn.constEnd() &&
                                                          it->dataVersion == now.dataVersion &&
                                                          it->changes == now.changes)
        return sqlite3_result_int(ctx, it->holds ? 1 : 0);
    const std::optional<bool> holds = Ask(db, table, column);
    now.holds = holds.value_or(false);
    if (holds && now.dataVersion >= 0) {
        if (answers->byColumn.size() >= 64) answers->byColumn.clear();
        answers->byColumn.insert(key, now);
    }
    // Kept for every connection only when no write came while the column was read.
    if (holds && state && fileState(db) == state) {
        const std::lock_guard<std::mutex> guard(shared.lock);
        if (shared.byStateAndColumn.size() >= 256) shared.byStateAndColumn.clear();
        shared.byStateAndColumn.insert(sharedKey, *holds);
    }
    sqlite3_result_int(ctx, now.holds ? 1 : 0);
}

std::optional<bool> ordersByReading(sqlite3* db, const QString& table, const QString& column) {
    if (!indexBeginsWith(db, table, column)) return false;
    return sortsByReading(db, table, column);
}

// A column that could not be read counts as holding texts apart, so that every row is read.
std::optional<bool> datesApart(sqlite3* db, const QString& table, const QString& column) {
    return holdsDatesApart(db, table, column).value_or(true);
}

}  // namespace

int registerReadingOrder(sqlite3* db) {
    const auto release = [](void* answers) { delete static_cast<Answers*>(answers); };
    const int rc = sqlite3_create_function_v2(db, "tsql_readingorder", 2, SQLITE_UTF8, new Answers,
                                              cachedAnswerFunction<ordersByReading, 'o'>, nullptr,
                                              nullptr, release);
    if (rc != SQLITE_OK) return rc;
    return sqlite3_create_function_v2(db, "tsql_datesapart", 2, SQLITE_UTF8, new Answers,
                                      cachedAnswerFunction<datesApart, 'a'>, nullptr, nullptr,
                                      release);
}

}  // namespace tsql
