// Reading through a recordset: types, sizes, values, navigation and field lookup.
#include "AdoFixture.h"

#include "data/ado/RowStore.h"

using namespace ado;
using namespace Qt::StringLiterals;

namespace {

struct Expected {
    const char* name;
    long type;
    long size;
};

} // namespace

using RecordsetRead = AdoFixture;

TEST_F(RecordsetRead, TypeCodesAndDefinedSizesOfEveryColumnType) {
    Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM MA_contactos"), cnn);
    const Expected expected[] = {
        {"id", adInteger, 4},           {"nombre", adVarChar, 50},
        {"direccion", adVarChar, 300},  {"notas", adLongVarChar, 2147483647},
        {"nacimiento", adDBDate, 6},    {"alta", adDBTimeStamp, 16},
        {"saldo", adCurrency, 8},       {"importe", adNumeric, 19},
        {"activo", adBoolean, 2},       {"edad", adInteger, 4},
        {"apodo", adVarWChar, 40},      {"codigo", adChar, 10},
        {"peso", adSingle, 4},          {"altura", adDouble, 8},
        {"grande", adBigInt, 8},        {"chico", adSmallInt, 2},
        {"mini", adUnsignedTinyInt, 1}, {"hora", adDBTime, 6},
        {"marca", adDBTimeStamp, 16},
    };
    ASSERT_EQ(rs.FieldCount(), long(std::size(expected)));
    for (long i = 0; i < rs.FieldCount(); ++i) {
        Field f = rs.Fields(i);
        EXPECT_EQ(f.Name(), QString::fromUtf8(expected[i].name));
        EXPECT_EQ(f.Type(), expected[i].type) << expected[i].name;
        EXPECT_EQ(f.DefinedSize(), expected[i].size) << expected[i].name;
        EXPECT_EQ(f.Properties(QStringLiteral("BASETABLENAME")),
                  Variant(QStringLiteral("MA_contactos")));
        EXPECT_EQ(f.Properties(QStringLiteral("basecolumnname")),
                  Variant(QString::fromUtf8(expected[i].name)));
    }
    EXPECT_EQ(errorOf([&] { rs.Fields(0).Properties(QStringLiteral("OTRA")); }), adErrItemNotFound);
}

TEST_F(RecordsetRead, ValuesComeInTheirOwnTypesAndNullsAsNull) {
    Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM MA_contactos ORDER BY id"), cnn);
    EXPECT_EQ(rs.Fields(QStringLiteral("id")).Value(), Variant(1));
    EXPECT_EQ(rs.Fields(QStringLiteral("nombre")).Value(), Variant(QStringLiteral("Ana Muñoz")));
    EXPECT_EQ(rs.Fields(QStringLiteral("nacimiento")).Value(),
              Variant(QDateTime(QDate(1980, 2, 29), QTime(0, 0))));
    EXPECT_EQ(rs.Fields(QStringLiteral("alta")).Value(),
              Variant(QDateTime(QDate(2020, 1, 31), QTime(10, 11, 12))));
    EXPECT_EQ(rs.Fields(QStringLiteral("saldo")).Value(), Variant(Currency{12345678}));
    EXPECT_EQ(rs.Fields(QStringLiteral("importe")).Value(), Variant(99.5));
    EXPECT_EQ(rs.Fields(QStringLiteral("activo")).Value(), Variant(true));
    EXPECT_EQ(rs.Fields(QStringLiteral("peso")).Value(), Variant(60.5));
    EXPECT_EQ(rs.Fields(QStringLiteral("grande")).Value(), Variant(9000000000LL));
    EXPECT_EQ(rs.Fields(QStringLiteral("hora")).Value(),
              Variant(QDateTime(QDate(1899, 12, 30), QTime(8, 30))));
    rs.MoveNext();
    EXPECT_EQ(rs.Fields(QStringLiteral("nombre")).Value(), Variant(QStringLiteral("José O'Brien")));
    EXPECT_EQ(rs.Fields(QStringLiteral("activo")).Value(), Variant(false));
    for (const char* name :
         {"direccion", "notas", "nacimiento", "saldo", "importe", "edad", "hora"}) {
        EXPECT_TRUE(rs.Fields(QString::fromUtf8(name)).Value().isNull()) << name;
    }
}

TEST_F(RecordsetRead, NavigationCountsAndPositions) {
    Recordset rs;
    rs.Open(QStringLiteral("SELECT id, nombre FROM MA_contactos ORDER BY id"), cnn,
            adOpenForwardOnly, adLockReadOnly);
    EXPECT_EQ(rs.State(), adStateOpen);
    EXPECT_EQ(rs.CursorType(), adOpenStatic); // a client cursor, whatever was asked
    EXPECT_EQ(rs.RecordCount(), 3);
    EXPECT_FALSE(rs.BOF());
    EXPECT_EQ(rs.AbsolutePosition(), 1);
    rs.MoveLast();
    EXPECT_EQ(rs.Fields(0).Value(), Variant(3));
    rs.MoveNext();
    EXPECT_TRUE(rs.Eof());
    EXPECT_EQ(rs.AbsolutePosition(), adPosUnknown);
    EXPECT_EQ(errorOf([&] { rs.MoveNext(); }), adErrNoCurrentRecord);
    EXPECT_EQ(errorOf([&] { rs.Fields(0).Value(); }), adErrNoCurrentRecord);
    rs.MovePrevious();
    rs.MovePrevious();
    EXPECT_EQ(rs.Fields(QStringLiteral(" NOMBRE ")).Value(),
              Variant(QStringLiteral("José O'Brien")));
    rs.MoveFirst();
    rs.MovePrevious();
    EXPECT_TRUE(rs.BOF());
    EXPECT_EQ(errorOf([&] { rs.MovePrevious(); }), adErrNoCurrentRecord);
    rs.setAbsolutePosition(2);
    EXPECT_EQ(rs.currentIndex(), 1);
    EXPECT_EQ(errorOf([&] { rs.setAbsolutePosition(4); }), adErrInvalidArgument);

    rs.MoveFirst();
    auto rows = rs.GetRows(2);
    ASSERT_EQ(rows.size(), 2u);
    ASSERT_EQ(rows[0].size(), 2u);
    EXPECT_EQ(rows[1][1], Variant(QStringLiteral("José O'Brien")));
    EXPECT_EQ(rs.AbsolutePosition(), 3);
    EXPECT_EQ(rs.GetRows()[0].size(), 1u);
    EXPECT_TRUE(rs.Eof());
    EXPECT_EQ(errorOf([&] { rs.GetRows(); }), adErrNoCurrentRecord);

    QString description;
    EXPECT_EQ(errorOf([&] { rs.Fields(QStringLiteral("falta")); }, &description),
              adErrItemNotFound);
    EXPECT_TRUE(description.contains(QStringLiteral("falta")));
    EXPECT_EQ(errorOf([&] { rs.Fields(2); }), adErrItemNotFound);
    rs.Close();
    EXPECT_EQ(rs.State(), adStateClosed);
    EXPECT_EQ(errorOf([&] { rs.Eof(); }), adErrObjectClosed);
    EXPECT_EQ(errorOf([&] { rs.Close(); }), adErrObjectClosed);
}

TEST_F(RecordsetRead, AnEmptyResultIsAtBothEnds) {
    Recordset rs;
    rs.Open(QStringLiteral("vacia"), cnn, adOpenForwardOnly, adLockReadOnly, adCmdTable);
    EXPECT_TRUE(rs.BOF());
    EXPECT_TRUE(rs.Eof());
    EXPECT_EQ(rs.RecordCount(), 0);
    EXPECT_EQ(rs.FieldCount(), 2);
    EXPECT_EQ(rs.Fields(1).DefinedSize(), 20);
    EXPECT_EQ(errorOf([&] { rs.MoveFirst(); }), adErrNoCurrentRecord);
    EXPECT_EQ(errorOf([&] { rs.Fields(0).Value(); }), adErrNoCurrentRecord);
    // Opening an open recordset is refused; reopening after Close works.
    EXPECT_EQ(errorOf([&] { rs.Open(QStringLiteral("SELECT 1"), cnn); }), adErrObjectOpen);
    rs.Close();
    // A statement without rows runs and leaves the recordset closed, as ADO does.
    rs.Open(QStringLiteral("INSERT INTO vacia (texto) VALUES ('x')"), cnn);
    EXPECT_EQ(rs.State(), adStateClosed);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT texto FROM vacia")), QStringLiteral("x"));
    rs.Open(QStringLiteral("SELECT TOP 1 [nombre] FROM MA_contactos WHERE id > 1 ORDER BY id"),
            cnn);
    EXPECT_EQ(rs.RecordCount(), 1);
    EXPECT_EQ(rs.Fields(0).Value(), Variant(QStringLiteral("José O'Brien")));
}

TEST_F(RecordsetRead, LongTextsBlocksOfRowsAndExpressionColumns) {
    // A text longer than one piece of SQLGetData, with letters outside the BMP.
    QString longText;
    for (int i = 0; i < 3000; ++i)
        longText += QStringLiteral("ñá😀");
    db.exec(QStringLiteral("UPDATE MA_contactos SET notas = '%1' WHERE id = 2").arg(longText));
    // Numbers only: bound to row arrays, more rows than one block.
    db.exec(QStringLiteral(
        "CREATE TABLE n (a int, b float, c bit);"
        "WITH RECURSIVE s(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM s WHERE i < 1300)"
        " INSERT INTO n SELECT i, i / 4.0, i % 2 FROM s;"));
    // SQLite keeps a text longer than its column's declared size: read whole, with the cells
    // around it, also when a letter of two bytes straddles the end of the first buffer.
    const QString overlong = QString(151, u'x') + QStringLiteral("ñ").repeated(300);
    db.exec(QStringLiteral("UPDATE MA_contactos SET apodo = '%1' WHERE id = 1").arg(overlong));
    Recordset rs;
    rs.Open(QStringLiteral("SELECT notas FROM MA_contactos WHERE id = 2"), cnn);
    EXPECT_EQ(rs.Fields(0).Value(), Variant(longText));
    rs.Close();
    rs.Open(QStringLiteral("SELECT id, apodo, direccion FROM MA_contactos ORDER BY id"), cnn);
    EXPECT_EQ(rs.Fields(1).Value(), Variant(overlong));
    EXPECT_EQ(rs.Fields(2).Value(), Variant(QStringLiteral("Calle Mayor 1")));
    rs.MoveNext();
    EXPECT_EQ(rs.Fields(0).Value(), Variant(2));
    rs.Close();
    rs.Open(QStringLiteral("SELECT a, b, c FROM n ORDER BY a"), cnn);
    ASSERT_EQ(rs.RecordCount(), 1300);
    long sum = 0;
    for (; !rs.Eof(); rs.MoveNext()) {
        const long a = long(rs.Fields(0).Value().toInt64());
        sum += a;
        ASSERT_EQ(rs.Fields(1).Value(), Variant(a / 4.0));
        ASSERT_EQ(rs.Fields(2).Value(), Variant(a % 2 == 1));
    }
    EXPECT_EQ(sum, 1300L * 1301 / 2);
    rs.Close();
    // SQLite names no type for an expression: numbers come back as numbers, texts as texts.
    rs.Open(QStringLiteral("SELECT count(*) AS n, max(importe) AS m, min(nombre) AS t, '007' AS c, "
                           "nombre || '!' AS e"
                           " FROM MA_contactos"),
            cnn);
    EXPECT_EQ(rs.Fields(QStringLiteral("n")).Value(), Variant(3));
    EXPECT_EQ(rs.Fields(QStringLiteral("n")).Type(), adInteger);
    EXPECT_EQ(rs.Fields(QStringLiteral("m")).Value(), Variant(99.5));
    EXPECT_EQ(rs.Fields(QStringLiteral("t")).Value(), Variant(QStringLiteral("Ana Muñoz")));
    EXPECT_EQ(rs.Fields(QStringLiteral("c")).Value(), Variant(QStringLiteral("007")));
    // Without a base column the statement's table stands in.
    EXPECT_EQ(rs.Fields(QStringLiteral("e")).Properties(QStringLiteral("BASETABLENAME")),
              Variant(QStringLiteral("MA_contactos")));
    EXPECT_EQ(rs.Fields(QStringLiteral("e")).Properties(QStringLiteral("BASECOLUMNNAME")),
              Variant(QStringLiteral("e")));
}

TEST_F(RecordsetRead, OpenWithAConnectionStringOwnsItsConnection) {
    Recordset rs;
    rs.Open(QStringLiteral("SELECT nombre FROM MA_contactos WHERE id = 3"), db.connectionString());
    EXPECT_EQ(rs.Fields(0).Value(), Variant(QStringLiteral("Zoë Peña")));
    ASSERT_NE(rs.ActiveConnection(), nullptr);
    EXPECT_EQ(rs.ActiveConnection()->State(), adStateOpen);
    // The rows stay with a view that holds them after the recordset is closed.
    const std::shared_ptr<const RowStore> rows = rs.rows();
    rs.Close();
    EXPECT_EQ(rows->value(0, 0), Variant(QStringLiteral("Zoë Peña")));
}

// SQLite keeps any value in any column: numbers and dates in the forms it writes are read by the
// program, anything else is converted by the driver, and nothing stops the read.
TEST_F(RecordsetRead, NumbersAndDatesInEveryFormSQLiteMayHold) {
    // Values are shown as the operator's locale writes them, whatever the environment's.
    const SpanishLocale spanish;
    db.exec(QStringLiteral(
        "CREATE TABLE raro (n int, d datetime, h time, f float, b bit);"
        "INSERT INTO raro VALUES (-12, '2024-03-15T10:30:00.5', '07:08:09', 2.5, 1);"
        "INSERT INTO raro VALUES (9000000000, '2024-03-15 10:30', '10:30', -0.125, 0);"
        "INSERT INTO raro VALUES ('abc', '15/03/2024', 'x', 'x', 'x');"
        "INSERT INTO raro VALUES (1.5, '2024-02-30', '25:00:00', '1e400', 2);"));
    Recordset rs;
    rs.Open(QStringLiteral("SELECT n, d, h, f, b FROM raro ORDER BY rowid"), cnn);
    ASSERT_EQ(rs.RecordCount(), 4);
    std::vector<QStringList> rows;
    for (; !rs.Eof(); rs.MoveNext()) {
        QStringList row;
        for (long c = 0; c < 5; ++c) {
            const Variant v = rs.Fields(c).Value();
            row << (v.isNull() ? QStringLiteral("Null") : v.toString());
        }
        rows.push_back(row);
    }
    const std::vector<QStringList> expected = {
        {u"-12"_s, u"15/03/2024 10:30:00"_s, u"30/12/1899 07:08:09"_s, u"2,5"_s, u"Verdadero"_s},
        {u"9000000000"_s, u"15/03/2024 10:30:00"_s, u"30/12/1899 10:30:00"_s, u"-0,125"_s,
         u"Falso"_s},
        // What the driver makes of forms that are no number or date of SQLite's own.
        {u"Null"_s, u"Null"_s, u"Null"_s, u"Null"_s, u"Falso"_s},
        {u"1"_s, u"Null"_s, u"Null"_s, u"inf"_s, u"Verdadero"_s}};
    EXPECT_EQ(rows, expected);
    rs.MoveFirst();
    // The fraction of a second is kept, though the text shows whole seconds.
    EXPECT_EQ(rs.Fields(1).Value().toDateTime().time(), QTime(10, 30, 0, 500));
    rs.Close();

    // Numbers only, more rows than a block, one odd value far down: the driver converts that
    // one on its own row, and every other value stays where it belongs.
    db.exec(QStringLiteral(
        "CREATE TABLE cifras (a int, b float);"
        "WITH RECURSIVE s(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM s WHERE i < 1300)"
        " INSERT INTO cifras SELECT i, i / 2.0 FROM s;"
        "UPDATE cifras SET a = 'x' WHERE a = 1000;"));
    rs.Open(QStringLiteral("SELECT a, b FROM cifras ORDER BY rowid"), cnn);
    ASSERT_EQ(rs.RecordCount(), 1300);
    for (long i = 1; !rs.Eof(); rs.MoveNext(), ++i) {
        ASSERT_EQ(rs.Fields(0).Value(), i == 1000 ? Variant::null() : Variant(i)) << i;
        ASSERT_EQ(rs.Fields(1).Value(), Variant(i / 2.0)) << i;
    }
}

TEST_F(RecordsetRead, ARecordsetReadInStepsHoldsWhatOneReadAtOnceHolds) {
    db.exec(u"WITH RECURSIVE n(i) AS (SELECT 4 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
            "INSERT INTO MA_contactos (id, nombre, saldo, notas) "
            "SELECT i, 'Fila ' || i, i * 0.25, CASE WHEN i % 7 = 0 THEN NULL ELSE "
            "printf('%.*c', i % 900, 'x') END FROM n;"_s);
    const QString sql = u"SELECT * FROM MA_contactos ORDER BY id"_s;
    Recordset whole;
    whole.Open(sql, cnn);
    Recordset partly;
    std::unique_ptr<RecordFeed> feed =
        partly.OpenPartly(sql, cnn, adOpenStatic, adLockOptimistic, adCmdText, 5);
    ASSERT_TRUE(feed);
    EXPECT_EQ(partly.RecordCount(), 5);
    // The connection runs other statements while the rest waits to be read.
    Recordset other;
    other.Open(u"SELECT count(*) FROM MA_contactos"_s, cnn);
    EXPECT_EQ(other.Fields(0).Value().toDouble(), 3000.0);
    int steps = 0;
    while (!feed->read(7))
        ++steps;
    EXPECT_GT(steps, 400);
    ASSERT_EQ(partly.RecordCount(), whole.RecordCount());
    const RowStore& a = *whole.rows();
    const RowStore& b = *partly.rows();
    for (long r = 0; r < a.rowCount(); ++r) {
        for (long c = 0; c < a.columnCount(); ++c)
            ASSERT_EQ(b.value(r, c), a.value(r, c)) << "row " << r << " column " << c;
    }
    EXPECT_EQ(partly.Fields(0).Properties(u"KEYCOLUMN"_s), Variant(true));

    // Stopped half-way, it keeps the rows read, and the connection goes on.
    Recordset stopped;
    feed = stopped.OpenPartly(sql, cnn, adOpenStatic, adLockOptimistic, adCmdText, 10);
    ASSERT_TRUE(feed);
    EXPECT_FALSE(feed->read(100));
    feed->stop();
    EXPECT_TRUE(feed->ended());
    EXPECT_EQ(stopped.RecordCount(), 110);
    stopped.MoveLast();
    EXPECT_EQ(stopped.Fields(u"id"_s).Value(), Variant(110));
    feed.reset();
    cnn.Execute(u"UPDATE MA_contactos SET nombre = 'Otro' WHERE id = 1"_s);

    // A table smaller than the first block comes whole, without a feed.
    Recordset small;
    EXPECT_FALSE(small.OpenPartly(u"SELECT * FROM vacia"_s, cnn, adOpenStatic, adLockOptimistic,
                                  adCmdText, 5));
    EXPECT_EQ(small.State(), adStateOpen);
}
