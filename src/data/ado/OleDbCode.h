#pragma once

#include <QString>

namespace ado {

// The OLE DB code (adErr...) that ADO reports for a driver diagnostic, from its SQLSTATE and, for
// drivers that say HY000 for nearly everything (SQLite), from its native code and message.
long oleDbCodeFor(const QString& sqlState, long nativeError, const QString& message);

} // namespace ado
