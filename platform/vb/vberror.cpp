#include "platform/vb/vberror.h"

namespace vb {

const char* VbError::what() const noexcept {
    what_ = QStringLiteral("%1: %2").arg(Number).arg(Description).toUtf8();
    return what_.constData();
}

QString standardDescription(long number) {
    switch (number) {
        case err::InvalidProcedureCall:
            return QStringLiteral("Invalid procedure call or argument");
        case err::Overflow:
            return QStringLiteral("Overflow");
        case err::SubscriptOutOfRange:
            return QStringLiteral("Subscript out of range");
        case err::TypeMismatch:
            return QStringLiteral("Type mismatch");
        case err::FileNotFound:
            return QStringLiteral("File not found");
        case err::BadFileMode:
            return QStringLiteral("Bad file mode");
        case err::FileAlreadyOpen:
            return QStringLiteral("File already open");
        case err::PathFileAccess:
            return QStringLiteral("Path/File access error");
        case err::PathNotFound:
            return QStringLiteral("Path not found");
        case err::ObjectVariableNotSet:
            return QStringLiteral("Object variable or With block variable not set");
        case err::InvalidUseOfNull:
            return QStringLiteral("Invalid use of Null");
        case err::ObjectRequired:
            return QStringLiteral("Object required");
        case err::DuplicateKey:
            return QStringLiteral(
                "This key is already associated with an element of this collection");
        default:
            return QStringLiteral("Application-defined or object-defined error");
    }
}

void raise(long number, const QString& source) {
    throw VbError(number, standardDescription(number), source);
}

}  // namespace vb
