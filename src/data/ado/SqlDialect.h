#pragma once

#include "Dialect.h"

#include <QString>

namespace ado {

// The dialect step between the suite's statements (SQL Server's dialect) and a driver.
//   SQLite:     SELECT [DISTINCT] TOP n ... -> SELECT [DISTINCT] ... LIMIT n (also in subqueries),
//               [name] -> "name", #dd/mm/yyyy [hh:mm[:ss]]# -> 'yyyy-mm-dd[ hh:mm:ss]',
//               the owner "dbo." dropped (SQLite has no owners)
//   PostgreSQL: as SQLite, with quoted names ([name], "name") in lower case, as the server keeps
//               unquoted ones, and ISNULL( -> COALESCE(, LEN( -> LENGTH(, GETDATE() ->
//               LOCALTIMESTAMP
//   SQL Server: #dd/mm/yyyy [hh:mm[:ss]]# -> 'yyyymmdd[ hh:mm:ss]', which the server reads the
//               same way whatever its language
//   Oracle:     unchanged (the suite translates its text itself)
// Text inside single-quoted literals and double-quoted names is never touched. Never fails: what
// it does not recognise passes unchanged, for the database to judge.
class SqlDialect {
public:
    static QString toDriverSql(Dialect dialect, const QString& statement);
    // A table or column name as a statement for the driver writes it ("[MA_contactos]", "dbo",
    // "\"x\"") as the catalog keeps it: unquoted, and on PostgreSQL in lower case unless it is
    // double-quoted (what the server folds, folded the same way).
    static QString catalogName(Dialect dialect, const QString& written);
};

} // namespace ado
