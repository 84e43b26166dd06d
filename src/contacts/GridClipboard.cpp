#include "GridClipboard.h"

#include "CellBlock.h"
#include "CellRule.h"
#include "EditState.h"
#include "ExportNames.h"
#include "FlexGrid.h"
#include "GridEditor.h"
#include "RowWriter.h"
#include "shared/Procedure.h"
#include "shared/Prompts.h"
#include "shared/RuntimeError.h"
#include "shared/Teclado.h"
#include "startup/ModGlobal.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <algorithm>
#include <chrono>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

// An error that escaped a step must not travel through Qt's event dispatch: the operator is
// told, and the grid stays as it was left.
template <class Body> void guarded(const QString& label, Body&& body) {
    Procedure p([&label](const RuntimeError& error) {
        prompts().reportError(error, label);
        return OnFailure::Leave;
    });
    p.step(std::forward<Body>(body));
}

struct WaitCursor {
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

QString tooLong(const CellRule& rule, qsizetype length) {
    return u"El campo \"%1\" admite hasta %2 caracteres y el texto copiado tiene %3."_s.arg(
        rule.name(), QString::number(rule.maxLength()), QString::number(length));
}

} // namespace

GridClipboard::GridClipboard(FlexGrid& grid, QLineEdit& editor, GridEditor& gridEditor,
                             RowWriter& writer, EditState& state, const Teclado& teclado,
                             QWidget& window)
    : grid_(grid), editor_(editor), gridEditor_(gridEditor), writer_(writer), state_(state),
      teclado_(teclado), window_(window) {
    const auto action = [&](const QString& text, const QString& name, QKeySequence keys) {
        auto* a = new QAction(text, this);
        a->setObjectName(name);
        a->setShortcut(keys);
        // Only while the grid has the focus: the editor and the filter's boxes keep their own.
        a->setShortcutContext(Qt::WidgetShortcut);
        grid_.addAction(a);
        return a;
    };
    // Ctrl+Insert and Shift+Insert stay the grid's Insert key: they begin a record.
    copiar = action(u"Copiar"_s, u"copiar"_s, QKeySequence(Qt::CTRL | Qt::Key_C));
    copiarConTitulos = action(u"Copiar con títulos"_s, u"copiarConTitulos"_s, {});
    pegar = action(u"Pegar"_s, u"pegar"_s, QKeySequence(Qt::CTRL | Qt::Key_V));
    seleccionarTodo =
        action(u"Seleccionar todo"_s, u"seleccionarTodo"_s, QKeySequence(Qt::CTRL | Qt::Key_A));
    connect(copiar, &QAction::triggered, this, [this] { copy(false); });
    connect(copiarConTitulos, &QAction::triggered, this, [this] { copy(true); });
    connect(pegar, &QAction::triggered, this, [this] { paste(); });
    connect(seleccionarTodo, &QAction::triggered, this, [this] { selectAll(); });

    grid_.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&grid_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { showMenu(at); });
    editor_.installEventFilter(this);
}

GridClipboard::~GridClipboard() = default;

QString GridClipboard::blockFormat() {
    return u"application/x-contactos-celdas"_s;
}

void GridClipboard::addToMenu(QAction* action) {
    more_.push_back(action);
}

void GridClipboard::tell(const QString& message, const QString& title) {
    prompts().message(message, title, Prompt::Buttons::Ok, Prompt::Icon::Exclamation);
}

void GridClipboard::showMenu(const QPoint& at) {
    guarded(u"Menú de la grilla"_s, [&] {
        // A click closed an open edit; a refused value keeps it open, and the menu waits.
        if (gridEditor_.editOpen()) return;
        QPoint where = at;
        if (QGuiApplication::mouseButtons() & Qt::RightButton) {
            // A right click outside the selection makes the clicked cell the current one, as
            // a left click does; inside it, the menu acts on the whole selection.
            const QModelIndex index = grid_.indexAt(at);
            if (index.isValid()) {
                const int row = index.row() + 1;
                const int col = index.column();
                const bool inside = row >= std::min(grid_.Row(), grid_.RowSel()) &&
                                    row <= std::max(grid_.Row(), grid_.RowSel()) &&
                                    col >= std::min(grid_.Col(), grid_.ColSel()) &&
                                    col <= std::max(grid_.Col(), grid_.ColSel());
                if (!inside) {
                    grid_.setRow(row);
                    if (grid_.Row() != row) return;
                    grid_.setCol(col);
                    if (grid_.Col() != col) return;
                }
            }
        } else {
            // From the keyboard: at the current cell.
            where = grid_.visualRect(grid_.model()->index(grid_.Row() - 1, grid_.Col())).center();
        }
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        pegar->setEnabled(data && (data->hasText() || data->hasFormat(blockFormat())));
        QMenu menu(&grid_);
        menu.addAction(copiar);
        menu.addAction(copiarConTitulos);
        menu.addAction(pegar);
        menu.addSeparator();
        menu.addAction(seleccionarTodo);
        if (!more_.empty()) menu.addSeparator();
        for (QAction* a : more_)
            menu.addAction(a);
        menu.exec(grid_.viewport()->mapToGlobal(where));
        pegar->setEnabled(true);
    });
}

void GridClipboard::copy(bool titles) {
    guarded(u"Copiar"_s, [&] {
        if (!gridEditor_.acceptEdit()) return;
        CellBlock::Range range;
        range.firstRow = std::min(grid_.Row(), grid_.RowSel()) - 1;
        range.lastRow = std::max(grid_.Row(), grid_.RowSel()) - 1;
        range.firstColumn = std::min(grid_.Col(), grid_.ColSel());
        range.lastColumn = std::max(grid_.Col(), grid_.ColSel());
        std::optional<CellBlock::Copy> copy;
        {
            const WaitCursor wait;
            copy = CellBlock::copy(grid_.cells(), range, titles,
                                   ExportNames::progressDialog(&window_, u"Copiar"_s,
                                                               u"Copiando las celdas..."_s, 1s));
        }
        // Cancelled: the clipboard keeps what it held.
        if (!copy) return;
        auto* data = new QMimeData;
        if (copy->single) data->setData(blockFormat(), copy->block().toUtf8());
        if (!copy->html.isEmpty()) data->setData(u"text/html"_s, copy->html);
        copy->html = QByteArray();
        data->setText(copy->text);
        QGuiApplication::clipboard()->setMimeData(data);
    });
}

QString GridClipboard::clipboardText() const {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data) return {};
    if (data->hasFormat(blockFormat())) return QString::fromUtf8(data->data(blockFormat()));
    return data->text();
}

bool GridClipboard::isKey(int column) const {
    return state_.gTieneId && column == 0;
}

// A number typed with either key for the decimal separator: one "," or "." becomes the
// separator, as in typing. Typing would drop a second one, which would change the number: a text
// with several keeps them, and the check decides.
QString GridClipboard::typedForm(const QString& text, int column) const {
    if (column == 0 || !writer_.rule(column).isNumber()) return text;
    const QString separator = teclado_.DecimalSeparator().left(1);
    if (separator.isEmpty() || text.count(u',') + text.count(u'.') != 1) return text;
    QString typed = text;
    for (QChar& c : typed) {
        if (c == u',' || c == u'.') c = separator.at(0);
    }
    return typed;
}

void GridClipboard::paste() {
    guarded(u"Pegar"_s, [&] {
        const QString text = clipboardText();
        if (text.isEmpty()) return;
        const std::vector<QStringList> rows = CellBlock::parse(text);
        if (rows.empty()) return;
        const bool one = rows.size() == 1 && rows.front().size() == 1;
        if (gridEditor_.editOpen()) {
            if (one) {
                pasteIntoEditor(rows.front().front());
                return;
            }
            if (!gridEditor_.acceptEdit()) return;
        }
        if (one)
            openEditorWith(rows.front().front());
        else
            pasteBlock(rows);
    });
}

void GridClipboard::pasteIntoEditor(const QString& text) {
    const CellRule rule = writer_.rule(grid_.Col());
    const QString typed = typedForm(text, grid_.Col());
    const qsizetype kept = editor_.text().size() - editor_.selectedText().size();
    if (rule.maxLength() > 0 && kept + typed.size() > rule.maxLength()) {
        tell(tooLong(rule, kept + typed.size()), u"Valor no válido"_s);
        return;
    }
    editor_.insert(typed);
}

void GridClipboard::openEditorWith(const QString& text) {
    // The key column takes no typing, nor a paste.
    if (isKey(grid_.Col())) return;
    const CellRule rule = writer_.rule(grid_.Col());
    const QString typed = typedForm(text, grid_.Col());
    // The editor would cut a longer text without a word.
    if (rule.maxLength() > 0 && typed.size() > rule.maxLength()) {
        tell(tooLong(rule, typed.size()), u"Valor no válido"_s);
        return;
    }
    gridEditor_.MsflexGridEdt(grid_, editor_, 32);
    if (!gridEditor_.editOpen()) return;
    editor_.setText(typed);
    editor_.setCursorPosition(int(typed.size()));
}

GridClipboard::Filled GridClipboard::fillRow(int row, int firstColumn, const QStringList& cells,
                                             QString& refusal, int& refusedColumn) {
    const bool blank = writer_.holdsNoRecord(row);
    const CellRule::Record record = blank ? CellRule::Record::New : writer_.recordOf(row);
    struct Cell {
        int column;
        QString text;
    };
    std::vector<Cell> shown;
    bool anyText = false;
    // Every cell is checked before the row changes: a row is pasted whole or not at all.
    for (int k = 0; k < int(cells.size()); ++k) {
        const int column = firstColumn + k;
        if (isKey(column)) continue;
        const CellRule rule = writer_.rule(column);
        const QString typed = typedForm(cells[k], column);
        std::optional<QString> refused;
        if (rule.maxLength() > 0 && typed.size() > rule.maxLength())
            refused = tooLong(rule, typed.size());
        else
            refused = rule.refusal(typed, record, ModGlobal::gUtil());
        if (refused) {
            refusal = *refused;
            refusedColumn = column;
            return Filled::Refused;
        }
        anyText = anyText || !typed.trimmed().isEmpty();
        shown.push_back({column, rule.displayForm(typed, record, ModGlobal::gUtil())});
    }
    // An empty line over a blank row begins no record.
    if (blank && !anyText) return Filled::Skipped;
    if (!gridEditor_.beginRowEdit(row)) return Filled::Abandoned;
    for (const Cell& cell : shown)
        grid_.setTextMatrix(row, cell.column, cell.text);
    state_.gFilaPendiente = row;
    if (writer_.pendingChanged) writer_.pendingChanged(row);
    return Filled::Yes;
}

void GridClipboard::pasteBlock(const std::vector<QStringList>& rows) {
    const int firstRow = grid_.Row();
    const int firstColumn = grid_.Col();
    int width = 0;
    for (const QStringList& cells : rows)
        width = std::max(width, int(cells.size()));
    if (firstColumn + width > grid_.Cols()) {
        tell(u"El bloque copiado tiene %1 columnas y desde la columna \"%2\" la grilla tiene %3: "
             "no se pegó nada."_s.arg(width)
                 .arg(grid_.TextMatrix(0, firstColumn))
                 .arg(grid_.Cols() - firstColumn),
             u"Pegar"_s);
        return;
    }
    const int count = int(rows.size());
    QString refusal;
    int refusedColumn = -1;
    const auto goTo = [&](int row, int column) {
        grid_.setRow(row);
        if (grid_.Row() == row) grid_.setCol(column);
        grid_.scrollTo(grid_.model()->index(grid_.Row() - 1, grid_.Col()));
    };
    const auto select = [&](int lastRow) {
        if (grid_.Row() != firstRow || grid_.Col() != firstColumn) return;
        grid_.setRowSel(lastRow);
        grid_.setColSel(firstColumn + width - 1);
    };

    // One row: filled as if typed, and written when the operator leaves it.
    if (count == 1) {
        const Filled filled = fillRow(firstRow, firstColumn, rows.front(), refusal, refusedColumn);
        if (filled == Filled::Refused) {
            tell(refusal + u"\n\nNo se pegó nada."_s, u"Valor no válido"_s);
            return;
        }
        if (filled != Filled::Abandoned) select(firstRow);
        return;
    }

    const int answer = prompts().message(
        u"Se van a pegar %1 filas desde la fila %2, y cada una se grabará en la base de datos al "
        "pegarla.\n\n¿Desea continuar?"_s.arg(count)
            .arg(firstRow),
        u"Pegar"_s, Prompt::Buttons::YesNo, Prompt::Icon::Question);
    if (answer != Prompt::Yes) return;
    const ExportNames::Progress progress =
        ExportNames::progressDialog(&window_, u"Pegar"_s, u"Pegando las filas..."_s, 1s);
    int done = 0;
    QString stop;
    for (; done < count; ++done) {
        if (!progress(done, count)) {
            stop = u"Se canceló el pegado."_s;
            break;
        }
        const int row = firstRow + done;
        // Past the last row, blank rows take the rest as new records.
        if (row >= grid_.Rows()) grid_.setRows(row + 1);
        const Filled filled =
            fillRow(row, firstColumn, rows[std::size_t(done)], refusal, refusedColumn);
        if (filled == Filled::Refused) {
            goTo(row, refusedColumn);
            stop = u"La fila %1 no se pegó:\n%2"_s.arg(row).arg(refusal);
            break;
        }
        if (filled == Filled::Abandoned) break;
        if (filled == Filled::Skipped) continue;
        writer_.GrabaRegistro();
        if (state_.gFilaPendiente != 0) {
            // The operator gave the row up at the error prompt: its texts stay, pending.
            goTo(row, std::clamp(writer_.refusedColumn(), 0, grid_.Cols() - 1));
            stop =
                u"La fila %1 no se grabó: lo pegado en ella sigue en la grilla, sin grabar."_s.arg(
                    row);
            break;
        }
    }
    progress(count, count);
    if (done == count) {
        select(firstRow + count - 1);
        return;
    }
    tell(u"Se pegaron %1 de %2 filas.\n%3"_s.arg(done).arg(count).arg(stop).trimmed(), u"Pegar"_s);
}

void GridClipboard::selectAll() {
    guarded(u"Seleccionar todo"_s, [&] {
        if (!gridEditor_.acceptEdit()) return;
        grid_.setRow(1);
        if (grid_.Row() != 1) return;
        grid_.setCol(0);
        if (grid_.Col() != 0) return;
        grid_.setRowSel(grid_.Rows() - 1);
        grid_.setColSel(grid_.Cols() - 1);
    });
}

bool GridClipboard::eventFilter(QObject* watched, QEvent* event) {
    // Ctrl+V in the editor takes the same road as on the grid: the decimal rule, no silent cut.
    if (watched == &editor_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Paste)) {
        paste();
        return true;
    }
    return QObject::eventFilter(watched, event);
}
