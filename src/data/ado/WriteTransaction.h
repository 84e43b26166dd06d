#pragma once

#include "OdbcConnection.h"

namespace ado {

// Runs one recordset write in a transaction of its own when the connection has none under way,
// so that a write found wrong after the statement ran (more rows touched than the one meant) is
// undone. The transaction always ends: committed, or rolled back when anything in it fails, the
// commit included, so a failure never leaves a lock or half a write behind. Inside the caller's
// own transaction it does nothing and the caller decides.
class WriteTransaction {
public:
    explicit WriteTransaction(OdbcConnection& connection);
    ~WriteTransaction();
    WriteTransaction(const WriteTransaction&) = delete;
    WriteTransaction& operator=(const WriteTransaction&) = delete;

    // Makes the write permanent. When the commit fails the write is rolled back and the commit's
    // provider error raised.
    void commit();
    // False inside the caller's transaction: a rollback here would undo more than this write.
    bool owned() const { return owned_; }

private:
    // Both accept a failure quietly (false): they run after the error that matters.
    bool rollBack();
    bool autocommitOn();
    OdbcConnection& c_;
    bool owned_ = false;
};

} // namespace ado
