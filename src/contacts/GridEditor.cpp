#include "GridEditor.h"

#include "DataControl.h"
#include "EditState.h"
#include "FlexGrid.h"
#include "RowWriter.h"
#include "shared/Procedure.h"
#include "shared/Prompts.h"
#include "shared/Teclado.h"
#include "shared/Twips.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <cmath>

GridEditor::GridEditor(FlexGrid& grid, QLineEdit& editor, DataControl& data1, RowWriter& writer, EditState& state,
                       const Teclado& teclado, QObject* parent)
    : QObject(parent), grid_(grid), editor_(editor), data1_(data1), writer_(writer), state_(state), teclado_(teclado) {
    connect(&grid_, &FlexGrid::DblClick, this, [this] { MsflexGridEdt(grid_, editor_, 32); });
    connect(&grid_, &FlexGrid::KeyPress, this, [this](int& keyAscii) {
        MsflexGridEdt(grid_, editor_, keyAscii);
        keyAscii = 0;
    });
    connect(&grid_, &FlexGrid::KeyDown, this, [this](int& keyCode, int) {
        MsflexKey(grid_, keyCode);
        if (keyCode == 45 || keyCode == 46) keyCode = 0;
    });
    connect(&grid_, &FlexGrid::GotFocus, this, [this] { DataGrid1_GotFocus(); });
    connect(&grid_, &FlexGrid::LeaveCell, this, [this] { DataGrid1_LeaveCell(); });
    editor_.installEventFilter(this);
}

namespace {
int px(const QWidget& w, int twips) { return Twips::toPixels(twips, w.logicalDpiX()); }
} // namespace

void GridEditor::MsflexGridEdt(FlexGrid& MsFlexGrid, QLineEdit& Edt, int KeyAscii) {
    Procedure p(Handler::passOver({ErrorNumber::InvalidCall}, Handler::report(QStringLiteral("MSFLEXGRIDEDT"))));
    if (MsFlexGrid.Name().compare(QStringLiteral("datagrid1"), Qt::CaseInsensitive) == 0 && MsFlexGrid.Col() == 0 &&
        state_.gTieneId) {
        return;
    }
    // A pending row of another row is written before this edit replaces it.
    const int pending = int(std::nearbyint(state_.gFilaPendiente));
    if (pending != 0 && pending != MsFlexGrid.Row() && resolvePending &&
        !resolvePending(QStringLiteral("editar otra fila"))) {
        return;
    }
    p.step([&] {
        if (KeyAscii >= 0 && KeyAscii <= 32) {
            Edt.setText(MsFlexGrid.Text());
            Edt.setCursorPosition(std::min(1000, int(Edt.text().size())));
        } else {
            Edt.setText(QString(QChar(char16_t(KeyAscii))));
            Edt.setCursorPosition(1);
        }
    });
    p.step([&] {
        const int left = MsFlexGrid.Left() + MsFlexGrid.CellLeft();
        const int top = MsFlexGrid.Top() + MsFlexGrid.CellTop();
        Edt.setGeometry(px(Edt, left), px(Edt, top), px(Edt, MsFlexGrid.CellWidth()), px(Edt, MsFlexGrid.CellHeight()));
    });
    p.step([&] { Edt.show(); Edt.raise(); });
    p.step([&] {
        if (MsFlexGrid.Height() < MsFlexGrid.CellTop() + MsFlexGrid.CellHeight()) MsFlexGrid.setTopRow(MsFlexGrid.TopRow() + 1);
    });
    p.step([&] { Edt.setFocus(Qt::OtherFocusReason); });
}

void GridEditor::EditKeyCode(FlexGrid& MsFlexGrid, QLineEdit& Edt, int KeyCode, int) {
    Procedure p(Handler::passOver({ErrorNumber::InvalidCall}, Handler::report(QStringLiteral("EditKeyCode"))));
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
        p.step([&] { if (MsFlexGrid.Row() > MsFlexGrid.FixedRows()) MsFlexGrid.setRow(MsFlexGrid.Row() - 1); });
        break;
    case ::KeyCode::Down:
        p.step([&] { MsFlexGrid.SetFocus(); });
        p.step([] { QApplication::processEvents(); });
        p.step([&] { if (MsFlexGrid.Row() < MsFlexGrid.Rows() - 1) MsFlexGrid.setRow(MsFlexGrid.Row() + 1); });
        break;
    default: break;
    }
    p.step([&] {
        if (MsFlexGrid.Height() < MsFlexGrid.CellTop() + MsFlexGrid.CellHeight()) MsFlexGrid.setTopRow(MsFlexGrid.TopRow() + 1);
    });
}

void GridEditor::MsflexKey(FlexGrid& MsFlexGrid, int KeyCode) {
    Procedure p(Handler::report(QStringLiteral("MSFlexGrid1_KeyDown")));
    if (KeyCode == ::KeyCode::Delete) {
        if (MsFlexGrid.Rows() <= 2) return;
        const int answer = p.value<int>([] {
            return prompts().message(QStringLiteral("Realmente desea Eliminar este Registro"),
                                     QStringLiteral("Elimar Registro!!!"), Prompt::Buttons::OkCancel,
                                     Prompt::Icon::Information);
        }, Prompt::Cancel);
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
        if (state_.gFilaPendiente != 0 && resolvePending && !resolvePending(QStringLiteral("agregar un registro"))) return;
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

void GridEditor::closeEdit() {
    if (!editor_.isVisible()) return;
    grid_.setText(editor_.text());
    editor_.hide();
}

void GridEditor::DataGrid1_GotFocus() { closeEdit(); }

void GridEditor::DataGrid1_LeaveCell() {
    const int pending = int(std::nearbyint(state_.gFilaPendiente));
    if (pending != 0 && pending != grid_.Row() && !suspendWrites) writer_.GrabaRegistro();
    closeEdit();
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
    if (grid_.Col() > 0 && (keyAscii == u',' || keyAscii == u'.')) {
        const QString separator = teclado_.DecimalSeparator().left(1);
        if (separator.isEmpty()) return keyAscii;
        if (editor_.text().trimmed().contains(separator)) return 0;
        return separator.at(0).unicode();
    }
    return keyAscii;
}

bool GridEditor::eventFilter(QObject* watched, QEvent* event) {
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
        if (key->text().size() == 1) {
            const int typed = key->text().at(0).unicode();
            const int kept = TxtEdit_KeyPress(typed);
            if (kept == 0) return true;
            if (kept != typed) {
                editor_.insert(QString(QChar(char16_t(kept))));
                return true;
            }
        }
    }
    return QObject::eventFilter(watched, event);
}
