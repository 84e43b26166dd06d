// ADO connection strings turned into ODBC ones, per provider.
#include "data/ado/ProviderSettings.h"
#include "data/ado/AdoConnectionString.h"
#include "data/ado/AdoTypes.h"
#include "shared/RuntimeError.h"

#include <gtest/gtest.h>

using ado::ProviderSettings;

namespace {

// Sets an environment variable for one test and removes it afterwards.
struct ScopedEnv {
    const char* name;
    ScopedEnv(const char* n, const char* value) : name(n) { qputenv(name, value); }
    ~ScopedEnv() { qunsetenv(name); }
};

} // namespace

TEST(ProviderSettings, ConnectionStringsAreReadAsAdoReadsThem) {
    const ado::AdoConnectionString s(
        QStringLiteral(" PROVIDER = SQLOLEDB ;Server=srv;Database =Ventas;uid=juan; Pwd={a;b}}c} "
                       ";Extra;Pwd2='x''y';;Desconocida=1"));
    EXPECT_EQ(s.value({QStringLiteral("provider")}), QStringLiteral("SQLOLEDB"));
    EXPECT_EQ(s.value({QStringLiteral("DATABASE")}), QStringLiteral("Ventas"));
    EXPECT_EQ(s.value({QStringLiteral("UId")}), QStringLiteral("juan"));
    EXPECT_EQ(s.value({QStringLiteral("pwd")}), QStringLiteral("a;b}c"));
    EXPECT_EQ(s.value({QStringLiteral("pwd2")}), QStringLiteral("x'y"));
    EXPECT_FALSE(s.has({QStringLiteral("Extra")}));
}

TEST(ProviderSettings, SqlServerGoesThroughFreeTdsOrTheConfiguredDriver) {
    ProviderSettings s =
        ProviderSettings::resolve(QStringLiteral("PROVIDER=SQLOLEDB;Server=srv01,1500;Database "
                                                 "=VENTAS;UId=juan;Pwd=se;creto;Desconocida=1;"));
    EXPECT_EQ(s.dialect, ado::Dialect::SqlServer);
    // "se" is the password: the rest after ";" is another (unknown, ignored) entry.
    EXPECT_EQ(
        s.odbcString,
        QStringLiteral("Driver={FreeTDS};Server=srv01;Port=1500;Database=VENTAS;UID=juan;PWD=se;"
                       "TDS_Version=7.4;"));
    s = ProviderSettings::resolve(
        QStringLiteral("Provider=;Server=h:2000;Database=d;UId=u;Pwd={p;w};"), QString(),
        QStringLiteral("otra}"));
    EXPECT_EQ(
        s.odbcString,
        QStringLiteral(
            "Driver={FreeTDS};Server=h;Port=2000;Database=d;UID=u;PWD={otra}}};TDS_Version=7.4;"));
    s = ProviderSettings::resolve(
        QStringLiteral("Provider=SQLOLEDB;Server=h\\SQLEXPRESS;Database=d;UId=u;Pwd=p;"));
    EXPECT_EQ(s.odbcString,
              QStringLiteral(
                  "Driver={FreeTDS};Server=h\\SQLEXPRESS;Database=d;UID=u;PWD=p;TDS_Version=7.4;"));

    const ScopedEnv driver("CONTACTOS_SQLSERVER_DRIVER", "ODBC Driver 18 for SQL Server");
    s = ProviderSettings::resolve(
        QStringLiteral("Provider=SQLOLEDB;Server=h,1433;Database=d;UId=u;Pwd=p;"));
    EXPECT_EQ(s.odbcString,
              QStringLiteral(
                  "Driver={ODBC Driver 18 for SQL Server};Server=h,1433;Database=d;UID=u;PWD=p;"));
}

TEST(ProviderSettings, OracleSqliteAndUnknownProviders) {
    ProviderSettings s = ProviderSettings::resolve(QStringLiteral(
        "Provider=OraOLEDB.Oracle.1;Data Source=ORCL;User Id=scott;Password=tiger;"));
    EXPECT_EQ(s.dialect, ado::Dialect::Oracle);
    EXPECT_EQ(s.odbcString, QStringLiteral("Driver={Oracle};DBQ=ORCL;UID=scott;PWD=tiger;"));
    EXPECT_EQ(s.driverVariable, QStringLiteral("CONTACTOS_ORACLE_DRIVER"));

    s = ProviderSettings::resolve(QStringLiteral("Provider=SQLite;Data Source=/tmp/a b.db;"));
    EXPECT_EQ(s.dialect, ado::Dialect::SQLite);
    EXPECT_EQ(
        s.odbcString,
        QStringLiteral("Driver={SQLite3};Database=/tmp/a b.db;StepAPI=1;NoCreat=1;Timeout=5000;"));
    // The driver knows no braces: a path with ";" goes as a file: URI.
    s = ProviderSettings::resolve(
        QStringLiteral("Provider=sqlite;Data Source={/tmp/x;y%.db};Busy Timeout=1"));
    EXPECT_EQ(
        s.odbcString,
        QStringLiteral(
            "Driver={SQLite3};Database=file:/tmp/x%3By%25.db;StepAPI=1;NoCreat=1;Timeout=1000;"));

    QString description;
    try {
        ProviderSettings::resolve(
            QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=x.mdb;"));
        ADD_FAILURE() << "no error";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), ado::adErrProviderNotFound);
        EXPECT_TRUE(e.description().contains(QStringLiteral("Microsoft.Jet.OLEDB.4.0")));
    }
    EXPECT_THROW(ProviderSettings::resolve(QStringLiteral("Provider=SQLite;")), RuntimeError);
    EXPECT_EQ(ProviderSettings::dialectOf(QStringLiteral("Provider=OraOLEDB.Oracle.1;")),
              ado::Dialect::Oracle);
    EXPECT_EQ(ProviderSettings::dialectOf(QStringLiteral("Provider = SQLite ;")),
              ado::Dialect::SQLite);
}

TEST(ProviderSettings, PostgresStreamsThroughACursorAndReadsItsPortEitherWay) {
    const QString streaming =
        QStringLiteral("UseDeclareFetch=1;Fetch=10000;BoolsAsChar=0;UnknownsAsLongVarchar=1;"
                       "MaxVarcharSize=65535;pqopt=keepalives=1 keepalives_idle=30 "
                       "keepalives_interval=10 keepalives_count=3 tcp_user_timeout=60000;");
    ProviderSettings s = ProviderSettings::resolve(QStringLiteral(
        "Provider=PostgreSQL;Server=db.local;Port=5433;Database=ventas;Uid=juan;Pwd={p;w};"));
    EXPECT_EQ(s.dialect, ado::Dialect::PostgreSQL);
    EXPECT_EQ(s.newKey, ado::NewKey::Returning);
    EXPECT_EQ(s.driverVariable, QStringLiteral("CONTACTOS_POSTGRESQL_DRIVER"));
    EXPECT_EQ(s.odbcString,
              QStringLiteral("Driver={PostgreSQL Unicode};Servername=db.local;Port=5433;"
                             "Database=ventas;UID=juan;PWD={p;w};") +
                  streaming);
    // The port in the server text, the default port, an IPv6 address; the driver's own keys pass
    // through, in place of the program's value for them; the lock time-out is the program's.
    s = ProviderSettings::resolve(
        QStringLiteral("Provider=PostgreSQL;Server=10.0.0.5:6000;Database=d;Uid=u;Pwd=p;Fetch=50;"
                       "SSLMode=require;Lock Timeout=2"));
    EXPECT_TRUE(s.odbcString.contains(QStringLiteral("Servername=10.0.0.5;Port=6000;")));
    EXPECT_TRUE(s.odbcString.contains(QStringLiteral(";Fetch=50;")));
    EXPECT_FALSE(s.odbcString.contains(QStringLiteral("Fetch=10000")));
    EXPECT_TRUE(s.odbcString.endsWith(QStringLiteral("SSLMode=require;")));
    EXPECT_FALSE(s.odbcString.contains(QStringLiteral("Lock")));
    EXPECT_EQ(s.lockTimeoutSeconds, 2);
    s = ProviderSettings::resolve(QStringLiteral("Provider=PostgreSQL;Database=d;"));
    EXPECT_TRUE(s.odbcString.contains(QStringLiteral("Servername=localhost;Port=5432;")));
    s = ProviderSettings::resolve(QStringLiteral("Provider=PostgreSQL;Server=[::1]:7000;"));
    EXPECT_TRUE(s.odbcString.contains(QStringLiteral("Servername=::1;Port=7000;")));
    s = ProviderSettings::resolve(QStringLiteral("Provider=PostgreSQL;Server=fe80::1;"));
    EXPECT_TRUE(s.odbcString.contains(QStringLiteral("Servername=fe80::1;Port=5432;")));

    const ScopedEnv driver("CONTACTOS_POSTGRESQL_DRIVER", "PostgreSQL ANSI");
    s = ProviderSettings::resolve(QStringLiteral("Provider=PostgreSQL;Server=h;"));
    EXPECT_TRUE(s.odbcString.startsWith(QStringLiteral("Driver={PostgreSQL ANSI};")));

    // The form the program builds from a server text with or without its port.
    EXPECT_EQ(ProviderSettings::postgresConnectionString(QStringLiteral("srv:5433"),
                                                         QStringLiteral("db"), QStringLiteral("u"),
                                                         QStringLiteral("p")),
              QStringLiteral("Provider=PostgreSQL;Server=srv;Port=5433;Database=db;Uid=u;Pwd=p;"));
    EXPECT_EQ(ProviderSettings::postgresConnectionString(QStringLiteral("srv"),
                                                         QStringLiteral("db"), QStringLiteral("u"),
                                                         QStringLiteral("p")),
              QStringLiteral("Provider=PostgreSQL;Server=srv;Database=db;Uid=u;Pwd=p;"));
    // A password typed with ";" in it reaches the driver whole.
    const QString typed = ProviderSettings::postgresConnectionString(
        QStringLiteral("srv"), QStringLiteral("db"), QStringLiteral("u"), QStringLiteral("a;b}c"));
    EXPECT_TRUE(
        ProviderSettings::resolve(typed).odbcString.contains(QStringLiteral(";PWD={a;b}}c};")));
}
