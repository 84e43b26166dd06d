// The editing road as the operator walks it: the real program on the demo database, real keys and
// clicks, the database file and the exported files read back. Grid columns of the demo table:
// 0 id, 1 Nombre_y_Apellido, 2 Domicilio (60), 3 Localidad, 4 Telefono, 5 Email, 6 Observaciones,
// 7 Notas, 8 FechaAlta, 9 Saldo (money), 10 Credito, 11 Activo. Grid row r shows the record of id
// r.
#include "OperatorScenario.h"
#include "contacts/QtPrinters.h"

#include <QFile>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

QString name(int id) {
    return u"SELECT Nombre_y_Apellido FROM MA_contactos WHERE id = %1"_s.arg(id);
}
const QString count = u"SELECT count(*) FROM MA_contactos"_s;

} // namespace

TEST_F(OperatorScenario, EditsAreWrittenAsTypedWhenTheRowIsLeftAndAtClose) {
    start();
    // Dots and commas of texts stay as typed; in a money cell either key is the decimal comma.
    goTo(2, 1);
    editCell(u"Pérez, Juan Jr. (S.A.)"_s);
    key("Right");
    editCell(u"Av. Rivadavia 1.234, 2.º B"_s);
    key("Right Right Right");
    editCell(u"jose320@correo.com.ar"_s);
    key("Right Right Right Right");
    editCell(u"1.5"_s);
    // Moving within the row writes nothing; the next move that starts from another row does.
    key("Down Right");
    EXPECT_TRUE(waitForStored(
        u"SELECT Nombre_y_Apellido || '|' || Domicilio || '|' || Email || '|' || Saldo "
        "FROM MA_contactos WHERE id = 2"_s,
        u"Pérez, Juan Jr. (S.A.)|Av. Rivadavia 1.234, 2.º B|jose320@correo.com.ar|1.5"_s));

    // Closing the window writes the row still pending.
    goTo(4, 1);
    editCell(u"Última edición"_s);
    ASSERT_TRUE(closeProgram());
    EXPECT_EQ(stored(name(4)), u"Última edición"_s);
}

TEST_F(OperatorScenario, ARecordBegunAndLeftUntouchedIsNotWritten) {
    start();
    goTo(3, 1);
    key("Insert Down Down Right");        // begun and left
    key("Insert Escape Down Down Right"); // begun and abandoned
    // Typed into, then abandoned with Esc: the operator confirms.
    key("Insert");
    editCell(u"Arrepentido"_s);
    key("Escape");
    const QString question = waitWindow(u"^Registro nuevo"_s);
    answer(question, u"alt+s"_s); // "Sí"
    // A record typed into is written when its row is left.
    goTo(3, 1);
    key("Insert");
    editCell(u"Persona Nueva"_s);
    key("Down Down Right");
    EXPECT_TRUE(waitForStored(count, u"321"_s));
    EXPECT_EQ(
        stored(u"SELECT count(*) FROM MA_contactos WHERE Nombre_y_Apellido = 'Persona Nueva'"_s),
        u"1"_s);
    ASSERT_TRUE(closeProgram());
    EXPECT_EQ(stored(count), u"321"_s);
    EXPECT_EQ(
        stored(
            u"SELECT count(*) FROM MA_contactos WHERE ifnull(Nombre_y_Apellido, '') = '' AND id > 320"_s),
        u"0"_s);
}

TEST_F(OperatorScenario, TypingIntoTheBlankRowAtTheBottomBeginsARecord) {
    start();
    // A row the database refuses, to see where its text goes.
    db().exec(u"CREATE TRIGGER bloqueo BEFORE INSERT ON MA_contactos WHEN NEW.Nombre_y_Apellido = "
              u"'Bloqueada'"
              " BEGIN SELECT RAISE(ABORT, 'registro bloqueado'); END;"_s);
    // Insert leaves a blank row at the bottom; the begun record itself is dropped when left.
    goTo(2, 1);
    key("Insert ctrl+End Left Left Left Left Left Left Left Left Left Left");
    editCell(u"Fila del Final"_s);
    key("Up Right");
    EXPECT_TRUE(waitForStored(
        u"SELECT count(*) FROM MA_contactos WHERE Nombre_y_Apellido = 'Fila del Final'"_s, u"1"_s));
    EXPECT_EQ(stored(count), u"321"_s);

    // Enter in the last column of the last row makes another blank row; the database refuses
    // what is typed there, and the operator gives it up: it leaves the grid too.
    key("ctrl+End");
    editCell(QString());
    key("Right");
    editCell(u"Bloqueada"_s);
    key("Up Right");
    const QString error = waitWindow(u"^Error"_s);
    answer(error, u"alt+a"_s); // "Anular"
    // Back on the refused row: moving about it asks nothing more.
    key("Up Down Right Left");
    // Exporting tries the row again and asks; "No" gives the row up.
    click(toolbarButtons(screenshot())[1]);
    const QString again = waitWindow(u"^Error"_s);
    answer(again, u"alt+a"_s);
    const QString unsaved = waitWindow(u"^Cambios sin grabar"_s);
    answer(unsaved, u"alt+n"_s); // "No"
    const QString page = outputFolder() + u"/grilla.htm"_s;
    ASSERT_TRUE(saveAs(page));
    ASSERT_TRUE(waitUntil([&] { return opened().contains(page); }, 10s));
    QFile html(page);
    ASSERT_TRUE(html.open(QIODevice::ReadOnly));
    const QByteArray text = html.readAll();
    EXPECT_TRUE(text.contains("Fila del Final"));
    EXPECT_FALSE(text.contains("Bloqueada"));
    ASSERT_TRUE(closeProgram());
    EXPECT_EQ(stored(count), u"321"_s);
}

TEST_F(OperatorScenario, ValuesAreCheckedWhereTheyAreTyped) {
    start();
    goTo(3, 9);
    editCell(u"abc"_s);
    QString box = waitWindow(u"^Valor no válido"_s);
    answer(box, u"Return"_s);
    // The editor is still open on the cell, its text selected: typing replaces it.
    typeText(u"12,5"_s);
    key("Return");
    key("Left");
    editCell(u"31/02/2020"_s);
    box = waitWindow(u"^Valor no válido"_s);
    answer(box, u"Return"_s);
    typeText(u"28/02/2020"_s);
    key("Return");
    // A text cell takes no more characters than its field holds (Domicilio: 60).
    const QString longText = QString(u"Calle"_s).repeated(36);
    key("Left Left Left Left Left Left");
    editCell(longText);
    key("Down Right");
    EXPECT_TRUE(waitForStored(
        u"SELECT Saldo || '|' || FechaAlta || '|' || Domicilio FROM MA_contactos WHERE id = 3"_s,
        u"12.5|2020-02-28|"_s + longText.left(60)));
}

TEST_F(OperatorScenario, EmptyNumberAndDateCellsStoreNull) {
    start();
    goTo(5, 8);
    editCell(QString());
    key("Right");
    editCell(QString());
    key("Down Right");
    EXPECT_TRUE(waitForStored(
        u"SELECT ifnull(FechaAlta, 'NULL') || '|' || ifnull(Saldo, 'NULL') FROM MA_contactos "
        "WHERE id = 5"_s,
        u"NULL|NULL"_s));
}

TEST_F(OperatorScenario, AFieldWithoutNullRefusesAnEmptyCell) {
    start(
        u"CREATE TABLE MA_contactos (id INTEGER PRIMARY KEY, Nombre varchar(30), Saldo money NOT "
        u"NULL);"
        "INSERT INTO MA_contactos VALUES (1, 'Ana', 10), (2, 'Beto', 20);"
        "CREATE TABLE ta_usuarios (nombre varchar(30), Administrador int, UNegocio varchar(4));"
        "INSERT INTO ta_usuarios VALUES ('admin', 1, '0001');"
        "CREATE TABLE ta_configuracion (CLAVE varchar(60), VALOR varchar(255), valoraux varchar(255));"_s);
    goTo(1, 2);
    editCell(QString());
    const QString box = waitWindow(u"^Valor no válido"_s);
    answer(box, u"Return"_s);
    typeText(u"7"_s);
    key("Return Down Right");
    EXPECT_TRUE(waitForStored(u"SELECT Saldo FROM MA_contactos WHERE id = 1"_s, u"7"_s));
}

TEST_F(OperatorScenario, ARefusedRowNeverTrapsTheOperator) {
    start();
    db().exec(
        u"CREATE TRIGGER sin_negativos BEFORE UPDATE OF Saldo ON MA_contactos WHEN NEW.Saldo < 0"
        " BEGIN SELECT RAISE(ABORT, 'el saldo no puede ser negativo'); END;"_s);
    const QString saldo = stored(u"SELECT Saldo FROM MA_contactos WHERE id = 2"_s);
    goTo(2, 5);
    editCell(u"nuevo@correo.com.ar"_s);
    key("Right Right Right Right");
    editCell(u"-5"_s);
    key("Down Right");
    QString error = waitWindow(u"^Error"_s);
    answer(error, u"alt+a"_s); // "Anular": nothing written, back on the row
    // Within the row, away from it and back to it: no more questions.
    key("Left Right Down Down Right Up Up Left");
    key("Delete"); // a question of another kind, to know every key before it was handled
    const QString deletion = waitWindow(u"^Elimar Registro"_s);
    answer(deletion, u"Escape"_s);
    EXPECT_NE(stored(u"SELECT Email FROM MA_contactos WHERE id = 2"_s), u"nuevo@correo.com.ar"_s);

    // Changed again, the row is tried again when left; "Omitir" writes what the database takes.
    goTo(2, 9);
    editCell(u"-6"_s);
    key("Down Right");
    error = waitWindow(u"^Error"_s);
    answer(error, u"alt+o"_s); // "Omitir"
    EXPECT_TRUE(
        waitForStored(u"SELECT Email FROM MA_contactos WHERE id = 2"_s, u"nuevo@correo.com.ar"_s));
    EXPECT_EQ(stored(u"SELECT Saldo FROM MA_contactos WHERE id = 2"_s), saldo);

    // Closing tries the refused value once more, then asks; "No" closes the window, and the row
    // is kept in the recovery file for the next start, which the operator is told.
    ASSERT_TRUE(answer(mainWindow(), u"alt+F4"_s, false));
    error = waitWindow(u"^Error"_s);
    answer(error, u"alt+a"_s);
    const QString unsaved = waitWindow(u"^Cambios sin grabar"_s);
    answer(unsaved, u"alt+n"_s);
    const QString kept = waitWindow(u"^Cambios guardados para más adelante"_s);
    answer(kept, u"Return"_s);
    EXPECT_TRUE(waitForExit());
}

TEST_F(OperatorScenario, ADoubleClickEditsTheCellItWasOn) {
    start();
    GridLayout grid = measureGrid(1);
    // A row begun above the clicked one is dropped between the two clicks: the rows move up under
    // the pointer, and the edit still opens on the record that was clicked.
    goTo(3, 1);
    key("Insert");
    const QString beforeSix = stored(name(6));
    click(grid.at(6), 2);
    key("ctrl+a");
    typeText(u"Doble clic"_s);
    key("Return Down Right");
    EXPECT_TRUE(waitForStored(name(5), u"Doble clic"_s));
    EXPECT_EQ(stored(name(6)), beforeSix);

    // The row half hidden at the bottom of the grid: the grid scrolls it into sight under the
    // editor, and the text goes into its record, not into the one above. The window is made
    // taller by half a row when the rows fill the grid exactly.
    const auto halfRow = [&] {
        for (int r = 2; r < 60; ++r) {
            if (grid.top(r) + 4 <= grid.viewportBottom &&
                grid.top(r) + grid.pitch - 2 > grid.viewportBottom)
                return r;
        }
        return 0;
    };
    int half = halfRow();
    if (half == 0) {
        growWindow(0, grid.pitch / 2);
        grid = measureGrid(1);
        half = halfRow();
    }
    ASSERT_GT(half, 0) << "no row half in sight; grid bottom " << grid.viewportBottom;
    const QString aboveHalf = stored(name(half - 1));
    click({grid.cell.center().x(), grid.top(half) + 2}, 2);
    key("ctrl+a");
    typeText(u"Media fila"_s);
    key("Return ctrl+Home Right");
    EXPECT_TRUE(waitForStored(name(half), u"Media fila"_s));
    EXPECT_EQ(stored(name(half - 1)), aboveHalf);
}

TEST_F(OperatorScenario, DeleteAsksAndDeletesAFilterReloadsAndBothExportsHoldTheGrid) {
    start();
    goTo(4, 1);
    key("Delete");
    QString box = waitWindow(u"^Elimar Registro"_s);
    answer(box, u"Escape"_s); // "Cancelar"
    key("Delete");
    box = waitWindow(u"^Elimar Registro"_s);
    answer(box, u"Return"_s); // a stray Enter: "Cancelar" is the default button
    key("Delete");
    box = waitWindow(u"^Elimar Registro"_s);
    answer(box, u"alt+a"_s); // "Aceptar"
    EXPECT_TRUE(waitForStored(u"SELECT count(*) FROM MA_contactos WHERE id = 4"_s, u"0"_s));
    EXPECT_EQ(stored(count), u"319"_s) << "one record deleted, by the one \"Aceptar\"";

    // The filter: its criterion typed in, "Aceptar" reloads the grid with the rows it selects.
    std::vector<QPoint> buttons = toolbarButtons(screenshot());
    ASSERT_EQ(buttons.size(), 3u);
    click(buttons[0]);
    ASSERT_TRUE(waitUntil([&] { return currentCellFrame(screenshot()).isNull(); },
                          10s)); // the grid gave way
    click({272, 148});           // the criterion box
    typeText(u"Saldo > 15000"_s);
    // "Aceptar" heads the buttons at the view's right edge, however far the field names widened it.
    click({placement().width() - 65, 220});
    const QString selected = stored(u"SELECT count(*) FROM MA_contactos WHERE Saldo > 15000"_s);
    // The grid is back, in the window as wide as the filter view made it: its toolbar moved.
    ASSERT_TRUE(waitUntil([&] { return !currentCellFrame(screenshot()).isNull(); }, 10s));
    buttons = toolbarButtons(screenshot());
    ASSERT_EQ(buttons.size(), 3u);

    // The page holds the filtered grid, the workbook the same records.
    click(buttons[1]);
    const QString page = outputFolder() + u"/filtrados.htm"_s;
    ASSERT_TRUE(saveAs(page));
    ASSERT_TRUE(waitUntil([&] { return opened().contains(page); }, 10s));
    QFile html(page);
    ASSERT_TRUE(html.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromLatin1(html.readAll()).count(u"<tr"_s, Qt::CaseInsensitive),
              selected.toInt() + 1);

    click(buttons[2]);
    const QString book = outputFolder() + u"/filtrados.xlsx"_s;
    ASSERT_TRUE(saveAs(book));
    ASSERT_TRUE(waitUntil([&] { return opened().contains(book); }, 20s));
    const std::optional<QString> rows =
        run(u"/usr/bin/python3"_s,
            {u"-c"_s,
             u"import openpyxl, sys\n"
             "ws = openpyxl.load_workbook(sys.argv[1]).active\n"
             "print(sum(1 for r in ws.iter_rows() if r[0].value is not None))\n"_s,
             book},
            30s);
    ASSERT_TRUE(rows.has_value());
    EXPECT_EQ(rows->trimmed().toInt(), selected.toInt() + 2); // the title and the field names
    ASSERT_TRUE(closeProgram());
}
