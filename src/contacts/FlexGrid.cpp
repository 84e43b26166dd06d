#include "FlexGrid.h"

#include "CellStore.h"
#include "GridDelegate.h"
#include "GridModel.h"
#include "shared/Prompts.h"
#include "shared/RuntimeError.h"
#include "shared/Teclado.h"
#include "shared/Twips.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <algorithm>
#include <cmath>

namespace {

// The suite's default column width.
constexpr int defaultColWidthTwips = 960;

bool movesFocusOnly(const QFocusEvent* event) {
    // Another window coming forward (a message box, another program) is no change of focus
    // inside the window, and the suite's controls hear nothing of it.
    return event->reason() == Qt::ActiveWindowFocusReason ||
           event->reason() == Qt::PopupFocusReason;
}

} // namespace

template <class Body> void FlexGrid::guarded(Body&& body) {
    // An error that a handler let escape must not travel through Qt's event dispatch: the
    // operator is told, and the grid stays as it was left.
    try {
        body();
    } catch (const RuntimeError& error) {
        try {
            prompts().reportError(error, Name());
        } catch (...) {
        }
    } catch (const std::exception& error) {
        try {
            prompts().reportError(RuntimeError(51, QString::fromLocal8Bit(error.what()), Name()),
                                  Name());
        } catch (...) {
        }
    }
}

FlexGrid::FlexGrid(QWidget* parent)
    : QTableView(parent), model_(std::make_unique<GridModel>()),
      delegate_(std::make_unique<GridDelegate>(*this)) {
    setObjectName(QStringLiteral("DataGrid1"));
    setModel(model_.get());
    setItemDelegate(delegate_.get());
    // The grid edits nothing itself and keeps its own current cell and selection; Qt's would
    // move by themselves (and scroll) behind the grid's back.
    setEditTriggers(NoEditTriggers);
    setSelectionMode(NoSelection);
    setTabKeyNavigation(false);
    setAutoScroll(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setVerticalScrollMode(ScrollPerItem);
    setHorizontalScrollMode(ScrollPerPixel);
    QFont arial = font();
    arial.setFamilies({QStringLiteral("Arial")});
    setFont(arial);

    // Uniform rows and no row header: the view places a million rows by arithmetic.
    verticalHeader()->hide();
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    applyRowHeight();

    QHeaderView* header = horizontalHeader();
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setHighlightSections(false);
    header->setSectionsClickable(true);
    header->setStretchLastSection(false);
    header->setDefaultSectionSize(toPixelsX(defaultColWidthTwips));
    connect(header, &QHeaderView::sectionPressed, this, &FlexGrid::headerPressed);
    connect(header, &QHeaderView::sectionEntered, this, &FlexGrid::headerEntered);

    model_->setColumns(2);
    model_->insertBlankRows(0, 1);
}

FlexGrid::~FlexGrid() {
    setModel(nullptr);
}

const CellStore& FlexGrid::cells() const {
    return model_->store();
}

void FlexGrid::load(std::shared_ptr<const GridSource> source) {
    std::vector<int> widths;
    for (int c = 0; c < Cols(); ++c)
        widths.push_back(columnWidth(c));
    model_->load(std::move(source));
    if (model_->columnCount() == 0) model_->setColumns(1);
    if (model_->rowCount() == 0) model_->insertBlankRows(0, 1);
    for (int c = 0; c < std::min(Cols(), int(widths.size())); ++c)
        setColumnWidth(c, widths[std::size_t(c)]);
    row_ = rowSel_ = 1;
    col_ = colSel_ = 0;
    scrollToTop();
    horizontalScrollBar()->setValue(0);
    cellsChanged();
}

void FlexGrid::sourceGrew() {
    model_->sourceGrew();
}

QString FlexGrid::Name() const {
    return objectName();
}

void FlexGrid::setName(const QString& name) {
    setObjectName(name);
}

int FlexGrid::Rows() const {
    return model_->rowCount() + 1;
}

void FlexGrid::setRows(int rows) {
    if (rows < 2) raiseError(ErrorNumber::InvalidCall, Name());
    const int now = Rows();
    if (rows > now)
        model_->insertBlankRows(now - 1, rows - now);
    else if (rows < now)
        model_->removeDataRows(rows - 1, now - rows);
    clampCell();
    cellsChanged();
}

int FlexGrid::Cols() const {
    return model_->columnCount();
}

void FlexGrid::setCols(int cols) {
    if (cols < 1) raiseError(ErrorNumber::InvalidCall, Name());
    model_->setColumns(cols);
    clampCell();
    cellsChanged();
}

void FlexGrid::setRow(int row) {
    checkRow(row, 1);
    moveCurrent(row, col_, Scroll::No);
}

void FlexGrid::setCol(int col) {
    checkCol(col);
    moveCurrent(row_, col, Scroll::No);
}

void FlexGrid::setRowSel(int row) {
    checkRow(row, 1);
    setSelectionEnd(row, colSel_);
}

void FlexGrid::setColSel(int col) {
    checkCol(col);
    setSelectionEnd(rowSel_, col);
}

int FlexGrid::TopRow() const {
    const int top = rowAt(0);
    return top < 0 ? 1 : top + 1;
}

void FlexGrid::setTopRow(int row) {
    checkRow(row, 1);
    // The scroll range may still be the one before the last change of rows.
    updateGeometries();
    verticalScrollBar()->setValue(row - 1);
}

QString FlexGrid::Text() const {
    return model_->store().text(row_ - 1, col_);
}

void FlexGrid::setText(const QString& text) {
    model_->setCellText(row_ - 1, col_, text);
}

QString FlexGrid::TextMatrix(int row, int col) const {
    checkRow(row, 0);
    checkCol(col);
    return row == 0 ? model_->store().header(col) : model_->store().text(row - 1, col);
}

void FlexGrid::setTextMatrix(int row, int col, const QString& text) {
    checkRow(row, 0);
    checkCol(col);
    if (row == 0)
        model_->setHeaderText(col, text);
    else
        model_->setCellText(row - 1, col, text);
}

bool FlexGrid::isCellWritten(int row, int col) const {
    checkRow(row, 1);
    checkCol(col);
    return model_->store().isWritten(row - 1, col);
}

int FlexGrid::ColWidth(int col) const {
    checkCol(col);
    return toTwipsX(columnWidth(col));
}

void FlexGrid::setColWidth(int col, int twips) {
    checkCol(col);
    // -1 is the platform's "default width".
    if (twips < -1) raiseError(ErrorNumber::InvalidCall, Name());
    setColumnWidth(col, twips == -1 ? horizontalHeader()->defaultSectionSize() : toPixelsX(twips));
}

QRect FlexGrid::currentCellRect() const {
    QRect cell = visualRect(model_->index(row_ - 1, col_));
    // visualRect is in the viewport's coordinates; the grid's own corner lies before the frame
    // and the header.
    return cell.translated(viewport()->geometry().topLeft());
}

int FlexGrid::CellLeft() const {
    return toTwipsX(currentCellRect().left());
}
int FlexGrid::CellTop() const {
    return toTwipsY(currentCellRect().top());
}
int FlexGrid::CellWidth() const {
    return toTwipsX(currentCellRect().width());
}
int FlexGrid::CellHeight() const {
    return toTwipsY(currentCellRect().height());
}

int FlexGrid::Left() const {
    return toTwipsX(x());
}
void FlexGrid::setLeft(int twips) {
    move(toPixelsX(twips), y());
}
int FlexGrid::Top() const {
    return toTwipsY(y());
}
void FlexGrid::setTop(int twips) {
    move(x(), toPixelsY(twips));
}
int FlexGrid::Width() const {
    return toTwipsX(width());
}

void FlexGrid::setWidth(int twips) {
    if (twips < 0) raiseError(ErrorNumber::InvalidCall, Name());
    resize(toPixelsX(twips), height());
}

int FlexGrid::Height() const {
    return toTwipsY(height());
}

void FlexGrid::setHeight(int twips) {
    if (twips < 0) raiseError(ErrorNumber::InvalidCall, Name());
    resize(width(), toPixelsY(twips));
}

void FlexGrid::AddItem(const QString& item, std::optional<int> index) {
    const int at = index.value_or(Rows());
    if (at < 1 || at > Rows()) raiseError(ErrorNumber::InvalidCall, Name());
    model_->insertBlankRows(at - 1, 1, item.split(u'\t'));
    cellsChanged();
}

void FlexGrid::RemoveItem(int row) {
    checkRow(row, 1);
    if (Rows() <= 2) raiseError(ErrorNumber::InvalidCall, Name());
    model_->removeDataRows(row - 1, 1);
    if (row < row_) --row_;
    if (row < rowSel_) --rowSel_;
    if (inLeaveCell_ && row < leaveTarget_) --leaveTarget_;
    clampCell();
    cellsChanged();
}

void FlexGrid::Refresh() {
    viewport()->update();
    horizontalHeader()->viewport()->update();
}

void FlexGrid::SetFocus() {
    if (!isVisible() || !isEnabled()) raiseError(ErrorNumber::InvalidCall, Name());
    setFocus(Qt::OtherFocusReason);
}

void FlexGrid::Sort(int mode) {
    if (mode < 0 || mode > 6) raiseError(ErrorNumber::InvalidCall, Name());
    if (mode == 0) return;
    // A million rows take a moment: the operator sees the hourglass meanwhile.
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    struct Restore {
        ~Restore() { QGuiApplication::restoreOverrideCursor(); }
    } restore;
    model_->sortRows(std::min(col_, colSel_), std::max(col_, colSel_), CellStore::SortMode(mode));
    cellsChanged();
}

bool FlexGrid::moveCurrent(int row, int col, Scroll scroll) {
    if (inLeaveCell_) {
        leaveOverruled_ = true;
    } else if (row != row_ || col != col_) {
        inLeaveCell_ = true;
        leaveTarget_ = row;
        leaveOverruled_ = false;
        {
            struct Reset {
                bool& flag;
                ~Reset() { flag = false; }
            } reset{inLeaveCell_};
            Q_EMIT LeaveCell();
        }
        if (leaveOverruled_) {
            leaveOverruled_ = false;
            cellsChanged();
            if (scroll == Scroll::ToCell) scrollTo(model_->index(row_ - 1, col_));
            return false;
        }
        // The handler may have changed the grid under the move (rows removed, a reload).
        row = std::clamp(leaveTarget_, 1, Rows() - 1);
        col = std::clamp(col, 0, Cols() - 1);
    }
    row_ = rowSel_ = row;
    col_ = colSel_ = col;
    cellsChanged();
    if (scroll == Scroll::ToCell) scrollTo(model_->index(row - 1, col));
    return true;
}

void FlexGrid::keepCell() {
    if (inLeaveCell_) leaveOverruled_ = true;
}

void FlexGrid::setSelectionEnd(int row, int col) {
    rowSel_ = row;
    colSel_ = col;
    cellsChanged();
}

void FlexGrid::headerPressed(int col) {
    if (QGuiApplication::keyboardModifiers() & Qt::ShiftModifier) {
        headerEntered(col);
        return;
    }
    // A header click selects the whole column, ready for a sort by it.
    guarded([&] {
        moveCurrent(1, col, Scroll::No);
        // Unless a LeaveCell handler kept the current cell elsewhere.
        if (row_ == 1 && col_ == col) setSelectionEnd(Rows() - 1, col);
    });
}

void FlexGrid::headerEntered(int col) {
    if (col < 0 || col >= Cols()) return;
    setSelectionEnd(Rows() - 1, col);
}

void FlexGrid::cellsChanged() {
    // The writers move the current cell over every cell of a million rows: one repaint request
    // until the grid paints, not one per move.
    if (repaintQueued_) return;
    repaintQueued_ = true;
    viewport()->update();
}

void FlexGrid::paintEvent(QPaintEvent* event) {
    repaintQueued_ = false;
    QTableView::paintEvent(event);
}

void FlexGrid::clampCell() {
    row_ = std::min(row_, Rows() - 1);
    rowSel_ = std::min(rowSel_, Rows() - 1);
    col_ = std::min(col_, Cols() - 1);
    colSel_ = std::min(colSel_, Cols() - 1);
}

void FlexGrid::applyRowHeight() {
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
}

int FlexGrid::pageRows() const {
    return std::max(1, viewport()->height() / std::max(1, verticalHeader()->defaultSectionSize()));
}

bool FlexGrid::navigate(int keyCode, Qt::KeyboardModifiers modifiers) {
    const bool extend = modifiers & Qt::ShiftModifier;
    const bool control = modifiers & Qt::ControlModifier;
    int row = extend ? rowSel_ : row_;
    int col = extend ? colSel_ : col_;
    const int lastRow = Rows() - 1;
    const int lastCol = Cols() - 1;
    switch (keyCode) {
    case KeyCode::Up:
        row = std::max(1, row - 1);
        break;
    case KeyCode::Down:
        row = std::min(lastRow, row + 1);
        break;
    case KeyCode::Left:
        col = std::max(0, col - 1);
        break;
    case KeyCode::Right:
        col = std::min(lastCol, col + 1);
        break;
    case KeyCode::PageUp:
        row = std::max(1, row - pageRows());
        break;
    case KeyCode::PageDown:
        row = std::min(lastRow, row + pageRows());
        break;
    case KeyCode::Home:
        if (control) row = 1;
        col = 0;
        break;
    case KeyCode::End:
        if (control) row = lastRow;
        col = lastCol;
        break;
    default:
        return false;
    }
    if (extend) {
        setSelectionEnd(row, col);
        scrollTo(model_->index(row - 1, col));
    } else {
        moveCurrent(row, col, Scroll::ToCell);
    }
    return true;
}

void FlexGrid::keyPressEvent(QKeyEvent* event) {
    event->accept();
    guarded([&] {
        const Qt::KeyboardModifiers modifiers = event->modifiers();
        const int shift = (modifiers & Qt::ShiftModifier ? 1 : 0) |
                          (modifiers & Qt::ControlModifier ? 2 : 0) |
                          (modifiers & Qt::AltModifier ? 4 : 0);
        const int pressed = KeyCode::fromQtKey(event->key());
        int keyCode = pressed;
        if (keyCode != 0) Q_EMIT KeyDown(keyCode, shift);
        if (pressed != 0 && keyCode == 0) return;
        // Typed characters, Enter, Esc and Backspace included; Delete is a key, not a character.
        for (const QChar c : event->text()) {
            if (c.unicode() == 127 || c.isSurrogate()) continue;
            int keyAscii = c.unicode();
            Q_EMIT KeyPress(keyAscii);
        }
        if (keyCode != 0) navigate(keyCode, modifiers);
    });
}

void FlexGrid::inputMethodEvent(QInputMethodEvent* event) {
    event->accept();
    guarded([&] {
        for (const QChar c : event->commitString()) {
            if (c.isSurrogate()) continue;
            int keyAscii = c.unicode();
            Q_EMIT KeyPress(keyAscii);
        }
    });
}

void FlexGrid::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() != Qt::LeftButton) return;
    dragging_ = true;
    const QModelIndex index = indexAt(event->position().toPoint());
    if (!index.isValid()) return;
    bool reached = true;
    guarded([&] {
        if (event->modifiers() & Qt::ShiftModifier)
            setSelectionEnd(index.row() + 1, index.column());
        // No scrolling under the mouse: a cell half in sight stays put, so the second press of
        // a double click lands on the same cell (the editor scrolls a covered cell itself).
        else
            reached = moveCurrent(index.row() + 1, index.column(), Scroll::No);
    });
    pressedRow_ = reached ? row_ : 0;
    pressedCol_ = col_;
}

void FlexGrid::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    if (!dragging_ || !(event->buttons() & Qt::LeftButton)) return;
    // Dragging stretches the selection; the current cell stays where the press put it.
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid()) setSelectionEnd(index.row() + 1, index.column());
}

void FlexGrid::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() != Qt::LeftButton || !dragging_) return;
    dragging_ = false;
    guarded([&] { Q_EMIT Click(); });
}

void FlexGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() != Qt::LeftButton) return;
    // The presses chose the cell: the double click acts on the current cell, and no Click
    // follows its release.
    dragging_ = false;
    if (!indexAt(event->position().toPoint()).isValid()) return;
    // The cell the operator pressed is the current one, wherever rows went since (a row removed
    // above it moves it up): never a neighbour that came under the pointer.
    if (pressedRow_ != row_ || pressedCol_ != col_) return;
    guarded([&] { Q_EMIT DblClick(); });
}

void FlexGrid::focusInEvent(QFocusEvent* event) {
    QTableView::focusInEvent(event);
    if (movesFocusOnly(event)) return;
    guarded([&] { Q_EMIT GotFocus(); });
}

void FlexGrid::focusOutEvent(QFocusEvent* event) {
    QTableView::focusOutEvent(event);
    dragging_ = false;
    if (movesFocusOnly(event)) return;
    guarded([&] { Q_EMIT LostFocus(); });
}

void FlexGrid::changeEvent(QEvent* event) {
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange) applyRowHeight();
}

void FlexGrid::checkRow(int row, int first) const {
    if (row < first || row > Rows() - 1) raiseError(ErrorNumber::InvalidCall, Name());
}

void FlexGrid::checkCol(int col) const {
    if (col < 0 || col > Cols() - 1) raiseError(ErrorNumber::InvalidCall, Name());
}

int FlexGrid::toTwipsX(int pixels) const {
    return int(std::lround(Twips::fromPixels(pixels, logicalDpiX())));
}

int FlexGrid::toTwipsY(int pixels) const {
    return int(std::lround(Twips::fromPixels(pixels, logicalDpiY())));
}

int FlexGrid::toPixelsX(int twips) const {
    return Twips::toPixels(twips, logicalDpiX());
}

int FlexGrid::toPixelsY(int twips) const {
    return Twips::toPixels(twips, logicalDpiY());
}

void FlexGrid::setRowTint(int row, const QColor& colour) {
    if (row >= 1 && row < Rows()) model_->setRowTint(row - 1, colour);
}

void FlexGrid::setCellTint(int row, int col, const QColor& colour) {
    if (row >= 1 && row < Rows()) model_->setCellTint(row - 1, col, colour);
}

void FlexGrid::clearRowTints() {
    model_->clearRowTints();
}

void FlexGrid::clearCellTints() {
    model_->clearCellTints();
}
