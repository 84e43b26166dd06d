#include "ColumnTypes.h"

#include "AdoTypes.h"

#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

using namespace Qt::StringLiterals;

namespace ado {

namespace {

constexpr long longTextSize = 2147483647;
constexpr long longWideTextSize = 1073741823;

ColumnType fixed(long type) {
    switch (type) {
    case adSmallInt:
        return {type, 2, false};
    case adInteger:
        return {type, 4, false};
    case adSingle:
        return {type, 4, false};
    case adDouble:
        return {type, 8, false};
    case adCurrency:
        return {type, 8, false};
    case adDate:
        return {type, 8, false};
    case adBoolean:
        return {type, 2, false};
    case adTinyInt:
    case adUnsignedTinyInt:
        return {type, 1, false};
    case adBigInt:
        return {type, 8, false};
    case adDecimal:
    case adNumeric:
        return {type, 19, false};
    case adDBDate:
        return {type, 6, false};
    case adDBTime:
        return {type, 6, false};
    case adDBTimeStamp:
        return {type, 16, false};
    case adGUID:
        return {type, 16, false};
    default:
        return {type, 0, false};
    }
}

// A text type of the given bounded size; sizes the server does not bound become long texts.
ColumnType text(long boundedType, long longType, qint64 size) {
    const bool wide = longType == adLongVarWChar;
    if (size <= 0 || size > 8000) return {longType, wide ? longWideTextSize : longTextSize, true};
    return {boundedType, long(size), false};
}

bool isBinarySqlType(int sqlType) {
    return sqlType == SQL_BINARY || sqlType == SQL_VARBINARY || sqlType == SQL_LONGVARBINARY;
}

ColumnType fromSqlType(int sqlType, qint64 size) {
    switch (sqlType) {
    case SQL_CHAR:
        return text(adChar, adLongVarChar, size);
    case SQL_VARCHAR:
        return text(adVarChar, adLongVarChar, size);
    case SQL_LONGVARCHAR:
        return {adLongVarChar, longTextSize, true};
    case SQL_WCHAR:
        return text(adWChar, adLongVarWChar, size);
    case SQL_WVARCHAR:
        return text(adVarWChar, adLongVarWChar, size);
    case SQL_WLONGVARCHAR:
        return {adLongVarWChar, longWideTextSize, true};
    case SQL_INTEGER:
        return fixed(adInteger);
    case SQL_SMALLINT:
        return fixed(adSmallInt);
    case SQL_TINYINT:
        return fixed(adUnsignedTinyInt);
    case SQL_BIGINT:
        return fixed(adBigInt);
    case SQL_BIT:
        return fixed(adBoolean);
    case SQL_DECIMAL:
    case SQL_NUMERIC:
        return fixed(adNumeric);
    case SQL_FLOAT:
    case SQL_DOUBLE:
        return fixed(adDouble);
    case SQL_REAL:
        return fixed(adSingle);
    case SQL_TYPE_DATE:
    case SQL_DATE:
        return fixed(adDBDate);
    case SQL_TYPE_TIME:
    case SQL_TIME:
        return fixed(adDBTime);
    case SQL_TYPE_TIMESTAMP:
    case SQL_TIMESTAMP:
        return fixed(adDBTimeStamp);
    case SQL_GUID:
        return fixed(adGUID);
    case SQL_BINARY:
        return {adBinary, long(size), size <= 0 || size > 8000};
    case SQL_VARBINARY:
        return {adVarBinary, long(size), size <= 0 || size > 8000};
    case SQL_LONGVARBINARY:
        return {adLongVarBinary, longTextSize, true};
    default:
        return text(adVarChar, adLongVarChar, size);
    }
}

} // namespace

bool ColumnType::isText(long adoType) {
    switch (adoType) {
    case adBSTR:
    case adChar:
    case adWChar:
    case adVarChar:
    case adLongVarChar:
    case adVarWChar:
    case adLongVarWChar:
    case adGUID:
        return true;
    default:
        return false;
    }
}

namespace {

ColumnType classify(int sqlType, const QString& typeName, qint64 columnSize) {
    if (isBinarySqlType(sqlType)) return fromSqlType(sqlType, columnSize);

    // The name without its size ("varchar(50)" -> "varchar") and in one case.
    QString name = typeName.trimmed().toLower();
    const qsizetype paren = name.indexOf(u'(');
    if (paren >= 0) {
        // SQLite's catalog gives "varchar(50)": the declared size is then the one in the name.
        if (columnSize <= 0) {
            bool ok = false;
            const qint64 declared =
                name.mid(paren + 1).section(u',', 0, 0).remove(u')').trimmed().toLongLong(&ok);
            if (ok) columnSize = declared;
        }
        name = name.left(paren).trimmed();
    }
    name.remove(u" identity"_s);
    name.remove(u"unsigned "_s);

    if (name == u"varchar"_s || name == u"varchar2"_s || name == u"character varying"_s ||
        name == u"varying character"_s)
        return text(adVarChar, adLongVarChar, columnSize);
    if (name == u"nvarchar"_s || name == u"nvarchar2"_s || name == u"national varchar"_s ||
        name == u"native character"_s)
        return text(adVarWChar, adLongVarWChar, columnSize);
    if (name == u"char"_s || name == u"character"_s) return text(adChar, adLongVarChar, columnSize);
    if (name == u"nchar"_s || name == u"national character"_s)
        return text(adWChar, adLongVarWChar, columnSize);
    if (name == u"text"_s || name == u"clob"_s || name == u"long"_s || name == u"long varchar"_s ||
        name == u"mediumtext"_s || name == u"longtext"_s)
        return {adLongVarChar, longTextSize, true};
    if (name == u"ntext"_s || name == u"nclob"_s) return {adLongVarWChar, longWideTextSize, true};
    if (name == u"int"_s || name == u"integer"_s || name == u"mediumint"_s) return fixed(adInteger);
    if (name == u"smallint"_s || name == u"int2"_s) return fixed(adSmallInt);
    if (name == u"tinyint"_s) return fixed(adUnsignedTinyInt);
    if (name == u"bigint"_s || name == u"big int"_s || name == u"int8"_s) return fixed(adBigInt);
    if (name == u"bit"_s || name == u"boolean"_s || name == u"bool"_s) return fixed(adBoolean);
    if (name == u"money"_s || name == u"smallmoney"_s || name == u"currency"_s)
        return fixed(adCurrency);
    if (name == u"decimal"_s || name == u"numeric"_s || name == u"number"_s)
        return fixed(adNumeric);
    if (name == u"float"_s || name == u"double"_s || name == u"double precision"_s)
        return fixed(adDouble);
    if (name == u"real"_s) return fixed(adSingle);
    if (name == u"datetime"_s || name == u"smalldatetime"_s || name == u"datetime2"_s ||
        name == u"timestamp"_s)
        return fixed(adDBTimeStamp);
    // Oracle's DATE holds a time of day too; its driver says so through the SQL type.
    if (name == u"date"_s) {
        return fixed(sqlType == SQL_TYPE_TIMESTAMP || sqlType == SQL_TIMESTAMP ? adDBTimeStamp
                                                                               : adDBDate);
    }
    if (name == u"time"_s) return fixed(adDBTime);
    if (name == u"uniqueidentifier"_s) return fixed(adGUID);
    return fromSqlType(sqlType, columnSize);
}

} // namespace

ColumnType ColumnType::of(int sqlType, const QString& typeName, qint64 columnSize,
                          Dialect dialect) {
    ColumnType t = classify(sqlType, typeName, columnSize);
    // SQLite keeps texts of any length whatever the declared size: the size is a hint there, not a
    // bound, so its texts are read in pieces rather than into buffers of the declared size.
    if (dialect == Dialect::SQLite && isText(t.type)) t.longData = true;
    return t;
}

} // namespace ado
