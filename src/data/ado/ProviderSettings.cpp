#include "ProviderSettings.h"

#include "AdoConnectionString.h"
#include "AdoTypes.h"
#include "shared/RuntimeError.h"

#include <QDir>

using namespace Qt::StringLiterals;

namespace ado {

namespace {

enum class Kind { SqlServer, Oracle, SQLite, Unknown };

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

} // namespace

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
        if (ok && timeout >= 0) s.busyTimeoutSeconds = timeout;
        // StepAPI streams the rows of a read instead of loading the whole result first; NoCreat
        // keeps the driver from making an empty database where the file is missing; Timeout is
        // how long (ms) a locked database is waited for before the statement fails.
        s.odbcString = u"Driver={"_s + s.driver + u"};Database="_s +
                       sqliteDatabaseValue(s.databaseFile) + u";StepAPI=1;NoCreat=1;Timeout="_s +
                       QString::number(s.busyTimeoutSeconds * 1000) + u';';
        break;
    }
    case Kind::Unknown:
        raiseError(adErrProviderNotFound,
                   u"No se encuentra el proveedor \"%1\": este programa se conecta con SQLOLEDB "
                   u"(SQL Server), OraOLEDB.Oracle.1 (Oracle) o SQLite."_s.arg(s.provider),
                   u"ADODB.Connection"_s);
    }
    return s;
}

} // namespace ado
