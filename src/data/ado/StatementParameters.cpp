#include "StatementParameters.h"

#include "AdoTypes.h"
#include "shared/RuntimeError.h"

#include <QLocale>
#include <cstring>
#include <sqlucode.h>

using namespace Qt::StringLiterals;

namespace ado {

namespace {

void setText(std::vector<char>& data, SQLLEN& indicator, SQLULEN& size, const QString& text) {
    const std::size_t bytes = std::size_t(text.size()) * sizeof(char16_t);
    data.resize(bytes + sizeof(char16_t), 0);
    std::memcpy(data.data(), text.utf16(), bytes);
    indicator = SQLLEN(bytes);
    size = std::max<SQLULEN>(1, SQLULEN(text.size()));
}

QString sqliteDateText(long adoType, const QDateTime& dt) {
    switch (adoType) {
    case adDBDate:
        return dt.date().toString(u"yyyy-MM-dd"_s);
    case adDBTime:
        return dt.time().toString(u"HH:mm:ss"_s);
    default: {
        QString text = dt.toString(u"yyyy-MM-dd HH:mm:ss"_s);
        if (dt.time().msec() != 0)
            text += u'.' + QString::number(dt.time().msec()).rightJustified(3, u'0');
        return text;
    }
    }
}

} // namespace

void StatementParameters::add(const ColumnInfo& column, const Variant& value) {
    Param p;
    const RowStore::CellKind kind = RowStore::kindOf(column.type);
    const bool null = value.isNull() || value.isEmpty();
    const bool sqlite = c_.dialect == Dialect::SQLite;
    switch (kind) {
    case RowStore::CellKind::Text: {
        const bool binary =
            column.type == adBinary || column.type == adVarBinary || column.type == adLongVarBinary;
        const QString text = null ? QString() : value.toString();
        // SQL Server keeps the character of code 0 inside a text; SQLite's driver cuts the text
        // there and other servers refuse it. A text is never stored cut without a word.
        if (!binary && c_.dialect != Dialect::SqlServer && text.contains(QChar(0))) {
            raiseError(adErrFieldValue,
                       u"El valor del campo \"%1\" contiene el carácter de código 0, que esta base "
                       u"de datos no puede guardar en un texto. Quítelo del valor y vuelva a "
                       u"grabar."_s.arg(column.name),
                       u"ADODB.Recordset"_s);
        }
        setText(p.data, p.indicator, p.size, text);
        p.cType = SQL_C_WCHAR;
        p.sqlType = binary ? SQL_VARBINARY : (p.size > 4000 ? SQL_WLONGVARCHAR : SQL_WVARCHAR);
        break;
    }
    case RowStore::CellKind::Integer: {
        const std::int64_t v = null ? 0 : value.toInt64();
        p.data.resize(sizeof v);
        std::memcpy(p.data.data(), &v, sizeof v);
        p.cType = SQL_C_SBIGINT;
        p.sqlType = SQL_BIGINT;
        p.size = 19;
        break;
    }
    case RowStore::CellKind::Double: {
        const double v = null ? 0.0 : value.toDouble();
        if (c_.dialect == Dialect::PostgreSQL) {
            // psqlODBC writes a double with 17 digits and leaves its type to the server, which
            // takes it as the column's: a numeric column would get 0.10000000000000001 for 0.1.
            // The shortest text that reads back as the same double is what was meant.
            const QByteArray text = QByteArray::number(v, 'g', QLocale::FloatingPointShortest);
            p.data.assign(text.constData(), text.constData() + text.size() + 1);
            p.indicator = SQLLEN(text.size());
            p.cType = SQL_C_CHAR;
            p.sqlType = SQL_DOUBLE;
            p.size = 17;
            break;
        }
        p.data.resize(sizeof v);
        std::memcpy(p.data.data(), &v, sizeof v);
        p.cType = SQL_C_DOUBLE;
        p.sqlType = SQL_DOUBLE;
        p.size = 15;
        break;
    }
    case RowStore::CellKind::Currency: {
        // The exact amount as a decimal text: a double would round some amounts on the way.
        const std::int64_t scaled = null ? 0 : value.toCurrency().scaled;
        const std::uint64_t magnitude =
            scaled < 0 ? std::uint64_t(0) - std::uint64_t(scaled) : std::uint64_t(scaled);
        const QByteArray text = (scaled < 0 ? QByteArray("-") : QByteArray()) +
                                QByteArray::number(magnitude / 10000) + '.' +
                                QByteArray::number(magnitude % 10000).rightJustified(4, '0');
        p.data.assign(text.constData(), text.constData() + text.size() + 1);
        p.indicator = SQLLEN(text.size());
        p.cType = SQL_C_CHAR;
        p.sqlType = SQL_DECIMAL;
        p.size = 19;
        p.digits = 4;
        break;
    }
    case RowStore::CellKind::Boolean: {
        p.data.assign(1, char(!null && value.toBool() ? 1 : 0));
        p.cType = SQL_C_BIT;
        p.sqlType = SQL_BIT;
        p.size = 1;
        break;
    }
    case RowStore::CellKind::Date: {
        if (sqlite) {
            setText(p.data, p.indicator, p.size,
                    null ? QString() : sqliteDateText(column.type, value.toDateTime()));
            p.cType = SQL_C_WCHAR;
            p.sqlType = SQL_WVARCHAR;
            break;
        }
        SQL_TIMESTAMP_STRUCT ts = {};
        if (!null) {
            const QDateTime dt = value.toDateTime();
            ts.year = SQLSMALLINT(dt.date().year());
            ts.month = SQLUSMALLINT(dt.date().month());
            ts.day = SQLUSMALLINT(dt.date().day());
            ts.hour = SQLUSMALLINT(dt.time().hour());
            ts.minute = SQLUSMALLINT(dt.time().minute());
            ts.second = SQLUSMALLINT(dt.time().second());
            ts.fraction = SQLUINTEGER(dt.time().msec()) * 1000000u;
        }
        p.data.resize(sizeof ts);
        std::memcpy(p.data.data(), &ts, sizeof ts);
        p.cType = SQL_C_TYPE_TIMESTAMP;
        p.sqlType = SQL_TYPE_TIMESTAMP;
        p.size = 23;
        p.digits = 3;
        break;
    }
    }
    if (null)
        p.indicator = SQL_NULL_DATA;
    else if (p.cType != SQL_C_WCHAR && p.cType != SQL_C_CHAR)
        p.indicator = SQLLEN(p.data.size());
    params_.push_back(std::move(p));
}

void StatementParameters::bind(const OdbcHandle& stmt) {
    SQLUSMALLINT number = 1;
    for (Param& p : params_) {
        c_.check(SQLBindParameter(stmt.get(), number++, SQL_PARAM_INPUT, p.cType, p.sqlType, p.size,
                                  p.digits, p.data.data(), SQLLEN(p.data.size()), &p.indicator),
                 stmt);
    }
}

} // namespace ado
