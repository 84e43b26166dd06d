// The PostgreSQL provider against a real server through psqlODBC: types, the dialect step,
// errors and new keys.
#include "PostgresEnvironment.h"
#include "QtPrinters.h"
#include "data/ado/AdoTypes.h"
#include "data/ado/Connection.h"
#include "data/ado/Recordset.h"
#include "shared/RuntimeError.h"
#include "support/TestDatabase.h"

#include <QDate>
#include <QStringList>
#include <cmath>
#include <gtest/gtest.h>

namespace {

const QString demo = QStringLiteral("proveedor");

struct PostgresProvider : ::testing::Test {
    static void SetUpTestSuite() {
        postgres().createDatabase(
            demo,
            PostgresServer::demoScript() +
                QStringLiteral(
                    "CREATE TABLE tipos (clave bigint PRIMARY KEY, momento timestamp, letra "
                    "char(4),"
                    " chico smallint, real8 double precision, largo varchar);"
                    "INSERT INTO tipos VALUES (9000000000, '2021-06-01 10:11:12', 'ab', -5, 1.5,"
                    " repeat('x', 3000));"
                    "CREATE TABLE altas (id serial PRIMARY KEY, nombre varchar(20), activo boolean,"
                    " saldo numeric(19,4));"
                    "CREATE TABLE cifras (id int PRIMARY KEY, grande numeric(19,4), libre numeric,"
                    " doble double precision, dia date, hora timestamp, si boolean);"
                    "INSERT INTO cifras VALUES (1, 123456789012.3457, 0.3, 0.1, '2005-04-03',"
                    " '2005-04-03 10:11:12', true);"));
    }
    ado::Connection cnn;
    void SetUp() override {
        cnn.setCursorLocation(ado::adUseClient);
        cnn.Open(postgres().connectionString(demo));
    }
    // The first field of the first row of a statement as the program reads it.
    Variant first(const QString& sql) {
        ado::Recordset rs;
        rs.Open(sql, cnn, ado::adOpenForwardOnly, ado::adLockReadOnly);
        return rs.Eof() ? Variant() : rs.Fields(0).Value();
    }
};

template <class F> RuntimeError errorOf(F&& f) {
    try {
        f();
    } catch (const RuntimeError& e) {
        return e;
    }
    ADD_FAILURE() << "no error";
    return RuntimeError(0, QString(), QString());
}

TEST_F(PostgresProvider, ColumnsMapToTheAdoTypesOfTheOtherRoads) {
    ado::Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM MA_contactos ORDER BY id"), cnn, ado::adOpenStatic,
            ado::adLockOptimistic);
    EXPECT_EQ(rs.RecordCount(), 320);
    const auto type = [&](const char* name) { return rs.Fields(QString::fromUtf8(name)).Type(); };
    EXPECT_EQ(type("id"), ado::adInteger);
    EXPECT_TRUE(type("Nombre_y_Apellido") == ado::adVarChar ||
                type("Nombre_y_Apellido") == ado::adVarWChar);
    EXPECT_EQ(rs.Fields(QStringLiteral("Nombre_y_Apellido")).DefinedSize(), 50);
    EXPECT_EQ(rs.Fields(QStringLiteral("Observaciones")).DefinedSize(), 300);
    EXPECT_TRUE(type("Notas") == ado::adLongVarChar || type("Notas") == ado::adLongVarWChar);
    EXPECT_TRUE(type("FechaAlta") == ado::adDate || type("FechaAlta") == ado::adDBDate);
    EXPECT_EQ(type("Saldo"), ado::adNumeric);
    EXPECT_EQ(type("Activo"), ado::adBoolean);
    // The server keeps unquoted names in lower case.
    EXPECT_EQ(rs.Fields(1).Name(), QStringLiteral("nombre_y_apellido"));

    rs.setAbsolutePosition(6);
    EXPECT_EQ(rs.Fields(1).Value().toString(), QStringLiteral("Ñandú & Cía. <Importaciones>"));
    rs.setAbsolutePosition(7);
    EXPECT_TRUE(rs.Fields(1).Value().isNull());
    rs.setAbsolutePosition(9);
    EXPECT_EQ(rs.Fields(QStringLiteral("FechaAlta")).Value().toDateTime().date(),
              QDate(2005, 4, 3));
    rs.setAbsolutePosition(1);
    EXPECT_DOUBLE_EQ(rs.Fields(QStringLiteral("Saldo")).Value().toDouble(), -2926.69);
    EXPECT_TRUE(rs.Fields(QStringLiteral("Activo")).Value().toBool());
    rs.setAbsolutePosition(7);
    EXPECT_FALSE(rs.Fields(QStringLiteral("Activo")).Value().toBool());
    rs.setAbsolutePosition(10);
    EXPECT_EQ(rs.Fields(QStringLiteral("Notas")).Value().toString().size(), 230);

    rs.Close();
    rs.Open(QStringLiteral("SELECT * FROM tipos"), cnn, ado::adOpenStatic, ado::adLockReadOnly);
    EXPECT_EQ(rs.Fields(QStringLiteral("clave")).Type(), ado::adBigInt);
    EXPECT_EQ(rs.Fields(QStringLiteral("clave")).Value().toInt64(), 9000000000LL);
    EXPECT_EQ(rs.Fields(QStringLiteral("momento")).Type(), ado::adDBTimeStamp);
    EXPECT_EQ(rs.Fields(QStringLiteral("momento")).Value().toDateTime(),
              QDateTime(QDate(2021, 6, 1), QTime(10, 11, 12)));
    EXPECT_EQ(rs.Fields(QStringLiteral("letra")).Value().toString(), QStringLiteral("ab  "));
    EXPECT_EQ(rs.Fields(QStringLiteral("chico")).Type(), ado::adSmallInt);
    EXPECT_EQ(rs.Fields(QStringLiteral("real8")).Type(), ado::adDouble);
    // A varchar without a size holds texts of any length, read whole.
    EXPECT_EQ(rs.Fields(QStringLiteral("largo")).Value().toString(), QString(3000, u'x'));
}

TEST_F(PostgresProvider, SuiteStatementsRunThroughTheDialectStep) {
    EXPECT_EQ(first(QStringLiteral("SELECT TOP 1 [Nombre_y_Apellido] FROM [dbo].[MA_contactos] "
                                   "WHERE FechaAlta = #03/04/2005# ORDER BY id DESC"))
                  .toString(),
              first(QStringLiteral("SELECT nombre_y_apellido FROM ma_contactos WHERE id = 10"))
                  .toString());
    EXPECT_EQ(
        first(QStringLiteral("SELECT \"VALOR\" FROM TA_CONFIGURACION WHERE [CLAVE] = 'PERIODO'"))
            .toString(),
        QStringLiteral("2026"));
    EXPECT_EQ(
        first(QStringLiteral("SELECT ISNULL(Localidad, '(sin)') FROM MA_contactos WHERE id = 29"))
            .toString(),
        QStringLiteral("(sin)"));
    EXPECT_EQ(first(QStringLiteral("SELECT LEN(LTRIM(RTRIM(VALOR))) FROM ta_configuracion "
                                   "WHERE CLAVE = 'TituloClientes'"))
                  .toInt64(),
              8);
    long affected = 0;
    cnn.Execute(QStringLiteral(
                    "UPDATE [ta_configuracion] SET VALOR = VALOR WHERE CLAVE LIKE 'NOM[_]PCLASE%'"),
                &affected);
    EXPECT_EQ(affected, 0); // brackets inside a literal are left alone (no SQL Server pattern here)
    cnn.Execute(QStringLiteral(
                    "UPDATE [ta_configuracion] SET VALOR = VALOR WHERE CLAVE LIKE 'NOM_PCLASE%'"),
                &affected);
    EXPECT_EQ(affected, 8);
}

TEST_F(PostgresProvider, ALockedRowIsWaitedForABoundedTime) {
    // Unless the server sets a lock time-out for the user or the database, the connection's own.
    EXPECT_EQ(first(QStringLiteral("SHOW lock_timeout")).toString(), QStringLiteral("5s"));
    ado::Connection shorter;
    shorter.Open(postgres().connectionString(demo) + QStringLiteral("Lock Timeout=2;"));
    ado::Recordset rs;
    rs.Open(QStringLiteral("SHOW lock_timeout"), shorter, ado::adOpenStatic, ado::adLockReadOnly);
    EXPECT_EQ(rs.Fields(0).Value().toString(), QStringLiteral("2s"));
    postgres().psql(demo, QStringLiteral("ALTER ROLE operador SET lock_timeout = '750ms'"));
    ado::Connection operador;
    operador.Open(postgres().connectionString(demo, QStringLiteral("operador")));
    rs.Close();
    rs.Open(QStringLiteral("SHOW lock_timeout"), operador, ado::adOpenStatic, ado::adLockReadOnly);
    EXPECT_EQ(rs.Fields(0).Value().toString(), QStringLiteral("750ms"));
    postgres().psql(demo, QStringLiteral("ALTER ROLE operador RESET lock_timeout"));
}

TEST_F(PostgresProvider, ErrorsKeepTheServersStateAndCode) {
    const RuntimeError missing = errorOf([&] { first(QStringLiteral("SELECT * FROM no_existe")); });
    EXPECT_EQ(missing.number(), ado::adErrNoSuchTable);
    ASSERT_GE(cnn.Errors().Count(), 1);
    EXPECT_EQ(cnn.Errors().Item(0).SQLState, QStringLiteral("42P01"));
    EXPECT_EQ(cnn.Errors().Item(0).Source, QStringLiteral("PostgreSQL Unicode"));
    EXPECT_EQ(errorOf([&] { first(QStringLiteral("SELEC 1")); }).number(), ado::adErrCommandText);
    EXPECT_EQ(cnn.Errors().Item(0).SQLState, QStringLiteral("42601"));
    EXPECT_EQ(errorOf([&] {
                  cnn.Execute(QStringLiteral("INSERT INTO ta_usuarios VALUES ('admin', 1, NULL)"));
              }).number(),
              ado::adErrIntegrity);
    EXPECT_EQ(cnn.Errors().Item(0).SQLState, QStringLiteral("23505"));
    // The connection goes on working after a failed statement.
    EXPECT_EQ(first(QStringLiteral("SELECT count(*) FROM ta_usuarios")).toInt64(), 3);

    // A refused login names no password, neither in the error nor in the driver's records.
    ado::Connection wrong;
    const QString secret = QStringLiteral("NoEsLaClave-55");
    const QString withWrongPassword =
        postgres().connectionString(demo).replace(PostgresServer::password(), secret);
    const RuntimeError refused = errorOf([&] { wrong.Open(withWrongPassword); });
    EXPECT_FALSE(refused.description().contains(secret));
    ASSERT_GE(wrong.Errors().Count(), 1);
    for (long i = 0; i < wrong.Errors().Count(); ++i) {
        EXPECT_EQ(wrong.Errors().Item(i).SQLState.size(), 5);
        EXPECT_FALSE(wrong.Errors().Item(i).Description.contains(secret));
    }
    EXPECT_TRUE(refused.description().contains(QStringLiteral("password authentication failed")))
        << refused.description().toStdString();
}

TEST_F(PostgresProvider, ANewRecordGetsTheKeyOfItsOwnInsert) {
    ado::Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM altas"), cnn, ado::adOpenStatic, ado::adLockOptimistic);
    rs.AddNew();
    rs.Fields(QStringLiteral("nombre")).setValue(QStringLiteral("Primera"));
    rs.Update();
    EXPECT_EQ(rs.Fields(QStringLiteral("id")).Value().toInt64(), 1);
    // Another session inserts in between: each insert still gets its own row's key.
    postgres().psql(demo, QStringLiteral("INSERT INTO altas (nombre) VALUES ('Ajena')"));
    rs.AddNew();
    rs.Fields(QStringLiteral("nombre")).setValue(QStringLiteral("Segunda"));
    rs.Fields(QStringLiteral("activo")).setValue(true);
    rs.Fields(QStringLiteral("saldo")).setValue(12.5);
    rs.Update();
    EXPECT_EQ(rs.Fields(QStringLiteral("id")).Value().toInt64(), 3);
    EXPECT_EQ(postgres().psql(
                  demo, QStringLiteral("SELECT id, nombre, activo, saldo FROM altas ORDER BY id")),
              QStringLiteral("1|Primera|NULL|NULL\n2|Ajena|NULL|NULL\n3|Segunda|t|12.5000"));
}

TEST_F(PostgresProvider, AnEditedRowIsFoundByTheValuesItWasReadWith) {
    // Each changed field also locates the row by the value it had: a numeric read as a double,
    // a date, a boolean must all find it again, or the write would fail as if someone else had
    // changed the row.
    for (const auto& [field, value] :
         {std::pair{"grande", Variant(5.25)}, std::pair{"libre", Variant(0.1)},
          std::pair{"doble", Variant(2.5)},
          std::pair{"dia", Variant(QDateTime(QDate(2020, 2, 1), QTime(0, 0)))},
          std::pair{"hora", Variant(QDateTime(QDate(2020, 2, 1), QTime(8, 9, 10)))},
          std::pair{"si", Variant(false)}}) {
        ado::Recordset rs;
        rs.Open(QStringLiteral("select top 1 * from cifras where id = 1"), cnn, ado::adOpenDynamic,
                ado::adLockOptimistic);
        rs.Fields(QString::fromUtf8(field)).setValue(value);
        EXPECT_NO_THROW(rs.Update()) << field;
    }
    EXPECT_EQ(postgres().psql(demo, QStringLiteral("SELECT * FROM cifras")),
              QStringLiteral("1|5.2500|0.1|2.5|2020-02-01|2020-02-01 08:09:10|f"));
    // Someone else's change of the same field still stops the write.
    ado::Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM cifras"), cnn, ado::adOpenStatic, ado::adLockOptimistic);
    postgres().psql(demo, QStringLiteral("UPDATE cifras SET grande = 5.2501"));
    rs.Fields(QStringLiteral("grande")).setValue(7.0);
    EXPECT_EQ(errorOf([&] { rs.Update(); }).number(), ado::adErrRowNotFound);
}

// Both forms of the demo database hold the same tables and rows (the PostgreSQL one with money
// as numeric and bit as boolean).
TEST_F(PostgresProvider, TheDemoHoldsWhatTheSqliteDemoHolds) {
    TestDatabase sqlite(TestDatabase::demoScript());
    ado::Connection lite;
    lite.setCursorLocation(ado::adUseClient);
    lite.Open(sqlite.connectionString());
    const auto text = [](const Variant& v) {
        if (v.isNull()) return QStringLiteral("NULL");
        if (v.type() == Variant::Type::Boolean) return QString::number(v.toBool() ? 1 : 0);
        if (v.isNumeric() && v.type() != Variant::Type::Text)
            return QString::number(v.toDouble(), 'f', 4);
        if (v.type() == Variant::Type::Date) return v.toDateTime().toString(Qt::ISODate);
        return v.toString();
    };
    const QStringList tables = {
        QStringLiteral("MA_contactos"),     QStringLiteral("ta_usuarios"),
        QStringLiteral("ta_configuracion"), QStringLiteral("MA_ARTICULOS"),
        QStringLiteral("V_MA_ARTICULOS"),   QStringLiteral("VT_CLIENTES"),
        QStringLiteral("VT_PROVEEDORES"),   QStringLiteral("V_TA_VENDEDORES"),
        QStringLiteral("V_TA_TECNICOS"),    QStringLiteral("V_MA_MANTENIMIENTOS"),
        QStringLiteral("SS_V_TA_FAMILIAS"), QStringLiteral("MA_POSICIONES"),
        QStringLiteral("TA_CCOSTO"),        QStringLiteral("V_MV_FALTANTES")};
    for (const QString& table : tables) {
        ado::Recordset a, b;
        const QString sql = QStringLiteral("SELECT * FROM %1 ORDER BY 1").arg(table);
        a.Open(sql, lite, ado::adOpenStatic, ado::adLockReadOnly);
        b.Open(sql, cnn, ado::adOpenStatic, ado::adLockReadOnly);
        ASSERT_EQ(a.FieldCount(), b.FieldCount()) << table.toStdString();
        ASSERT_EQ(a.RecordCount(), b.RecordCount()) << table.toStdString();
        for (long f = 0; f < a.FieldCount(); ++f)
            EXPECT_EQ(a.Fields(f).Name().toLower(), b.Fields(f).Name()) << table.toStdString();
        for (; !a.Eof(); a.MoveNext(), b.MoveNext()) {
            for (long f = 0; f < a.FieldCount(); ++f)
                ASSERT_EQ(text(a.Fields(f).Value()), text(b.Fields(f).Value()))
                    << table.toStdString() << " " << a.Fields(f).Name().toStdString();
        }
    }
}

} // namespace
