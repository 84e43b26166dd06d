#pragma once

#include "CellRule.h"

#include <QObject>
#include <functional>

class DataControl;
class FlexGrid;
class QLineEdit;
class RowWriter;
class Teclado;
struct EditState;

// In-grid editing: the editor box laid over the current cell, its keys, the grid's keys (Delete,
// Insert, and Esc, which abandons a begun record), and the pending row, written when the operator
// leaves it. Before an edit opens in another row, the pending row is written first, so nothing
// typed is lost. An edit closes only with a value its field takes: the text is checked where it
// was typed, and the editor stays open on a refused value with a message saying what the field
// expects. Typing into a blank row begins a new record there.
class GridEditor final : public QObject {
    Q_OBJECT
public:
    GridEditor(FlexGrid& grid, QLineEdit& editor, DataControl& data1, RowWriter& writer,
               EditState& state, const Teclado& teclado, QObject* parent = nullptr);

    // Opens an edit of the current cell: a control character (0 to 32, the double click's 32)
    // edits the present text, any other character replaces it.
    void MsflexGridEdt(FlexGrid& MsFlexGrid, QLineEdit& Edt, int KeyAscii);
    // Enter, Esc, Up and Down in the editor.
    void EditKeyCode(FlexGrid& MsFlexGrid, QLineEdit& Edt, int KeyCode, int Shift);
    // Delete (after confirmation) and Insert on the grid.
    void MsflexKey(FlexGrid& MsFlexGrid, int KeyCode);

    // Writes the pending row, if any, and tells whether the operator may go on: true when no
    // row is pending any more, false when its write failed and the operator chose to go back to
    // it (the grid is then on that row). `what` says in Spanish what was about to happen.
    std::function<bool(const QString& what)> resolvePending;
    // While true, leaving a cell writes nothing (the window moving back to a pending row).
    bool suspendWrites = false;

    // Closes an open edit, copying its text into the cell in the column's own form, when its
    // field takes it; otherwise tells the operator, keeps the edit open and returns false.
    bool acceptEdit();
    // True while an edit is open (the editor shown).
    bool editOpen() const;
    // Makes `row` the row being edited, as an edit opening in it does: a pending row elsewhere is
    // written first and a blank row begins a record. False when the operator went back to the
    // pending row, or the record could not be begun (the operator was told).
    bool beginRowEdit(int row);

    // Events, wired to the grid and the editor.
    void DataGrid1_GotFocus();
    void DataGrid1_LeaveCell();
    void TxtEdit_GotFocus();
    // The editor's key handling: true when the key was consumed.
    bool TxtEdit_KeyDown(int keyCode, int shift);
    // The decimal-separator rule: the character to insert (0 drops it).
    int TxtEdit_KeyPress(int keyAscii);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void placeEditor();
    void clipEditor();
    void refuseEdit(const QString& message);
    void noticeLimit();
    bool abandonNewRecord();
    void backToRefusedCell();

    FlexGrid& grid_;
    QLineEdit& editor_;
    DataControl& data1_;
    RowWriter& writer_;
    EditState& state_;
    const Teclado& teclado_;
    // The open edit's field and the cell's text when it opened.
    CellRule rule_;
    QString original_;
    bool focusByMouse_ = false;
    bool swallowRelease_ = false;
};
