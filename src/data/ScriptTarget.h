#pragma once

#include <QString>

// What the script runner runs a script on: the transaction calls, the execution of one statement
// and the provider errors of a connection. DB_Dll adapts its connection to it; a failing call
// raises RuntimeError, which ends the script.
class ScriptTarget {
public:
    virtual ~ScriptTarget() = default;

    virtual void BeginTrans() = 0;
    virtual void CommitTrans() = 0;
    virtual void RollbackTrans() = 0;
    // Runs one statement (command options -1, any result released at once); returns the rows it
    // touched as the provider reports them.
    virtual long Execute(const QString& statement) = 0;

    // The connection's provider errors, counted from 0.
    virtual long ErrorCount() const = 0;
    virtual long ErrorNumber(long index) const = 0;
    virtual void ClearErrors() = 0;
};
