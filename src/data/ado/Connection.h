#pragma once

#include "AdoTypes.h"
#include "Dialect.h"
#include "ProviderError.h"
#include "shared/Variant.h"

#include <QString>
#include <QStringList>
#include <memory>

namespace ado {

class Recordset;
struct OdbcConnection;

// An ADO Connection over ODBC. The connection string keeps ADO's forms:
//   "PROVIDER=SQLOLEDB;Server=...;Database =...;UId=...;Pwd=...;"  -> SQL Server ODBC driver
//   "Provider=OraOLEDB.Oracle.1;Data Source=...;User Id=...;Password=...;" -> Oracle ODBC driver
//   "Provider=SQLite;Data Source=FILE;"                              -> SQLite3 ODBC driver
// Keys are case-blind, blanks around "=" allowed. Driver names come from the environment
// (CONTACTOS_SQLSERVER_DRIVER, default "FreeTDS"; CONTACTOS_ORACLE_DRIVER, default "Oracle";
// CONTACTOS_SQLITE_DRIVER, default "SQLite3"). A missing SQLite file is a connection failure.
//
// Failures raise RuntimeError with the OLE DB code of the driver's SQLSTATE (adErr...), and every
// diagnostic record is added to Errors(). A failure that shows the link to the database gone (a
// server stopped or restarted, a network cut, a SQLite file moved away) raises
// adErrInvalidConnection with a message that says so; the next use of the connection opens it
// again with the same connection string and settings (see odbc()), so that answering
// "Reintentar" once the database is back runs the failed step on a new link.
class Connection {
public:
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Opens with the connection string (or ConnectionString() when empty); user and password,
    // when given, replace those of the string. 3705 when already open.
    void Open(const QString& connectionString = {}, const QString& user = {}, const QString& password = {},
              long options = -1);
    void Close(); // 3704 when closed
    long State() const;

    QString ConnectionString() const;
    void setConnectionString(const QString& text);
    long CursorLocation() const;
    void setCursorLocation(long location);
    long CommandTimeout() const; // seconds, default 30
    void setCommandTimeout(long seconds);
    QString DefaultDatabase() const;
    // Changes the current database where the server has several (SQL Server); elsewhere kept as
    // a value only.
    void setDefaultDatabase(const QString& name);

    // Runs a statement. `recordsAffected` receives the rows it touched (-1 when the driver does
    // not say). Returns the result's recordset (closed when the statement returned no rows).
    std::unique_ptr<Recordset> Execute(const QString& commandText, long* recordsAffected = nullptr,
                                       long options = -1);

    long BeginTrans(); // returns the nesting level (1)
    void CommitTrans();
    void RollbackTrans();

    ado::Errors& Errors();
    const ado::Errors& Errors() const;

    // Schema rowsets: adSchemaTables (20; columns TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME,
    // TABLE_TYPE) and adSchemaColumns (4; restrictions catalog, schema, table, column; columns
    // TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME, COLUMN_NAME, ORDINAL_POSITION, DATA_TYPE ...).
    std::unique_ptr<Recordset> OpenSchema(long queryType, const QStringList& restrictions = {});

    // The dialect of the provider named in the connection string.
    Dialect dialect() const;
    // The statement as the provider's dialect step passes it to the driver (SQLite: TOP n to
    // LIMIT n, [name] to "name", #dd/mm/yyyy# to an ISO literal; SQL Server: #dd/mm/yyyy# to a
    // literal the server reads as a date).
    QString toDriverSql(const QString& statement) const;

    // Internal: the open ODBC handles (null when closed). A link found gone (or made before its
    // database's last loss) is made again first, with the same connection string, user,
    // password, command time-out and default database; while the database stays away that
    // raises adErrInvalidConnection.
    OdbcConnection* odbc();
    // Internal: expires when this object goes, so that a recordset never uses a dead connection.
    std::weak_ptr<void> lifetime() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace ado
