// In-grid editing and row writes with real key and mouse events; the database is read back.
#include "ContactsWindowFixture.h"

#include <QDir>
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
    EXPECT_EQ(stored(QStringLiteral("SELECT nombre FROM MA_contactos WHERE id = 2")),
              QStringLiteral("beto"));
    click(2, 3); // same row: nothing written
    EXPECT_EQ(stored(QStringLiteral("SELECT nombre FROM MA_contactos WHERE id = 2")),
              QStringLiteral("beto"));
    click(5, 1); // the move to another row starts from row 2: nothing yet
    EXPECT_EQ(stored(QStringLiteral("SELECT nombre FROM MA_contactos WHERE id = 2")),
              QStringLiteral("beto"));
    click(5, 2); // the next change of cell starts from row 5: row 2 is written
    EXPECT_EQ(stored(QStringLiteral("SELECT nombre FROM MA_contactos WHERE id = 2")),
              QStringLiteral("Roberto"));
    EXPECT_EQ(w->state.gFilaPendiente, 0);
    // Only the changed cell was written: the others keep their stored values exactly.
    EXPECT_EQ(stored(QStringLiteral("SELECT Saldo FROM MA_contactos WHERE id = 2")),
              QStringLiteral("-3"));
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
    EXPECT_EQ(stored(QStringLiteral("SELECT Importe FROM MA_contactos WHERE id = 2")),
              QStringLiteral("1.5"));
    // Texts take "." and "," as they are typed.
    type(3, 1, QStringLiteral("Pérez, J. (S.A.)"));
    type(3, 2, QStringLiteral("Av. Mayo 1.234, 2.º"));
    moveAway(5);
    EXPECT_EQ(
        stored(QStringLiteral("SELECT nombre || '|' || Domicilio FROM MA_contactos WHERE id = 3")),
        QStringLiteral("Pérez, J. (S.A.)|Av. Mayo 1.234, 2.º"));
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
    EXPECT_EQ(stored(QStringLiteral("SELECT Edad || '|' || ifnull(Saldo, 'NULL') FROM MA_contactos "
                                    "WHERE nombre = 'Nuevo'")),
              QStringLiteral("33|NULL")); // an empty numeric cell stores Null
    // The grid shows the key the record got, so the row can be edited again.
    const QString id = stored(QStringLiteral("SELECT id FROM MA_contactos WHERE nombre = 'Nuevo'"));
    EXPECT_EQ(g.TextMatrix(5, 0), id);
    type(5, 1, QStringLiteral("Nueva"));
    moveAway(9);
    EXPECT_EQ(stored(QStringLiteral("SELECT nombre FROM MA_contactos WHERE id = ") + id),
              QStringLiteral("Nueva"));
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
    EXPECT_EQ(stored(QStringLiteral("SELECT count(*) FROM MA_contactos WHERE id = 3")),
              QStringLiteral("0"));
    EXPECT_EQ(g.Rows(), 12);
    const auto boxes = operatorAnswers.recordsOf(ScriptedPrompts::Kind::Message);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, QStringLiteral("Realmente desea Eliminar este Registro"));
    EXPECT_EQ(boxes[0].title, QStringLiteral("Elimar Registro!!!"));
    EXPECT_EQ(boxes[0].buttons, Prompt::Buttons::OkCancel);
    // A stray Enter answers "Cancelar": the deletion cannot be undone.
    EXPECT_EQ(boxes[0].defaultButton, Prompt::Default::Second);

    // A deletion the database refuses says so first, and keeps the record.
    db->exec(QStringLiteral("CREATE TRIGGER sin_bajas BEFORE DELETE ON MA_contactos"
                            " BEGIN SELECT RAISE(ABORT, 'no se borra'); END;"));
    operatorAnswers.message(Prompt::Ok).reportError(Prompt::Abort);
    click(4, 1);
    QTest::keyClick(&g, Qt::Key_Delete);
    const auto refused = operatorAnswers.recordsOf(ScriptedPrompts::Kind::ReportError);
    ASSERT_EQ(refused.size(), 1u);
    EXPECT_TRUE(refused[0].text.startsWith(
        QStringLiteral("No se pudo eliminar el registro de id %1.\n").arg(g.TextMatrix(4, 0))))
        << refused[0].text.toStdString();
    EXPECT_TRUE(refused[0].text.contains(QStringLiteral("no se borra")));
    EXPECT_EQ(stored(QStringLiteral("SELECT count(*) FROM MA_contactos")), QStringLiteral("11"));
    db->exec(QStringLiteral("DROP TRIGGER sin_bajas"));

    // Under a filter the reload shows only the filtered rows.
    w->Toolbar2_ButtonClick(QStringLiteral("Filtro"));
    w->FrmFiltro->txtCriteria->setPlainText(QStringLiteral("Edad >= 50"));
    w->FrmFiltro->cmdOK->click();
    ASSERT_EQ(g.Rows(), 6);
    operatorAnswers.message(Prompt::Ok);
    click(1, 1);
    QTest::keyClick(&g, Qt::Key_Delete);
    EXPECT_EQ(g.Rows(), 5);
    for (int r = 1; r < g.Rows(); ++r)
        EXPECT_GE(g.TextMatrix(r, 6).toInt(), 50);
}

TEST_F(GridEditing, DeleteOnASingleRowOrABlankKey) {
    open(QStringLiteral(
        "CREATE TABLE MA_contactos (id INTEGER PRIMARY KEY, nombre varchar(20));"
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
    EXPECT_EQ(stored(QStringLiteral("SELECT nombre FROM MA_contactos WHERE id = 3")),
              QStringLiteral("Carolina"));
    QTest::keyClicks(w->TxtEdit, QStringLiteral("alle nueva"));
    QTest::keyClick(w->TxtEdit, Qt::Key_Return);
    // Closing the window writes the pending row.
    w->close();
    EXPECT_EQ(stored(QStringLiteral("SELECT Domicilio FROM MA_contactos WHERE id = 4")),
              QStringLiteral("Calle nueva"));
}

TEST_F(GridEditing, ChangesOfOtherUsers) {
    open();
    // Another column changed by someone else is kept.
    db->exec(QStringLiteral("UPDATE MA_contactos SET Domicilio = 'Otra' WHERE id = 2"));
    type(2, 1, QStringLiteral("Berta"));
    moveAway(5);
    EXPECT_EQ(
        stored(QStringLiteral("SELECT nombre || '|' || Domicilio FROM MA_contactos WHERE id = 2")),
        QStringLiteral("Berta|Otra"));
    // The same column changed by someone else: the operator is asked; declining writes nothing.
    ScriptedPrompts operatorAnswers;
    operatorAnswers.message(Prompt::No);
    db->exec(QStringLiteral("UPDATE MA_contactos SET nombre = 'Ajena' WHERE id = 6"));
    type(6, 1, QStringLiteral("Mia"));
    moveAway(8);
    EXPECT_EQ(stored(QStringLiteral("SELECT nombre FROM MA_contactos WHERE id = 6")),
              QStringLiteral("Ajena"));
    ASSERT_EQ(operatorAnswers.recordsOf(ScriptedPrompts::Kind::Message).size(), 1u);
    EXPECT_EQ(grid().TextMatrix(6, 1), QStringLiteral("Ajena"));
    // Accepting overwrites.
    operatorAnswers.message(Prompt::Yes);
    db->exec(QStringLiteral("UPDATE MA_contactos SET nombre = 'Tercera' WHERE id = 7"));
    type(7, 1, QStringLiteral("Mia"));
    moveAway(9);
    EXPECT_EQ(stored(QStringLiteral("SELECT nombre FROM MA_contactos WHERE id = 7")),
              QStringLiteral("Mia"));
}

TEST_F(GridEditing, ARefusedRowNeverTrapsTheOperator) {
    open();
    ScriptedPrompts operatorAnswers;
    FlexGrid& g = grid();
    db->exec(QStringLiteral(
        "CREATE TRIGGER sin_negativos BEFORE UPDATE OF Saldo ON MA_contactos WHEN NEW.Saldo < 0"
        " BEGIN SELECT RAISE(ABORT, 'saldo negativo'); END;"));
    // Refused: nothing written, the operator is back on the row, at the first cell to write.
    operatorAnswers.reportError(Prompt::Abort);
    type(2, 1, QStringLiteral("Roberto"));
    type(2, 5, QStringLiteral("-5"));
    moveAway(5);
    EXPECT_EQ(stored(QStringLiteral("SELECT nombre FROM MA_contactos WHERE id = 2")),
              QStringLiteral("beto"));
    EXPECT_EQ(g.Row(), 2);
    EXPECT_EQ(g.Col(), 1);
    EXPECT_EQ(w->state.gFilaPendiente, 2);
    // Within the row, away from it and back to it: asked nothing (an unexpected prompt fails).
    click(2, 3);
    moveAway(7);
    click(2, 2);
    click(9, 1);
    const auto errors = operatorAnswers.recordsOf(ScriptedPrompts::Kind::ReportError);
    ASSERT_EQ(errors.size(), 1u);
    // What failed, in Spanish, before the database's own text.
    EXPECT_TRUE(errors[0].text.startsWith(
        QStringLiteral("No se pudo grabar la fila 2 en la base de datos.\n")))
        << errors[0].text.toStdString();
    EXPECT_TRUE(errors[0].text.contains(QStringLiteral("saldo negativo")));
    // An edit in another row tries the row first; the operator goes back to it.
    operatorAnswers.reportError(Prompt::Abort).message(Prompt::Yes);
    QTest::keyClicks(&g, QStringLiteral("x"));
    EXPECT_FALSE(w->TxtEdit->isVisible());
    EXPECT_EQ(g.Row(), 2);
    EXPECT_EQ(g.TextMatrix(9, 1), QStringLiteral("Gabriela"));
    // Changed, it is tried when left; "Omitir" writes what the database takes and the refused
    // cell stays, marked, in the pending row.
    operatorAnswers.reportError(Prompt::Ignore);
    type(2, 5, QStringLiteral("-6"));
    moveAway(8);
    EXPECT_EQ(
        stored(QStringLiteral("SELECT nombre || '|' || Saldo FROM MA_contactos WHERE id = 2")),
        QStringLiteral("Roberto|-3"));
    EXPECT_EQ(w->state.gFilaPendiente, 2);
    EXPECT_EQ(g.Row(), 2);
    EXPECT_EQ(g.Col(), 5);
    const QModelIndex refused = g.model()->index(1, 5);
    const QColor rowTint =
        g.model()->data(g.model()->index(1, 1), Qt::BackgroundRole).value<QColor>();
    EXPECT_TRUE(g.model()->data(refused, Qt::BackgroundRole).value<QColor>().isValid());
    EXPECT_NE(g.model()->data(refused, Qt::BackgroundRole).value<QColor>(), rowTint);
    // Closing tries it once more and asks; "No" closes, and the row is kept in the recovery file
    // (the operator is told where), to be offered at the next start.
    operatorAnswers.reportError(Prompt::Abort).message(Prompt::No).message(Prompt::Ok);
    EXPECT_TRUE(w->close());
    const auto told = operatorAnswers.recordsOf(ScriptedPrompts::Kind::Message);
    ASSERT_GE(told.size(), 2u);
    EXPECT_EQ(told.back().title, QStringLiteral("Cambios guardados para más adelante"));
    const QDir kept(programDir.filePath(QStringLiteral("recuperacion")));
    const QStringList files = kept.entryList({QStringLiteral("*.json")}, QDir::Files);
    ASSERT_EQ(files.size(), 1);
    EXPECT_TRUE(told.back().text.contains(kept.filePath(files[0])));
    EXPECT_TRUE(operatorAnswers.exhausted());
}

TEST_F(GridEditing, ValuesAreCheckedWhereTheyAreTyped) {
    open();
    ScriptedPrompts operatorAnswers;
    FlexGrid& g = grid();
    // Letters in an integer cell: the editor stays open on them, selected, with a message.
    operatorAnswers.message(Prompt::Ok);
    type(2, 6, QStringLiteral("abc"));
    ASSERT_TRUE(w->TxtEdit->isVisible());
    EXPECT_TRUE(w->TxtEdit->hasSelectedText());
    auto boxes = operatorAnswers.recordsOf(ScriptedPrompts::Kind::Message);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, QStringLiteral("Valor no válido"));
    EXPECT_TRUE(boxes[0].text.contains(QStringLiteral("\"Edad\""))) << boxes[0].text.toStdString();
    EXPECT_TRUE(boxes[0].text.contains(QStringLiteral("número entero")))
        << boxes[0].text.toStdString();
    QTest::keyClicks(w->TxtEdit, QStringLiteral("42"));
    QTest::keyClick(w->TxtEdit, Qt::Key_Return);
    EXPECT_FALSE(w->TxtEdit->isVisible());
    EXPECT_EQ(g.TextMatrix(2, 6), QStringLiteral("42"));
    // An impossible date: a click elsewhere is refused too and the current cell stays.
    operatorAnswers.message(Prompt::Ok).message(Prompt::Ok);
    type(2, 4, QStringLiteral("31/02/2020"));
    click(6, 1);
    EXPECT_EQ(g.Row(), 2);
    EXPECT_EQ(g.Col(), 4);
    ASSERT_TRUE(w->TxtEdit->isVisible());
    EXPECT_TRUE(operatorAnswers.recordsOf(ScriptedPrompts::Kind::Message)
                    .back()
                    .text.contains(QStringLiteral("dd/mm/aaaa")));
    // Accepted values show in their column's form and keep its alignment.
    QTest::keyClicks(w->TxtEdit, QStringLiteral("3/4/05"));
    QTest::keyClick(w->TxtEdit, Qt::Key_Return);
    EXPECT_EQ(g.TextMatrix(2, 4), QStringLiteral("03/04/2005"));
    type(2, 5, QStringLiteral("1.50"));
    EXPECT_EQ(g.TextMatrix(2, 5), QStringLiteral("1,5"));
    type(2, 7, QStringLiteral("sí"));
    EXPECT_EQ(g.TextMatrix(2, 7), QStringLiteral("Verdadero"));
    for (int col : {4, 5, 6}) {
        EXPECT_TRUE(g.model()->data(g.model()->index(1, col), Qt::TextAlignmentRole).toInt() &
                    Qt::AlignRight)
            << col;
    }
    // A text cell takes what its field holds (nombre: 25), no more.
    type(2, 1, QStringLiteral("Bernardino Rivadavia y Rivadavia"));
    EXPECT_EQ(g.TextMatrix(2, 1), QStringLiteral("Bernardino Rivadavia y Ri"));
    moveAway(9);
    EXPECT_EQ(stored(QStringLiteral(
                  "SELECT nombre || '|' || Alta || '|' || Saldo || '|' || Edad || '|' || Activo"
                  " FROM MA_contactos WHERE id = 2")),
              QStringLiteral("Bernardino Rivadavia y Ri|2005-04-03|1.5|42|1"));
    EXPECT_TRUE(operatorAnswers.exhausted());
}

TEST_F(GridEditing, EmptiedCellsStoreNullWhereTheFieldTakesIt) {
    open();
    ScriptedPrompts operatorAnswers;
    for (int col : {4, 5, 6, 7}) {
        click(1, col);
        QTest::keyClick(&grid(), Qt::Key_Return);
        w->TxtEdit->selectAll();
        QTest::keyClick(w->TxtEdit, Qt::Key_Backspace);
        QTest::keyClick(w->TxtEdit, Qt::Key_Return);
    }
    moveAway(5);
    EXPECT_EQ(stored(QStringLiteral(
                  "SELECT ifnull(Alta, 'N') || ifnull(Saldo, 'N') || ifnull(Edad, 'N') ||"
                  " ifnull(Activo, 'N') FROM MA_contactos WHERE id = 1")),
              QStringLiteral("NNNN"));
    // A field that takes no Null says so where the cell is emptied.
    open(QStringLiteral(
        "CREATE TABLE MA_contactos (id INTEGER PRIMARY KEY, nombre varchar(20), Saldo money NOT "
        "NULL);"
        "INSERT INTO MA_contactos VALUES (1, 'Ana', 10), (2, 'Beto', 20);"
        "CREATE TABLE ta_usuarios (nombre varchar(30), Administrador int, UNegocio varchar(4));"
        "INSERT INTO ta_usuarios VALUES ('admin', 1, '0001');"
        "CREATE TABLE ta_configuracion (CLAVE varchar(60), VALOR varchar(255), valoraux "
        "varchar(255));"));
    operatorAnswers.message(Prompt::Ok);
    click(1, 2);
    QTest::keyClick(&grid(), Qt::Key_Return);
    w->TxtEdit->selectAll();
    QTest::keyClick(w->TxtEdit, Qt::Key_Backspace);
    QTest::keyClick(w->TxtEdit, Qt::Key_Return);
    ASSERT_TRUE(w->TxtEdit->isVisible());
    EXPECT_TRUE(operatorAnswers.recordsOf(ScriptedPrompts::Kind::Message)
                    .back()
                    .text.contains(QStringLiteral("\"Saldo\" no puede quedar vacío")));
    QTest::keyClick(w->TxtEdit, Qt::Key_Escape);
    EXPECT_EQ(grid().TextMatrix(1, 2), QStringLiteral("10"));
}

TEST_F(GridEditing, ABegunRecordThatHoldsNothingIsNeverWritten) {
    open();
    ScriptedPrompts operatorAnswers;
    FlexGrid& g = grid();
    // Left untouched: out of the grid and of the recordset; the cell moved to stays on its record.
    click(5, 1);
    QTest::keyClick(&g, Qt::Key_Insert);
    ASSERT_EQ(g.Rows(), 15);
    click(8, 1);
    click(8, 2);
    EXPECT_FALSE(w->state.gRegistroNuevo);
    EXPECT_EQ(g.Rows(), 14);
    EXPECT_EQ(g.TextMatrix(5, 1), QStringLiteral("Alberto"));
    EXPECT_EQ(g.Row(), 7);
    EXPECT_EQ(g.TextMatrix(g.Row(), 1), QStringLiteral("Elena"));
    // Esc on the grid abandons a begun record; once typed into, after the operator confirms.
    QTest::keyClick(&g, Qt::Key_Insert);
    QTest::keyClick(&g, Qt::Key_Escape);
    EXPECT_FALSE(w->state.gRegistroNuevo);
    EXPECT_FALSE(w->TxtEdit->isVisible());
    QTest::keyClick(&g, Qt::Key_Insert);
    type(g.Row(), 1, QStringLiteral("Arrepentido"));
    operatorAnswers.message(Prompt::No).message(Prompt::Yes);
    QTest::keyClick(&g, Qt::Key_Escape);
    EXPECT_TRUE(w->state.gRegistroNuevo);
    QTest::keyClick(&g, Qt::Key_Escape);
    EXPECT_FALSE(w->state.gRegistroNuevo);
    EXPECT_EQ(operatorAnswers.recordsOf(ScriptedPrompts::Kind::Message).back().title,
              QStringLiteral("Registro nuevo"));
    moveAway(2);
    w->close();
    EXPECT_EQ(stored(QStringLiteral("SELECT count(*) FROM MA_contactos")), QStringLiteral("12"));
}

TEST_F(GridEditing, TypingIntoABlankRowBeginsARecordThere) {
    open();
    FlexGrid& g = grid();
    // Enter in the last cell adds a blank row; what is typed there is a new record.
    click(12, 9);
    QTest::keyClick(&g, Qt::Key_Return);
    QTest::keyClick(w->TxtEdit, Qt::Key_Return);
    ASSERT_EQ(g.Rows(), 14);
    type(13, 1, QStringLiteral("Al final"));
    EXPECT_TRUE(w->state.gRegistroNuevo);
    moveAway(3);
    EXPECT_EQ(stored(QStringLiteral("SELECT count(*) FROM MA_contactos WHERE nombre = 'Al final'")),
              QStringLiteral("1"));
    EXPECT_EQ(g.TextMatrix(13, 0),
              stored(QStringLiteral("SELECT id FROM MA_contactos WHERE nombre = 'Al final'")));
    // Written once, the row is an existing record: edited again, it is updated, not added.
    type(13, 1, QStringLiteral("Al fin"));
    moveAway(4);
    EXPECT_EQ(stored(QStringLiteral("SELECT group_concat(nombre) FROM MA_contactos WHERE id > 12")),
              QStringLiteral("Al fin"));
}

TEST_F(GridEditing, AnEditOpensOverTheCellItEdits) {
    open();
    FlexGrid& g = grid();
    const auto editorOverCurrentCell = [&] {
        const QRect cell = g.visualRect(g.model()->index(g.Row() - 1, g.Col()))
                               .translated(g.viewport()->mapTo(w->FrmPlanilla, QPoint()));
        const QRect editor = w->TxtEdit->geometry();
        return std::abs(editor.top() - cell.top()) <= 1 &&
               std::abs(editor.left() - cell.left()) <= 1;
    };
    // The row half hidden at the grid's foot is scrolled into sight first, then covered. The
    // window is made as tall as five and a half rows of the grid.
    const int rowHeight = g.rowHeight(0);
    w->resize(w->width(), w->height() - g.viewport()->height() + 5 * rowHeight + rowHeight / 2);
    QApplication::processEvents();
    int half = 0;
    for (int r = 1; r <= 12 && !half; ++r) {
        const QRect rect = g.visualRect(g.model()->index(r - 1, 1));
        if (rect.top() + 3 < g.viewport()->height() && rect.bottom() >= g.viewport()->height())
            half = r;
    }
    ASSERT_GT(half, 0);
    const QRect rect = g.visualRect(g.model()->index(half - 1, 1));
    // QTest's double click lacks the first click of the operator's.
    const QPoint hidden(rect.center().x(), rect.top() + 2);
    QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, hidden);
    QTest::mouseDClick(g.viewport(), Qt::LeftButton, {}, hidden);
    ASSERT_TRUE(w->TxtEdit->isVisible());
    EXPECT_EQ(g.Row(), half);
    EXPECT_GT(g.TopRow(), 1);
    EXPECT_TRUE(editorOverCurrentCell());
    QTest::keyClick(w->TxtEdit, Qt::Key_Escape);
    // A begun record above the clicked row is dropped between the clicks: the edit follows the
    // record that was clicked.
    g.setTopRow(1);
    click(3, 1);
    QTest::keyClick(&g, Qt::Key_Insert);
    const QRect sixth = g.visualRect(g.model()->index(5, 1));
    QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, sixth.center());
    QTest::mouseDClick(g.viewport(), Qt::LeftButton, {}, sixth.center());
    ASSERT_TRUE(w->TxtEdit->isVisible());
    EXPECT_EQ(w->TxtEdit->text(), QStringLiteral("Alberto"));
    EXPECT_EQ(g.Row(), 5);
    EXPECT_TRUE(editorOverCurrentCell());
}

} // namespace

namespace {

TEST_F(ContactsWindow, AnExportWritesThePendingRowFirst) {
    open();
    type(3, 1, QStringLiteral("Carolina"));
    ScriptedPrompts operatorAnswers;
    operatorAnswers.save(std::nullopt); // the operator cancels the save dialog
    w->Toolbar2_ButtonClick(QStringLiteral("Excel"));
    EXPECT_EQ(stored(QStringLiteral("SELECT nombre FROM MA_contactos WHERE id = 3")),
              QStringLiteral("Carolina"));
    EXPECT_EQ(w->state.gFilaPendiente, 0);
}

} // namespace
