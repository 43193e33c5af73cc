#include "platform/ado/connection.h"

#include "platform/ado/backend.h"
#include "platform/ado/command.h"
#include "platform/ado/connectioncore.h"
#include "platform/ado/connectionstring.h"
#include "platform/ado/odbcbackend.h"
#include "platform/ado/recordset.h"
#include "platform/ado/sqlitebackend.h"
#include "platform/vb/vberror.h"

#include <exception>

namespace ado {

namespace {

const QString kSource = QStringLiteral("ADODB.Connection");

std::unique_ptr<Backend> backendFor(ProviderKind kind) {
    switch (kind) {
        case ProviderKind::Embedded:
        case ProviderKind::Jet:
            return std::make_unique<SqliteBackend>();
        case ProviderKind::SqlServer:
        case ProviderKind::Oracle:
            return std::make_unique<OdbcBackend>();
    }
    return nullptr;
}

}  // namespace

void ConnectionCore::raiseFailure(const QList<Error>& entries, long number) {
    errors.replace(entries);
    if (number != 0 && (entries.isEmpty() || entries.first().Number != number))
        raiseAdo(number, QStringLiteral("ADODB.Connection"));
    if (entries.isEmpty()) throw vb::VbError(err::ProviderFailure, QString(), sqlServerSource());
    const Error& first = entries.first();
    throw vb::VbError(first.Number, first.Description, first.Source);
}

Connection::Connection() : d_(std::make_shared<ConnectionCore>()) {}

Connection::~Connection() {
    if (d_->backend && d_->open) d_->backend->close();
}

void Connection::Open(const QString& connectionString, const QString& userId,
                      const QString& password, long) {
    if (d_->open) raiseAdo(err::ObjectOpen, kSource);
    if (!connectionString.isEmpty()) d_->connectionString = connectionString;
    ConnectionSettings settings = parseConnectionSettings(d_->connectionString, userId, password);
    settings.loginTimeout = d_->connectionTimeout;
    if (!d_->attached) d_->backend = backendFor(settings.kind);
    try {
        d_->backend->open(settings);
        d_->backend->setCommandTimeout(d_->commandTimeout);
        d_->backend->setIsolationLevel(d_->isolationLevel);
    } catch (const ProviderFailure& failure) {
        if (!d_->attached) d_->backend.reset();
        d_->raiseFailure(failure.errors, failure.raised);
    }
    d_->open = true;
    d_->defaultDatabase = d_->backend->defaultDatabase();
}

void Connection::Close() {
    if (!d_->open) raiseAdo(err::ObjectClosed, kSource);
    if (d_->reading > 0) raiseAdo(err::NotAllowedNow, kSource);
    d_->open = false;
    if (d_->backend) d_->backend->close();
    if (!d_->attached) d_->backend.reset();
}

long Connection::State() const {
    return d_->open ? adStateOpen : adStateClosed;
}

QString Connection::ConnectionString() const {
    return d_->connectionString;
}

void Connection::setConnectionString(const QString& text) {
    if (d_->open) raiseAdo(err::ObjectOpen, kSource);
    d_->connectionString = text;
}

long Connection::CursorLocation() const {
    return d_->cursorLocation;
}
void Connection::setCursorLocation(long location) {
    d_->cursorLocation = location;
}

long Connection::ConnectionTimeout() const {
    return d_->connectionTimeout;
}

void Connection::setConnectionTimeout(long seconds) {
    d_->connectionTimeout = seconds;
}

long Connection::CommandTimeout() const {
    return d_->commandTimeout;
}

void Connection::setCommandTimeout(long seconds) {
    d_->commandTimeout = seconds;
    if (d_->open && d_->backend) d_->backend->setCommandTimeout(seconds);
}

long Connection::IsolationLevel() const {
    return d_->isolationLevel;
}

void Connection::setIsolationLevel(long level) {
    d_->isolationLevel = level;
    if (d_->open && d_->backend) d_->backend->setIsolationLevel(level);
}

QString Connection::DefaultDatabase() const {
    return d_->defaultDatabase;
}

void Connection::setDefaultDatabase(const QString& name) {
    if (!d_->open) {
        d_->defaultDatabase = name;
        return;
    }
    if (d_->reading > 0) raiseAdo(err::NotAllowedNow, kSource);
    d_->call([&](Backend& b) { b.setDefaultDatabase(name); });
    d_->defaultDatabase = d_->backend->defaultDatabase();
}

Recordset Connection::Execute(const QString& commandText, long* recordsAffected, long options) {
    return run(commandTextFor(commandText, options, false), {}, recordsAffected);
}

Recordset Connection::Execute(const QString& commandText, const QList<vb::Variant>& parameters,
                              long* recordsAffected) {
    return run(commandText, parameters, recordsAffected);
}

Recordset Connection::run(const QString& text, const QList<vb::Variant>& parameters,
                          long* recordsAffected) {
    BatchOutcome outcome = d_->call([&](Backend& b) { return b.execute(text, parameters); });
    if (recordsAffected) *recordsAffected = outcome.recordsAffected;
    if (outcome.failed) d_->raiseFailure(outcome.errors, outcome.raised);
    if (!outcome.errors.isEmpty()) d_->errors.replace(outcome.errors);
    Recordset rs;
    if (outcome.result.hasColumns())
        rs.openOn(std::move(outcome.result), d_, adOpenForwardOnly, adLockReadOnly);
    return rs;
}

void Connection::ExecuteEach(const QString& commandText, const QList<vb::Variant>& parameters,
                             const std::function<void(const Row& row)>& onRow) {
    each(commandText, parameters, nullptr, onRow, nullptr);
}

void Connection::ExecuteEach(const QString& commandText, const QList<vb::Variant>& parameters,
                             const std::function<void(const QList<Column>& columns)>& onColumns,
                             const std::function<void(const Row& row)>& onRow,
                             QList<Column>& described) {
    each(commandText, parameters, &onColumns, onRow, &described);
}

void Connection::each(const QString& commandText, const QList<vb::Variant>& parameters,
                      const std::function<void(const QList<Column>& columns)>* onColumns,
                      const std::function<void(const Row& row)>& onRow, QList<Column>* described) {
    const BatchOutcome outcome = d_->call([&](Backend& b) {
        const std::unique_ptr<Cursor> cursor = b.start(commandText, parameters);
        const Row row(*cursor);
        std::exception_ptr raised;
        ++d_->reading;
        try {
            if (described) cursor->watchValues();
            if (onColumns) (*onColumns)(cursor->columns());
            while (cursor->next()) onRow(row);
            if (described) *described = cursor->describedColumns();
        } catch (...) {
            raised = std::current_exception();
        }
        --d_->reading;
        BatchOutcome out = cursor->finish();
        if (raised) std::rethrow_exception(raised);
        return out;
    });
    if (outcome.failed) d_->raiseFailure(outcome.errors, outcome.raised);
    if (!outcome.errors.isEmpty()) d_->errors.replace(outcome.errors);
}

long Connection::BeginTrans() {
    return d_->call([](Backend& b) { return b.beginTransaction(); });
}

void Connection::CommitTrans() {
    d_->call([](Backend& b) { b.commitTransaction(); });
}

void Connection::RollbackTrans() {
    d_->call([](Backend& b) { b.rollbackTransaction(); });
}

Recordset Connection::OpenSchema(long schema, const QList<vb::Variant>& criteria) {
    if (schema != adSchemaTables && schema != adSchemaColumns)
        raiseAdo(err::ArgumentsWrongType, kSource);
    ResultSet rows = d_->call([&](Backend& b) { return b.schema(schema, criteria); });
    Recordset rs;
    rs.openOn(std::move(rows), d_, adOpenStatic, adLockReadOnly);
    return rs;
}

Errors& Connection::errors() {
    return d_->errors;
}
const Errors& Connection::errors() const {
    return d_->errors;
}

Backend* Connection::backend() const {
    return d_->backend.get();
}

void Connection::attachBackend(std::unique_ptr<Backend> backend) {
    if (d_->open) raiseAdo(err::ObjectOpen, kSource);
    d_->backend = std::move(backend);
    d_->attached = d_->backend != nullptr;
}

}  // namespace ado
