// Type codes and OLE DB error codes as the SQL Server and Oracle drivers report their columns and
// failures (the roads that have no server here).
#include "data/ado/ColumnTypes.h"
#include "data/ado/AdoTypes.h"
#include "data/ado/OleDbCode.h"

#include <gtest/gtest.h>
#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

using namespace ado;

TEST(ColumnTypes, ServerTypesByTheirNamesAndSqlTypes) {
    struct Case {
        int sqlType;
        const char* name;
        qint64 size;
        Dialect dialect;
        long type;
        long definedSize;
        bool longData;
    };
    const Case cases[] = {
        {SQL_DECIMAL, "money", 19, Dialect::SqlServer, adCurrency, 8, false},
        {SQL_DECIMAL, "smallmoney", 10, Dialect::SqlServer, adCurrency, 8, false},
        {SQL_TYPE_TIMESTAMP, "datetime", 23, Dialect::SqlServer, adDBTimeStamp, 16, false},
        {SQL_WVARCHAR, "nvarchar", 40, Dialect::SqlServer, adVarWChar, 40, false},
        {SQL_VARCHAR, "varchar", 0, Dialect::SqlServer, adLongVarChar, 2147483647,
         true}, // varchar(max)
        {SQL_WLONGVARCHAR, "ntext", 1073741823, Dialect::SqlServer, adLongVarWChar, 1073741823,
         true},
        {SQL_CHAR, "char", 10, Dialect::SqlServer, adChar, 10, false},
        {SQL_WCHAR, "nchar", 5, Dialect::SqlServer, adWChar, 5, false},
        {SQL_BIT, "bit", 1, Dialect::SqlServer, adBoolean, 2, false},
        {SQL_TINYINT, "tinyint", 3, Dialect::SqlServer, adUnsignedTinyInt, 1, false},
        {SQL_INTEGER, "int identity", 10, Dialect::SqlServer, adInteger, 4, false},
        {SQL_NUMERIC, "numeric", 12, Dialect::SqlServer, adNumeric, 19, false},
        {SQL_FLOAT, "float", 53, Dialect::SqlServer, adDouble, 8, false},
        {SQL_BINARY, "timestamp", 8, Dialect::SqlServer, adBinary, 8,
         false}, // a row version, not a date
        {SQL_TYPE_TIMESTAMP, "DATE", 19, Dialect::Oracle, adDBTimeStamp, 16, false},
        {SQL_DECIMAL, "NUMBER", 38, Dialect::Oracle, adNumeric, 19, false},
        {SQL_WVARCHAR, "VARCHAR2", 100, Dialect::Oracle, adVarChar, 100, false},
        // SQLite: declared sizes are hints, so its texts are always read in pieces.
        {SQL_VARCHAR, "varchar(50)", 0, Dialect::SQLite, adVarChar, 50, true},
        {SQL_VARCHAR, "money", 255, Dialect::SQLite, adCurrency, 8, false},
        {SQL_DOUBLE, "numeric", 12, Dialect::SQLite, adNumeric, 19, false},
        {SQL_VARCHAR, "", 255, Dialect::SQLite, adVarChar, 255, true}, // an expression
    };
    for (const Case& c : cases) {
        const ColumnType t =
            ColumnType::of(c.sqlType, QString::fromUtf8(c.name), c.size, c.dialect);
        EXPECT_EQ(t.type, c.type) << c.name;
        EXPECT_EQ(t.definedSize, c.definedSize) << c.name;
        EXPECT_EQ(t.longData, c.longData) << c.name;
    }
}

TEST(OleDbCode, SqlStatesAndSqliteMessagesMapToTheCodesTheSuiteTests) {
    EXPECT_EQ(
        oleDbCodeFor(QStringLiteral("42S02"), 208, QStringLiteral("Invalid object name 'x'.")),
        adErrNoSuchTable);
    EXPECT_EQ(
        oleDbCodeFor(QStringLiteral("42000"), 102, QStringLiteral("Incorrect syntax near 'x'.")),
        adErrCommandText);
    EXPECT_EQ(oleDbCodeFor(QStringLiteral("37000"), 0, QString()), adErrCommandText);
    EXPECT_EQ(
        oleDbCodeFor(QStringLiteral("42S22"), 207, QStringLiteral("Invalid column name 'x'.")),
        adErrCommandText);
    EXPECT_EQ(
        oleDbCodeFor(QStringLiteral("23000"), 2627, QStringLiteral("Violation of PRIMARY KEY")),
        adErrIntegrity);
    EXPECT_EQ(oleDbCodeFor(QStringLiteral("HY000"), 942,
                           QStringLiteral("ORA-00942: table or view does not exist")),
              adErrNoSuchTable);
    EXPECT_EQ(oleDbCodeFor(QStringLiteral("HY000"), 19,
                           QStringLiteral("[SQLite]CHECK constraint failed: x (19)")),
              adErrIntegrity);
    EXPECT_EQ(oleDbCodeFor(QStringLiteral("08001"), 0, QStringLiteral("Unable to connect")),
              adErrUnspecified);
    EXPECT_EQ(
        oleDbCodeFor(QStringLiteral("HY000"), 5, QStringLiteral("[SQLite]database is locked (5)")),
        adErrUnspecified);
    EXPECT_EQ(adErrNoSuchTable, -2147217865L); // the platform's signed values
    EXPECT_EQ(adErrCommandText, -2147217900L);
}
