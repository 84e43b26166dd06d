#pragma once

#include <cstdint>

// ADO's published enumerations, with their platform values, as the suite's code passes them.
namespace ado {

enum CursorLocationEnum : long { adUseServer = 2, adUseClient = 3 };
enum CursorTypeEnum : long { adOpenUnspecified = -1, adOpenForwardOnly = 0, adOpenKeyset = 1, adOpenDynamic = 2, adOpenStatic = 3 };
enum LockTypeEnum : long { adLockUnspecified = -1, adLockReadOnly = 1, adLockPessimistic = 2, adLockOptimistic = 3, adLockBatchOptimistic = 4 };
enum ObjectStateEnum : long { adStateClosed = 0, adStateOpen = 1 };
enum CommandTypeEnum : long { adCmdUnspecified = -1, adCmdText = 1, adCmdTable = 2, adCmdStoredProc = 4, adCmdUnknown = 8, adCmdTableDirect = 512 };
enum SchemaEnum : long { adSchemaColumns = 4, adSchemaTables = 20 };
enum AffectEnum : long { adAffectCurrent = 1 };
// A plain constant rather than an enum, so that it combines with a CommandTypeEnum ("adCmdText | ...").
constexpr long adExecuteNoRecords = 128;
enum PositionEnum : long { adPosUnknown = -1, adPosBOF = -2, adPosEOF = -3 };
enum EditModeEnum : long { adEditNone = 0, adEditInProgress = 1, adEditAdd = 2 };
// The FieldAttributeEnum bits this layer reports.
enum FieldAttributeEnum : long {
    adFldIsNullable = 0x20,
    adFldMayBeNull = 0x40,
    adFldKeyColumn = 0x8000
};

// DataTypeEnum
enum DataTypeEnum : long {
    adEmpty = 0, adSmallInt = 2, adInteger = 3, adSingle = 4, adDouble = 5, adCurrency = 6, adDate = 7,
    adBSTR = 8, adBoolean = 11, adVariant = 12, adDecimal = 14, adTinyInt = 16, adUnsignedTinyInt = 17,
    adUnsignedSmallInt = 18, adUnsignedInt = 19, adBigInt = 20, adUnsignedBigInt = 21, adFileTime = 64,
    adGUID = 72, adBinary = 128, adChar = 129, adWChar = 130, adNumeric = 131, adDBDate = 133,
    adDBTime = 134, adDBTimeStamp = 135, adDBFileTime = 137, adVarNumeric = 139, adVarChar = 200,
    adLongVarChar = 201, adVarWChar = 202, adLongVarWChar = 203, adVarBinary = 204, adLongVarBinary = 205,
};

// The OLE DB error codes that the suite's handlers test, as the platform's signed 32-bit numbers.
constexpr long adErrUnspecified = std::int32_t(0x80004005u);    // E_FAIL: unspecified error
constexpr long adErrIntegrity = std::int32_t(0x80040E2Fu);      // integrity violation
constexpr long adErrNoSuchTable = std::int32_t(0x80040E37u);    // table or view does not exist
constexpr long adErrCommandText = std::int32_t(0x80040E14u);    // error in the command text
constexpr long adErrRowNotFound = std::int32_t(0x80040E38u);    // row changed or deleted since read
// A value the field cannot take (OLE DB's DB_E_ERRORSOCCURRED, ADO's "multiple-step" error).
constexpr long adErrFieldValue = std::int32_t(0x80040E21u);
constexpr long adErrNoTransaction = std::int32_t(0x8004D00Eu);  // commit or rollback without one
constexpr long adErrInvalidArgument = 3001;                     // argument of wrong type or range
constexpr long adErrNoCurrentRecord = 3021;                     // BOF or EOF is true
constexpr long adErrItemNotFound = 3265;                        // no field of that name or ordinal
constexpr long adErrObjectClosed = 3704;                        // operation not allowed when closed
constexpr long adErrObjectOpen = 3705;                          // operation not allowed when open
constexpr long adErrFeatureNotAvailable = 3251;                 // the provider cannot do that
constexpr long adErrProviderNotFound = 3706;                    // no such provider here
// The connection's link to the database is gone (and, while it stays gone, cannot be made again).
constexpr long adErrInvalidConnection = 3709;

} // namespace ado
