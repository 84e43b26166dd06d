// A commit refused because another process is reading: the write is undone at once, nothing
// stays locked, the edit stays in the recordset and is written when tried again. (The window's
// tests take the same road for a new record and a deletion.)
#include "AdoFixture.h"
#include "support/ReaderProcess.h"

using namespace ado;

namespace {

struct RefusedCommit : ::testing::Test {
    TestDatabase db{contactsSchema};
    Connection cnn;
    Recordset rs;
    void SetUp() override {
        cnn.setCursorLocation(adUseClient);
        // One second of patience keeps the test short; the road is the same as with five.
        cnn.Open(db.connectionString() + QStringLiteral("Busy Timeout=1;"));
        rs.Open(QStringLiteral("SELECT * FROM MA_contactos ORDER BY id"), cnn, adOpenKeyset,
                adLockOptimistic);
    }
    QString stored(const QString& sql) const { return db.scalar(sql); }
    // The write fails while the reader reads; afterwards nothing is held.
    void refused(const std::function<void()>& write) {
        ReaderProcess reader(db.path());
        QString description;
        EXPECT_NE(errorOf(write, &description), 0);
        EXPECT_TRUE(description.contains(QStringLiteral("bloqueada"))) << description.toStdString();
        reader.stop();
        EXPECT_TRUE(ReaderProcess::freeAtOnce(db.path())) << "the writer still holds its lock";
    }
};

TEST_F(RefusedCommit, AnUpdateIsUndoneAndWrittenWhenTriedAgain) {
    rs.Fields(QStringLiteral("nombre")).setValue(QStringLiteral("Ana Belén"));
    refused([&] { rs.Update(); });
    EXPECT_EQ(stored(QStringLiteral("SELECT nombre FROM MA_contactos WHERE id = 1")),
              QStringLiteral("Ana Muñoz"));
    EXPECT_TRUE(rs.editing());
    EXPECT_EQ(rs.Fields(QStringLiteral("nombre")).Value(), Variant(QStringLiteral("Ana Belén")));
    // Another program writes at once, and the retried update still finds its row.
    db.exec(QStringLiteral("UPDATE MA_contactos SET edad = 31 WHERE id = 3"));
    rs.Update();
    EXPECT_EQ(stored(QStringLiteral("SELECT nombre FROM MA_contactos WHERE id = 1")),
              QStringLiteral("Ana Belén"));
    EXPECT_EQ(cnn.Execute(QStringLiteral("SELECT nombre FROM MA_contactos WHERE id = 1"))
                  ->Fields(0)
                  .Value(),
              Variant(QStringLiteral("Ana Belén")));
}

} // namespace
