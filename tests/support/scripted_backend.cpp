#include "tests/support/scripted_backend.h"

namespace zxtest {

using ado::BatchOutcome;
using ado::Error;
using ado::ProviderFailure;
using ado::ResultSet;

ScriptedBackend::ScriptedBackend(std::unique_ptr<ado::Backend> inner) : inner_(std::move(inner)) {}

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
    const auto outcome = take(Call::Open);
    if (outcome && outcome->kind == Outcome::Fail)
        throw ProviderFailure{outcome->errors, outcome->raised};
    if (inner_) inner_->open(settings);
    database_ = inner_ ? inner_->defaultDatabase() : settings.database;
    open_ = true;
}

void ScriptedBackend::close() {
    if (inner_) inner_->close();
    open_ = false;
}

QString ScriptedBackend::defaultDatabase() const {
    return database_;
}

void ScriptedBackend::setDefaultDatabase(const QString& name) {
    if (inner_) inner_->setDefaultDatabase(name);
    database_ = inner_ ? inner_->defaultDatabase() : name;
}

BatchOutcome ScriptedBackend::execute(const QString& batch) {
    texts_ << batch;
    const auto outcome = take(Call::Execute);
    BatchOutcome out;
    if (outcome && outcome->kind == Outcome::Fail) {
        out.errors = outcome->errors;
        out.failed = true;
        out.raised = outcome->raised;
        return out;
    }
    if (outcome && outcome->kind == Outcome::Rows) {
        out.result = outcome->rows;
        return out;
    }
    if (inner_) out = inner_->execute(batch);
    if (outcome) out.errors << outcome->errors;
    return out;
}

ResultSet ScriptedBackend::query(const QString& text, bool editable) {
    texts_ << text;
    const auto outcome = take(Call::Query);
    if (outcome && outcome->kind == Outcome::Fail)
        throw ProviderFailure{outcome->errors, outcome->raised};
    if (outcome && outcome->kind == Outcome::Rows) return outcome->rows;
    return inner_ ? inner_->query(text, editable) : ResultSet();
}

long ScriptedBackend::beginTransaction() {
    return inner_ ? inner_->beginTransaction() : 1;
}
void ScriptedBackend::commitTransaction() {
    if (inner_) inner_->commitTransaction();
}
void ScriptedBackend::rollbackTransaction() {
    if (inner_) inner_->rollbackTransaction();
}

ResultSet ScriptedBackend::schema(long schema, const QList<vb::Variant>& criteria) {
    return inner_ ? inner_->schema(schema, criteria) : ResultSet();
}

ado::RowRead ScriptedBackend::writeRow(const ado::RowWrite& write) {
    if (inner_) return inner_->writeRow(write);
    return ado::RowRead{write.values, write.keyValues};
}

}  // namespace zxtest
