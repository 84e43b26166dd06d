#include "WriteTransaction.h"

namespace ado {

WriteTransaction::WriteTransaction(OdbcConnection& connection) : c_(connection) {
    if (c_.inTransaction) return;
    c_.check(SQLSetConnectAttrW(c_.dbc.get(), SQL_ATTR_AUTOCOMMIT,
                                reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0),
             c_.dbc);
    owned_ = true;
}

void WriteTransaction::end(SQLSMALLINT completion, OdbcAccept accept) {
    owned_ = false;
    const bool ended = c_.check(SQLEndTran(SQL_HANDLE_DBC, c_.dbc.get(), completion), c_.dbc,
                                OdbcAccept::Optional);
    // The failure's records are read before the next call replaces them.
    std::vector<ProviderError> failure;
    if (!ended) failure = c_.diagnostics(SQL_HANDLE_DBC, c_.dbc.get());
    // Autocommit comes back whatever the outcome, so that the next statement is not left inside
    // a transaction nobody will end.
    c_.check(SQLSetConnectAttrW(c_.dbc.get(), SQL_ATTR_AUTOCOMMIT,
                                reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0),
             c_.dbc, accept);
    if (!ended && accept == OdbcAccept::Success) c_.raise(failure);
}

void WriteTransaction::commit() {
    if (owned_) end(SQL_COMMIT, OdbcAccept::Success);
}

WriteTransaction::~WriteTransaction() {
    // The write already failed with its own error, which stays in Errors: a failed rollback (the
    // server gone) is accepted quietly rather than put in its place.
    if (owned_) end(SQL_ROLLBACK, OdbcAccept::Optional);
}

} // namespace ado
