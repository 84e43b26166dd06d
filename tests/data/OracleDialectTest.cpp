#include "data/OracleDialect.h"
#include "ScopedLocale.h"
#include "shared/RuntimeError.h"
#include "shared/Util.h"

#include "TextPrinter.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QString oracle = u"Provider=OraOLEDB.Oracle.1;Data Source=XE;User Id=scott;Password=tiger;"_s;
const QString sqlServer = u"PROVIDER=SQLOLEDB;Server=SRV01;Database =VENTAS;UId=juan;Pwd=x;"_s;

struct Case {
    const char* input;
    const char* expected;
};

class OracleDialect : public ::testing::Test {
protected:
    QString dicc(const QString& sql, const QString& conn = oracle) const {
        return ORACLE_Dicc(sql, conn, util);
    }
    void expectAll(std::initializer_list<Case> cases) const {
        for (const Case& c : cases) {
            EXPECT_EQ(dicc(QString::fromUtf8(c.input)), QString::fromUtf8(c.expected)) << c.input;
        }
    }
    long errorOf(const QString& sql) const {
        try {
            dicc(sql);
        } catch (const RuntimeError& e) {
            EXPECT_FALSE(e.description().isEmpty());
            return e.number();
        }
        return 0;
    }

    ScopedLocale locale{ScopedLocale::argentina()};
    Util util;
};

TEST_F(OracleDialect, OtherProvidersAndSingleWordsOnlyGetUpperCase) {
    EXPECT_EQ(dicc(u"select top 5 * from t where fecha = '01/02/2020'"_s, sqlServer),
              u"SELECT TOP 5 * FROM T WHERE FECHA = '01/02/2020'"_s);
    EXPECT_EQ(dicc(u"Select [a] From t"_s, QString()), u"SELECT [A] FROM T"_s);
    expectAll(
        {{"len", "LENGTH"}, {"Len", "LENGTH"}, {"clientes", "CLIENTES"}, {"[x]", "[X]"}, {"", ""}});
}

TEST_F(OracleDialect, TopClauseBecomesRownumInTheInputsLetterCase) {
    expectAll({
        {"select top 5 * from clientes", "select  * from clientes WHERE ROWNUM <= 5"},
        {"Select Top 10 Nombre From Clientes Where Id > 3 Order By Nombre",
         "Select  Nombre From Clientes Where Id > 3 AND ROWNUM <= 10 Order By Nombre"},
        {"select top 3 pais, count(*) from clientes group by pais",
         "select  pais, count(*) from clientes WHERE ROWNUM <= 3 group by pais"},
        {"select top 3 pais from clientes where activo = 1 group by pais order by pais",
         "select  pais from clientes where activo = 1 AND ROWNUM <= 3 group by pais order by pais"},
        // Without a top clause the statement comes out in upper case.
        {"select nombre from clientes where id = 1", "SELECT NOMBRE FROM CLIENTES WHERE ID = 1"},
    });
    EXPECT_EQ(errorOf(u"select top 5"_s), ErrorNumber::InvalidCall);
    EXPECT_EQ(errorOf(u"select * from stop "_s), ErrorNumber::InvalidCall);
}

TEST_F(OracleDialect, LengthBracketsAndCharindex) {
    expectAll({
        {"select len(a), len (b), len  (c), len   (d), len    (e) from t",
         "SELECT LENGTH(A), LENGTH(B), LENGTH(C), LENGTH(D), LENGTH(E) FROM T"},
        {"select len     (a), x.len(b) from t", "SELECT LEN     (A), X.LEN(B) FROM T"},
        {"select [nombre completo] from [mis clientes]",
         "SELECT \"NOMBRE COMPLETO\" FROM \"MIS CLIENTES\""},
        {"select charindex('a', nombre) from t", "SELECT InStr('A', NOMBRE) FROM T"},
    });
}

TEST_F(OracleDialect, WhereTokensEndAtEachSeparator) {
    expectAll({
        {"SELECT * FROM T WHERE   A   =   B", "SELECT * FROM T WHERE A = B"},
        {"SELECT * FROM T WHERE A<B", "SELECT * FROM T WHERE A< B"},
        {"SELECT * FROM T WHERE A>B", "SELECT * FROM T WHERE A> B"},
        {"SELECT * FROM T WHERE A\"B", "SELECT * FROM T WHERE A\" B"},
        {"SELECT * FROM T WHERE A=B", "SELECT * FROM T WHERE A= B"},
        {"SELECT * FROM T WHERE F(X)", "SELECT * FROM T WHERE F( X)"},
        {"SELECT * FROM T WHERE A)B", "SELECT * FROM T WHERE A) B"},
        {"SELECT * FROM T WHERE A <> B", "SELECT * FROM T WHERE A <> B"},
        // Quoted tokens keep their inner blanks; an open double quote takes the rest.
        {"SELECT * FROM T WHERE N = 'JUAN  PEREZ'  AND \"MI  COL\" = 1",
         "SELECT * FROM T WHERE N = 'JUAN  PEREZ' AND \"MI  COL\" = 1"},
        {"SELECT * FROM T WHERE A = \"X  Y", "SELECT * FROM T WHERE A = \"X  Y"},
    });
}

TEST_F(OracleDialect, DateColumnsAreComparedByDay) {
    expectAll({
        {"SELECT * FROM T WHERE FECHA >= X",
         "SELECT * FROM T WHERE TO_DATE(TO_CHAR(FECHA,'DD/MM/YYYY'),'DD/MM/YYYY') >= X"},
        {"SELECT * FROM T WHERE FECHA>= X", "SELECT * FROM T WHERE FECHA> = X"},
        {"SELECT * FROM T WHERE (FECHA >= X)", "SELECT * FROM T WHERE (FECHA >= X)"},
        {"SELECT * FROM T WHERE [FECHA DESDE] > X",
         "SELECT * FROM T WHERE TO_DATE(TO_CHAR(\"FECHA DESDE\",'DD/MM/YYYY'),'DD/MM/YYYY') > X"},
        {"SELECT * FROM T WHERE FECHAINCIO = X AND FECHAINICIO = X AND VENCEX = X",
         "SELECT * FROM T WHERE TO_DATE(TO_CHAR(FECHAINCIO,'DD/MM/YYYY'),'DD/MM/YYYY') = X AND "
         "FECHAINICIO = X AND TO_DATE(TO_CHAR(VENCEX,'DD/MM/YYYY'),'DD/MM/YYYY') = X"},
        {"select top 1 * from t where fecha = x",
         "select  * from t where TO_DATE(TO_CHAR(fecha,'DD/MM/YYYY'),'DD/MM/YYYY') = x AND ROWNUM "
         "<= 1"},
        // The front of the statement is not a WHERE clause.
        {"SELECT FECHA FROM T WHERE A = 1", "SELECT FECHA FROM T WHERE A = 1"},
    });
}

TEST_F(OracleDialect, DateLiteralsBecomeToDateUnderTheRegionalSettings) {
    expectAll({
        {"SELECT * FROM T WHERE A = '1/2/2020'",
         "SELECT * FROM T WHERE A = TO_DATE('01/02/2020','DD/MM/YYYY')"},
        {"SELECT * FROM T WHERE A = '13/02/2020' OR B = '13/02/2020'",
         "SELECT * FROM T WHERE A = TO_DATE('13/02/2020','DD/MM/YYYY') OR B = "
         "TO_DATE('13/02/2020','DD/MM/YYYY')"},
        // A date whose formatted form is another literal of the statement is wrapped once.
        {"SELECT * FROM T WHERE A = '1/2/2020' OR B = '01/02/2020'",
         "SELECT * FROM T WHERE A = TO_DATE('01/02/2020','DD/MM/YYYY') OR B = "
         "TO_DATE('01/02/2020','DD/MM/YYYY')"},
        {"SELECT * FROM T WHERE N = 'JUAN' AND C = '12' AND F = 'DD/MM/YYYY' AND D = '02/13/2020'",
         "SELECT * FROM T WHERE N = 'JUAN' AND C = '12' AND F = 'DD/MM/YYYY' AND D = '02/13/2020'"},
        {"INSERT INTO T VALUES ('2020-03-04', '')",
         "INSERT INTO T VALUES (TO_DATE('04/03/2020','DD/MM/YYYY'), '')"},
        {"SELECT * FROM T WHERE FECHA = '01/02/2020'",
         "SELECT * FROM T WHERE TO_DATE(TO_CHAR(FECHA,'DD/MM/YYYY'),'DD/MM/YYYY') = "
         "TO_DATE('01/02/2020','DD/MM/YYYY')"},
    });
    {
        ScopedLocale us(QLocale(QLocale::English, QLocale::UnitedStates));
        EXPECT_EQ(dicc(u"SELECT * FROM T WHERE D = '02/13/2020'"_s),
                  u"SELECT * FROM T WHERE D = TO_DATE('13/02/2020','DD/MM/YYYY')"_s);
    }
    EXPECT_EQ(errorOf(u"SELECT * FROM T WHERE A = 'X"_s), ErrorNumber::InvalidCall);
    EXPECT_EQ(errorOf(u"SELECT 'A FROM T"_s), ErrorNumber::InvalidCall);
}

TEST_F(OracleDialect, LongWhereClauses) {
    // A token is cut after 19,999 characters without a separator.
    const QString longToken(20005, u'X');
    EXPECT_EQ(dicc(u"SELECT * FROM T WHERE A = "_s + longToken),
              u"SELECT * FROM T WHERE A = "_s + QString(19999, u'X') + u" XXXXXX"_s);
    // Positions in the clause are 16-bit: 32,767 characters is the longest clause.
    QString longest = u"SELECT * FROM T WHERE"_s;
    for (int i = 0; i < 16381; ++i)
        longest += u" A"_s;
    EXPECT_EQ(dicc(longest), longest);
    EXPECT_EQ(errorOf(longest + u"A"_s), ErrorNumber::Overflow);
}

} // namespace
