#pragma once

#include <QString>
#include <functional>

class ScriptTarget;

// Turns one statement of a script into the target's dialect (DB_Dll passes ORACLE_Dicc).
using StatementTranslator = std::function<QString(const QString&)>;

// Empties `statement` when it is one that Oracle cannot run (it contains "SET NOCOUNT" or
// "IF NOT EXIST", any case) and returns its value afterwards. Raises nothing.
QString FiltraSentenciaSQL(QString& statement);

// Rewrites a SQL Server script in place for splitting by keyword: drops SET NOCOUNT ON/OFF, GO
// separators and CR LF line breaks, and writes the transaction statements as SET TRANSACTION,
// COMMIT and ROLLBACK. Raises nothing.
void normalizeScript(QString& script);

// Runs a SQL Server script on `target` one statement at a time. The script is normalised and
// consumed in place: when the call returns, `script` holds what was left after the last
// statement (normally nothing; the whole normalised text when it has no statement keyword).
// SET TRANSACTION, COMMIT and ROLLBACK become the target's transaction calls; every other
// statement is translated, filtered through FiltraSentenciaSQL and, unless emptied, executed,
// its rows added to `RecordsAffected` (not reset first). A lone provider error 265929 left on the
// target is cleared at the end. Nothing is trapped: the first RuntimeError raised by the target
// or the translator ends the run (an open transaction stays open) and travels to the caller,
// with `script` holding the failing statement and the ones after it; 6 when the row count no
// longer fits 32 bits.
void EjecutaScriptSQL(QString& script, long& RecordsAffected, ScriptTarget& target,
                      const StatementTranslator& translate);
