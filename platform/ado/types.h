#pragma once

// ADO's enumerations and error numbers, with ADO's names and values, as the system's code
// compares them.
namespace ado {

// ObjectStateEnum
enum State : long { adStateClosed = 0, adStateOpen = 1 };
// CursorLocationEnum
enum CursorLocation : long { adUseServer = 2, adUseClient = 3 };
// CursorTypeEnum
enum CursorType : long {
    adOpenUnspecified = -1,
    adOpenForwardOnly = 0,
    adOpenKeyset = 1,
    adOpenDynamic = 2,
    adOpenStatic = 3,
};
// LockTypeEnum
enum LockType : long {
    adLockUnspecified = -1,
    adLockReadOnly = 1,
    adLockPessimistic = 2,
    adLockOptimistic = 3,
    adLockBatchOptimistic = 4,
};
// CommandTypeEnum (the Options of Open and Execute)
enum CommandType : long {
    adCmdUnspecified = -1,
    adCmdText = 1,
    adCmdTable = 2,
    adCmdTableDirect = 512,
};
// EditModeEnum
enum EditMode : long { adEditNone = 0, adEditInProgress = 1, adEditAdd = 2 };
// SchemaEnum (the two the system asks for)
enum Schema : long { adSchemaColumns = 4, adSchemaTables = 20 };
// IsolationLevelEnum (the ones the system sets)
enum IsolationLevel : long { adXactReadUncommitted = 256, adXactReadCommitted = 4096 };

// DataTypeEnum codes of Field::Type.
enum DataType : long {
    adEmpty = 0,
    adSmallInt = 2,
    adInteger = 3,
    adSingle = 4,
    adDouble = 5,
    adCurrency = 6,
    adDate = 7,
    adBSTR = 8,
    adBoolean = 11,
    adDecimal = 14,
    adTinyInt = 16,
    adUnsignedTinyInt = 17,
    adUnsignedSmallInt = 18,
    adBigInt = 20,
    adBinary = 128,
    adChar = 129,
    adWChar = 130,
    adNumeric = 131,
    adDBDate = 133,
    adDBTime = 134,
    adDBTimeStamp = 135,
    adVarChar = 200,
    adLongVarChar = 201,
    adVarWChar = 202,
    adLongVarWChar = 203,
    adVarBinary = 204,
    adLongVarBinary = 205,
};

// ADO's own error numbers and the provider's HRESULTs (raised as vb::VbError::Number).
namespace err {
constexpr long ArgumentsWrongType = 3001;      // wrong type, out of range or in conflict
constexpr long NoCurrentRecord = 3021;         // BOF or EOF, or the current record was deleted
constexpr long NotAllowedNow = 3219;           // operation not allowed in this context
constexpr long UpdateNotSupported = 3251;      // the recordset cannot be updated
constexpr long ItemNotFound = 3265;            // no field of that name or ordinal
constexpr long ObjectClosed = 3704;            // operation not allowed when the object is closed
constexpr long ObjectOpen = 3705;              // operation not allowed when the object is open
constexpr long ProviderNotFound = 3706;        // no provider of that name
constexpr long NoConnection = 3709;            // the connection cannot be used
constexpr long ProviderFailure = -2147467259;  // 0x80004005
constexpr long IntegrityViolation = -2147217873;  // 0x80040E2F (duplicate key, reference)
constexpr long NoSuchTable = -2147217865;         // 0x80040E37
constexpr long CommandTextError = -2147217900;    // 0x80040E14 (syntax, missing column)
constexpr long ConversionFailed = -2147217913;    // 0x80040E07
constexpr long DataOverflow = -2147217833;        // 0x80040E57 (text truncated)
constexpr long Timeout = -2147217871;             // 0x80040E31
constexpr long RowNotFound = -2147217864;         // 0x80040E38 (row changed or deleted)
constexpr long MultipleStepErrors = -2147217887;  // 0x80040E21 (a value did not convert)
constexpr long NoTransaction = -2147168242;       // 0x8004D00E
constexpr long MissingParameter = -2147217904;    // 0x80040E10 (a "?" without a value)
}  // namespace err

}  // namespace ado
