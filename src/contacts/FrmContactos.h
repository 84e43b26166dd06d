#pragma once

#include "EditState.h"
#include "WindowPlacement.h"

#include <QWidget>
#include <memory>
#include <optional>

class DataControl;
class FilterView;
class FindBar;
class FlexGrid;
class GridClipboard;
class GridEditor;
class GridSource;
class RecoveryFile;
class RowWriter;
class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class QToolBar;

// The program's main window: the grid view `FrmPlanilla` (sort selector, toolbar, grid and its
// in-place editor, all bound to the data control `data1` over the table MA_contactos) and the
// filter builder `FrmFiltro` in the same place. Form_Load runs the start-up; it throws
// ProgramEnd when no connection could be opened.
class FrmContactos final : public QWidget {
    Q_OBJECT
public:
    explicit FrmContactos(QWidget* parent = nullptr);
    ~FrmContactos() override;

    // The load handler: start-up, sort selector, data control and grid, widths, filter controls.
    void Form_Load();

    QFrame* FrmPlanilla;
    QLabel* Label2;
    QComboBox* Combo1;
    QToolBar* Toolbar2;
    FlexGrid* DataGrid1;
    QLineEdit* TxtEdit;
    DataControl* data1;
    FilterView* FrmFiltro;
    // While rows are still read: how many so far, and a button that stops the load; after a
    // stopped load, how many were kept and a button that reads the table again.
    QLabel* lblCarga;
    QPushButton* cmdCarga;

    // Window state: the edited table, the pending row and whether column 0 is the key.
    EditState state;
    QString connectionString;

    // In-grid editing and saving.
    void MsflexGridEdt(FlexGrid& MsFlexGrid, QLineEdit& Edt, int KeyAscii);
    void EditKeyCode(FlexGrid& MsFlexGrid, QLineEdit& Edt, int KeyCode, int Shift);
    void MsflexKey(FlexGrid& MsFlexGrid, int KeyCode);
    void GrabaRegistro();
    void GrabaElimina();
    // What becomes of a pending row that cannot be written when the operator does not go back
    // to it: its changes are dropped, or kept in the recovery file for the next start.
    enum class GiveUp { Discard, Keep };
    // Writes a pending row before `what` happens; false when the write failed and the operator
    // went back to the row (see GridEditor::resolvePending).
    bool resolvePendingRow(const QString& what, GiveUp giveUp = GiveUp::Discard);
    // Offers the rows that earlier runs on this database could not write (Form_Load calls it once
    // the window is up): each one the operator accepts becomes the pending row and is written.
    void offerKeptRows();

    // The toolbar's button handler, by the button's key ("Filtro", "HTM", "Excel").
    void Toolbar2_ButtonClick(const QString& key);
    // Shows the filter builder in place of the grid.
    void abrirFiltro();
    // Width of a column for a field of the given ADO type and defined size, in twips.
    int anchoColumna(long type, long definedSize) const;
    // Pixels a yes/no column needs to show its words ("Verdadero", "Falso") whole.
    int booleanWidth() const;
    // Opens the window where and how `placement` says the operator left it, and keeps it there
    // when the window closes. Called before the window is shown.
    void keepPlacement(const WindowPlacement& placement);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Resize();
    void Combo1_Click(int index);
    void showGrid();
    void loadGrid();
    // The load strip, as the data control's load stands.
    void showLoad();
    // Reads the record source again (the table, or the filter's rows), the pending row first.
    void reload();

    void markPending(int row);
    // Keeps the pending row (the open edit's text included) in the recovery file, or removes the
    // file when nothing is pending.
    void keepPendingRow();

    std::unique_ptr<RowWriter> writer_;
    std::unique_ptr<GridEditor> editor_;
    std::unique_ptr<GridClipboard> clipboard_;
    FindBar* findBar_;
    std::unique_ptr<RecoveryFile> recovery_;
    QTimer* keepTyping_ = nullptr; // keeps the row a moment after the last key, not at each key
    bool keepFailureShown_ = false;
    bool keptRowsOffered_ = false;
    QString dlgFileName_; // the save dialog's file name, emptied after every export
    std::optional<WindowPlacement> placement_;
    bool resolving_ = false;
    bool loadStopped_ = false; // the last load ended before every row was read
    QAction* actFiltro;
    QAction* actHtm;
    QAction* actExcel;
};
