// Writing through a recordset: parameterised statements on the base table, optimistic criteria.
#include "AdoFixture.h"

using namespace ado;

namespace {

const QString rowNotFound = QStringLiteral("No se encuentra la fila para su actualización. Algunos "
                                           "valores pueden haber cambiado desde la última vez que "
                                           "se leyeron.");

} // namespace

struct RecordsetWrite : AdoFixture {
    Recordset rs;
    void openRow(int id) {
        if (rs.State() == adStateOpen) rs.Close();
        rs.Open(QStringLiteral("select top 1 * from MA_contactos where id = %1").arg(id), cnn,
                adOpenDynamic, adLockOptimistic);
    }
};

TEST_F(RecordsetWrite, UpdateWritesOnlyTheChangedFields) {
    SpanishLocale spanish;
    openRow(1);
    EXPECT_TRUE(rs.Fields(QStringLiteral("id")).Properties(QStringLiteral("KEYCOLUMN")).toBool());
    rs.Fields(QStringLiteral("nombre")).setValue(QStringLiteral("Ana María Muñoz"));
    rs.Fields(QStringLiteral("saldo"))
        .setValue(QStringLiteral("1234,5")); // read in the default locale
    rs.Fields(QStringLiteral("nacimiento")).setValue(QStringLiteral("3/4/1981")); // day first
    rs.Fields(QStringLiteral("alta")).setValue(QDateTime(QDate(2022, 12, 31), QTime(23, 0, 5)));
    rs.Fields(QStringLiteral("edad")).setValue(QStringLiteral("45"));
    rs.Fields(QStringLiteral("activo")).setValue(Variant(false));
    rs.Fields(QStringLiteral("codigo")).setValue(QStringLiteral("A1")); // its own value: no change
    EXPECT_TRUE(rs.editing());
    EXPECT_EQ(rs.Fields(QStringLiteral("saldo")).Value(), Variant(Currency{12345000}));
    EXPECT_EQ(rs.Fields(QStringLiteral("saldo")).OriginalValue(), Variant(Currency{12345678}));
    rs.Update();
    EXPECT_FALSE(rs.editing());
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT nombre FROM MA_contactos WHERE id = 1")),
              QStringLiteral("Ana María Muñoz"));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT saldo FROM MA_contactos WHERE id = 1")),
              QStringLiteral("1234.5"));
    // Dates are kept as the ISO texts that the dialect's literals compare with.
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT nacimiento FROM MA_contactos WHERE id = 1")),
              QStringLiteral("1981-04-03"));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT alta FROM MA_contactos WHERE id = 1")),
              QStringLiteral("2022-12-31 23:00:05"));
    EXPECT_EQ(db.scalar(QStringLiteral(
                  "SELECT count(*) FROM MA_contactos WHERE nacimiento = '1981-04-03' AND"
                  " edad = 45 AND activo = 0")),
              QStringLiteral("1"));
    // The recordset holds the written values; the other rows are untouched.
    EXPECT_EQ(rs.Fields(QStringLiteral("nombre")).Value(),
              Variant(QStringLiteral("Ana María Muñoz")));
    EXPECT_EQ(rs.Fields(QStringLiteral("nombre")).OriginalValue(),
              Variant(QStringLiteral("Ana María Muñoz")));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT nombre FROM MA_contactos WHERE id = 3")),
              QStringLiteral("Zoë Peña"));
    // A date literal of the suite finds the written row through the dialect step.
    long affected = 0;
    cnn.Execute(QStringLiteral("UPDATE MA_contactos SET chico = 1 WHERE nacimiento = #3/4/1981#"),
                &affected);
    EXPECT_EQ(affected, 1);
}

TEST_F(RecordsetWrite, AddNewReadsTheGeneratedKeyBackAndCancelUpdateDropsEdits) {
    Recordset table;
    table.Open(QStringLiteral("MA_contactos"), cnn, adOpenKeyset, adLockOptimistic, adCmdTable);
    table.MoveLast();
    table.AddNew();
    EXPECT_EQ(table.RecordCount(), 4);
    table.Fields(0).setValue(Variant::null()); // the grid writes a Null key for a new row
    table.Fields(QStringLiteral("nombre")).setValue(QStringLiteral("Íñigo"));
    table.Fields(QStringLiteral("importe")).setValue(Variant(12.25));
    table.Update();
    EXPECT_EQ(table.Fields(QStringLiteral("id")).Value(), Variant(4));
    EXPECT_EQ(
        db.scalar(QStringLiteral("SELECT nombre || '|' || importe FROM MA_contactos WHERE id = 4")),
        QStringLiteral("Íñigo|12.25"));

    // A new record cancelled is gone from the recordset and never reached the database.
    table.AddNew();
    table.Fields(QStringLiteral("nombre")).setValue(QStringLiteral("Nadie"));
    table.CancelUpdate();
    EXPECT_EQ(table.RecordCount(), 4);
    EXPECT_EQ(table.Fields(QStringLiteral("nombre")).Value(), Variant(QStringLiteral("Íñigo")));
    // An edit cancelled leaves the record as read.
    table.Fields(QStringLiteral("nombre")).setValue(QStringLiteral("Otro"));
    table.CancelUpdate();
    EXPECT_EQ(table.Fields(QStringLiteral("nombre")).Value(), Variant(QStringLiteral("Íñigo")));
    table.Update(); // nothing under way: nothing happens
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM MA_contactos")), QStringLiteral("4"));

    // An "id" that is not the rowid is not numbered by SQLite: the new record keeps its Null.
    db.exec(QStringLiteral("CREATE TABLE sin_clave (id int, nombre varchar(10)); INSERT INTO "
                           "sin_clave VALUES (7, 'a');"));
    Recordset other;
    other.Open(QStringLiteral("sin_clave"), cnn, adOpenKeyset, adLockOptimistic, adCmdTable);
    other.AddNew();
    other.Fields(QStringLiteral("nombre")).setValue(QStringLiteral("b"));
    other.Update();
    EXPECT_TRUE(other.Fields(QStringLiteral("id")).Value().isNull());
    EXPECT_EQ(
        db.scalar(QStringLiteral("SELECT ifnull(id, 'NULL') FROM sin_clave WHERE nombre = 'b'")),
        QStringLiteral("NULL"));

    // Moving on writes the edit under way, as ADO does.
    table.MoveFirst();
    table.Fields(QStringLiteral("edad")).setValue(Variant(50));
    table.MoveNext();
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT edad FROM MA_contactos WHERE id = 1")),
              QStringLiteral("50"));
}

TEST_F(RecordsetWrite, DeleteRemovesTheRowAndFailsWhenItIsGone) {
    openRow(2);
    rs.Delete(1);
    EXPECT_EQ(rs.RecordCount(), 0);
    EXPECT_TRUE(rs.Eof());
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM MA_contactos WHERE id = 2")),
              QStringLiteral("0"));

    openRow(3);
    db.exec(QStringLiteral("DELETE FROM MA_contactos WHERE id = 3"));
    QString description;
    EXPECT_EQ(errorOf([&] { rs.Delete(adAffectCurrent); }, &description), adErrRowNotFound);
    EXPECT_EQ(description, rowNotFound);
    EXPECT_EQ(rs.RecordCount(), 1); // the recordset still shows what it read
    // A query that found nothing has no record to delete.
    openRow(99);
    EXPECT_EQ(errorOf([&] { rs.Delete(1); }), adErrNoCurrentRecord);
}

TEST_F(RecordsetWrite, AnUpdateThatLosesTheRaceChangesNothing) {
    openRow(1);
    // Someone else changes the same field after it was read...
    db.exec(QStringLiteral("UPDATE MA_contactos SET nombre = 'Cambiado por otro' WHERE id = 1"));
    rs.Fields(QStringLiteral("nombre")).setValue(QStringLiteral("Mío"));
    rs.Fields(QStringLiteral("edad")).setValue(Variant(20));
    QString description;
    EXPECT_EQ(errorOf([&] { rs.Update(); }, &description), adErrRowNotFound);
    EXPECT_EQ(description, rowNotFound);
    EXPECT_EQ(
        db.scalar(QStringLiteral("SELECT nombre || '|' || edad FROM MA_contactos WHERE id = 1")),
        QStringLiteral("Cambiado por otro|44"));
    EXPECT_TRUE(rs.editing()); // the edit waits for the caller: cancel or try again
    rs.CancelUpdate();

    // ...while a change of another field does not stand in the way, and is kept.
    openRow(1);
    db.exec(QStringLiteral("UPDATE MA_contactos SET edad = 61 WHERE id = 1"));
    rs.Fields(QStringLiteral("nombre")).setValue(QStringLiteral("Mío"));
    rs.Update();
    EXPECT_EQ(
        db.scalar(QStringLiteral("SELECT nombre || '|' || edad FROM MA_contactos WHERE id = 1")),
        QStringLiteral("Mío|61"));

    // A Null that was read is matched as Null; a date written in another form is the same date.
    openRow(2);
    db.exec(
        QStringLiteral("UPDATE MA_contactos SET nacimiento = '1990-05-06 00:00:00' WHERE id = 3"));
    rs.Fields(QStringLiteral("edad")).setValue(Variant(7));
    rs.Update();
    openRow(3);
    rs.Fields(QStringLiteral("nacimiento")).setValue(QDateTime(QDate(1991, 1, 1), QTime(0, 0)));
    db.exec(QStringLiteral("UPDATE MA_contactos SET nacimiento = '1990-05-06' WHERE id = 3"));
    rs.Update();
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT nacimiento FROM MA_contactos WHERE id = 3")),
              QStringLiteral("1991-01-01"));
}

TEST_F(RecordsetWrite, ValuesAFieldCannotTakeAreRefusedWithoutChangingAnything) {
    SpanishLocale spanish;
    openRow(1);
    struct Case {
        const char* field;
        Variant value;
        const char* says;
    };
    const Case cases[] = {
        {"edad", Variant(QStringLiteral("cuarenta")), "número"},
        {"edad", Variant(QString()), "vacío"},
        {"edad", Variant(3e10), "intervalo"},
        {"mini", Variant(300), "intervalo"},
        {"saldo", Variant(QStringLiteral("12,5 euros")), "número"},
        {"nacimiento", Variant(QStringLiteral("31/02/2020")), "fecha"},
        {"nacimiento", Variant(QStringLiteral("  ")), "vacío"},
        {"nombre", Variant(QString(51, u'x')), "51 caracteres"},
        {"activo", Variant(QStringLiteral("quizá")), "Verdadero"},
    };
    for (const Case& c : cases) {
        QString description;
        EXPECT_EQ(
            errorOf([&] { rs.Fields(QString::fromUtf8(c.field)).setValue(c.value); }, &description),
            adErrFieldValue)
            << c.field;
        EXPECT_TRUE(description.contains(QString::fromUtf8(c.field))) << description.toStdString();
        EXPECT_TRUE(description.contains(QString::fromUtf8(c.says))) << description.toStdString();
    }
    EXPECT_FALSE(rs.editing());
    EXPECT_EQ(rs.Fields(QStringLiteral("edad")).Value(), Variant(44));
    // A long text has no bound; Null is taken by every field.
    rs.Fields(QStringLiteral("notas")).setValue(QString(5000, u'y'));
    rs.Fields(QStringLiteral("edad")).setValue(Variant::null());
    rs.Update();
    EXPECT_EQ(
        db.scalar(QStringLiteral(
            "SELECT length(notas) || '|' || ifnull(edad, 'NULL') FROM MA_contactos WHERE id = 1")),
        QStringLiteral("5000|NULL"));
}

TEST_F(RecordsetWrite, ReadOnlyRecordsetsAndClosedConnectionsRefuseWrites) {
    Recordset readOnly;
    readOnly.Open(QStringLiteral("SELECT * FROM MA_contactos"), cnn); // lock type 1 by default
    EXPECT_EQ(readOnly.LockType(), adLockReadOnly);
    EXPECT_EQ(errorOf([&] { readOnly.Fields(1).setValue(QStringLiteral("x")); }),
              adErrFeatureNotAvailable);
    EXPECT_EQ(errorOf([&] { readOnly.AddNew(); }), adErrFeatureNotAvailable);
    EXPECT_EQ(errorOf([&] { readOnly.Delete(1); }), adErrFeatureNotAvailable);

    openRow(1);
    rs.Fields(QStringLiteral("nombre")).setValue(QStringLiteral("Sin conexión"));
    cnn.Close();
    EXPECT_EQ(errorOf([&] { rs.Update(); }), adErrObjectClosed);
    EXPECT_EQ(rs.Fields(QStringLiteral("nombre")).OriginalValue(),
              Variant(QStringLiteral("Ana Muñoz")));
    rs.CancelUpdate();

    // A recordset that outlives its connection object fails cleanly instead of crashing.
    Recordset orphan;
    {
        Connection shortLived;
        shortLived.Open(db.connectionString());
        orphan.Open(QStringLiteral("SELECT * FROM MA_contactos"), shortLived, adOpenStatic,
                    adLockOptimistic);
    }
    EXPECT_EQ(orphan.ActiveConnection(), nullptr);
    orphan.Fields(QStringLiteral("nombre")).setValue(QStringLiteral("x"));
    EXPECT_EQ(errorOf([&] { orphan.Update(); }), adErrObjectClosed);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT nombre FROM MA_contactos WHERE id = 1")),
              QStringLiteral("Ana Muñoz"));
}

TEST_F(RecordsetWrite, ATableWithoutKeyCannotBeWritten) {
    db.exec(QStringLiteral(
        "CREATE TABLE libre (nombre varchar(10)); INSERT INTO libre VALUES ('a'), ('a');"));
    Recordset free;
    free.Open(QStringLiteral("SELECT * FROM libre"), cnn, adOpenStatic, adLockOptimistic);
    free.Fields(0).setValue(QStringLiteral("b"));
    QString description;
    EXPECT_EQ(errorOf([&] { free.Update(); }, &description), adErrUnspecified);
    EXPECT_TRUE(description.contains(QStringLiteral("libre"))) << description.toStdString();
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM libre WHERE nombre = 'a'")),
              QStringLiteral("2"));
}

TEST_F(RecordsetWrite, FieldsTellWhetherTheyTakeNullAndRecordsetsTheirEditMode) {
    // The SQLite driver calls every result column nullable: the table's description decides.
    db.exec(QStringLiteral("CREATE TABLE estricta (id integer primary key, nombre varchar(20) NOT NULL,"
                           " saldo money NOT NULL, nota varchar(20));"
                           "INSERT INTO estricta VALUES (1, 'Ana', 1, NULL);"));
    Recordset strict;
    strict.Open(QStringLiteral("select * from estricta"), cnn, adOpenDynamic, adLockOptimistic);
    const auto takesNull = [&](const char* name) {
        return (strict.Fields(QString::fromLatin1(name)).Attributes() & adFldIsNullable) != 0;
    };
    EXPECT_FALSE(takesNull("nombre"));
    EXPECT_FALSE(takesNull("saldo"));
    EXPECT_TRUE(takesNull("nota"));
    EXPECT_TRUE(strict.Fields(QStringLiteral("id")).Attributes() & adFldKeyColumn);
    // An expression has no table to ask: the driver's word stands.
    Recordset computed;
    computed.Open(QStringLiteral("select saldo * 2 as doble from estricta"), cnn);
    EXPECT_TRUE(computed.Fields(0).Attributes() & adFldIsNullable);

    EXPECT_EQ(strict.EditMode(), adEditNone);
    strict.Fields(QStringLiteral("nota")).setValue(QStringLiteral("x"));
    EXPECT_EQ(strict.EditMode(), adEditInProgress);
    strict.CancelUpdate();
    strict.AddNew();
    EXPECT_EQ(strict.EditMode(), adEditAdd);
    strict.CancelUpdate();
    EXPECT_EQ(strict.EditMode(), adEditNone);
}

TEST_F(RecordsetWrite, ATextHoldingCodeZeroIsRefusedNotCut) {
    openRow(1);
    rs.Fields(QStringLiteral("nombre"))
        .setValue(QStringLiteral("Ana") + QChar(0) + QStringLiteral("María"));
    QString description;
    EXPECT_EQ(errorOf([&] { rs.Update(); }, &description), adErrFieldValue);
    EXPECT_TRUE(description.contains(QStringLiteral("código 0"))) << description.toStdString();
    EXPECT_TRUE(description.contains(QStringLiteral("\"nombre\"")));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT nombre FROM MA_contactos WHERE id = 1")),
              QStringLiteral("Ana Muñoz"));
    // The edit is still there to be corrected.
    EXPECT_TRUE(rs.editing());
    rs.Fields(QStringLiteral("nombre")).setValue(QStringLiteral("Ana María"));
    rs.Update();
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT nombre FROM MA_contactos WHERE id = 1")),
              QStringLiteral("Ana María"));
}
