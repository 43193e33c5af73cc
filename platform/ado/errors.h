#pragma once

#include <QList>
#include <QString>

namespace ado {

// One entry of a connection's error list.
struct Error {
    long Number = 0;
    QString Description;
    QString Source;
    QString SQLState;
    long NativeError = 0;

    friend bool operator==(const Error&, const Error&) = default;
};

// The provider's errors of the last operation that failed. A failing operation replaces the
// list; a clean one leaves it as it was.
class Errors {
public:
    long Count() const { return static_cast<long>(items_.size()); }
    // 0-based, as ADO's Errors(0); raises 3265 out of range.
    const Error& Item(long index) const;
    void Clear() { items_.clear(); }

    // Used by the connection.
    void replace(QList<Error> items) { items_ = std::move(items); }
    void append(const Error& e) { items_.append(e); }
    const QList<Error>& items() const { return items_; }

private:
    QList<Error> items_;
};

// What a provider reports when an operation fails: the entries for the error list, and the
// number raised (the first entry's when 0; ADO's 3709 after a lost connection, for one).
struct ProviderFailure {
    QList<Error> errors;
    long raised = 0;
};

// The source text of the SQL Server provider's errors.
QString sqlServerSource();

// A provider error with SQL Server's native number; the ADO number and the SQLState follow
// from the native number as SQL Server's provider gives them.
Error sqlServerError(long nativeError, const QString& description);

// What SQL Server's provider reports for a command still running at its CommandTimeout.
Error queryTimeoutError();

// ADO's number for a SQL Server native error (SQLState when the native number is not one we
// know), and the SQLState for a native number (empty when unknown).
long adoNumberFor(long nativeError, const QString& sqlState = {});
QString sqlStateFor(long nativeError);

// Raises one of ADO's own errors (3704, 3705, 3709, 3219, 3021, 3265, ...) with ADO's text;
// these never touch a connection's error list.
[[noreturn]] void raiseAdo(long number, const QString& source);

}  // namespace ado
