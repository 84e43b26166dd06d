#pragma once

#include <QObject>
#include <QStringList>
#include <vector>

class FlexGrid;
class GridEditor;
class QAction;
class QLineEdit;
class QPoint;
class QWidget;
class RowWriter;
class Teclado;
struct EditState;

// Copy and paste in the grid as spreadsheets do them, select all, and the grid's context menu.
// Copy (Ctrl+C, "Copiar", "Copiar con títulos") puts the selected cells on the desktop's clipboard
// as CellBlock builds them from what the grid shows; a long copy shows its progress and can be
// cancelled. Paste (Ctrl+V, "Pegar") takes the road of typing: one cell opens the editor with the
// text (in an open edit, the text goes in at the caret); a block fills the cells from the current
// one to the right, each text checked as a typed one; a block of several rows is written row by
// row, each through the row writer as a typed row, and stops at the first row that is not
// written. The key column is never pasted into.
class GridClipboard final : public QObject {
    Q_OBJECT
public:
    GridClipboard(FlexGrid& grid, QLineEdit& editor, GridEditor& gridEditor, RowWriter& writer,
                  EditState& state, const Teclado& teclado, QWidget& window);
    ~GridClipboard() override;

    // The selected cells to the clipboard, with the column titles first when asked.
    void copy(bool titles);
    // The clipboard's text into the grid from the current cell.
    void paste();
    // Selects every cell (the current cell goes to the first one).
    void selectAll();
    // Adds an action at the end of the grid's context menu, after a separator.
    void addToMenu(QAction* action);

    // The clipboard format of the program's own copies: the cells as quoted tab-separated lines,
    // one cell too, so that a cell holding a line end is pasted back whole.
    static QString blockFormat();

    QAction* copiar;
    QAction* copiarConTitulos;
    QAction* pegar;
    QAction* seleccionarTodo;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class Filled { Yes, Skipped, Refused, Abandoned };

    void showMenu(const QPoint& at);
    QString clipboardText() const;
    bool isKey(int column) const;
    QString typedForm(const QString& text, int column) const;
    void pasteIntoEditor(const QString& text);
    void openEditorWith(const QString& text);
    void pasteBlock(const std::vector<QStringList>& rows);
    Filled fillRow(int row, int firstColumn, const QStringList& cells, QString& refusal,
                   int& refusedColumn);
    void tell(const QString& message, const QString& title);

    FlexGrid& grid_;
    QLineEdit& editor_;
    GridEditor& gridEditor_;
    RowWriter& writer_;
    EditState& state_;
    const Teclado& teclado_;
    QWidget& window_;
    std::vector<QAction*> more_;
};
