#pragma once

#include "OdbcConnection.h"
#include "RowStore.h"

#include <deque>
#include <vector>

namespace ado {

// The parameter values of one statement, kept where the driver can read them until it has run.
// Values are given in the field's own kind (as FieldCoercion leaves them); a Null is sent with
// the field's SQL type so that servers which check parameter types accept it. On SQLite, dates
// go as the texts 'yyyy-mm-dd' and 'yyyy-mm-dd hh:mm:ss', the form in which its dates are kept
// and compared.
class StatementParameters {
public:
    explicit StatementParameters(const OdbcConnection& connection) : c_(connection) {}

    // Adds the next "?" parameter: `value` for a column described by `column`.
    void add(const ColumnInfo& column, const Variant& value);
    // Binds every parameter to the prepared statement.
    void bind(const OdbcHandle& stmt);
    std::size_t count() const { return params_.size(); }

private:
    struct Param {
        SQLSMALLINT cType = SQL_C_WCHAR;
        SQLSMALLINT sqlType = SQL_WVARCHAR;
        SQLULEN size = 1;
        SQLSMALLINT digits = 0;
        std::vector<char> data;
        SQLLEN indicator = 0;
    };
    const OdbcConnection& c_;
    std::deque<Param> params_;
};

} // namespace ado
