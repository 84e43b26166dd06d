#pragma once

#include "OdbcConnection.h"

namespace ado {

// Runs one recordset write in a transaction of its own when the connection has none under way,
// so that a write found wrong after the statement ran (more rows touched than the one meant) is
// undone. Rolls back in its destructor unless committed; inside the caller's own transaction it
// does nothing and the caller decides.
class WriteTransaction {
public:
    explicit WriteTransaction(OdbcConnection& connection);
    ~WriteTransaction();
    WriteTransaction(const WriteTransaction&) = delete;
    WriteTransaction& operator=(const WriteTransaction&) = delete;

    // Makes the write permanent. Raises the provider error when the commit fails.
    void commit();
    // False inside the caller's transaction: a rollback here would undo more than this write.
    bool owned() const { return owned_; }

private:
    void end(SQLSMALLINT completion, OdbcAccept accept);
    OdbcConnection& c_;
    bool owned_ = false;
};

} // namespace ado
