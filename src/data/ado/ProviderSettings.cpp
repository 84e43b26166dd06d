#include "ProviderSettings.h"

#include "AdoConnectionString.h"
#include "AdoTypes.h"
#include "shared/RuntimeError.h"

#include <QDir>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace ado {

namespace {

enum class Kind { SqlServer, Oracle, SQLite, PostgreSQL, Unknown };

Kind kindOf(const QString& provider) {
    const QString p = provider.trimmed();
    if (p.isEmpty() || p.startsWith(u"SQLOLEDB"_s, Qt::CaseInsensitive) ||
        p.startsWith(u"SQLNCLI"_s, Qt::CaseInsensitive) ||
        p.startsWith(u"MSOLEDBSQL"_s, Qt::CaseInsensitive))
        return Kind::SqlServer;
    if (p.contains(u"ORACLE"_s, Qt::CaseInsensitive) ||
        p.startsWith(u"MSDAORA"_s, Qt::CaseInsensitive))
        return Kind::Oracle;
    if (p.compare(u"SQLite"_s, Qt::CaseInsensitive) == 0 ||
        p.compare(u"SQLite3"_s, Qt::CaseInsensitive) == 0)
        return Kind::SQLite;
    if (p.startsWith(u"PostgreSQL"_s, Qt::CaseInsensitive) ||
        p.compare(u"PGSQL"_s, Qt::CaseInsensitive) == 0)
        return Kind::PostgreSQL;
    return Kind::Unknown;
}

QString driverFromEnvironment(const char* variable, const QString& fallback) {
    const QString value = qEnvironmentVariable(variable).trimmed();
    return value.isEmpty() ? fallback : value;
}

// The SQLite driver reads its Database value up to the next ";" and knows no braces, so a path
// with such characters goes as a file: URI with them percent-encoded.
QString sqliteDatabaseValue(const QString& file) {
    static const QString special = u";{}%?#"_s;
    bool plain = file.trimmed() == file;
    for (const QChar c : file) {
        if (special.contains(c)) plain = false;
    }
    if (plain) return file;
    QString uri = u"file:"_s;
    const QByteArray utf8 = QDir::fromNativeSeparators(file).toUtf8();
    for (const char ch : utf8) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
            c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
            uri += QChar(char16_t(c));
        } else {
            uri += u'%' + QString::number(c, 16).toUpper().rightJustified(2, u'0');
        }
    }
    return uri;
}

// "host:port" or "host,port" taken apart (port empty when there is none); a bare IPv6 address
// has several ":" and is written "[address]:port" with a port.
void splitHostPort(const QString& server, QString& host, QString& port) {
    QString h = server.trimmed();
    QString p;
    const qsizetype sep = std::max(h.lastIndexOf(u','), h.lastIndexOf(u':'));
    bool numeric = false;
    const QString tail = h.mid(sep + 1).trimmed();
    tail.toUInt(&numeric);
    const bool bareIpv6 = h.count(u':') > 1 && !h.contains(u']');
    if (sep > 0 && numeric && !bareIpv6) {
        p = tail;
        h = h.left(sep).trimmed();
    }
    if (h.startsWith(u'[') && h.endsWith(u']')) h = h.mid(1, h.size() - 2);
    host = h;
    port = p;
}

// Rows the PostgreSQL driver fetches per round trip from its cursor.
constexpr int postgresFetchRows = 10000;

// The keys of the PostgreSQL form that the program reads itself; any other key goes to the driver
// as it is ("SSLMode=require", "Fetch=500"), in place of the program's own value for it.
const QStringList postgresServerKeys = {u"Server"_s,     u"Data Source"_s, u"Host"_s,
                                        u"Servername"_s, u"Address"_s,     u"Addr"_s};
const QStringList postgresDatabaseKeys = {u"Database"_s, u"Initial Catalog"_s};
const QStringList postgresUserKeys = {u"UId"_s, u"User Id"_s, u"User"_s, u"Username"_s};
const QStringList postgresPasswordKeys = {u"Pwd"_s, u"Password"_s};

QString postgresOdbcString(const AdoConnectionString& parsed, ProviderSettings& s,
                           const QString& user, const QString& password) {
    QString server, portInServer;
    splitHostPort(parsed.value(postgresServerKeys), server, portInServer);
    QString port = parsed.value({u"Port"_s});
    if (port.isEmpty()) port = portInServer;
    if (server.isEmpty()) server = u"localhost"_s;
    if (port.isEmpty()) port = u"5432"_s;
    bool ok = false;
    const int timeout = parsed.value({u"Lock Timeout"_s}).toInt(&ok);
    if (ok && timeout >= 0) s.lockTimeoutSeconds = timeout;

    std::vector<std::pair<QString, QString>> entries = {
        {u"Servername"_s, server},
        {u"Port"_s, port},
        {u"Database"_s, parsed.value(postgresDatabaseKeys)},
        {u"UID"_s, user.isEmpty() ? parsed.value(postgresUserKeys) : user},
        {u"PWD"_s, password.isEmpty() ? parsed.value(postgresPasswordKeys) : password},
        // The driver reads a whole result into memory unless it reads it through a cursor, so many
        // rows at a time.
        {u"UseDeclareFetch"_s, u"1"_s},
        {u"Fetch"_s, QString::number(postgresFetchRows)},
        // boolean as SQL_BIT (the driver's default says varchar); texts of unknown type, and a
        // varchar without a size (which the driver would call 255 long), as long texts read
        // whole rather than cut at a guessed size.
        {u"BoolsAsChar"_s, u"0"_s},
        {u"UnknownsAsLongVarchar"_s, u"1"_s},
        {u"MaxVarcharSize"_s, u"65535"_s},
        // A server that goes away without closing the connection (a network cut, a host that
        // stops answering) is noticed within about a minute instead of the system's two hours:
        // keepalives probe an idle link, and unacknowledged data gives up after 60 s. The connect
        // itself is bounded by the login time-out, which the driver hands on as connect_timeout.
        {u"pqopt"_s, u"keepalives=1 keepalives_idle=30 keepalives_interval=10 keepalives_count=3 "
                     u"tcp_user_timeout=60000"_s},
    };
    QStringList ours =
        postgresServerKeys + postgresDatabaseKeys + postgresUserKeys + postgresPasswordKeys;
    ours << u"Provider"_s << u"Port"_s << u"Lock Timeout"_s;
    for (const auto& [key, value] : parsed.entries()) {
        if (ours.contains(key, Qt::CaseInsensitive)) continue;
        auto same = std::find_if(entries.begin(), entries.end(), [&key](const auto& e) {
            return e.first.compare(key, Qt::CaseInsensitive) == 0;
        });
        if (same != entries.end()) {
            same->second = value;
        } else {
            entries.emplace_back(key, value);
        }
    }
    QString odbc = u"Driver={"_s + s.driver + u"};"_s;
    for (const auto& [key, value] : entries)
        odbc += key + u'=' + ProviderSettings::odbcValue(value) + u';';
    return odbc;
}

} // namespace

QString ProviderSettings::postgresConnectionString(const QString& server, const QString& database,
                                                   const QString& user, const QString& password) {
    QString host, port;
    splitHostPort(server, host, port);
    // A value with ";" goes in braces, which the string's reader takes whole.
    return u"Provider=PostgreSQL;Server="_s + host +
           (port.isEmpty() ? QString() : u";Port="_s + port) + u";Database="_s +
           odbcValue(database) + u";Uid="_s + odbcValue(user) + u";Pwd="_s + odbcValue(password) +
           u';';
}

QString ProviderSettings::odbcValue(const QString& value) {
    if (value.contains(u';') || value.contains(u'{') || value.contains(u'}') ||
        value.trimmed() != value) {
        QString escaped = value;
        escaped.replace(u"}"_s, u"}}"_s);
        return u'{' + escaped + u'}';
    }
    return value;
}

Dialect ProviderSettings::dialectOf(const QString& adoString) {
    const AdoConnectionString parsed(adoString);
    switch (kindOf(parsed.value({u"Provider"_s}))) {
    case Kind::Oracle:
        return Dialect::Oracle;
    case Kind::SQLite:
        return Dialect::SQLite;
    case Kind::PostgreSQL:
        return Dialect::PostgreSQL;
    default:
        return Dialect::SqlServer;
    }
}

ProviderSettings ProviderSettings::resolve(const QString& adoString, const QString& user,
                                           const QString& password) {
    const AdoConnectionString parsed(adoString);
    ProviderSettings s;
    s.provider = parsed.value({u"Provider"_s});
    switch (kindOf(s.provider)) {
    case Kind::SqlServer: {
        s.dialect = Dialect::SqlServer;
        s.driverVariable = u"CONTACTOS_SQLSERVER_DRIVER"_s;
        s.driver = driverFromEnvironment("CONTACTOS_SQLSERVER_DRIVER", u"FreeTDS"_s);
        QString server = parsed.value({u"Server"_s, u"Data Source"_s, u"Address"_s, u"Addr"_s});
        QString port;
        // "host,port" is ADO's form, "host:port" the one operators often type.
        const qsizetype sep = std::max(server.lastIndexOf(u','), server.lastIndexOf(u':'));
        if (sep > 0) {
            port = server.mid(sep + 1).trimmed();
            server = server.left(sep).trimmed();
        }
        const QString database = parsed.value({u"Database"_s, u"Initial Catalog"_s});
        const QString uid =
            user.isEmpty() ? parsed.value({u"UId"_s, u"User Id"_s, u"User"_s}) : user;
        const QString pwd = password.isEmpty() ? parsed.value({u"Pwd"_s, u"Password"_s}) : password;
        const bool freeTds = s.driver.contains(u"FreeTDS"_s, Qt::CaseInsensitive) ||
                             s.driver.contains(u"tdsodbc"_s, Qt::CaseInsensitive);
        s.odbcString = u"Driver={"_s + s.driver + u"};"_s;
        if (freeTds) {
            s.odbcString += u"Server="_s + odbcValue(server) + u';';
            // A named instance ("host\instance") is found by the server's browser, not by a port.
            if (!port.isEmpty()) {
                s.odbcString += u"Port="_s + odbcValue(port) + u';';
            } else if (!server.contains(u'\\')) {
                s.odbcString += u"Port=1433;"_s;
            }
        } else {
            s.odbcString +=
                u"Server="_s + odbcValue(port.isEmpty() ? server : server + u',' + port) + u';';
        }
        s.odbcString += u"Database="_s + odbcValue(database) + u';';
        s.odbcString += u"UID="_s + odbcValue(uid) + u';';
        s.odbcString += u"PWD="_s + odbcValue(pwd) + u';';
        if (freeTds) s.odbcString += u"TDS_Version=7.4;"_s;
        break;
    }
    case Kind::Oracle: {
        s.dialect = Dialect::Oracle;
        s.newKey = NewKey::None;
        s.driverVariable = u"CONTACTOS_ORACLE_DRIVER"_s;
        s.driver = driverFromEnvironment("CONTACTOS_ORACLE_DRIVER", u"Oracle"_s);
        const QString source = parsed.value({u"Data Source"_s, u"DBQ"_s, u"Server"_s});
        const QString uid =
            user.isEmpty() ? parsed.value({u"User Id"_s, u"UId"_s, u"User"_s}) : user;
        const QString pwd = password.isEmpty() ? parsed.value({u"Password"_s, u"Pwd"_s}) : password;
        s.odbcString = u"Driver={"_s + s.driver + u"};DBQ="_s + odbcValue(source) + u";UID="_s +
                       odbcValue(uid) + u";PWD="_s + odbcValue(pwd) + u';';
        break;
    }
    case Kind::SQLite: {
        s.dialect = Dialect::SQLite;
        s.newKey = NewKey::Rowid;
        s.driverVariable = u"CONTACTOS_SQLITE_DRIVER"_s;
        s.driver = driverFromEnvironment("CONTACTOS_SQLITE_DRIVER", u"SQLite3"_s);
        s.databaseFile = parsed.value({u"Data Source"_s, u"Database"_s, u"DBQ"_s});
        if (s.databaseFile.trimmed().isEmpty()) {
            raiseError(adErrUnspecified,
                       u"La cadena de conexión de SQLite no indica el archivo de la base de datos "
                       u"(falta \"Data Source=archivo\")."_s,
                       u"SQLite"_s);
        }
        bool ok = false;
        const int timeout = parsed.value({u"Busy Timeout"_s}).toInt(&ok);
        if (ok && timeout >= 0) s.lockTimeoutSeconds = timeout;
        // StepAPI streams the rows of a read instead of loading the whole result first; NoCreat
        // keeps the driver from making an empty database where the file is missing; Timeout is
        // how long (ms) a locked database is waited for before the statement fails.
        s.odbcString = u"Driver={"_s + s.driver + u"};Database="_s +
                       sqliteDatabaseValue(s.databaseFile) + u";StepAPI=1;NoCreat=1;Timeout="_s +
                       QString::number(s.lockTimeoutSeconds * 1000) + u';';
        break;
    }
    case Kind::PostgreSQL:
        s.dialect = Dialect::PostgreSQL;
        s.newKey = NewKey::Returning;
        s.driverVariable = u"CONTACTOS_POSTGRESQL_DRIVER"_s;
        s.driver = driverFromEnvironment("CONTACTOS_POSTGRESQL_DRIVER", u"PostgreSQL Unicode"_s);
        s.odbcString = postgresOdbcString(parsed, s, user, password);
        break;
    case Kind::Unknown:
        raiseError(
            adErrProviderNotFound,
            u"No se encuentra el proveedor \"%1\": este programa se conecta con SQLOLEDB "
            u"(SQL Server), OraOLEDB.Oracle.1 (Oracle), SQLite o PostgreSQL."_s.arg(s.provider),
            u"ADODB.Connection"_s);
    }
    return s;
}

} // namespace ado
