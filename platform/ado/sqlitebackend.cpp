#include "platform/ado/sqlitebackend.h"

#include "platform/ado/datatype.h"
#include "platform/ado/qtconnections.h"
#include "platform/ado/sqlitedialect.h"
#include "platform/ado/sqliteerror.h"
#include "platform/ado/tsql/datetime.h"
#include "platform/ado/tsql/tokens.h"
#include "platform/ado/tsql/translator.h"
#include "platform/vb/conversions.h"
#include "platform/vb/dategrammars.h"
#include "platform/vb/safefile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QUuid>
#include <QVariant>

#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <thread>

namespace ado {

namespace {

std::atomic<int> connectionCounter{0};

// How a column's values are read.
enum class Read { Text, Int32, Int16, Int64, Numeric, Currency, Double, Date, Bit, Blob, Expr };

struct ReadColumn {
    Read kind = Read::Expr;
    int scale = -1;
};

ReadColumn readFor(const DeclaredType& t) {
    switch (t.type) {
        case adEmpty:
            return {Read::Expr};
        case adInteger:
            return {Read::Int32};
        case adSmallInt:
        case adUnsignedTinyInt:
        case adTinyInt:
            return {Read::Int16};
        case adBigInt:
            return {Read::Int64};
        case adNumeric:
        case adDecimal:
            return {Read::Numeric, t.scale < 0 ? kDefaultScale : t.scale};
        case adCurrency:
            return {Read::Currency};
        case adDouble:
        case adSingle:
            return {Read::Double};
        case adBoolean:
            return {Read::Bit};
        default:
            break;
    }
    if (isDateType(t.type)) return {Read::Date};
    if (isBinaryType(t.type)) return {Read::Blob};
    return {Read::Text};
}

QString textOf(sqlite3_stmt* stmt, int i) {
    const char* t = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
    return QString::fromUtf8(t, sqlite3_column_bytes(stmt, i));
}

void appendInteger(Cells& cells, sqlite3_int64 v) {
    if (v >= std::numeric_limits<std::int32_t>::min() &&
        v <= std::numeric_limits<std::int32_t>::max())
        cells.appendInt32(static_cast<std::int32_t>(v));
    else
        cells.appendInt64(v);
}

double roundTo(double v, int scale) {
    static const double kPowers[] = {1, 10, 100, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10};
    const double f = scale >= 0 && scale <= 10 ? kPowers[scale] : std::pow(10.0, scale);
    return std::round(v * f) / f;
}

// Whether the text has the shape of a stored date ("YYYY-MM-DD..."), checked without making
// the date.
bool looksLikeDate(const char* t, int n) {
    return (n == 10 || n >= 16) && t[4] == '-' && t[7] == '-' && t[0] >= '0' && t[0] <= '9' &&
           (n == 10 || t[10] == ' ' || t[10] == 'T');
}

// Appends the value of column `i` of the current row, read as the column's type asks.
void appendCell(Cells& cells, sqlite3_stmt* stmt, int i, const ReadColumn& c) {
    const int storage = sqlite3_column_type(stmt, i);
    if (storage == SQLITE_NULL) return cells.appendNull();
    switch (c.kind) {
        case Read::Text:
            if (storage == SQLITE_BLOB) break;
            return cells.appendText(reinterpret_cast<const char*>(sqlite3_column_text(stmt, i)),
                                    sqlite3_column_bytes(stmt, i));
        case Read::Int32:
        case Read::Int16:
        case Read::Int64:
            if (storage == SQLITE_INTEGER) {
                const sqlite3_int64 v = sqlite3_column_int64(stmt, i);
                if (c.kind == Read::Int16 && v >= -32768 && v <= 32767)
                    return cells.appendInt16(static_cast<std::int16_t>(v));
                if (c.kind == Read::Int64) return cells.appendInt64(v);
                return appendInteger(cells, v);
            }
            if (storage == SQLITE_FLOAT) return cells.appendDouble(sqlite3_column_double(stmt, i));
            break;
        case Read::Numeric:
            if (storage == SQLITE_INTEGER || storage == SQLITE_FLOAT)
                return cells.appendDouble(roundTo(sqlite3_column_double(stmt, i), c.scale));
            break;
        case Read::Currency:
            if (storage == SQLITE_INTEGER)
                return cells.appendCurrency(
                    vb::Currency::fromScaled(sqlite3_column_int64(stmt, i) * 10000));
            if (storage == SQLITE_FLOAT)
                return cells.appendCurrency(
                    vb::Currency::fromDouble(sqlite3_column_double(stmt, i)));
            if (storage == SQLITE_TEXT) {
                vb::Currency parsed;
                if (vb::Currency::parse(textOf(stmt, i).trimmed(), &parsed))
                    return cells.appendCurrency(parsed);
            }
            break;
        case Read::Double:
            if (storage == SQLITE_INTEGER || storage == SQLITE_FLOAT)
                return cells.appendDouble(sqlite3_column_double(stmt, i));
            break;
        case Read::Date:
            if (storage == SQLITE_TEXT) {
                return cells.appendText(
                    reinterpret_cast<const char*>(sqlite3_column_text(stmt, i)),
                    sqlite3_column_bytes(stmt, i), true);
            }
            if (storage == SQLITE_INTEGER) {
                if (auto date = tsql::readCompactDate(sqlite3_column_int64(stmt, i)))
                    return cells.append(*date);
            }
            break;
        case Read::Bit:
            if (storage == SQLITE_INTEGER || storage == SQLITE_FLOAT)
                return cells.appendInt32(sqlite3_column_double(stmt, i) != 0 ? 1 : 0);
            break;
        case Read::Blob:
            if (storage == SQLITE_BLOB || storage == SQLITE_TEXT) {
                return cells.appendBytes(static_cast<const char*>(sqlite3_column_blob(stmt, i)),
                                         sqlite3_column_bytes(stmt, i));
            }
            break;
        case Read::Expr:
            if (storage == SQLITE_TEXT) {
                // An expression's date (getdate(), MAX of a date column) comes back as a date.
                const char* t = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
                const int n = sqlite3_column_bytes(stmt, i);
                if (looksLikeDate(t, n) && vb::dates::readIso(t, n))
                    return cells.appendText(t, n, true);
                return cells.appendText(t, n);
            }
            break;
    }
    // A value SQLite stored in a type other than the column's: as it is.
    switch (storage) {
        case SQLITE_INTEGER:
            return appendInteger(cells, sqlite3_column_int64(stmt, i));
        case SQLITE_FLOAT:
            return cells.appendDouble(sqlite3_column_double(stmt, i));
        case SQLITE_BLOB:
            return cells.appendBytes(static_cast<const char*>(sqlite3_column_blob(stmt, i)),
                                     sqlite3_column_bytes(stmt, i));
        default:
            return cells.appendText(reinterpret_cast<const char*>(sqlite3_column_text(stmt, i)),
                                    sqlite3_column_bytes(stmt, i));
    }
}

// The type of an expression column, from its first value that is not Null.
void inferExpressionType(ResultSet& rs, long column) {
    Column& c = rs.columns[column];
    c.type = adVarChar;
    c.definedSize = 255;
    for (long r = 0; r < rs.rowCount(); ++r) {
        const vb::Variant v = rs.at(r, column);
        switch (v.type()) {
            case vb::Variant::Type::Null:
                continue;
            case vb::Variant::Type::Integer:
                c.type = adSmallInt;
                c.definedSize = 2;
                return;
            case vb::Variant::Type::Long:
                c.type = adInteger;
                c.definedSize = 4;
                return;
            case vb::Variant::Type::LongLong:
                c.type = adBigInt;
                c.definedSize = 8;
                return;
            case vb::Variant::Type::Double:
                c.type = adDouble;
                c.definedSize = 8;
                return;
            case vb::Variant::Type::Currency:
                c.type = adCurrency;
                c.definedSize = 8;
                return;
            case vb::Variant::Type::Date:
                c.type = adDBTimeStamp;
                c.definedSize = 16;
                return;
            case vb::Variant::Type::Bytes:
                c.type = adLongVarBinary;
                c.definedSize = 2147483647;
                return;
            default:
                return;
        }
    }
}

void bindValue(sqlite3_stmt* stmt, int index, const vb::Variant& v) {
    switch (v.type()) {
        case vb::Variant::Type::Empty:
        case vb::Variant::Type::Null:
            sqlite3_bind_null(stmt, index);
            break;
        case vb::Variant::Type::Boolean:
            sqlite3_bind_int(stmt, index, v.boolean() ? 1 : 0);
            break;
        case vb::Variant::Type::Integer:
        case vb::Variant::Type::Long:
        case vb::Variant::Type::LongLong:
            sqlite3_bind_int64(stmt, index, static_cast<sqlite3_int64>(v.wholeNumber()));
            break;
        case vb::Variant::Type::Currency: {
            const std::int64_t scaled = v.currency().scaled();
            if (scaled % 10000 == 0)
                sqlite3_bind_int64(stmt, index, scaled / 10000);
            else
                sqlite3_bind_double(stmt, index, v.currency().toDouble());
            break;
        }
        case vb::Variant::Type::Double:
            sqlite3_bind_double(stmt, index, v.number());
            break;
        case vb::Variant::Type::Date: {
            const QByteArray text = tsql::storedText(v.date()).toUtf8();
            sqlite3_bind_text(stmt, index, text.constData(), static_cast<int>(text.size()),
                              SQLITE_TRANSIENT);
            break;
        }
        case vb::Variant::Type::Bytes:
            sqlite3_bind_blob(stmt, index, v.bytes().constData(),
                              static_cast<int>(v.bytes().size()), SQLITE_TRANSIENT);
            break;
        default: {
            const QByteArray text = v.string().toUtf8();
            sqlite3_bind_text(stmt, index, text.constData(), static_cast<int>(text.size()),
                              SQLITE_TRANSIENT);
            break;
        }
    }
}

QString quoted(const QString& name) {
    if (name.compare(QLatin1String("_rowid_"), Qt::CaseInsensitive) == 0) return name;
    QString n = name;
    return QLatin1Char('[') + n.replace(QLatin1Char(']'), QLatin1String("]]")) + QLatin1Char(']');
}

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

Error cursorError(long number, const QString& text) {
    return Error{number, text, QStringLiteral("Microsoft Cursor Engine"), QString(), 0};
}

bool matches(const QList<vb::Variant>& criteria, int index, const QString& value) {
    if (!restricts(criteria, index)) return true;
    return vb::CStr(criteria[index]).compare(value, Qt::CaseInsensitive) == 0;
}

}  // namespace

SqliteBackend::SqliteBackend()
    : connectionName_(QStringLiteral("zentrik-ado-%1").arg(++connectionCounter)) {}

// One call that runs SQL on the handle: CommandTimeout counts from its start, as SQL Server's
// provider cancels a command still running at that time. A call made between the rows of
// another (by the reader of those rows) has a time of its own.
class SqliteBackend::Command {
public:
    // A call of its own, its time counted from now.
    explicit Command(SqliteBackend& b) : b_(b), own_(b.deadlineFromNow()), previous_(b.command_) {
        b_.command_ = &own_;
    }
    // A step of a longer call (the rows of a cursor), on that call's time.
    Command(SqliteBackend& b, Deadline& deadline) : b_(b), previous_(b.command_) {
        b_.command_ = &deadline;
    }
    ~Command() { b_.command_ = previous_; }
    Command(const Command&) = delete;
    Command& operator=(const Command&) = delete;

private:
    SqliteBackend& b_;
    Deadline own_;
    Deadline* const previous_;
};

namespace {

// SQLite's virtual machine steps between two looks at the clock: a few microseconds of work.
constexpr int kStepsBetweenLooks = 1000;

}  // namespace

SqliteBackend::Deadline SqliteBackend::deadlineFromNow() const {
    return Deadline{Clock::now() + std::chrono::seconds(timeoutSeconds_)};
}

std::optional<SqliteBackend::Clock::time_point> SqliteBackend::limit() const {
    if (timeoutSeconds_ <= 0) return std::nullopt;
    if (command_ && !command_->answering) return command_->at;
    return waitingSince_ + std::chrono::seconds(timeoutSeconds_);
}

bool SqliteBackend::pastLimit() {
    if (command_ && command_->passed) return true;
    const std::optional<Clock::time_point> end = limit();
    const bool past = end && Clock::now() >= *end;
    if (command_) command_->passed = past;
    return past;
}

int SqliteBackend::onProgress(void* self) {
    auto* b = static_cast<SqliteBackend*>(self);
    // A command that has begun to answer is not cut: its rows are read whole.
    return b->command_ && !b->command_->answering && b->pastLimit() ? 1 : 0;
}

int SqliteBackend::onBusy(void* self, int count) {
    auto* b = static_cast<SqliteBackend*>(self);
    if (count == 0) b->waitingSince_ = Clock::now();
    if (b->pastLimit()) return 0;
    // Short looks first, as most locks are let go at once; then every 20 ms.
    auto pause = std::chrono::milliseconds(count < 10 ? 1 + count : 20);
    if (const std::optional<Clock::time_point> end = b->limit()) {
        pause = std::min(pause, std::chrono::ceil<std::chrono::milliseconds>(*end - Clock::now()));
    }
    std::this_thread::sleep_for(pause);
    return 1;
}

namespace {

QString loginFile(const QString& databaseFile) {
    const QFileInfo info(databaseFile);
    return info.dir().filePath(info.completeBaseName() + QStringLiteral(".login"));
}

QByteArray passwordDigest(const QByteArray& salt, const QString& password) {
    return QCryptographicHash::hash(salt + password.toUtf8(), QCryptographicHash::Sha256).toHex();
}

// One line of a login file: the user, tab, the salt, tab, the password's digest.
struct RecordedLogin {
    QString user;
    QByteArray salt, digest;

    bool isUser(const QString& name) const {
        return user.compare(name.trimmed(), Qt::CaseInsensitive) == 0;
    }
};

QList<RecordedLogin> recordedLogins(const QString& path) {
    QList<RecordedLogin> logins;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return logins;
    for (const QByteArray& line : f.readAll().split('\n')) {
        const QList<QByteArray> parts = line.trimmed().split('\t');
        if (parts.size() == 3) logins.append({QString::fromUtf8(parts[0]), parts[1], parts[2]});
    }
    return logins;
}

// Whether others than the file's owner may read or change it.
bool openToOthers(const QFile& f) {
    constexpr QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                                QFileDevice::ReadOther | QFileDevice::WriteOther;
    return (f.permissions() & others) != QFileDevice::Permissions();
}

[[noreturn]] void refuseLogin(const QString& why) {
    throw ProviderFailure{{sqlServerError(18456, why)}};
}

// Raises SQL Server's refused login unless the database records this login, and both the
// database and its login file are its owner's alone: what others can read or change guards
// nothing. A database that records no login lets none in, as SQL Server refuses a login it
// does not know.
void checkLogin(const QString& databaseFile, const QString& user, const QString& password) {
    const QString blocked = QStringLiteral(
        " puede ser leído o modificado por otros usuarios: no se admite ningún ingreso hasta "
        "que sólo su dueño pueda leerlo y modificarlo (chmod 600).");
    QFile f(loginFile(databaseFile));
    if (!f.exists()) {
        refuseLogin(QStringLiteral("No existe el archivo de acceso %1: la base de datos no "
                                   "registra ningún ingreso y no se admite ninguno.")
                        .arg(f.fileName()));
    }
    if (openToOthers(f))
        refuseLogin(QStringLiteral("El archivo de acceso %1").arg(f.fileName()) + blocked);
    if (openToOthers(QFile(databaseFile)))
        refuseLogin(QStringLiteral("El archivo de base de datos %1").arg(databaseFile) + blocked);
    const QList<RecordedLogin> logins = recordedLogins(f.fileName());
    const bool admitted = std::any_of(logins.begin(), logins.end(), [&](const RecordedLogin& l) {
        return l.isUser(user) && passwordDigest(l.salt, password) == l.digest;
    });
    if (!admitted) refuseLogin(QStringLiteral("Login failed for user '%1'.").arg(user));
}

}  // namespace

namespace {

// Writes the login file with this login, after the others it records when `keepOthers`.
bool writeLogin(const QString& databaseFile, const QString& user, const QString& password,
                bool keepOthers, QString* error) {
    const QString path = loginFile(databaseFile);
    const QString name = user.trimmed();
    if (name.isEmpty() || name.contains(u'\t') || name.contains(u'\n') || name.contains(u'\r')) {
        if (error) *error = QStringLiteral("%1: not a login name: '%2'").arg(path, user);
        return false;
    }
    QByteArray text;
    if (keepOthers) {
        for (const RecordedLogin& l : recordedLogins(path)) {
            if (!l.isUser(name)) text += l.user.toUtf8() + '\t' + l.salt + '\t' + l.digest + '\n';
        }
    }
    const QByteArray salt = QUuid::createUuid().toRfc4122().toHex();
    text += name.toUtf8() + '\t' + salt + '\t' + passwordDigest(salt, password) + '\n';
    QString why;
    if (!vb::replaceFile(path, text, 0600, &why)) {
        if (error) *error = QStringLiteral("%1: %2").arg(path, why);
        return false;
    }
    return true;
}

}  // namespace

bool recordEmbeddedLogin(const QString& databaseFile, const QString& user, const QString& password,
                         QString* error) {
    return writeLogin(databaseFile, user, password, false, error);
}

bool addEmbeddedLogin(const QString& databaseFile, const QString& user, const QString& password,
                      QString* error) {
    return writeLogin(databaseFile, user, password, true, error);
}

SqliteBackend::~SqliteBackend() {
    close();
}

QString SqliteBackend::findDatabaseFile(const QString& name) const {
    const QDir dir(folder_);
    const QString wanted = name + QStringLiteral(".db");
    if (QFileInfo(dir.filePath(wanted)).isFile()) return dir.filePath(wanted);
    // Database names are not case-sensitive on SQL Server; file names here are.
    const QStringList entries = dir.entryList(QDir::Files);
    for (const QString& entry : entries) {
        if (entry.compare(wanted, Qt::CaseInsensitive) == 0) return dir.filePath(entry);
    }
    return {};
}

void SqliteBackend::open(const ConnectionSettings& settings) {
    close();
    jet_ = settings.kind == ProviderKind::Jet;
    if (jet_) {
        folder_.clear();
        database_.clear();
        const QString path = settings.dataSource;
        if (!QFileInfo(path).isFile()) {
            throw ProviderFailure{
                {Error{err::ProviderFailure, QStringLiteral("Could not find file '%1'.").arg(path),
                       QStringLiteral("Microsoft JET Database Engine"), QStringLiteral("3024"),
                       -535032811}}};
        }
        openFile(path);
        return;
    }
    folder_ = settings.server;
    if (folder_.isEmpty() || !QFileInfo(folder_).isDir()) {
        throw ProviderFailure{
            {sqlServerError(17, QStringLiteral("[DBNETLIB][ConnectionOpen (Connect()).]SQL "
                                               "Server does not exist or access denied."))}};
    }
    database_ = settings.database.trimmed();
    // Kept for the database chosen later, whose login is checked then.
    user_ = settings.user;
    password_ = settings.password;
    if (database_.isEmpty()) {
        // No database named: the server's own, which holds none of the system's tables.
        openFile(QStringLiteral(":memory:"));
        return;
    }
    const QString file = findDatabaseFile(database_);
    if (file.isEmpty()) {
        throw ProviderFailure{{sqlServerError(
            4060, QStringLiteral("Cannot open database \"%1\" requested by the login. The "
                                 "login failed.")
                      .arg(database_))}};
    }
    checkLogin(file, settings.user, settings.password);
    openFile(file);
}

void SqliteBackend::openFile(const QString& path) {
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName_);
        qtConnectionAdded();
        db.setDatabaseName(path);
        if (!db.open()) {
            const QString text = db.lastError().text();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(connectionName_);
            throw ProviderFailure{{Error{err::ProviderFailure, text, sqlServerSource(),
                                         QStringLiteral("08001"), 0}}};
        }
        const QVariant handle = db.driver()->handle();
        if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0)
            db_ = *static_cast<sqlite3* const*>(handle.constData());
    }
    if (!db_) {
        closeFile();
        throw ProviderFailure{
            {Error{err::ProviderFailure, QStringLiteral("The SQLite driver gave no handle."),
                   sqlServerSource(), QStringLiteral("HY000"), 0}}};
    }
    sqlite3_extended_result_codes(db_, 1);
    // Both the wait for another program's lock and the statement itself end at the command's
    // time.
    sqlite3_busy_handler(db_, &SqliteBackend::onBusy, this);
    sqlite3_progress_handler(db_, kStepsBetweenLooks, &SqliteBackend::onProgress, this);
    // A file that is not a database fails here rather than at the first query.
    char* message = nullptr;
    if (sqlite3_exec(db_, "PRAGMA foreign_keys = ON; SELECT count(*) FROM sqlite_master;", nullptr,
                     nullptr, &message) != SQLITE_OK) {
        const QString text = QString::fromUtf8(message ? message : "");
        sqlite3_free(message);
        closeFile();
        if (jet_) {
            throw ProviderFailure{{Error{
                err::ProviderFailure,
                QStringLiteral("Unrecognized database format '%1'.").arg(path),
                QStringLiteral("Microsoft JET Database Engine"), QStringLiteral("3343"), 0}}};
        }
        throw ProviderFailure{
            {Error{err::ProviderFailure, text, sqlServerSource(), QStringLiteral("HY000"), 0}}};
    }
    prepareSqliteConnection(db_);
    trancount_ = 0;
}

void SqliteBackend::closeFile() {
    db_ = nullptr;
    if (!qtConnectionsUsable()) return;  // the process is ending
    if (QSqlDatabase::contains(connectionName_)) {
        {
            QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(connectionName_);
    }
}

void SqliteBackend::close() {
    closeFile();
    trancount_ = 0;
}

void SqliteBackend::setDefaultDatabase(const QString& name) {
    const QString wanted = name.trimmed();
    if (jet_ || wanted.compare(database_, Qt::CaseInsensitive) == 0) return;
    const QString file = findDatabaseFile(wanted);
    if (file.isEmpty()) {
        throw ProviderFailure{{Error{err::ProviderFailure,
                                     QStringLiteral("Database '%1' does not exist. Make sure "
                                                    "that the name is entered correctly.")
                                         .arg(wanted),
                                     sqlServerSource(), QStringLiteral("42000"), 911}}};
    }
    checkLogin(file, user_, password_);
    closeFile();
    openFile(file);
    database_ = wanted;
}

void SqliteBackend::setCommandTimeout(long seconds) {
    // ADO's 0 waits without limit; beyond some weeks is without limit too.
    timeoutSeconds_ = std::clamp(seconds, 0L, 2000000L);
}

// A batch run statement by statement up to its first result with columns, whose rows are read
// as they are asked for; the rest of the batch runs when the reader finishes. Its time is one
// command's up to the result's first row and again from the reader's finish: the reading of
// the rows, the engine's and the caller's time alike, is not counted, as SQL Server's provider
// cancels only a command that has not begun to answer.
class SqliteBackend::Reader : public Cursor {
public:
    // Raises the closed connection's failure when the handle is gone.
    Reader(SqliteBackend& b, const QString& batch, const QList<vb::Variant>& parameters,
           bool editable);
    ~Reader() override;
    BatchOutcome finish() override;

protected:
    bool fetch(ResultSet& rows) override;
    void fetchAll(ResultSet& rows) override;
    void complete(ResultSet& rows) override;

private:
    // Runs the statements left up to the one that gives the result (none once it was given), or
    // to the end of the batch.
    void runUntilResult();
    // The statement that gives the result: its columns and how their values are read.
    void startResult(sqlite3_stmt* stmt, const QString& sql, bool rowidFirst);
    // Reads the next row of the result into `rows`, or every row left; false at the end of the
    // rows or on a failure.
    bool step(ResultSet& rows, bool toTheEnd);
    // A statement whose rows, if any, nobody reads.
    void runWhole(sqlite3_stmt* stmt, const QString& sql);
    void endStatement(sqlite3_stmt* stmt, int changesBefore);
    // After each statement: nothing more runs once the command's time is out.
    void ranOne();
    bool bindParameters(sqlite3_stmt* stmt);
    // The result gave its first row: the command's time stands still while its rows are read.
    void answer();
    // The rows were read: the command's time runs again, where it stood at the first row.
    void resume();
    void fail(const Error& e);

    SqliteBackend& b_;
    BatchOutcome out_;
    const QList<vb::Variant> parameters_;
    qsizetype nextParameter_ = 0;
    const bool editable_;
    Deadline deadline_;
    Clock::time_point answeredAt_;  // when the result gave its first row
    QList<tsql::Statement> statements_;
    qsizetype nextStatement_ = 0;
    // The schema the statements were translated against; -1 once an earlier statement changed
    // it, after which each is translated again as it comes to run.
    int schema_ = -1;
    QByteArray text_;  // the statement text being run, and how far
    const char* p_ = nullptr;
    const char* end_ = nullptr;
    bool stopped_ = false;  // nothing more of the batch runs
    bool finished_ = false;

    // The result's statement, while its rows are read.
    sqlite3_stmt* stmt_ = nullptr;
    bool haveResult_ = false;
    bool rowsDone_ = false;
    bool resultFailed_ = false;
    QString sql_;
    bool rowidFirst_ = false;
    int first_ = 0;
    int n_ = 0;
    std::vector<ReadColumn> reads_;
    int changesBefore_ = 0;
};

SqliteBackend::Reader::Reader(SqliteBackend& b, const QString& batch,
                              const QList<vb::Variant>& parameters, bool editable)
    : b_(b), parameters_(parameters), editable_(editable), deadline_(b.deadlineFromNow()) {
    if (!b_.db_)
        throw ProviderFailure{
            {cursorError(err::ProviderFailure, QStringLiteral("The connection is closed."))}};
    if (!refuseNul(batch, out_) || !refuseDeepNesting(batch, out_)) {
        stopped_ = true;
        return;
    }
    const Command command(b_, deadline_);
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
    answeredAt_ = Clock::now();
}

void SqliteBackend::Reader::resume() {
    if (!deadline_.answering) return;
    deadline_.answering = false;
    deadline_.at += Clock::now() - answeredAt_;
}

bool SqliteBackend::Reader::fetch(ResultSet& rows) {
    if (!stmt_ || rowsDone_) return false;
    const Command command(b_, deadline_);
    const bool read = step(rows, false);
    if (read) answer();
    return read;
}

void SqliteBackend::Reader::fetchAll(ResultSet& rows) {
    if (!stmt_ || rowsDone_) return;
    const Command command(b_, deadline_);
    if (!deadline_.answering) {
        // Up to the first row (a sort, a scan that finds none) on the command's time.
        if (!step(rows, false)) return;
        answer();
    }
    step(rows, true);
}

void SqliteBackend::Reader::complete(ResultSet& rows) {
    if (!stmt_ || resultFailed_) return;
    const Command command(b_, deadline_);
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
        const Command command(b_, deadline_);
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

std::unique_ptr<Cursor> SqliteBackend::start(const QString& batch,
                                             const QList<vb::Variant>& parameters) {
    return std::make_unique<Reader>(*this, batch, parameters, false);
}

ResultSet SqliteBackend::query(const QString& text, bool editable) {
    Reader reader(*this, text, {}, editable);
    ResultSet rows = reader.readAll();
    const BatchOutcome out = reader.finish();
    if (out.failed) throw ProviderFailure{out.errors};
    return rows;
}

void SqliteBackend::describeEditing(sqlite3_stmt* stmt, bool rowidFirst, ResultSet& rs) {
    const int n = sqlite3_column_count(stmt);
    QString table;
    for (int i = rowidFirst ? 1 : 0; i < n; ++i) {
        const char* t = sqlite3_column_table_name(stmt, i);
        if (!t) return;
        const QString name = QString::fromUtf8(t);
        if (table.isEmpty()) {
            table = name;
        } else if (name.compare(table, Qt::CaseInsensitive) != 0) {
            return;
        }
    }
    if (table.isEmpty()) return;
    rs.table = table;
    if (rowidFirst) {
        const char* t = sqlite3_column_table_name(stmt, 0);
        if (t && QString::fromUtf8(t).compare(table, Qt::CaseInsensitive) == 0) {
            rs.keyColumns = {QStringLiteral("_rowid_")};
            return;
        }
    }
    rs.keys.clear();
    // Without a rowid the primary key finds the row, when the result shows all of it.
    QStringList pk;
    sqlite3_stmt* info = nullptr;
    const QByteArray sql = "SELECT name FROM pragma_table_info(?) WHERE pk > 0 ORDER BY pk";
    if (sqlite3_prepare_v2(db_, sql.constData(), -1, &info, nullptr) != SQLITE_OK) return;
    const QByteArray name = table.toUtf8();
    sqlite3_bind_text(info, 1, name.constData(), -1, SQLITE_TRANSIENT);
    while (sqlite3_step(info) == SQLITE_ROW) pk << textOf(info, 0);
    sqlite3_finalize(info);
    if (pk.isEmpty()) return;
    QList<long> positions;
    for (const QString& key : pk) {
        long at = -1;
        for (long i = 0; i < rs.columnCount(); ++i) {
            if (rs.columns[i].baseColumn.compare(key, Qt::CaseInsensitive) == 0) {
                at = i;
                break;
            }
        }
        if (at < 0) return;
        positions << at;
    }
    rs.keyColumns = pk;
    for (long r = 0; r < rs.rowCount(); ++r) {
        for (long at : positions) rs.keys.push_back(rs.at(r, at));
    }
}

bool SqliteBackend::exec(const char* sql, BatchOutcome& out) {
    if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK) return true;
    out.errors << sqliteError(db_, QString::fromLatin1(sql));
    out.failed = true;
    return false;
}

void SqliteBackend::applyTransaction(Tx tx, BatchOutcome& out) {
    switch (tx) {
        case Tx::Begin:
            if (trancount_ == 0 && !exec("BEGIN", out)) return;
            ++trancount_;
            break;
        case Tx::Commit:
            if (trancount_ == 0) {
                out.errors << sqlServerError(3902,
                                             QStringLiteral("The COMMIT TRANSACTION request has "
                                                            "no corresponding BEGIN "
                                                            "TRANSACTION."));
                out.failed = true;
            } else if (trancount_ == 1) {
                if (exec("COMMIT", out) || sqlite3_get_autocommit(db_)) trancount_ = 0;
            } else {
                --trancount_;
            }
            break;
        case Tx::Rollback:
            // With no transaction there is nothing to undo; SQL Server's complaint is not needed.
            if (trancount_ > 0) exec("ROLLBACK", out);
            trancount_ = 0;
            break;
        case Tx::None:
            break;
    }
}

long SqliteBackend::beginTransaction() {
    const Command command(*this);
    BatchOutcome out;
    applyTransaction(Tx::Begin, out);
    if (out.failed) throw ProviderFailure{out.errors};
    return trancount_;
}

void SqliteBackend::commitTransaction() {
    if (trancount_ == 0) {
        throw ProviderFailure{
            {Error{err::NoTransaction, QStringLiteral("No transaction is active."),
                   sqlServerSource(), QStringLiteral("25000"), 0}}};
    }
    const Command command(*this);
    BatchOutcome out;
    applyTransaction(Tx::Commit, out);
    if (out.failed) throw ProviderFailure{out.errors};
}

void SqliteBackend::rollbackTransaction() {
    if (trancount_ == 0) {
        throw ProviderFailure{
            {Error{err::NoTransaction, QStringLiteral("No transaction is active."),
                   sqlServerSource(), QStringLiteral("25000"), 0}}};
    }
    const Command command(*this);
    BatchOutcome out;
    applyTransaction(Tx::Rollback, out);
    if (out.failed) throw ProviderFailure{out.errors};
}

ResultSet SqliteBackend::schema(long schema, const QList<vb::Variant>& criteria) {
    if (!db_)
        throw ProviderFailure{
            {cursorError(err::ProviderFailure, QStringLiteral("The connection is closed."))}};
    const Command command(*this);
    const vb::Variant catalog = jet_ ? vb::Variant::null() : vb::Variant(database_);
    const vb::Variant owner = jet_ ? vb::Variant::null() : vb::Variant("dbo");
    ResultSet rs = schemaShape(schema);
    const bool outside =
        !jet_ && (!matches(criteria, 0, database_) || !matches(criteria, 1, "dbo"));

    // Tables and views, by name.
    struct Object {
        QString name;
        QString type;
    };
    QList<Object> objects;
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db_,
                       "SELECT name, upper(type) FROM sqlite_master WHERE type IN ('table', "
                       "'view') AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY name",
                       -1, &stmt, nullptr);
    while (stmt && sqlite3_step(stmt) == SQLITE_ROW)
        objects.append({textOf(stmt, 0), textOf(stmt, 1)});
    sqlite3_finalize(stmt);

    if (schema == adSchemaTables) {
        if (outside) return rs;
        for (const Object& o : objects) {
            if (!matches(criteria, 2, o.name) || !matches(criteria, 3, o.type)) continue;
            rs.appendRow(
                {catalog, owner, o.name, o.type, vb::Variant::null(), vb::Variant::null()});
        }
        return rs;
    }

    if (outside) return rs;
    for (const Object& o : objects) {
        if (!matches(criteria, 2, o.name)) continue;
        sqlite3_prepare_v2(db_,
                           "SELECT cid, name, type, \"notnull\", dflt_value FROM "
                           "pragma_table_info(?) ORDER BY cid",
                           -1, &stmt, nullptr);
        const QByteArray table = o.name.toUtf8();
        sqlite3_bind_text(stmt, 1, table.constData(), -1, SQLITE_TRANSIENT);
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            const QString name = textOf(stmt, 1);
            if (!matches(criteria, 3, name)) continue;
            const DeclaredType t = declaredType(textOf(stmt, 2));
            const bool hasDefault = sqlite3_column_type(stmt, 4) != SQLITE_NULL;
            const bool text = isTextType(t.type);
            const bool number = isNumberType(t.type) || t.type == adCurrency;
            rs.appendRow(
                {catalog, owner, o.name, name, vb::Variant(sqlite3_column_int(stmt, 0) + 1),
                 vb::Variant(static_cast<long>(hasDefault ? 1 : 0)),
                 hasDefault ? vb::Variant(textOf(stmt, 4)) : vb::Variant::null(),
                 vb::Variant(static_cast<long>(sqlite3_column_int(stmt, 3) ? 0 : 1)),
                 vb::Variant(static_cast<std::int16_t>(t.type)),
                 text ? vb::Variant(t.definedSize) : vb::Variant::null(),
                 number ? vb::Variant(static_cast<std::int16_t>(t.type == adNumeric ? 18 : 0))
                        : vb::Variant::null(),
                 t.type == adNumeric ? vb::Variant(static_cast<std::int16_t>(
                                           t.scale < 0 ? kDefaultScale : t.scale))
                                     : vb::Variant::null()});
        }
        sqlite3_finalize(stmt);
    }
    return rs;
}

RowRead SqliteBackend::writeRow(const RowWrite& w) {
    if (!db_)
        throw ProviderFailure{
            {cursorError(err::ProviderFailure, QStringLiteral("The connection is closed."))}};
    const Command command(*this);
    const bool insert = w.keyValues.isEmpty();
    // Each value meets its column's declared type as a statement's value does.
    const QList<tsql::Column> declared = tsql::columnsIn(db_)(w.table);
    const auto marker = [&](const QString& column) {
        for (const tsql::Column& c : declared) {
            if (c.name.compare(column, Qt::CaseInsensitive) == 0)
                return tsql::storedParameter(c.declaredType);
        }
        return QStringLiteral("?");
    };
    QString sql;
    if (insert) {
        if (w.columns.isEmpty()) {
            sql = QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoted(w.table));
        } else {
            QStringList names, marks;
            for (const QString& c : w.columns) {
                names << quoted(c);
                marks << marker(c);
            }
            sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                      .arg(quoted(w.table), names.join(QStringLiteral(", ")),
                           marks.join(QStringLiteral(", ")));
        }
    } else {
        QStringList sets, where;
        for (const QString& c : w.columns) sets << quoted(c) + QStringLiteral(" = ") + marker(c);
        for (const QString& k : w.keyColumns) where << quoted(k) + QStringLiteral(" = ?");
        sql = QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                  .arg(quoted(w.table), sets.join(QStringLiteral(", ")),
                       where.join(QStringLiteral(" AND ")));
    }
    const auto fail = [&](const QString& statement) -> ProviderFailure {
        return ProviderFailure{{sqliteError(db_, statement)}};
    };
    sqlite3_stmt* stmt = nullptr;
    const QByteArray utf8 = sql.toUtf8();
    if (sqlite3_prepare_v2(db_, utf8.constData(), -1, &stmt, nullptr) != SQLITE_OK)
        throw fail(sql);
    int index = 1;
    for (const vb::Variant& v : w.values) bindValue(stmt, index++, v);
    if (!insert) {
        for (const vb::Variant& v : w.keyValues) bindValue(stmt, index++, v);
    }
    if (sqlite3_step(stmt) != SQLITE_DONE) {
        const ProviderFailure failure = fail(sql);
        sqlite3_finalize(stmt);
        throw failure;
    }
    sqlite3_finalize(stmt);
    if (trancount_ > 0 && sqlite3_get_autocommit(db_)) trancount_ = 0;
    if (!insert && sqlite3_changes(db_) == 0) {
        throw ProviderFailure{
            {cursorError(err::RowNotFound, QStringLiteral("Row cannot be located for updating. "
                                                          "Some values may have been changed "
                                                          "since it was last read."))}};
    }

    // Read the row back as stored: defaults, identity, conversions.
    QStringList read;
    for (const QString& c : w.readBack) read << (c.isEmpty() ? QStringLiteral("NULL") : quoted(c));
    for (const QString& k : w.keyColumns) read << quoted(k);
    QString where;
    QList<vb::Variant> whereValues;
    const bool byRowid =
        insert || (w.keyColumns.size() == 1 &&
                   w.keyColumns[0].compare(QLatin1String("_rowid_"), Qt::CaseInsensitive) == 0);
    if (byRowid) {
        where = QStringLiteral("_rowid_ = ?");
        whereValues << (insert
                            ? vb::Variant(static_cast<long long>(sqlite3_last_insert_rowid(db_)))
                            : w.keyValues[0]);
    } else {
        QStringList parts;
        for (qsizetype i = 0; i < w.keyColumns.size(); ++i) {
            parts << quoted(w.keyColumns[i]) + QStringLiteral(" = ?");
            const qsizetype assigned = w.columns.indexOf(w.keyColumns[i]);
            whereValues << (assigned >= 0 ? w.values[assigned] : w.keyValues[i]);
        }
        where = parts.join(QStringLiteral(" AND "));
    }
    const QString select = QStringLiteral("SELECT %1 FROM %2 WHERE %3")
                               .arg(read.join(QStringLiteral(", ")), quoted(w.table), where);
    const QByteArray selectUtf8 = select.toUtf8();
    if (sqlite3_prepare_v2(db_, selectUtf8.constData(), -1, &stmt, nullptr) != SQLITE_OK)
        throw fail(select);
    index = 1;
    for (const vb::Variant& v : whereValues) bindValue(stmt, index++, v);
    RowRead out;
    if (sqlite3_step(stmt) == SQLITE_ROW) {
        const int n = sqlite3_column_count(stmt);
        for (int i = 0; i < n; ++i) {
            const ReadColumn how =
                readFor(declaredType(QString::fromUtf8(sqlite3_column_decltype(stmt, i))));
            Cells one;
            appendCell(one, stmt, i, how);
            const vb::Variant v = one.value(0);
            if (i < w.readBack.size())
                out.values << v;
            else
                out.keyValues << v;
        }
    }
    sqlite3_finalize(stmt);
    return out;
}

}  // namespace ado
