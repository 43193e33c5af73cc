#include "tests/support/scripted_backend.h"

#include <algorithm>

namespace zxtest {

using ado::BatchOutcome;
using ado::Error;
using ado::ProviderFailure;
using ado::ResultSet;

ScriptedBackend::ScriptedBackend(std::unique_ptr<ado::Backend> inner,
                                 QString innerConnectionString)
    : inner_(std::move(inner)), innerConnectionString_(std::move(innerConnectionString)) {}

ScriptedBackend& ScriptedBackend::failNext(Call call, QList<Error> errors, long raised) {
    queue_.push_back({call, Outcome::Fail, std::move(errors), {}, raised});
    return *this;
}

ScriptedBackend& ScriptedBackend::noticeNext(Call call, QList<Error> notices) {
    queue_.push_back({call, Outcome::Notice, std::move(notices), {}});
    return *this;
}

ScriptedBackend& ScriptedBackend::rowsNext(Call call, ResultSet rows) {
    queue_.push_back({call, Outcome::Rows, {}, std::move(rows)});
    return *this;
}

Error ScriptedBackend::lostConnection() {
    return Error{ado::err::ProviderFailure,
                 QStringLiteral("[DBNETLIB][ConnectionWrite (send()).]General network error. "
                                "Check your network documentation."),
                 ado::sqlServerSource(), QStringLiteral("08S01"), 11};
}

Error ScriptedBackend::truncation() {
    return ado::sqlServerError(8152, QStringLiteral("String or binary data would be truncated."));
}

Error ScriptedBackend::informational() {
    return Error{265929, QStringLiteral("The statement has been terminated."),
                 ado::sqlServerSource(), QStringLiteral("01000"), 3621};
}

std::optional<ScriptedBackend::Outcome> ScriptedBackend::take(Call call) {
    for (auto it = queue_.begin(); it != queue_.end(); ++it) {
        if (it->call == call || it->call == Call::Any) {
            Outcome o = std::move(*it);
            queue_.erase(it);
            return o;
        }
    }
    return std::nullopt;
}

void ScriptedBackend::open(const ado::ConnectionSettings& settings) {
    ++opens_;
    loginTimeouts_ << settings.loginTimeout;
    calls_ << QStringLiteral("Open");
    const auto outcome = take(Call::Open);
    if (outcome && outcome->kind == Outcome::Fail)
        throw ProviderFailure{outcome->errors, outcome->raised};
    const bool sqlite =
        settings.kind == ado::ProviderKind::Embedded || settings.kind == ado::ProviderKind::Jet;
    innerOpen_ = inner_ && (sqlite || !innerConnectionString_.isEmpty());
    if (innerOpen_)
        inner_->open(sqlite ? settings : ado::parseConnectionSettings(innerConnectionString_));
    database_ = innerOpen_ ? inner_->defaultDatabase() : settings.database;
    open_ = true;
}

void ScriptedBackend::close() {
    calls_ << QStringLiteral("Close");
    if (innerOpen_) inner_->close();
    innerOpen_ = false;
    open_ = false;
}

QString ScriptedBackend::defaultDatabase() const {
    return database_;
}

void ScriptedBackend::setDefaultDatabase(const QString& name) {
    if (innerOpen_) inner_->setDefaultDatabase(name);
    database_ = innerOpen_ ? inner_->defaultDatabase() : name;
}

namespace {

// The rows of an outcome already read whole, handed one at a time.
class HeldCursor : public ado::Cursor {
public:
    explicit HeldCursor(BatchOutcome outcome) : outcome_(std::move(outcome)) {
        row_.columns = outcome_.result.columns;
    }
    BatchOutcome finish() override {
        outcome_.result.cells.clear();
        outcome_.result.keys.clear();
        return outcome_;
    }

protected:
    bool fetch(ResultSet& rows) override {
        const ResultSet& held = outcome_.result;
        if (next_ >= held.rowCount()) return false;
        for (long c = 0; c < held.columnCount(); ++c) rows.cells.append(held.at(next_, c));
        ++next_;
        return true;
    }

private:
    BatchOutcome outcome_;
    long next_ = 0;
};

}  // namespace

BatchOutcome ScriptedBackend::execute(const QString& batch, const QList<vb::Variant>& parameters) {
    return parameters.isEmpty() ? execute(batch) : script(batch, parameters);
}

std::unique_ptr<ado::Cursor> ScriptedBackend::start(const QString& batch,
                                                    const QList<vb::Variant>& parameters) {
    return std::make_unique<HeldCursor>(execute(batch, parameters));
}

BatchOutcome ScriptedBackend::script(const QString& batch, const QList<vb::Variant>& parameters) {
    texts_ << batch;
    const auto outcome = take(Call::Execute);
    BatchOutcome out;
    if (outcome && outcome->kind == Outcome::Fail) {
        out.errors = outcome->errors;
        out.failed = true;
        out.raised = outcome->raised;
    } else if (outcome && outcome->kind == Outcome::Rows) {
        out.result = outcome->rows;
    } else {
        if (innerOpen_) out = inner_->execute(batch, parameters);
        if (outcome) out.errors << outcome->errors;
    }
    calls_ << QStringLiteral("Execute %1 -> %2").arg(batch).arg(out.recordsAffected);
    return out;
}

ResultSet ScriptedBackend::query(const QString& text, bool editable) {
    texts_ << text;
    calls_ << QStringLiteral("Query %1").arg(text);
    const auto outcome = take(Call::Query);
    if (outcome && outcome->kind == Outcome::Fail)
        throw ProviderFailure{outcome->errors, outcome->raised};
    if (outcome && outcome->kind == Outcome::Rows) return outcome->rows;
    return innerOpen_ ? inner_->query(text, editable) : ResultSet();
}

long ScriptedBackend::beginTransaction() {
    calls_ << QStringLiteral("BeginTrans");
    return innerOpen_ ? inner_->beginTransaction() : ++trancount_;
}

void ScriptedBackend::commitTransaction() {
    calls_ << QStringLiteral("CommitTrans");
    if (innerOpen_) inner_->commitTransaction();
    trancount_ = std::max(0L, trancount_ - 1);
}

void ScriptedBackend::rollbackTransaction() {
    calls_ << QStringLiteral("RollbackTrans");
    if (innerOpen_) inner_->rollbackTransaction();
    trancount_ = 0;
}

ResultSet ScriptedBackend::schema(long schema, const QList<vb::Variant>& criteria) {
    return innerOpen_ ? inner_->schema(schema, criteria) : ResultSet();
}

ado::RowRead ScriptedBackend::writeRow(const ado::RowWrite& write) {
    if (innerOpen_) return inner_->writeRow(write);
    return ado::RowRead{write.values, write.keyValues};
}

}  // namespace zxtest
