#include "platform/ado/odbcbackend.h"

#include "platform/ado/datatype.h"
#include "platform/ado/qtconnections.h"
#include "platform/ado/tsql/tokens.h"
#include "platform/vb/conversions.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

#include <sql.h>
#include <sqlext.h>

#include <atomic>
#include <cmath>

namespace ado {

namespace {

std::atomic<int> connectionCounter{0};

const QString kOracleSource = QStringLiteral("OraOLEDB");

// FreeTDS and the driver manager put "[vendor][component]" in front of every message; SQL
// Server's own provider does not.
QString withoutPrefixes(QString text) {
    static const QRegularExpression prefix(QStringLiteral(R"(^(\[[^\]]*\])+\s*)"));
    return text.remove(prefix).trimmed();
}

QList<Error> diagnostics(SQLSMALLINT type, SQLHANDLE handle, const QString& source) {
    QList<Error> out;
    for (SQLSMALLINT i = 1;; ++i) {
        SQLCHAR state[SQL_SQLSTATE_SIZE + 1] = {};
        SQLINTEGER native = 0;
        SQLCHAR message[SQL_MAX_MESSAGE_LENGTH + 1] = {};
        SQLSMALLINT length = 0;
        const SQLRETURN rc =
            SQLGetDiagRec(type, handle, i, state, &native, message, sizeof message, &length);
        if (!SQL_SUCCEEDED(rc)) break;
        const QString sqlState = QString::fromLatin1(reinterpret_cast<const char*>(state));
        const QString text =
            withoutPrefixes(QString::fromUtf8(reinterpret_cast<const char*>(message),
                                              std::min<int>(length, SQL_MAX_MESSAGE_LENGTH)));
        out << Error{adoNumberFor(native, sqlState), text, source, sqlState, native};
    }
    return out;
}

DeclaredType odbcType(SQLSMALLINT sqlType, SQLULEN size, SQLSMALLINT digits,
                      const QString& typeName) {
    const long n = static_cast<long>(std::min<SQLULEN>(size, 2147483647));
    switch (sqlType) {
        case SQL_CHAR:
            return {adChar, n, -1};
        case SQL_VARCHAR:
            return {adVarChar, n, -1};
        case SQL_LONGVARCHAR:
            return {adLongVarChar, n, -1};
        case SQL_WCHAR:
            return {adWChar, n, -1};
        case SQL_WVARCHAR:
            return {adVarWChar, n, -1};
        case SQL_WLONGVARCHAR:
            return {adLongVarWChar, n, -1};
        case SQL_INTEGER:
            return {adInteger, 4, -1};
        case SQL_SMALLINT:
            return {adSmallInt, 2, -1};
        case SQL_TINYINT:
            return {adUnsignedTinyInt, 1, -1};
        case SQL_BIGINT:
            return {adBigInt, 8, -1};
        case SQL_DECIMAL:
        case SQL_NUMERIC:
            if (typeName.contains(QLatin1String("money"), Qt::CaseInsensitive))
                return {adCurrency, 8, -1};
            return {adNumeric, 19, digits};
        case SQL_REAL:
            return {adSingle, 4, -1};
        case SQL_FLOAT:
        case SQL_DOUBLE:
            return {adDouble, 8, -1};
        case SQL_BIT:
            return {adBoolean, 2, -1};
        case SQL_TYPE_DATE:
            return {adDBDate, 6, -1};
        case SQL_TYPE_TIME:
            return {adDBTime, 6, -1};
        case SQL_TIMESTAMP:
        case SQL_TYPE_TIMESTAMP:
            return {adDBTimeStamp, 16, -1};
        case SQL_BINARY:
            return {adBinary, n, -1};
        case SQL_VARBINARY:
            return {adVarBinary, n, -1};
        case SQL_LONGVARBINARY:
            return {adLongVarBinary, n, -1};
        default:
            return {adVarChar, n, -1};
    }
}

// The whole value of a text or binary column, read in pieces.
QByteArray readBytes(SQLHSTMT st, SQLUSMALLINT column, SQLSMALLINT cType, bool* isNull) {
    QByteArray out;
    char buffer[8192];
    const SQLLEN terminator = cType == SQL_C_CHAR ? 1 : 0;
    for (;;) {
        SQLLEN indicator = 0;
        const SQLRETURN rc = SQLGetData(st, column, cType, buffer, sizeof buffer, &indicator);
        if (rc == SQL_NO_DATA || !SQL_SUCCEEDED(rc)) break;
        if (indicator == SQL_NULL_DATA) {
            *isNull = true;
            return {};
        }
        const SQLLEN room = static_cast<SQLLEN>(sizeof buffer) - terminator;
        const SQLLEN got = (indicator == SQL_NO_TOTAL || indicator > room) ? room : indicator;
        out.append(buffer, static_cast<int>(got));
        if (rc == SQL_SUCCESS) break;
    }
    return out;
}

vb::Variant readValue(SQLHSTMT st, SQLUSMALLINT column, const DeclaredType& t) {
    SQLLEN indicator = 0;
    if (isIntegerType(t.type) || t.type == adBoolean) {
        SQLBIGINT v = 0;
        SQLGetData(st, column, SQL_C_SBIGINT, &v, 0, &indicator);
        if (indicator == SQL_NULL_DATA) return vb::Variant::null();
        if (t.type == adBoolean) return vb::Variant(v != 0 ? 1 : 0);
        if (t.type == adBigInt) return vb::Variant(static_cast<long long>(v));
        if (t.type == adSmallInt || t.type == adUnsignedTinyInt)
            return vb::Variant(static_cast<std::int16_t>(v));
        return vb::Variant(static_cast<int>(v));
    }
    if (t.type == adDouble || t.type == adSingle) {
        double v = 0;
        SQLGetData(st, column, SQL_C_DOUBLE, &v, 0, &indicator);
        if (indicator == SQL_NULL_DATA) return vb::Variant::null();
        return v;
    }
    if (isDateType(t.type)) {
        SQL_TIMESTAMP_STRUCT ts = {};
        SQLGetData(st, column, SQL_C_TYPE_TIMESTAMP, &ts, sizeof ts, &indicator);
        if (indicator == SQL_NULL_DATA) return vb::Variant::null();
        return vb::wallClock(QDate(ts.year, ts.month, ts.day),
                             QTime(ts.hour, ts.minute, ts.second, ts.fraction / 1000000));
    }
    bool isNull = false;
    if (isBinaryType(t.type)) {
        const QByteArray bytes = readBytes(st, column, SQL_C_BINARY, &isNull);
        return isNull ? vb::Variant::null() : vb::Variant(bytes);
    }
    const QString text = QString::fromUtf8(readBytes(st, column, SQL_C_CHAR, &isNull));
    if (isNull) return vb::Variant::null();
    if (t.type == adCurrency) {
        vb::Currency c;
        if (vb::Currency::parse(text.trimmed(), &c)) return c;
    }
    if (t.type == adNumeric || t.type == adDecimal) {
        bool ok = false;
        const double v = text.trimmed().toDouble(&ok);
        if (ok) return v;
    }
    return text;
}

vb::Variant fromQt(const QVariant& v) {
    if (v.isNull()) return vb::Variant::null();
    switch (v.metaType().id()) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Short:
        case QMetaType::UShort:
            return vb::Variant(v.toInt());
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
            return vb::Variant(v.toLongLong());
        case QMetaType::Double:
        case QMetaType::Float:
            return v.toDouble();
        case QMetaType::QDateTime:
            return vb::wallClock(v.toDateTime());
        case QMetaType::QDate:
            return v.toDate();
        case QMetaType::QByteArray:
            return v.toByteArray();
        case QMetaType::Bool:
            return vb::Variant(v.toBool() ? 1 : 0);
        default:
            return v.toString();
    }
}

QVariant toQt(const vb::Variant& v) {
    switch (v.type()) {
        case vb::Variant::Type::Empty:
        case vb::Variant::Type::Null:
            return QVariant(QMetaType::fromType<QString>());
        case vb::Variant::Type::Boolean:
            return v.boolean() ? 1 : 0;
        case vb::Variant::Type::Integer:
        case vb::Variant::Type::Long:
        case vb::Variant::Type::LongLong:
            return static_cast<qlonglong>(v.wholeNumber());
        case vb::Variant::Type::Double:
            return v.number();
        case vb::Variant::Type::Currency:
            return v.currency().toDouble();
        case vb::Variant::Type::Date:
            return v.date().toQDateTime();
        case vb::Variant::Type::Bytes:
            return v.bytes();
        default:
            return v.string();
    }
}

QString quoted(const QString& name) {
    QString n = name;
    return QLatin1Char('[') + n.replace(QLatin1Char(']'), QLatin1String("]]")) + QLatin1Char(']');
}

// ODBC connection-string value, braced when it holds ";" or "}".
QString odbcValue(const QString& v) {
    if (!v.contains(QLatin1Char(';')) && !v.contains(QLatin1Char('}')) &&
        !v.startsWith(QLatin1Char('{')))
        return v;
    QString inner = v;
    return QLatin1Char('{') + inner.replace(QLatin1Char('}'), QLatin1String("}}")) +
           QLatin1Char('}');
}

// The one table a SELECT reads: the name after its own FROM, when no join, second table or
// set operator follows at that level. Read on tokens, so literals and bracketed names cannot
// mislead it.
QString singleTable(const QString& sql) {
    const tsql::Tokens tokens = tsql::tokenize(sql);
    int depth = 0;
    qsizetype from = -1;
    for (qsizetype i = 0; i < tokens.size(); ++i) {
        const tsql::Token& t = tokens[i];
        if (t.is(tsql::Token::Kind::Open)) ++depth;
        if (t.is(tsql::Token::Kind::Close)) --depth;
        if (depth != 0) continue;
        if (from < 0) {
            if (t.isWord(u"FROM")) from = i;
            continue;
        }
        if (t.is(tsql::Token::Kind::Comma) || t.isWord(u"JOIN") || t.isWord(u"UNION") ||
            t.isWord(u"EXCEPT") || t.isWord(u"INTERSECT"))
            return {};
    }
    if (from < 0) return {};
    // The name, possibly qualified ("dbo.T", "[Mi Tabla]"): its last part.
    QString name;
    for (qsizetype i = tsql::nextSignificant(tokens, from + 1); i < tokens.size(); i += 2) {
        const tsql::Token& t = tokens[i];
        if (!t.is(tsql::Token::Kind::Word) && !t.is(tsql::Token::Kind::Quoted)) break;
        name = t.text;
        if (t.is(tsql::Token::Kind::Quoted)) name = name.mid(1, name.size() - 2);
        if (i + 1 >= tokens.size() || !tokens[i + 1].is(tsql::Token::Kind::Dot)) break;
    }
    return name;
}

}  // namespace

OdbcBackend::OdbcBackend()
    : connectionName_(QStringLiteral("zentrik-odbc-%1").arg(++connectionCounter)),
      source_(sqlServerSource()) {}

OdbcBackend::~OdbcBackend() {
    close();
}

QString OdbcBackend::sqlServerOdbcString(const ConnectionSettings& s) {
    QString host = s.server.trimmed();
    QString port;
    const qsizetype comma = host.indexOf(QLatin1Char(','));
    const qsizetype colon = host.indexOf(QLatin1Char(':'));
    const qsizetype cut = comma >= 0 ? comma : colon;
    if (cut >= 0) {
        port = host.mid(cut + 1).trimmed();
        host = host.left(cut).trimmed();
    }
    if (host.isEmpty() || host == QLatin1String(".") ||
        host.compare(QLatin1String("(local)"), Qt::CaseInsensitive) == 0)
        host = QStringLiteral("127.0.0.1");
    if (port.isEmpty() && !host.contains(QLatin1Char('\\'))) port = QStringLiteral("1433");
    QString text = QStringLiteral("DRIVER={FreeTDS};SERVER=%1;").arg(odbcValue(host));
    if (!port.isEmpty()) text += QStringLiteral("PORT=%1;").arg(odbcValue(port));
    if (!s.database.trimmed().isEmpty())
        text += QStringLiteral("DATABASE=%1;").arg(odbcValue(s.database.trimmed()));
    text += QStringLiteral("UID=%1;PWD=%2;TDS_Version=7.4;ClientCharset=UTF-8;")
                .arg(odbcValue(s.user), odbcValue(s.password));
    return text;
}

QString OdbcBackend::oracleDriver() {
    // The driver manager's lists, read here: its own answer is cached for the process.
    QStringList files;
    const QString system = qEnvironmentVariable("ODBCSYSINI", QStringLiteral("/etc"));
    files << QDir(system).filePath(
        qEnvironmentVariable("ODBCINSTINI", QStringLiteral("odbcinst.ini")));
    files << QDir::home().filePath(QStringLiteral(".odbcinst.ini"));
    static const QRegularExpression section(QStringLiteral(R"(^\s*\[([^\]]+)\]\s*$)"));
    for (const QString& path : files) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) continue;
        for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
            const QRegularExpressionMatch m = section.match(line);
            if (m.hasMatch() &&
                m.captured(1).contains(QLatin1String("Oracle"), Qt::CaseInsensitive))
                return m.captured(1).trimmed();
        }
    }
    return {};
}

void OdbcBackend::open(const ConnectionSettings& settings) {
    close();
    oracle_ = settings.kind == ProviderKind::Oracle;
    source_ = oracle_ ? kOracleSource : sqlServerSource();
    QString odbc;
    if (oracle_) {
        const QString driver = oracleDriver();
        if (driver.isEmpty()) {
            throw ProviderFailure{{Error{err::ProviderFailure,
                                         QStringLiteral("No Oracle ODBC driver is configured "
                                                        "(odbcinst.ini): the Oracle provider "
                                                        "needs one."),
                                         source_, QStringLiteral("IM002"), 0}}};
        }
        odbc = QStringLiteral("DRIVER={%1};DBQ=%2;UID=%3;PWD=%4;")
                   .arg(driver, odbcValue(settings.dataSource), odbcValue(settings.user),
                        odbcValue(settings.password));
    } else {
        odbc = sqlServerOdbcString(settings);
    }
    openDriver(odbc, settings.database, settings.loginTimeout);
}

void OdbcBackend::openDriver(const QString& odbc, const QString& database, long loginTimeout) {
    close();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), connectionName_);
        qtConnectionAdded();
        db.setDatabaseName(odbc);
        db.setConnectOptions(QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=%1").arg(loginTimeout));
        if (!db.open()) {
            const QSqlError e = db.lastError();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(connectionName_);
            // Qt joins the driver's records into one text; each "[vendor]" part is one.
            QList<Error> errors;
            const long native = e.nativeErrorCode().section(QLatin1Char(';'), -1).toLong();
            static const QRegularExpression parts(QStringLiteral(R"((?=\[\w+\]\[))"));
            for (const QString& part : e.databaseText().split(parts, Qt::SkipEmptyParts)) {
                const QString text = withoutPrefixes(part);
                if (!text.isEmpty())
                    errors << Error{err::ProviderFailure, text, source_, QStringLiteral("08001"),
                                    native};
            }
            if (errors.isEmpty())
                errors << Error{err::ProviderFailure, e.text(), source_, QStringLiteral("08001"),
                                native};
            throw ProviderFailure{errors};
        }
        const QVariant handle = db.driver()->handle();
        if (handle.isValid()) hdbc_ = *static_cast<void* const*>(handle.constData());
    }
    database_ = database.trimmed();
    if (!oracle_) {
        QSqlQuery q(QSqlDatabase::database(connectionName_, false));
        if (q.exec(QStringLiteral("SELECT DB_NAME()")) && q.next())
            database_ = q.value(0).toString();
    }
}

void OdbcBackend::close() {
    hdbc_ = nullptr;
    if (!qtConnectionsUsable()) return;  // the process is ending
    if (QSqlDatabase::contains(connectionName_)) {
        {
            QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(connectionName_);
    }
}

void OdbcBackend::setDefaultDatabase(const QString& name) {
    if (oracle_) return;
    runOrThrow(QStringLiteral("USE %1").arg(quoted(name.trimmed())));
    database_ = name.trimmed();
}

void OdbcBackend::setCommandTimeout(long seconds) {
    timeoutSeconds_ = seconds;
}

void OdbcBackend::setIsolationLevel(long level) {
    if (oracle_ || !hdbc_) return;
    const QString text = level == adXactReadUncommitted
                             ? QStringLiteral("SET TRANSACTION ISOLATION LEVEL READ UNCOMMITTED")
                             : QStringLiteral("SET TRANSACTION ISOLATION LEVEL READ COMMITTED");
    execute(text);
}

namespace {

// A value bound to a statement marker; it must stay where it is until the statement ran.
struct BoundValue {
    SQLLEN indicator = 0;
    SQLBIGINT integer = 0;
    double real = 0;
    SQL_TIMESTAMP_STRUCT timestamp = {};
    QByteArray bytes;
};

SQLRETURN bindParameter(SQLHSTMT st, SQLUSMALLINT index, const vb::Variant& v, BoundValue& b) {
    switch (v.type()) {
        case vb::Variant::Type::Empty:
        case vb::Variant::Type::Null:
            b.indicator = SQL_NULL_DATA;
            return SQLBindParameter(st, index, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 1, 0,
                                    nullptr, 0, &b.indicator);
        case vb::Variant::Type::Boolean:
        case vb::Variant::Type::Integer:
        case vb::Variant::Type::Long:
        case vb::Variant::Type::LongLong:
            b.integer = v.isBoolean() ? (v.boolean() ? 1 : 0) : v.wholeNumber();
            return SQLBindParameter(st, index, SQL_PARAM_INPUT, SQL_C_SBIGINT, SQL_BIGINT, 0, 0,
                                    &b.integer, 0, &b.indicator);
        case vb::Variant::Type::Double:
            b.real = v.number();
            return SQLBindParameter(st, index, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_DOUBLE, 0, 0,
                                    &b.real, 0, &b.indicator);
        case vb::Variant::Type::Currency:
            // As exact text, so no binary fraction creeps into an amount.
            b.bytes = v.currency().toPlainString().toLatin1();
            b.indicator = b.bytes.size();
            return SQLBindParameter(st, index, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_DECIMAL, 19, 4,
                                    b.bytes.data(), b.bytes.size(), &b.indicator);
        case vb::Variant::Type::Date: {
            const vb::DateTime d = v.date();
            b.timestamp.year = static_cast<SQLSMALLINT>(d.date().year());
            b.timestamp.month = static_cast<SQLUSMALLINT>(d.date().month());
            b.timestamp.day = static_cast<SQLUSMALLINT>(d.date().day());
            b.timestamp.hour = static_cast<SQLUSMALLINT>(d.time().hour());
            b.timestamp.minute = static_cast<SQLUSMALLINT>(d.time().minute());
            b.timestamp.second = static_cast<SQLUSMALLINT>(d.time().second());
            b.timestamp.fraction = static_cast<SQLUINTEGER>(d.time().msec()) * 1000000u;
            return SQLBindParameter(st, index, SQL_PARAM_INPUT, SQL_C_TYPE_TIMESTAMP,
                                    SQL_TYPE_TIMESTAMP, 23, 3, &b.timestamp, 0, &b.indicator);
        }
        case vb::Variant::Type::Bytes:
            b.bytes = v.bytes();
            b.indicator = b.bytes.size();
            return SQLBindParameter(st, index, SQL_PARAM_INPUT, SQL_C_BINARY, SQL_LONGVARBINARY,
                                    std::max<SQLULEN>(1, b.bytes.size()), 0, b.bytes.data(),
                                    b.bytes.size(), &b.indicator);
        default:
            b.bytes = v.string().toUtf8();
            b.indicator = b.bytes.size();
            return SQLBindParameter(st, index, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR,
                                    std::max<SQLULEN>(1, b.bytes.size()), 0, b.bytes.data(),
                                    b.bytes.size(), &b.indicator);
    }
}

}  // namespace

// A batch on its own statement handle: its results in turn up to the first with columns, whose
// rows are fetched as they are asked for; the rest when the reader finishes.
class OdbcBackend::Reader : public Cursor {
public:
    Reader(OdbcBackend& b, const QString& batch, const QList<vb::Variant>& parameters);
    ~Reader() override;
    BatchOutcome finish() override;

protected:
    bool fetch(ResultSet& rows) override;

private:
    // Goes through the batch's results up to the first with columns (none once it was given),
    // or to the end of the batch.
    void runUntilResult();
    void describeResult(SQLSMALLINT columns);
    void moveOn();
    void fail(const QList<Error>& errors);

    const QString source_;
    SQLHSTMT st_ = SQL_NULL_HSTMT;
    std::vector<BoundValue> bound_;  // read by the driver until the batch has run
    QByteArray text_;
    BatchOutcome out_;
    SQLRETURN rc_ = SQL_NO_DATA;  // of the last call that moved to a result
    int round_ = 0;
    QList<Error> previous_;
    bool ended_ = false;       // no result left
    bool haveResult_ = false;  // the result with columns was found
    bool atResult_ = false;    // its rows are being read; the next results wait
    bool inRows_ = false;      // rows may be left to fetch
    QList<DeclaredType> types_;
    bool finished_ = false;
};

OdbcBackend::Reader::Reader(OdbcBackend& b, const QString& batch,
                            const QList<vb::Variant>& parameters)
    : source_(b.source_) {
    ended_ = true;
    if (!b.hdbc_) {
        fail({Error{err::ProviderFailure, QStringLiteral("The connection is closed."), source_,
                    QStringLiteral("08003"), 0}});
        return;
    }
    if (!refuseNul(batch, out_)) return;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, b.hdbc_, &st_))) {
        st_ = SQL_NULL_HSTMT;
        fail(diagnostics(SQL_HANDLE_DBC, b.hdbc_, source_));
        return;
    }
    if (b.timeoutSeconds_ > 0) {
        SQLSetStmtAttr(st_, SQL_ATTR_QUERY_TIMEOUT,
                       reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(b.timeoutSeconds_)), 0);
    }
    bound_.resize(static_cast<size_t>(parameters.size()));
    for (qsizetype i = 0; i < parameters.size(); ++i) {
        if (!SQL_SUCCEEDED(bindParameter(st_, static_cast<SQLUSMALLINT>(i + 1), parameters[i],
                                         bound_[static_cast<size_t>(i)]))) {
            fail(diagnostics(SQL_HANDLE_STMT, st_, source_));
            return;
        }
    }
    text_ = batch.toUtf8();
    rc_ = SQLExecDirect(st_, reinterpret_cast<SQLCHAR*>(text_.data()),
                        static_cast<SQLINTEGER>(text_.size()));
    ended_ = false;
    runUntilResult();
}

OdbcBackend::Reader::~Reader() {
    if (st_ != SQL_NULL_HSTMT) SQLFreeHandle(SQL_HANDLE_STMT, st_);
}

void OdbcBackend::Reader::fail(const QList<Error>& errors) {
    out_.failed = true;
    out_.errors << errors;
}

void OdbcBackend::Reader::runUntilResult() {
    while (!ended_ && !atResult_) {
        const bool first = round_ == 0;
        if (rc_ == SQL_NO_DATA && !first) {
            ended_ = true;
            return;
        }
        if (rc_ == SQL_ERROR) {
            const QList<Error> found = diagnostics(SQL_HANDLE_STMT, st_, source_);
            // The same error again means the driver will not move on to the next statement.
            if (!first && (found.isEmpty() || found == previous_)) {
                ended_ = true;
                return;
            }
            fail(found);
            previous_ = found;
        } else if (SQL_SUCCEEDED(rc_) || rc_ == SQL_NO_DATA) {
            SQLSMALLINT columns = 0;
            SQLNumResultCols(st_, &columns);
            if (columns > 0 && !haveResult_) {
                describeResult(columns);
                return;
            }
            if (columns == 0) {
                SQLLEN count = -1;
                SQLRowCount(st_, &count);
                if (count >= 0) out_.addAffected(static_cast<long>(count));
            }
        }
        moveOn();
    }
}

void OdbcBackend::Reader::moveOn() {
    atResult_ = false;
    inRows_ = false;
    rc_ = SQLMoreResults(st_);
    if (rc_ == SQL_NO_DATA || rc_ == SQL_INVALID_HANDLE || ++round_ >= 100000) ended_ = true;
}

void OdbcBackend::Reader::describeResult(SQLSMALLINT columns) {
    haveResult_ = true;
    atResult_ = true;
    inRows_ = true;
    for (SQLUSMALLINT i = 1; i <= columns; ++i) {
        SQLCHAR name[256] = {};
        SQLSMALLINT nameLength = 0, sqlType = 0, digits = 0, nullable = 0;
        SQLULEN size = 0;
        SQLDescribeCol(st_, i, name, sizeof name, &nameLength, &sqlType, &size, &digits,
                       &nullable);
        SQLCHAR typeName[128] = {};
        SQLSMALLINT typeNameLength = 0;
        SQLColAttribute(st_, i, SQL_DESC_TYPE_NAME, typeName, sizeof typeName, &typeNameLength,
                        nullptr);
        const DeclaredType t = odbcType(
            sqlType, size, digits, QString::fromUtf8(reinterpret_cast<const char*>(typeName)));
        SQLCHAR base[256] = {};
        SQLSMALLINT baseLength = 0;
        SQLColAttribute(st_, i, SQL_DESC_BASE_COLUMN_NAME, base, sizeof base, &baseLength,
                        nullptr);
        const QString columnName = QString::fromUtf8(reinterpret_cast<const char*>(name));
        QString baseName = QString::fromUtf8(reinterpret_cast<const char*>(base));
        if (baseName.isEmpty()) baseName = columnName;
        row_.columns << Column{columnName, t.type, t.definedSize, baseName};
        types_ << t;
    }
}

bool OdbcBackend::Reader::fetch(ResultSet& rows) {
    if (!inRows_) return false;
    const SQLRETURN rc = SQLFetch(st_);
    if (SQL_SUCCEEDED(rc)) {
        for (SQLUSMALLINT i = 1; i <= types_.size(); ++i)
            rows.cells.append(readValue(st_, i, types_[i - 1]));
        return true;
    }
    inRows_ = false;
    if (rc == SQL_ERROR) fail(diagnostics(SQL_HANDLE_STMT, st_, source_));
    return false;
}

BatchOutcome OdbcBackend::Reader::finish() {
    if (finished_) return out_;
    finished_ = true;
    // The rows not read go with the move to the next result.
    if (atResult_ && !ended_) moveOn();
    runUntilResult();
    if (st_ != SQL_NULL_HSTMT) SQLFreeHandle(SQL_HANDLE_STMT, st_);
    st_ = SQL_NULL_HSTMT;
    out_.result.columns = row_.columns;
    return out_;
}

std::unique_ptr<Cursor> OdbcBackend::start(const QString& batch,
                                           const QList<vb::Variant>& parameters) {
    return std::make_unique<Reader>(*this, batch, parameters);
}

void OdbcBackend::runOrThrow(const QString& text) {
    BatchOutcome out = execute(text);
    if (out.failed) throw ProviderFailure{out.errors};
}

long OdbcBackend::scalar(const QString& text) {
    BatchOutcome out = execute(text);
    if (out.failed) throw ProviderFailure{out.errors};
    if (out.result.rowCount() == 0) return 0;
    return static_cast<long>(out.result.at(0, 0).number());
}

ResultSet OdbcBackend::query(const QString& text, bool editable) {
    BatchOutcome out = execute(text);
    if (out.failed) throw ProviderFailure{out.errors};
    ResultSet rs = std::move(out.result);
    if (!editable || oracle_ || !rs.hasColumns()) return rs;
    const QString table = singleTable(text);
    if (table.isEmpty()) return rs;
    rs.table = table;
    // The primary key finds a row again, when the result shows all of it.
    SQLHSTMT st = SQL_NULL_HSTMT;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, hdbc_, &st))) return rs;
    QByteArray name = table.toUtf8();
    QStringList pk;
    if (SQL_SUCCEEDED(SQLPrimaryKeys(st, nullptr, 0, nullptr, 0,
                                     reinterpret_cast<SQLCHAR*>(name.data()),
                                     static_cast<SQLSMALLINT>(name.size())))) {
        while (SQL_SUCCEEDED(SQLFetch(st))) {
            bool isNull = false;
            pk << QString::fromUtf8(readBytes(st, 4, SQL_C_CHAR, &isNull));
        }
    }
    SQLFreeHandle(SQL_HANDLE_STMT, st);
    QList<long> positions;
    for (const QString& key : pk) {
        long at = -1;
        for (long i = 0; i < rs.columnCount(); ++i) {
            if (rs.columns[i].baseColumn.compare(key, Qt::CaseInsensitive) == 0) at = i;
        }
        if (at < 0) return rs;
        positions << at;
    }
    if (positions.isEmpty()) return rs;
    rs.keyColumns = pk;
    for (long r = 0; r < rs.rowCount(); ++r) {
        for (long at : positions) rs.keys.push_back(rs.at(r, at));
    }
    return rs;
}

long OdbcBackend::beginTransaction() {
    runOrThrow(QStringLiteral("BEGIN TRANSACTION"));
    return scalar(QStringLiteral("SELECT @@TRANCOUNT"));
}

void OdbcBackend::commitTransaction() {
    runOrThrow(QStringLiteral("COMMIT TRANSACTION"));
}

void OdbcBackend::rollbackTransaction() {
    runOrThrow(QStringLiteral("ROLLBACK TRANSACTION"));
}

ResultSet OdbcBackend::schema(long schema, const QList<vb::Variant>& criteria) {
    // INFORMATION_SCHEMA gives both lists; the restrictions are bound, never pasted.
    QSqlQuery q(QSqlDatabase::database(connectionName_, false));
    QStringList where;
    QList<QVariant> values;
    const char* names[] = {"TABLE_CATALOG", "TABLE_SCHEMA", "TABLE_NAME",
                           schema == adSchemaTables ? "TABLE_TYPE" : "COLUMN_NAME"};
    for (int i = 0; i < 4; ++i) {
        if (!restricts(criteria, i)) continue;
        QString value = vb::CStr(criteria[i]);
        if (i == 3 && schema == adSchemaTables)
            value = value.compare(QLatin1String("TABLE"), Qt::CaseInsensitive) == 0
                        ? QStringLiteral("BASE TABLE")
                        : value;
        where << QStringLiteral("%1 = ?").arg(QString::fromLatin1(names[i]));
        values << value;
    }
    const QString filter = where.isEmpty()
                               ? QString()
                               : QStringLiteral(" WHERE ") + where.join(QStringLiteral(" AND "));
    const QString sql =
        schema == adSchemaTables
            ? QStringLiteral(
                  "SELECT TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME, CASE TABLE_TYPE "
                  "WHEN 'BASE TABLE' THEN 'TABLE' ELSE TABLE_TYPE END, NULL, NULL "
                  "FROM INFORMATION_SCHEMA.TABLES%1 ORDER BY TABLE_NAME")
                  .arg(filter)
            : QStringLiteral(
                  "SELECT TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME, COLUMN_NAME, "
                  "ORDINAL_POSITION, CASE WHEN COLUMN_DEFAULT IS NULL THEN 0 ELSE 1 "
                  "END, COLUMN_DEFAULT, CASE IS_NULLABLE WHEN 'YES' THEN 1 ELSE 0 END, "
                  "DATA_TYPE, CHARACTER_MAXIMUM_LENGTH, NUMERIC_PRECISION, "
                  "NUMERIC_SCALE FROM INFORMATION_SCHEMA.COLUMNS%1 ORDER BY "
                  "TABLE_NAME, ORDINAL_POSITION")
                  .arg(filter);
    q.prepare(sql);
    for (const QVariant& v : values) q.addBindValue(v);
    if (!q.exec()) {
        throw ProviderFailure{
            {Error{err::ProviderFailure, withoutPrefixes(q.lastError().databaseText()), source_,
                   QStringLiteral("HY000"), q.lastError().nativeErrorCode().toLong()}}};
    }
    ResultSet rs = schemaShape(schema);
    while (q.next()) {
        for (int i = 0; i < rs.columnCount(); ++i) {
            vb::Variant v = fromQt(q.value(i));
            if (schema == adSchemaColumns && i == 8 && !v.isNull())
                v = vb::Variant(static_cast<std::int16_t>(declaredType(v.string()).type));
            rs.cells.append(v);
        }
    }
    return rs;
}

RowRead OdbcBackend::writeRow(const RowWrite& w) {
    QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
    QSqlQuery q(db);
    const bool insert = w.keyValues.isEmpty();
    QString sql;
    QStringList names, marks, sets, where;
    for (const QString& c : w.columns) {
        names << quoted(c);
        marks << QStringLiteral("?");
        sets << quoted(c) + QStringLiteral(" = ?");
    }
    for (const QString& k : w.keyColumns) where << quoted(k) + QStringLiteral(" = ?");
    if (insert) {
        sql = w.columns.isEmpty()
                  ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoted(w.table))
                  : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                        .arg(quoted(w.table), names.join(QStringLiteral(", ")),
                             marks.join(QStringLiteral(", ")));
    } else {
        sql = QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                  .arg(quoted(w.table), sets.join(QStringLiteral(", ")),
                       where.join(QStringLiteral(" AND ")));
    }
    const auto failure = [this](const QSqlQuery& query) {
        const QSqlError e = query.lastError();
        const long native = e.nativeErrorCode().section(QLatin1Char(';'), -1).toLong();
        return ProviderFailure{{Error{adoNumberFor(native), withoutPrefixes(e.databaseText()),
                                      source_, sqlStateFor(native), native}}};
    };
    q.prepare(sql);
    for (const vb::Variant& v : w.values) q.addBindValue(toQt(v));
    if (!insert) {
        for (const vb::Variant& v : w.keyValues) q.addBindValue(toQt(v));
    }
    if (!q.exec()) throw failure(q);
    if (!insert && q.numRowsAffected() == 0) {
        throw ProviderFailure{{Error{err::RowNotFound,
                                     QStringLiteral("Row cannot be located for updating. Some "
                                                    "values may have been changed since it was "
                                                    "last read."),
                                     QStringLiteral("Microsoft Cursor Engine"),
                                     {},
                                     0}}};
    }
    RowRead out;
    if (w.keyColumns.isEmpty()) {
        for (qsizetype i = 0; i < w.readBack.size(); ++i) {
            const qsizetype at = w.columns.indexOf(w.readBack[i]);
            out.values << (at >= 0 ? w.values[at] : vb::Variant::null());
        }
        return out;
    }
    vb::Variant identity;
    if (insert) {
        QSqlQuery id(db);
        if (id.exec(QStringLiteral("SELECT @@IDENTITY")) && id.next())
            identity = fromQt(id.value(0));
    }
    QStringList read;
    for (const QString& c : w.readBack) read << (c.isEmpty() ? QStringLiteral("NULL") : quoted(c));
    for (const QString& k : w.keyColumns) read << quoted(k);
    QSqlQuery back(db);
    back.prepare(QStringLiteral("SELECT %1 FROM %2 WHERE %3")
                     .arg(read.join(QStringLiteral(", ")), quoted(w.table),
                          where.join(QStringLiteral(" AND "))));
    for (qsizetype i = 0; i < w.keyColumns.size(); ++i) {
        const qsizetype assigned = w.columns.indexOf(w.keyColumns[i]);
        back.addBindValue(toQt(assigned >= 0 ? w.values[assigned]
                               : insert      ? identity
                                             : w.keyValues[i]));
    }
    if (!back.exec()) throw failure(back);
    if (back.next()) {
        for (qsizetype i = 0; i < w.readBack.size(); ++i) out.values << fromQt(back.value(int(i)));
        for (qsizetype i = 0; i < w.keyColumns.size(); ++i)
            out.keyValues << fromQt(back.value(int(w.readBack.size() + i)));
    }
    return out;
}

}  // namespace ado
