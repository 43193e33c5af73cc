#pragma once

#include <QString>

#include <exception>

namespace vb {

// A run-time error as the system's procedures see it: the number callers test, the text the
// operator reads and the component that raised it.
struct VbError : std::exception {
    VbError() = default;
    VbError(long number, QString description, QString source = {})
        : Number(number), Description(std::move(description)), Source(std::move(source)) {}

    long Number = 0;
    QString Description;
    QString Source;

    const char* what() const noexcept override;

private:
    mutable QByteArray what_;
};

// Numbers of the run-time errors raised by the platform layers.
namespace err {
constexpr long Overflow = 6;
constexpr long SubscriptOutOfRange = 9;
constexpr long TypeMismatch = 13;
constexpr long FileNotFound = 53;
constexpr long BadFileMode = 54;
constexpr long FileAlreadyOpen = 55;
constexpr long PathFileAccess = 75;  // a file that cannot be written whole
constexpr long PathNotFound = 76;
constexpr long InvalidUseOfNull = 94;
constexpr long InvalidProcedureCall = 5;
constexpr long ObjectRequired = 424;
constexpr long ObjectVariableNotSet = 91;
constexpr long DuplicateKey = 457;  // a collection already holds an element under that key
}  // namespace err

// Raises the error `number` with VB's standard text for it.
[[noreturn]] void raise(long number, const QString& source = {});

// VB's standard description of a run-time error number ("Type mismatch" for 13, …).
QString standardDescription(long number);

}  // namespace vb
