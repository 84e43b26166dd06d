#include "GridEditor.h"

#include "DataControl.h"
#include "EditState.h"
#include "FlexGrid.h"
#include "RowWriter.h"
#include "shared/Procedure.h"
#include "shared/Prompts.h"
#include "shared/Teclado.h"
#include "shared/Twips.h"
#include "startup/ModGlobal.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QToolTip>
#include <cmath>

GridEditor::GridEditor(FlexGrid& grid, QLineEdit& editor, DataControl& data1, RowWriter& writer,
                       EditState& state, const Teclado& teclado, QObject* parent)
    : QObject(parent), grid_(grid), editor_(editor), data1_(data1), writer_(writer), state_(state),
      teclado_(teclado) {
    connect(&grid_, &FlexGrid::DblClick, this, [this] { MsflexGridEdt(grid_, editor_, 32); });
    connect(&grid_, &FlexGrid::KeyPress, this, [this](int& keyAscii) {
        MsflexGridEdt(grid_, editor_, keyAscii);
        keyAscii = 0;
    });
    connect(&grid_, &FlexGrid::KeyDown, this, [this](int& keyCode, int) {
        if (keyCode == ::KeyCode::Escape && abandonNewRecord()) {
            keyCode = 0;
            return;
        }
        MsflexKey(grid_, keyCode);
        if (keyCode == 45 || keyCode == 46) keyCode = 0;
    });
    connect(&grid_, &FlexGrid::GotFocus, this, [this] { DataGrid1_GotFocus(); });
    connect(&grid_, &FlexGrid::LeaveCell, this, [this] { DataGrid1_LeaveCell(); });
    // The editor stays on its cell when the grid scrolls under it.
    connect(grid_.verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { placeEditor(); });
    connect(grid_.horizontalScrollBar(), &QScrollBar::valueChanged, this,
            [this] { placeEditor(); });
    connect(&editor_, &QLineEdit::textEdited, this, [this] {
        if (editor_.maxLength() > 0 && editor_.text().size() >= editor_.maxLength()) noticeLimit();
    });
    editor_.installEventFilter(this);
    grid_.installEventFilter(this);
    grid_.viewport()->installEventFilter(this);
}

namespace {
int px(const QWidget& w, int twips) {
    return Twips::toPixels(twips, w.logicalDpiX());
}
} // namespace

void GridEditor::MsflexGridEdt(FlexGrid& MsFlexGrid, QLineEdit& Edt, int KeyAscii) {
    Procedure p(Handler::passOver({ErrorNumber::InvalidCall},
                                  Handler::report(QStringLiteral("MSFLEXGRIDEDT"))));
    if (MsFlexGrid.Name().compare(QStringLiteral("datagrid1"), Qt::CaseInsensitive) == 0 &&
        MsFlexGrid.Col() == 0 && state_.gTieneId) {
        return;
    }
    // An edit still open (the grid took the focus without closing it) is closed first.
    if (&Edt == &editor_ && !acceptEdit()) return;
    if (&MsFlexGrid == &grid_ && !beginRowEdit(MsFlexGrid.Row())) return;
    rule_ = writer_.rule(MsFlexGrid.Col());
    original_ = MsFlexGrid.Text();
    // The editor takes no more than the field holds (a longer stored text is never cut by it).
    const int limit = rule_.maxLength();
    Edt.setMaxLength(limit > 0 ? std::max(limit, int(original_.size())) : 32767);
    p.step([&] {
        if (KeyAscii >= 0 && KeyAscii <= 32) {
            Edt.setText(original_);
            Edt.setCursorPosition(std::min(1000, int(Edt.text().size())));
        } else {
            Edt.setText(QString(QChar(char16_t(KeyAscii))));
            Edt.setCursorPosition(1);
        }
    });
    // A cell partly out of sight (below the grid's cells, under its scroll bar) is scrolled into
    // sight before the editor is laid over it, so the editor covers the cell it edits and not its
    // neighbour.
    p.step([&] {
        MsFlexGrid.scrollTo(MsFlexGrid.model()->index(MsFlexGrid.Row() - 1, MsFlexGrid.Col()));
    });
    p.step([&] {
        const int left = MsFlexGrid.Left() + MsFlexGrid.CellLeft();
        const int top = MsFlexGrid.Top() + MsFlexGrid.CellTop();
        Edt.setGeometry(px(Edt, left), px(Edt, top), px(Edt, MsFlexGrid.CellWidth()),
                        px(Edt, MsFlexGrid.CellHeight()));
    });
    p.step([&] {
        Edt.show();
        Edt.raise();
    });
    if (&Edt == &editor_) clipEditor();
    p.step([&] { Edt.setFocus(Qt::OtherFocusReason); });
}

bool GridEditor::beginRowEdit(int row) {
    // A pending row of another row is written before this edit replaces it.
    const int pending = int(std::nearbyint(state_.gFilaPendiente));
    if (pending != 0 && pending != row && resolvePending &&
        !resolvePending(QStringLiteral("editar otra fila"))) {
        return false;
    }
    // A blank row holds no record: typing into it begins one there, as Insert does.
    if (writer_.holdsNoRecord(row)) {
        Procedure p(Handler::passOver({ErrorNumber::InvalidCall},
                                      Handler::report(QStringLiteral("MSFLEXGRIDEDT"))));
        p.step([&] { data1_.Recordset().AddNew(); });
        if (p.left()) return false;
        state_.gRegistroNuevo = true;
        state_.gFilaPendiente = row;
        if (writer_.pendingChanged) writer_.pendingChanged(row);
    }
    return true;
}

void GridEditor::EditKeyCode(FlexGrid& MsFlexGrid, QLineEdit& Edt, int KeyCode, int) {
    Procedure p(Handler::passOver({ErrorNumber::InvalidCall},
                                  Handler::report(QStringLiteral("EditKeyCode"))));
    // Enter, Up and Down close the edit: only with a value its field takes.
    const bool closes =
        KeyCode == ::KeyCode::Enter || KeyCode == ::KeyCode::Up || KeyCode == ::KeyCode::Down;
    if (closes && &Edt == &editor_ && !acceptEdit()) return;
    switch (KeyCode) {
    case ::KeyCode::Enter:
        p.step([&] { MsFlexGrid.SetFocus(); });
        p.step([] { QApplication::processEvents(); });
        p.step([&] {
            if (MsFlexGrid.Col() == MsFlexGrid.Cols() - 1) {
                if (MsFlexGrid.Row() < MsFlexGrid.Rows() - 1) {
                    MsFlexGrid.setRow(MsFlexGrid.Row() + 1);
                } else {
                    MsFlexGrid.setRows(MsFlexGrid.Rows() + 1);
                    MsFlexGrid.setRow(MsFlexGrid.Rows() - 1);
                }
                MsFlexGrid.setCol(0);
            }
        });
        break;
    case ::KeyCode::Escape:
        p.step([&] { Edt.hide(); });
        p.step([&] { MsFlexGrid.SetFocus(); });
        break;
    case ::KeyCode::Up:
        p.step([&] { MsFlexGrid.SetFocus(); });
        p.step([] { QApplication::processEvents(); });
        p.step([&] {
            if (MsFlexGrid.Row() > MsFlexGrid.FixedRows()) MsFlexGrid.setRow(MsFlexGrid.Row() - 1);
        });
        break;
    case ::KeyCode::Down:
        p.step([&] { MsFlexGrid.SetFocus(); });
        p.step([] { QApplication::processEvents(); });
        p.step([&] {
            if (MsFlexGrid.Row() < MsFlexGrid.Rows() - 1) MsFlexGrid.setRow(MsFlexGrid.Row() + 1);
        });
        break;
    default:
        break;
    }
    // The cell's foot is measured against the grid's cells, which end above its scroll bar.
    p.step([&] {
        const QRect cell = MsFlexGrid.visualRect(
            MsFlexGrid.model()->index(MsFlexGrid.Row() - 1, MsFlexGrid.Col()));
        if (cell.bottom() >= MsFlexGrid.viewport()->height())
            MsFlexGrid.setTopRow(MsFlexGrid.TopRow() + 1);
    });
}

void GridEditor::MsflexKey(FlexGrid& MsFlexGrid, int KeyCode) {
    Procedure p(Handler::report(QStringLiteral("MSFlexGrid1_KeyDown")));
    // An edit still open (the grid took the focus without closing it) is closed first.
    if ((KeyCode == ::KeyCode::Delete || KeyCode == ::KeyCode::Insert) && !acceptEdit()) return;
    if (KeyCode == ::KeyCode::Delete) {
        if (MsFlexGrid.Rows() <= 2) return;
        const int answer = p.value<int>(
            [] {
                return prompts().message(QStringLiteral("Realmente desea Eliminar este Registro"),
                                         QStringLiteral("Elimar Registro!!!"),
                                         Prompt::Buttons::OkCancel, Prompt::Icon::Information,
                                         Prompt::Default::Second);
            },
            Prompt::Cancel);
        if (answer != Prompt::Ok || p.left()) return;
        // Another pending row is written before the deletion reloads the grid.
        const int pending = int(std::nearbyint(state_.gFilaPendiente));
        if (pending != 0 && pending != MsFlexGrid.Row() && resolvePending &&
            !resolvePending(QStringLiteral("eliminar el registro"))) {
            return;
        }
        p.step([&] { state_.gFilaPendiente = MsFlexGrid.Row(); });
        p.step([&] { writer_.GrabaElimina(); });
    } else if (KeyCode == ::KeyCode::Insert) {
        // A pending row (a new record too) is written before another record is begun.
        if (state_.gFilaPendiente != 0 && resolvePending &&
            !resolvePending(QStringLiteral("agregar un registro")))
            return;
        p.step([&] { data1_.Recordset().AddNew(); });
        p.step([&] { state_.gRegistroNuevo = true; });
        p.step([&] { MsFlexGrid.AddItem(QString(), MsFlexGrid.Row()); });
        p.step([&] {
            state_.gFilaPendiente = MsFlexGrid.Row();
            if (writer_.pendingChanged) writer_.pendingChanged(MsFlexGrid.Row());
        });
        p.step([&] { MsFlexGrid.setRows(MsFlexGrid.Rows() + 1); });
        p.step([&] { MsFlexGrid.Refresh(); });
    }
}

// Esc on the grid while a begun record is pending abandons it; the operator confirms when cells
// were typed into. True when the key was taken for that.
bool GridEditor::abandonNewRecord() {
    const int pending = int(std::nearbyint(state_.gFilaPendiente));
    if (!state_.gRegistroNuevo || pending <= 0 || pending >= grid_.Rows() || editOpen())
        return false;
    if (writer_.hasText(pending)) {
        const int answer = prompts().message(
            QStringLiteral(
                "¿Desea descartar el registro nuevo? Lo que escribió en él no se grabará."),
            QStringLiteral("Registro nuevo"), Prompt::Buttons::YesNo, Prompt::Icon::Question);
        if (answer != Prompt::Yes) return true;
    }
    writer_.Descartar();
    return true;
}

bool GridEditor::editOpen() const {
    // Its own flag, not isVisible(): an edit stays open while the grid view is hidden.
    return !editor_.isHidden();
}

bool GridEditor::acceptEdit() {
    if (!editOpen()) return true;
    const QString typed = editor_.text();
    QString shown = typed;
    if (typed != original_) {
        const CellRule::Record record = writer_.recordOf(grid_.Row());
        if (const std::optional<QString> refusal =
                rule_.refusal(typed, record, ModGlobal::gUtil())) {
            refuseEdit(*refusal);
            return false;
        }
        shown = rule_.displayForm(typed, record, ModGlobal::gUtil());
    }
    grid_.setText(shown);
    editor_.hide();
    return true;
}

void GridEditor::refuseEdit(const QString& message) {
    prompts().message(message, QStringLiteral("Valor no válido"), Prompt::Buttons::Ok,
                      Prompt::Icon::Exclamation);
    editor_.setFocus(Qt::OtherFocusReason);
    editor_.selectAll();
}

void GridEditor::noticeLimit() {
    QToolTip::showText(editor_.mapToGlobal(QPoint(0, editor_.height())),
                       QStringLiteral("El campo \"%1\" admite hasta %2 caracteres.")
                           .arg(rule_.name())
                           .arg(editor_.maxLength()),
                       &editor_);
}

void GridEditor::placeEditor() {
    if (!editOpen()) return;
    Procedure p(Handler::skip());
    p.step([&] {
        const int left = grid_.Left() + grid_.CellLeft();
        const int top = grid_.Top() + grid_.CellTop();
        editor_.setGeometry(px(editor_, left), px(editor_, top), px(editor_, grid_.CellWidth()),
                            px(editor_, grid_.CellHeight()));
    });
    clipEditor();
}

// The editor shows only where its cell is in sight: scrolled away, it does not float over the
// header or the controls above the grid (the edit stays open).
void GridEditor::clipEditor() {
    if (!editor_.parentWidget()) return;
    const QRect cells(grid_.viewport()->mapTo(editor_.parentWidget(), QPoint()),
                      grid_.viewport()->size());
    const QRect shown = editor_.geometry() & cells;
    if (shown == editor_.geometry())
        editor_.clearMask();
    else if (shown.isEmpty())
        editor_.setMask(QRegion(-1, -1, 1, 1)); // an empty region would mean no mask at all
    else
        editor_.setMask(shown.translated(-editor_.pos()));
}

void GridEditor::DataGrid1_GotFocus() {
    // A click closes the edit when it reaches a cell (see eventFilter): the click may yet be
    // refused and must then not move the current cell.
    if (focusByMouse_) return;
    acceptEdit();
}

// Back to the cell the database refused, in the row whose write failed.
void GridEditor::backToRefusedCell() {
    const int row = int(std::nearbyint(state_.gFilaPendiente));
    if (row <= 0 || row >= grid_.Rows()) return;
    const int col = std::clamp(writer_.refusedColumn(), 0, grid_.Cols() - 1);
    Procedure p(Handler::skip());
    p.step([&] { grid_.setRow(row); });
    p.step([&] { grid_.setCol(col); });
    p.step([&] { grid_.scrollTo(grid_.model()->index(row - 1, col)); });
}

void GridEditor::DataGrid1_LeaveCell() {
    if (editOpen() && !acceptEdit()) {
        grid_.keepCell();
        return;
    }
    const int pending = int(std::nearbyint(state_.gFilaPendiente));
    if (pending == 0 || pending == grid_.Row() || suspendWrites) return;
    // A row whose write failed is tried again once the operator changed it; until then leaving
    // it asks nothing (close, reload and export still try it).
    if (writer_.failedUnchanged()) return;
    writer_.GrabaRegistro();
    if (state_.gFilaPendiente != 0) backToRefusedCell();
}

void GridEditor::TxtEdit_GotFocus() {
    state_.gFilaPendiente = grid_.Row();
    if (writer_.pendingChanged) writer_.pendingChanged(grid_.Row());
}

bool GridEditor::TxtEdit_KeyDown(int keyCode, int shift) {
    if (!teclado_.IsEditKey(keyCode)) return false;
    EditKeyCode(grid_, editor_, keyCode, shift);
    return true;
}

int GridEditor::TxtEdit_KeyPress(int keyAscii) {
    // The decimal separator is typed with either key in number and currency cells only: texts,
    // dates and the rest take "." and "," as they come.
    if (grid_.Col() > 0 && rule_.isNumber() && (keyAscii == u',' || keyAscii == u'.')) {
        const QString separator = teclado_.DecimalSeparator().left(1);
        if (separator.isEmpty()) return keyAscii;
        if (editor_.text().trimmed().contains(separator)) return 0;
        return separator.at(0).unicode();
    }
    return keyAscii;
}

bool GridEditor::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &grid_) {
        if (event->type() == QEvent::FocusIn)
            focusByMouse_ = static_cast<QFocusEvent*>(event)->reason() == Qt::MouseFocusReason;
        return QObject::eventFilter(watched, event);
    }
    if (watched == grid_.viewport()) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            // A click on the grid closes an open edit first; a refused value keeps the edit open
            // and the click goes nowhere.
            if (editOpen() && !acceptEdit()) {
                swallowRelease_ = true;
                return true;
            }
            break;
        case QEvent::MouseButtonRelease:
            if (swallowRelease_) {
                swallowRelease_ = false;
                return true;
            }
            break;
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    }
    if (watched != &editor_) return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::FocusIn) {
        TxtEdit_GotFocus();
    } else if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const int code = KeyCode::fromQtKey(key->key());
        int shift = 0;
        if (key->modifiers() & Qt::ShiftModifier) shift |= 1;
        if (key->modifiers() & Qt::ControlModifier) shift |= 2;
        if (key->modifiers() & Qt::AltModifier) shift |= 4;
        if (code != 0 && TxtEdit_KeyDown(code, shift)) return true;
        if (key->text().size() == 1 && key->text().at(0).isPrint()) {
            const int typed = key->text().at(0).unicode();
            const int kept = TxtEdit_KeyPress(typed);
            if (kept == 0) return true;
            if (editor_.maxLength() > 0 && editor_.text().size() >= editor_.maxLength() &&
                !editor_.hasSelectedText()) {
                noticeLimit();
                return true;
            }
            if (kept != typed) {
                editor_.insert(QString(QChar(char16_t(kept))));
                return true;
            }
        }
    }
    return QObject::eventFilter(watched, event);
}
