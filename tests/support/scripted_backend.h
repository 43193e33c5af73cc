#pragma once

#include "platform/ado/backend.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <deque>
#include <memory>
#include <optional>

namespace zxtest {

// A database engine for what a real one cannot be made to do on demand: a call that fails
// with given errors (a lost connection, a truncation), or succeeds leaving notices in the
// error list (an informational message). Calls with nothing queued go to the real engine
// inside it, when one is given, or succeed with no rows. Every text it is given is recorded.
// Install it with ado::Connection::attachBackend.
class ScriptedBackend : public ado::Backend {
public:
    enum class Call { Open, Execute, Query, Any };

    // `innerConnectionString`, when given, is what the inner engine opens whenever the
    // connection's own string names another engine (an Oracle string only picks the dialect of
    // the code under test); an embedded or Jet string always opens the inner engine itself.
    explicit ScriptedBackend(std::unique_ptr<ado::Backend> inner = nullptr,
                             QString innerConnectionString = {});

    // The next call of that kind fails with `errors` in the list; `raised` is the number raised
    // (the first entry's when 0; ado::err::NoConnection for a connection found lost).
    ScriptedBackend& failNext(Call call, QList<ado::Error> errors, long raised = 0);
    // The next call of that kind runs, then leaves `notices` in the error list.
    ScriptedBackend& noticeNext(Call call, QList<ado::Error> notices);
    // The next call of that kind gives these rows instead of running.
    ScriptedBackend& rowsNext(Call call, ado::ResultSet rows);
    bool exhausted() const { return queue_.empty(); }

    // Ready-made entries as SQL Server's provider gives them.
    static ado::Error lostConnection();  // -2147467259, general network error
    static ado::Error truncation();      // native 8152
    static ado::Error informational();   // number 265929, a notice

    // Every Execute and Query text, in order.
    const QStringList& texts() const { return texts_; }
    // Every call in order: "Execute <text> -> <records affected>", "Query <text>",
    // "BeginTrans", "CommitTrans", "RollbackTrans", "Open", "Close".
    const QStringList& calls() const { return calls_; }
    int openCount() const { return opens_; }
    // The login time limit of every open, in order.
    const QList<long>& loginTimeouts() const { return loginTimeouts_; }

    void open(const ado::ConnectionSettings& settings) override;
    void close() override;
    bool isOpen() const override { return open_; }
    QString defaultDatabase() const override;
    void setDefaultDatabase(const QString& name) override;
    // A subclass that overrides the first sees every call without values through it. It reads
    // whole: a cursor it starts reads the rows execute gave.
    virtual ado::BatchOutcome execute(const QString& batch) { return script(batch, {}); }
    ado::BatchOutcome execute(const QString& batch, const QList<vb::Variant>& parameters) override;
    std::unique_ptr<ado::Cursor> start(const QString& batch,
                                       const QList<vb::Variant>& parameters) override;
    ado::ResultSet query(const QString& text, bool editable) override;
    long beginTransaction() override;
    void commitTransaction() override;
    void rollbackTransaction() override;
    ado::ResultSet schema(long schema, const QList<vb::Variant>& criteria) override;
    ado::RowRead writeRow(const ado::RowWrite& write) override;

private:
    struct Outcome {
        Call call;
        enum Kind { Fail, Notice, Rows } kind;
        QList<ado::Error> errors;
        ado::ResultSet rows;
        long raised = 0;
    };
    std::optional<Outcome> take(Call call);
    ado::BatchOutcome script(const QString& batch, const QList<vb::Variant>& parameters);

    std::unique_ptr<ado::Backend> inner_;
    std::deque<Outcome> queue_;
    QStringList texts_;
    QStringList calls_;
    QString innerConnectionString_;
    QString database_;
    bool open_ = false;
    bool innerOpen_ = false;
    long trancount_ = 0;
    int opens_ = 0;
    QList<long> loginTimeouts_;
};

}  // namespace zxtest
