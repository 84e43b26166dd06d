// In-grid editing and row writes with real key and mouse events; the database is read back.
#include "ContactsWindowFixture.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

using GridEditing = ContactsWindow;

TEST_F(GridEditing, ATypedCellIsWrittenWhenTheRowIsLeft) {
    open();
    type(2, 1, QStringLiteral("Roberto"));
    EXPECT_FALSE(w->TxtEdit->isVisible());
    EXPECT_EQ(grid().TextMatrix(2, 1), QStringLiteral("Roberto"));
    EXPECT_EQ(w->state.gFilaPendiente, 2);
    EXPECT_EQ(stored(QStringLiteral("SELECT nombre FROM MA_contactos WHERE id = 2")), QStringLiteral("beto"));
    click(2, 3); // same row: nothing written
    EXPECT_EQ(stored(QStringLiteral("SELECT nombre FROM MA_contactos WHERE id = 2")), QStringLiteral("beto"));
    click(5, 1); // the move to another row starts from row 2: nothing yet
    EXPECT_EQ(stored(QStringLiteral("SELECT nombre FROM MA_contactos WHERE id = 2")), QStringLiteral("beto"));
    click(5, 2); // the next change of cell starts from row 5: row 2 is written
    EXPECT_EQ(stored(QStringLiteral("SELECT nombre FROM MA_contactos WHERE id = 2")), QStringLiteral("Roberto"));
    EXPECT_EQ(w->state.gFilaPendiente, 0);
    // Only the changed cell was written: the others keep their stored values exactly.
    EXPECT_EQ(stored(QStringLiteral("SELECT Saldo FROM MA_contactos WHERE id = 2")), QStringLiteral("-3"));
}

TEST_F(GridEditing, EditorKeys) {
    open();
    FlexGrid& g = grid();
    // Esc drops the typed text.
    click(3, 1);
    QTest::keyClicks(&g, QStringLiteral("x"));
    ASSERT_TRUE(w->TxtEdit->isVisible());
    EXPECT_EQ(w->TxtEdit->text(), QStringLiteral("x"));
    QTest::keyClick(w->TxtEdit, Qt::Key_Escape);
    EXPECT_FALSE(w->TxtEdit->isVisible());
    EXPECT_EQ(g.TextMatrix(3, 1), QStringLiteral("Carla"));
    // A double click edits the present text with the caret at its end.
    const QRect r = g.visualRect(g.model()->index(2, 1));
    QTest::mouseDClick(g.viewport(), Qt::LeftButton, {}, r.center());
    ASSERT_TRUE(w->TxtEdit->isVisible());
    EXPECT_EQ(w->TxtEdit->text(), QStringLiteral("Carla"));
    EXPECT_EQ(w->TxtEdit->cursorPosition(), 5);
    QTest::keyClick(w->TxtEdit, Qt::Key_Escape);
    // The key column is not editable.
    click(3, 0);
    QTest::keyClicks(&g, QStringLiteral("9"));
    EXPECT_FALSE(w->TxtEdit->isVisible());
    // Up on the first row and Down on the last do not move.
    click(1, 1);
    QTest::keyClick(&g, Qt::Key_Return);
    QTest::keyClick(w->TxtEdit, Qt::Key_Up);
    EXPECT_EQ(g.Row(), 1);
    click(12, 1);
    QTest::keyClick(&g, Qt::Key_Return);
    QTest::keyClick(w->TxtEdit, Qt::Key_Down);
    EXPECT_EQ(g.Row(), 12);
    // Enter in the last column of the last row appends a row and goes to its column 0.
    click(12, 9);
    QTest::keyClick(&g, Qt::Key_Return);
    QTest::keyClick(w->TxtEdit, Qt::Key_Return);
    EXPECT_EQ(g.Rows(), 14);
    EXPECT_EQ(g.Row(), 13);
    EXPECT_EQ(g.Col(), 0);
    // Enter in another column stays on the cell.
    click(5, 2);
    QTest::keyClick(&g, Qt::Key_Return);
    QTest::keyClick(w->TxtEdit, Qt::Key_Return);
    EXPECT_EQ(g.Row(), 5);
    EXPECT_EQ(g.Col(), 2);
}

TEST_F(GridEditing, TheDecimalSeparatorRule) {
    open();
    FlexGrid& g = grid();
    click(2, 9);
    QTest::keyClicks(&g, QStringLiteral("1"));
    QTest::keyClicks(w->TxtEdit, QStringLiteral(".5."));
    EXPECT_EQ(w->TxtEdit->text(), QStringLiteral("1,5")); // "." became ",", the second one dropped
    QTest::keyClick(w->TxtEdit, Qt::Key_Return);
    moveAway(4);
    EXPECT_EQ(stored(QStringLiteral("SELECT Importe FROM MA_contactos WHERE id = 2")), QStringLiteral("1.5"));
}

TEST_F(GridEditing, InsertBeginsARecordWrittenWhenItsRowIsLeft) {
    open();
    FlexGrid& g = grid();
    click(5, 1);
    QTest::keyClick(&g, Qt::Key_Insert);
    EXPECT_EQ(g.Rows(), 15); // the new row at 5 and one more at the bottom
    EXPECT_EQ(g.TextMatrix(5, 1), QString());
    EXPECT_EQ(g.TextMatrix(6, 1), QStringLiteral("Alberto"));
    EXPECT_TRUE(w->state.gRegistroNuevo);
    EXPECT_EQ(w->state.gFilaPendiente, 5);
    type(5, 1, QStringLiteral("Nuevo"));
    type(5, 6, QStringLiteral("33"));
    moveAway(8);
    EXPECT_FALSE(w->state.gRegistroNuevo);
    EXPECT_EQ(stored(QStringLiteral("SELECT count(*) FROM MA_contactos")), QStringLiteral("13"));
    EXPECT_EQ(stored(QStringLiteral("SELECT Edad || '|' || ifnull(Saldo, 'NULL') FROM MA_contactos WHERE nombre = 'Nuevo'")),
              QStringLiteral("33|NULL")); // an empty numeric cell stores Null
    // The grid shows the key the record got, so the row can be edited again.
    const QString id = stored(QStringLiteral("SELECT id FROM MA_contactos WHERE nombre = 'Nuevo'"));
    EXPECT_EQ(g.TextMatrix(5, 0), id);
    type(5, 1, QStringLiteral("Nueva"));
    moveAway(9);
    EXPECT_EQ(stored(QStringLiteral("SELECT nombre FROM MA_contactos WHERE id = ") + id), QStringLiteral("Nueva"));
}

TEST_F(GridEditing, DeleteAsksFirstAndReloads) {
    open();
    ScriptedPrompts operatorAnswers;
    FlexGrid& g = grid();
    operatorAnswers.message(Prompt::Cancel).message(Prompt::Ok);
    click(3, 1);
    QTest::keyClick(&g, Qt::Key_Delete);
    EXPECT_EQ(stored(QStringLiteral("SELECT count(*) FROM MA_contactos")), QStringLiteral("12"));
    QTest::keyClick(&g, Qt::Key_Delete);
    EXPECT_EQ(stored(QStringLiteral("SELECT count(*) FROM MA_contactos WHERE id = 3")), QStringLiteral("0"));
    EXPECT_EQ(g.Rows(), 12);
    const auto boxes = operatorAnswers.recordsOf(ScriptedPrompts::Kind::Message);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, QStringLiteral("Realmente desea Eliminar este Registro"));
    EXPECT_EQ(boxes[0].title, QStringLiteral("Elimar Registro!!!"));
    EXPECT_EQ(boxes[0].buttons, Prompt::Buttons::OkCancel);

    // Under a filter the reload shows only the filtered rows.
    w->Toolbar2_ButtonClick(QStringLiteral("Filtro"));
    w->FrmFiltro->txtCriteria->setPlainText(QStringLiteral("Edad >= 50"));
    w->FrmFiltro->cmdOK->click();
    ASSERT_EQ(g.Rows(), 6);
    operatorAnswers.message(Prompt::Ok);
    click(1, 1);
    QTest::keyClick(&g, Qt::Key_Delete);
    EXPECT_EQ(g.Rows(), 5);
    for (int r = 1; r < g.Rows(); ++r) EXPECT_GE(g.TextMatrix(r, 6).toInt(), 50);
}

TEST_F(GridEditing, DeleteOnASingleRowOrABlankKey) {
    open(QStringLiteral("CREATE TABLE MA_contactos (id INTEGER PRIMARY KEY, nombre varchar(20));"
                        "INSERT INTO MA_contactos VALUES (1, 'solo');"
                        "CREATE TABLE ta_usuarios (nombre varchar(30), Administrador int, UNegocio varchar(4));"));
    FlexGrid& g = grid();
    click(1, 1);
    QTest::keyClick(&g, Qt::Key_Delete); // no question on a one-row grid
    EXPECT_EQ(stored(QStringLiteral("SELECT count(*) FROM MA_contactos")), QStringLiteral("1"));
    ScriptedPrompts operatorAnswers;
    g.setRows(3); // a blank row at the bottom
    operatorAnswers.message(Prompt::Ok);
    click(2, 1);
    QTest::keyClick(&g, Qt::Key_Delete);
    EXPECT_EQ(g.Rows(), 2);
    EXPECT_EQ(stored(QStringLiteral("SELECT count(*) FROM MA_contactos")), QStringLiteral("1"));
}

TEST_F(GridEditing, NothingTypedIsLost) {
    open();
    FlexGrid& g = grid();
    // An edit opened in row 4 writes the pending row 3 first.
    type(3, 1, QStringLiteral("Carolina"));
    click(4, 2);
    QTest::keyClicks(&g, QStringLiteral("C"));
    EXPECT_EQ(stored(QStringLiteral("SELECT nombre FROM MA_contactos WHERE id = 3")), QStringLiteral("Carolina"));
    QTest::keyClicks(w->TxtEdit, QStringLiteral("alle nueva"));
    QTest::keyClick(w->TxtEdit, Qt::Key_Return);
    // Closing the window writes the pending row.
    w->close();
    EXPECT_EQ(stored(QStringLiteral("SELECT Domicilio FROM MA_contactos WHERE id = 4")), QStringLiteral("Calle nueva"));
}

TEST_F(GridEditing, ChangesOfOtherUsers) {
    open();
    // Another column changed by someone else is kept.
    db->exec(QStringLiteral("UPDATE MA_contactos SET Domicilio = 'Otra' WHERE id = 2"));
    type(2, 1, QStringLiteral("Berta"));
    moveAway(5);
    EXPECT_EQ(stored(QStringLiteral("SELECT nombre || '|' || Domicilio FROM MA_contactos WHERE id = 2")),
              QStringLiteral("Berta|Otra"));
    // The same column changed by someone else: the operator is asked; declining writes nothing.
    ScriptedPrompts operatorAnswers;
    operatorAnswers.message(Prompt::No);
    db->exec(QStringLiteral("UPDATE MA_contactos SET nombre = 'Ajena' WHERE id = 6"));
    type(6, 1, QStringLiteral("Mia"));
    moveAway(8);
    EXPECT_EQ(stored(QStringLiteral("SELECT nombre FROM MA_contactos WHERE id = 6")), QStringLiteral("Ajena"));
    ASSERT_EQ(operatorAnswers.recordsOf(ScriptedPrompts::Kind::Message).size(), 1u);
    EXPECT_EQ(grid().TextMatrix(6, 1), QStringLiteral("Ajena"));
    // Accepting overwrites.
    operatorAnswers.message(Prompt::Yes);
    db->exec(QStringLiteral("UPDATE MA_contactos SET nombre = 'Tercera' WHERE id = 7"));
    type(7, 1, QStringLiteral("Mia"));
    moveAway(9);
    EXPECT_EQ(stored(QStringLiteral("SELECT nombre FROM MA_contactos WHERE id = 7")), QStringLiteral("Mia"));
}

TEST_F(GridEditing, RefusedValuesKeepTheRowPending) {
    open();
    ScriptedPrompts operatorAnswers;
    // Letters in a numeric cell: a clear message, the stored value kept, the row still pending.
    operatorAnswers.reportError(Prompt::Abort);
    type(2, 6, QStringLiteral("abc"));
    moveAway(5);
    EXPECT_EQ(stored(QStringLiteral("SELECT Edad FROM MA_contactos WHERE id = 2")), QStringLiteral("41"));
    auto errors = operatorAnswers.recordsOf(ScriptedPrompts::Kind::ReportError);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_TRUE(errors[0].text.contains(QStringLiteral("abc"))) << errors[0].text.toStdString();
    EXPECT_EQ(w->state.gFilaPendiente, 2);
    EXPECT_EQ(grid().TextMatrix(2, 6), QStringLiteral("abc"));
    // An edit in another row tries row 2 first; the operator goes back to correct it.
    operatorAnswers.reportError(Prompt::Abort).message(Prompt::Yes);
    QTest::keyClicks(&grid(), QStringLiteral("x"));
    EXPECT_EQ(grid().Row(), 2);
    EXPECT_FALSE(w->TxtEdit->isVisible());
    type(2, 6, QStringLiteral("42"));
    moveAway(8);
    EXPECT_EQ(stored(QStringLiteral("SELECT Edad FROM MA_contactos WHERE id = 2")), QStringLiteral("42"));
    // A write the database rejects (a locked database) keeps the texts in the grid.
    db->exec(QStringLiteral("CREATE TRIGGER no_update BEFORE UPDATE ON MA_contactos BEGIN SELECT RAISE(ABORT, 'bloqueado'); END;"));
    operatorAnswers.reportError(Prompt::Abort);
    type(9, 1, QStringLiteral("Gaby"));
    moveAway(10);
    EXPECT_EQ(stored(QStringLiteral("SELECT nombre FROM MA_contactos WHERE id = 9")), QStringLiteral("Gabriela"));
    EXPECT_EQ(grid().TextMatrix(9, 1), QStringLiteral("Gaby"));
    EXPECT_EQ(w->state.gFilaPendiente, 9);
}

} // namespace

namespace {

TEST_F(ContactsWindow, AnExportWritesThePendingRowFirst) {
    open();
    type(3, 1, QStringLiteral("Carolina"));
    ScriptedPrompts operatorAnswers;
    operatorAnswers.save(std::nullopt); // the operator cancels the save dialog
    w->Toolbar2_ButtonClick(QStringLiteral("Excel"));
    EXPECT_EQ(stored(QStringLiteral("SELECT nombre FROM MA_contactos WHERE id = 3")), QStringLiteral("Carolina"));
    EXPECT_EQ(w->state.gFilaPendiente, 0);
}

} // namespace
