// Recordsets and commands on real SQLite files: the rewriting on the way and the handlers.
#include "data/DB_Dll.h"
#include "support/ScriptedPrompts.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

namespace {

const QString schema = QStringLiteral("CREATE TABLE T (Codigo varchar(10) PRIMARY KEY, Nombre varchar(30));"
                                      "INSERT INTO T VALUES ('A', 'uno'), ('B', 'dos');"
                                      "CREATE VIEW SS_V_TA_CAJAS AS SELECT * FROM T;");

TEST(RecordsetsCommands, AbrirRecordsetRewritesForSynonymsAndReopens) {
    TestDatabase db(schema);
    DB_Dll dll;
    dll.OpenServerADODB(false, 3, db.connectionString(), false);
    dll.gEsAdmin = false;
    ado::Recordset rs;
    QString sql = QStringLiteral("SELECT * FROM V_TA_CAJAS WHERE Codigo = 'B'");
    dll.AbrirRecordset(sql, rs);
    EXPECT_EQ(sql, QStringLiteral("SELECT * FROM SS_V_TA_CAJAS WHERE Codigo = 'B'"));
    ASSERT_EQ(rs.State(), ado::adStateOpen);
    EXPECT_EQ(rs.Fields(QStringLiteral("Nombre")).Value(), Variant(QStringLiteral("dos")));
    // An open recordset is closed first and opened on the new statement.
    QString other = QStringLiteral("SELECT * FROM T ORDER BY Codigo");
    dll.AbrirRecordset(other, rs);
    EXPECT_EQ(rs.RecordCount(), 2);
    dll.CierraRecordset(rs);
    EXPECT_EQ(rs.State(), ado::adStateClosed);
    dll.CierraRecordset(rs); // a closed recordset: nothing happens
    ado::Recordset never;
    dll.CierraRecordset(never);
}

TEST(RecordsetsCommands, AbrirRecordsetReportsFailuresWithItsLabel) {
    TestDatabase db(schema);
    DB_Dll dll;
    dll.OpenServerADODB(false, 3, db.connectionString(), false);
    ScriptedPrompts operatorAnswers;
    operatorAnswers.reportError(Prompt::Retry).reportError(Prompt::Abort);
    ado::Recordset rs;
    QString sql = QStringLiteral("SELECT * FROM Falta");
    dll.AbrirRecordset(sql, rs);
    EXPECT_EQ(rs.State(), ado::adStateClosed);
    const auto shown = operatorAnswers.recordsOf(ScriptedPrompts::Kind::ReportError);
    ASSERT_EQ(shown.size(), 2u); // retried once
    EXPECT_EQ(shown[0].title, QStringLiteral("AbrirRecordset"));
    EXPECT_EQ(shown[0].number, ado::adErrNoSuchTable);
}

TEST(RecordsetsCommands, EjecutaConsultaSQLShowsOnlyUnexpectedFailures) {
    TestDatabase db(schema);
    DB_Dll dll;
    ScriptedPrompts operatorAnswers;
    operatorAnswers.reportError(Prompt::Abort); // no ta_usuarios: the mark cannot be read
    dll.OpenServerADODB(false, 3, db.connectionString(), true);
    EXPECT_TRUE(dll.gOpenFlag);
    EXPECT_FALSE(dll.gEsAdmin);

    long affected = 0;
    QString sql = QStringLiteral("UPDATE V_TA_CAJAS SET Nombre = 'x' WHERE Codigo = 'Z'");
    dll.EjecutaConsultaSQL(sql, &affected);
    EXPECT_EQ(sql, QStringLiteral("UPDATE SS_V_TA_CAJAS SET Nombre = 'x' WHERE Codigo = 'Z'"));
    // A missing table shows nothing.
    QString missing = QStringLiteral("UPDATE Falta SET a = 1");
    dll.EjecutaConsultaSQL(missing);
    // A marker asks for the base table; no synonym rewriting.
    QString marked = QStringLiteral("UPDATE @Admin_T SET Nombre = 'tres' WHERE Codigo = 'B'");
    dll.EjecutaConsultaSQL(marked, &affected);
    EXPECT_EQ(marked, QStringLiteral("UPDATE T SET Nombre = 'tres' WHERE Codigo = 'B'"));
    EXPECT_EQ(affected, 1);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT Nombre FROM T WHERE Codigo = 'B'")), QStringLiteral("tres"));
    // A statement with DELETE anywhere gets no synonym rewriting.
    QString del = QStringLiteral("DELETE FROM T WHERE Nombre = 'V_TA_CAJAS '");
    dll.EjecutaConsultaSQL(del);
    EXPECT_EQ(del, QStringLiteral("DELETE FROM T WHERE Nombre = 'V_TA_CAJAS '"));
    EXPECT_TRUE(operatorAnswers.recordsOf(ScriptedPrompts::Kind::Message).empty());
}

TEST(RecordsetsCommands, OtherFailuresAreShownUnderTheirTitle) {
    TestDatabase db(schema);
    DB_Dll dll;
    ado::Connection& cnn = dll.gCnn();
    (void)cnn; // never opened: executing on it is not one of the quiet codes
    ScriptedPrompts operatorAnswers;
    operatorAnswers.message(Prompt::Ok);
    QString sql = QStringLiteral("UPDATE T SET Nombre = 'x'");
    dll.EjecutaConsultaSQL(sql);
    const auto boxes = operatorAnswers.recordsOf(ScriptedPrompts::Kind::Message);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, QStringLiteral("Aviso al operador!!!"));
    EXPECT_EQ(boxes[0].icon, Prompt::Icon::Critical);
}

TEST(RecordsetsCommands, OnAnOracleConnectionScriptsRunStatementByStatement) {
    // A connection string that names "oracle" (the file's name) makes the connection count as
    // Oracle for the script runner, on a real database.
    TestDatabase db(QStringLiteral("CREATE TABLE T (Codigo varchar(10), Nombre varchar(30));"
                                   "INSERT INTO T VALUES ('A', 'UNO');"),
                    QStringLiteral("oracle.db"));
    DB_Dll dll;
    dll.OpenServerADODB(false, 3, db.connectionString(), false);
    long affected = 5;
    QString script = QStringLiteral("BEGIN TRANSACTION\r\nGO\r\nINSERT INTO T VALUES ('B', 'DOS')\r\nGO\r\n"
                                    "UPDATE T SET Nombre = 'UNO BIS' WHERE Codigo = 'A'\r\nGO\r\nCOMMIT TRANSACTION\r\n");
    dll.EjecutaConsultaSQL(script, &affected);
    EXPECT_EQ(affected, 7); // 5 + the INSERT's row + the UPDATE's row
    EXPECT_EQ(script, QString()); // consumed
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM T")), QStringLiteral("2"));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT Nombre FROM T WHERE Codigo = 'A'")), QStringLiteral("UNO BIS"));
    // A guard is dropped and its INSERT runs unconditionally.
    QString guarded = QStringLiteral("IF NOT EXISTS (SELECT * FROM T WHERE Codigo = 'A') INSERT INTO T VALUES ('A', 'OTRA')");
    dll.EjecutaConsultaSQL(guarded);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM T WHERE Codigo = 'A'")), QStringLiteral("2"));
    // A keyword inside a longer word splits the statement there: its first half has an open
    // quote, which the dialect refuses, and the run ends with nothing changed.
    ScriptedPrompts operatorAnswers;
    operatorAnswers.message(Prompt::Ok);
    QString split = QStringLiteral("UPDATE T SET Nombre = 'COMMITTED' WHERE Codigo = 'B'");
    dll.EjecutaConsultaSQL(split);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT Nombre FROM T WHERE Codigo = 'B'")), QStringLiteral("DOS"));
    const auto boxes = operatorAnswers.recordsOf(ScriptedPrompts::Kind::Message);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, QStringLiteral("Aviso al operador!!!"));
}

} // namespace
