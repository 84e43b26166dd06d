#pragma once

#include "Dialect.h"

#include <QString>

namespace ado {

// What a provider of an ADO connection string means on this machine: the ODBC driver (named by
// an environment variable, with a default), the ODBC connection string for it and the dialect.
//   "SQLOLEDB" (or no provider)  -> CONTACTOS_SQLSERVER_DRIVER, default "FreeTDS"
//   any provider with "ORACLE"   -> CONTACTOS_ORACLE_DRIVER, default "Oracle"
//   "SQLite"                     -> CONTACTOS_SQLITE_DRIVER, default "SQLite3"
struct ProviderSettings {
    Dialect dialect = Dialect::SqlServer;
    QString provider;           // as the connection string names it
    QString driver;             // the ODBC driver name
    QString driverVariable;     // the environment variable that chooses the driver
    QString odbcString;         // the connection string given to SQLDriverConnect
    QString databaseFile;       // SQLite: the database file
    int busyTimeoutSeconds = 5; // SQLite: how long a locked database is waited for

    // Resolves an ADO connection string; `user` and `password`, when not empty, replace those of
    // the string. Raises RuntimeError adErrProviderNotFound for a provider we do not have, and
    // adErrUnspecified when the SQLite form names no file.
    static ProviderSettings resolve(const QString& adoString, const QString& user = {},
                                    const QString& password = {});
    // The dialect of the provider that the string names (SQL Server's when it names none we know).
    static Dialect dialectOf(const QString& adoString);
    // A value as ODBC connection strings write it: in braces when it holds ";", "{" or "}".
    static QString odbcValue(const QString& value);
};

} // namespace ado
