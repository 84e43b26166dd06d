#include "data/ScriptRunner.h"
#include "ScopedLocale.h"
#include "data/OracleDialect.h"
#include "data/ScriptTarget.h"
#include "shared/RuntimeError.h"
#include "shared/Util.h"

#include "TextPrinter.h"
#include <QStringList>

#include <gtest/gtest.h>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// Records every call; each execution reports the next count of `rows` (1 when they run out) and
// the execution numbered `failAt` (from 1) is rejected as Oracle would reject it.
class RecordingTarget : public ScriptTarget {
public:
    void BeginTrans() override { calls << u"BeginTrans"_s; }
    void CommitTrans() override { calls << u"CommitTrans"_s; }
    void RollbackTrans() override { calls << u"RollbackTrans"_s; }
    long Execute(const QString& statement) override {
        calls << statement;
        if (++executions == failAt)
            raiseError(0x80040E14L, u"ORA-00900: invalid SQL statement"_s, u"OraOLEDB"_s);
        return executions <= long(rows.size()) ? rows[std::size_t(executions - 1)] : 1;
    }
    long ErrorCount() const override { return long(errors.size()); }
    long ErrorNumber(long index) const override { return errors.at(std::size_t(index)); }
    void ClearErrors() override { errors.clear(); }

    QStringList calls;
    std::vector<long> rows;
    std::vector<long> errors;
    long executions = 0;
    long failAt = 0;
};

const StatementTranslator unchanged = [](const QString& s) { return s; };

QStringList run(QString& script, RecordingTarget& target, long& records,
                const StatementTranslator& t = unchanged) {
    EjecutaScriptSQL(script, records, target, t);
    return target.calls;
}

TEST(ScriptRunner, TransactionWithGoLinesRunsTwoStatements) {
    QString script = u"BEGIN TRANSACTION\r\nGO\r\nINSERT INTO T (A) VALUES (1)\r\nGO\r\n"
                     "UPDATE T SET A = 2 WHERE A = 1\r\ngo\r\nCOMMIT TRANSACTION\r\nGO\r\n"_s;
    RecordingTarget target;
    target.rows = {1, 3};
    long records = 5;
    EXPECT_EQ(run(script, target, records),
              QStringList({u"BeginTrans"_s, u"INSERT INTO T (A) VALUES (1)"_s,
                           u"UPDATE T SET A = 2 WHERE A = 1"_s, u"CommitTrans"_s}));
    EXPECT_EQ(records, 9);
    EXPECT_TRUE(script.isEmpty());
}

TEST(ScriptRunner, StatementsAreTranslatedBeforeTheyAreFiltered) {
    ScopedLocale locale(ScopedLocale::argentina());
    Util util;
    const StatementTranslator toOracle = [&](const QString& s) {
        return ORACLE_Dicc(s, u"Provider=OraOLEDB.Oracle.1;"_s, util);
    };
    QString script =
        u"SET NOCOUNT ON\r\nbegin trans\r\ninsert into t (fecha) values ('1/2/2020')\r\n"
        "IF NOT EXISTS (SELECT * FROM T WHERE A = 1) INSERT INTO T (A) VALUES (1)\r\n"
        "IF EXISTS (SELECT * FROM T) DELETE FROM T\r\nrollback transaction"_s;
    RecordingTarget target;
    long records = 0;
    EXPECT_EQ(run(script, target, records, toOracle),
              QStringList({u"BeginTrans"_s,
                           u"INSERT INTO T (FECHA) VALUES (TO_DATE('01/02/2020','DD/MM/YYYY'))"_s,
                           u"INSERT INTO T (A) VALUES (1)"_s, u"IF EXISTS (SELECT * FROM T)"_s,
                           u"DELETE FROM T"_s, u"RollbackTrans"_s}));
    EXPECT_EQ(records, 4);
}

TEST(ScriptRunner, KeywordsSplitWhereverTheyStand) {
    // COMMITTED holds COMMIT; a SET NOCOUNT the normalisation does not know drops its statement.
    QString script =
        u"UPDATE T SET E = 'COMMITTED' WHERE ID = 1 INSERT INTO T VALUES (1) SET NOCOUNT  ON "
        "DELETE FROM T  "_s;
    RecordingTarget target;
    long records = 0;
    EXPECT_EQ(
        run(script, target, records),
        QStringList({u"UPDATE T SET E = '"_s, u"COMMITTED' WHERE ID = 1"_s, u"DELETE FROM T"_s}));

    // Text before the first keyword is passed over; the statements after it are cut whole.
    script = u"  -- carga\r\nINSERT INTO A VALUES (1)\r\nINSERT INTO B VALUES (2)"_s;
    target.calls.clear();
    EXPECT_EQ(run(script, target, records),
              QStringList({u"INSERT INTO A VALUES (1)"_s, u"INSERT INTO B VALUES (2)"_s}));
    EXPECT_TRUE(script.isEmpty());

    // Once the script is trimmed, a keyword that needed its trailing blank is no longer there.
    script = u"DELETE FROM A DELETE "_s;
    target.calls.clear();
    EXPECT_EQ(run(script, target, records), QStringList({u"DELETE FROM A"_s}));
    EXPECT_EQ(script, u"DELETE"_s);
}

TEST(ScriptRunner, ScriptsWithoutKeywordsAreLeftNormalised) {
    QString script = u"SELECT * FROM T\r\nGO\r\nEXEC P\rX\nY"_s;
    RecordingTarget target;
    long records = 7;
    EXPECT_TRUE(run(script, target, records).isEmpty());
    EXPECT_EQ(script, u"SELECT * FROM T EXEC P X\nY"_s);
    EXPECT_EQ(records, 7);

    QString text =
        u"SET NOCOUNT ON x set nocount off GO y\r\nGO z BEGIN TRANSACTION COMMIT TRANS ROLLBACK TRANS"_s;
    normalizeScript(text);
    EXPECT_EQ(text, u" x  y z SET TRANSACTION COMMIT ROLLBACK"_s);
}

TEST(ScriptRunner, AFailureEndsTheRunAndLeavesTheRestOfTheScript) {
    QString script = u"BEGIN TRANSACTION INSERT INTO T VALUES (1) INSERT INTO T VALUES (2) INSERT "
                     u"INTO T VALUES (3) "
                     "COMMIT TRANSACTION"_s;
    RecordingTarget target;
    target.failAt = 2;
    target.errors = {265929};
    long records = 0;
    try {
        EjecutaScriptSQL(script, records, target, unchanged);
        ADD_FAILURE() << "the rejected statement did not stop the run";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), 0x80040E14L);
    }
    EXPECT_EQ(target.calls, QStringList({u"BeginTrans"_s, u"INSERT INTO T VALUES (1)"_s,
                                         u"INSERT INTO T VALUES (2)"_s}));
    EXPECT_EQ(records, 1);
    EXPECT_EQ(script, u"INSERT INTO T VALUES (2) INSERT INTO T VALUES (3) COMMIT"_s);
    EXPECT_EQ(target.errors.size(), 1u); // the clean-up belongs to a finished run
}

TEST(ScriptRunner, OnlyALoneNoResultNoteIsCleared) {
    for (const auto& [before, after] : std::vector<std::pair<std::vector<long>, std::vector<long>>>{
             {{265929}, {}}, {{265929, 5}, {265929, 5}}, {{5}, {5}}, {{}, {}}}) {
        RecordingTarget target;
        target.errors = before;
        QString script = u"DELETE FROM T"_s;
        long records = 0;
        EjecutaScriptSQL(script, records, target, unchanged);
        EXPECT_EQ(target.errors, after);
    }
}

TEST(ScriptRunner, FilterDropsWhatOracleCannotRun) {
    for (const auto& [statement, kept] :
         std::vector<std::pair<QString, bool>>{{u"set nocount on"_s, false},
                                               {u"if not exists (select 1) "_s, false},
                                               {u"IF EXISTS (x)"_s, true},
                                               {u"INSERT INTO T VALUES (1)"_s, true}}) {
        QString s = statement;
        EXPECT_EQ(FiltraSentenciaSQL(s), kept ? statement : QString());
        EXPECT_EQ(s, kept ? statement : QString());
    }
}

TEST(ScriptRunner, RowCountIsThirtyTwoBits) {
    QString script = u"INSERT INTO T VALUES (1)"_s;
    RecordingTarget target;
    target.rows = {2};
    long records = 2147483646;
    EXPECT_THROW(EjecutaScriptSQL(script, records, target, unchanged), RuntimeError);
}

} // namespace
