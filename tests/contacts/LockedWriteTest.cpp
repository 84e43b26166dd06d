// Saving rows while another process (the sqlite3 shell) holds a read transaction on the file: the
// refused write leaves the database as it was and unlocked, the row stays pending with the
// operator's texts, and "Reintentar" writes it once the reader has finished.
#include "ContactsWindowFixture.h"
#include "support/ReaderProcess.h"

namespace {

struct LockedWrite : ContactsWindow {
    // The window on its own connection with a one-second wait for locks, so a refused write
    // costs the test little; everything else is as the command line would open it.
    void openPatient() {
        w.reset();
        ModGlobal::resetForTests();
        ModGlobal::setProgramFolder(programDir.path());
        db = std::make_unique<TestDatabase>(contactsSchema());
        ModGlobal::gDB().gUsuario = QStringLiteral("admin");
        ModGlobal::gDB().OpenServerADODB(
            false, 3, db->connectionString() + QStringLiteral("Busy Timeout=1;"), true);
        ASSERT_TRUE(ModGlobal::gDB().gOpenFlag);
        w = std::make_unique<FrmContactos>();
        w->Form_Load();
        w->show();
        QApplication::setActiveWindow(w.get());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    }
    // The prompt was the lock's, and nothing is held once the reader is gone.
    void expectRefusedAndFree(const ScriptedPrompts& op) {
        const auto errors = op.recordsOf(ScriptedPrompts::Kind::ReportError);
        ASSERT_FALSE(errors.empty());
        EXPECT_TRUE(errors[0].text.contains(QStringLiteral("bloqueada")))
            << errors[0].text.toStdString();
        for (const auto& e : errors)
            EXPECT_FALSE(e.text.contains(QStringLiteral("No se encuentra la fila")));
        EXPECT_TRUE(ReaderProcess::freeAtOnce(db->path()));
    }
};

TEST_F(LockedWrite, AnEditedRowStaysPendingAndIsWrittenOnRetry) {
    openPatient();
    type(2, 1, QStringLiteral("Roberto"));
    {
        // Given up: nothing written, the row keeps its text and its pending mark.
        ScriptedPrompts op;
        ReaderProcess reader(db->path());
        op.reportError(Prompt::Abort);
        moveAway(5);
        reader.stop();
        expectRefusedAndFree(op);
        EXPECT_EQ(w->state.gFilaPendiente, 2);
        EXPECT_EQ(grid().TextMatrix(2, 1), QStringLiteral("Roberto"));
        EXPECT_EQ(stored(QStringLiteral("SELECT nombre FROM MA_contactos WHERE id = 2")),
                  QStringLiteral("beto"));
        // Other programs read and write at once.
        db->exec(QStringLiteral("UPDATE MA_contactos SET Edad = 42 WHERE id = 2"));
    }
    {
        // Refused again when the window is about to close (a row refused once and left unchanged
        // is not tried at every move); "Reintentar" once the reader has finished writes the row.
        ScriptedPrompts op;
        ReaderProcess reader(db->path());
        op.reportError(Prompt::Retry, [&] { reader.stop(); });
        EXPECT_TRUE(w->resolvePendingRow(QStringLiteral("cerrar la ventana")));
        expectRefusedAndFree(op);
        EXPECT_EQ(w->state.gFilaPendiente, 0);
        EXPECT_EQ(
            stored(QStringLiteral("SELECT nombre || '|' || Edad FROM MA_contactos WHERE id = 2")),
            QStringLiteral("Roberto|42"));
    }
}

TEST_F(LockedWrite, ANewRecordIsWrittenOnceOnRetry) {
    openPatient();
    FlexGrid& g = grid();
    click(5, 1);
    QTest::keyClick(&g, Qt::Key_Insert);
    type(5, 1, QStringLiteral("Nuevo"));
    ScriptedPrompts op;
    ReaderProcess reader(db->path());
    op.reportError(Prompt::Retry, [&] {
        // While the prompt is up the file holds nothing of the record and others may read it.
        EXPECT_EQ(stored(QStringLiteral("SELECT count(*) FROM MA_contactos")),
                  QStringLiteral("12"));
        reader.stop();
    });
    moveAway(8);
    expectRefusedAndFree(op);
    EXPECT_FALSE(w->state.gRegistroNuevo);
    EXPECT_EQ(w->state.gFilaPendiente, 0);
    EXPECT_EQ(stored(QStringLiteral("SELECT count(*) FROM MA_contactos WHERE nombre = 'Nuevo'")),
              QStringLiteral("1"));
    EXPECT_EQ(g.TextMatrix(5, 0), QStringLiteral("13"));
}

TEST_F(LockedWrite, ADeletionIsDoneOnRetry) {
    openPatient();
    FlexGrid& g = grid();
    ScriptedPrompts op;
    ReaderProcess reader(db->path());
    op.message(Prompt::Ok).reportError(Prompt::Retry, [&] {
        reader.stop();
        EXPECT_EQ(stored(QStringLiteral("SELECT count(*) FROM MA_contactos WHERE id = 3")),
                  QStringLiteral("1"));
    });
    click(3, 1);
    QTest::keyClick(&g, Qt::Key_Delete);
    expectRefusedAndFree(op);
    EXPECT_EQ(stored(QStringLiteral("SELECT count(*) FROM MA_contactos WHERE id = 3")),
              QStringLiteral("0"));
    EXPECT_EQ(g.Rows(), 12);
    EXPECT_EQ(w->state.gFilaPendiente, 0);
}

TEST_F(LockedWrite, AFileLockedForReadingGivesOnePromptPerFault) {
    openPatient();
    FlexGrid& g = grid();
    ScriptedPrompts op;
    ReaderProcess writer(db->path(), ReaderProcess::Lock::Exclusive);
    // The record to delete cannot be read: the deletion stops at the open's report.
    op.message(Prompt::Ok).reportError(Prompt::Abort);
    click(3, 1);
    QTest::keyClick(&g, Qt::Key_Delete);
    EXPECT_EQ(g.Rows(), 13);
    // Nor can an edited row be read again: the open says so, and nothing more is asked.
    type(2, 1, QStringLiteral("Roberto"));
    op.reportError(Prompt::Abort);
    moveAway(5);
    EXPECT_EQ(w->state.gFilaPendiente, 2);
    writer.stop();
    const auto errors = op.recordsOf(ScriptedPrompts::Kind::ReportError);
    ASSERT_EQ(errors.size(), 2u);
    for (const auto& e : errors) {
        EXPECT_EQ(e.title, QStringLiteral("AbrirRecordset"));
        EXPECT_TRUE(e.text.contains(QStringLiteral("bloqueada"))) << e.text.toStdString();
    }
    EXPECT_EQ(stored(QStringLiteral("SELECT count(*) FROM MA_contactos")), QStringLiteral("12"));
    EXPECT_EQ(g.TextMatrix(2, 1), QStringLiteral("Roberto"));
}

} // namespace
