#pragma once

#include "platform/ado/backend.h"
#include "platform/ado/errors.h"
#include "platform/ado/types.h"

#include <QString>

#include <memory>

namespace ado {

// What a connection and the recordsets opened on it share. Recordsets hold it weakly, so a
// recordset outliving its connection finds no connection (3709) instead of a dangling one.
struct ConnectionCore {
    std::unique_ptr<Backend> backend;
    bool attached = false;  // the backend came from attachBackend and stays across opens
    bool open = false;
    Errors errors;
    QString connectionString;
    long cursorLocation = adUseServer;
    long commandTimeout = 30;
    long connectionTimeout = 15;
    long isolationLevel = adXactReadCommitted;
    QString defaultDatabase;
    int reading = 0;  // ExecuteEach reads under way: the engine's statements stay open

    // Runs `op` on the open backend: 3709 when there is none; a provider failure replaces
    // the error list and raises its first entry.
    template <typename Op>
    auto call(Op&& op) -> decltype(op(*backend)) {
        if (!open || !backend) raiseAdo(err::NoConnection, QStringLiteral("ADODB.Connection"));
        try {
            return op(*backend);
        } catch (const ProviderFailure& failure) {
            raiseFailure(failure.errors, failure.raised);
        }
    }
    // Replaces the error list with `entries` and raises `number` (0: the first entry's).
    [[noreturn]] void raiseFailure(const QList<Error>& entries, long number = 0);
};

}  // namespace ado
