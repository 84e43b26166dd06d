// The dialect step: the suite's SQL Server statements as each driver gets them.
#include "data/ado/SqlDialect.h"

#include <gtest/gtest.h>

using ado::Dialect;
using ado::SqlDialect;

namespace {

QString sqlite(const char* text) {
    return SqlDialect::toDriverSql(Dialect::SQLite, QString::fromUtf8(text));
}

QString server(const char* text) {
    return SqlDialect::toDriverSql(Dialect::SqlServer, QString::fromUtf8(text));
}

} // namespace

TEST(SqlDialect, SqliteTopBecomesLimitAtTheEndOfItsStatement) {
    EXPECT_EQ(sqlite("select top 1 * from MA_contactos where id = 5"),
              QStringLiteral("select * from MA_contactos where id = 5 LIMIT 1"));
    EXPECT_EQ(sqlite("SELECT TOP 10 nombre FROM t ORDER BY nombre;"),
              QStringLiteral("SELECT nombre FROM t ORDER BY nombre LIMIT 10;"));
    EXPECT_EQ(sqlite("Select Distinct Top (3) a FROM t  "),
              QStringLiteral("Select Distinct a FROM t LIMIT 3  "));
    // In a subquery the limit closes the subquery, and the outer statement keeps its own.
    EXPECT_EQ(sqlite("SELECT TOP 2 a FROM (SELECT TOP 5 a FROM t ORDER BY a) x WHERE a IN (SELECT "
                     "b FROM u)"),
              QStringLiteral("SELECT a FROM (SELECT a FROM t ORDER BY a LIMIT 5) x WHERE a IN "
                             "(SELECT b FROM u) LIMIT 2"));
    // Not a TOP clause: a column named top, TOP n PERCENT, text in quotes.
    EXPECT_EQ(sqlite("select top from t"), QStringLiteral("select top from t"));
    EXPECT_EQ(sqlite("select top 5 percent a from t"),
              QStringLiteral("select top 5 percent a from t"));
    EXPECT_EQ(sqlite("select 'select top 1 x' from t"),
              QStringLiteral("select 'select top 1 x' from t"));
}

TEST(SqlDialect, SqliteNamesDatesAndOwners) {
    EXPECT_EQ(sqlite("SELECT [Código Postal], [a\"b] FROM [MA_contactos]"),
              QStringLiteral("SELECT \"Código Postal\", \"a\"\"b\" FROM \"MA_contactos\""));
    EXPECT_EQ(
        sqlite(
            "WHERE alta >= #1/2/2020# AND alta < #31/12/2020 9:05# OR x = #05/06/2021 23:59:58#"),
        QStringLiteral("WHERE alta >= '2020-02-01' AND alta < '2020-12-31 09:05:00' OR x = "
                       "'2021-06-05 23:59:58'"));
    EXPECT_EQ(sqlite("x = #1/2/2020 1:30 PM#"), QStringLiteral("x = '2020-02-01 13:30:00'"));
    // An impossible date is left for the database to refuse.
    EXPECT_EQ(sqlite("x = #31/02/2020#"), QStringLiteral("x = #31/02/2020#"));
    // Literals are never touched: brackets in a LIKE pattern, a # inside quotes, doubled quotes.
    EXPECT_EQ(sqlite("nombre LIKE '[a-c]%' AND n = 'it''s #1/2/2020#' AND [n]=1"),
              QStringLiteral("nombre LIKE '[a-c]%' AND n = 'it''s #1/2/2020#' AND \"n\"=1"));
    EXPECT_EQ(sqlite("ALTER TABLE dbo.T ADD c int; SELECT * FROM [dbo].[T], xdbo.t, main.t"),
              QStringLiteral("ALTER TABLE T ADD c int; SELECT * FROM \"T\", xdbo.t, main.t"));
}

TEST(SqlDialect, SqlServerGetsUnambiguousDatesAndOracleIsLeftAlone) {
    EXPECT_EQ(
        server("select top 1 * from [t] where f = #3/4/2021# or g = #3/4/2021 10:00:01#"),
        QStringLiteral("select top 1 * from [t] where f = '20210403' or g = '20210403 10:00:01'"));
    const QString oracle = QStringLiteral("select top 1 * from [t] where f = #3/4/2021#");
    EXPECT_EQ(SqlDialect::toDriverSql(Dialect::Oracle, oracle), oracle);
}

TEST(SqlDialect, PostgresFoldsQuotedNamesAsTheServerFoldsUnquotedOnes) {
    const auto pg = [](const char* text) {
        return SqlDialect::toDriverSql(Dialect::PostgreSQL, QString::fromUtf8(text));
    };
    EXPECT_EQ(pg("select top 1 * from [MA_contactos] where [Nombre_y_Apellido] = 'Ana' AND "
                 "\"CLAVE\" = 'X' AND FechaAlta = #3/4/2005#"),
              QStringLiteral("select * from \"ma_contactos\" where \"nombre_y_apellido\" = 'Ana' "
                             "AND \"clave\" = 'X' AND FechaAlta = '2005-04-03' LIMIT 1"));
    // Literals keep their case; owners go; the functions PostgreSQL names otherwise.
    EXPECT_EQ(pg("SELECT ISNULL(a, 'Ñ'), LEN ([b]), GetDate( ), x.len(c), isnullx(d), 'isnull(e)' "
                 "FROM dbo.T"),
              QStringLiteral("SELECT COALESCE(a, 'Ñ'), LENGTH (\"b\"), LOCALTIMESTAMP, x.len(c), "
                             "isnullx(d), 'isnull(e)' FROM T"));
    EXPECT_EQ(SqlDialect::catalogName(Dialect::PostgreSQL, QStringLiteral("[MA_Contactos]")),
              QStringLiteral("ma_contactos"));
    EXPECT_EQ(SqlDialect::catalogName(Dialect::PostgreSQL, QStringLiteral("\"Mixto\"")),
              QStringLiteral("Mixto"));
    EXPECT_EQ(SqlDialect::catalogName(Dialect::SQLite, QStringLiteral("[MA_Contactos]")),
              QStringLiteral("MA_Contactos"));
}
