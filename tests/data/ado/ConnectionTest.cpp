// The connection: statements, transactions, schema rowsets and every way opening can go wrong.
#include "AdoFixture.h"

#include <QFile>
#include <sqlite3.h>

using namespace ado;

namespace {

struct ScopedEnv {
    const char* name;
    ScopedEnv(const char* n, const char* value) : name(n) { qputenv(name, value); }
    ~ScopedEnv() { qunsetenv(name); }
};

} // namespace

using ConnectionUse = AdoFixture;

TEST_F(ConnectionUse, ExecuteCountsRecordsAndReturnsResults) {
    long affected = 0;
    auto none =
        cnn.Execute(QStringLiteral("UPDATE MA_contactos SET edad = 1 WHERE id > 1"), &affected);
    EXPECT_EQ(affected, 2);
    EXPECT_EQ(none->State(), adStateClosed);
    cnn.Execute(QStringLiteral("DELETE FROM MA_contactos WHERE id = 99"), &affected);
    EXPECT_EQ(affected, 0);
    auto rows = cnn.Execute(
        QStringLiteral("SELECT TOP 2 nombre FROM MA_contactos ORDER BY id DESC"), &affected);
    ASSERT_EQ(rows->State(), adStateOpen);
    EXPECT_EQ(rows->RecordCount(), 2);
    EXPECT_EQ(rows->Fields(0).Value(), Variant(QStringLiteral("Zoë Peña")));
    EXPECT_EQ(rows->LockType(), adLockReadOnly);
    EXPECT_EQ(
        cnn.Execute(QStringLiteral("SELECT 1"), nullptr, adCmdText | adExecuteNoRecords)->State(),
        adStateClosed);
}

TEST_F(ConnectionUse, TransactionsCommitAndRollBack) {
    EXPECT_EQ(cnn.BeginTrans(), 1);
    EXPECT_EQ(errorOf([&] { cnn.BeginTrans(); }), adErrUnspecified);
    cnn.Execute(QStringLiteral("UPDATE MA_contactos SET nombre = 'deshecho' WHERE id = 1"));
    Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM MA_contactos WHERE id = 2"), cnn, adOpenStatic,
            adLockOptimistic);
    rs.Fields(QStringLiteral("nombre")).setValue(QStringLiteral("también deshecho"));
    rs.Update();
    cnn.RollbackTrans();
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT nombre FROM MA_contactos WHERE id = 1")),
              QStringLiteral("Ana Muñoz"));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT nombre FROM MA_contactos WHERE id = 2")),
              QStringLiteral("José O'Brien"));

    cnn.BeginTrans();
    cnn.Execute(QStringLiteral("UPDATE MA_contactos SET nombre = 'hecho' WHERE id = 1"));
    cnn.CommitTrans();
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT nombre FROM MA_contactos WHERE id = 1")),
              QStringLiteral("hecho"));
    EXPECT_EQ(errorOf([&] { cnn.CommitTrans(); }), adErrNoTransaction);
    // Back in autocommit: a plain statement is there for everyone at once.
    cnn.Execute(QStringLiteral("UPDATE MA_contactos SET nombre = 'suelto' WHERE id = 1"));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT nombre FROM MA_contactos WHERE id = 1")),
              QStringLiteral("suelto"));
}

TEST_F(ConnectionUse, SchemaRowsetsOfTablesAndColumns) {
    db.exec(QStringLiteral("CREATE TABLE MAXcontactos (x int); CREATE VIEW v_contactos AS SELECT "
                           "id, nombre FROM MA_contactos;"));
    auto tables = cnn.OpenSchema(adSchemaTables);
    QStringList names;
    for (; !tables->Eof(); tables->MoveNext()) {
        names << tables->Fields(QStringLiteral("TABLE_NAME")).Value().toString() + u':' +
                     tables->Fields(QStringLiteral("TABLE_TYPE")).Value().toString();
    }
    EXPECT_TRUE(names.contains(QStringLiteral("MA_contactos:TABLE")))
        << names.join(u',').toStdString();
    EXPECT_TRUE(names.contains(QStringLiteral("v_contactos:VIEW")));

    // The suite restricts by catalog (its database name), schema, table and column: the catalog
    // means nothing to SQLite, and "_" in a name is not a wildcard.
    auto columns = cnn.OpenSchema(
        adSchemaColumns, {db.path(), QString(), QStringLiteral("MA_contactos"), QString()});
    QStringList found;
    for (; !columns->Eof(); columns->MoveNext()) {
        EXPECT_EQ(columns->Fields(QStringLiteral("TABLE_NAME")).Value(),
                  Variant(QStringLiteral("MA_contactos")));
        found << columns->Fields(QStringLiteral("COLUMN_NAME")).Value().toString();
    }
    ASSERT_EQ(found.size(), 19);
    EXPECT_EQ(found.first(), QStringLiteral("id"));
    columns = cnn.OpenSchema(adSchemaColumns, {QString(), QString(), QStringLiteral("ma_contactos"),
                                               QStringLiteral("nombre")});
    ASSERT_EQ(columns->RecordCount(), 1);
    EXPECT_EQ(columns->Fields(QStringLiteral("DATA_TYPE")).Value(), Variant(adVarChar));
    EXPECT_EQ(columns->Fields(QStringLiteral("CHARACTER_MAXIMUM_LENGTH")).Value(), Variant(50));
    EXPECT_EQ(columns->Fields(QStringLiteral("ORDINAL_POSITION")).Value(), Variant(2));
    EXPECT_TRUE(
        cnn.OpenSchema(adSchemaColumns, {QString(), QString(), QStringLiteral("MA_contactos"),
                                         QStringLiteral("falta")})
            ->Eof());
    EXPECT_EQ(errorOf([&] { cnn.OpenSchema(12); }), adErrFeatureNotAvailable);
}

TEST_F(ConnectionUse, RejectedStatementsCarryTheirOleDbCodesAndDiagnostics) {
    struct Case {
        const char* sql;
        long number;
    };
    const Case cases[] = {
        {"SELECT * FROM no_existe", adErrNoSuchTable},
        {"SELEC nombre FROM MA_contactos", adErrCommandText},
        {"SELECT falta FROM MA_contactos", adErrCommandText},
        {"SELECT * FROM MA_contactos WHERE", adErrCommandText},
        {"INSERT INTO MA_contactos (id) VALUES (1)", adErrIntegrity},
        {"SELECT abs(-9223372036854775808)", adErrUnspecified},
    };
    for (const Case& c : cases) {
        QString description;
        EXPECT_EQ(errorOf([&] { cnn.Execute(QString::fromUtf8(c.sql)); }, &description), c.number)
            << c.sql;
        ASSERT_GE(cnn.Errors().Count(), 1);
        const ProviderError& e = cnn.Errors().Item(0);
        EXPECT_EQ(e.Number, c.number);
        EXPECT_EQ(e.Description, description);
        EXPECT_EQ(e.SQLState, QStringLiteral("HY000"));
        EXPECT_NE(e.NativeError, 0);
        EXPECT_EQ(e.Source, QStringLiteral("SQLite3"));
    }
    EXPECT_EQ(cnn.Errors().Item(0).NativeError, 1); // SQLITE_ERROR
    EXPECT_EQ(errorOf([&] { cnn.Errors().Item(cnn.Errors().Count()); }), adErrItemNotFound);
    cnn.Errors().Clear();
    EXPECT_EQ(cnn.Errors().Count(), 0);
    // The connection is still usable after its failures.
    EXPECT_EQ(cnn.Execute(QStringLiteral("SELECT count(*) FROM MA_contactos"))->Fields(0).Value(),
              Variant(3));
}

TEST_F(ConnectionUse, ClosedConnectionsAndOpenOnesRefuseWhatTheyCannotDo) {
    EXPECT_EQ(errorOf([&] { cnn.Open(); }), adErrObjectOpen);
    EXPECT_EQ(errorOf([&] { cnn.setConnectionString(QStringLiteral("x")); }), adErrObjectOpen);
    cnn.setCommandTimeout(5);
    cnn.setDefaultDatabase(QStringLiteral("VENTAS")); // a value only, on SQLite
    EXPECT_EQ(cnn.DefaultDatabase(), QStringLiteral("VENTAS"));
    EXPECT_EQ(cnn.Execute(QStringLiteral("SELECT 1"))->RecordCount(), 1);
    cnn.Close();
    EXPECT_EQ(cnn.State(), adStateClosed);
    EXPECT_EQ(errorOf([&] { cnn.Execute(QStringLiteral("SELECT 1")); }), adErrObjectClosed);
    EXPECT_EQ(errorOf([&] { cnn.OpenSchema(adSchemaTables); }), adErrObjectClosed);
    EXPECT_EQ(errorOf([&] { cnn.BeginTrans(); }), adErrObjectClosed);
    EXPECT_EQ(errorOf([&] { cnn.Close(); }), adErrObjectClosed);
    Recordset rs;
    EXPECT_EQ(errorOf([&] { rs.Open(QStringLiteral("SELECT 1"), cnn); }), adErrObjectClosed);
    // Open again with the same string.
    cnn.Open();
    EXPECT_EQ(cnn.State(), adStateOpen);
}

TEST(ConnectionOpen, AMissingFileIsAConnectionFailureAndNoNewDatabase) {
    TestDatabase db;
    const QString missing = db.folder() + QStringLiteral("/no_existe.db");
    Connection cnn;
    QString description;
    EXPECT_EQ(
        errorOf([&] { cnn.Open(QStringLiteral("Provider=SQLite;Data Source=%1;").arg(missing)); },
                &description),
        adErrUnspecified);
    EXPECT_TRUE(description.contains(QStringLiteral("No se encuentra el archivo")))
        << description.toStdString();
    EXPECT_TRUE(description.contains(missing));
    EXPECT_FALSE(QFile::exists(missing));
    EXPECT_EQ(cnn.State(), adStateClosed);
    ASSERT_EQ(cnn.Errors().Count(), 1);
    EXPECT_EQ(cnn.Errors().Item(0).SQLState, QStringLiteral("08001"));
}

TEST(ConnectionOpen, AFileThatIsNoDatabaseFailsAtOpen) {
    TestDatabase db;
    const QString path = db.folder() + QStringLiteral("/notas.txt");
    QFile text(path);
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write(QByteArray(4096, 'x'));
    text.close();
    Connection cnn;
    EXPECT_EQ(
        errorOf([&] { cnn.Open(QStringLiteral("Provider=SQLite;Data Source=%1;").arg(path)); }),
        adErrUnspecified);
    EXPECT_EQ(cnn.State(), adStateClosed);
    ASSERT_GE(cnn.Errors().Count(), 1);
    EXPECT_TRUE(cnn.Errors().Item(0).Description.contains(QStringLiteral("not a database")))
        << cnn.Errors().Item(0).Description.toStdString();
}

TEST(ConnectionOpen, AWrongDriverNameSaysWhichAndWhereItIsSet) {
    TestDatabase db(contactsSchema);
    const ScopedEnv driver("CONTACTOS_SQLITE_DRIVER", "SQLite9 inexistente");
    Connection cnn;
    QString description;
    EXPECT_NE(errorOf([&] { cnn.Open(db.connectionString()); }, &description), 0);
    EXPECT_TRUE(description.contains(QStringLiteral("SQLite9 inexistente")))
        << description.toStdString();
    EXPECT_TRUE(description.contains(QStringLiteral("CONTACTOS_SQLITE_DRIVER")));
    ASSERT_GE(cnn.Errors().Count(), 2); // ours first, then the driver manager's own
    EXPECT_EQ(cnn.Errors().Item(0).SQLState, QStringLiteral("IM002"));
    EXPECT_EQ(cnn.State(), adStateClosed);
    // No Oracle driver is installed here: the Oracle road ends with the same kind of message.
    EXPECT_NE(
        errorOf(
            [&] {
                cnn.Open(QStringLiteral(
                    "Provider=OraOLEDB.Oracle.1;Data Source=ORCL;User Id=scott;Password=tiger;"));
            },
            &description),
        0);
    EXPECT_TRUE(description.contains(QStringLiteral("\"Oracle\""))) << description.toStdString();
    EXPECT_TRUE(description.contains(QStringLiteral("CONTACTOS_ORACLE_DRIVER")));
}

TEST(ConnectionOpen, UnknownKeysAreIgnoredAndUnknownProvidersRefused) {
    TestDatabase db(contactsSchema);
    Connection cnn;
    cnn.Open(QStringLiteral(
                 " provider = SQLite ; Persist Security Info=False; data source = %1 ;Cualquiera=1")
                 .arg(db.path()));
    EXPECT_EQ(cnn.State(), adStateOpen);
    EXPECT_EQ(cnn.dialect(), Dialect::SQLite);
    cnn.Close();
    QString description;
    EXPECT_EQ(errorOf([&] { cnn.Open(QStringLiteral("Provider=MSDASQL;DSN=x;")); }, &description),
              adErrProviderNotFound);
    EXPECT_TRUE(description.contains(QStringLiteral("MSDASQL")));
}

TEST(ConnectionOpen, ALockedDatabaseFailsAfterTheBusyTimeout) {
    TestDatabase db(contactsSchema);
    sqlite3* holder = nullptr;
    ASSERT_EQ(sqlite3_open(db.path().toUtf8().constData(), &holder), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(holder, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    Connection cnn;
    QString description;
    const long number = errorOf(
        [&] {
            cnn.Open(db.connectionString() + QStringLiteral("Busy Timeout=1;"));
            cnn.Execute(QStringLiteral("SELECT count(*) FROM MA_contactos"));
        },
        &description);
    EXPECT_EQ(number, adErrUnspecified);
    EXPECT_TRUE(description.contains(QStringLiteral("bloqueada"))) << description.toStdString();
    sqlite3_exec(holder, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(holder);
    // Once the other process lets go, the same connection works.
    if (cnn.State() != adStateOpen) cnn.Open();
    EXPECT_EQ(cnn.Execute(QStringLiteral("SELECT count(*) FROM MA_contactos"))->Fields(0).Value(),
              Variant(3));
}

TEST(ConnectionOpen, TheDatabaseGoingAwayGivesErrorsNotCrashes) {
    auto db = std::make_unique<TestDatabase>(contactsSchema);
    Connection cnn;
    cnn.Open(db->connectionString());
    Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM MA_contactos"), cnn, adOpenStatic, adLockOptimistic);
    db.reset(); // the file and its folder are deleted
    // Whatever SQLite still reaches of the unlinked file, every call either works or raises.
    for (const char* sql : {"SELECT count(*) FROM MA_contactos", "UPDATE MA_contactos SET edad = 2",
                            "CREATE TABLE otra (x int)"}) {
        try {
            cnn.Execute(QString::fromUtf8(sql));
        } catch (const RuntimeError&) {
        }
    }
    try {
        rs.Fields(QStringLiteral("nombre")).setValue(QStringLiteral("x"));
        rs.Update();
    } catch (const RuntimeError&) {
    }
    EXPECT_EQ(rs.RecordCount(), 3);
}

TEST(ConnectionOpen, FreeTdsOnAClosedPortGivesTheDriversDiagnostics) {
    Connection cnn;
    cnn.setCursorLocation(adUseClient);
    QString description;
    const long number = errorOf(
        [&] {
            cnn.Open(QStringLiteral(
                "PROVIDER=SQLOLEDB;Server=127.0.0.1,1;Database =VENTAS;UId=sa;Pwd=x;"));
        },
        &description);
    EXPECT_NE(number, 0);
    EXPECT_EQ(cnn.State(), adStateClosed);
    ASSERT_GE(cnn.Errors().Count(), 1);
    const ProviderError& first = cnn.Errors().Item(0);
    EXPECT_TRUE(first.SQLState.startsWith(QStringLiteral("08"))) << first.SQLState.toStdString();
    EXPECT_EQ(first.Description, description);
    EXPECT_EQ(first.Source, QStringLiteral("FreeTDS"));
    bool native = false;
    for (long i = 0; i < cnn.Errors().Count(); ++i)
        native = native || cnn.Errors().Item(i).NativeError != 0;
    EXPECT_TRUE(native) << "no native code among the driver's records";
}
