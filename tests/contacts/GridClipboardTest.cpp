// Copy, paste and find in the window's grid with real key events; the database is read back.
// Columns of the table: 0 id, 1 nombre (25), 2 Domicilio, 3 Notas, 4 Alta, 5 Saldo (money),
// 6 Edad (int), 7 Activo, 8 Codigo (4), 9 Importe.
#include "contacts/GridClipboard.h"
#include "ContactsWindowFixture.h"
#include "contacts/FindBar.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QMimeData>

using namespace Qt::StringLiterals;

namespace {

struct GridClipboardTest : ContactsWindow {
    ScriptedPrompts operatorAnswers;

    void press(QWidget* target, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(target, key, modifiers);
    }
    void copyKeys() { press(&grid(), Qt::Key_C, Qt::ControlModifier); }
    void pasteKeys() { press(&grid(), Qt::Key_V, Qt::ControlModifier); }
    static QString clipboardText() { return QGuiApplication::clipboard()->text(); }
    static QString clipboardHtml() {
        return QString::fromUtf8(QGuiApplication::clipboard()->mimeData()->data(u"text/html"_s));
    }
    static void setClipboard(const QString& text) { QGuiApplication::clipboard()->setText(text); }
    QAction* action(const QString& name) {
        for (QAction* a : grid().actions()) {
            if (a->objectName() == name) return a;
        }
        ADD_FAILURE() << "no action " << name.toStdString();
        return nullptr;
    }
    FindBar& findBar() { return *w->findChild<FindBar*>(); }
    QStringList messages() const {
        QStringList texts;
        for (const auto& r : operatorAnswers.recordsOf(ScriptedPrompts::Kind::Message))
            texts << r.text;
        return texts;
    }
};

TEST_F(GridClipboardTest, CopiesACellARangeAndEverything) {
    open();
    FlexGrid& g = grid();
    // One cell: its text alone.
    click(4, 1);
    copyKeys();
    EXPECT_EQ(clipboardText(), u"Patricio O'Connor"_s);
    EXPECT_FALSE(QGuiApplication::clipboard()->mimeData()->hasHtml());
    // Shift+arrows: tab-separated lines and a table beside them.
    press(&g, Qt::Key_Down, Qt::ShiftModifier);
    press(&g, Qt::Key_Right, Qt::ShiftModifier);
    copyKeys();
    EXPECT_EQ(clipboardText(), u"Patricio O'Connor\tCalle 4\nAlberto\tCalle 5\n"_s);
    EXPECT_TRUE(clipboardHtml().contains(
        u"<tr><td>Patricio O'Connor</td><td>Calle 4</td></tr>\n<tr><td>Alberto</td>"_s));
    // A click with Shift on the first cell of a row stretches the selection to it.
    click(2, 1);
    const QRect first = g.visualRect(g.model()->index(2, 0));
    QTest::mouseClick(g.viewport(), Qt::LeftButton, Qt::ShiftModifier, first.center());
    copyKeys();
    EXPECT_EQ(clipboardText(), u"2\tbeto\n3\tCarla\n"_s);
    // Ctrl+A and the titles: every row and column of the grid, the numbers as shown.
    press(&g, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(g.Row(), 1);
    EXPECT_EQ(g.RowSel(), 12);
    EXPECT_EQ(g.ColSel(), 9);
    action(u"copiarConTitulos"_s)->trigger();
    const QStringList lines = clipboardText().split(u'\n');
    ASSERT_EQ(lines.size(), 14); // titles, 12 rows, the last line's end
    EXPECT_EQ(lines[0],
              u"id\tnombre\tDomicilio\tNotas\tAlta\tSaldo\tEdad\tActivo\tCodigo\tImporte"_s);
    EXPECT_TRUE(lines[1].startsWith(u"1\tAna\tCalle 1\t\t03/04/2005\t10,5\t30\t"_s));
    EXPECT_TRUE(clipboardHtml().contains(u"<th>Importe</th>"_s));
    EXPECT_TRUE(clipboardHtml().contains(u"Patricio O'Connor"_s));
    // Copying reads the grid, not the database: a row changed by someone else is copied as shown.
    db->exec(u"UPDATE MA_contactos SET nombre = 'Otro' WHERE id = 1"_s);
    click(1, 1);
    copyKeys();
    EXPECT_EQ(clipboardText(), u"Ana"_s);
    EXPECT_TRUE(operatorAnswers.records().empty());
}

TEST_F(GridClipboardTest, OneCellIsPastedAsIfTyped) {
    open();
    FlexGrid& g = grid();
    // A number copied with a point: the decimal comma of the locale, as typing gives it.
    setClipboard(u"1.5\n"_s);
    click(3, 5);
    pasteKeys();
    ASSERT_TRUE(w->TxtEdit->isVisible());
    EXPECT_EQ(w->TxtEdit->text(), u"1,5"_s);
    press(w->TxtEdit, Qt::Key_Return);
    EXPECT_EQ(g.TextMatrix(3, 5), u"1,5"_s);
    EXPECT_EQ(w->state.gFilaPendiente, 3);
    moveAway(6);
    EXPECT_EQ(stored(u"SELECT Saldo FROM MA_contactos WHERE id = 3"_s), u"1.5"_s);
    // Grouped digits keep their form: the check at Enter decides, and nothing is changed.
    setClipboard(u"1.234,5"_s);
    click(4, 5);
    pasteKeys();
    EXPECT_EQ(w->TxtEdit->text(), u"1.234,5"_s);
    press(w->TxtEdit, Qt::Key_Escape);
    // Into an open edit: at the caret, the selection replaced.
    setClipboard(u"ita"_s);
    click(2, 1);
    press(&g, Qt::Key_Return);
    QTest::keyClick(w->TxtEdit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(w->TxtEdit->text(), u"betoita"_s);
    press(w->TxtEdit, Qt::Key_Escape);
    // The key column takes no paste.
    setClipboard(u"99"_s);
    click(2, 0);
    pasteKeys();
    EXPECT_FALSE(w->TxtEdit->isVisible());
    EXPECT_EQ(g.TextMatrix(2, 0), u"2"_s);
    // A text longer than its field is refused whole, never cut.
    setClipboard(u"Un nombre demasiado largo para el campo"_s);
    operatorAnswers.message(Prompt::Ok);
    click(2, 1);
    pasteKeys();
    EXPECT_FALSE(w->TxtEdit->isVisible());
    ASSERT_EQ(messages().size(), 1);
    EXPECT_EQ(messages()[0], u"El campo \"nombre\" admite hasta 25 caracteres y el texto copiado "
                             "tiene 39."_s);
    EXPECT_EQ(g.TextMatrix(2, 1), u"beto"_s);
    // The program's own copy of a cell holding a line end comes back as one cell.
    g.setTextMatrix(5, 2, u"Piso 1\nDepto B"_s);
    click(5, 2);
    copyKeys();
    click(6, 2);
    pasteKeys();
    EXPECT_EQ(w->TxtEdit->text(), u"Piso 1\nDepto B"_s);
    press(w->TxtEdit, Qt::Key_Escape);
    EXPECT_TRUE(operatorAnswers.exhausted());
}

TEST_F(GridClipboardTest, ABlockFillsTheRowToTheRight) {
    open();
    FlexGrid& g = grid();
    // From a spreadsheet: the cells to the right of the current one, checked and shown in the
    // column's form; the row is written when left, as a typed row.
    setClipboard(u"Zoe\tCalle 99\t\t3/4/05\t2.5\n"_s);
    click(4, 1);
    pasteKeys();
    EXPECT_FALSE(w->TxtEdit->isVisible());
    EXPECT_EQ(g.TextMatrix(4, 1), u"Zoe"_s);
    EXPECT_EQ(g.TextMatrix(4, 4), u"03/04/2005"_s);
    EXPECT_EQ(g.TextMatrix(4, 5), u"2,5"_s);
    EXPECT_EQ(g.RowSel(), 4);
    EXPECT_EQ(g.ColSel(), 5);
    EXPECT_EQ(w->state.gFilaPendiente, 4);
    EXPECT_EQ(stored(u"SELECT nombre FROM MA_contactos WHERE id = 4"_s), u"Patricio O'Connor"_s);
    moveAway(7);
    EXPECT_EQ(stored(u"SELECT nombre || '|' || Domicilio || '|' || Saldo FROM MA_contactos "
                     "WHERE id = 4"_s),
              u"Zoe|Calle 99|2.5"_s);

    // A block that starts on the key column: the key stays, the rest goes in.
    setClipboard(u"99\tYago\n"_s);
    click(5, 0);
    pasteKeys();
    EXPECT_EQ(g.TextMatrix(5, 0), u"5"_s);
    EXPECT_EQ(g.TextMatrix(5, 1), u"Yago"_s);

    // A value its field does not take: nothing of the row changes.
    operatorAnswers.message(Prompt::Ok).message(Prompt::Ok);
    setClipboard(u"Otro\tx"_s);
    click(6, 5);
    pasteKeys();
    EXPECT_EQ(g.TextMatrix(6, 5), u"7"_s);
    EXPECT_EQ(g.TextMatrix(6, 6), u"60"_s);
    // Wider than the columns left: refused, nothing pasted.
    setClipboard(u"a\tb\tc"_s);
    click(6, 8);
    pasteKeys();
    EXPECT_EQ(g.TextMatrix(6, 8), u"F6"_s);
    const QStringList texts = messages();
    ASSERT_EQ(texts.size(), 2);
    EXPECT_TRUE(texts[0].contains(u"Saldo"_s)) << texts[0].toStdString();
    EXPECT_TRUE(texts[0].endsWith(u"No se pegó nada."_s));
    EXPECT_EQ(texts[1], u"El bloque copiado tiene 3 columnas y desde la columna \"Codigo\" la "
                        "grilla tiene 2: no se pegó nada."_s);
}

TEST_F(GridClipboardTest, SeveralRowsAreWrittenRowByRow) {
    open();
    FlexGrid& g = grid();
    // Past the last row the block goes on as new records.
    setClipboard(u"Kevin\t\t\t\t1\r\nLaura\t\t\t\t2\r\nMarta\tCalle M\t\t\t3\r\n"_s);
    operatorAnswers.message(Prompt::Yes);
    click(11, 1);
    pasteKeys();
    EXPECT_EQ(stored(u"SELECT group_concat(nombre || ':' || Saldo, ' ') FROM MA_contactos "
                     "WHERE id >= 11"_s),
              u"Kevin:1 Laura:2 Marta:3"_s);
    EXPECT_EQ(stored(u"SELECT Domicilio FROM MA_contactos WHERE nombre = 'Marta'"_s), u"Calle M"_s);
    EXPECT_EQ(g.Rows(), 14);
    EXPECT_EQ(g.TextMatrix(13, 0), stored(u"SELECT id FROM MA_contactos WHERE nombre = 'Marta'"_s));
    EXPECT_EQ(w->state.gFilaPendiente, 0);
    EXPECT_EQ(g.RowSel(), 13);
    ASSERT_EQ(messages().size(), 1);
    EXPECT_TRUE(messages()[0].startsWith(u"Se van a pegar 3 filas desde la fila 11"_s));

    // "No" pastes nothing.
    operatorAnswers.message(Prompt::No);
    click(1, 1);
    pasteKeys();
    EXPECT_EQ(stored(u"SELECT nombre FROM MA_contactos WHERE id = 1"_s), u"Ana"_s);
}

TEST_F(GridClipboardTest, SeveralRowsStopAtTheFirstRowNotWritten) {
    open();
    FlexGrid& g = grid();
    db->exec(u"CREATE TRIGGER bloqueo BEFORE UPDATE ON MA_contactos WHEN NEW.nombre = 'Bloqueo'"
             " BEGIN SELECT RAISE(ABORT, 'registro bloqueado'); END;"_s);
    // The database refuses the second row and the operator gives it up ("Anular"): the first row
    // is written, the second keeps its texts, pending, and the third is not touched.
    setClipboard(u"Uno\nBloqueo\nTres\n"_s);
    operatorAnswers.message(Prompt::Yes).reportError(Prompt::Abort).message(Prompt::Ok);
    click(2, 1);
    pasteKeys();
    EXPECT_EQ(stored(u"SELECT group_concat(nombre, ',') FROM MA_contactos WHERE id IN (2,3,4)"_s),
              u"Uno,Carla,Patricio O'Connor"_s);
    EXPECT_EQ(g.TextMatrix(3, 1), u"Bloqueo"_s);
    EXPECT_EQ(g.TextMatrix(4, 1), u"Patricio O'Connor"_s);
    EXPECT_EQ(w->state.gFilaPendiente, 3);
    EXPECT_EQ(g.Row(), 3);
    ASSERT_EQ(messages().size(), 2);
    EXPECT_EQ(messages()[1], u"Se pegaron 1 de 3 filas.\nLa fila 3 no se grabó: lo pegado en ella "
                             "sigue en la grilla, sin grabar."_s);

    // A value refused where it is checked stops the block before its row changes.
    db->exec(u"DROP TRIGGER bloqueo"_s);
    w->GrabaRegistro();
    ASSERT_EQ(w->state.gFilaPendiente, 0);
    setClipboard(u"Seis\t\t\t\t\t6\nSiete\t\t\t\t\tsiete\n"_s);
    operatorAnswers.message(Prompt::Yes).message(Prompt::Ok);
    click(6, 1);
    pasteKeys();
    EXPECT_EQ(stored(u"SELECT nombre || ':' || Edad FROM MA_contactos WHERE id = 6"_s),
              u"Seis:6"_s);
    EXPECT_EQ(stored(u"SELECT nombre FROM MA_contactos WHERE id = 7"_s), u"Elena"_s);
    EXPECT_EQ(g.Row(), 7);
    EXPECT_EQ(g.Col(), 6);
    EXPECT_TRUE(messages().last().startsWith(u"Se pegaron 1 de 2 filas.\nLa fila 7 no se pegó:"_s));
    EXPECT_TRUE(operatorAnswers.exhausted());
}

TEST_F(GridClipboardTest, TheFindBarMovesToTheCellsThatHoldTheText) {
    open();
    FlexGrid& g = grid();
    const int fullHeight = g.height();
    click(1, 1);
    press(&g, Qt::Key_F, Qt::ControlModifier);
    FindBar& bar = findBar();
    ASSERT_TRUE(bar.isVisible());
    EXPECT_TRUE(bar.texto->hasFocus());
    // The bar takes its room from the grid, under it.
    EXPECT_EQ(g.height() + bar.height(), fullHeight);
    EXPECT_EQ(bar.y(), g.y() + g.height());
    // Typed without its accent, in capitals.
    QTest::keyClicks(bar.texto, u"INES"_s);
    EXPECT_EQ(g.Row(), 11);
    EXPECT_EQ(g.Col(), 1);
    // Enter and F3 go on, round the end; Shift+F3 goes back.
    bar.texto->setText(u"calle 1"_s);
    EXPECT_EQ(g.Row(), 11);
    EXPECT_EQ(g.Col(), 2);
    press(bar.texto, Qt::Key_Return);
    EXPECT_EQ(g.Row(), 12);
    press(bar.texto, Qt::Key_F3);
    EXPECT_EQ(g.Row(), 1);
    EXPECT_EQ(bar.estado->text(), u"Se siguió desde el principio."_s);
    press(bar.texto, Qt::Key_F3);
    EXPECT_EQ(g.Row(), 10);
    EXPECT_TRUE(bar.estado->text().isEmpty());
    press(bar.texto, Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(g.Row(), 1);
    press(bar.texto, Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(g.Row(), 12);
    EXPECT_EQ(bar.estado->text(), u"Se siguió desde el final."_s);
    // Matching case.
    bar.mayusculas->setChecked(true);
    bar.texto->setText(u"BETO"_s);
    EXPECT_EQ(bar.estado->text(), u"No se encontró el texto."_s);
    EXPECT_EQ(g.Row(), 12);
    bar.texto->setText(u"beto"_s);
    EXPECT_EQ(g.Row(), 2);
    EXPECT_EQ(bar.estado->text(), u"Se siguió desde el principio."_s);
    // The window resized with the bar open: grid and bar share the grid's new height.
    w->resize(w->width() + 40, w->height() + 60);
    QCoreApplication::processEvents();
    const int shared = g.height() + bar.height();
    EXPECT_GT(shared, fullHeight + 40);
    EXPECT_EQ(bar.y(), g.y() + g.height());
    EXPECT_EQ(bar.width(), g.width());
    // Through the filter view and back, the bar stays under the grid, inside its frame.
    w->abrirFiltro();
    w->FrmFiltro->closed();
    QCoreApplication::processEvents();
    ASSERT_TRUE(bar.isVisible());
    EXPECT_EQ(bar.y(), g.y() + g.height());
    EXPECT_LE(bar.geometry().bottom(), w->FrmPlanilla->height());
    const int back = g.height() + bar.height();
    // Esc closes the bar; the grid gets its room and the focus back.
    bar.texto->setFocus();
    press(bar.texto, Qt::Key_Escape);
    EXPECT_FALSE(bar.isVisible());
    EXPECT_EQ(g.height(), back);
    // The height the window's sizing rule gives the grid.
    EXPECT_NEAR(g.height(), w->FrmPlanilla->height() - g.y() - Twips::toPixels(120), 1);
    EXPECT_TRUE(g.hasFocus());
    EXPECT_TRUE(operatorAnswers.records().empty());
}

TEST_F(GridClipboardTest, FindingWritesThePendingRowAsAnyMove) {
    open();
    FlexGrid& g = grid();
    type(2, 1, u"Bernardo"_s);
    press(&g, Qt::Key_F, Qt::ControlModifier);
    // Leaving the pending row writes nothing yet; the next move starts from another row.
    QTest::keyClicks(findBar().texto, u"calle 1"_s);
    EXPECT_EQ(g.Row(), 10);
    EXPECT_EQ(stored(u"SELECT nombre FROM MA_contactos WHERE id = 2"_s), u"beto"_s);
    press(findBar().texto, Qt::Key_F3);
    EXPECT_EQ(stored(u"SELECT nombre FROM MA_contactos WHERE id = 2"_s), u"Bernardo"_s);
}

} // namespace
