// Value lookups and schema helpers on real SQLite files.
#include "data/DB_Dll.h"
#include "support/ScriptedPrompts.h"
#include "support/TestDatabase.h"

#include <QLocale>
#include <gtest/gtest.h>

namespace {

const QString schema = QStringLiteral(
    "CREATE TABLE T (Codigo varchar(10), Nombre varchar(30), Importe numeric(10,2), Alta date);"
    "INSERT INTO T VALUES ('  A1 ', 'uno', 12, '2005-04-03'), ('B2', 'dos', 12.5, '2006-01-31'), ('C3', NULL, -4, NULL);"
    "CREATE TABLE Vacia (n int);");

struct Fixture : ::testing::Test {
    TestDatabase db{schema};
    DB_Dll dll;
    void SetUp() override {
        QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Argentina));
        dll.OpenServerADODB(false, 3, db.connectionString(), false);
        ASSERT_TRUE(dll.gOpenFlag);
    }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }
};

using ValueLookups = Fixture;

TEST_F(ValueLookups, MaximumMinimumAndLastCode) {
    EXPECT_EQ(dll.BuscaMaximo(QStringLiteral("T"), QStringLiteral("Importe")), Variant(12.5));
    EXPECT_EQ(dll.BuscaMinimo(QStringLiteral("T"), QStringLiteral("Importe")), Variant(-4.0));
    EXPECT_EQ(dll.BuscaMaximo(QStringLiteral("T"), QStringLiteral("Importe"), {}, QStringLiteral(" Importe <= 12 ")),
              Variant(12.0));
    // The aggregate row of an empty table holds Null, which reads as 0.
    EXPECT_EQ(dll.BuscaMaximo(QStringLiteral("Vacia"), QStringLiteral("n")), Variant(0.0));
    // A given but empty condition leaves a bare WHERE, which the database rejects.
    EXPECT_THROW(dll.BuscaMaximo(QStringLiteral("T"), QStringLiteral("Importe"), {}, QString()), RuntimeError);
    EXPECT_EQ(dll.BuscaUltimoCodigo(QStringLiteral("T"), QStringLiteral("Codigo"), 8, QString()), Variant(0.0));
    EXPECT_EQ(dll.BuscaUltimoCodigo(QStringLiteral("T"), QStringLiteral("Importe"), 8, QStringLiteral("Codigo = 'B2'")),
              Variant(12.5));
}

TEST_F(ValueLookups, ExistenceTrimsOnlyInTheShortForm) {
    EXPECT_TRUE(dll.ExisteEnTabla(QStringLiteral("T"), QStringLiteral("A1")));
    EXPECT_TRUE(dll.ExisteEnTabla(QStringLiteral("T"), QStringLiteral(" A1"), QStringLiteral("Codigo")));
    EXPECT_FALSE(dll.ExisteEnTablaST(QStringLiteral("T"), QStringLiteral("A1")));
    EXPECT_TRUE(dll.ExisteEnTablaST(QStringLiteral("T"), QStringLiteral("  A1 ")));
    EXPECT_FALSE(dll.ExisteEnTabla(QStringLiteral("T"), QStringLiteral("Z9")));
    // Numbers are read up to the decimal comma: 12,5 is searched as 12.
    EXPECT_TRUE(dll.ExisteEnTabla(QStringLiteral("T"), QStringLiteral("12,5"), QStringLiteral("Importe"), nullptr, 5));
    EXPECT_FALSE(dll.ExisteEnTabla(QStringLiteral("T"), QStringLiteral("13,5"), QStringLiteral("Importe"), nullptr, 5));
    EXPECT_TRUE(dll.ExisteEnTablaST(QStringLiteral("T"), QStringLiteral("-4"), QStringLiteral("Importe"), nullptr, 3));
    // A condition replaces the comparison, with or without its own WHERE.
    EXPECT_TRUE(dll.ExisteEnTabla(QStringLiteral("T"), {}, {}, nullptr, 8, QStringLiteral("Importe > 12")));
    EXPECT_TRUE(dll.ExisteEnTabla(QStringLiteral("T"), {}, {}, nullptr, 8, QStringLiteral("AS X WHERE X.Importe > 12")));
    EXPECT_FALSE(dll.ExisteEnTablaST(QStringLiteral("T"), {}, {}, nullptr, 8, QStringLiteral("Importe > 100")));
    // A quote in the searched value cannot break the statement.
    EXPECT_FALSE(dll.ExisteEnTabla(QStringLiteral("T"), QStringLiteral("x' OR '1'='1")));
}

TEST_F(ValueLookups, ExistenceLeavesTheCallersRecordsetOnTheMatch) {
    ado::Recordset rs;
    QString other = QStringLiteral("SELECT * FROM Vacia");
    dll.AbrirRecordset(other, rs);
    ASSERT_EQ(rs.State(), ado::adStateOpen);
    EXPECT_TRUE(dll.ExisteEnTabla(QStringLiteral("T"), QStringLiteral("B2"), QStringLiteral("Codigo"), &rs));
    ASSERT_EQ(rs.State(), ado::adStateOpen);
    EXPECT_EQ(rs.Fields(QStringLiteral("NOMBRE")).Value(), Variant(QStringLiteral("dos")));
    EXPECT_TRUE(dll.ExisteEnTablaST(QStringLiteral("T"), QStringLiteral("C3"), QStringLiteral("Codigo"), &rs, 8, {}, true));
    EXPECT_TRUE(rs.Fields(QStringLiteral("Nombre")).Value().isNull());
}

TEST_F(ValueLookups, DatosTablaReturnsOneColumnOfTheFirstMatch) {
    EXPECT_EQ(dll.DatosTabla(QStringLiteral("T"), QStringLiteral("B2 "), QStringLiteral("Nombre")), QStringLiteral("dos"));
    EXPECT_EQ(dll.DatosTabla(QStringLiteral("T"), QStringLiteral("C3"), QStringLiteral("Nombre")), QString());
    EXPECT_EQ(dll.DatosTabla(QStringLiteral("T"), QStringLiteral("Z9"), QStringLiteral("Nombre")), QString());
    EXPECT_EQ(dll.DatosTabla(QStringLiteral("T"), QStringLiteral("A1"), QStringLiteral("Nombre"), QStringLiteral("Codigo"),
                             8, QString(), false),
              QString()); // untrimmed column: '  A1 ' is not 'A1'
    EXPECT_EQ(dll.DatosTabla(QStringLiteral("T"), QStringLiteral("03/04/2005"), QStringLiteral("Codigo"),
                             QStringLiteral("Alta"), 7),
              QStringLiteral("  A1 "));
    EXPECT_EQ(dll.DatosTabla(QStringLiteral("T"), QStringLiteral("12"), QStringLiteral("Codigo"), QStringLiteral("Importe"),
                             3, QStringLiteral("Nombre = 'uno'")),
              QStringLiteral("  A1 "));
}

TEST_F(ValueLookups, FailuresAskAbortRetryIgnore) {
    ScriptedPrompts operatorAnswers;
    operatorAnswers.message(Prompt::Abort);
    EXPECT_FALSE(dll.ExisteEnTablaST(QStringLiteral("NoHay"), QStringLiteral("x")));
    const auto boxes = operatorAnswers.recordsOf(ScriptedPrompts::Kind::Message);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, QStringLiteral("Aviso al Operador"));
    EXPECT_EQ(boxes[0].buttons, Prompt::Buttons::AbortRetryIgnore);
    EXPECT_TRUE(boxes[0].text.contains(QStringLiteral("NoHay"), Qt::CaseInsensitive)) << boxes[0].text.toStdString();
}

using SchemaHelpers = Fixture;

TEST_F(SchemaHelpers, TablesAndColumnsAreFoundIgnoringCaseAndBlanks) {
    EXPECT_TRUE(dll.ExisteTablaDB(QStringLiteral(" t ")));
    EXPECT_TRUE(dll.ExisteTablaDB(QStringLiteral("VACIA")));
    EXPECT_FALSE(dll.ExisteTablaDB(QStringLiteral("Otra")));
    EXPECT_TRUE(dll.ExisteCampoDB(QStringLiteral("T"), QStringLiteral(" NOMBRE ")));
    EXPECT_FALSE(dll.ExisteCampoDB(QStringLiteral("T"), QStringLiteral("Falta")));
    dll.gProveedor = QStringLiteral("OraOLEDB.Oracle.1");
    EXPECT_TRUE(dll.ExisteCampoDB(QStringLiteral("T"), QStringLiteral("Falta"))); // never looked up on Oracle
}

TEST_F(SchemaHelpers, VerCampoDBAddsAMissingColumnOnce) {
    EXPECT_TRUE(dll.VerCampoDB(QStringLiteral("T"), QStringLiteral("Nuevo"), true, QStringLiteral("int"), true,
                               Variant(0)));
    EXPECT_TRUE(dll.ExisteCampoDB(QStringLiteral("T"), QStringLiteral("Nuevo")));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT Nuevo FROM T WHERE Codigo = 'B2'")), QStringLiteral("0"));
    EXPECT_TRUE(dll.VerCampoDB(QStringLiteral("T"), QStringLiteral("Nuevo"), true, QStringLiteral("int"), true));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM pragma_table_info('T') WHERE name = 'Nuevo'")),
              QStringLiteral("1"));
    // A missing table is neither reported nor created.
    EXPECT_TRUE(dll.VerCampoDB(QStringLiteral("NoHay"), QStringLiteral("X"), true, QStringLiteral("int"), true));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name = 'NoHay'")), QStringLiteral("0"));
}

} // namespace
