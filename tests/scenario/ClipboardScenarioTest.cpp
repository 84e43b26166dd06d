// Copy, paste and find as the operator uses them: the real program on the demo database and the
// desktop's own clipboard, read and filled by another program (xclip) as a mail program or a
// spreadsheet would. Grid columns of the demo table: 0 id, 1 Nombre_y_Apellido, 2 Domicilio,
// 3 Localidad, 4 Telefono, 5 Email, ..., 9 Saldo (money), 10 Credito, 11 Activo; grid row r
// shows the record of id r.
#include "OperatorScenario.h"
#include "contacts/QtPrinters.h"

#include <QFile>
#include <QStandardPaths>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

class ClipboardScenario : public OperatorScenario {
protected:
    QString xclip() const {
        const QString found = QStandardPaths::findExecutable(u"xclip"_s);
        if (found.isEmpty()) ADD_FAILURE() << "xclip is missing: run scripts/setup";
        return found;
    }
    // What another program reads from the clipboard, in one of its formats.
    QString clipboard(const QString& format = u"UTF8_STRING"_s) const {
        return run(xclip(), {u"-o"_s, u"-selection"_s, u"clipboard"_s, u"-t"_s, format}, 5s)
            .value_or(QString());
    }
    // Polls the clipboard until it holds `expected`.
    bool waitForClipboard(const QString& expected) const {
        QString last;
        if (waitUntil([&] { return (last = clipboard()) == expected; }, 10s)) return true;
        ADD_FAILURE() << "the clipboard holds \"" << last.toStdString() << "\", not \""
                      << expected.toStdString() << '"';
        return false;
    }
    // Another program puts a text on the clipboard (xclip keeps it there in the background
    // until someone else takes the clipboard or the display ends).
    void putOnClipboard(const QString& text) {
        const QString path = outputFolder() + u"/portapapeles.txt"_s;
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text.toUtf8());
        file.close();
        ASSERT_TRUE(run(xclip(), {u"-i"_s, u"-selection"_s, u"clipboard"_s, path}, 5s));
        ASSERT_TRUE(waitForClipboard(text));
    }
    // Visible windows of the program (the main window, and a menu while it shows).
    int shownWindows() const {
        const auto ids =
            run(u"xdotool"_s, {u"search"_s, u"--onlyvisible"_s, u"--class"_s, u"contactos"_s}, 2s);
        return ids ? int(ids->split(u'\n', Qt::SkipEmptyParts).size()) : 0;
    }
    void rightClick(QPoint at) {
        EXPECT_TRUE(run(u"xdotool"_s,
                        {u"mousemove"_s, u"--sync"_s, u"--window"_s, mainWindow(),
                         QString::number(at.x()), QString::number(at.y()), u"click"_s, u"3"_s}));
    }
    QString field(const QString& column, int id) const {
        return stored(u"SELECT %1 FROM MA_contactos WHERE id = %2"_s.arg(column).arg(id));
    }
};

TEST_F(ClipboardScenario, CopiedCellsReachOtherPrograms) {
    start();
    // A phone number, to paste into a mail.
    goTo(3, 4);
    key("ctrl+c");
    ASSERT_TRUE(waitForClipboard(field(u"Telefono"_s, 3)));
    // A range stretched with Shift and the arrows: lines of cells, and a table for spreadsheets.
    key("shift+Down shift+Left ctrl+c");
    ASSERT_TRUE(waitForClipboard(u"Paraná\t0354-4023757\nVilla María\t0355-4031676\n"_s));
    const QString html = clipboard(u"text/html"_s);
    EXPECT_TRUE(html.contains(u"<tr><td>Paraná</td><td>0354-4023757</td></tr>"_s))
        << html.toStdString();
    EXPECT_TRUE(html.contains(u"<table>"_s));

    // The context menu, from a right click on a cell outside the selection: "Copiar con títulos".
    const GridLayout grid = measureGrid(1);
    const int before = shownWindows();
    rightClick(grid.at(6));
    ASSERT_TRUE(waitUntil([&] { return shownWindows() > before; }, 10s));
    saveScreenshot(u"menu-de-la-grilla"_s);
    key("Down Down Return");
    ASSERT_TRUE(waitForClipboard(u"Nombre_y_Apellido\nÑandú & Cía. <Importaciones>\n"_s));
    EXPECT_TRUE(
        clipboard(u"text/html"_s).contains(u"<td>Ñandú &amp; Cía. &lt;Importaciones&gt;</td>"_s));
    ASSERT_TRUE(closeProgram());
}

TEST_F(ClipboardScenario, TextsFromOtherProgramsArePastedAndWritten) {
    start();
    // A row of a spreadsheet: the cells to the right, written when the row is left.
    putOnClipboard(u"Calle Nueva 123\tRosario\n"_s);
    goTo(5, 2);
    key("ctrl+v Down Down Right");
    EXPECT_TRUE(
        waitForStored(u"SELECT Domicilio || '|' || Localidad FROM MA_contactos WHERE id = 5"_s,
                      u"Calle Nueva 123|Rosario"_s));
    // A number with a point into a money cell: the editor opens with the decimal comma.
    putOnClipboard(u"1.5"_s);
    goTo(6, 9);
    key("ctrl+v Return Down Down Right");
    EXPECT_TRUE(waitForStored(u"SELECT Saldo FROM MA_contactos WHERE id = 6"_s, u"1.5"_s));
    // Several rows: the operator confirms, and each row is written as it is pasted.
    putOnClipboard(u"Bariloche\t0294-111\r\nUshuaia\t02901-222\r\n"_s);
    goTo(10, 3);
    key("ctrl+v");
    answer(waitWindow(u"^Pegar$"_s), u"alt+s"_s); // "Sí"
    EXPECT_TRUE(
        waitForStored(u"SELECT group_concat(Localidad || ':' || Telefono, ' ') FROM MA_contactos "
                      "WHERE id IN (10, 11)"_s,
                      u"Bariloche:0294-111 Ushuaia:02901-222"_s));
    ASSERT_TRUE(closeProgram());
    EXPECT_EQ(stored(u"SELECT count(*) FROM MA_contactos"_s), u"320"_s);
}

TEST_F(ClipboardScenario, AContactIsFoundWithItsAccentTypedWithout) {
    start();
    const GridLayout grid = measureGrid(1);
    key("ctrl+Home ctrl+f");
    typeText(u"alvaro"_s);
    // The current cell's frame moves to the name's row (8) as the text is typed.
    ASSERT_TRUE(waitUntil(
        [&] { return std::abs(currentCellFrame(screenshot()).top() - grid.top(8)) <= 2; }, 10s));
    saveScreenshot(u"barra-de-busqueda"_s);
    key("Escape ctrl+c");
    EXPECT_TRUE(waitForClipboard(u"Álvaro \"el Tano\" Peña"_s));
    // F3 opens the bar again on its text and goes on to the next cell that holds it.
    key("ctrl+f");
    typeText(u"peña"_s);
    key("F3 Escape ctrl+c");
    EXPECT_TRUE(waitForClipboard(u"Carmen Peña"_s));
    ASSERT_TRUE(closeProgram());
}

} // namespace
