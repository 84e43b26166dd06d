#pragma once

#include "Dialect.h"

#include <QString>

namespace ado {

// How the key that the database gives a new record is read back: from the INSERT itself or in its
// own transaction, never by a later query that another session's insert could answer.
enum class NewKey {
    None,          // the driver has no way we know of (Oracle: the suite numbers its keys itself)
    ScopeIdentity, // SQL Server: SCOPE_IDENTITY() in the INSERT's own batch
    Rowid,         // SQLite: the row of last_insert_rowid(), in the write's transaction
    Returning,     // PostgreSQL: INSERT ... RETURNING the key
};

// What a provider of an ADO connection string means on this machine: the ODBC driver (named by
// an environment variable, with a default), the ODBC connection string for it (which also says
// how the driver streams a large result), the dialect and how a new record's key comes back.
//   "SQLOLEDB" (or no provider)  -> CONTACTOS_SQLSERVER_DRIVER, default "FreeTDS"
//   any provider with "ORACLE"   -> CONTACTOS_ORACLE_DRIVER, default "Oracle"
//   "SQLite"                     -> CONTACTOS_SQLITE_DRIVER, default "SQLite3"
//   "PostgreSQL"                 -> CONTACTOS_POSTGRESQL_DRIVER, default "PostgreSQL Unicode"
struct ProviderSettings {
    Dialect dialect = Dialect::SqlServer;
    NewKey newKey = NewKey::ScopeIdentity;
    QString provider;       // as the connection string names it
    QString driver;         // the ODBC driver name
    QString driverVariable; // the environment variable that chooses the driver
    QString odbcString;     // the connection string given to SQLDriverConnect
    QString databaseFile;   // SQLite: the database file
    // How long a lock held by another session is waited for before the statement fails: the
    // database file on SQLite ("Busy Timeout=s"), a row on PostgreSQL ("Lock Timeout=s"; a
    // lock_timeout that the server sets for the user or the database is kept instead).
    int lockTimeoutSeconds = 5;

    // Resolves an ADO connection string; `user` and `password`, when not empty, replace those of
    // the string. Raises RuntimeError adErrProviderNotFound for a provider we do not have, and
    // adErrUnspecified when the SQLite form names no file.
    static ProviderSettings resolve(const QString& adoString, const QString& user = {},
                                    const QString& password = {});
    // The dialect of the provider that the string names (SQL Server's when it names none we know).
    static Dialect dialectOf(const QString& adoString);
    // A value as ODBC connection strings write it: in braces when it holds ";", "{" or "}".
    static QString odbcValue(const QString& value);
    // The PostgreSQL form "Provider=PostgreSQL;Server=HOST;Port=PORT;Database=DB;Uid=USER;Pwd=PWD;"
    // for a server written "host", "host:port" or "[v6 address]:port" (no Port without a port).
    static QString postgresConnectionString(const QString& server, const QString& database,
                                            const QString& user, const QString& password);
};

} // namespace ado
