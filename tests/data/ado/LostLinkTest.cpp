// A link to the database that goes away: the error says so, and the connection is made again with
// the same string and settings once the database is back.
#include "AdoFixture.h"
#include "data/ado/OdbcConnection.h"

#include <QFile>

using namespace ado;

namespace {

const QString lostText = QStringLiteral("Se perdió la conexión con la base de datos");

QString count(Connection& c) {
    return c.Execute(QStringLiteral("SELECT count(*) FROM MA_contactos"))
        ->Fields(0)
        .Value()
        .toDisplayString();
}

} // namespace

TEST(LostLink, ASqliteFileMovedAwayIsALostLinkUntilItIsPutBack) {
    TestDatabase db(contactsSchema);
    Connection cnn;
    cnn.setCursorLocation(adUseClient);
    cnn.Open(db.connectionString());
    cnn.setCommandTimeout(360);
    // A second connection to the same file (the grid's own) and a recordset read before.
    Connection grid;
    grid.Open(db.connectionString());
    const OdbcConnection* gridLink = grid.odbc();
    Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM MA_contactos WHERE id = 2"), cnn, adOpenStatic,
            adLockOptimistic);

    const QString away = db.path() + QStringLiteral(".fuera");
    ASSERT_TRUE(QFile::rename(db.path(), away));
    QString description;
    EXPECT_EQ(errorOf([&] { count(cnn); }, &description), adErrInvalidConnection);
    EXPECT_TRUE(description.startsWith(lostText)) << description.toStdString();
    EXPECT_TRUE(description.contains(db.path())) << description.toStdString();
    // Still away: the new link cannot be made, and the operator reads the same words again.
    description.clear();
    EXPECT_EQ(errorOf([&] { count(cnn); }, &description), adErrInvalidConnection);
    EXPECT_TRUE(description.startsWith(lostText)) << description.toStdString();
    EXPECT_EQ(cnn.State(), adStateOpen);
    EXPECT_EQ(errorOf([&] {
                  rs.Fields(QStringLiteral("nombre")).setValue(QStringLiteral("x"));
                  rs.Update();
              }),
              adErrInvalidConnection);
    rs.CancelUpdate();

    ASSERT_TRUE(QFile::rename(away, db.path()));
    EXPECT_EQ(count(cnn), QStringLiteral("3"));
    // The new link has what the connection was set up with.
    EXPECT_EQ(cnn.CommandTimeout(), 360);
    EXPECT_EQ(cnn.odbc()->commandTimeout, 360);
    // A recordset read on the old link writes through the new one.
    rs.Fields(QStringLiteral("nombre")).setValue(QStringLiteral("Después del corte"));
    rs.Update();
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT nombre FROM MA_contactos WHERE id = 2")),
              QStringLiteral("Después del corte"));
    // The other connection went with the loss: it is made again before it is used, not failing.
    EXPECT_EQ(count(grid), QStringLiteral("3"));
    EXPECT_NE(grid.odbc(), gridLink);

    // A file put in the place of the one opened is another database: the link is lost too.
    {
        TestDatabase other(QStringLiteral("CREATE TABLE MA_contactos (id integer primary key);"));
        ASSERT_TRUE(QFile::remove(db.path()));
        ASSERT_TRUE(QFile::copy(other.path(), db.path()));
    }
    EXPECT_EQ(errorOf([&] { count(cnn); }), adErrInvalidConnection);
    EXPECT_EQ(count(cnn), QStringLiteral("0"));
}

TEST(LostLink, ATransactionLostWithItsLinkIsNeitherGoneOnWithNorCommitted) {
    TestDatabase db(contactsSchema);
    Connection cnn;
    cnn.Open(db.connectionString());
    cnn.BeginTrans();
    cnn.Execute(QStringLiteral("UPDATE MA_contactos SET edad = 99 WHERE id = 1"));
    const QString away = db.path() + QStringLiteral(".fuera");
    ASSERT_TRUE(QFile::rename(db.path(), away));
    EXPECT_EQ(errorOf([&] { count(cnn); }), adErrInvalidConnection);
    ASSERT_TRUE(QFile::rename(away, db.path()));
    // Back, but the transaction is not: its next statement would run outside it.
    QString description;
    EXPECT_EQ(errorOf([&] { cnn.Execute(QStringLiteral("UPDATE MA_contactos SET edad = 98")); },
                      &description),
              adErrInvalidConnection);
    EXPECT_TRUE(description.contains(QStringLiteral("transacción"))) << description.toStdString();
    EXPECT_EQ(errorOf([&] { cnn.CommitTrans(); }), adErrInvalidConnection);
    EXPECT_EQ(count(cnn), QStringLiteral("3"));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT edad FROM MA_contactos WHERE id = 1")),
              QStringLiteral("44"));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM MA_contactos WHERE edad = 98")),
              QStringLiteral("0"));
}
