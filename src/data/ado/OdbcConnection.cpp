#include "OdbcConnection.h"

#include "AdoTypes.h"
#include "LostLink.h"
#include "OleDbCode.h"
#include "shared/RuntimeError.h"

#include <QFile>
#include <sqlucode.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace ado {

namespace {

bool fileIdentity(const QString& path, quint64& device, quint64& inode) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0) return false;
    device = quint64(info.st_dev);
    inode = quint64(info.st_ino);
    return true;
}

} // namespace

void OdbcConnection::noteDatabaseFile() {
    if (!databaseFile.isEmpty()) fileIdentity(databaseFile, fileDevice, fileInode);
}

namespace {

// True when the SQLite file at its path is gone or is another file than the one opened.
bool fileMoved(const OdbcConnection& c) {
    if (c.databaseFile.isEmpty()) return false;
    quint64 device = 0, inode = 0;
    return !fileIdentity(c.databaseFile, device, inode) || device != c.fileDevice ||
           inode != c.fileInode;
}

QString fileMovedText(const OdbcConnection& c) {
    return u"El archivo de la base de datos \"%1\" ya no está donde se abrió."_s.arg(
        c.databaseFile);
}

// Drivers that keep track of their link say so when asked (psqlODBC, FreeTDS); the others answer
// nothing, which is no.
bool driverSaysDead(const OdbcConnection& c) {
    SQLUINTEGER dead = SQL_CD_FALSE;
    const SQLRETURN rc =
        SQLGetConnectAttrW(c.dbc.get(), SQL_ATTR_CONNECTION_DEAD, &dead, sizeof dead, nullptr);
    return SQL_SUCCEEDED(rc) && dead == SQL_CD_TRUE;
}

} // namespace

std::vector<ProviderError> OdbcConnection::diagnostics(SQLSMALLINT handleType,
                                                       SQLHANDLE handle) const {
    std::vector<ProviderError> records;
    if (handle == SQL_NULL_HANDLE) return records;
    for (SQLSMALLINT i = 1;; ++i) {
        SQLWCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        std::vector<SQLWCHAR> message(1024);
        SQLRETURN rc = SQLGetDiagRecW(handleType, handle, i, state, &native, message.data(),
                                      SQLSMALLINT(message.size()), &length);
        if (rc == SQL_SUCCESS_WITH_INFO && length >= SQLSMALLINT(message.size())) {
            message.resize(std::size_t(length) + 1);
            rc = SQLGetDiagRecW(handleType, handle, i, state, &native, message.data(),
                                SQLSMALLINT(message.size()), &length);
        }
        if (!SQL_SUCCEEDED(rc)) break; // SQL_NO_DATA: no more records
        ProviderError e;
        e.SQLState = QString::fromUtf16(reinterpret_cast<const char16_t*>(state), 5);
        e.NativeError = long(native);
        e.Description =
            QString::fromUtf16(reinterpret_cast<const char16_t*>(message.data()),
                               std::min<qsizetype>(length, qsizetype(message.size()) - 1));
        e.Number = oleDbCodeFor(e.SQLState, e.NativeError, e.Description);
        e.Source = driver;
        records.push_back(std::move(e));
    }
    return records;
}

void OdbcConnection::raise(std::vector<ProviderError> records) const {
    if (records.empty()) {
        ProviderError e;
        e.SQLState = u"HY000"_s;
        e.Number = adErrUnspecified;
        e.Description =
            u"El controlador ODBC \"%1\" informó un error sin describirlo."_s.arg(driver);
        e.Source = driver;
        records.push_back(e);
    }
    // Only a link that was open can be lost; a failed connect is the connect's own failure.
    const bool moved = dbc.connected() && fileMoved(*this);
    const bool gone =
        dbc.connected() && (moved || LostLink::reported(records) || driverSaysDead(*this));
    if (errors) {
        errors->Clear();
        for (const ProviderError& e : records)
            errors->append(e);
    }
    const ProviderError& first = records.front();
    if (gone) {
        linkLost = true;
        LostLink::noteLoss(target);
        throw RuntimeError(adErrInvalidConnection,
                           LostLink::message(moved ? fileMovedText(*this) : first.Description),
                           first.Source);
    }
    QString description = first.Description;
    // Both wait lockTimeoutSeconds for another session to let go, then give up with a terse
    // English message: say what happened. The records keep the driver's own words and codes.
    if (dialect == Dialect::SQLite && (first.NativeError == 5 || first.NativeError == 6) &&
        first.Description.contains(u"locked"_s, Qt::CaseInsensitive)) {
        description =
            u"La base de datos está bloqueada por otro proceso y no se liberó en %1 segundos; "
            u"inténtelo de nuevo más tarde. (%2)"_s.arg(lockTimeoutSeconds)
                .arg(first.Description);
    } else if (dialect == Dialect::PostgreSQL && first.SQLState == u"55P03"_s) {
        description = u"El registro está en uso por otro operador, que lo tiene bloqueado, y no "
                      u"se liberó en el tiempo de espera; inténtelo de nuevo más tarde. (%1)"_s.arg(
                          first.Description.trimmed());
    }
    throw RuntimeError(first.Number, description, first.Source);
}

bool OdbcConnection::check(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle,
                           OdbcAccept accept) const {
    switch (rc) {
    case SQL_SUCCESS:
    case SQL_SUCCESS_WITH_INFO:
        return true;
    case SQL_NO_DATA:
        if (accept != OdbcAccept::Success) return false;
        break;
    case SQL_INVALID_HANDLE:
        raise({ProviderError{u"HY000"_s, adErrUnspecified,
                             u"Identificador ODBC no válido (error interno del programa)."_s, 0,
                             driver}});
    default:
        if (accept == OdbcAccept::Optional) return false;
        break;
    }
    raise(diagnostics(handleType, handle));
}

bool OdbcConnection::check(SQLRETURN rc, const OdbcHandle& handle, OdbcAccept accept) const {
    return check(rc, handle.type(), handle.get(), accept);
}

OdbcHandle OdbcConnection::newStatement() const {
    if (fileMoved(*this))
        raise({ProviderError{u"08S01"_s, adErrUnspecified, fileMovedText(*this), 0, driver}});
    SQLHANDLE h = SQL_NULL_HANDLE;
    check(SQLAllocHandle(SQL_HANDLE_STMT, dbc.get(), &h), dbc);
    OdbcHandle stmt(SQL_HANDLE_STMT, h);
    // A driver without query time-outs still runs the statement, only without the limit.
    if (commandTimeout > 0) {
        check(SQLSetStmtAttrW(stmt.get(), SQL_ATTR_QUERY_TIMEOUT,
                              reinterpret_cast<SQLPOINTER>(SQLULEN(commandTimeout)), 0),
              stmt, OdbcAccept::Optional);
    }
    return stmt;
}

} // namespace ado
