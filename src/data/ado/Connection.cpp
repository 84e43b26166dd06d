#include "Connection.h"

#include "AdoError.h"
#include "LostLink.h"
#include "OdbcConnection.h"
#include "ProviderSettings.h"
#include "Recordset.h"
#include "RecordsetImpl.h"
#include "ResultReader.h"
#include "SqlDialect.h"
#include "SqliteEngine.h"
#include "shared/RuntimeError.h"

#include <QFileInfo>
#include <langinfo.h>
#include <sqlucode.h>

using namespace Qt::StringLiterals;

namespace ado {

namespace {

const QString connectionSource = u"ADODB.Connection"_s;
constexpr SQLUINTEGER loginTimeoutSeconds = 15; // ADO's ConnectionTimeout default

// unixODBC says IM002 for a driver missing from odbcinst.ini, and "Can't open lib" (01000) for
// a name that is not there and is not a library file either.
bool driverMissing(const std::vector<ProviderError>& records) {
    for (const ProviderError& e : records) {
        if (e.SQLState == u"IM002"_s ||
            e.Description.contains(u"Can't open lib"_s, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

// Whether the driver gives a text asked for as SQL_C_CHAR in UTF-8. SQLite's always does.
// PostgreSQL's Unicode driver gives it in the encoding of the program's locale as it stands when
// the connection opens: UTF-8 under the operators' locales (es_AR.UTF-8), but not under "C",
// where anything beyond ASCII would be lost.
bool textsInUtf8(const ProviderSettings& settings) {
    if (settings.dialect == Dialect::SQLite) return true;
    if (settings.dialect != Dialect::PostgreSQL ||
        !settings.driver.contains(u"Unicode"_s, Qt::CaseInsensitive))
        return false;
    const char* codeset = nl_langinfo(CODESET);
    return codeset && (qstricmp(codeset, "UTF-8") == 0 || qstricmp(codeset, "UTF8") == 0);
}

const SQLWCHAR* restriction(const QStringList& list, int index, QString& holder) {
    holder = index < list.size() ? list[index].trimmed() : QString();
    return holder.isEmpty() ? nullptr : wide(holder);
}

ColumnInfo textColumn(const QString& name, long size = 128) {
    ColumnInfo c;
    c.name = name;
    c.type = adVarWChar;
    c.definedSize = size;
    return c;
}

ColumnInfo typedColumn(const QString& name, long type, long size) {
    ColumnInfo c;
    c.name = name;
    c.type = type;
    c.definedSize = size;
    return c;
}

} // namespace

struct Connection::Impl {
    QString connectionString;
    // What Open was given besides the string, kept (in memory only) to open the link again.
    QString user;
    QString password;
    long cursorLocation = adUseServer;
    long commandTimeout = 30;
    QString defaultDatabase;
    ado::Errors errors;
    std::unique_ptr<OdbcConnection> odbc;
    std::shared_ptr<int> lifetime = std::make_shared<int>(0);

    std::unique_ptr<OdbcConnection> connect();
    void relink();

    // The open link for a statement: one found gone, or made before its database's last loss,
    // is made again first. A link lost inside the caller's transaction is not: the transaction
    // went with it, and the caller must hear of that (CommitTrans) before anything else runs.
    OdbcConnection& open() {
        if (!odbc) raiseAdoError(adErrObjectClosed, connectionSource);
        if (odbc->linkLost && odbc->inTransaction) {
            raiseError(adErrInvalidConnection,
                       LostLink::message(u"La transacción en curso se perdió con la conexión: "
                                         u"nada de lo hecho en ella quedó grabado."_s),
                       odbc->driver);
        }
        if (!odbc->inTransaction &&
            (odbc->linkLost || odbc->lossesAtConnect != LostLink::losses(odbc->target)))
            relink();
        return *odbc;
    }
};

// A new link with the connection string and the settings of this connection. The previous one,
// if any, stays until the new one is made, so that a connection whose database is still away
// stays open (and lost) rather than closed.
void Connection::Impl::relink() {
    std::unique_ptr<OdbcConnection> fresh;
    try {
        fresh = connect();
    } catch (const RuntimeError& e) {
        odbc->linkLost = true;
        throw RuntimeError(adErrInvalidConnection, LostLink::message(e.description()), e.source());
    }
    odbc = std::move(fresh);
}

Connection::Connection() : d(std::make_unique<Impl>()) {}

Connection::~Connection() {
    if (d->odbc && d->odbc->inTransaction) {
        // An unfinished transaction is undone, never committed by accident; nobody is left to
        // hear of a failure here.
        try {
            d->odbc->check(SQLEndTran(SQL_HANDLE_DBC, d->odbc->dbc.get(), SQL_ROLLBACK),
                           d->odbc->dbc, OdbcAccept::Optional);
        } catch (const RuntimeError&) {
        }
    }
}

void Connection::Open(const QString& connectionString, const QString& user, const QString& password,
                      long) {
    if (d->odbc) raiseAdoError(adErrObjectOpen, connectionSource);
    if (!connectionString.trimmed().isEmpty()) d->connectionString = connectionString;
    d->user = user;
    d->password = password;
    d->odbc = d->connect();
}

std::unique_ptr<OdbcConnection> Connection::Impl::connect() {
    const ProviderSettings settings = ProviderSettings::resolve(connectionString, user, password);
    // Read before connecting: a loss noted while this link is being made counts against it.
    const quint64 losses = LostLink::losses(settings.odbcString);

    auto odbc = std::make_unique<OdbcConnection>();
    odbc->target = settings.odbcString;
    odbc->lossesAtConnect = losses;
    odbc->dialect = settings.dialect;
    odbc->driver = settings.driver;
    odbc->driverVariable = settings.driverVariable;
    odbc->errors = &errors;
    odbc->commandTimeout = commandTimeout;
    odbc->lockTimeoutSeconds = settings.lockTimeoutSeconds;
    odbc->newKey = settings.newKey;

    if (settings.dialect == Dialect::SQLite) {
        // Checked here as well as by the driver's NoCreat: a missing file must never become a new
        // empty database, and the operator deserves to be told which file is missing.
        const QFileInfo file(settings.databaseFile);
        if (!file.exists() || !file.isFile()) {
            odbc->raise({ProviderError{
                u"08001"_s, adErrUnspecified,
                u"No se encuentra el archivo de base de datos \"%1\"."_s.arg(settings.databaseFile),
                0, settings.driver}});
        }
    }

    SQLHANDLE env = SQL_NULL_HANDLE;
    odbc->check(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env), SQL_HANDLE_ENV, env);
    odbc->env = OdbcHandle(SQL_HANDLE_ENV, env);
    odbc->check(
        SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0),
        odbc->env);
    SQLHANDLE dbc = SQL_NULL_HANDLE;
    odbc->check(SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc), odbc->env);
    odbc->dbc = OdbcHandle(SQL_HANDLE_DBC, dbc);
    odbc->check(SQLSetConnectAttrW(dbc, SQL_ATTR_LOGIN_TIMEOUT,
                                   reinterpret_cast<SQLPOINTER>(SQLULEN(loginTimeoutSeconds)), 0),
                odbc->dbc, OdbcAccept::Optional);

    if (settings.dialect == Dialect::SQLite) prepareSqliteEngine();
    try {
        odbc->check(SQLDriverConnectW(dbc, nullptr, wide(settings.odbcString), SQL_NTS, nullptr, 0,
                                      nullptr, SQL_DRIVER_NOPROMPT),
                    odbc->dbc);
    } catch (const RuntimeError&) {
        std::vector<ProviderError> records;
        for (long i = 0; i < errors.Count(); ++i)
            records.push_back(errors.Item(i));
        if (!driverMissing(records)) throw;
        // The driver manager's own words ("Can't open lib") do not say what to do about it.
        records.insert(
            records.begin(),
            ProviderError{
                u"IM002"_s, adErrUnspecified,
                u"No está instalado el controlador ODBC \"%1\" para el proveedor %2. "
                u"Instálelo, o indique el nombre del controlador instalado en la variable "
                u"de entorno %3."_s.arg(settings.driver,
                                        settings.provider.isEmpty() ? u"SQLOLEDB"_s
                                                                    : settings.provider,
                                        settings.driverVariable),
                0, settings.driver});
        odbc->raise(std::move(records));
    }
    odbc->dbc.setConnected(true);
    if (settings.dialect == Dialect::SQLite) {
        odbc->databaseFile = settings.databaseFile;
        odbc->noteDatabaseFile();
    }

    SQLUINTEGER extensions = 0;
    if (odbc->check(
            SQLGetInfoW(dbc, SQL_GETDATA_EXTENSIONS, &extensions, sizeof extensions, nullptr),
            odbc->dbc, OdbcAccept::Optional)) {
        odbc->getDataAnyColumn = (extensions & SQL_GD_ANY_COLUMN) != 0;
        odbc->getDataBound = (extensions & SQL_GD_BOUND) != 0;
    }

    odbc->textsInUtf8 = textsInUtf8(settings);
    if (settings.dialect == Dialect::SQLite) {
        // The driver opens any file without reading it: a file that is no database, or one
        // locked by another process, would only show at the first statement. Reading the
        // catalog now makes either a connection failure, where the operator can act on it.
        OdbcHandle probe = odbc->newStatement();
        odbc->check(
            SQLExecDirectW(probe.get(), wide(u"SELECT count(*) FROM sqlite_master"_s), SQL_NTS),
            probe);
        odbc->check(SQLFetch(probe.get()), probe, OdbcAccept::SuccessOrNoData);
    }
    if (settings.dialect == Dialect::PostgreSQL) {
        // A write to a row that another session holds locked would wait for ever: it waits the
        // lock time-out, then fails with 55P03. A time-out that the server sets for this user or
        // database is the installation's choice and stays.
        OdbcHandle setting = odbc->newStatement();
        const QString sql = u"SELECT set_config('lock_timeout', '%1s', false) "
                            u"WHERE current_setting('lock_timeout') IN ('0', '0ms')"_s.arg(
                                settings.lockTimeoutSeconds);
        odbc->check(SQLExecDirectW(setting.get(), wide(sql), SQL_NTS), setting);
        odbc->check(SQLFetch(setting.get()), setting, OdbcAccept::SuccessOrNoData);
    }
    if (settings.dialect == Dialect::SqlServer && !defaultDatabase.isEmpty()) {
        odbc->check(
            SQLSetConnectAttrW(dbc, SQL_ATTR_CURRENT_CATALOG, wide(defaultDatabase), SQL_NTS),
            odbc->dbc);
    }
    return odbc;
}

void Connection::Close() {
    if (!d->odbc) raiseAdoError(adErrObjectClosed, connectionSource);
    OdbcConnection& odbc = *d->odbc;
    if (odbc.inTransaction) {
        odbc.check(SQLEndTran(SQL_HANDLE_DBC, odbc.dbc.get(), SQL_ROLLBACK), odbc.dbc,
                   OdbcAccept::Optional);
    }
    d->odbc.reset();
}

long Connection::State() const {
    return d->odbc ? adStateOpen : adStateClosed;
}

QString Connection::ConnectionString() const {
    return d->connectionString;
}

void Connection::setConnectionString(const QString& text) {
    if (d->odbc) raiseAdoError(adErrObjectOpen, connectionSource);
    d->connectionString = text;
}

long Connection::CursorLocation() const {
    return d->cursorLocation;
}

void Connection::setCursorLocation(long location) {
    if (location != adUseServer && location != adUseClient)
        raiseAdoError(adErrInvalidArgument, connectionSource);
    d->cursorLocation = location;
}

long Connection::CommandTimeout() const {
    return d->commandTimeout;
}

void Connection::setCommandTimeout(long seconds) {
    if (seconds < 0) raiseAdoError(adErrInvalidArgument, connectionSource);
    d->commandTimeout = seconds;
    if (d->odbc) d->odbc->commandTimeout = seconds;
}

QString Connection::DefaultDatabase() const {
    if (d->odbc && d->odbc->dialect == Dialect::SqlServer) {
        SQLWCHAR name[256] = {};
        SQLINTEGER bytes = 0;
        if (d->odbc->check(SQLGetConnectAttrW(d->odbc->dbc.get(), SQL_ATTR_CURRENT_CATALOG, name,
                                              sizeof name, &bytes),
                           d->odbc->dbc, OdbcAccept::Optional)) {
            const qsizetype length =
                std::clamp<qsizetype>(bytes / qsizetype(sizeof(SQLWCHAR)), 0, 255);
            return QString::fromUtf16(reinterpret_cast<const char16_t*>(name), length);
        }
    }
    return d->defaultDatabase;
}

void Connection::setDefaultDatabase(const QString& name) {
    if (d->odbc && d->odbc->dialect == Dialect::SqlServer && !name.isEmpty()) {
        d->odbc->check(
            SQLSetConnectAttrW(d->odbc->dbc.get(), SQL_ATTR_CURRENT_CATALOG, wide(name), SQL_NTS),
            d->odbc->dbc);
    }
    d->defaultDatabase = name;
}

std::unique_ptr<Recordset> Connection::Execute(const QString& commandText, long* recordsAffected,
                                               long options) {
    OdbcConnection& odbc = d->open();
    if (recordsAffected) *recordsAffected = -1;
    const QString sql = toDriverSql(Recordset::Impl::commandText(commandText, options));
    OdbcHandle stmt = odbc.newStatement();
    const bool ran = odbc.check(SQLExecDirectW(stmt.get(), wide(sql), SQL_NTS), stmt,
                                OdbcAccept::SuccessOrNoData);
    SQLSMALLINT columns = 0;
    if (ran) odbc.check(SQLNumResultCols(stmt.get(), &columns), stmt);
    auto result = std::make_unique<Recordset>();
    const bool noRecords = options != adCmdUnspecified && (options & adExecuteNoRecords) != 0;
    if (columns > 0 && !noRecords) {
        result->d->adopt(ResultReader(odbc).readAll(stmt), this, commandText, adLockReadOnly);
        return result;
    }
    SQLLEN count = 0;
    if (ran) odbc.check(SQLRowCount(stmt.get(), &count), stmt);
    if (recordsAffected) *recordsAffected = long(count);
    return result;
}

long Connection::BeginTrans() {
    OdbcConnection& odbc = d->open();
    if (odbc.inTransaction) {
        raiseError(adErrUnspecified, u"Ya hay una transacción en curso en esta conexión."_s,
                   connectionSource);
    }
    odbc.check(SQLSetConnectAttrW(odbc.dbc.get(), SQL_ATTR_AUTOCOMMIT,
                                  reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0),
               odbc.dbc);
    odbc.inTransaction = true;
    return 1;
}

namespace {

void endTransaction(OdbcConnection& odbc, SQLSMALLINT completion) {
    if (!odbc.inTransaction) {
        raiseError(adErrNoTransaction, u"No hay ninguna transacción activa en esta conexión."_s,
                   connectionSource);
    }
    odbc.check(SQLEndTran(SQL_HANDLE_DBC, odbc.dbc.get(), completion), odbc.dbc);
    odbc.inTransaction = false;
    odbc.check(SQLSetConnectAttrW(odbc.dbc.get(), SQL_ATTR_AUTOCOMMIT,
                                  reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0),
               odbc.dbc);
}

} // namespace

void Connection::CommitTrans() {
    if (d->odbc && d->odbc->linkLost && d->odbc->inTransaction) {
        d->odbc->inTransaction = false;
        raiseError(adErrInvalidConnection,
                   LostLink::message(u"La transacción se perdió con la conexión y no se grabó: "
                                     u"hay que repetirla entera."_s),
                   d->odbc->driver);
    }
    endTransaction(d->open(), SQL_COMMIT);
}

void Connection::RollbackTrans() {
    // The server undid a transaction whose link went: there is nothing left to roll back.
    if (d->odbc && d->odbc->linkLost && d->odbc->inTransaction) {
        d->odbc->inTransaction = false;
        return;
    }
    endTransaction(d->open(), SQL_ROLLBACK);
}

ado::Errors& Connection::Errors() {
    return d->errors;
}

const ado::Errors& Connection::Errors() const {
    return d->errors;
}

std::unique_ptr<Recordset> Connection::OpenSchema(long queryType, const QStringList& restrictions) {
    OdbcConnection& odbc = d->open();
    if (queryType != adSchemaTables && queryType != adSchemaColumns) {
        raiseAdoError(adErrFeatureNotAvailable, connectionSource,
                      u"Solo se admiten los esquemas de tablas (20) y de columnas (4)."_s);
    }
    QString catalog, schema, table, last;
    // On PostgreSQL the names the suite writes are the lower-case names the server keeps.
    QStringList names = restrictions;
    if (odbc.dialect == Dialect::PostgreSQL) {
        for (qsizetype i = 1; i < names.size() && i <= 3; ++i) {
            if (!names[i].trimmed().isEmpty() && (queryType == adSchemaColumns || i != 3))
                names[i] = SqlDialect::catalogName(odbc.dialect, names[i]);
        }
    }
    const SQLWCHAR* catalogArg = restriction(names, 0, catalog);
    // SQLite has one catalog per file, named after nothing the suite knows (it passes its
    // database name), and a PostgreSQL connection sees its own database only: a catalog
    // restriction could only ever find nothing.
    if (odbc.dialect == Dialect::SQLite || odbc.dialect == Dialect::PostgreSQL)
        catalogArg = nullptr;
    const SQLWCHAR* schemaArg = restriction(names, 1, schema);
    const SQLWCHAR* tableArg = restriction(names, 2, table);
    const SQLWCHAR* lastArg = restriction(names, 3, last);
    const auto length = [](const SQLWCHAR* arg) -> SQLSMALLINT { return arg ? SQL_NTS : 0; };

    OdbcHandle stmt = odbc.newStatement();
    std::vector<ColumnInfo> columns;
    if (queryType == adSchemaTables) {
        odbc.check(SQLTablesW(stmt.get(), const_cast<SQLWCHAR*>(catalogArg), length(catalogArg),
                              const_cast<SQLWCHAR*>(schemaArg), length(schemaArg),
                              const_cast<SQLWCHAR*>(tableArg), length(tableArg),
                              const_cast<SQLWCHAR*>(lastArg), length(lastArg)),
                   stmt);
        columns = {textColumn(u"TABLE_CATALOG"_s), textColumn(u"TABLE_SCHEMA"_s),
                   textColumn(u"TABLE_NAME"_s), textColumn(u"TABLE_TYPE"_s),
                   textColumn(u"DESCRIPTION"_s, 255)};
    } else {
        odbc.check(SQLColumnsW(stmt.get(), const_cast<SQLWCHAR*>(catalogArg), length(catalogArg),
                               const_cast<SQLWCHAR*>(schemaArg), length(schemaArg),
                               const_cast<SQLWCHAR*>(tableArg), length(tableArg),
                               const_cast<SQLWCHAR*>(lastArg), length(lastArg)),
                   stmt);
        columns = {textColumn(u"TABLE_CATALOG"_s),
                   textColumn(u"TABLE_SCHEMA"_s),
                   textColumn(u"TABLE_NAME"_s),
                   textColumn(u"COLUMN_NAME"_s),
                   typedColumn(u"ORDINAL_POSITION"_s, adInteger, 4),
                   typedColumn(u"COLUMN_HASDEFAULT"_s, adBoolean, 2),
                   textColumn(u"COLUMN_DEFAULT"_s, 255),
                   typedColumn(u"IS_NULLABLE"_s, adBoolean, 2),
                   typedColumn(u"DATA_TYPE"_s, adUnsignedSmallInt, 2),
                   typedColumn(u"CHARACTER_MAXIMUM_LENGTH"_s, adInteger, 4),
                   typedColumn(u"NUMERIC_PRECISION"_s, adUnsignedSmallInt, 2),
                   typedColumn(u"NUMERIC_SCALE"_s, adSmallInt, 2),
                   textColumn(u"DESCRIPTION"_s, 255)};
    }
    const std::shared_ptr<RowStore> found = ResultReader(odbc).readAll(stmt, false);
    auto rows = std::make_shared<RowStore>(std::move(columns));
    // Restrictions name objects exactly, where ODBC's arguments are patterns ("_" matches any
    // character): the rows are checked again here.
    const auto matches = [](const Variant& value, const QString& wanted) {
        return wanted.isEmpty() ||
               value.toDisplayString().trimmed().compare(wanted, Qt::CaseInsensitive) == 0;
    };
    for (long r = 0; r < found->rowCount(); ++r) {
        if (!matches(found->value(r, 2), table)) continue;
        if (queryType == adSchemaTables) {
            rows->appendRow({found->value(r, 0), found->value(r, 1), found->value(r, 2),
                             found->value(r, 3), found->value(r, 4)});
            continue;
        }
        if (!matches(found->value(r, 3), last)) continue;
        const Variant sqlType = found->value(r, 4);
        const Variant size = found->value(r, 6);
        const ColumnType type = ColumnType::of(int(sqlType.isNull() ? 0 : sqlType.toInt64()),
                                               found->value(r, 5).toDisplayString(),
                                               size.isNull() ? 0 : size.toInt64(), odbc.dialect);
        const bool text = ColumnType::isText(type.type);
        const Variant defaultValue = found->value(r, 12);
        const Variant nullable = found->value(r, 10);
        rows->appendRow(
            {found->value(r, 0), found->value(r, 1), found->value(r, 2), found->value(r, 3),
             found->value(r, 16), Variant(!defaultValue.isNull()), defaultValue,
             Variant(nullable.isNull() || nullable.toInt64() != SQL_NO_NULLS), Variant(type.type),
             text ? Variant(type.definedSize) : Variant::null(), text ? Variant::null() : size,
             text ? Variant::null() : found->value(r, 8), found->value(r, 11)});
    }
    auto result = std::make_unique<Recordset>();
    result->d->adopt(rows, this, QString(), adLockReadOnly);
    return result;
}

Dialect Connection::dialect() const {
    if (d->odbc) return d->odbc->dialect;
    return ProviderSettings::dialectOf(d->connectionString);
}

QString Connection::toDriverSql(const QString& statement) const {
    return SqlDialect::toDriverSql(dialect(), statement);
}

OdbcConnection* Connection::odbc() {
    return d->odbc ? &d->open() : nullptr;
}

std::weak_ptr<void> Connection::lifetime() const {
    return d->lifetime;
}

} // namespace ado
