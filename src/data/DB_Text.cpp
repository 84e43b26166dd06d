// The text functions of DB_Dll: dialect and synonym rewriting, the script runner on the shared
// connection, and the literal and name helpers.
#include "DB_Dll.h"

#include "OracleDialect.h"
#include "ScriptRunner.h"
#include "ScriptTarget.h"
#include "SqlHelpers.h"
#include "Synonyms.h"

namespace {

// The script runner's view of the shared connection.
class ConnectionTarget final : public ScriptTarget {
public:
    explicit ConnectionTarget(ado::Connection& cnn) : cnn_(cnn) {}
    void BeginTrans() override { cnn_.BeginTrans(); }
    void CommitTrans() override { cnn_.CommitTrans(); }
    void RollbackTrans() override { cnn_.RollbackTrans(); }
    long Execute(const QString& statement) override {
        long affected = 0;
        cnn_.Execute(statement, &affected, -1);
        return affected;
    }
    long ErrorCount() const override { return cnn_.Errors().Count(); }
    long ErrorNumber(long index) const override { return cnn_.Errors().Item(index).Number; }
    void ClearErrors() override { cnn_.Errors().Clear(); }

private:
    ado::Connection& cnn_;
};

} // namespace

QString DB_Dll::ORACLE_Dicc(const QString& Valor) { return ::ORACLE_Dicc(Valor, gConnString, util_); }

QString DB_Dll::SS_TSinonimos(const QString& SQL) const { return ::SS_TSinonimos(SQL, gEsAdmin); }

void DB_Dll::EjecutaScriptSQL(QString& script, long& RecordsAffected) {
    ConnectionTarget target(gCnn());
    ::EjecutaScriptSQL(script, RecordsAffected, target, [this](const QString& s) { return ORACLE_Dicc(s); });
}

bool DB_Dll::adodate(const Variant& Qtype) const { return ::adodate(Qtype); }
bool DB_Dll::ADOText(const Variant& Qtype) const { return ::ADOText(Qtype); }
bool DB_Dll::ADONumeric(const Variant& Qtype) const { return ::ADONumeric(Qtype); }
bool DB_Dll::ADOCurrency(const Variant& Qtype) const { return ::ADOCurrency(Qtype); }
bool DB_Dll::ADOBoolean(const Variant& Qtype) const { return ::ADOBoolean(Qtype); }

Variant DB_Dll::SQLValue(const Variant& Valor, const QString& Tipo) { return ::SQLValue(Valor, Tipo, util_); }

QString DB_Dll::stSTF(QString& rsName, int rnPart) { return ::stSTF(rsName, rnPart); }
QString DB_Dll::AddBrackets(const QString& rObjName) const { return ::AddBrackets(rObjName); }
QString DB_Dll::StripConnect(const QString& rsTblName) const { return ::StripConnect(rsTblName); }
QString DB_Dll::StripBrackets(const QString& rsObjName) const { return ::StripBrackets(rsObjName); }
QString DB_Dll::StripOwner(QString& rsTblName) const { return ::StripOwner(rsTblName); }
QString DB_Dll::StripFileName(const QString& rsFileName) const { return ::StripFileName(rsFileName); }
