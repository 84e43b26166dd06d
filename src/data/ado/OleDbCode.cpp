#include "OleDbCode.h"

#include "AdoTypes.h"

namespace ado {

namespace {

bool mentions(const QString& message, const char16_t* text) {
    return message.contains(QStringView(text), Qt::CaseInsensitive);
}

} // namespace

long oleDbCodeFor(const QString& sqlState, long nativeError, const QString& message) {
    const QString state = sqlState.toUpper();
    // PostgreSQL's 42P01 is an undefined table (or view).
    if (state == u"42S02" || state == u"42P01" || mentions(message, u"no such table") ||
        mentions(message, u"ORA-00942"))
        return adErrNoSuchTable;
    if (state.startsWith(u"23") || mentions(message, u"constraint failed") ||
        mentions(message, u"UNIQUE constraint") || mentions(message, u"NOT NULL constraint"))
        return adErrIntegrity;
    if (state.startsWith(u"42") || state == u"37000" || state == u"21S01" || state == u"21S02" ||
        mentions(message, u"syntax error") || mentions(message, u"no such column") ||
        mentions(message, u"incomplete input") || mentions(message, u"unrecognized token"))
        return adErrCommandText;
    // SQLite's own result code 19 is SQLITE_CONSTRAINT, whatever the message says.
    if (state == u"HY000" && nativeError == 19 && message.contains(u"[SQLite]"))
        return adErrIntegrity;
    return adErrUnspecified;
}

} // namespace ado
