#include "WriteTransaction.h"

namespace ado {

WriteTransaction::WriteTransaction(OdbcConnection& connection) : c_(connection) {
    if (c_.inTransaction) return;
    c_.check(SQLSetConnectAttrW(c_.dbc.get(), SQL_ATTR_AUTOCOMMIT,
                                reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0),
             c_.dbc);
    owned_ = true;
}

bool WriteTransaction::rollBack() {
    return c_.check(SQLEndTran(SQL_HANDLE_DBC, c_.dbc.get(), SQL_ROLLBACK), c_.dbc,
                    OdbcAccept::Optional);
}

bool WriteTransaction::autocommitOn() {
    return c_.check(SQLSetConnectAttrW(c_.dbc.get(), SQL_ATTR_AUTOCOMMIT,
                                       reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0),
                    c_.dbc, OdbcAccept::Optional);
}

void WriteTransaction::commit() {
    if (!owned_) return;
    owned_ = false;
    if (c_.check(SQLEndTran(SQL_HANDLE_DBC, c_.dbc.get(), SQL_COMMIT), c_.dbc,
                 OdbcAccept::Optional)) {
        if (!autocommitOn()) c_.raise(c_.diagnostics(SQL_HANDLE_DBC, c_.dbc.get()));
        return;
    }
    // The failure's records are read before the next call replaces them.
    const std::vector<ProviderError> failure = c_.diagnostics(SQL_HANDLE_DBC, c_.dbc.get());
    // A refused commit (SQLite waiting in vain for a reader to finish) leaves the transaction
    // open with its locks, and turning autocommit back on would only try the commit again: the
    // write is undone here, so the database is exactly as before it and nobody is kept waiting.
    // The caller still holds the values and may write them again.
    rollBack();
    autocommitOn();
    c_.raise(failure);
}

WriteTransaction::~WriteTransaction() {
    if (!owned_) return;
    // The write already failed with its own error, which stays in Errors: a failed rollback (the
    // server gone) is accepted quietly rather than put in its place.
    rollBack();
    autocommitOn();
}

} // namespace ado
