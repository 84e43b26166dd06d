#pragma once

#include "GridSource.h"

#include <QTableView>
#include <memory>
#include <optional>

class CellStore;
class GridModel;
class GridDelegate;

// The contacts window's grid: a table view with the members of the suite's flex grid under their
// own names. Row 0 is the one fixed row (the header, drawn by the view's header and holding the
// field names); data rows are 1..Rows-1 and there is no fixed column. The grid always has at least
// one data row and one column, so there is always a current cell (Row, Col), never in the header.
// Positions and sizes are in twips at the widget's logical dpi. The grid edits nothing itself: an
// editor laid over the cell (CellLeft... plus Left/Top) reacts to its signals. An invalid argument
// (a row, column or mode out of range) raises RuntimeError 5 and changes nothing.
class FlexGrid : public QTableView {
    Q_OBJECT

public:
    explicit FlexGrid(QWidget* parent = nullptr);
    ~FlexGrid() override;

    // Replaces the content with the source's rows (shared, not copied): Rows = rows + 1 (a source
    // without rows shows one blank row), Cols = columns, header = names. Column widths are kept by
    // position; the current cell goes to (1, 0) and the first data row to the top.
    void load(std::shared_ptr<const GridSource> source);
    // The loaded source holds more rows now (a load going on): they come in at the bottom; no
    // row shown moves, and the current cell stays.
    void sourceGrew();

    // The control's name (objectName; "DataGrid1" until set).
    QString Name() const;
    void setName(const QString& name);

    // Rows, the header included.
    int Rows() const;
    // Growing adds blank rows at the bottom, shrinking drops the last rows; at least 2.
    void setRows(int rows);
    // Columns.
    int Cols() const;
    // Growing adds blank columns at the right, shrinking drops the last columns; at least 1.
    void setCols(int cols);
    // Always 1: the header row.
    int FixedRows() const { return 1; }

    // The current cell. Setting it raises LeaveCell first (while Row/Col still name the cell left)
    // unless it stays where it is, collapses the selection to it and does not scroll. A LeaveCell
    // handler that sets the current cell itself, or calls keepCell, has the last word: the move
    // that raised it does not happen.
    int Row() const { return row_; }
    void setRow(int row);
    int Col() const { return col_; }
    void setCol(int col);
    // The other corner of the selection (the current cell is one corner); collapsed when the
    // current cell is set.
    int RowSel() const { return rowSel_; }
    void setRowSel(int row);
    int ColSel() const { return colSel_; }
    void setColSel(int col);

    // The first visible data row. Setting it scrolls as far as the grid can; past the last row
    // (or to the header) raises 5.
    int TopRow() const;
    void setTopRow(int row);

    // The current cell's text.
    QString Text() const;
    void setText(const QString& text);
    // Any cell's text; row 0 is the header.
    QString TextMatrix(int row, int col) const;
    void setTextMatrix(int row, int col, const QString& text);
    // True when a data cell's text was written (by the operator's edits or by code) since the load.
    bool isCellWritten(int row, int col) const;

    // A column's width in twips (as the view rounds it to pixels); -1 sets the default width.
    int ColWidth(int col) const;
    void setColWidth(int col, int twips);

    // The current cell's rectangle in twips, relative to the grid's own top-left corner (also
    // when the cell is scrolled out of sight).
    int CellLeft() const;
    int CellTop() const;
    int CellWidth() const;
    int CellHeight() const;

    // The grid's geometry within its parent, in twips; a negative width or height raises 5.
    int Left() const;
    void setLeft(int twips);
    int Top() const;
    void setTop(int twips);
    int Width() const;
    void setWidth(int twips);
    int Height() const;
    void setHeight(int twips);

    // Inserts a row before `index` (1..Rows; none: at the end) with `item` split on tabs into its
    // cells. Row keeps its number, so AddItem at Row makes Row name the new row.
    void AddItem(const QString& item, std::optional<int> index = std::nullopt);
    // Removes a data row; the only data row cannot be removed (5). A current cell below it moves
    // up with its row, so it stays on the same content (also a move under way in LeaveCell).
    void RemoveItem(int row);
    // Repaints the grid.
    void Refresh();
    // Tints a data row's background, or one cell's (the window marks the row whose edits are not
    // written yet and the cells the database refused); the colour follows its row through sorts,
    // insertions and removals; an invalid colour removes it. A load removes every tint.
    void setRowTint(int row, const QColor& colour);
    void setCellTint(int row, int col, const QColor& colour);
    void clearRowTints();
    void clearCellTints();
    // From a LeaveCell handler: the current cell stays where it is.
    void keepCell();
    // Gives the grid the focus; 5 when it is hidden or disabled.
    void SetFocus();
    // Reorders the data rows by the selected columns (Col to ColSel, left to right), stable; the
    // header stays. Modes as CellStore::SortMode, 0 to 6; Row and Col keep their numbers.
    void Sort(int mode);

    // The cell store, read-only (for the data control and the writers).
    const CellStore& cells() const;

Q_SIGNALS:
    // The left button pressed and released over the data area.
    void Click();
    // A double click on a data cell, which the first press made the current cell (none when that
    // press did not end on the current cell: a handler of its move sent it elsewhere).
    void DblClick();
    // A typed character; a handler may change it or drop it (0).
    void KeyPress(int& keyAscii);
    // A key pressed, by the platform's key code; shift: 1 Shift, 2 Ctrl, 4 Alt. Setting the code
    // to 0 drops the key's own action (moving the current cell) and its character.
    void KeyDown(int& keyCode, int shift);
    // The focus came into / went out of the grid within its window (not when another window comes
    // forward, such as a message box).
    void GotFocus();
    void LostFocus();
    // Raised just before the current cell changes (mouse, keyboard, setRow/setCol), while Row and
    // Col still name the cell being left.
    void LeaveCell();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    enum class Scroll { No, ToCell };
    // False when a LeaveCell handler kept the current cell or sent it elsewhere.
    bool moveCurrent(int row, int col, Scroll scroll);
    void setSelectionEnd(int row, int col);
    void headerPressed(int col);
    void headerEntered(int col);
    void cellsChanged();
    void clampCell();
    void applyRowHeight();
    int pageRows() const;
    bool navigate(int keyCode, Qt::KeyboardModifiers modifiers);
    QRect currentCellRect() const;
    void checkRow(int row, int first) const;
    void checkCol(int col) const;
    int toTwipsX(int pixels) const;
    int toTwipsY(int pixels) const;
    int toPixelsX(int twips) const;
    int toPixelsY(int twips) const;
    template <class Body> void guarded(Body&& body);

    std::unique_ptr<GridModel> model_;
    std::unique_ptr<GridDelegate> delegate_;
    int row_ = 1;
    int col_ = 0;
    int rowSel_ = 1;
    int colSel_ = 0;
    bool inLeaveCell_ = false;
    // While LeaveCell runs: where the move goes (kept on its row when rows above are removed),
    // and whether the handler moved or kept the current cell itself.
    int leaveTarget_ = 0;
    bool leaveOverruled_ = false;
    // The cell the last left press made current (row 0: none).
    int pressedRow_ = 0;
    int pressedCol_ = 0;
    bool dragging_ = false;
    bool repaintQueued_ = false;
};
