#pragma once

#include "Dialect.h"
#include "OdbcHandle.h"
#include "ProviderError.h"
#include "ProviderSettings.h"

#include <QString>
#include <vector>

namespace ado {

// What a checked ODBC call accepts besides success.
enum class OdbcAccept {
    Success,         // SQL_SUCCESS or SQL_SUCCESS_WITH_INFO
    SuccessOrNoData, // also SQL_NO_DATA (a fetch past the end, a searched update of no rows)
    Optional,        // a failure is an answer too (an attribute the driver does not know): false
};

// The open ODBC side of a Connection: its environment and connection handles, the dialect and
// the one checked wrapper through which every ODBC call of the layer passes.
struct OdbcConnection {
    OdbcHandle env;
    OdbcHandle dbc;
    Dialect dialect = Dialect::SqlServer;
    QString driver;           // the ODBC driver's name, the Source of its errors
    QString driverVariable;   // the environment variable that names the driver
    Errors* errors = nullptr; // the owning connection's Errors collection
    long commandTimeout = 30;
    NewKey newKey = NewKey::ScopeIdentity;
    int lockTimeoutSeconds = 5; // how long another session's lock is waited for
    bool inTransaction = false;
    bool getDataAnyColumn = false; // SQLGetData may read a column before a bound one
    bool getDataBound = false;     // SQLGetData may read a bound column (a truncated value whole)
    bool textsInUtf8 = false;      // a text asked for as SQL_C_CHAR comes in UTF-8

    // The database as the driver reaches it (its ODBC string), and how many losses of a link to
    // it had been noted when this link was made (see LostLink).
    QString target;
    quint64 lossesAtConnect = 0;
    // Set when a failure shows that the link is gone; the owning Connection then makes a new one.
    mutable bool linkLost = false;
    // SQLite: the database file and the identity it had when opened. A file moved away (or
    // replaced) is a lost link: the driver would go on reading the moved file, and refuses
    // writes only once it notices.
    QString databaseFile;
    quint64 fileDevice = 0;
    quint64 fileInode = 0;

    // The checked wrapper: returns true on success, false on SQL_NO_DATA when `accept` allows it.
    // On a failure every diagnostic record of `handle` becomes a ProviderError; the Errors
    // collection is cleared and given them (as ADO does for each failing operation) and the
    // first is raised as RuntimeError (OLE DB code, the driver's message, the driver's name).
    bool check(SQLRETURN rc, const OdbcHandle& handle,
               OdbcAccept accept = OdbcAccept::Success) const;
    // As check(), for a handle that is not wrapped yet (an allocation's parent).
    bool check(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle,
               OdbcAccept accept = OdbcAccept::Success) const;

    // A new statement handle with the command time-out applied. Raises the lost-link error
    // (adErrInvalidConnection) when the SQLite database file is no longer the one opened.
    OdbcHandle newStatement() const;
    // Notes the SQLite database file's identity (after opening it).
    void noteDatabaseFile();

    // Every diagnostic record of a handle, mapped to ProviderErrors.
    std::vector<ProviderError> diagnostics(SQLSMALLINT handleType, SQLHANDLE handle) const;
    // Puts the records into Errors (after clearing it) and raises the first one. On an open
    // link that the records (or the driver, or the database file) show gone, the link is marked
    // lost and the error raised is adErrInvalidConnection with the operator's message.
    [[noreturn]] void raise(std::vector<ProviderError> records) const;
};

// UTF-16 text for the wide API (SQLWCHAR is UTF-16 in unixODBC, the same unit as QChar).
inline SQLWCHAR* wide(const QString& text) {
    return reinterpret_cast<SQLWCHAR*>(const_cast<ushort*>(text.utf16()));
}

} // namespace ado
