#pragma once

#include "Dialect.h"

#include <QString>

namespace ado {

// How a result column is kept and shown: its ADO type code and DefinedSize, from the column's ODBC
// SQL type refined by the driver's type name (the SQLite driver reports a declared "money" as
// SQL_VARCHAR and "varchar(300)" as SQL_LONGVARCHAR; SQL Server's money is SQL_DECIMAL).
//
// DefinedSize is the size in characters for texts and the byte size of ADO's own representation
// for the rest: smallint 2, int 4, tinyint 1, bigint 8, boolean 2, currency 8, single 4, double 8,
// decimal/numeric 19, date 6 (DBDATE), time 6 (DBTIME), timestamp 16 (DBTIMESTAMP). Long texts
// (text, ntext and unbounded types) report 2147483647 and 1073741823 as ADO does for SQL Server.
struct ColumnType {
    long type = 0; // DataTypeEnum
    long definedSize = 0;
    bool longData = false; // unbounded: read in pieces, never bound to a fixed buffer

    // The type of a column of `sqlType` (SQL_VARCHAR...) named `typeName` by the driver ("varchar",
    // "varchar(50)", "money"...) with the driver's column size.
    static ColumnType of(int sqlType, const QString& typeName, qint64 columnSize, Dialect dialect);
    // True for the ADO text types (char, varchar, text and their wide forms, BSTR, GUID).
    static bool isText(long adoType);
};

} // namespace ado
