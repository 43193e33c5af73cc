#include "platform/ado/errors.h"

#include "platform/ado/types.h"
#include "platform/vb/vberror.h"

namespace ado {

const Error& Errors::Item(long index) const {
    if (index < 0 || index >= Count()) raiseAdo(err::ItemNotFound, QStringLiteral("ADODB.Errors"));
    return items_[index];
}

QString sqlServerSource() {
    return QStringLiteral("Microsoft OLE DB Provider for SQL Server");
}

QString sqlStateFor(long nativeError) {
    switch (nativeError) {
        case 2627:
        case 2601:
        case 547:
        case 515:
            return QStringLiteral("23000");
        case 208:
            return QStringLiteral("42S02");
        case 207:
            return QStringLiteral("42S22");
        case 2714:
            return QStringLiteral("42S01");
        case 2705:
            return QStringLiteral("42S21");
        case 213:
            return QStringLiteral("21S01");
        case 102:
        case 156:
        case 195:
        case 209:
        case 911:
        case 4060:
            return QStringLiteral("42000");
        case 18456:
            return QStringLiteral("28000");
        case 3902:
        case 3903:
            return QStringLiteral("25000");
        case 8152:
            return QStringLiteral("22001");
        case 241:
            return QStringLiteral("22007");
        case 235:
        case 245:
        case 8114:
            return QStringLiteral("22018");
        case 244:
        case 248:
        case 8115:
            return QStringLiteral("22003");
        case 17:
            return QStringLiteral("08001");
        default:
            return {};
    }
}

long adoNumberFor(long nativeError, const QString& sqlState) {
    switch (nativeError) {
        case 2627:
        case 2601:
        case 547:
        case 515:
            return err::IntegrityViolation;
        case 208:
            return err::NoSuchTable;
        case 207:
        case 102:
        case 156:
        case 195:
        case 209:
        case 213:
        case 2705:
        case 2714:
        case 3902:
        case 3903:
            return err::CommandTextError;
        case 8152:
        case 8115:
            return err::DataOverflow;
        case 17:
        case 911:
        case 4060:
        case 18456:
            return err::ProviderFailure;
        case 235:
        case 241:
        case 244:
        case 245:
        case 248:
        case 8114:
            return err::ConversionFailed;
        default:
            break;
    }
    if (sqlState.startsWith(QLatin1String("23"))) return err::IntegrityViolation;
    if (sqlState == QLatin1String("42S02")) return err::NoSuchTable;
    if (sqlState.startsWith(QLatin1String("42"))) return err::CommandTextError;
    if (sqlState == QLatin1String("22001")) return err::DataOverflow;
    if (sqlState.startsWith(QLatin1String("22"))) return err::ConversionFailed;
    if (sqlState == QLatin1String("HYT00")) return err::Timeout;
    return err::ProviderFailure;
}

Error sqlServerError(long nativeError, const QString& description) {
    const QString state = sqlStateFor(nativeError);
    return Error{adoNumberFor(nativeError, state), description, sqlServerSource(),
                 state.isEmpty() ? QStringLiteral("HY000") : state, nativeError};
}

Error queryTimeoutError() {
    return Error{err::Timeout, QStringLiteral("Query timeout expired"), sqlServerSource(),
                 QStringLiteral("HYT00"), 0};
}

void raiseAdo(long number, const QString& source) {
    QString text;
    switch (number) {
        case err::ArgumentsWrongType:
            text = QStringLiteral(
                "Arguments are of the wrong type, are out of acceptable range, or are in conflict "
                "with one another.");
            break;
        case err::NoCurrentRecord:
            text = QStringLiteral(
                "Either BOF or EOF is True, or the current record has been deleted. Requested "
                "operation requires a current record.");
            break;
        case err::NotAllowedNow:
            text = QStringLiteral("Operation is not allowed in this context.");
            break;
        case err::UpdateNotSupported:
            text = QStringLiteral(
                "Current Recordset does not support updating. This may be a limitation of the "
                "provider, or of the selected locktype.");
            break;
        case err::ItemNotFound:
            text = QStringLiteral(
                "Item cannot be found in the collection corresponding to the requested name or "
                "ordinal.");
            break;
        case err::ObjectClosed:
            text = QStringLiteral("Operation is not allowed when the object is closed.");
            break;
        case err::ObjectOpen:
            text = QStringLiteral("Operation is not allowed when the object is open.");
            break;
        case err::ProviderNotFound:
            text = QStringLiteral("Provider cannot be found. It may not be properly installed.");
            break;
        case err::NoConnection:
            text = QStringLiteral(
                "The connection cannot be used to perform this operation. It is either closed or "
                "invalid in this context.");
            break;
        case err::MultipleStepErrors:
            text = QStringLiteral(
                "Multiple-step operation generated errors. Check each status value.");
            break;
        default:
            text = vb::standardDescription(number);
            break;
    }
    throw vb::VbError(number, text, source);
}

}  // namespace ado
